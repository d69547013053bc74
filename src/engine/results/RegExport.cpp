#include "results/RegExport.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "text/LanguageTable.h"
#include "common/AnsiText.h"

namespace {

constexpr DWORD kMinimumBuffer = 256;
constexpr DWORD kBytesPerLine = 22;

const char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& text, BYTE byte) {
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0f];
}

// The bytes as "%02x" separated by ",", wrapped with a backslash after the
// bytes numbered 22, 44, 66, ... unless that byte is the last one.
void AppendByteList(std::string& text, const BYTE* data, DWORD length) {
    text.reserve(text.size() + length * 3 + length / kBytesPerLine * 3);
    for (DWORD i = 0; i < length; ++i) {
        AppendHexByte(text, data[i]);
        if (i + 1 == length)
            break;
        text += ',';
        if (i > 0 && i % kBytesPerLine == 0)
            text += "\\\r\n";
    }
}

// A quoted string as the registry editor reads it back: backslash and double
// quote are escaped. Walks by characters, so a trail byte that happens to be
// 0x5C is left alone.
void AppendQuotedText(std::string& quoted, std::string_view text) {
    quoted += '"';
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = CharLength(text, pos);
        if (length == 1 && (text[pos] == '\\' || text[pos] == '"'))
            quoted += '\\';
        quoted.append(text, pos, length);
        pos += length;
    }
    quoted += '"';
}

bool HoldsLineBreak(const char* text, std::size_t length) {
    return std::find_if(text, text + length, [](char c) { return c == '\r' || c == '\n'; }) !=
           text + length;
}

// A REG_SZ can be written as quoted text only when importing that text gives
// back exactly these bytes: the text and one terminating NUL, nothing after it,
// and no line break (the file's lines would split it).
bool QuotedFormRestores(const BYTE* data, DWORD length) {
    if (length == 0 || data[length - 1] != 0)
        return false;
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t textLength = length - 1;
    return std::memchr(text, 0, textLength) == nullptr && !HoldsLineBreak(text, textLength);
}

void AppendDataPart(std::string& line, DWORD type, const BYTE* data, DWORD length) {
    if (type == REG_SZ && QuotedFormRestores(data, length)) {
        AppendQuotedText(line, std::string_view(reinterpret_cast<const char*>(data), length - 1));
        return;
    }
    if (type == REG_DWORD && length == 4) {
        DWORD value = 0;
        std::memcpy(&value, data, sizeof(value));
        char text[16];
        std::snprintf(text, sizeof(text), "dword:%08lx", static_cast<unsigned long>(value));
        line += text;
        return;
    }
    if (type == REG_BINARY) {
        line += "hex:";
    } else {
        // Every other type, and the two above when their data does not fit
        // their short form, as raw bytes; the type number is read back in
        // hexadecimal.
        char prefix[24];
        std::snprintf(prefix, sizeof(prefix), "hex(%lx):", static_cast<unsigned long>(type));
        line += prefix;
    }
    AppendByteList(line, data, length);
}

// "[root\path]": the root's long name and the sub key path. False when no
// line can name the key (its path holds a line break).
bool MakeKeyLine(const std::string& rootName, const std::string& subKey, std::string& line) {
    if (HoldsLineBreak(subKey.data(), subKey.size()))
        return false;
    line.assign(1, '[');
    line += rootName;
    line += '\\';
    line += subKey;
    line += ']';
    return true;
}

ExportResult ResultOfError(LONG error) {
    return error == ERROR_FILE_NOT_FOUND ? ExportResult::Missing : ExportResult::Unreadable;
}

// The key line and the value line of one value; valueLine is the caller's
// buffer, kept from value to value.
ExportResult WriteValue(const std::string& keyLine, std::string_view name, DWORD type,
                        const BYTE* data, DWORD length, std::string& valueLine,
                        RegFileWriter& out) {
    if (!MakeValueLine(name, type, data, length, valueLine))
        return ExportResult::Unreadable;
    out.WriteLine(keyLine);
    out.WriteLine(valueLine);
    return ExportResult::Written;
}

