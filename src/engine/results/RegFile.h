#pragma once
// The .reg files the program writes and the registry editor imports with
// "regedit /s". Importing one gives back the same keys, names, types and
// bytes: the backup before a deletion is the only way back for what the
// deletion removed.
//
// A file is REGEDIT4, in the ANSI code page, when every text of it converts
// to the code page and back unchanged and every string value is whole UTF-16
// text: the form other programs and scripts read. Anything else makes it
// "Windows Registry Editor Version 5.00", UTF-16LE with its byte-order mark,
// the form the registry editor writes itself. A file is written as REGEDIT4
// until the first entry that the form cannot carry; then what was written so
// far is converted and the rest follows in the other form.
//
// A few string values the registry editor does not import as they are (an
// odd byte count, no closing NUL, a single byte, on which Wine's editor
// crashes): the file holds a line the editor imports safely, and beside it a
// comment with the exact bytes, which the program's own restore sets after
// the editor has run.

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

enum class RegFileForm { Regedit4, Unicode };

// Whether a string value (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) holds whole
// UTF-16 text: no bytes, or an even count ending in a NUL unit, without an
// unpaired surrogate, and for the one-string types no NUL before the end.
// Other types are always clean.
bool IsCleanString(DWORD type, const BYTE* data, DWORD length);

// "[root\path]"; false when no line can name the key (its path holds a line break).
bool MakeKeyLine(std::wstring_view rootName, std::wstring_view subKey, std::wstring& line);

enum class LineMade {
    Made,         // line holds the value's line (and its exact-bytes comment)
    NotInForm,    // the form cannot carry the value: only the other form can
    NoLineCanDo,  // no form can: a line break in the name
};
LineMade MakeValueLine(RegFileForm form, std::wstring_view name, DWORD type, const BYTE* data,
                       DWORD length, std::wstring& line);

// One .reg file being written. Lines end in CR LF; the header is written
// before the first line, so a file that receives no line stays empty.
class RegFileWriter {
  public:
    RegFileWriter() = default;
    ~RegFileWriter();
    RegFileWriter(const RegFileWriter&) = delete;
    RegFileWriter& operator=(const RegFileWriter&) = delete;

    // Creates the file, or truncates it when it exists.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return m_file != nullptr; }
    // True when the file was open, every write succeeded and the file closed
    // cleanly: only then does it hold everything that was written to it.
    // Otherwise the file is removed, since a partial file would pose as the
    // whole export.
    bool Close();

    // A key line made by MakeKeyLine, for a key that holds no value.
    void WriteKeyLine(const std::wstring& keyLine);
    // The key's line and the value's line; false, writing nothing, when no
    // line can carry the value.
    bool WriteValue(const std::wstring& keyLine, std::wstring_view name, DWORD type,
                    const BYTE* data, DWORD length);

    RegFileForm Form() const { return m_form; }
    bool Failed() const { return m_failed; }
    bool Started() const { return m_started; }

  private:
    // Converts what was written so far to the Unicode form, which the rest
    // follows. False (and the file failed) when it could not.
    bool SwitchToUnicode();
    void WriteLine(std::wstring_view line);
    void Put(const void* bytes, std::size_t size);

    std::FILE* m_file = nullptr;
    std::wstring m_path;
    RegFileForm m_form = RegFileForm::Regedit4;
    bool m_started = false;
    bool m_failed = false;
    std::wstring m_valueLine;
    std::string m_narrow;
};

// Sets, after the registry editor has imported the file, every value whose
// exact bytes the file carries beside a line the editor imports differently.
// False when one of them could not be set (or the file could not be read).
bool SetExactValues(const std::wstring& path);
