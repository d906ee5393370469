// Finding the program-files and Start-menu folders by fixed probes, and
// emptying a folder.
#include "engine.h"

#include <stdlib.h>
#include <string.h>

bool probeFolder(const char *candidate, char *path)
{
    char *filePart = nullptr;
    DWORD length = SearchPathA(kProbeRoot, candidate, nullptr, PATH_CAPACITY - 1, path, &filePart);
    // A result that does not fit the capacity returns the size it needs,
    // and the buffer does not hold it.
    return length > 0 && length < PATH_CAPACITY - 1;
}

void findProgramFilesFolder(char *path)
{
    for (int i = 0; i < PROGRAM_FILES_CANDIDATE_COUNT; ++i)
        if (probeFolder(kProgramFilesCandidates[i], path))
            return;
    pathCopy(path, PATH_CAPACITY, kNoProgramFilesFolder);
}

bool findStartMenuFolder(char *path)
{
    for (int i = 0; i < START_MENU_CANDIDATE_COUNT; ++i)
        if (probeFolder(kStartMenuCandidates[i], path))
            return true;
    return false;
}

// The current directory at any length; null when it cannot be read.
// The caller frees it.
static char *rememberCurrentDirectory()
{
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0)
        return nullptr;
    char *saved = static_cast<char *>(malloc(needed));
    if (!saved)
        return nullptr;
    DWORD length = GetCurrentDirectoryA(needed, saved);
    if (length == 0 || length >= needed) {
        free(saved);
        return nullptr;
    }
    return saved;
}

static void restoreCurrentDirectory(char *saved)
{
    if (saved) {
        SetCurrentDirectoryA(saved);
        free(saved);
    }
}

bool emptyFolder(const char *path)
{
    if (!path || strlen(path) >= PATH_CAPACITY)
        return false;
    char *saved = rememberCurrentDirectory();
    if (!SetCurrentDirectoryA(path)) {
        restoreCurrentDirectory(saved);
        return false;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("*.*", &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
                DeleteFileA(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    restoreCurrentDirectory(saved);
    return true;
}
