#pragma once
// The product web site: one base address in "config.xml" (element
// "/config/zazadazivevevivozed/website", attribute "url") and three pages.

#include <string>

enum class WebPage { Help, Home, Support };

constexpr wchar_t kFactoryWebSite[] = L"https://www.example.com";

// The base address as configured, without trailing slashes. Only an http or
// https address of printable characters is taken (it is handed to the shell,
// which would run a program path); anything else gives the factory address.
std::wstring WebSiteAddressFrom(const std::wstring& configured);

// Reads "config.xml" beside the program (COM must be initialised).
std::wstring WebSiteAddress();

std::wstring WebPageUrl(const std::wstring& base, WebPage page);
std::wstring WebPageUrl(WebPage page);
