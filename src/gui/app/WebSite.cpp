#include "app/WebSite.h"

#include "settings/ModulePath.h"
#include "settings/ConfigStore.h"
#include "common/AnsiText.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

std::string WebSiteAddressFrom(const std::string& configured) {
    std::string address = configured;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    const std::string lower = LowerCopy(address);
    const bool web = StartsWith(lower, "http://") || StartsWith(lower, "https://");
    const std::size_t schemeLength = StartsWith(lower, "https://") ? 8 : 7;
    if (!web || address.size() <= schemeLength)
        return kFactoryWebSite;
    for (unsigned char c : address) {
        if (c <= ' ' || c == '"' || c == 0x7F)
            return kFactoryWebSite;
    }
    return address;
}

std::string WebSiteAddress() {
    ConfigStore store;
    store.Load(ConfigFilePath());
    return WebSiteAddressFrom(store.Read(ConfigPaths::kWebsite, "url"));
}

std::string WebPageUrl(const std::string& base, WebPage page) {
    switch (page) {
        case WebPage::Help:
            return base + "/kestrun/help.htm";
        case WebPage::Home:
            return base + "/kestrun/index.htm";
        case WebPage::Support:
            return base + "/kestrun/support.htm";
    }
    return base;
}

std::string WebPageUrl(WebPage page) {
    return WebPageUrl(WebSiteAddress(), page);
}
