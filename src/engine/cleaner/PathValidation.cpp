#include "cleaner/PathValidation.h"

#include <cstring>

#include "common/AnsiText.h"
#include "common/UniqueHandle.h"

namespace {

const char kBlanksAndQuotes[] = " \"";

std::string TrimBlanksAndQuotes(const std::string& text) {
    return TrimChars(text, kBlanksAndQuotes);
}

bool Contains(const std::string& text, char c) {
    return FindChar(text, c) != std::string::npos;
}

// Cuts text at pos (when there is such a position) and trims what is left.
void CutAt(std::string& text, std::size_t pos) {
    if (pos == std::string::npos)
        return;
    text = TrimBlanksAndQuotes(text.substr(0, pos));
}

std::string ReadFixedDriveLetters() {
    char roots[500] = {};
    GetLogicalDriveStringsA(sizeof(roots) - 1, roots);
    std::string letters;
    for (const char* root = roots; *root != '\0' && root < roots + sizeof(roots);
         root += std::strlen(root) + 1) {
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            letters += UpperCopy(std::string(1, root[0]));
    }
    return letters;
}

enum class PathState { Exists, NotThere, CannotTell };

PathState ProbeOne(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        return PathState::Exists;
    switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return PathState::NotThere;
        default:
            return PathState::CannotTell;
    }
}

#ifdef _WIN64
// The Windows folder's System32, lower-cased, with a trailing backslash.
const std::string& LoweredSystem32() {
    static const std::string lowered = [] {
        char folder[MAX_PATH + 1] = {};
        UINT length = GetWindowsDirectoryA(folder, MAX_PATH);
        if (length == 0 || length > MAX_PATH)
            return std::string();
        return LowerCopy(TrimChars(folder, "\\") + "\\system32\\");
    }();
    return lowered;
}

// The SysWOW64 twin of a path inside System32.
bool SysWow64Twin(const std::string& path, std::string& twin) {
    const std::string& system32 = LoweredSystem32();
    if (system32.empty())
        return false;
    std::string lowered = LowerCopy(path) + (path.size() + 1 == system32.size() ? "\\" : "");
    if (lowered.compare(0, system32.size(), system32) != 0)
        return false;
    std::size_t folderEnd = system32.size() - std::string("system32\\").size();
    twin = path.substr(0, folderEnd) + "SysWOW64" + path.substr(system32.size() - 1);
    return true;
}
#endif

PathState Probe(const std::string& path) {
    if (path.empty())
        return PathState::NotThere;
    PathState state = ProbeOne(path);
#ifdef _WIN64
    std::string twin;
    if (state != PathState::Exists && SysWow64Twin(path, twin)) {
        PathState twinState = ProbeOne(twin);
        if (twinState != PathState::NotThere)
            state = twinState;
    }
#endif
    return state;
}

}  // namespace

bool PathFromText(const std::string& text, std::string& path) {
    path.clear();
    // The cheap tests come first: this runs for nearly every string value of
    // the whole-root scans.
    std::string s = TrimBlanksAndQuotes(text);
    if (!WildcardMatch("?:\\*", s.c_str()))
        return false;
    if (Contains(s, ',') || Contains(s, ';') || Contains(s, '!'))
        return false;

    std::size_t lastDot = FindLastChar(s, '.');
    if (lastDot != std::string::npos && FindChar(s, '[', lastDot) != std::string::npos) {
        return false;
    }
    CutAt(s, FindChar(s, '/'));  // switches such as /s
    std::size_t drive = FindText(s, ":\\");
    if (drive != std::string::npos) {
        // A second drive path or an alternate stream suffix.
        CutAt(s, FindChar(s, ':', drive + 2));
    }
    if (Contains(s, '*') || ContainsText(s, " -"))
        return false;
    CutAt(s, FindChar(s, '"'));  // quoted arguments
    if (Contains(s, '\''))
        return false;

    std::size_t firstDot = FindChar(s, '.');
    if (firstDot != std::string::npos && FindChar(s, ' ', firstDot) != std::string::npos) {
        return false;
    }
    if (CountOccurrences(s, ":\\", LetterCase::Ignore) != 1)
        return false;
    if (s.empty() || !Contains(FixedDriveLetters(), UpperCopy(s.substr(0, 1))[0]))
        return false;

    path = TrimBlanksAndQuotes(s);
    return true;
}

std::string KeptAnswer::Get() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const ULONGLONG now = m_clock();
    if (!m_asked || now - m_askedAt >= 1000) {
        m_answer = m_source();
        m_askedAt = now;
        m_asked = true;
    }
    return m_answer;
}

std::string FixedDriveLetters() {
    static KeptAnswer letters(ReadFixedDriveLetters, GetTickCount64);
    return letters.Get();
}

std::size_t CountOccurrences(const std::string& text, const std::string& part,
                             LetterCase letterCase) {
    const bool caseSensitive = letterCase == LetterCase::Match;
    if (part.empty())
        return 0;
    const std::string haystack = caseSensitive ? text : LowerCopy(text);
    const std::string needle = caseSensitive ? part : LowerCopy(part);
    std::size_t count = 0;
    for (std::size_t pos = FindText(haystack, needle); pos != std::string::npos;
         pos = FindText(haystack, needle, pos + needle.size())) {
        ++count;
    }
    return count;
}

bool PathExists(const std::string& path) {
    return Probe(path) == PathState::Exists;
}

bool IsMissingPath(const std::string& text) {
    std::string path;
    return PathFromText(text, path) && Probe(path) == PathState::NotThere;
}

bool ListSubfolders(const std::string& folder, FolderMap& folders, DWORD excludedAttributes) {
    if (folder.empty())
        return false;
    // The last character, not the last byte: a trail byte may be 0x5C.
    std::string prefix = folder;
    if (FindLastChar(folder, '\\') != folder.size() - 1)
        prefix += '\\';

    WIN32_FIND_DATAA entry;
    UniqueFindHandle find(FindFirstFileA((prefix + "*.*").c_str(), &entry));
    if (!find)
        return false;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            continue;
        if ((entry.dwFileAttributes & excludedAttributes) != 0)
            continue;
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        folders[name] = prefix + name;
    } while (FindNextFileA(find.get(), &entry));
    return true;
}
