// Holding a folder while the install or the uninstall works in it. Both
// run with administrator rights, and a folder that a standard user owns
// (or whose parent they own) could otherwise be swapped for a link to any
// folder of the machine, which the program would then fill or empty.
#include "engine.h"

// True when the held object is a folder and no reparse point (junction,
// symbolic link, mount point, whatever its tag): asked of the handle, so
// the answer is about what is held, not about what the path leads to. It
// stays true while nobody may change the folder itself, as in the folders
// Windows names. Wine opens the target of a host symbolic link and shows
// it as a plain folder; only the path's own attributes show the link
// there, so they are asked too.
static bool heldIsPlainFolder(HANDLE held, const char *folder)
{
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!GetFileInformationByHandleEx(held, FileAttributeTagInfo, &info, sizeof info) ||
        (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            FILE_ATTRIBUTE_DIRECTORY)
        return false;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
               FILE_ATTRIBUTE_DIRECTORY;
}

// Opens the folder itself, never a link's target, and without delete
// sharing: while the handle is open the folder can be neither renamed nor
// removed, so nobody can swap it for a link.
int holdFolder(const char *folder, HANDLE *held)
{
    *held = CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                        nullptr);
    if (*held == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FOLDER_MISSING
                                                                              : FOLDER_REFUSED;
    }
    if (heldIsPlainFolder(*held, folder))
        return FOLDER_HELD;
    CloseHandle(*held);
    *held = INVALID_HANDLE_VALUE;
    return FOLDER_REFUSED;
}

int holdVersionFolder(const char *versionFolder, HANDLE held[2])
{
    char vendor[PATH_CAPACITY];
    held[0] = held[1] = INVALID_HANDLE_VALUE;
    if (!pathCopy(vendor, sizeof vendor, versionFolder) || !pathRemoveLastComponent(vendor))
        return FOLDER_REFUSED;
    int status = holdFolder(vendor, &held[0]);
    if (status == FOLDER_HELD)
        status = holdFolder(versionFolder, &held[1]);
    if (status != FOLDER_HELD)
        releaseFolders(held);
    return status;
}

void releaseFolders(HANDLE held[2])
{
    for (int i = 0; i < 2; ++i) {
        if (held[i] != INVALID_HANDLE_VALUE)
            CloseHandle(held[i]);
        held[i] = INVALID_HANDLE_VALUE;
    }
}
