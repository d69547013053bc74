#pragma once
// "config.xml" beside the program, read and written through MSXML's DOM
// document. A store lives for one load or save; nothing is kept in between.

#include <windows.h>
#include <msxml.h>

#include <string>
#include <utility>
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
    bool Loaded() const { return !m_path.empty(); }

    // The first node matching an absolute element path, or an empty pointer.
    ComPtr<IXMLDOMNode> SelectNode(const std::wstring& path) const;
    // Every node matching it, in document order.
    std::vector<ComPtr<IXMLDOMNode>> SelectNodes(const std::wstring& path) const;
    // The element at an absolute path, made with any missing parents (but
    // never the document element) when it is not there yet.
    ComPtr<IXMLDOMNode> EnsureElement(const std::wstring& path);
    // Replaces the child elements of parent named childName with one new
    // element per attribute list, each attribute set in the order given, every
    // new element on a line of its own.
    using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;
    bool ReplaceChildren(IXMLDOMNode* parent, const std::wstring& childName,
                         const std::vector<Attributes>& children);
    // The attribute's value as a variant (VT_EMPTY when missing). value must be
    // an initialised variant; it is cleared first.
    void GetAttribute(IXMLDOMNode* node, const std::wstring& name, VARIANT* value) const;
    // The attribute's value converted to text; empty when missing.
    std::wstring GetAttributeText(IXMLDOMNode* node, const std::wstring& name) const;
    // Sets (creating when needed) an attribute of an element node.
    bool SetAttribute(IXMLDOMNode* node, const std::wstring& name, const std::wstring& text);

    // Shorthands over SelectNode and the attribute calls.
    std::wstring Read(const std::wstring& elementPath, const std::wstring& attribute) const;
    bool Write(const std::wstring& elementPath, const std::wstring& attribute,
               const std::wstring& text);

    // Writes the whole document to a new file beside the loaded one, then
    // replaces the loaded file with it, so an interrupted save loses nothing.
    // On failure the loaded file is left as it was and the new file removed.
    bool Save();
    // The name of that new file.
    std::wstring SavingPath() const { return m_path + L".new"; }

  private:
    bool AppendIndented(IXMLDOMNode* parent, IXMLDOMNode* child);

    ComPtr<IXMLDOMDocument> m_document;
    std::wstring m_path;
};

// Applies a stored flag list to flags: fields are split at "," with empty ones
// dropped; flag i takes field min(i, n - 1); only exactly "1" ticks. A list
// without any field leaves flags unchanged. Returns whether anything applied.
bool ApplyFlagList(const std::wstring& text, std::vector<bool>& flags);
// "1" or "0" per flag, joined by ",".
std::wstring MakeFlagList(const std::vector<bool>& flags);

// Element paths of "config.xml".
namespace ConfigPaths {
constexpr wchar_t kSearchKeyword[] = L"/config/zazadazivevevivozed/searchpage/searchkeyword";
constexpr wchar_t kSearchRange[] = L"/config/zazadazivevevivozed/searchpage/searchrange";
constexpr wchar_t kSearchOptions[] = L"/config/zazadazivevevivozed/searchpage/options";
constexpr wchar_t kCleanerTasks[] = L"/config/zazadazivevevivozed/cleanersearchtasklist";
constexpr wchar_t kWebsite[] = L"/config/zazadazivevevivozed/website";
}  // namespace ConfigPaths
