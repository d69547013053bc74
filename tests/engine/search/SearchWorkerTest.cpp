#include <gtest/gtest.h>

#include <objbase.h>

#include <mutex>
#include <vector>

#include "TestSupport.h"
#include "search/SearchWorker.h"

namespace {

// Records what a worker reports, each call as a text. With holdFirstRow, the
// first row blocks the worker until Release(), as a page busy with something
// else would.
class RecordingListener : public WorkListener {
  public:
    void AddRow(int, const std::string&, const std::string& keyPath, const std::string& name,
                const std::string&, int) override {
        // S_FALSE: the worker has initialised COM on its thread already.
        HRESULT com = CoInitialize(nullptr);
        if (SUCCEEDED(com))
            CoUninitialize();
        bool own = GetCurrentThreadId() != m_testThread && com == S_FALSE;
        Record("row " + keyPath + ":" + name + (own ? "" : " not on a COM worker thread"));
        SetEvent(m_firstRow.get());
        if (holdFirstRow)
            WaitForSingleObject(m_release.get(), INFINITE);
    }
    void ShowStatus(const std::string& text) override { m_status = text; }
    void WorkEnded() override {
        Record("ended after " + m_status);
        SetEvent(m_ended.get());
    }

    bool WaitForFirstRow() { return WaitForSingleObject(m_firstRow.get(), 60000) == WAIT_OBJECT_0; }
    bool WaitForEnd() { return WaitForSingleObject(m_ended.get(), 60000) == WAIT_OBJECT_0; }
    void Release() { SetEvent(m_release.get()); }
    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    bool holdFirstRow = false;

  private:
    void Record(const std::string& call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }
    const DWORD m_testThread = GetCurrentThreadId();
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::string m_status;  // the worker's thread only
    UniqueKernelHandle m_firstRow{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle m_release{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle m_ended{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

class SearchWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"zdvworkmark1", "zdvworkmark2", "zdvworkmark3"})
            ASSERT_TRUE(PlantString(HKEY_CURRENT_USER, scratch.Sub("Work"), name, "x"));
        options.keyword = "zdvworkmark";
        options.includeValue = true;
        options.searchHkcu = true;
    }
    void TearDown() override { Worker::WaitForAll(); }

    std::string Row(const std::string& name) const {
        return "row " + scratch.Sub("Work") + ":" + name;
    }

    ScratchKey scratch{"Worker"};
    SearchOptions options;
};

TEST_F(SearchWorkerTest, RunsTheSearchOnItsOwnThreadWithCom) {
    auto listener = std::make_shared<RecordingListener>();
    Worker worker;
    ASSERT_TRUE(worker.Start(SearchWork(options), listener));
    ASSERT_TRUE(listener->WaitForEnd());
    Worker::WaitForAll();
    EXPECT_FALSE(worker.Running());
    // A search that ended by itself is not stopped again.
    EXPECT_FALSE(worker.Stop());
    EXPECT_EQ(listener->Calls(), (std::vector<std::string>{
                                     Row("zdvworkmark1"), Row("zdvworkmark2"), Row("zdvworkmark3"),
                                     "ended after _PageRegistrySearchState3"}));
}

TEST_F(SearchWorkerTest, StopReturnsAtOnceWhileTheWorkerWaitsOnThePage) {
    auto listener = std::make_shared<RecordingListener>();
    listener->holdFirstRow = true;
    std::weak_ptr<RecordingListener> watch = listener;
    {
        Worker worker;
        ASSERT_TRUE(worker.Start(SearchWork(options), listener));
        ASSERT_TRUE(listener->WaitForFirstRow());
        EXPECT_TRUE(worker.Running());
        // The worker is blocked in the listener: a Stop that waited would never return.
        EXPECT_TRUE(worker.Stop());
        EXPECT_FALSE(worker.Running());
    }
    listener->Release();
    Worker::WaitForAll();
    EXPECT_EQ(listener->Calls(), (std::vector<std::string>{Row("zdvworkmark1")}));
    // The thread outlived the worker and let its reference go when it ended.
    listener.reset();
    EXPECT_TRUE(watch.expired());
}

}  // namespace
