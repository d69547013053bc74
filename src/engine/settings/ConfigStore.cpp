#include "settings/ConfigStore.h"

#include <algorithm>
#include <string_view>

#include "common/Text.h"

namespace {

// The toolchain's import libraries do not carry these identifiers.
const CLSID kClsidDomDocument = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomDocument = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomElement = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

ComPtr<IXMLDOMDocument> CreateDocument() {
    ComPtr<IXMLDOMDocument> document;
    HRESULT hr = CoCreateInstance(kClsidDomDocument, nullptr, kServerContext, kIidXmlDomDocument,
                                  reinterpret_cast<void**>(document.put()));
    if (FAILED(hr))
        document.release();
    return document;
}

UniqueBstr MakeBstr(const std::wstring& text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// A string variant that owns its text.
void SetStringVariant(UniqueVariant& variant, const std::wstring& text) {
    VARIANT* value = variant.put();
    value->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (value->bstrVal)
        value->vt = VT_BSTR;
}

// The serializer closes the file but does not flush it; the replacement must
// not reach the disk before its contents do.
bool FlushFile(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && FlushFileBuffers(file.get());
}

std::vector<ComPtr<IXMLDOMNode>> SelectAll(IXMLDOMNode* context, const std::wstring& query) {
    std::vector<ComPtr<IXMLDOMNode>> nodes;
    ComPtr<IXMLDOMNodeList> list;
    UniqueBstr text = MakeBstr(query);
    if (FAILED(context->selectNodes(text.get(), list.put())) || !list)
        return nodes;
    ComPtr<IXMLDOMNode> node;
    while (list.get()->nextNode(node.put()) == S_OK && node)
        nodes.push_back(std::move(node));
    return nodes;
}

// The file indents each element by two blanks per element above it.
int ElementsAbove(IXMLDOMNode* node) {
    int count = 0;
    ComPtr<IXMLDOMNode> parent;
    node->get_parentNode(parent.put());
    DOMNodeType type = NODE_INVALID;
    while (parent && SUCCEEDED(parent.get()->get_nodeType(&type)) && type == NODE_ELEMENT) {
        ++count;
        ComPtr<IXMLDOMNode> above;
        parent.get()->get_parentNode(above.put());
        parent = std::move(above);
    }
    return count;
}

bool IsBlankText(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    UniqueBstr text;
    if (!node || FAILED(node->get_nodeType(&type)) || type != NODE_TEXT ||
        FAILED(node->get_text(text.put()))) {
        return false;
    }
    const std::wstring_view blank(text.get() ? text.get() : L"", SysStringLen(text.get()));
    return blank.find_first_not_of(L" \t\r\n") == std::wstring_view::npos;
}

}  // namespace

bool XmlParserAvailable() {
    return static_cast<bool>(CreateDocument());
}

bool ConfigStore::Load(const std::wstring& path) {
    m_path.clear();
    m_document = CreateDocument();
    if (!m_document)
        return false;
    m_document.get()->put_async(VARIANT_FALSE);
    m_document.get()->put_validateOnParse(VARIANT_FALSE);
    m_document.get()->put_resolveExternals(VARIANT_FALSE);
    // The file is edited by hand too: a save keeps its layout.
    m_document.get()->put_preserveWhiteSpace(VARIANT_TRUE);
    UniqueVariant source;
    SetStringVariant(source, path);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = m_document.get()->load(*source.get(), &loaded);
    if (FAILED(hr) || loaded != VARIANT_TRUE) {
        m_document.reset();
        return false;
    }
    m_path = path;
    return true;
}

ComPtr<IXMLDOMNode> ConfigStore::SelectNode(const std::wstring& path) const {
    ComPtr<IXMLDOMNode> node;
    if (!Loaded())
        return node;
    UniqueBstr query = MakeBstr(path);
    if (FAILED(m_document.get()->selectSingleNode(query.get(), node.put())))
        node.release();
    return node;
}

std::vector<ComPtr<IXMLDOMNode>> ConfigStore::SelectNodes(const std::wstring& path) const {
    if (!Loaded())
        return {};
    return SelectAll(m_document.get(), path);
}

ComPtr<IXMLDOMNode> ConfigStore::EnsureElement(const std::wstring& path) {
    ComPtr<IXMLDOMNode> node = SelectNode(path);
    const std::size_t slash = path.rfind(L'/');
    if (node || !Loaded() || slash == 0 || slash == std::wstring::npos)
        return node;
    ComPtr<IXMLDOMNode> parent = EnsureElement(path.substr(0, slash));
    ComPtr<IXMLDOMElement> element;
    UniqueBstr name = MakeBstr(path.substr(slash + 1));
    if (!parent || FAILED(m_document.get()->createElement(name.get(), element.put())) || !element)
        return node;
    node.reset(element.release());
    if (!AppendIndented(parent.get(), node.get()))
        node.reset();
    return node;
}

bool ConfigStore::ReplaceChildren(IXMLDOMNode* parent, const std::wstring& childName,
                                  const std::vector<Attributes>& children) {
    if (!Loaded() || !parent)
        return false;
    bool done = true;
    for (const ComPtr<IXMLDOMNode>& old : SelectAll(parent, childName)) {
        // The line break before an old child goes with it.
        ComPtr<IXMLDOMNode> lineBreak;
        old.get()->get_previousSibling(lineBreak.put());
        if (IsBlankText(lineBreak.get()))
            done = SUCCEEDED(parent->removeChild(lineBreak.get(), nullptr)) && done;
        done = SUCCEEDED(parent->removeChild(old.get(), nullptr)) && done;
    }
    UniqueBstr name = MakeBstr(childName);
    for (const Attributes& attributes : children) {
        ComPtr<IXMLDOMElement> element;
        if (FAILED(m_document.get()->createElement(name.get(), element.put())) || !element)
            return false;
        ComPtr<IXMLDOMNode> child(element.release());
        for (const auto& [attribute, text] : attributes)
            done = SetAttribute(child.get(), attribute, text) && done;
        done = AppendIndented(parent, child.get()) && done;
    }
    return done;
}

// Puts child last among the parent's elements, on a new line indented one
// level deeper than the parent, before the blanks that close the parent. The
// blanks already there are changed rather than new ones put beside them: a
// parser may merge neighbouring text nodes.
bool ConfigStore::AppendIndented(IXMLDOMNode* parent, IXMLDOMNode* child) {
    const int level = ElementsAbove(parent);
    auto blanks = [](int indent) { return MakeBstr(L"\n" + std::wstring(2 * indent, L' ')); };
    auto appendBlanks = [&](int indent) {
        ComPtr<IXMLDOMText> text;
        UniqueBstr lineBreak = blanks(indent);
        if (FAILED(m_document.get()->createTextNode(lineBreak.get(), text.put())))
            text.release();
        return text && SUCCEEDED(parent->appendChild(text.get(), nullptr));
    };
    ComPtr<IXMLDOMNode> closing;
    parent->get_lastChild(closing.put());
    const bool opened = IsBlankText(closing.get())
                            ? SUCCEEDED(closing.get()->put_text(blanks(level + 1).get()))
                            : appendBlanks(level + 1);
    return opened && SUCCEEDED(parent->appendChild(child, nullptr)) && appendBlanks(level);
}

void ConfigStore::GetAttribute(IXMLDOMNode* node, const std::wstring& name, VARIANT* value) const {
    VariantClear(value);
    if (!Loaded() || !node)
        return;
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(node->get_attributes(attributes.put())) || !attributes)
        return;
    UniqueBstr attributeName = MakeBstr(name);
    ComPtr<IXMLDOMNode> attribute;
    if (FAILED(attributes.get()->getNamedItem(attributeName.get(), attribute.put())) ||
        !attribute) {
        return;
    }
    if (FAILED(attribute.get()->get_nodeValue(value)))
        VariantClear(value);
}

