// Every language key that the resource script and the code use has a text in
// the language file shipped beside the program.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "common/Text.h"
#include "text/LanguageTable.h"

namespace {

// The source files with one of the extensions below a folder of the sources,
// as the test process sees them (Wine maps the Unix root to Z:).
std::vector<std::string> SourceFiles(const std::string& folder,
                                     const std::set<std::string>& extensions) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::string("Z:") + ZDV_SOURCE_DIR + "/" + folder)) {
        if (entry.is_regular_file() && extensions.count(entry.path().extension().string()))
            files.push_back(entry.path().string());
    }
    return files;
}

// Quoted literals of the form "_Name". A literal that ends in a letter and is
// followed by "+" starts keys numbered from 1 ("_PageRegistryCleanerTask" + n).
void CollectKeys(const std::string& text, std::set<std::string>& keys) {
    static const std::regex literal("\"(_[A-Za-z0-9]+)\"( *\\+)?");
    for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
        const std::string key = (*it)[1];
        const bool numbered =
            (*it)[2].matched && !std::isdigit(static_cast<unsigned char>(key.back()));
        keys.insert(numbered ? key + "1" : key);
    }
}

}  // namespace

TEST(ShippedLanguageFile, HasATextForEveryKeyOfTheResourcesAndTheCode) {
    std::vector<std::string> files = SourceFiles("res", {".rc"});
    ASSERT_GE(files.size(), 1u);
    for (const std::string& file : SourceFiles("src", {".cpp", ".h"}))
        files.push_back(file);

    std::set<std::string> keys;
    for (const std::string& file : files)
        CollectKeys(ReadWholeFile(WideFromUtf8(file)), keys);
    // A sample of keys from each place, so a broken scan cannot pass.
    for (const char* sample : {"_Scan", "_Exit", "_Warning", "_MainDialogCancelConfirm",
                               "_PageRegistryCleanerTask1", "_ZazaDaziveveVivozed"}) {
        EXPECT_EQ(keys.count(sample), 1u) << sample;
    }

    LanguageFileScope shipped(ShippedLanguageFile());
    std::string missing;
    for (const std::string& key : keys) {
        if (GetText(WideFromUtf8(key)) == WideFromUtf8(key))
            missing += " " + key;
    }
    EXPECT_TRUE(missing.empty()) << "keys without a text:" << missing;
}
