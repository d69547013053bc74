#pragma once
// "config.xml" beside the program, read and written through MSXML's DOM
// document. A store lives for one load or save; nothing is kept in between.

#include <windows.h>
#include <msxml.h>

#include <string>
#include <vector>

#include "common/UniqueHandle.h"

// True when a DOM document object can be created (COM must be initialised).
bool XmlParserAvailable();

class ConfigStore {
  public:
    ConfigStore() = default;
    ConfigStore(const ConfigStore&) = delete;
    ConfigStore& operator=(const ConfigStore&) = delete;

    // Loads the file synchronously, without validation or external resolution.
    // On failure the store stays usable but empty: reads give nothing, writes
    // and Save do nothing.
    bool Load(const std::wstring& path);
    bool Load(const std::string& ansiPath);
    bool Loaded() const { return !m_path.empty(); }

    // The first node matching an absolute element path, or an empty pointer.
    ComPtr<IXMLDOMNode> SelectNode(const std::string& path) const;
    // The attribute's value as a variant (VT_EMPTY when missing). value must be
    // an initialised variant; it is cleared first.
    void GetAttribute(IXMLDOMNode* node, const std::string& name, VARIANT* value) const;
    // The attribute's value converted to text; empty when missing.
    std::string GetAttributeText(IXMLDOMNode* node, const std::string& name) const;
    // Sets (creating when needed) an attribute of an element node.
    bool SetAttribute(IXMLDOMNode* node, const std::string& name, const std::string& text);

    // Shorthands over SelectNode and the attribute calls.
    std::string Read(const std::string& elementPath, const std::string& attribute) const;
    bool Write(const std::string& elementPath, const std::string& attribute,
               const std::string& text);

    // Writes the whole document to a new file beside the loaded one, then
    // replaces the loaded file with it, so an interrupted save loses nothing.
    // On failure the loaded file is left as it was and the new file removed.
    bool Save();
    // The name of that new file.
    std::wstring SavingPath() const { return m_path + L".new"; }

  private:
    ComPtr<IXMLDOMDocument> m_document;
    std::wstring m_path;
};

// Applies a stored flag list to flags: fields are split at "," with empty ones
// dropped; flag i takes field min(i, n - 1); only exactly "1" ticks. A list
// without any field leaves flags unchanged. Returns whether anything applied.
bool ApplyFlagList(const std::string& text, std::vector<bool>& flags);
// "1" or "0" per flag, joined by ",".
std::string MakeFlagList(const std::vector<bool>& flags);

// Element paths of "config.xml".
namespace ConfigPaths {
constexpr char kSearchKeyword[] = "/config/zazadazivevevivozed/searchpage/searchkeyword";
constexpr char kSearchRange[] = "/config/zazadazivevevivozed/searchpage/searchrange";
constexpr char kSearchOptions[] = "/config/zazadazivevevivozed/searchpage/options";
constexpr char kCleanerTasks[] = "/config/zazadazivevevivozed/cleanersearchtasklist";
constexpr char kWebsite[] = "/config/zazadazivevevivozed/website";
}  // namespace ConfigPaths
