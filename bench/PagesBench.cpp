// A scan and a search through the real pages of the main window (null
// graphics driver), each against the same work through the engine alone in
// this program, timed in turns. Meanwhile another thread asks the main window
// every 50 ms whether it answers (WM_NULL through SendMessageTimeout): the
// answer times show whether the window stays live while the pages fill.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <cstdlib>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchCommon.h"
#include "app/MainFrame.h"
#include "cleaner/ScanDriver.h"
#include "resource.h"
#include "search/SearchEngine.h"
#include "settings/ModulePath.h"
#include "text/LanguageTable.h"

namespace {

// Answer times of the window in milliseconds, taken while recording is on.
class Prober {
  public:
    explicit Prober(HWND window) : m_window(window), m_thread([this] { Run(); }) {}
    ~Prober() {
        m_done = true;
        m_thread.join();
    }
    void Record(bool on) {
        m_started = NowSeconds();
        m_recording = on;
    }
    // Each answer time with when it was asked, in seconds after recording began.
    std::vector<std::pair<double, double>> Times() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_times;
    }

  private:
    void Run() {
        while (!m_done) {
            Sleep(50);
            if (!m_recording)
                continue;
            const double start = NowSeconds();
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(m_window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_times.push_back({(NowSeconds() - start) * 1000, start - m_started});
        }
    }

    HWND m_window;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_recording{false};
    std::atomic<double> m_started{0};
    std::mutex m_mutex;
    std::vector<std::pair<double, double>> m_times;
    std::thread m_thread;
};

// The program's message loop, until done() holds.
void RunMessagesUntil(const std::function<bool()>& done) {
    MSG message;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// Shows a page as a click on its name in the tree does.
void ShowPage(MainFrame& frame, int index) {
    HWND tree = frame.Selector().Tree();
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (int i = 0; i < index && item; ++i)
        item = reinterpret_cast<HTREEITEM>(
            SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Rounds of the timing in turns; fewer for a quick look.
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    Language().SetFile(FolderOfPath(ModuleFolder(nullptr)) + L"\\" + kProductName + L".language");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
    ComInitialization com;
    MainFrame frame;
    if (!frame.Create(nullptr))
        return 1;
    ShowWindow(frame.hwnd(), SW_SHOWNORMAL);
    PageRegistryCleaner& cleaner = frame.CleanerPage();
    PageRegistrySearch& search = frame.SearchPage();

    // Task 1 walks HKEY_CURRENT_USER\Software, which holds the generated tree.
    std::vector<bool> tasks(11, false);
    tasks[0] = true;
    cleaner.SetTaskSelection(tasks);
    std::size_t engineScanRows = 0;
    // The engine tells of every key; the page formats the newest when it shows it.
    struct : ScanProgress {
        void ShowKey(const std::wstring&) override {}
    } noProgress;
    auto scanAlone = [&] {
        CountingSink sink;
        RunScan(tasks, sink, &noProgress, nullptr);
        engineScanRows = sink.rows;
    };
    // Each page works while it is the one shown, as when a user starts it.
    auto scanOnPage = [&] {
        ShowPage(frame, 0);
        cleaner.StartScan();
        RunMessagesUntil([&] { return !cleaner.ScanRunning(); });
    };

    // The search of the search benchmark: "system32" anywhere in HKEY_CURRENT_USER.
    SetDlgItemTextW(search.hwnd(), IDC_KEYWORD, L"system32");
    for (int box : {IDC_INCLUDE_KEY, IDC_INCLUDE_VALUE, IDC_INCLUDE_DATA, IDC_HKCU})
        CheckDlgButton(search.hwnd(), box, BST_CHECKED);
    for (int box : {IDC_USE_WILDCARD, IDC_FULL_WORD_MATCH, IDC_CASE_SENSITIVE, IDC_HKCR, IDC_HKLM,
                    IDC_HKUR, IDC_HKCC})
        CheckDlgButton(search.hwnd(), box, BST_UNCHECKED);
    const SearchOptions options = search.Options();
    std::size_t engineSearchRows = 0;
    auto searchAlone = [&] {
        CountingSink sink;
        SearchRun(
            options, sink, [](const std::wstring&) {}, nullptr);
        engineSearchRows = sink.rows;
    };
    auto searchOnPage = [&] {
        ShowPage(frame, 1);
        search.StartSearch();
        RunMessagesUntil([&] { return !search.SearchRunning(); });
    };

    // The noise of this run: the raw enumeration of the searched root against itself.
    auto raw = [] { RawEnumerate(HKEY_CURRENT_USER, L""); };

    Prober prober(frame.hwnd());
    // The largest answer of the probes sent while run ran, by what ran.
    std::map<std::string, std::vector<std::pair<double, double>>> answers;
    auto probed = [&](const char* what, const std::function<void()>& run) {
        const std::size_t before = prober.Times().size();
        prober.Record(true);
        run();
        prober.Record(false);
        std::vector<std::pair<double, double>> all = prober.Times();
        auto& kept = answers[what];
        kept.insert(kept.end(), all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    };
    // The first walk in a process is slower than the later ones.
    scanAlone();
    // In turns, each the best of the rounds; the lists are cleared before
    // each round.
    std::vector<double> times(6, 1e300);
    const std::function<void()> contenders[] = {
        scanAlone,   [&] { probed("scan", scanOnPage); },
        searchAlone, [&] { probed("search", searchOnPage); },
        raw,         raw};
    for (int round = 0; round < rounds; ++round) {
        cleaner.ResultList().Clear();
        search.ResultList().Clear();
        for (int i = 0; i < 6; ++i)
            times[i] = std::min(times[i], BestOf(1, contenders[i]));
    }
    const int searchRows = search.ResultList().RowCount();

    // A deletion of 10,000 values from the search list, their backup first.
    const std::wstring doomed = L"Software\\ZdvPagesBenchDoomed";
    for (int i = 0; i < 10000; ++i) {
        const std::wstring name = L"value " + std::to_wstring(i);
        RegSetKeyValueW(HKEY_CURRENT_USER, doomed.c_str(), name.c_str(), REG_SZ, L"x", 4);
    }
    RegistryListView& results = search.ResultList();
    results.Clear();
    for (int i = 0; i < 10000; ++i)
        results.AddRow(
            {L"HKEY_CURRENT_USER", doomed, L"value " + std::to_wstring(i), L"x", REG_SZ});
    results.SelectAll(true);
    ListDeletion deletion;
    const double deleting =
        BestOf(1, [&] { probed("deletion", [&] { deletion = results.DeleteSelected(); }); });
    RegDeleteTreeW(HKEY_CURRENT_USER, doomed.c_str());
    // A clear of a million rows.
    const RegistryItem row = {
        L"HKEY_CURRENT_USER", L"Software\\ZdvBench\\Vendor07\\Product12\\Section3\\Item4",
        L"Location", L"C:\\Program Files\\Vendor7\\App12\\module41.dll /background", REG_SZ};
    auto queue = results.BeginJob();
    for (int chunk = 0; chunk < 100; ++chunk) {
        for (int i = 0; i < 10000; ++i)
            queue->AddRow(row);
        results.TakeWaitingRows();
    }
    results.EndJob();
    const double clearing = BestOf(1, [&] { probed("clear", [&] { results.Clear(); }); });

    std::wstring driver(64, L'\0');
    DWORD size = static_cast<DWORD>(driver.size() * sizeof(wchar_t));
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", L"Graphics", RRF_RT_REG_SZ, nullptr,
                 &driver[0], &size);
    std::printf(
        "display driver: %ls; task 1 scan: %zu rows by the engine; search for \"%ls\": %zu rows "
        "by the engine, %d on the page; %zu of 10,000 rows deleted\n",
        driver.c_str(), engineScanRows, options.keyword.c_str(), engineSearchRows, searchRows,
        deletion.removed);
    PrintFigure("scan, engine alone", times[0], "s");
    PrintFigure("scan through the cleaner page", times[1], "s");
    PrintFigure("ratio cleaner page / engine", times[1] / times[0], "");
    PrintFigure("search, engine alone", times[2], "s");
    PrintFigure("search through the search page", times[3], "s");
    PrintFigure("ratio search page / engine (<= 1.05)", times[3] / times[2], "");
    PrintFigure("ratio raw / raw (the noise)", times[5] / times[4], "");
    PrintFigure("deletion of 10,000 rows", deleting, "s");
    PrintFigure("clear of 1,000,000 rows", clearing, "s");
    for (auto& [what, times] : answers) {
        std::sort(times.begin(), times.end());
        if (times.empty())
            continue;
        std::printf(
            "probes during the %-9s %6zu, 99th percentile %7.1f ms, largest %7.1f ms (<= 100), "
            "asked %.1f s after the start\n",
            what.c_str(), times.size(), times[times.size() * 99 / 100].first, times.back().first,
            times.back().second);
    }
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
