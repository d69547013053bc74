#pragma once
// Judging file references found in registry text: the extraction of one local
// file path from free text, and the existence tests. The extraction is
// deliberately narrow: command lines with switches, lists, icon references and
// paths on removable or network drives are not paths, so they can never be
// reported as missing.

#include <windows.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

// The one file path named by text, when text names one on a local fixed drive.
// On false, path is left empty.
bool PathFromText(const std::wstring& text, std::wstring& path);

// Upper-case letters of the fixed drives, such as "CD". The answer may be up
// to a second old: asking the system costs milliseconds per call and the
// cleaner asks once per path-like value.
std::wstring FixedDriveLetters();

// An answer of the system kept for a second, safe to ask from any thread.
class KeptAnswer {
  public:
    using Source = std::wstring (*)();
    using Clock = ULONGLONG (*)();  // milliseconds
    KeptAnswer(Source source, Clock clock) : m_source(source), m_clock(clock) {}
    std::wstring Get();

  private:
    Source m_source;
    Clock m_clock;
    std::mutex m_mutex;
    std::wstring m_answer;
    ULONGLONG m_askedAt = 0;
    bool m_asked = false;
};

// Non-overlapping occurrences of part in text.
enum class LetterCase { Ignore, Match };
std::size_t CountOccurrences(const std::wstring& text, const std::wstring& part,
                             LetterCase letterCase);

// True when the path exists as a file or a folder. In the 64-bit build a path
// inside the Windows folder's System32 also exists when it exists in SysWOW64:
// a 32-bit program's entries name System32 and mean SysWOW64.
bool PathExists(const std::wstring& path);

// True when text names a path and the file system says that path is not there.
// A test that fails for another reason (access denied, sharing violation,
// device not ready) cannot judge the entry, so the path is not missing.
// judged, when given, receives the path that was tested.
bool IsMissingPath(const std::wstring& text, std::wstring* judged = nullptr);

// Folder name -> full folder path, in exact order of the names.
using FolderMap = std::map<std::wstring, std::wstring>;

// Adds one entry per folder directly inside folder, leaving out "." and ".."
// and folders with any of the excluded attributes. False, adding nothing, when
// folder is empty or cannot be listed (missing, access denied).
bool ListSubfolders(const std::wstring& folder, FolderMap& folders, DWORD excludedAttributes = 0);
