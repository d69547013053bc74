// No DLL that a user without rights could plant beside the programs, or in the
// folder they are started from, ever runs inside them.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "TestSupport.h"
#include "common/Text.h"
#include "settings/ModulePath.h"

namespace {

// The DLLs a PE file imports at load time, in lower case.
std::set<std::wstring> ImportedDlls(const std::wstring& path) {
    const std::string image = ReadWholeFile(path);
    auto read = [&image](std::size_t offset, auto& value) {
        if (offset + sizeof(value) > image.size())
            throw std::out_of_range("past the end of the file");
        std::memcpy(&value, image.data() + offset, sizeof(value));
    };
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS64 nt;
    read(0, dos);
    read(dos.e_lfanew, nt);
    const std::size_t sections = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                                 nt.FileHeader.SizeOfOptionalHeader;
    auto fileOffset = [&](DWORD rva) -> std::size_t {
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER section;
            read(sections + i * sizeof(section), section);
            const DWORD size = std::max(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + size)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        throw std::out_of_range("an address in no section");
    };
    std::set<std::wstring> dlls;
    const DWORD table =
        nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    IMAGE_IMPORT_DESCRIPTOR entry;
    for (std::size_t at = fileOffset(table); read(at, entry), entry.Name != 0; at += sizeof(entry))
        dlls.insert(LowerCopy(WideFromAnsi(image.c_str() + fileOffset(entry.Name))));
    return dlls;
}

// The known DLLs of Windows 7 (the KnownDLLs key of the session manager):
// the loader takes them from the system folder only, wherever the program is.
const std::set<std::wstring> kKnownDlls = {
    L"advapi32.dll", L"clbcatq.dll",  L"comdlg32.dll", L"difxapi.dll",  L"gdi32.dll",
    L"iertutil.dll", L"imagehlp.dll", L"imm32.dll",    L"kernel32.dll", L"lpk.dll",
    L"msctf.dll",    L"msvcrt.dll",   L"normaliz.dll", L"nsi.dll",      L"ole32.dll",
    L"oleaut32.dll", L"psapi.dll",    L"rpcrt4.dll",   L"sechost.dll",  L"setupapi.dll",
    L"shell32.dll",  L"shlwapi.dll",  L"urlmon.dll",   L"user32.dll",   L"usp10.dll",
    L"wininet.dll",  L"wldap32.dll",  L"ws2_32.dll"};

TEST(Loading, TheProgramsImportOnlyKnownDllsAndTheWindowProgramItsCommonControls) {
    for (const wchar_t* program : {L"ZazaDaziveveVivozed.exe", L"zdv.exe"}) {
        std::set<std::wstring> allowed = kKnownDlls;
        // Bound by the window program's manifest to the system's side-by-side copy.
        if (std::wstring(program) == L"ZazaDaziveveVivozed.exe")
            allowed.insert(L"comctl32.dll");
        const std::set<std::wstring> imported = ImportedDlls(BuildFolder() + L"\\" + program);
        EXPECT_GE(imported.size(), 3u) << program;
        for (const std::wstring& dll : imported)
            EXPECT_EQ(allowed.count(dll), 1u) << program << L" imports " << dll;
    }
}

// A DLL beside a program and in the folder it is started from: the program's
// restriction keeps it out; without it the same load finds it.
TEST(Loading, ARestrictedProcessLoadsNoDllFromItsFolderOrTheCurrentOne) {
    ScratchFolder program(L"probe"), current(L"probecurrent");
    const std::wstring tests = ModuleFolder(nullptr);
    for (const std::wstring& folder : {program.path(), current.path()}) {
        ASSERT_TRUE(CopyFileW((tests + L"\\zdv_probe.dll").c_str(),
                              (folder + L"\\zdv_probe.dll").c_str(), FALSE));
    }
    const std::wstring host = program.path() + L"\\zdv_probe_host.exe";
    ASSERT_TRUE(CopyFileW((tests + L"\\zdv_probe_host.exe").c_str(), host.c_str(), FALSE));
    auto run = [&](const wchar_t* argument) {
        std::wstring commandLine = L"\"" + host + L"\" " + argument;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        DWORD loaded = 99;
        if (CreateProcessW(host.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                           nullptr, current.path().c_str(), &startup, &process)) {
            WaitForSingleObject(process.hProcess, 30000);
            GetExitCodeProcess(process.hProcess, &loaded);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        return loaded;
    };
    auto ran = [&] {
        return FileExists(program.path() + L"\\zdv_probe.dll.ran") ||
               FileExists(current.path() + L"\\zdv_probe.dll.ran");
    };
    EXPECT_EQ(run(L"restricted"), 0u);
    EXPECT_FALSE(ran());
    EXPECT_EQ(run(L"open"), 1u);
    EXPECT_TRUE(ran());
}

}  // namespace
