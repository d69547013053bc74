#include "app/WebSite.h"

#include "settings/ModulePath.h"
#include "settings/ConfigStore.h"
#include "common/Text.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

}  // namespace

std::wstring WebSiteAddressFrom(const std::wstring& configured) {
    std::wstring address = configured;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    const std::wstring lower = LowerCopy(address);
    const bool web = StartsWith(lower, L"http://") || StartsWith(lower, L"https://");
    const std::size_t schemeLength = StartsWith(lower, L"https://") ? 8 : 7;
    if (!web || address.size() <= schemeLength)
        return kFactoryWebSite;
    for (wchar_t c : address) {
        if (c <= ' ' || c == '"' || c == 0x7F)
            return kFactoryWebSite;
    }
    return address;
}

std::wstring WebSiteAddress() {
    ConfigStore store;
    store.Load(ConfigFilePath());
    return WebSiteAddressFrom(store.Read(ConfigPaths::kWebsite, L"url"));
}

std::wstring WebPageUrl(const std::wstring& base, WebPage page) {
    switch (page) {
        case WebPage::Help:
            return base + L"/kestrun/help.htm";
        case WebPage::Home:
            return base + L"/kestrun/index.htm";
        case WebPage::Support:
            return base + L"/kestrun/support.htm";
    }
    return base;
}

std::wstring WebPageUrl(WebPage page) {
    return WebPageUrl(WebSiteAddress(), page);
}
