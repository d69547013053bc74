#include "cleaner/PathValidation.h"

#include <utility>

#include "common/Text.h"
#include "common/UniqueHandle.h"

namespace {

const wchar_t kBlanksAndQuotes[] = L" \"";

std::wstring TrimBlanksAndQuotes(const std::wstring& text) {
    return TrimChars(text, kBlanksAndQuotes);
}

bool Contains(const std::wstring& text, wchar_t c) {
    return text.find(c) != std::wstring::npos;
}

// Cuts text at pos (when there is such a position) and trims what is left.
void CutAt(std::wstring& text, std::size_t pos) {
    if (pos == std::wstring::npos)
        return;
    text = TrimBlanksAndQuotes(text.substr(0, pos));
}

wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
}

std::wstring ReadFixedDriveLetters() {
    wchar_t roots[500] = {};
    const DWORD length = GetLogicalDriveStringsW(499, roots);
    std::wstring letters;
    for (const wchar_t* root = roots; root < roots + length && *root != L'\0';
         root += wcslen(root) + 1) {
        if (GetDriveTypeW(root) == DRIVE_FIXED)
            letters += UpperAscii(root[0]);
    }
    return letters;
}

enum class PathState { Exists, NotThere, CannotTell };

// A path deeper than MAX_PATH is asked for in its long form ("\\?\" and the
// full path), which the file functions take at any length.
std::wstring ProbedForm(const std::wstring& path) {
    if (path.size() < MAX_PATH)
        return path;
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    if (length == 0 || GetFullPathNameW(path.c_str(), length, &full[0], nullptr) >= length)
        return path;
    full.resize(length - 1);
    return L"\\\\?\\" + full;
}

PathState ProbeOne(const std::wstring& path) {
    if (GetFileAttributesW(ProbedForm(path).c_str()) != INVALID_FILE_ATTRIBUTES)
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
// The Windows folder's System32, with a trailing backslash.
const std::wstring& System32() {
    static const std::wstring folder = [] {
        wchar_t windows[MAX_PATH + 1] = {};
        UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
        if (length == 0 || length > MAX_PATH)
            return std::wstring();
        return TrimChars(windows, L"\\") + L"\\system32\\";
    }();
    return folder;
}

// The SysWOW64 twin of a path inside System32.
bool SysWow64Twin(const std::wstring& path, std::wstring& twin) {
    const std::wstring& system32 = System32();
    if (system32.empty())
        return false;
    const std::wstring withSlash = path.size() + 1 == system32.size() ? path + L"\\" : path;
    if (!StartsWithIgnoringCase(withSlash, system32))
        return false;
    const std::size_t folderEnd = system32.size() - std::wstring(L"system32\\").size();
    twin = path.substr(0, folderEnd) + L"SysWOW64" + path.substr(system32.size() - 1);
    return true;
}
#endif

PathState Probe(const std::wstring& path) {
    if (path.empty())
        return PathState::NotThere;
    PathState state = ProbeOne(path);
#ifdef _WIN64
    std::wstring twin;
    if (state != PathState::Exists && SysWow64Twin(path, twin)) {
        PathState twinState = ProbeOne(twin);
        if (twinState != PathState::NotThere)
            state = twinState;
    }
#endif
    return state;
}

}  // namespace

bool PathFromText(const std::wstring& text, std::wstring& path) {
    path.clear();
    // The cheap tests come first: this runs for nearly every string value of
    // the whole-root scans.
    std::wstring s = TrimBlanksAndQuotes(text);
    if (!WildcardMatch(L"?:\\*", s))
        return false;
    if (Contains(s, L',') || Contains(s, L';') || Contains(s, L'!'))
        return false;

    const std::size_t lastDot = s.rfind(L'.');
    if (lastDot != std::wstring::npos && s.find(L'[', lastDot) != std::wstring::npos)
        return false;
    CutAt(s, s.find(L'/'));  // switches such as /s
    const std::size_t drive = s.find(L":\\");
    if (drive != std::wstring::npos) {
        // A second drive path or an alternate stream suffix.
        CutAt(s, s.find(L':', drive + 2));
    }
    if (Contains(s, L'*') || ContainsText(s, L" -"))
        return false;
    CutAt(s, s.find(L'"'));  // quoted arguments
    if (Contains(s, L'\''))
        return false;

    const std::size_t firstDot = s.find(L'.');
    if (firstDot != std::wstring::npos && s.find(L' ', firstDot) != std::wstring::npos)
        return false;
    if (CountOccurrences(s, L":\\", LetterCase::Ignore) != 1)
        return false;
    if (s.empty() || !Contains(FixedDriveLetters(), UpperAscii(s[0])))
        return false;

    path = TrimBlanksAndQuotes(s);
    return true;
}

std::wstring KeptAnswer::Get() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const ULONGLONG now = m_clock();
    if (!m_asked || now - m_askedAt >= 1000) {
        m_answer = m_source();
        m_askedAt = now;
        m_asked = true;
    }
    return m_answer;
}

std::wstring FixedDriveLetters() {
    static KeptAnswer letters(ReadFixedDriveLetters, GetTickCount64);
    return letters.Get();
}

std::size_t CountOccurrences(const std::wstring& text, const std::wstring& part,
                             LetterCase letterCase) {
    if (part.empty())
        return 0;
    const bool caseSensitive = letterCase == LetterCase::Match;
    const std::wstring haystack = caseSensitive ? text : LowerCopy(text);
    const std::wstring needle = caseSensitive ? part : LowerCopy(part);
    std::size_t count = 0;
    for (std::size_t pos = haystack.find(needle); pos != std::wstring::npos;
         pos = haystack.find(needle, pos + needle.size())) {
        ++count;
    }
    return count;
}

bool PathExists(const std::wstring& path) {
    return Probe(path) == PathState::Exists;
}

bool IsMissingPath(const std::wstring& text, std::wstring* judged) {
    std::wstring path;
    if (!PathFromText(text, path) || Probe(path) != PathState::NotThere)
        return false;
    if (judged != nullptr)
        *judged = std::move(path);
    return true;
}

bool ListSubfolders(const std::wstring& folder, FolderMap& folders, DWORD excludedAttributes) {
    if (folder.empty())
        return false;
    const std::wstring prefix = folder.back() == L'\\' ? folder : folder + L'\\';
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileW((prefix + L"*.*").c_str(), &entry));
    if (!find)
        return false;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            continue;
        if ((entry.dwFileAttributes & excludedAttributes) != 0)
            continue;
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        folders[name] = prefix + name;
    } while (FindNextFileW(find.get(), &entry));
    return true;
}
