#include "settings/EntryLists.h"

namespace {

using namespace ConfigPaths;

std::vector<PlacePattern> LoadPlaces(const ConfigStore& store, const std::wstring& listPath) {
    std::vector<PlacePattern> places;
    for (const ComPtr<IXMLDOMNode>& node : store.SelectNodes(listPath + L"/place")) {
        places.push_back({store.GetAttributeText(node.get(), L"root"),
                          store.GetAttributeText(node.get(), L"path")});
    }
    return places;
}

std::vector<ConfigStore::Attributes> PlaceElements(const std::vector<PlacePattern>& places) {
    std::vector<ConfigStore::Attributes> elements;
    for (const PlacePattern& place : places)
        elements.push_back({{L"root", place.root}, {L"path", place.path}});
    return elements;
}

bool WritePlaces(ConfigStore& store, const std::wstring& listPath,
                 const std::vector<PlacePattern>& places) {
    ComPtr<IXMLDOMNode> list = store.EnsureElement(listPath);
    return list && store.ReplaceChildren(list.get(), L"place", PlaceElements(places));
}

}  // namespace

EntryLists LoadEntryLists(const ConfigStore& store) {
    EntryLists lists;
    lists.factoryPlaces = store.SelectNode(kFactoryPlaces) ? LoadPlaces(store, kFactoryPlaces)
                                                           : FactoryProtectedPlaces();
    lists.protectedPlaces =
        store.SelectNode(kUserPlaces) ? LoadPlaces(store, kUserPlaces) : lists.factoryPlaces;
    const std::wstring entryPath = std::wstring(kIgnoredEntries) + L"/entry";
    for (const ComPtr<IXMLDOMNode>& node : store.SelectNodes(entryPath)) {
        IgnoredEntry entry;
        entry.root = store.GetAttributeText(node.get(), L"root");
        entry.keyPath = store.GetAttributeText(node.get(), L"key");
        // Without a value attribute the entry is the key; an empty one is the
        // key's default value.
        UniqueVariant value;
        store.GetAttribute(node.get(), L"value", value.put());
        entry.isKey = value.get()->vt == VT_EMPTY || value.get()->vt == VT_NULL;
        if (!entry.isKey)
            entry.valueName = store.GetAttributeText(node.get(), L"value");
        lists.ignored.push_back(std::move(entry));
    }
    return lists;
}

bool SaveEntryLists(const std::wstring& configPath, const EntryLists& lists) {
    ConfigStore store;
    if (!store.Load(configPath))
        return false;
    if (!store.SelectNode(kFactoryPlaces) &&
        !WritePlaces(store, kFactoryPlaces, lists.factoryPlaces))
        return false;
    std::vector<ConfigStore::Attributes> entries;
    for (const IgnoredEntry& entry : lists.ignored) {
        entries.push_back({{L"root", entry.root}, {L"key", entry.keyPath}});
        if (!entry.isKey)
            entries.back().push_back({L"value", entry.valueName});
    }
    ComPtr<IXMLDOMNode> ignored = store.EnsureElement(kIgnoredEntries);
    return WritePlaces(store, kUserPlaces, lists.protectedPlaces) && ignored &&
           store.ReplaceChildren(ignored.get(), L"entry", entries) && store.Save();
}

bool RestoreFactoryPlaces(const std::wstring& configPath, EntryLists& lists) {
    lists.protectedPlaces = lists.factoryPlaces;
    return SaveEntryLists(configPath, lists);
}
