#include <gtest/gtest.h>

#include "text/FormatText.h"

namespace {

TEST(FormatCount, OneIntegerConversionIsFilledIn) {
    EXPECT_EQ(FormatCount("Found %d entries.", 12), "Found 12 entries.");
    EXPECT_EQ(FormatCount("%u left", 3), "3 left");
    EXPECT_EQ(FormatCount("[%5d]", 42), "[   42]");
    EXPECT_EQ(FormatCount("[%-4i]", 7), "[7   ]");
    EXPECT_EQ(FormatCount("%x", 255), "ff");
    // Length modifiers of the text do not decide how wide the argument is read.
    EXPECT_EQ(FormatCount("%hd rows", 70000), "70000 rows");
    EXPECT_EQ(FormatCount("%d rows", 5000000000LL), "5000000000 rows");
    EXPECT_EQ(FormatCount("%I64d rows", -1), "-1 rows");
}

TEST(FormatCount, DoublePercentShowsOnePercent) {
    EXPECT_EQ(FormatCount("%d%% done", 40), "40% done");
    EXPECT_EQ(FormatCount("100%% sure", 9), "100% sure");
}

TEST(FormatCount, TextWithoutConversionIsShownAsItIs) {
    EXPECT_EQ(FormatCount("Nothing found.", 0), "Nothing found.");
    EXPECT_EQ(FormatCount("", 5), "");
}

TEST(FormatCount, StrayConversionsNeverReachPrintf) {
    // Each of these would read or write memory if used as a format.
    EXPECT_EQ(FormatCount("Found %s entries", 3), "Found %s entries 3");
    EXPECT_EQ(FormatCount("%n entries", 3), "%n entries 3");
    EXPECT_EQ(FormatCount("%d of %d", 3), "%d of %d 3");
    EXPECT_EQ(FormatCount("%*d rows", 3), "%*d rows 3");
    EXPECT_EQ(FormatCount("%d rows %n", 3), "%d rows %n 3");
    EXPECT_EQ(FormatCount("%f", 3), "%f 3");
    EXPECT_EQ(FormatCount("%p", 3), "%p 3");
    EXPECT_EQ(FormatCount("50%% and %s", 3), "50%% and %s 3");
    EXPECT_EQ(FormatCount("ends in %", 3), "ends in % 3");
    EXPECT_EQ(FormatCount("ends in %l", 3), "ends in %l 3");
}

TEST(FormatCount, HugeWidthOrPrecisionIsNotUsedAsFormat) {
    // Would ask for gigabytes of padding.
    EXPECT_EQ(FormatCount("%999999999d rows", 3), "%999999999d rows 3");
    EXPECT_EQ(FormatCount("%.2000000000d", 3), "%.2000000000d 3");
    EXPECT_EQ(FormatPath("%99999999999s", "C:\\x"), "%99999999999s C:\\x");
    EXPECT_EQ(FormatCount("%08d", 42), "00000042");
}

TEST(FormatPath, OneStringConversionIsFilledIn) {
    EXPECT_EQ(FormatPath("Delete %s?", "C:\\a.reg"), "Delete C:\\a.reg?");
    EXPECT_EQ(FormatPath("%% %s %%", "x"), "% x %");
    // A narrow path stays narrow whatever the text asks for.
    EXPECT_EQ(FormatPath("Open %ls", "C:\\b"), "Open C:\\b");
    EXPECT_EQ(FormatPath("[%3s]", "k"), "[  k]");
}

TEST(FormatPath, ConversionCharactersInThePathAreNotInterpreted) {
    EXPECT_EQ(FormatPath("Saved to %s", "C:\\100%d %n %s.reg"), "Saved to C:\\100%d %n %s.reg");
}

TEST(FormatPath, TextWithoutConversionShowsNoPath) {
    EXPECT_EQ(FormatPath("Backup done.", "C:\\a.reg"), "Backup done.");
}

TEST(FormatPath, WrongOrSeveralConversionsShowTextAndPath) {
    EXPECT_EQ(FormatPath("%d files", "C:\\x"), "%d files C:\\x");
    EXPECT_EQ(FormatPath("%s to %s", "C:\\x"), "%s to %s C:\\x");
    EXPECT_EQ(FormatPath("%n%s", "C:\\x"), "%n%s C:\\x");
    EXPECT_EQ(FormatPath("%c", "C:\\x"), "%c C:\\x");
}

}  // namespace
