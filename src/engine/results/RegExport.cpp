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
std::string ByteList(const BYTE* data, DWORD length) {
    std::string text;
    text.reserve(length * 3 + length / kBytesPerLine * 3);
    for (DWORD i = 0; i < length; ++i) {
        AppendHexByte(text, data[i]);
        if (i + 1 == length)
            break;
        text += ',';
        if (i > 0 && i % kBytesPerLine == 0)
            text += "\\\r\n";
    }
    return text;
}

// A quoted string as the registry editor reads it back: backslash and double
// quote are escaped. Walks by characters, so a trail byte that happens to be
// 0x5C is left alone.
std::string QuotedText(const std::string& text) {
    std::string quoted = "\"";
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = CharLength(text, pos);
        if (length == 1 && (text[pos] == '\\' || text[pos] == '"'))
            quoted += '\\';
        quoted.append(text, pos, length);
        pos += length;
    }
    quoted += '"';
    return quoted;
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

std::string DataPart(DWORD type, const BYTE* data, DWORD length) {
    if (type == REG_SZ && QuotedFormRestores(data, length)) {
        return QuotedText(std::string(reinterpret_cast<const char*>(data), length - 1));
    }
    if (type == REG_DWORD && length == 4) {
        DWORD value = 0;
        std::memcpy(&value, data, sizeof(value));
        char text[16];
        std::snprintf(text, sizeof(text), "dword:%08lx", static_cast<unsigned long>(value));
        return text;
    }
    if (type == REG_BINARY)
        return "hex:" + ByteList(data, length);
    // Every other type, and the two above when their data does not fit their
    // short form, as raw bytes; the type number is read back in hexadecimal.
    char prefix[24];
    std::snprintf(prefix, sizeof(prefix), "hex(%lx):", static_cast<unsigned long>(type));
    return prefix + ByteList(data, length);
}

// The key line's path: the root's long name and the sub key, without the outer
// backslashes a caller may have left on it.
std::string KeyLinePath(const SplitPath& split) {
    return RootKeyName(split.root) + "\\" + split.subKey;
}

ExportResult ResultOfError(LONG error) {
    return error == ERROR_FILE_NOT_FOUND ? ExportResult::Missing : ExportResult::Unreadable;
}

// The key line and the value line of one value.
ExportResult WriteValue(const std::string& keyLinePath, const std::string& name, DWORD type,
                        const BYTE* data, DWORD length, RegFileWriter& out) {
    std::string line;
    if (HoldsLineBreak(keyLinePath.data(), keyLinePath.size()) ||
        !MakeValueLine(name, type, data, length, line)) {
        return ExportResult::Unreadable;
    }
    out.WriteLine("[" + keyLinePath + "]");
    out.WriteLine(line);
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
    return WriteValue(KeyLinePath(split), valueName, type, data.data(),
                      static_cast<DWORD>(data.size()), out);
}

// The walk of one key tree. Keys arrive in pre-order, so the keys whose
// subtree is still being walked form a stack. Each key's sub keys and values
// are counted against what the key reported, so a sub key or value the walk
// could not read makes the export incomplete rather than silently short.
struct TreeExport {
    struct Level {
        std::string path;
        DWORD expectedSubKeys = 0;
        DWORD expectedValues = 0;
        DWORD seenSubKeys = 0;
        DWORD seenValues = 0;
        bool lineWritten = false;
    };

    HKEY root = nullptr;
    RegFileWriter* out = nullptr;
    ProgressSink* progress = nullptr;
    bool complete = true;
    std::vector<Level> open;

    static bool IsBelow(const std::string& parent, const std::string& path) {
        return path.size() > parent.size() && path.compare(0, parent.size(), parent) == 0 &&
               path[parent.size()] == '\\';
    }

    // A key that holds no value still gets its key line, so an import recreates it.
    void WriteKeyLineIfDue(Level& level) {
        if (level.lineWritten)
            return;
        level.lineWritten = true;
        if (HoldsLineBreak(level.path.data(), level.path.size())) {
            complete = false;  // no key line can name it
            return;
        }
        out->WriteLine("[" + RootKeyName(root) + "\\" + level.path + "]");
    }

    void Finish(Level& level) {
        WriteKeyLineIfDue(level);
        if (level.seenSubKeys != level.expectedSubKeys ||
            level.seenValues != level.expectedValues) {
            complete = false;
        }
    }

    void CloseLevelsNotAbove(const std::string& path) {
        while (!open.empty() && !IsBelow(open.back().path, path)) {
            Finish(open.back());
            open.pop_back();
        }
    }

    void EnterKey(const std::string& path) {
        if (progress)
            progress->KeyWalked();
        CloseLevelsNotAbove(path);
        if (!open.empty()) {
            WriteKeyLineIfDue(open.back());
            ++open.back().seenSubKeys;
        }
        Level level;
        level.path = path;
        UniqueRegKey key = OpenKeyForReading(root, path);
        if (!key || RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &level.expectedSubKeys,
                                     nullptr, nullptr, &level.expectedValues, nullptr, nullptr,
                                     nullptr, nullptr) != ERROR_SUCCESS) {
            complete = false;
        }
        open.push_back(level);
    }

    // The walk has read the value whole already; reading it again by name
    // would cost four registry calls per value.
    void AddValue(const std::string& path, const std::string& name, DWORD type, const BYTE* data,
                  DWORD length) {
        if (open.empty() || open.back().path != path) {
            complete = false;
            return;
        }
        Level& level = open.back();
        ++level.seenValues;
        if (WriteValue(RootKeyName(root) + "\\" + path, name, type, data, length, *out) ==
            ExportResult::Written) {
            level.lineWritten = true;
        } else {
            complete = false;
        }
    }
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
    std::string text;
    if (!m_started)
        text = "REGEDIT4\r\n";
    m_started = true;
    text += line;
    text += "\r\n";
    if (std::fwrite(text.data(), 1, text.size(), m_file) != text.size())
        m_failed = true;
}

bool MakeValueLine(const std::string& name, DWORD type, const BYTE* data, DWORD length,
                   std::string& line) {
    if (HoldsLineBreak(name.data(), name.size()))
        return false;
    line = name.empty() ? std::string("@") : QuotedText(name);
    line += '=';
    line += DataPart(type, data, length);
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
    TreeExport tree;
    tree.root = split.root;
    tree.out = &out;
    tree.progress = progress;
    WalkOptions options;
    options.path = split.subKey;
    options.recurse = recursive;
    options.includeRegNone = true;
    WalkKey(
        split.root, options,
        [&tree](const WalkedValue& value) {
            tree.AddValue(value.keyPath, std::string(value.name), value.type, value.data,
                          value.dataLength);
        },
        [&tree](const WalkedKey& key) { tree.EnterKey(key.path); });
    if (tree.open.empty())
        return ExportResult::Missing;  // deleted since it was opened
    if (!recursive)
        tree.open.front().expectedSubKeys = 0;
    tree.CloseLevelsNotAbove(std::string());
    return tree.complete ? ExportResult::Written : ExportResult::Unreadable;
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
