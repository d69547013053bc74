#include <gtest/gtest.h>

#include "TestSupport.h"
#include "common/UniqueHandle.h"

namespace {

// zdv.exe sits in the build folder, the folder the tests run in; it reads the
// program's language file there.
class ZdvSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        needle = "Needle" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(PlantKey(HKEY_CURRENT_USER, scratch.Sub(needle + "\\Inner")));
        ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, scratch.Sub("Values"), "Tabbed",
                                "caf\xe9\t" + needle + "\\x"));
        ASSERT_TRUE(PlantDword(HKEY_CURRENT_USER, scratch.Sub("Values"), needle, 255));
    }

    ZdvOutcome Zdv(const std::string& arguments) { return RunZdv("search " + arguments); }

    ScratchKey scratch{"CliSearch"};
    std::string needle;
};

TEST_F(ZdvSearchTest, TsvPrintsEveryHitInWalkOrderWithTextsEscaped) {
    ZdvOutcome result = Zdv(needle + " --roots HKCU");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    const std::string key = scratch.Sub(needle);
    EXPECT_EQ(result.out, "HKEY_CURRENT_USER\t" + key + "\t[Key]\t\t-1\n" + "HKEY_CURRENT_USER\t" +
                              scratch.Sub("Values") + "\t" + needle + "\t0x000000ff (255)\t4\n" +
                              "HKEY_CURRENT_USER\t" + scratch.Sub("Values") +
                              "\tTabbed\tcaf\xe9\\t" + needle + "\\x\t1\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(ZdvSearchTest, JsonPrintsOneUtf8ObjectPerHit) {
    ZdvOutcome result = Zdv(needle + " --data --format json --roots hkcu");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    std::string values = scratch.Sub("Values");
    std::string jsonValues;
    for (char c : values)
        jsonValues += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ(result.out, "{\"root\":\"HKEY_CURRENT_USER\",\"key\":\"" + jsonValues +
                              "\",\"value\":\"Tabbed\",\"data\":\"caf\xc3\xa9\\t" + needle +
                              "\\\\x\",\"type\":1}\n");
}

TEST_F(ZdvSearchTest, OptionsReachTheMatcher) {
    // Key names only, exact letter case, whole name: the key matches, the
    // value named like it is not looked at.
    ZdvOutcome result = Zdv(needle + " --keys --full-word --case --roots HKCU --quiet");
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "HKEY_CURRENT_USER\t" + scratch.Sub(needle) + "\t[Key]\t\t-1\n");

    // Progress is for a console only, never for a pipe.
    result = Zdv(needle + " --keys --full-word --case --roots HKCU");
    EXPECT_EQ(result.out, "HKEY_CURRENT_USER\t" + scratch.Sub(needle) + "\t[Key]\t\t-1\n");
    EXPECT_EQ(result.err, "");

    // Upper case keyword finds nothing when case matters.
    std::string upper = needle;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    result = Zdv(upper + " --values --case --roots HKCU");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "");

    result = Zdv("--values --wildcard --roots HKCU N?" + needle.substr(2));
    EXPECT_EQ(result.out, "HKEY_CURRENT_USER\t" + scratch.Sub("Values") + "\t" + needle +
                              "\t0x000000ff (255)\t4\n");
}

TEST(ZdvSearch, EmptyKeywordSearchesNothingAndSucceeds) {
    ZdvOutcome result = RunZdv("search \"\" --format json");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST(ZdvSearch, UsageErrorsExitWithTwoAndOneLine) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"", "search needs a KEYWORD"},
        {"a b", "search takes one KEYWORD; unexpected 'b'"},
        {"a --everything", "unknown search option '--everything'"},
        {"a --roots HKCU,HKXX", "unknown root key 'HKXX' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)"},
        {"a --roots ,", "unknown root key '' in --roots (use HKCR,HKCU,HKLM,HKU,HKCC)"},
        {"a --format xml", "unknown format 'xml' (use tsv or json)"},
        {"a --format", "--format needs a value"},
        {std::string(500, 'k') + " --keys", "KEYWORD is longer than 499 bytes"},
    };
    for (const Case& c : cases) {
        ZdvOutcome result = RunZdv("search " + c.arguments);
        EXPECT_EQ(result.exitCode, 2u) << c.arguments;
        // Standard error is a text stream: its line ends are CR LF.
        EXPECT_EQ(result.err, "zdv: " + c.message + "\r\n") << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
    }
}

}  // namespace
