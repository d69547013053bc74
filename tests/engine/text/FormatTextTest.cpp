#include <gtest/gtest.h>

#include "text/FormatText.h"

namespace {

TEST(FormatCount, FillsInOneIntegerConversionAndShowsAnythingElseAsText) {
    const struct {
        const char* format;
        long long count;
        const char* text;
    } cases[] = {
        {"Found %d entries.", 12, "Found 12 entries."},
        {"[%5d]", 42, "[   42]"},
        {"%08d", 42, "00000042"},
        {"%d%% done", 40, "40% done"},
        {"Nothing found.", 0, "Nothing found."},
        // Length modifiers of the text do not decide how wide the argument is read.
        {"%hd rows", 70000, "70000 rows"},
        {"%d rows", 5000000000LL, "5000000000 rows"},
        {"%I64d rows", -1, "-1 rows"},
        // Each of these would read or write memory if used as a format, or ask
        // for gigabytes of padding: text and count are shown side by side.
        {"Found %s entries", 3, "Found %s entries 3"},
        {"%n entries", 3, "%n entries 3"},
        {"%d of %d", 3, "%d of %d 3"},
        {"%*d rows", 3, "%*d rows 3"},
        {"%f", 3, "%f 3"},
        {"50%% and %s", 3, "50%% and %s 3"},
        {"ends in %", 3, "ends in % 3"},
        {"ends in %l", 3, "ends in %l 3"},
        {"%999999999d rows", 3, "%999999999d rows 3"},
        {"%.2000000000d", 3, "%.2000000000d 3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatCount(c.format, c.count), c.text) << c.format;
}

TEST(FormatPath, FillsInOneStringConversionAndShowsAnythingElseAsText) {
    const struct {
        const char *format, *path, *text;
    } cases[] = {
        {"Delete %s?", "C:\\a.reg", "Delete C:\\a.reg?"},
        {"%% %s %%", "x", "% x %"},
        // A narrow path stays narrow whatever the text asks for.
        {"Open %ls", "C:\\b", "Open C:\\b"},
        {"[%3s]", "k", "[  k]"},
        // Conversion characters in the path are not interpreted.
        {"Saved to %s", "C:\\100%d %n %s.reg", "Saved to C:\\100%d %n %s.reg"},
        {"Backup done.", "C:\\a.reg", "Backup done."},
        {"%d files", "C:\\x", "%d files C:\\x"},
        {"%s to %s", "C:\\x", "%s to %s C:\\x"},
        {"%n%s", "C:\\x", "%n%s C:\\x"},
        {"%99999999999s", "C:\\x", "%99999999999s C:\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatPath(c.format, c.path), c.text) << c.format;
}

}  // namespace
