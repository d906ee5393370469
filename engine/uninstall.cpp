// The uninstall procedure.
#include "engine.h"

#include "../record/install_record.h"

static void removeShortcutFolder()
{
    char folder[PATH_CAPACITY];
    if (!findStartMenuFolder(folder))
        return;
    if (!pathAppendComponent(folder, sizeof folder, kVendorFolder) ||
        !pathAppendComponent(folder, sizeof folder, kVersionFolder))
        return;
    emptyFolder(folder);
    RemoveDirectoryA(folder);
}

int runUninstall()
{
    removeShortcutFolder();

    char installDir[PATH_CAPACITY];
    if (readInstallRecord(kRecordKey, installDir, PATH_CAPACITY - 1) != RECORD_OK)
        return MSG_UNINSTALL_FAILED;
    // A damaged or foreign record must not make us empty c:\windows or a
    // user's folder: only a directory this program installs to is touched.
    if (!isRecordableInstallDir(installDir))
        return MSG_UNINSTALL_FAILED;
    emptyFolder(installDir);
    RemoveDirectoryA(installDir);
    return MSG_SUCCESS;
}
