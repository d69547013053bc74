#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "cleaner/PathValidation.h"
#include "common/UniqueHandle.h"

namespace {

// "" stands for "not a path".
std::wstring Judge(const std::wstring& text) {
    std::wstring path = L"unchanged";
    bool isPath = PathFromText(text, path);
    EXPECT_EQ(isPath, !path.empty()) << text;
    return isPath ? path : std::wstring();
}

struct PathCase {
    const wchar_t* text;
    const wchar_t* path;
};

TEST(PathFromText, ExtractsOnlyPlainLocalFilePaths) {
    const PathCase cases[] = {
        // Blanks and quotes around the text go.
        {L"C:\\Program Files\\App\\app.exe", L"C:\\Program Files\\App\\app.exe"},
        {L"  \"C:\\App\\app.exe\" ", L"C:\\App\\app.exe"},
        // Only drive paths qualify.
        {L"%SystemRoot%\\x.exe", L""},
        {L"\\\\server\\share\\x.exe", L""},
        {L"C:relative\\x.exe", L""},
        // Icon references, lists and exclamation marks.
        {L"C:\\Windows\\system32\\shell32.dll,-101", L""},
        {L"C:\\a;D:\\b", L""},
        {L"C:\\Hello!\\x.exe", L""},
        // "[" after the last full stop only.
        {L"C:\\data\\file.txt[1]", L""},
        {L"C:\\data[1]\\file.txt", L"C:\\data[1]\\file.txt"},
        // Switches after a slash are dropped, after " -" the text is no path.
        {L"C:\\App\\app.exe /min", L"C:\\App\\app.exe"},
        {L"\"C:\\App\\app.exe\"/s", L"C:\\App\\app.exe"},
        {L"C:\\App\\app.exe -min", L""},
        {L"C:\\App-Tools\\app.exe", L"C:\\App-Tools\\app.exe"},
        // A second colon ends the path: alternate streams, second drive paths.
        {L"C:\\file.txt:Zone.Identifier", L"C:\\file.txt"},
        {L"C:\\a.exe D:\\b.exe", L""},
        {L"C:\\Tools\\run D:\\x", L"C:\\Tools\\run D"},
        {L"C:\\*.txt", L""},
        // Quoted arguments go; unquoted ones make the text no path.
        {L"\"C:\\Program Files\\App\\app.exe\" \"%1\"", L"C:\\Program Files\\App\\app.exe"},
        {L"C:\\App\\app.exe arg", L""},
        {L"C:\\it's\\x.exe", L""},
        {L"C:\\My Folder\\file.txt", L"C:\\My Folder\\file.txt"},
        // Fixed drives only; the drive letter's case does not matter.
        {L"c:\\temp", L"c:\\temp"},
        {L"A:\\file.txt", L""},
        {L"C:\\", L"C:\\"},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(Judge(c.text), c.path) << c.text;
}

TEST(KeptAnswer, IsAskedAgainOnlyOnceASecondHasPassed) {
    static std::wstring answer;
    static ULONGLONG now;
    KeptAnswer kept([] { return answer; }, [] { return now; });
    const struct {
        const wchar_t* answer;
        ULONGLONG now;
        const wchar_t* kept;
    } steps[] = {
        {L"CD", 5000, L"CD"}, {L"C", 5999, L"CD"}, {L"C", 6000, L"C"}, {L"CE", 6999, L"C"}};
    for (const auto& step : steps) {
        answer = step.answer;
        now = step.now;
        EXPECT_EQ(kept.Get(), step.kept) << step.now;
    }
}

TEST(PathExists, CountsSysWow64FilesAsPresentInSystem32) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(folder, MAX_PATH), 0u);
    const std::wstring windows = folder, name = L"zdvtwin" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(WriteWholeFile(windows + L"\\SysWOW64\\" + name, "x"));
    std::vector<bool> found;
    for (const wchar_t* system : {L"system32", L"SYSTEM32", L"system"})
        found.push_back(PathExists(windows + L"\\" + system + L"\\" + name));
    DeleteFileW((windows + L"\\SysWOW64\\" + name).c_str());
    EXPECT_EQ(found, (std::vector<bool>{sizeof(void*) == 8, sizeof(void*) == 8, false}));
    EXPECT_FALSE(PathExists(windows + L"\\system32\\" + name));
}

TEST(IsMissingPath, NeedsAPathThatTheFileSystemSaysIsNotThere) {
    ScratchFolder folder(L"missing");
    std::wstring file = folder.MakeFile(L"sub\\app.exe");
    std::wstring gone = folder.Missing(L"gone.exe");
    std::wstring deep =
        folder.MakeFile(std::wstring(60, L'a') + L"\\" + std::wstring(60, L'b') + L"\\file.txt");
    // Deeper than MAX_PATH: made through the long form, and judged as any other.
    const std::wstring longFolder = std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b');
    const std::wstring tooLong = folder.Missing(longFolder + L"\\tool.exe");
    for (const std::wstring& made :
         {folder.Missing(std::wstring(150, L'a')), folder.Missing(longFolder)})
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + made).c_str(), nullptr));
    ASSERT_TRUE(UniqueFileHandle(CreateFileW((L"\\\\?\\" + tooLong).c_str(), GENERIC_WRITE, 0,
                                             nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)));
    // Taken away the same way: the shell's folder removal loses its way in
    // paths this deep (under Wine it removed the current folder's files).
    struct LongPathCleanup {
        std::wstring file, folders[2];
        ~LongPathCleanup() {
            DeleteFileW((L"\\\\?\\" + file).c_str());
            for (const std::wstring& folder : folders)
                RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
        }
    } cleanup{tooLong, {folder.Missing(longFolder), folder.Missing(std::wstring(150, L'a'))}};
    // A file another program holds open without sharing is still there.
    std::wstring locked = folder.MakeFile(L"locked.exe");
    UniqueFileHandle handle(CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(handle);
    for (const std::wstring& text :
         {gone, L"\"" + gone + L"\" \"%1\"", folder.Missing(L"no\\such\\tool.exe"),
          folder.Missing(L"bad<name>.exe"), deep + L".old",
          folder.Missing(longFolder + L"\\x.exe")})
        EXPECT_TRUE(IsMissingPath(text)) << text;
    // Files and folders are there in any letter case, behind long paths too.
    for (const std::wstring& text :
         {file, L"\"" + file + L"\" /min", gone + L",0", std::wstring(L"A:\\gone.exe"),
          std::wstring(L"C:\\"), tooLong, locked, folder.path() + L"\\SUB\\APP.EXE",
          folder.path() + L"\\sub", deep, deep.substr(0, deep.rfind(L'\\'))})
        EXPECT_FALSE(IsMissingPath(text)) << text;
}

}  // namespace
