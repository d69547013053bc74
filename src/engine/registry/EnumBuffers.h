#pragma once
// The buffers the walk reads one key's names and data into, and how they grow
// when the registry answers "more data" because the key changed after it was
// measured. Each buffer grows on its own up to its cap, and one entry is asked
// for a few times at most: a key that keeps answering "more data" costs a
// skipped entry, never an allocation that grows until it fails.

#include <windows.h>

#include <cstddef>
#include <vector>

class EnumBuffers {
  public:
    // Value names hold at most 16,383 characters (two bytes each in a
    // double-byte code page), key names 255; 64 MiB of data is more than any
    // value the walk should hold in memory.
    static constexpr std::size_t kNameCap = 0x10000;
    static constexpr std::size_t kDataCap = 0x4000000;
    static constexpr int kAttempts = 4;

    // Sized from RegQueryInfoKeyA's longest names (in characters) and data.
    EnumBuffers(DWORD longestSubKey, DWORD longestValueName, DWORD longestData);

    // Grows each buffer that is smaller than the sizes above ask; never
    // shrinks, so one set serves every key of a walk.
    void Fit(DWORD longestSubKey, DWORD longestValueName, DWORD longestData);

    // After the attempt-th "more data" for one value (neededData as the call
    // reported it): true when the buffers grew and the value is to be read
    // again; false when it is to be skipped.
    bool GrowForValue(DWORD neededData, int attempt);
    // The same for one sub key's name.
    bool GrowForSubKey(int attempt);

    std::vector<char> subKeyName;
    std::vector<char> valueName;
    std::vector<BYTE> data;  // one byte more than offered, for a closing NUL
};
