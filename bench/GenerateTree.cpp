// Fills HKEY_CURRENT_USER\Software\ZdvBench with a large, realistic tree:
// 100,051 keys, 300,153 values. Every key holds one path-like string (about half
// of all string values), one plain string and a number or a few bytes. The
// paths are drawn from a pool, as in a real registry where many entries name the
// same files: existing system files, plus about one in ten that is missing, in
// the forms programs write (bare, quoted with arguments, with switches, icon
// references).

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchCommon.h"

namespace {

struct Random {
    unsigned long long state = 0x2545F4914F6CDD1DULL;
    unsigned Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(state >> 33);
    }
};

std::vector<std::wstring> ExistingFiles(std::size_t wanted) {
    std::vector<std::wstring> files;
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    for (const wchar_t* pattern : {L"\\system32\\*.dll", L"\\system32\\*.exe", L"\\*.exe"}) {
        std::wstring folder = std::wstring(windows) + pattern;
        folder.resize(folder.rfind(L'\\') + 1);
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW((std::wstring(windows) + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            files.push_back(folder + data.cFileName);
        } while (files.size() < wanted && FindNextFileW(find, &data));
        FindClose(find);
    }
    return files;
}

std::vector<std::wstring> PathPool(Random& random) {
    std::vector<std::wstring> pool = ExistingFiles(1800);
    std::size_t missing = pool.size() / 9;
    for (std::size_t i = 0; i < missing; ++i) {
        wchar_t path[MAX_PATH];
        std::swprintf(path, MAX_PATH, L"C:\\Program Files\\Vendor%u\\App%u\\module%u.dll",
                      random.Next() % 50, random.Next() % 20, static_cast<unsigned>(i));
        pool.push_back(path);
    }
    return pool;
}

std::wstring PathValue(const std::wstring& path, unsigned form) {
    switch (form % 5) {
        case 0:
            return L"\"" + path + L"\" \"%1\"";
        case 1:
            return path + L",0";
        case 2:
            return path + L" /background";
        default:
            return path;
    }
}

bool SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool FillKey(HKEY parent, const std::wstring& name, Random& random,
             const std::vector<std::wstring>& pool, HKEY* created) {
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, created,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    unsigned r = random.Next();
    std::wstring path = PathValue(pool[r % pool.size()], r >> 20);
    wchar_t text[64];
    std::swprintf(text, 64, L"Setting %u of %ls", r % 1000, name.c_str());
    bool ok = SetValue(*created, L"Location", REG_SZ, path.c_str(),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) &&
              SetValue(*created, L"Description", REG_SZ, text,
                       static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
    if (r & 1) {
        DWORD number = r % 100000;
        ok = ok && SetValue(*created, L"Flags", REG_DWORD, &number, sizeof(number));
    } else {
        BYTE bytes[24];
        for (BYTE& b : bytes)
            b = static_cast<BYTE>(random.Next());
        ok = ok && SetValue(*created, L"State", REG_BINARY, bytes, 8 + r % 16);
    }
    return ok;
}

}  // namespace

int wmain() {
    HKEY existing = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBenchTreePath, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        DWORD complete = 0, size = sizeof(complete);
        bool done = RegQueryValueExW(existing, L"Complete", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&complete), &size) == ERROR_SUCCESS &&
                    complete == 1;
        RegCloseKey(existing);
        if (done) {
            std::printf("tree already generated\n");
            return 0;
        }
    }
    Random random;
    std::vector<std::wstring> pool = PathPool(random);
    double start = NowSeconds();
    HKEY top = nullptr;
    if (!FillKey(HKEY_CURRENT_USER, kBenchTreePath, random, pool, &top)) {
        std::fprintf(stderr, "cannot create the tree\n");
        return 1;
    }
    wchar_t name[32];
    for (int v = 0; v < 50; ++v) {
        HKEY vendor;
        std::swprintf(name, 32, L"Vendor%02d", v);
        if (!FillKey(top, name, random, pool, &vendor))
            return 1;
        for (int p = 0; p < 20; ++p) {
            HKEY product;
            std::swprintf(name, 32, L"Product%02d", p);
            if (!FillKey(vendor, name, random, pool, &product))
                return 1;
            for (int s = 0; s < 9; ++s) {
                HKEY section;
                std::swprintf(name, 32, L"Section%d", s);
                if (!FillKey(product, name, random, pool, &section))
                    return 1;
                for (int i = 0; i < 10; ++i) {
                    HKEY item;
                    std::swprintf(name, 32, L"Item%d", i);
                    if (!FillKey(section, name, random, pool, &item))
                        return 1;
                    RegCloseKey(item);
                }
                RegCloseKey(section);
            }
            RegCloseKey(product);
        }
        RegCloseKey(vendor);
    }
    DWORD complete = 1;
    SetValue(top, L"Complete", REG_DWORD, &complete, sizeof(complete));
    RegCloseKey(top);
    RawStats stats = RawEnumerate(HKEY_CURRENT_USER, kBenchTreePath);
    std::printf("generated %llu keys, %llu values, %zu distinct paths in %.1f s\n",
                static_cast<unsigned long long>(stats.keys),
                static_cast<unsigned long long>(stats.values), pool.size(), NowSeconds() - start);
    return 0;
}
