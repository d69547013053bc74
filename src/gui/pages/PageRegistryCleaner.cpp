#include "pages/PageRegistryCleaner.h"

#include <commctrl.h>

#include <string>

#include "cleaner/CleanerTasks.h"
#include "text/LanguageTable.h"
#include "resource.h"

PageRegistryCleaner::PageRegistryCleaner()
    : PageDialog(IDD_PAGE_REGISTRY_CLEANER, {{IDC_SCAN, kLayoutMoveX},
                                             {IDC_STOP, kLayoutMoveX},
                                             {IDC_CLEANER_DELETE, kLayoutMoveX},
                                             {IDC_DELETE_ALL, kLayoutMoveX},
                                             {IDC_TASK_LIST, kLayoutSizeX},
                                             {IDC_RESULT_LIST, kLayoutSizeX | kLayoutSizeY},
                                             {IDC_STATUS, kLayoutSizeX | kLayoutMoveY}}) {}

PageRegistryCleaner::~PageRegistryCleaner() {
    Destroy();
}

void PageRegistryCleaner::InitPage() {
    FillTaskList();
    SetStatusText(GetText("_PageRegistryCleanerState1"));
}

void PageRegistryCleaner::FillTaskList() {
    HWND list = Item(IDC_TASK_LIST);
    if (LoadPictureStrip(m_taskPictures, IDB_CLEANER_TASKS, 16, 16, 2)) {
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL,
                     reinterpret_cast<LPARAM>(m_taskPictures.list.get()));
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    for (int row = 0; row < kCleanerTaskCount; ++row) {
        std::string text = GetText("_PageRegistryCleanerTask" + std::to_string(row + 1));
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = &text[0];
        item.iImage = row;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}
