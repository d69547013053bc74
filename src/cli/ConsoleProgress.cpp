#include "ConsoleProgress.h"

void ConsoleProgress::ShowStatus(const std::string& text) {
    ULONGLONG now = GetTickCount64();
    if (m_shown && now - m_shownAt < 100) {
        m_pending = text;
        return;
    }
    m_line.Show(text);
    m_pending.clear();
    m_shown = true;
    m_shownAt = now;
}

void ConsoleProgress::Flush() {
    if (!m_pending.empty())
        m_line.Show(m_pending);
    m_pending.clear();
}
