#include "resultlist/RowQueue.h"

namespace {

std::size_t BytesOf(const RegistryItem& item) {
    return sizeof(item) + (item.rootKey.size() + item.keyPath.size() + item.valueName.size() +
                           item.dataText.size()) *
                              sizeof(wchar_t);
}

}  // namespace

UINT RowsWaitingMessage() {
    static const UINT message = RegisterWindowMessageW(L"ZazaDaziveveVivozed.RowsWaiting");
    return message;
}

void RowQueue::AddRow(const RegistryItem& item) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_closed || m_bytes < kBoundBytes; });
    if (m_closed)
        return;
    const bool first = m_waiting->Size() == 0;
    m_waiting->Append(item);
    m_bytes += BytesOf(item);
    lock.unlock();
    if (first)
        PostMessageW(m_list, RowsWaitingMessage(), m_job, 0);
}

std::unique_ptr<RowStore> RowQueue::Take() {
    auto rows = std::make_unique<RowStore>();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        rows.swap(m_waiting);
        m_bytes = 0;
    }
    m_room.notify_all();
    return rows;
}

void RowQueue::Close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_waiting->Clear();
        m_bytes = 0;
    }
    m_room.notify_all();
}
