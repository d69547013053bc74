#include "results/RegExport.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

ExportResult ResultOfError(LONG error) {
    return error == ERROR_FILE_NOT_FOUND ? ExportResult::Missing : ExportResult::Unreadable;
}

ExportResult ExportValueOf(const SplitPath& split, const std::wstring& valueName,
                           RegFileWriter& out) {
    OpenedKey key = OpenKey(split.root, split.subKey, KEY_QUERY_VALUE);
    if (!key)
        return ResultOfError(key.error);
    const ValueData value = ReadValue(key.get(), valueName);
    if (!value)
        return ResultOfError(value.error);
    std::wstring keyLine;
    if (!MakeKeyLine(RootKeyName(split.root), split.subKey, keyLine) ||
        !out.WriteValue(keyLine, valueName, value.type, value.bytes.data(),
                        static_cast<DWORD>(value.bytes.size()))) {
        return ExportResult::Unreadable;
    }
    return ExportResult::Written;
}

// The walk of one key tree. Keys arrive in pre-order, so the keys whose
// subtree is still being walked form a stack. Each key's sub keys and values
// are counted against what the walk measured it to hold, so a sub key or value
// the walk could not read makes the export incomplete rather than silently
// short.
class TreeExport {
  public:
    TreeExport(HKEY root, RegFileWriter& out) : m_rootName(RootKeyName(root)), m_out(out) {}

    // False when the start key was not reached (deleted since it was opened).
    bool Started() const { return m_depth > 0; }
    bool Complete() const { return m_complete; }

    // Only the start key's values were asked for: its sub keys are not missing.
    void IgnoreStartSubKeys() {
        if (m_depth > 0)
            m_levels[0].expectedSubKeys = 0;
    }

    void EnterKey(const WalkedKey& key) {
        CloseLevelsNotAbove(key.path);
        if (m_depth > 0) {
            WriteKeyLineIfDue(m_levels[m_depth - 1]);
            ++m_levels[m_depth - 1].seenSubKeys;
        }
        if (!key.counted)
            m_complete = false;
        if (m_depth == m_levels.size())
            m_levels.emplace_back();
        // Levels above the depth keep their path's storage for the next keys.
        Level& level = m_levels[m_depth++];
        level.path = key.path;
        level.expectedSubKeys = key.subKeyCount;
        level.expectedValues = key.valueCount;
        level.seenSubKeys = level.seenValues = 0;
        level.lineWritten = false;
        // Every value of the key repeats this line.
        m_keyLineWritable = MakeKeyLine(m_rootName, key.path, m_keyLine);
    }

    // The walk has read the value whole already; reading it again by name
    // would cost four registry calls per value.
    void AddValue(const WalkedValue& value) {
        if (m_depth == 0 || m_levels[m_depth - 1].path != value.keyPath) {
            m_complete = false;
            return;
        }
        Level& level = m_levels[m_depth - 1];
        ++level.seenValues;
        if (m_keyLineWritable &&
            m_out.WriteValue(m_keyLine, value.name, value.type, value.data, value.dataLength)) {
            level.lineWritten = true;
        } else {
            m_complete = false;
        }
    }

    void Finish() { CloseLevelsNotAbove(std::wstring()); }

  private:
    struct Level {
        std::wstring path;
        DWORD expectedSubKeys = 0;
        DWORD expectedValues = 0;
        DWORD seenSubKeys = 0;
        DWORD seenValues = 0;
        bool lineWritten = false;
    };

    static bool IsBelow(const std::wstring& parent, const std::wstring& path) {
        return path.size() > parent.size() && path.compare(0, parent.size(), parent) == 0 &&
               path[parent.size()] == L'\\';
    }

    // A key that holds no value still gets its key line, so an import recreates it.
    void WriteKeyLineIfDue(Level& level) {
        if (level.lineWritten)
            return;
        level.lineWritten = true;
        if (MakeKeyLine(m_rootName, level.path, m_line))
            m_out.WriteKeyLine(m_line);
        else
            m_complete = false;
    }

    void CloseLevelsNotAbove(const std::wstring& path) {
        while (m_depth > 0 && !IsBelow(m_levels[m_depth - 1].path, path)) {
            Level& level = m_levels[--m_depth];
            WriteKeyLineIfDue(level);
            if (level.seenSubKeys != level.expectedSubKeys ||
                level.seenValues != level.expectedValues) {
                m_complete = false;
            }
        }
    }

    const std::wstring m_rootName;
    RegFileWriter& m_out;
    bool m_complete = true;
    std::vector<Level> m_levels;
    std::size_t m_depth = 0;  // m_levels[0, m_depth) are the open keys
    std::wstring m_keyLine;   // of the innermost open key
    bool m_keyLineWritable = false;
    std::wstring m_line;
};

}  // namespace

ExportResult ExportValue(const std::wstring& keyPath, const std::wstring& valueName,
                         RegFileWriter& out) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return ExportResult::InvalidPath;
    return ExportValueOf(split, valueName, out);
}

ExportResult ExportKeyTree(const std::wstring& keyPath, RegFileWriter& out, bool recursive,
                           ProgressSink* progress) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return ExportResult::InvalidPath;
    if (OpenedKey key = OpenKey(split.root, split.subKey); !key)
        return ResultOfError(key.error);
    TreeExport tree(split.root, out);
    WalkOptions options;
    options.path = split.subKey;
    options.recurse = recursive;
    options.includeRegNone = true;
    WalkKey(
        split.root, options, [&tree](const WalkedValue& value) { tree.AddValue(value); },
        [&tree, progress](const WalkedKey& key) {
            if (progress)
                progress->KeyWalked();
            tree.EnterKey(key);
        });
    if (!tree.Started())
        return ExportResult::Missing;  // deleted since it was opened
    if (!recursive)
        tree.IgnoreStartSubKeys();
    tree.Finish();
    return tree.Complete() ? ExportResult::Written : ExportResult::Unreadable;
}

std::wstring ItemKeyPath(const RegistryItem& item) {
    return item.rootKey + L"\\" + item.keyPath;
}

std::vector<ExportResult> ExportItems(const std::vector<RegistryItem>& items, RegFileWriter& out,
                                      ProgressSink* progress) {
    std::vector<ExportResult> results;
    results.reserve(items.size());
    if (progress)
        progress->Begin(ProgressPhase::Exporting, items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (progress)
            progress->Step(i);
        const RegistryItem& item = items[i];
        results.push_back(item.IsKey() ? ExportKeyTree(ItemKeyPath(item), out, true, progress)
                                       : ExportValue(ItemKeyPath(item), item.valueName, out));
    }
    if (progress)
        progress->End();
    return results;
}

FileExportResult ExportItemsToFile(const std::wstring& path, const std::vector<RegistryItem>& items,
                                   ProgressSink* progress, std::vector<ExportResult>* results) {
    const std::wstring partial = path + L".partial";
    RegFileWriter out;
    if (!out.Open(partial))
        return FileExportResult::CannotCreate;
    std::vector<ExportResult> written = ExportItems(items, out, progress);
    if (!out.Close())
        return FileExportResult::CannotWrite;
    // Only a complete file takes the place of one that was there.
    if (!MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(partial.c_str());
        return FileExportResult::CannotWrite;
    }
    if (results)
        *results = std::move(written);
    return FileExportResult::Complete;
}
