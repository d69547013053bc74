#include "registry/EnumBuffers.h"

#include <algorithm>

namespace {

constexpr std::size_t kMinimumBuffer = 256;
constexpr std::size_t kDataPadding = 2;  // a UTF-16 NUL after the data

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

void EnumBuffers::Fit(DWORD longestSubKey, DWORD longestValueName, DWORD longestData) {
    auto fit = [](auto& buffer, std::size_t size) {
        if (buffer.size() < size)
            buffer.resize(size);
    };
    fit(subKeyName, BufferSize(longestSubKey));
    fit(valueName, BufferSize(longestValueName));
    fit(data, BufferSize(longestData) + kDataPadding);
}

bool EnumBuffers::GrowForValue(DWORD neededData, int attempt) {
    if (attempt >= kAttempts)
        return false;
    // Either may be the one that was short. The name's need is not reported,
    // so its buffer goes straight to the longest name there can be.
    bool nameGrew = Grow(valueName, kNameCap, kNameCap);
    bool dataGrew = data.size() < std::size_t{neededData} + kDataPadding &&
                    Grow(data, std::size_t{neededData} + kDataPadding, kDataCap);
    return nameGrew || dataGrew;
}

bool EnumBuffers::GrowForSubKey(int attempt) {
    return attempt < kAttempts && Grow(subKeyName, kNameCap, kNameCap);
}

EnumRead EnumBuffers::ReadValue(HKEY key, DWORD index) {
    for (int attempt = 1;; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD dataLength = static_cast<DWORD>(data.size() - kDataPadding);
        LONG result = RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &m_type,
                                    data.data(), &dataLength);
        if (result == ERROR_MORE_DATA) {
            // The value changed since the key was measured: read it again in
            // larger buffers, or past their limits skip it.
            if (!GrowForValue(dataLength, attempt))
                return EnumRead::Skipped;
            continue;
        }
        if (result != ERROR_SUCCESS)
            return EnumRead::End;
        m_valueNameLength = nameLength;
        m_dataLength = dataLength;
        data[dataLength] = 0;
        data[dataLength + 1] = 0;
        return EnumRead::Read;
    }
}

EnumRead EnumBuffers::ReadSubKey(HKEY key, DWORD index) {
    for (int attempt = 1;; ++attempt) {
        DWORD nameLength = static_cast<DWORD>(subKeyName.size());
        LONG result = RegEnumKeyExW(key, index, subKeyName.data(), &nameLength, nullptr, nullptr,
                                    nullptr, nullptr);
        if (result == ERROR_MORE_DATA) {
            if (!GrowForSubKey(attempt))
                return EnumRead::Skipped;
            continue;
        }
        if (result != ERROR_SUCCESS)
            return EnumRead::End;
        m_subKeyNameLength = nameLength;
        return EnumRead::Read;
    }
}
