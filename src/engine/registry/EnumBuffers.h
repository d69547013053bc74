#pragma once
// The buffers one enumeration reads names and data into, and the one retry
// rule of every enumeration call: when the registry answers "more data"
// because the key changed after it was measured, the buffers grow and the
// entry is read again. Each buffer grows on its own up to its cap, and one
// entry is asked for a few times at most: a key that keeps answering "more
// data" costs a skipped entry, never an allocation that grows until it fails.

#include <windows.h>

#include <cstddef>
#include <string_view>
#include <vector>

// What reading one entry by its index gave.
enum class EnumRead {
    Read,     // the entry is in the buffers
    Skipped,  // it kept growing past the buffers' caps; the next index follows
    End,      // no entry at this index (or the key cannot be read any further)
};

class EnumBuffers {
  public:
    // Value names hold at most 16,383 characters, key names 255; 64 MiB of
    // data is more than any value the program should hold in memory.
    static constexpr std::size_t kNameCap = 0x8000;
    static constexpr std::size_t kDataCap = 0x4000000;
    static constexpr int kAttempts = 4;

    // Sized from RegQueryInfoKeyW's longest names (in characters) and data.
    EnumBuffers(DWORD longestSubKey, DWORD longestValueName, DWORD longestData);

    // Grows each buffer that is smaller than the sizes above ask; never
    // shrinks, so one set serves every key of a walk.
    void Fit(DWORD longestSubKey, DWORD longestValueName, DWORD longestData);

    // RegEnumValueW and RegEnumKeyExW at index, with the retry rule above.
    EnumRead ReadValue(HKEY key, DWORD index);
    EnumRead ReadSubKey(HKEY key, DWORD index);

    // The entry read last.
    std::wstring_view ValueName() const { return {valueName.data(), m_valueNameLength}; }
    std::wstring_view SubKeyName() const { return {subKeyName.data(), m_subKeyNameLength}; }
    DWORD Type() const { return m_type; }
    // Followed by two NUL bytes that DataLength does not count, so no text
    // read from the data runs past it.
    const BYTE* Data() const { return data.data(); }
    DWORD DataLength() const { return m_dataLength; }

    // After the attempt-th "more data" for one value (neededData as the call
    // reported it): true when the buffers grew and the value is to be read
    // again; false when it is to be skipped.
    bool GrowForValue(DWORD neededData, int attempt);
    // The same for one sub key's name.
    bool GrowForSubKey(int attempt);

    std::vector<wchar_t> subKeyName;
    std::vector<wchar_t> valueName;
    std::vector<BYTE> data;  // two bytes more than offered, for a closing NUL

  private:
    DWORD m_valueNameLength = 0;
    DWORD m_subKeyNameLength = 0;
    DWORD m_type = REG_NONE;
    DWORD m_dataLength = 0;
};
