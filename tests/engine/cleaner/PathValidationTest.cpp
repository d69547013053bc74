#include <gtest/gtest.h>

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
        {"C:\\My Folder\\file.txt", "C:\\My Folder\\file.txt"},
        // Fixed drives only; the drive letter's case does not matter.
        {"c:\\temp", "c:\\temp"},
        {"A:\\file.txt", ""},
        {"C:\\", "C:\\"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(Judge(c.text), c.path) << c.text;
}

TEST(KeptAnswer, IsAskedAgainOnlyOnceASecondHasPassed) {
    static std::string answer;
    static ULONGLONG now;
    KeptAnswer kept([] { return answer; }, [] { return now; });
    const struct {
        const char* answer;
        ULONGLONG now;
        const char* kept;
    } steps[] = {{"CD", 5000, "CD"}, {"C", 5999, "CD"}, {"C", 6000, "C"}, {"CE", 6999, "C"}};
    for (const auto& step : steps) {
        answer = step.answer;
        now = step.now;
        EXPECT_EQ(kept.Get(), step.kept) << step.now;
    }
}

TEST(PathExists, CountsSysWow64FilesAsPresentInSystem32) {
    char folder[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(folder, MAX_PATH), 0u);
    const std::string windows = folder, name = "zdvtwin" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(WriteWholeFile(windows + "\\SysWOW64\\" + name, "x"));
    std::vector<bool> found;
    for (const char* system : {"system32", "SYSTEM32", "system"})
        found.push_back(PathExists(windows + "\\" + system + "\\" + name));
    DeleteFileA((windows + "\\SysWOW64\\" + name).c_str());
    EXPECT_EQ(found, (std::vector<bool>{sizeof(void*) == 8, sizeof(void*) == 8, false}));
    EXPECT_FALSE(PathExists(windows + "\\system32\\" + name));
}

TEST(IsMissingPath, NeedsAPathThatTheFileSystemSaysIsNotThere) {
    ScratchFolder folder("missing");
    std::string file = folder.MakeFile("sub\\app.exe");
    std::string gone = folder.Missing("gone.exe");
    std::string deep =
        folder.MakeFile(std::string(60, 'a') + "\\" + std::string(60, 'b') + "\\file.txt");
    // Too long for the ANSI file functions: the file may well be there.
    std::string tooLong =
        folder.path() + "\\" + std::string(150, 'a') + "\\" + std::string(150, 'b') + "\\tool.exe";
    std::string path;
    ASSERT_TRUE(PathFromText(tooLong, path));
    // A file another program holds open without sharing is still there.
    std::string locked = folder.MakeFile("locked.exe");
    UniqueFileHandle handle(CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(handle);
    for (const std::string& text :
         {gone, "\"" + gone + "\" \"%1\"", folder.Missing("no\\such\\tool.exe"),
          folder.Missing("bad<name>.exe"), deep + ".old"})
        EXPECT_TRUE(IsMissingPath(text)) << text;
    // Files and folders are there in any letter case, behind long paths too.
    for (const std::string& text :
         {file, "\"" + file + "\" /min", gone + ",0", std::string("A:\\gone.exe"),
          std::string("C:\\"), tooLong, locked, folder.path() + "\\SUB\\APP.EXE",
          folder.path() + "\\sub", deep, deep.substr(0, deep.rfind('\\'))})
        EXPECT_FALSE(IsMissingPath(text)) << text;
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
