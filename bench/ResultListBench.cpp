// Rows into a result list, as the search page gets them: a search of
// HKEY_CURRENT_USER that names every key (the generated tree's 100,051 and the
// few the prefix holds), once into a counting sink and once from a worker
// thread through the forwarder into a shown list, in turns; then sorting
// those rows by a text column.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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

// Runs work on a worker thread while this thread takes the rows it sends.
void RunOnWorker(const std::function<void()>& work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    MSG message;
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    worker.join();
}

}  // namespace

int wmain() {
    Language().SetFile(FolderOfPath(ModuleFolder(nullptr)) + L"\\" + kProductName + L".language");
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ListHost host;
    Window::RegisterWindowClass(L"ZdvBenchHost", 0, nullptr);
    host.Create(L"ZdvBenchHost", nullptr, {0, 0, 900, 600}, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND control = CreateWindowExW(
        0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0,
        0, 880, 560, host.hwnd(), reinterpret_cast<HMENU>(IDC_RESULT_LIST), nullptr, nullptr);
    RegistryListView list;
    list.SubclassList(control);
    list.SetRowPictures(IDB_SEARCH_RESULTS);

    SearchOptions options;
    options.keyword = L"*";
    options.useWildcard = true;
    options.includeKey = true;
    options.searchHkcu = true;
    CountingSink counting;
    auto searchAlone = [&] {
        counting.rows = 0;
        SearchRun(options, counting, {}, nullptr);
    };
    // The search on a worker, its rows sent through the forwarder; kept by the
    // list, or dropped there (the cost of crossing threads alone).
    auto searchIntoList = [&](bool keep) {
        std::shared_ptr<RowForwarder> forwarder = list.BeginJob();
        if (!keep)
            list.EndJob();
        RunOnWorker([&] {
            // The page's part: rows wait no longer than a key's walk.
            SearchRun(
                options, *forwarder, [&](const std::wstring&) { forwarder->FlushIfDue(); },
                nullptr);
            forwarder->Flush();
        });
        list.ShowNewRows();
    };
    // The first walk in a process is slower than the later ones.
    searchAlone();
    double engine = 1e300, crossing = 1e300, throughList = 1e300;
    for (int turn = 1; turn <= 3; ++turn) {
        list.Clear();
        const double alone = BestOf(1, searchAlone);
        const double dropped = BestOf(1, [&] { searchIntoList(false); });
        const double kept = BestOf(1, [&] { searchIntoList(true); });
        std::printf("turn %d: alone %.3f s, rows dropped %.3f s, rows kept %.3f s\n", turn, alone,
                    dropped, kept);
        engine = std::min(engine, alone);
        crossing = std::min(crossing, dropped);
        throughList = std::min(throughList, kept);
    }
    const int rows = list.RowCount();
    const double sort = BestOf(3, [&] { list.SortByColumn(1); });

    std::printf("search of HKEY_CURRENT_USER for every key: %zu rows, %d in the list\n",
                counting.rows, rows);
    PrintFigure("search alone (rows counted)", engine, "s");
    PrintFigure("search, rows sent and dropped", crossing, "s");
    PrintFigure("search into a shown list (worker)", throughList, "s");
    PrintFigure("ratio rows dropped / search alone", crossing / engine, "");
    PrintFigure("ratio list / search alone", throughList / engine, "");
    PrintFigure("list cost per row", (throughList - engine) / rows * 1e6, "us");
    PrintFigure("sort of the rows by key", sort, "s");
    PrintFigure("peak memory", PeakMemoryMiB(), "MiB");
    return 0;
}
