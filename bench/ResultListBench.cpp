// A million rows into a result list, as the search page gets them: searches
// of HKEY_CURRENT_USER for "*" in key names, value names and data (the
// generated tree's keys and values, with their real texts), one after the
// other up to a million rows, on a worker thread once into a counting sink and
// once through the list's queue into a shown list. Then, on the full list:
// the memory its rows take, sorting by the key column, Select all and
// Shift+End, and clearing.
//   bench_ResultListBench.exe [ROWS]    (default: 1000000)

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "BenchCommon.h"
#include "framework/Window.h"
#include "resource.h"
#include "resultlist/RegistryListView.h"
#include "search/SearchEngine.h"
#include "settings/ModulePath.h"
#include "text/LanguageTable.h"

namespace {

// The page's part: a window that sends the list's notifications back to it.
class ListHost : public Window {
  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        if (message == WM_NOTIFY && ReflectToChild(message, wParam, lParam, result))
            return result;
        return Window::OnMessage(message, wParam, lParam);
    }
};

// Passes rows on until as many as wanted were given, then stops the search.
class RowsUpTo : public RowSink {
  public:
    RowsUpTo(RowSink& next, std::size_t wanted, std::size_t& given, StopFlag& stop)
        : m_next(next), m_wanted(wanted), m_given(given), m_stop(stop) {}
    void AddRow(const RegistryItem& item) override {
        if (m_given == m_wanted)
            return;
        m_next.AddRow(item);
        if (++m_given == m_wanted)
            m_stop = true;
    }

  private:
    RowSink& m_next;
    std::size_t m_wanted;
    std::size_t& m_given;
    StopFlag& m_stop;
};

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// Runs work on a worker thread while this thread takes the messages it posts,
// until done says the end came.
void RunOnWorker(const std::function<void()>& work, const std::function<bool()>& done) {
    std::atomic<bool> worked{false};
    std::thread worker([&] {
        work();
        worked = true;
    });
    while (!worked || !done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    worker.join();
}

double PagefileMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::size_t wanted = argc > 1 ? static_cast<std::size_t>(_wtoi(argv[1])) : 1000000;
    Language().SetFile(FolderOfPath(ModuleFolder(nullptr)) + L"\\" + kProductName + L".language");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ListHost host;
    Window::RegisterWindowClass(L"ZdvBenchHost", 0, nullptr);
    host.Create(L"ZdvBenchHost", nullptr, {0, 0, 900, 600}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND control = CreateWindowExW(
        0, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0,
        880, 560, host.hwnd(), reinterpret_cast<HMENU>(IDC_RESULT_LIST), nullptr, nullptr);
    RegistryListView list;
    list.SubclassList(control);
    list.SetRowPictures(IDB_SEARCH_RESULTS);

    SearchOptions options;
    options.keyword = L"*";
    options.useWildcard = options.includeKey = options.includeValue = options.includeData = true;
    options.searchHkcu = true;
    options.keyRowText = GetText(L"_PageRegistrySearchKeyFlagString");
    // The worker: searches run one after the other until they gave the rows wanted.
    std::size_t perSearch = 0;
    auto produce = [&](RowSink& sink) {
        StopFlag stop{false};
        std::size_t given = 0;
        RowsUpTo counted(sink, wanted, given, stop);
        while (!stop) {
            const std::size_t before = given;
            SearchRun(options, counted, SearchProgress(), &stop);
            perSearch = std::max(perSearch, given - before);
        }
    };

    CountingSink counter;
    double memoryPerRow = 0;
    const PairTimes times = BestOfInTurns(
        2, [&] { RunOnWorker([&] { produce(counter); }, [] { return true; }); },
        [&] {
            list.Clear();
            Pump();
            const double before = PagefileMiB();
            auto queue = list.BeginJob();
            RunOnWorker([&] { produce(*queue); },
                        [&] { return static_cast<std::size_t>(list.RowCount()) == wanted; });
            list.EndJob();
            memoryPerRow = (PagefileMiB() - before) * 1024.0 * 1024.0 / static_cast<double>(wanted);
        });
    const double alone = times.a, throughList = times.b;

    const double sort = BestOf(1, [&] { list.SortByColumn(RegistryListView::kKeyColumn); });
    Pump();
    // Each selection step three times from the same start, the best kept.
    double selectAll = 1e300, shiftEnd = 1e300, shiftUp = 1e300;
    int selectedByShiftEnd = 0;
    BYTE keys[256] = {};
    auto press = [&](UINT key) { SendMessageW(list.hwnd(), WM_KEYDOWN, key, 0); };
    for (int turn = 0; turn < 3; ++turn) {
        list.SelectAll(false);
        selectAll = std::min(selectAll, BestOf(1, [&] { list.SelectAll(true); }));
        list.SelectAll(false);
        list.FocusRow(0);
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
        shiftEnd = std::min(shiftEnd, BestOf(1, [&] { press(VK_END); }));
        selectedByShiftEnd = list.SelectedCount();
        shiftUp = std::min(shiftUp, BestOf(1, [&] { press(VK_UP); }));
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        Pump();
    }
    const int rowsInList = list.RowCount();
    const double clear = BestOf(1, [&] { list.Clear(); });

    std::printf("%zu search rows (%zu a search), %d in the list; Shift+End selected %d\n", wanted,
                perSearch, rowsInList, selectedByShiftEnd);
    PrintFigure("worker alone (rows counted)", alone, "s");
    PrintFigure("worker into a shown list", throughList, "s");
    PrintFigure("ratio list / worker alone (<= 1.05)", throughList / alone, "");
    PrintFigure("memory per row (<= 400)", memoryPerRow, "bytes");
    PrintFigure("sort by the key column (<= 2)", sort, "s");
    PrintFigure("select all (<= 1)", selectAll, "s");
    PrintFigure("Shift+End from the first row (<= 1)", shiftEnd, "s");
    PrintFigure("then Shift+Up", shiftUp, "s");
    PrintFigure("clear (<= 0.05)", clear, "s");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
