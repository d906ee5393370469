// The restart's pending file operations. MoveFileEx writes them in UTF-16,
// so they are read and written with the wide registry calls. The key is
// closed on every path by the function that opened it.
#include "restart_operations.h"

#include "pending_list.h"

#include <windows.h>

#include <stdlib.h>

static const WCHAR kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
static const WCHAR *const kPendingValues[] = {L"PendingFileRenameOperations",
                                              L"PendingFileRenameOperations2"};

enum {
    PATH_COUNT_LIMIT = 16,
    WIDE_PATH_CAPACITY = MAX_PATH   // characters of one path, terminator included
};

// Reads one list at its exact size, filters it and writes back what is
// left. The caller closes the key.
static int cancelInList(HKEY key, const WCHAR *value, const char16_t *const *paths, int count)
{
    DWORD type = 0;
    DWORD size = 0;
    LONG queried = RegQueryValueExW(key, value, nullptr, &type, nullptr, &size);
    if (queried == ERROR_FILE_NOT_FOUND)
        return PENDING_NONE_OURS;
    // One more character than stored, so that reading never runs short.
    WCHAR *data = queried == ERROR_SUCCESS ? static_cast<WCHAR *>(malloc(size + sizeof(WCHAR)))
                                           : nullptr;
    if (!data)
        return PENDING_NOT_CANCELLED;
    // A list that changed since its size was asked is not cut: read again
    // at the next install.
    DWORD read = size;
    int status = PENDING_NOT_CANCELLED;
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE *>(data), &read) ==
            ERROR_SUCCESS &&
        read == size) {
        size_t length = size / sizeof(WCHAR);
        bool wellFormed = type == REG_MULTI_SZ && size % sizeof(WCHAR) == 0;
        int filtered = filterPendingList(reinterpret_cast<char16_t *>(data), &length, wellFormed,
                                         paths, count);
        if (filtered == PENDING_LIST_NONE_OURS)
            status = PENDING_NONE_OURS;
        else if (filtered == PENDING_LIST_EMPTIED)
            status = RegDeleteValueW(key, value) == ERROR_SUCCESS ? PENDING_CANCELLED
                                                                  : PENDING_NOT_CANCELLED;
        else if (filtered == PENDING_LIST_FILTERED &&
                 RegSetValueExW(key, value, 0, REG_MULTI_SZ, reinterpret_cast<BYTE *>(data),
                                static_cast<DWORD>(length) * sizeof(WCHAR)) == ERROR_SUCCESS)
            status = PENDING_CANCELLED;
    }
    free(data);
    return status;
}

int cancelPendingDeletions(const char *const *paths, int count)
{
    if (!paths || count <= 0 || count > PATH_COUNT_LIMIT)
        return PENDING_NONE_OURS;
    static WCHAR wide[PATH_COUNT_LIMIT][WIDE_PATH_CAPACITY];
    const char16_t *widePaths[PATH_COUNT_LIMIT];
    int converted = 0;
    for (int i = 0; i < count; ++i)
        if (MultiByteToWideChar(CP_ACP, 0, paths[i], -1, wide[converted], WIDE_PATH_CAPACITY)) {
            widePaths[converted] = reinterpret_cast<const char16_t *>(wide[converted]);
            ++converted;
        }
    // Without the right to write, a list that holds ours cannot be
    // cancelled, and one that does not is read and left as it is.
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS)
        return PENDING_NOT_CANCELLED;
    int status = PENDING_NONE_OURS;
    for (const WCHAR *value : kPendingValues) {
        int listStatus = cancelInList(key, value, widePaths, converted);
        if (listStatus > status)
            status = listStatus;
    }
    RegCloseKey(key);
    return status;
}