ExportResult ExportValueOf(const SplitPath& split, const std::string& valueName,
                           RegFileWriter& out) {
    UniqueRegKey key;
    LONG result = RegOpenKeyExA(split.root, split.subKey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (result != ERROR_SUCCESS) {
        key.release();
        return ResultOfError(result);
    }
    DWORD maxData = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        maxData = 0;
    }
    std::vector<BYTE> data(std::max<DWORD>(maxData + 1, kMinimumBuffer));
    DWORD type = 0;
    for (;;) {
        DWORD length = static_cast<DWORD>(data.size());
        result =
            RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, data.data(), &length);
        if (result == ERROR_MORE_DATA && data.size() < length + 1) {
            // The value grew since the key was measured.
            data.resize(length + 1);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return ResultOfError(result);
        data.resize(length);
        break;
    }
    std::string keyLine, valueLine;
    if (!MakeKeyLine(RootKeyName(split.root), split.subKey, keyLine))
        return ExportResult::Unreadable;
    return WriteValue(keyLine, valueName, type, data.data(), static_cast<DWORD>(data.size()),
                      valueLine, out);
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
            WriteValue(m_keyLine, value.name, value.type, value.data, value.dataLength, m_valueLine,
                       m_out) == ExportResult::Written) {
            level.lineWritten = true;
        } else {
            m_complete = false;
        }
    }

    void Finish() { CloseLevelsNotAbove(std::string()); }

  private:
    struct Level {
        std::string path;
        DWORD expectedSubKeys = 0;
        DWORD expectedValues = 0;
        DWORD seenSubKeys = 0;
        DWORD seenValues = 0;
        bool lineWritten = false;
    };

    static bool IsBelow(const std::string& parent, const std::string& path) {
        return path.size() > parent.size() && path.compare(0, parent.size(), parent) == 0 &&
               path[parent.size()] == '\\';
    }

    // A key that holds no value still gets its key line, so an import recreates it.
    void WriteKeyLineIfDue(Level& level) {
        if (level.lineWritten)
            return;
        level.lineWritten = true;
        if (MakeKeyLine(m_rootName, level.path, m_line))
            m_out.WriteLine(m_line);
        else
            m_complete = false;
    }

    void CloseLevelsNotAbove(const std::string& path) {
        while (m_depth > 0 && !IsBelow(m_levels[m_depth - 1].path, path)) {
            Level& level = m_levels[--m_depth];
            WriteKeyLineIfDue(level);
            if (level.seenSubKeys != level.expectedSubKeys ||
                level.seenValues != level.expectedValues) {
                m_complete = false;
            }
        }
    }

    const std::string m_rootName;
    RegFileWriter& m_out;
    bool m_complete = true;
    std::vector<Level> m_levels;
    std::size_t m_depth = 0;  // m_levels[0, m_depth) are the open keys
    std::string m_keyLine;    // of the innermost open key
    bool m_keyLineWritable = false;
    std::string m_valueLine;
    std::string m_line;
};

}  // namespace

RegFileWriter::~RegFileWriter() {
    if (m_file)
        std::fclose(m_file);
}

bool RegFileWriter::Open(const std::string& path) {
    if (m_file)
        std::fclose(m_file);
    m_started = false;
    m_failed = false;
    // Binary mode: the CR LF line ends are written as they are built.
    m_file = std::fopen(path.c_str(), "wb");
    // A tree export writes many short lines: fewer, larger writes.
    if (m_file)
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    m_path = m_file ? path : std::string();
    return m_file != nullptr;
}

bool RegFileWriter::Close() {
    if (!m_file)
        return false;
    bool ok = !m_failed && std::fflush(m_file) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (!ok)
        DeleteFileA(m_path.c_str());
    return ok;
}

void RegFileWriter::WriteLine(const std::string& line) {
    if (!m_file || m_failed) {
        m_failed = true;
        return;
    }
    auto put = [this](const char* text, std::size_t size) {
        if (!m_failed && std::fwrite(text, 1, size, m_file) != size)
            m_failed = true;
    };
    if (!m_started)
        put("REGEDIT4\r\n", 10);
    m_started = true;
    put(line.data(), line.size());
    put("\r\n", 2);
}

bool MakeValueLine(std::string_view name, DWORD type, const BYTE* data, DWORD length,
                   std::string& line) {
    if (HoldsLineBreak(name.data(), name.size()))
        return false;
    line.clear();
    if (name.empty())
        line += '@';
    else
        AppendQuotedText(line, name);
    line += '=';
    AppendDataPart(line, type, data, length);
    return true;
}

ExportResult ExportValue(const std::string& keyPath, const std::string& valueName,
                         RegFileWriter& out) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return ExportResult::InvalidPath;
    return ExportValueOf(split, valueName, out);
}

ExportResult ExportKeyTree(const std::string& keyPath, RegFileWriter& out, bool recursive,
                           ProgressSink* progress) {
    SplitPath split = SplitKeyPath(keyPath);
    if (!split.ok)
        return ExportResult::InvalidPath;
    {
        UniqueRegKey key;
        LONG result = RegOpenKeyExA(split.root, split.subKey.c_str(), 0, KEY_READ, key.put());
        if (result != ERROR_SUCCESS) {
            key.release();
            return ResultOfError(result);
        }
    }
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

std::string ItemKeyPath(const RegistryItem& item) {
    return item.rootKey + "\\" + item.keyPath;
}

std::vector<ExportResult> ExportItems(const std::vector<RegistryItem>& items, RegFileWriter& out,
                                      ProgressSink* progress) {
    std::vector<ExportResult> results;
    results.reserve(items.size());
    if (progress)
        progress->Begin(GetText("_RegistryListViewProgressState1"), items.size());
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

FileExportResult ExportItemsToFile(const std::string& path, const std::vector<RegistryItem>& items,
                                   ProgressSink* progress, std::vector<ExportResult>* results) {
    const std::string partial = path + ".partial";
    RegFileWriter out;
    if (!out.Open(partial))
        return FileExportResult::CannotCreate;
    std::vector<ExportResult> written = ExportItems(items, out, progress);
    if (!out.Close())
        return FileExportResult::CannotWrite;
    // Only a complete file takes the place of one that was there.
    if (!MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(partial.c_str());
        return FileExportResult::CannotWrite;
    }
    if (results)
        *results = std::move(written);
    return FileExportResult::Complete;
}
