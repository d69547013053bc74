#include "pages/PageRegistryBackup.h"

#include "text/LanguageTable.h"
#include "resource.h"

PageRegistryBackup::PageRegistryBackup()
    : PageDialog(IDD_PAGE_REGISTRY_BACKUP, {{IDC_BACKUP_LIST, kLayoutSizeX | kLayoutSizeY},
                                            {IDC_BACKUP, kLayoutMoveX},
                                            {IDC_RESTORE, kLayoutMoveX},
                                            {IDC_BACKUP_TO_FILE, kLayoutMoveX},
                                            {IDC_RESTORE_FROM_FILE, kLayoutMoveX},
                                            {IDC_BACKUP_DELETE, kLayoutMoveX},
                                            {IDC_STATUS, kLayoutSizeX | kLayoutMoveY}}) {}

PageRegistryBackup::~PageRegistryBackup() {
    Destroy();
}

void PageRegistryBackup::InitPage() {
    SetStatusText(GetText("_PageRegistryBackupState1"));
}
