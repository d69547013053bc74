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

std::vector<std::string> ExistingFiles(std::size_t wanted) {
    std::vector<std::string> files;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    for (const char* pattern : {"\\system32\\*.dll", "\\system32\\*.exe", "\\*.exe"}) {
        std::string folder = std::string(windows) + pattern;
        folder.resize(folder.rfind('\\') + 1);
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((std::string(windows) + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            files.push_back(folder + data.cFileName);
        } while (files.size() < wanted && FindNextFileA(find, &data));
        FindClose(find);
    }
    return files;
}

std::vector<std::string> PathPool(Random& random) {
    std::vector<std::string> pool = ExistingFiles(1800);
    std::size_t missing = pool.size() / 9;
    for (std::size_t i = 0; i < missing; ++i) {
        char path[MAX_PATH];
        std::snprintf(path, sizeof(path), "C:\\Program Files\\Vendor%u\\App%u\\module%u.dll",
                      random.Next() % 50, random.Next() % 20, static_cast<unsigned>(i));
        pool.push_back(path);
    }
    return pool;
}

std::string PathValue(const std::string& path, unsigned form) {
    switch (form % 5) {
        case 0:
            return "\"" + path + "\" \"%1\"";
        case 1:
            return path + ",0";
        case 2:
            return path + " /background";
        default:
            return path;
    }
}

bool SetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool FillKey(HKEY parent, const std::string& name, Random& random,
             const std::vector<std::string>& pool, HKEY* created) {
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, created,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    unsigned r = random.Next();
    std::string path = PathValue(pool[r % pool.size()], r >> 20);
    char text[64];
    std::snprintf(text, sizeof(text), "Setting %u of %s", r % 1000, name.c_str());
    bool ok =
        SetValue(*created, "Location", REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1)) &&
        SetValue(*created, "Description", REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
    if (r & 1) {
        DWORD number = r % 100000;
        ok = ok && SetValue(*created, "Flags", REG_DWORD, &number, sizeof(number));
    } else {
        BYTE bytes[24];
        for (BYTE& b : bytes)
            b = static_cast<BYTE>(random.Next());
        ok = ok && SetValue(*created, "State", REG_BINARY, bytes, 8 + r % 16);
    }
    return ok;
}

}  // namespace

int main() {
    HKEY existing = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kBenchTreePath, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
        DWORD complete = 0, size = sizeof(complete);
        bool done = RegQueryValueExA(existing, "Complete", nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&complete), &size) == ERROR_SUCCESS &&
                    complete == 1;
        RegCloseKey(existing);
        if (done) {
            std::printf("tree already generated\n");
            return 0;
        }
    }
    Random random;
    std::vector<std::string> pool = PathPool(random);
    double start = NowSeconds();
    HKEY top = nullptr;
    if (!FillKey(HKEY_CURRENT_USER, kBenchTreePath, random, pool, &top)) {
        std::fprintf(stderr, "cannot create the tree\n");
        return 1;
    }
    char name[32];
    for (int v = 0; v < 50; ++v) {
        HKEY vendor;
        std::snprintf(name, sizeof(name), "Vendor%02d", v);
        if (!FillKey(top, name, random, pool, &vendor))
            return 1;
        for (int p = 0; p < 20; ++p) {
            HKEY product;
            std::snprintf(name, sizeof(name), "Product%02d", p);
            if (!FillKey(vendor, name, random, pool, &product))
                return 1;
            for (int s = 0; s < 9; ++s) {
                HKEY section;
                std::snprintf(name, sizeof(name), "Section%d", s);
                if (!FillKey(product, name, random, pool, &section))
                    return 1;
                for (int i = 0; i < 10; ++i) {
                    HKEY item;
                    std::snprintf(name, sizeof(name), "Item%d", i);
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
    SetValue(top, "Complete", REG_DWORD, &complete, sizeof(complete));
    RegCloseKey(top);
    RawStats stats = RawEnumerate(HKEY_CURRENT_USER, kBenchTreePath);
    std::printf("generated %llu keys, %llu values, %zu distinct paths in %.1f s\n",
                static_cast<unsigned long long>(stats.keys),
                static_cast<unsigned long long>(stats.values), pool.size(), NowSeconds() - start);
    return 0;
}
