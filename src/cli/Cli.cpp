#include <windows.h>

#include "Cli.h"

#include "common/AnsiText.h"

#include <cstdio>

int UsageError(const std::string& message) {
    std::fprintf(stderr, "zdv: %s\n", message.c_str());
    return kExitUsage;
}

int Failure(const std::string& message) {
    std::fprintf(stderr, "zdv: %s\n", message.c_str());
    return kExitFailure;
}

bool ParseOutputFormat(const std::string& text, OutputFormat& format) {
    if (text == "tsv") {
        format = OutputFormat::Tsv;
        return true;
    }
    if (text == "json") {
        format = OutputFormat::Json;
        return true;
    }
    return false;
}

namespace {

// The escapes both row formats use for the line characters of a text.
const char* LineEscape(unsigned char c) {
    switch (c) {
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        default:
            return nullptr;
    }
}

std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    int size = static_cast<int>(wide.size());
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

}  // namespace

std::string TsvEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const char* escape = LineEscape(static_cast<unsigned char>(c));
        if (escape) {
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

std::string JsonString(const std::string& ansiText) {
    std::string out = "\"";
    for (unsigned char c : Utf8FromWide(WideFromAnsi(ansiText))) {
        const char* escape = LineEscape(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (escape) {
            out += escape;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

bool PrintLine(const std::string& text) {
    std::string line = text + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    return !std::ferror(stdout);
}

int OutputFailure() {
    return Failure("standard output could not be written");
}

bool PrintRow(OutputFormat format, int task, const RegistryItem& item, const char* outcome) {
    std::string line;
    if (format == OutputFormat::Tsv) {
        if (task != kNoTask)
            line += std::to_string(task) + "\t";
        line += TsvEscape(item.rootKey) + "\t" + TsvEscape(item.keyPath) + "\t" +
                TsvEscape(item.valueName) + "\t" + TsvEscape(item.dataText) + "\t" +
                std::to_string(item.type);
        if (outcome)
            line += "\t" + TsvEscape(outcome);
    } else {
        line = "{";
        if (task != kNoTask)
            line += "\"task\":" + std::to_string(task) + ",";
        line += "\"root\":" + JsonString(item.rootKey) + ",\"key\":" + JsonString(item.keyPath) +
                ",\"value\":" + JsonString(item.valueName) +
                ",\"data\":" + JsonString(item.dataText) + ",\"type\":" + std::to_string(item.type);
        if (outcome)
            line += ",\"outcome\":" + JsonString(outcome);
        line += "}";
    }
    return PrintLine(line);
}

void PrintingSink::AddRow(int, const std::string& rootName, const std::string& keyPath,
                          const std::string& valueName, const std::string& dataText, int type) {
    if (!PrintRow(m_format, m_task, {rootName, keyPath, valueName, dataText, type}))
        m_failed = true;
}

ProgressLine::ProgressLine(bool quiet) {
    DWORD mode = 0;
    m_enabled = !quiet && GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

ProgressLine::~ProgressLine() {
    if (m_enabled && m_lastLength > 0) {
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_lastLength), "");
    }
}

void ProgressLine::Show(const std::string& text) {
    if (!m_enabled)
        return;
    std::string line = text.size() > 78 ? text.substr(0, 75) + "..." : text;
    std::size_t pad = m_lastLength > line.size() ? m_lastLength - line.size() : 0;
    std::fprintf(stderr, "\r%s%*s", line.c_str(), static_cast<int>(pad), "");
    m_lastLength = line.size();
}
