#include <windows.h>

#include "Cli.h"

#include <cstdio>
#include <cwchar>

#include "cleaner/Problem.h"
#include "common/Text.h"

namespace {

HANDLE StreamHandle(Stream stream) {
    return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

std::FILE* StreamFile(Stream stream) {
    return stream == Stream::Out ? stdout : stderr;
}

// The escapes both row formats use for the line characters of a text.
const wchar_t* LineEscape(wchar_t c) {
    switch (c) {
        case L'\t':
            return L"\\t";
        case L'\n':
            return L"\\n";
        case L'\r':
            return L"\\r";
        default:
            return nullptr;
    }
}

bool IsSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

bool IsConsole(Stream stream) {
    DWORD mode = 0;
    return GetConsoleMode(StreamHandle(stream), &mode) != 0;
}

bool WriteText(Stream stream, std::wstring_view text) {
    if (IsConsole(stream)) {
        DWORD written = 0;
        return text.empty() || (WriteConsoleW(StreamHandle(stream), text.data(),
                                              static_cast<DWORD>(text.size()), &written, nullptr) &&
                                written == text.size());
    }
    std::FILE* file = StreamFile(stream);
    const std::string utf8 = Utf8FromWide(text);
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    std::fflush(file);
    return !std::ferror(file);
}

int UsageError(const std::wstring& message) {
    WriteText(Stream::Error, L"zdv: " + message + L"\n");
    return kExitUsage;
}

int Failure(const std::wstring& message) {
    WriteText(Stream::Error, L"zdv: " + message + L"\n");
    return kExitFailure;
}

bool ParseOutputFormat(const std::wstring& text, OutputFormat& format) {
    if (text == L"tsv") {
        format = OutputFormat::Tsv;
        return true;
    }
    if (text == L"json") {
        format = OutputFormat::Json;
        return true;
    }
    return false;
}

std::wstring TsvEscape(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        if (const wchar_t* escape = LineEscape(c))
            out += escape;
        else
            out += c;
    }
    return out;
}

std::wstring JsonString(const std::wstring& text) {
    std::wstring out = L"\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const bool pairStart = i + 1 < text.size() && c >= 0xD800 && c <= 0xDBFF &&
                               text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pairStart) {
            out += c;
            out += text[++i];
        } else if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (const wchar_t* escape = LineEscape(c)) {
            out += escape;
        } else if (c < 0x20 || IsSurrogate(c)) {
            // A surrogate alone has no UTF-8 form: its escape keeps it exact.
            wchar_t escaped[8];
            std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    out += L'"';
    return out;
}

bool PrintLine(const std::wstring& text) {
    return WriteText(Stream::Out, text + L"\n");
}

int OutputFailure() {
    return Failure(L"standard output could not be written");
}

bool PrintRow(OutputFormat format, int task, const RegistryItem& item, RowEnding ending) {
    const std::wstring problem =
        ending.problem ? ProblemText(item.problem, item.problemArgument) : std::wstring();
    std::wstring line;
    if (format == OutputFormat::Tsv) {
        if (task != kNoTask)
            line += std::to_wstring(task) + L"\t";
        line += TsvEscape(item.rootKey) + L"\t" + TsvEscape(item.keyPath) + L"\t" +
                TsvEscape(item.valueName) + L"\t" + TsvEscape(item.dataText) + L"\t" +
                std::to_wstring(item.type);
        if (ending.problem)
            line += L"\t" + TsvEscape(problem);
        if (ending.outcome)
            line += L"\t" + TsvEscape(ending.outcome);
    } else {
        line = L"{";
        if (task != kNoTask)
            line += L"\"task\":" + std::to_wstring(task) + L",";
        line += L"\"root\":" + JsonString(item.rootKey) + L",\"key\":" + JsonString(item.keyPath) +
                L",\"value\":" + JsonString(item.valueName) + L",\"data\":" +
                JsonString(item.dataText) + L",\"type\":" + std::to_wstring(item.type);
        if (ending.problem)
            line += L",\"problem\":" + JsonString(problem);
        if (ending.outcome)
            line += L",\"outcome\":" + JsonString(ending.outcome);
        line += L"}";
    }
    return PrintLine(line);
}

void PrintingSink::AddRow(const RegistryItem& item) {
    if (!PrintRow(m_format, m_task, item, m_ending))
        m_failed = true;
}

ProgressLine::ProgressLine(bool quiet) : m_enabled(!quiet && IsConsole(Stream::Error)) {}

ProgressLine::~ProgressLine() {
    if (m_enabled && m_lastLength > 0)
        WriteText(Stream::Error, L"\r" + std::wstring(m_lastLength, L' ') + L"\r");
}

void ProgressLine::Show(const std::wstring& text) {
    if (!m_enabled)
        return;
    const std::wstring line = text.size() > 78 ? text.substr(0, 75) + L"..." : text;
    const std::size_t pad = m_lastLength > line.size() ? m_lastLength - line.size() : 0;
    WriteText(Stream::Error, L"\r" + line + std::wstring(pad, L' '));
    m_lastLength = line.size();
}
