// A scan and a search through the real pages of the main window (null
// graphics driver), each against the same work through the engine alone in
// this program, timed in turns. Meanwhile another thread asks the main window
// every 50 ms whether it answers (WM_NULL through SendMessageTimeout): the
// answer times show whether the window stays live while the pages fill.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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
    void Record(bool on) { m_recording = on; }
    std::vector<double> Times() {
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
            m_times.push_back((NowSeconds() - start) * 1000);
        }
    }

    HWND m_window;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_recording{false};
    std::mutex m_mutex;
    std::vector<double> m_times;
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
    auto scanOnPage = [&] {
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
        search.StartSearch();
        RunMessagesUntil([&] { return !search.SearchRunning(); });
    };

    Prober prober(frame.hwnd());
    // The answers of the probes sent while run ran.
    auto probed = [&](const std::function<void()>& run) {
        const std::size_t before = prober.Times().size();
        prober.Record(true);
        run();
        prober.Record(false);
        std::vector<double> all = prober.Times();
        return std::vector<double>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    };
    std::vector<double> answers;
    auto keep = [&answers](const std::vector<double>& more) {
        answers.insert(answers.end(), more.begin(), more.end());
    };
    // The first walk in a process is slower than the later ones.
    scanAlone();
    // In turns, each the best of the rounds. A page's list is cleared before
    // its run and timed on its own: Wine's list view deletes all its rows in a
    // time that grows with the square of their number, a cost of the list
    // shown, not of the run.
    std::vector<double> times(4, 1e300);
    double clearing = 0;
    int clearedRows = 0;
    const std::function<void()> contenders[] = {scanAlone, [&] { keep(probed(scanOnPage)); },
                                                searchAlone, [&] { keep(probed(searchOnPage)); }};
    for (int round = 0; round < rounds; ++round) {
        clearedRows = search.ResultList().RowCount();
        clearing = BestOf(1, [&] {
            cleaner.ResultList().Clear();
            search.ResultList().Clear();
        });
        for (int i = 0; i < 4; ++i)
            times[i] = std::min(times[i], BestOf(1, contenders[i]));
    }
    std::sort(answers.begin(), answers.end());

    std::printf(
        "task 1 scan: %zu rows by the engine, %d on the page; search for \"%ls\": %zu rows "
        "by the engine, %d on the page\n",
        engineScanRows, cleaner.ResultList().RowCount(), options.keyword.c_str(), engineSearchRows,
        search.ResultList().RowCount());
    PrintFigure("scan, engine alone", times[0], "s");
    PrintFigure("scan through the cleaner page", times[1], "s");
    PrintFigure("ratio cleaner page / engine (target <= 1.2)", times[1] / times[0], "");
    PrintFigure("search, engine alone", times[2], "s");
    PrintFigure("search through the search page", times[3], "s");
    PrintFigure("ratio search page / engine (target <= 1.2)", times[3] / times[2], "");
    if (!answers.empty()) {
        PrintFigure("window probes during the runs", static_cast<double>(answers.size()), "");
        PrintFigure("probe answer, 99th percentile", answers[answers.size() * 99 / 100], "ms");
        PrintFigure("probe answer, largest (target < 100)", answers.back(), "ms");
    }
    // The window does not answer meanwhile.
    std::printf("clearing both lists (the search's %d rows) before the last round: %.3f s\n",
                clearedRows, clearing);
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
