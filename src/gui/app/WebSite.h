#pragma once
// The product web site: one base address in "config.xml" (element
// "/config/zazadazivevevivozed/website", attribute "url") and three pages.

#include <string>

enum class WebPage { Help, Home, Support };

constexpr char kFactoryWebSite[] = "https://www.example.com";

// The base address as configured, without trailing slashes. Only an http or
// https address of printable characters is taken (it is handed to the shell,
// which would run a program path); anything else gives the factory address.
std::string WebSiteAddressFrom(const std::string& configured);

// Reads "config.xml" beside the program (COM must be initialised).
std::string WebSiteAddress();

std::string WebPageUrl(const std::string& base, WebPage page);
std::string WebPageUrl(WebPage page);
