#include <gtest/gtest.h>

#include "text/FormatText.h"

namespace {

TEST(FormatCount, FillsInOneIntegerConversionAndShowsAnythingElseAsText) {
    const struct {
        const wchar_t* format;
        long long count;
        const wchar_t* text;
    } cases[] = {
        {L"Found %d entries.", 12, L"Found 12 entries."},
        {L"[%5d]", 42, L"[   42]"},
        {L"%08d", 42, L"00000042"},
        {L"%d%% done", 40, L"40% done"},
        {L"Nothing found.", 0, L"Nothing found."},
        // Length modifiers of the text do not decide how wide the argument is read.
        {L"%hd rows", 70000, L"70000 rows"},
        {L"%d rows", 5000000000LL, L"5000000000 rows"},
        {L"%I64d rows", -1, L"-1 rows"},
        // Each of these would read or write memory if used as a format, or ask
        // for gigabytes of padding: text and count are shown side by side.
        {L"Found %s entries", 3, L"Found %s entries 3"},
        {L"%n entries", 3, L"%n entries 3"},
        {L"%d of %d", 3, L"%d of %d 3"},
        {L"%*d rows", 3, L"%*d rows 3"},
        {L"%f", 3, L"%f 3"},
        {L"50%% and %s", 3, L"50%% and %s 3"},
        {L"ends in %", 3, L"ends in % 3"},
        {L"ends in %l", 3, L"ends in %l 3"},
        {L"%999999999d rows", 3, L"%999999999d rows 3"},
        {L"%.2000000000d", 3, L"%.2000000000d 3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatCount(c.format, c.count), c.text) << c.format;
}

TEST(FormatPath, FillsInOneStringConversionAndShowsAnythingElseAsText) {
    const struct {
        const wchar_t *format, *path, *text;
    } cases[] = {
        {L"Delete %s?", L"C:\\a.reg", L"Delete C:\\a.reg?"},
        {L"%% %s %%", L"x", L"% x %"},
        // A narrow path stays narrow whatever the text asks for.
        {L"Open %ls", L"C:\\b", L"Open C:\\b"},
        {L"[%3s]", L"k", L"[  k]"},
        // Conversion characters in the path are not interpreted.
        {L"Saved to %s", L"C:\\100%d %n %s.reg", L"Saved to C:\\100%d %n %s.reg"},
        {L"Backup done.", L"C:\\a.reg", L"Backup done."},
        {L"%d files", L"C:\\x", L"%d files C:\\x"},
        {L"%s to %s", L"C:\\x", L"%s to %s C:\\x"},
        {L"%n%s", L"C:\\x", L"%n%s C:\\x"},
        {L"%99999999999s", L"C:\\x", L"%99999999999s C:\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatPath(c.format, c.path), c.text) << c.format;
}

}  // namespace
