#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "cleaner/PathValidation.h"
#include "common/UniqueHandle.h"

namespace {

// "" stands for "not a path".
std::string Judge(const std::string& text) {
    std::string path = "unchanged";
    bool isPath = PathFromText(text, path);
    EXPECT_EQ(isPath, !path.empty()) << text;
    return isPath ? path : std::string();
}

struct PathCase {
    const char* text;
    const char* path;
};

TEST(PathFromText, ExtractsOnlyPlainLocalFilePaths) {
    const PathCase cases[] = {
        // Blanks and quotes around the text go.
        {"C:\\Program Files\\App\\app.exe", "C:\\Program Files\\App\\app.exe"},
        {"  \"C:\\App\\app.exe\" ", "C:\\App\\app.exe"},
        // Only drive paths qualify.
        {"%SystemRoot%\\x.exe", ""},
        {"\\\\server\\share\\x.exe", ""},
        {"C:relative\\x.exe", ""},
        {"C:", ""},
        {"", ""},
        // Icon references, lists and exclamation marks.
        {"C:\\Windows\\system32\\shell32.dll,-101", ""},
        {"C:\\a;D:\\b", ""},
        {"C:\\Hello!\\x.exe", ""},
        // "[" after the last full stop only.
        {"C:\\data\\file.txt[1]", ""},
        {"C:\\data[1]\\file.txt", "C:\\data[1]\\file.txt"},
        // Switches after a slash are dropped, after " -" the text is no path.
        {"C:\\App\\app.exe /min", "C:\\App\\app.exe"},
        {"\"C:\\App\\app.exe\"/s", "C:\\App\\app.exe"},
        {"C:\\App\\app.exe -min", ""},
        {"C:\\App-Tools\\app.exe", "C:\\App-Tools\\app.exe"},
        // A second colon ends the path: alternate streams, second drive paths.
        {"C:\\file.txt:Zone.Identifier", "C:\\file.txt"},
        {"C:\\a.exe D:\\b.exe", ""},
        {"C:\\Tools\\run D:\\x", "C:\\Tools\\run D"},
        {"C:\\*.txt", ""},
        // Quoted arguments go; unquoted ones make the text no path.
        {"\"C:\\Program Files\\App\\app.exe\" \"%1\"", "C:\\Program Files\\App\\app.exe"},
        {"C:\\App\\app.exe arg", ""},
        {"C:\\it's\\x.exe", ""},
        {"C:\\My.Folder\\My File.txt", ""},
        {"C:\\My Folder\\file.txt", "C:\\My Folder\\file.txt"},
        // Fixed drives only; the drive letter's case does not matter.
        {"c:\\temp", "c:\\temp"},
        {"A:\\file.txt", ""},
        {"Q:\\file.txt", ""},
        {"C:\\", "C:\\"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(Judge(c.text), c.path) << c.text;
}

TEST(CountOccurrences, CountsWithoutOverlapAndOptionallyIgnoresCase) {
    EXPECT_EQ(CountOccurrences("C:\\a c:\\b", ":\\", LetterCase::Ignore), 2u);
    EXPECT_EQ(CountOccurrences("aaaa", "aa", LetterCase::Match), 2u);
    EXPECT_EQ(CountOccurrences("abAB", "ab", LetterCase::Match), 1u);
    EXPECT_EQ(CountOccurrences("abAB", "ab", LetterCase::Ignore), 2u);
    EXPECT_EQ(CountOccurrences("", "ab", LetterCase::Ignore), 0u);
}

TEST(FixedDriveLetters, ListsTheFixedDrivesOnly) {
    std::string letters = FixedDriveLetters();
    EXPECT_NE(letters.find('C'), std::string::npos);
    for (char letter : letters) {
        char root[] = {letter, ':', '\\', '\0'};
        EXPECT_EQ(GetDriveTypeA(root), static_cast<UINT>(DRIVE_FIXED)) << root;
    }
}

TEST(FixedDriveLetters, GivesEveryThreadTheSystemsAnswer) {
    // What the system says now, asked directly.
    std::string expected;
    char roots[500] = {};
    GetLogicalDriveStringsA(sizeof(roots) - 1, roots);
    for (const char* root = roots; *root; root += std::strlen(root) + 1) {
        if (GetDriveTypeA(root) == DRIVE_FIXED)
            expected += root[0];
    }
    std::vector<std::string> seen(4);
    std::vector<std::thread> threads;
    for (std::string& result : seen) {
        threads.emplace_back([&result, &expected] {
            // The first answer that differs, or the expected one.
            result = expected;
            for (int i = 0; i < 500 && result == expected; ++i)
                result = FixedDriveLetters();
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::string& result : seen)
        EXPECT_EQ(result, expected);
    // Still right once a kept answer has expired.
    Sleep(1050);
    EXPECT_EQ(FixedDriveLetters(), expected);
}

TEST(PathExists, FindsFilesFoldersAndRoots) {
    ScratchFolder folder("exists");
    std::string file = folder.MakeFile("sub\\file.txt");
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(folder.path() + "\\sub"));
    EXPECT_TRUE(PathExists(folder.path() + "\\SUB\\FILE.TXT"));
    EXPECT_TRUE(PathExists("C:\\"));
    EXPECT_FALSE(PathExists(folder.Missing("sub\\gone.txt")));
    EXPECT_FALSE(PathExists(folder.Missing("gone\\file.txt")));
    EXPECT_FALSE(PathExists(""));
}

TEST(PathExists, FindsFilesBehindPathsLongerThan128Characters) {
    ScratchFolder folder("long");
    std::string relative = std::string(60, 'a') + "\\" + std::string(60, 'b') + "\\file.txt";
    std::string file = folder.MakeFile(relative);
    ASSERT_GT(file.size(), 128u);
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(PathExists(file.substr(0, file.rfind('\\'))));
    EXPECT_FALSE(PathExists(file + ".old"));
}

TEST(PathExists, CountsSysWow64FilesAsPresentInSystem32) {
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string name = "zdvtwin" + std::to_string(GetCurrentProcessId()) + ".dll";
    std::string wow = std::string(windows) + "\\SysWOW64\\" + name;
    ASSERT_TRUE(WriteWholeFile(wow, "x"));
    bool inSystem32 = PathExists(std::string(windows) + "\\system32\\" + name);
    bool upperCase = PathExists(std::string(windows) + "\\SYSTEM32\\" + name);
    bool elsewhere = PathExists(std::string(windows) + "\\system\\" + name);
    DeleteFileA(wow.c_str());
    EXPECT_EQ(inSystem32, sizeof(void*) == 8);
    EXPECT_EQ(upperCase, sizeof(void*) == 8);
    EXPECT_FALSE(elsewhere);
    EXPECT_FALSE(PathExists(std::string(windows) + "\\system32\\" + name));
}

TEST(IsMissingPath, NeedsAPathThatTheFileSystemSaysIsNotThere) {
    ScratchFolder folder("missing");
    std::string file = folder.MakeFile("app.exe");
    EXPECT_FALSE(IsMissingPath(file));
    EXPECT_FALSE(IsMissingPath("\"" + file + "\" /min"));
    EXPECT_TRUE(IsMissingPath(folder.Missing("gone.exe")));
    EXPECT_TRUE(IsMissingPath("\"" + folder.Missing("gone.exe") + "\" \"%1\""));
    EXPECT_TRUE(IsMissingPath(folder.Missing("no\\such\\folder\\tool.exe")));
    EXPECT_TRUE(IsMissingPath(folder.Missing("bad<name>.exe")));
    EXPECT_FALSE(IsMissingPath(folder.Missing("gone.exe") + ",0"));
    EXPECT_FALSE(IsMissingPath("A:\\gone.exe"));
    EXPECT_FALSE(IsMissingPath("C:\\"));
}

TEST(IsMissingPath, KeepsEntriesWhoseExistenceCannotBeTested) {
    ScratchFolder folder("untestable");
    // Too long for the ANSI file functions: the file may well be there.
    std::string tooLong =
        folder.path() + "\\" + std::string(150, 'a') + "\\" + std::string(150, 'b') + "\\tool.exe";
    std::string path;
    ASSERT_TRUE(PathFromText(tooLong, path));
    EXPECT_FALSE(IsMissingPath(tooLong));

    // A file another program holds open without sharing is still there.
    std::string locked = folder.MakeFile("locked.exe");
    UniqueFileHandle handle(CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(handle);
    EXPECT_TRUE(PathExists(locked));
    EXPECT_FALSE(IsMissingPath(locked));
}

TEST(ListSubfolders, ListsDirectFoldersByNameAndSkipsFiles) {
    ScratchFolder folder("list");
    folder.MakeFolder("Accessories\\Deeper");
    folder.MakeFolder("Games");
    folder.MakeFile("readme.txt");
    std::string hidden = folder.MakeFolder("Hidden");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);

    FolderMap folders{{"Stale", "X:\\Stale"}};
    EXPECT_TRUE(ListSubfolders(folder.path(), folders));
    FolderMap expected{{"Accessories", folder.path() + "\\Accessories"},
                       {"Games", folder.path() + "\\Games"},
                       {"Hidden", hidden},
                       {"Stale", "X:\\Stale"}};
    EXPECT_EQ(folders, expected);

    // A trailing backslash is not doubled; excluded attributes apply.
    folders.clear();
    EXPECT_TRUE(ListSubfolders(folder.path() + "\\", folders, FILE_ATTRIBUTE_HIDDEN));
    expected.erase("Hidden");
    expected.erase("Stale");
    EXPECT_EQ(folders, expected);

    // A folder that cannot be listed says so and adds nothing.
    EXPECT_FALSE(ListSubfolders("", folders));
    EXPECT_FALSE(ListSubfolders(folder.Missing("gone"), folders));
    EXPECT_EQ(folders, expected);
}

// Code page 932: 0x5B and 0x5C also occur as trail bytes of double-byte characters.
TEST(PathValidationMultibyte, TrailBytesAreNeverTakenForBracketsOrBackslashes) {
    ASSERT_EQ(GetACP(), 932u);
    // "C:\v1.0\<katakana 'data'>": the long vowel mark is 0x81 0x5B.
    const std::string data = "C:\\v1.0\\\x83\x66\x81\x5b\x83\x5e";
    EXPECT_EQ(Judge(data), data);
    EXPECT_EQ(Judge("\"" + data + "\" /q"), data);
    EXPECT_EQ(Judge("C:\\v1.0\\x[1]"), "");

    // A folder whose name ends in a trail byte 0x5C (0x95 0x5C).
    ScratchFolder folder("mb");
    std::string table = folder.MakeFolder("\x95\x5c");
    folder.MakeFolder("\x95\x5c\\inner");
    ASSERT_TRUE(PathExists(table));
    FolderMap folders;
    ListSubfolders(table, folders);
    FolderMap expected{{"inner", table + "\\inner"}};
    EXPECT_EQ(folders, expected);
    EXPECT_TRUE(IsMissingPath(table + "\\gone.exe"));
    EXPECT_FALSE(IsMissingPath(table + "\\inner"));
}

}  // namespace
