#pragma once
// Owners for every kind of handle the program holds. One template, a traits
// type per kind; a view of a handle someone else owns is just the raw value.

#include <windows.h>
#include <oleauto.h>

#include <utility>

template <class Traits>
class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept : m_value(Traits::Invalid()) {}
    explicit UniqueHandle(Type value) noexcept : m_value(value) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_value(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Type get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != Traits::Invalid(); }

    Type release() noexcept { return std::exchange(m_value, Traits::Invalid()); }
    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(m_value, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }
    // For APIs that hand a new handle back through a pointer.
    Type* put() noexcept {
        reset();
        return &m_value;
    }

  private:
    Type m_value;
};

struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type key) noexcept { RegCloseKey(key); }
};
using UniqueRegKey = UniqueHandle<RegKeyTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { FindClose(handle); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

// Thread, process, event and mutex handles: null when absent.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type handle) noexcept { CloseHandle(handle); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// File handles: INVALID_HANDLE_VALUE when absent.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type handle) noexcept { CloseHandle(handle); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

template <class T>
struct GdiObjectTraits {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type object) noexcept { DeleteObject(reinterpret_cast<HGDIOBJ>(object)); }
};
template <class T>
using UniqueGdiObject = UniqueHandle<GdiObjectTraits<T>>;

struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type menu) noexcept { DestroyMenu(menu); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;

template <class Interface>
struct ComPtrTraits {
    using Type = Interface*;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type pointer) noexcept { pointer->Release(); }
};
template <class Interface>
using ComPtr = UniqueHandle<ComPtrTraits<Interface>>;

struct BstrTraits {
    using Type = BSTR;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type text) noexcept { SysFreeString(text); }
};
using UniqueBstr = UniqueHandle<BstrTraits>;

// A VARIANT is a value, not a handle: it is cleared on destruction.
class UniqueVariant {
  public:
    UniqueVariant() noexcept { VariantInit(&m_value); }
    ~UniqueVariant() { VariantClear(&m_value); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;

    VARIANT* get() noexcept { return &m_value; }
    const VARIANT* get() const noexcept { return &m_value; }
    VARIANT* put() noexcept {
        VariantClear(&m_value);
        return &m_value;
    }

  private:
    VARIANT m_value;
};

// COM for the current thread, for exactly as long as the guard lives.
class ComInitialization {
  public:
    ComInitialization() noexcept : m_initialized(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComInitialization() {
        if (m_initialized)
            CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

    bool initialized() const noexcept { return m_initialized; }

  private:
    bool m_initialized;
};