std::wstring ConfigStore::GetAttributeText(IXMLDOMNode* node, const std::wstring& name) const {
    UniqueVariant value;
    GetAttribute(node, name, value.put());
    if (value.get()->vt != VT_BSTR &&
        FAILED(VariantChangeType(value.get(), value.get(), 0, VT_BSTR))) {
        return std::wstring();
    }
    BSTR text = value.get()->bstrVal;
    return std::wstring(text ? text : L"", SysStringLen(text));
}

bool ConfigStore::SetAttribute(IXMLDOMNode* node, const std::wstring& name,
                               const std::wstring& text) {
    if (!Loaded() || !node)
        return false;
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(kIidXmlDomElement, reinterpret_cast<void**>(element.put())))) {
        element.release();
        return false;
    }
    UniqueBstr attributeName = MakeBstr(name);
    UniqueVariant value;
    SetStringVariant(value, text);
    return SUCCEEDED(element.get()->setAttribute(attributeName.get(), *value.get()));
}

std::wstring ConfigStore::Read(const std::wstring& elementPath,
                               const std::wstring& attribute) const {
    ComPtr<IXMLDOMNode> node = SelectNode(elementPath);
    return GetAttributeText(node.get(), attribute);
}

bool ConfigStore::Write(const std::wstring& elementPath, const std::wstring& attribute,
                        const std::wstring& text) {
    ComPtr<IXMLDOMNode> node = SelectNode(elementPath);
    return SetAttribute(node.get(), attribute, text);
}

bool ConfigStore::Save() {
    if (!Loaded())
        return false;
    std::wstring newPath = SavingPath();
    UniqueVariant destination;
    SetStringVariant(destination, newPath);
    bool written = SUCCEEDED(m_document.get()->save(*destination.get())) && FlushFile(newPath) &&
                   MoveFileExW(newPath.c_str(), m_path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!written)
        DeleteFileW(newPath.c_str());
    return written;
}

bool ApplyFlagList(const std::wstring& text, std::vector<bool>& flags) {
    std::vector<std::wstring> fields = SplitText(text, L",", EmptyFields::Drop);
    if (fields.empty())
        return false;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        flags[i] = fields[std::min(i, fields.size() - 1)] == L"1";
    }
    return true;
}

std::wstring MakeFlagList(const std::vector<bool>& flags) {
    std::wstring list;
    for (std::size_t i = 0; i < flags.size(); ++i) {
        if (i > 0)
            list += L',';
        list += flags[i] ? L'1' : L'0';
    }
    return list;
}
