#include "registry/EnumBuffers.h"

#include <algorithm>

namespace {

constexpr std::size_t kMinimumBuffer = 256;

std::size_t BufferSize(std::size_t longest) {
    return std::max(longest + 1, kMinimumBuffer);
}

// Doubles the buffer, at least to wanted, never past cap; false when it
// cannot grow.
template <class Buffer>
bool Grow(Buffer& buffer, std::size_t wanted, std::size_t cap) {
    std::size_t size = std::min(std::max(buffer.size() * 2, wanted), cap);
    if (size <= buffer.size())
        return false;
    buffer.resize(size);
    return true;
}

}  // namespace

EnumBuffers::EnumBuffers(DWORD longestSubKey, DWORD longestValueName, DWORD longestData) {
    Fit(longestSubKey, longestValueName, longestData);
}

// Names are reported in characters; a double-byte code page may need two
// bytes each.
void EnumBuffers::Fit(DWORD longestSubKey, DWORD longestValueName, DWORD longestData) {
    auto fit = [](auto& buffer, std::size_t longest) {
        std::size_t size = BufferSize(longest);
        if (buffer.size() < size)
            buffer.resize(size);
    };
    fit(subKeyName, std::size_t{longestSubKey} * 2);
    fit(valueName, std::size_t{longestValueName} * 2);
    fit(data, longestData);
}

bool EnumBuffers::GrowForValue(DWORD neededData, int attempt) {
    if (attempt >= kAttempts)
        return false;
    // Either may be the one that was short. The name's need is not reported,
    // so its buffer goes straight to the longest name there can be.
    bool nameGrew = Grow(valueName, kNameCap, kNameCap);
    bool dataGrew = data.size() <= neededData && Grow(data, std::size_t{neededData} + 1, kDataCap);
    return nameGrew || dataGrew;
}

bool EnumBuffers::GrowForSubKey(int attempt) {
    return attempt < kAttempts && Grow(subKeyName, kNameCap, kNameCap);
}
