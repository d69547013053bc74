#include "ConsoleProgress.h"

#include "text/LanguageTable.h"

ConsoleProgress::ConsoleProgress(ProgressLine& line)
    : m_line(line),
      m_prefix(line.enabled() ? GetText(L"_PageRegistryCleanerState2") : std::wstring()) {}

void ConsoleProgress::ShowKey(const std::wstring& keyPath) {
    const ULONGLONG now = GetTickCount64();
    if (m_shown && now - m_shownAt < 100)
        return;
    ShowNow(m_prefix + keyPath);
}

void ConsoleProgress::ShowNow(const std::wstring& text) {
    m_line.Show(text);
    m_shown = true;
    m_shownAt = GetTickCount64();
}
