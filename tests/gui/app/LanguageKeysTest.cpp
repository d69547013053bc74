// Every language key that the resource script and the code use has a text in
// the language file shipped beside the program.

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "TestSupport.h"

namespace {

// The sources as the test process sees them (Wine maps the Unix root to Z:).
std::string SourcePath(const std::string& relative) {
    std::string path = std::string("Z:") + ZDV_SOURCE_DIR + "/" + relative;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

void ListFiles(const std::string& folder, const std::vector<std::string>& extensions,
               std::vector<std::string>& files) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(path, extensions, files);
            continue;
        }
        for (const std::string& extension : extensions) {
            if (name.size() > extension.size() &&
                name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
                files.push_back(path);
            }
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

bool IsKeyCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Quoted literals of the form "_Name". A literal that ends in a letter and is
// followed by "+" starts keys numbered from 1 ("_PageRegistryCleanerTask" + n).
void CollectKeys(const std::string& text, std::set<std::string>& keys) {
    for (std::size_t quote = text.find("\"_"); quote != std::string::npos;
         quote = text.find("\"_", quote + 1)) {
        std::size_t end = quote + 2;
        while (end < text.size() && IsKeyCharacter(text[end]))
            ++end;
        if (end == quote + 2 || end >= text.size() || text[end] != '"')
            continue;
        std::string key = text.substr(quote + 1, end - quote - 1);
        std::size_t next = end + 1;
        while (next < text.size() && text[next] == ' ')
            ++next;
        const bool numbered = !std::isdigit(static_cast<unsigned char>(key.back()));
        if (numbered && next < text.size() && text[next] == '+')
            key += "1";
        keys.insert(key);
    }
}

std::string ShippedText(const std::string& key) {
    char buffer[4096] = {};
    GetPrivateProfileStringA("String", key.c_str(), "", buffer, sizeof(buffer),
                             ShippedLanguageFile().c_str());
    return buffer;
}

}  // namespace

TEST(ShippedLanguageFile, HasATextForEveryKeyOfTheResourcesAndTheCode) {
    std::vector<std::string> files;
    ListFiles(SourcePath("res"), {".rc"}, files);
    const size_t resourceFiles = files.size();
    ListFiles(SourcePath("src"), {".cpp", ".h"}, files);
    ASSERT_GE(resourceFiles, 1u);
    ASSERT_GT(files.size(), resourceFiles);

    std::set<std::string> keys;
    for (const std::string& file : files)
        CollectKeys(ReadWholeFile(file), keys);
    // A sample of keys from each place, so a broken scan cannot pass.
    for (const char* sample : {"_Scan", "_Exit", "_Warning", "_MainDialogCancelConfirm",
                               "_PageRegistryCleanerTask1", "_ZazaDaziveveVivozed"}) {
        EXPECT_EQ(keys.count(sample), 1u) << sample;
    }

    std::string missing;
    for (const std::string& key : keys) {
        if (ShippedText(key).empty())
            missing += " " + key;
    }
    EXPECT_TRUE(missing.empty()) << "keys without a text:" << missing;
}

TEST(ShippedLanguageFile, IsOneStringSectionWithWindowsLineEnds) {
    const std::string content = ReadWholeFile(ShippedLanguageFile());
    ASSERT_FALSE(content.empty());
    EXPECT_EQ(content.compare(0, 10, "[String]\r\n"), 0);
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\n') {
            ASSERT_TRUE(i > 0 && content[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    }
    EXPECT_EQ(content.find("\n["), std::string::npos) << "a second section";
}
