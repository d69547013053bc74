#include "results/RegFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/Text.h"
#include "registry/Registry.h"

namespace {

constexpr DWORD kBytesPerLine = 22;
const wchar_t kHexDigits[] = L"0123456789abcdef";
const wchar_t kUnicodeHeader[] = L"Windows Registry Editor Version 5.00";
const char kRegedit4Header[] = "REGEDIT4";
// Starts the comment beside a value the editor would not import as it is.
const wchar_t kExactMarker[] = L";ZazaDaziveveVivozed exact ";

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::wstring UnitsOf(const BYTE* data, DWORD length) {
    std::wstring units(length / sizeof(wchar_t), L'\0');
    if (!units.empty())
        std::memcpy(&units[0], data, units.size() * sizeof(wchar_t));
    return units;
}

bool HoldsLineBreak(std::wstring_view text) {
    return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

void AppendHexByte(std::wstring& text, BYTE byte) {
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0f];
}

// The bytes as "%02x" separated by ",", wrapped with a backslash after the
// bytes numbered 22, 44, 66, ... unless that byte is the last one (or never,
// for a comment line, which must stay one line).
enum class Wrap { Lines, None };
void AppendByteList(std::wstring& text, const BYTE* data, DWORD length, Wrap wrap = Wrap::Lines) {
    text.reserve(text.size() + length * 3 + length / kBytesPerLine * 3);
    for (DWORD i = 0; i < length; ++i) {
        AppendHexByte(text, data[i]);
        if (i + 1 == length)
            break;
        text += L',';
        if (wrap == Wrap::Lines && i > 0 && i % kBytesPerLine == 0)
            text += L"\\\r\n  ";
    }
}

void AppendHexPrefix(std::wstring& line, DWORD type) {
    if (type == REG_BINARY) {
        line += L"hex:";
        return;
    }
    // The type number is read back in hexadecimal.
    wchar_t prefix[24];
    std::swprintf(prefix, 24, L"hex(%lx):", static_cast<unsigned long>(type));
    line += prefix;
}

// A quoted string as the registry editor reads it back: backslash and double
// quote are escaped.
void AppendQuotedText(std::wstring& quoted, std::wstring_view text) {
    quoted += L'"';
    for (wchar_t c : text) {
        if (c == L'\\' || c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    quoted += L'"';
}

void AppendNamePart(std::wstring& line, std::wstring_view name) {
    if (name.empty())
        line += L'@';
    else
        AppendQuotedText(line, name);
}

// A REG_SZ that quoted text gives back exactly: the text and one closing NUL.
bool Quotable(DWORD type, const BYTE* data, DWORD length) {
    if (type != REG_SZ || length < sizeof(wchar_t) || !IsCleanString(type, data, length))
        return false;
    return !HoldsLineBreak(UnitsOf(data, length));
}

// Wine's editor adds a closing NUL to a string it imports from hex that has
// none, and rewrites an odd byte count; an empty string it keeps.
bool EditorChanges(DWORD type, const BYTE* data, DWORD length) {
    if (!IsStringType(type) || length == 0)
        return false;
    return length % 2 != 0 || data[length - 1] != 0 || data[length - 2] != 0;
}

LineMade AppendDataPart(RegFileForm form, std::wstring& line, DWORD type, const BYTE* data,
                        DWORD length) {
    if (type == REG_DWORD && length == 4) {
        DWORD value = 0;
        std::memcpy(&value, data, sizeof(value));
        wchar_t text[16];
        std::swprintf(text, 16, L"dword:%08lx", static_cast<unsigned long>(value));
        line += text;
        return LineMade::Made;
    }
    if (!IsStringType(type)) {
        AppendHexPrefix(line, type);
        AppendByteList(line, data, length);
        return LineMade::Made;
    }
    if (Quotable(type, data, length)) {
        AppendQuotedText(line, UnitsOf(data, length - sizeof(wchar_t)));
        return LineMade::Made;
    }
    AppendHexPrefix(line, type);
    if (form == RegFileForm::Regedit4) {
        // The editor reads a REGEDIT4 file's string bytes in the code page.
        std::string bytes;
        if (!IsCleanString(type, data, length) ||
            !AnsiFromWideExactly(UnitsOf(data, length), bytes))
            return LineMade::NotInForm;
        AppendByteList(line, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        return LineMade::Made;
    }
    if (length == 1) {
        // One byte would crash the editor: it gets the byte as a character.
        const BYTE padded[2] = {data[0], 0};
        AppendByteList(line, padded, 2);
    } else {
        AppendByteList(line, data, length);
    }
    return LineMade::Made;
}

// Reads a file line by line, in its own character type, without holding
// more than one line of it.
template <class Char>
class LineReader {
  public:
    explicit LineReader(std::FILE* file) : m_file(file) {}
    // The next line without its line end; false at the end of the file.
    bool Next(std::basic_string<Char>& line) {
        line.clear();
        for (;;) {
            if (m_pos == m_buffer.size() && !Fill())
                return !line.empty();
            const auto end = std::find(m_buffer.begin() + m_pos, m_buffer.end(), Char('\n'));
            line.append(m_buffer.begin() + m_pos, end);
            m_pos = static_cast<std::size_t>(end - m_buffer.begin());
            if (end != m_buffer.end()) {
                ++m_pos;
                if (!line.empty() && line.back() == Char('\r'))
                    line.pop_back();
                return true;
            }
        }
    }

  private:
    bool Fill() {
        m_buffer.resize(1 << 15);
        const std::size_t read = std::fread(&m_buffer[0], sizeof(Char), m_buffer.size(), m_file);
        m_buffer.resize(read);
        m_pos = 0;
        return read > 0;
    }

    std::FILE* m_file;
    std::basic_string<Char> m_buffer;
    std::size_t m_pos = 0;
};

// Where the name part of a value line ends (at its "="), or npos.
std::size_t NamePartEnd(std::wstring_view line) {
    if (line.compare(0, 2, L"@=") == 0)
        return 1;
    if (line.empty() || line[0] != L'"')
        return std::wstring_view::npos;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == L'\\') {
            ++i;
        } else if (line[i] == L'"') {
            return i + 1 < line.size() && line[i + 1] == L'=' ? i + 1 : std::wstring_view::npos;
        }
    }
    return std::wstring_view::npos;
}

std::wstring UnquoteName(std::wstring_view part) {
    if (part == L"@")
        return std::wstring();
    std::wstring name;
    for (std::size_t i = 1; i + 1 < part.size(); ++i) {
        if (part[i] == L'\\' && i + 2 < part.size())
            ++i;
        name += part[i];
    }
    return name;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// A "hex(t):" data part: the type and the bytes, continuation lines and all.
bool ParseHexData(std::wstring_view data, DWORD& type, std::vector<BYTE>& bytes) {
    if (data.compare(0, 4, L"hex(") != 0)
        return false;
    const std::size_t close = data.find(L"):");
    if (close == std::wstring_view::npos || close == 4)
        return false;
    type = 0;
    for (wchar_t c : data.substr(4, close - 4)) {
        if (HexValue(c) < 0)
            return false;
        type = type * 16 + static_cast<DWORD>(HexValue(c));
    }
    bytes.clear();
    int high = -1;
    for (wchar_t c : data.substr(close + 2)) {
        const int value = HexValue(c);
        if (value < 0)
            continue;  // commas, backslashes, line ends and indents
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<BYTE>(high * 16 + value));
            high = -1;
        }
    }
    return true;
}

// One logical line of a REGEDIT4 file (continuation lines included) as the
// Unicode form writes it. Everything in it came from the code page exactly,
// so converting it back loses nothing; only string bytes change their form.
std::wstring ToUnicodeLine(const std::string& ansiLine) {
    const std::wstring line = WideFromAnsi(ansiLine);
    const std::size_t nameEnd = NamePartEnd(line);
    if (nameEnd == std::wstring::npos)
        return line;
    DWORD type = 0;
    std::vector<BYTE> ansiBytes;
    if (!ParseHexData(std::wstring_view(line).substr(nameEnd + 1), type, ansiBytes) ||
        !IsStringType(type)) {
        return line;
    }
    const std::wstring text = WideFromAnsi(
        std::string_view(reinterpret_cast<const char*>(ansiBytes.data()), ansiBytes.size()));
    std::wstring converted = line.substr(0, nameEnd + 1);
    AppendDataPart(RegFileForm::Unicode, converted, type,
                   reinterpret_cast<const BYTE*>(text.data()),
                   static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    return converted;
}

}  // namespace

bool IsCleanString(DWORD type, const BYTE* data, DWORD length) {
    if (!IsStringType(type) || length == 0)
        return true;
    if (length % 2 != 0 || data[length - 1] != 0 || data[length - 2] != 0)
        return false;
    const std::wstring units = UnitsOf(data, length - sizeof(wchar_t));
    if (type != REG_MULTI_SZ && units.find(L'\0') != std::wstring::npos)
        return false;
    return !HasUnpairedSurrogate(units);
}

bool MakeKeyLine(std::wstring_view rootName, std::wstring_view subKey, std::wstring& line) {
    if (HoldsLineBreak(subKey))
        return false;
    line.assign(1, L'[');
    line += rootName;
    line += L'\\';
    line += subKey;
    line += L']';
    return true;
}

LineMade MakeValueLine(RegFileForm form, std::wstring_view name, DWORD type, const BYTE* data,
                       DWORD length, std::wstring& line) {
    if (HoldsLineBreak(name))
        return LineMade::NoLineCanDo;
    line.clear();
    AppendNamePart(line, name);
    line += L'=';
    const std::size_t namePartEnd = line.size();
    if (AppendDataPart(form, line, type, data, length) == LineMade::NotInForm)
        return LineMade::NotInForm;
    std::string ansi;
    if (form == RegFileForm::Regedit4 && !AnsiFromWideExactly(line, ansi))
        return LineMade::NotInForm;
    if (form == RegFileForm::Unicode && EditorChanges(type, data, length)) {
        line += L"\r\n";
        line += kExactMarker;
        line.append(line, 0, namePartEnd);
        AppendHexPrefix(line, type);
        AppendByteList(line, data, length, Wrap::None);
    }
    return LineMade::Made;
}

RegFileWriter::~RegFileWriter() {
    if (m_file)
        std::fclose(m_file);
}

bool RegFileWriter::Open(const std::wstring& path) {
    if (m_file)
        std::fclose(m_file);
    m_started = false;
    m_failed = false;
    m_form = RegFileForm::Regedit4;
    // Binary mode: the CR LF line ends are written as they are built.
    m_file = _wfopen(path.c_str(), L"wb");
    // A tree export writes many short lines: fewer, larger writes.
    if (m_file)
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    m_path = m_file ? path : std::wstring();
    return m_file != nullptr;
}

bool RegFileWriter::Close() {
    if (!m_file)
        return false;
    bool ok = !m_failed && std::fflush(m_file) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (!ok)
        DeleteFileW(m_path.c_str());
    return ok;
}

void RegFileWriter::Put(const void* bytes, std::size_t size) {
    if (!m_failed && std::fwrite(bytes, 1, size, m_file) != size)
        m_failed = true;
}

void RegFileWriter::WriteLine(std::wstring_view line) {
    if (!m_file || m_failed) {
        m_failed = true;
        return;
    }
    if (m_form == RegFileForm::Regedit4) {
        if (!m_started)
            Put("REGEDIT4\r\n", 10);
        m_started = true;
        // Carry has proved that the line fits.
        AnsiFromWideExactly(line, m_narrow);
        Put(m_narrow.data(), m_narrow.size());
        Put("\r\n", 2);
        return;
    }
    if (!m_started) {
        Put("\xff\xfe", 2);
        Put(kUnicodeHeader, (sizeof(kUnicodeHeader) / sizeof(wchar_t) - 1) * sizeof(wchar_t));
        Put(L"\r\n", 2 * sizeof(wchar_t));
    }
    m_started = true;
    Put(line.data(), line.size() * sizeof(wchar_t));
    Put(L"\r\n", 2 * sizeof(wchar_t));
}

bool RegFileWriter::SwitchToUnicode() {
    m_form = RegFileForm::Unicode;
    if (!m_started || !m_file)
        return !m_failed;
    // Rewrites the lines so far, through a file beside this one.
    const std::wstring converted = m_path + L".unicode";
    bool ok = std::fflush(m_file) == 0 && std::fclose(m_file) == 0 && !m_failed;
    m_file = nullptr;
    std::FILE* ansi = ok ? _wfopen(m_path.c_str(), L"rb") : nullptr;
    m_file = ansi ? _wfopen(converted.c_str(), L"wb") : nullptr;
    if (m_file) {
        std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
        m_started = false;
        LineReader<char> lines(ansi);
        std::string physical, logical;
        bool first = true;
        while (lines.Next(physical)) {
            logical += physical;
            // A line that ends in a backslash goes on in the next.
            if (!logical.empty() && logical.back() == '\\') {
                logical += "\r\n";
                continue;
            }
            if (!first || logical != kRegedit4Header)
                WriteLine(ToUnicodeLine(logical));
            first = false;
            logical.clear();
        }
        ok = !m_failed && std::fflush(m_file) == 0;
        ok = std::fclose(m_file) == 0 && ok;
    }
    if (ansi)
        std::fclose(ansi);
    ok = ok && MoveFileExW(converted.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    m_file = ok ? _wfopen(m_path.c_str(), L"ab") : nullptr;
    if (!m_file) {
        DeleteFileW(converted.c_str());
        m_failed = true;
        return false;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
    m_started = true;
    return true;
}

void RegFileWriter::WriteKeyLine(const std::wstring& keyLine) {
    if (m_form == RegFileForm::Regedit4 && !AnsiFromWideExactly(keyLine, m_narrow))
        SwitchToUnicode();
    WriteLine(keyLine);
}

bool RegFileWriter::WriteValue(const std::wstring& keyLine, std::wstring_view name, DWORD type,
                               const BYTE* data, DWORD length) {
    const LineMade made = MakeValueLine(m_form, name, type, data, length, m_valueLine);
    if (made == LineMade::NoLineCanDo)
        return false;
    if (m_form == RegFileForm::Regedit4 &&
        (made == LineMade::NotInForm || !AnsiFromWideExactly(keyLine, m_narrow))) {
        SwitchToUnicode();
        MakeValueLine(m_form, name, type, data, length, m_valueLine);
    }
    WriteLine(keyLine);
    WriteLine(m_valueLine);
    return true;
}

bool SetExactValues(const std::wstring& path) {
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return false;
    unsigned char mark[2] = {};
    // Only the Unicode form carries exact bytes.
    if (std::fread(mark, 1, 2, file) != 2 || mark[0] != 0xff || mark[1] != 0xfe) {
        std::fclose(file);
        return true;
    }
    bool allSet = true;
    LineReader<wchar_t> lines(file);
    std::wstring line;
    SplitPath key;
    const std::wstring_view marker = kExactMarker;
    while (lines.Next(line)) {
        if (!line.empty() && line[0] == L'[') {
            const std::size_t close = line.rfind(L']');
            key = SplitKeyPath(std::wstring_view(line).substr(
                1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            continue;
        }
        if (line.compare(0, marker.size(), marker) != 0)
            continue;
        const std::wstring_view entry = std::wstring_view(line).substr(marker.size());
        const std::size_t nameEnd = NamePartEnd(entry);
        DWORD type = 0;
        std::vector<BYTE> bytes;
        if (!key.ok || nameEnd == std::wstring_view::npos ||
            !ParseHexData(entry.substr(nameEnd + 1), type, bytes)) {
            allSet = false;
            continue;
        }
        OpenedKey opened = OpenKey(key.root, key.subKey, KEY_SET_VALUE);
        const std::wstring name = UnquoteName(entry.substr(0, nameEnd));
        // The registry takes a NUL right after a string's data for its
        // terminator and adds it: nothing after these bytes may be one.
        const DWORD length = static_cast<DWORD>(bytes.size());
        bytes.insert(bytes.end(), {0xff, 0xff});
        allSet = opened &&
                 RegSetValueExW(opened.get(), name.c_str(), 0, type, bytes.data(), length) ==
                     ERROR_SUCCESS &&
                 allSet;
    }
    std::fclose(file);
    return allSet;
}
