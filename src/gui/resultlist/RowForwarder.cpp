#include "resultlist/RowForwarder.h"

namespace {

constexpr ULONGLONG kLongestWait = 25;
constexpr std::size_t kLargestBatch = 256;

}  // namespace

UINT ForwardedRowsMessage() {
    static const UINT message = RegisterWindowMessageW(L"ZazaDaziveveVivozed.ForwardedRows");
    return message;
}

RowForwarder::~RowForwarder() {
    Flush();
}

void RowForwarder::AddRow(int image, const std::wstring& rootName, const std::wstring& keyPath,
                          const std::wstring& valueName, const std::wstring& dataText, int type) {
    if (m_waiting.empty())
        m_oldest = GetTickCount64();
    m_waiting.push_back({image, rootName, keyPath, valueName, dataText, type});
    if (m_waiting.size() >= kLargestBatch)
        Flush();
    else
        FlushIfDue();
}

void RowForwarder::FlushIfDue() {
    if (!m_waiting.empty() && GetTickCount64() - m_oldest >= kLongestWait)
        Flush();
}

void RowForwarder::Flush() {
    if (m_waiting.empty())
        return;
    SendMessageW(m_list, ForwardedRowsMessage(), m_job, reinterpret_cast<LPARAM>(&m_waiting));
    m_waiting.clear();
}
