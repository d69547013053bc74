#pragma once
// The backup page: the list of backups, the five backup and restore buttons
// and the status line (dialog 211). Whole-registry exports and imports are
// left to the registry editor; the page waits for it while the program keeps
// working, its buttons disabled until the editor has ended.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backup/BackupStore.h"
#include "framework/ListView.h"
#include "framework/UiHandles.h"
#include "pages/PageDialog.h"

class PageRegistryBackup : public PageDialog {
  public:
    // The file the user picks in the Save dialog (forSaving) or the Open
    // dialog; empty when the dialog was cancelled.
    using FileChooser = std::function<std::wstring(HWND owner, bool forSaving)>;

    PageRegistryBackup();
    ~PageRegistryBackup() override;

    // By default the program's backup folder, the registry editor of the
    // Windows folder and the common dialogs.
    void SetBackupFolder(const std::wstring& folder) { m_backupFolder = folder; }
    void SetEditorProgram(const std::wstring& program) { m_editorProgram = program; }
    void SetFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Whether a command is waiting for the registry editor.
    bool EditorRunning() const { return static_cast<bool>(m_editorWait); }

    // Lists the backup folder again. The selected file stays selected while
    // it is listed; otherwise the row at its place in the folder's order.
    void RefreshBackupList();
    // The selected backup's path; empty when no row is selected.
    std::wstring SelectedBackup() const;

  protected:
    void InitPage() override;
    void AfterResize() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    // Shared by a waiting command and the page: the command may outlive the page.
    struct EditorWait {
        bool pageGone = false;
    };
    enum class EditorEnd { Ended, Failed, Interrupted };

    // Each command returns false when the page went away while it waited;
    // nothing of the page may be touched then.
    bool OnBackup();
    bool OnBackupToFile();
    bool OnRestore();
    bool OnRestoreFromFile();
    bool OnDelete();
    bool Export(const std::wstring& path);
    bool Import(const std::wstring& path);
    EditorEnd RunEditor(bool exportAll, const std::wstring& path);

    int SelectedRow() const;
    void FitColumns();
    void SetButtonsEnabled(bool enabled);
    void ShowPathText(const wchar_t* key, const std::wstring& path);

    std::wstring m_backupFolder;
    std::wstring m_editorProgram;
    FileChooser m_chooseFile;
    ListView m_list;
    PictureStrip m_rowPicture;
    std::vector<std::wstring> m_rowPaths;  // by each row's item data
    std::shared_ptr<EditorWait> m_editorWait;
};
