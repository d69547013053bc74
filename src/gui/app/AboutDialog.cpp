#include "app/AboutDialog.h"

#include "settings/ModulePath.h"
#include "app/VersionInfo.h"
#include "app/WebSite.h"
#include "text/LanguageTable.h"
#include "framework/Localize.h"
#include "resource.h"

AboutDialog::AboutDialog() : Dialog(IDD_ABOUT) {}

AboutDialog::~AboutDialog() {
    Destroy();
}

BOOL AboutDialog::OnInitDialog() {
    CentreWindow(m_hwnd);
    LocalizeWindow(m_hwnd);
    SetDlgItemTextW(m_hwnd, IDC_THANKS_LIST, GetText(L"_Thankyoulist", 1).c_str());
    SetDlgItemTextW(m_hwnd, IDC_APP_NAME,
                    VersionString(ResourceInstance(), L"ProductName").c_str());
    SetDlgItemTextW(m_hwnd, IDC_APP_VERSION,
                    VersionString(ResourceInstance(), L"ProductVersion").c_str());
    const std::wstring site = WebSiteAddress();
    m_website.SetUrl(WebPageUrl(site, WebPage::Home));
    m_website.SubclassStatic(Item(IDC_WEBSITE_LINK));
    m_support.SetUrl(WebPageUrl(site, WebPage::Support));
    m_support.SubclassStatic(Item(IDC_SUPPORT_LINK));
    return TRUE;
}

bool AboutDialog::OnCommand(int id, int, HWND) {
    if (id != IDCANCEL)
        return false;
    EndDialog(IDCANCEL);
    return true;
}
