#pragma once
// The about box (dialog 236): product name and version, links to the web
// site's home and support pages, the legal line, the thanks list and a warning.

#include "framework/Dialog.h"
#include "framework/HyperLink.h"

class AboutDialog : public Dialog {
  public:
    AboutDialog();
    ~AboutDialog() override;

    const HyperLink& WebsiteLink() const { return m_website; }
    const HyperLink& SupportLink() const { return m_support; }
    HyperLink& WebsiteLink() { return m_website; }
    HyperLink& SupportLink() { return m_support; }

  protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    HyperLink m_website;
    HyperLink m_support;
};
