#pragma once
// The cleaner's page: the task list with its check boxes, the scan and delete
// buttons, the result list and the status line (dialog 204).

#include <memory>
#include <string>
#include <vector>

#include "framework/UiHandles.h"
#include "pages/PageDialog.h"
#include "pages/PageJob.h"
#include "resultlist/RegistryListView.h"

class PageRegistryCleaner : public PageDialog {
  public:
    PageRegistryCleaner();
    ~PageRegistryCleaner() override;

    // "config.xml" beside the program unless set otherwise before the page opens.
    void SetConfigFile(const std::wstring& path) { m_configFile = path; }

    // Whether a scan is running; the main window asks before it closes then.
    bool ScanRunning() const { return m_scan.Running(); }
    RegistryListView& ResultList() { return m_results; }

    void StartScan();
    void StopScan();
    // One flag per task, from the task list's check boxes.
    std::vector<bool> TaskSelection() const;
    void SetTaskSelection(const std::vector<bool>& selection);
    // "custom" or "default" of the stored selection; nothing changes when
    // there is none.
    void LoadTaskSelection(const wchar_t* which);
    void SaveTaskSelection();
    void ShowTaskMenu();
    // "Ignored and protected entries": the dialog of the two lists.
    void ShowEntryLists();
    // Adds the entries to the ignore list in the settings file; the filter of
    // the whole ignore list, or none when the file could not be saved.
    std::shared_ptr<const EntryFilter> Ignore(const std::vector<RegistryItem>& entries);
    void DeleteSelectedEntries();
    void DeleteAllEntries();

  protected:
    void InitPage() override;
    void AfterResize() override;
    bool OnCommand(int id, int code, HWND control) override;

  public:
    bool OnShortcut(const MSG& key) override;

  protected:
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnDestroy() override;

  private:
    void FillTaskList();
    void FitTaskColumns();
    void SetButtonStates(bool scan, bool stop, bool remove, bool removeAll);
    void ShowIdleButtons();
    void ShowScanEnd();

    std::wstring m_configFile;
    std::wstring m_walkingText;  // the status line before the key being scanned
    ListView m_tasks;
    PictureStrip m_taskPictures;
    RegistryListView m_results;
    PageJob m_scan;
};
