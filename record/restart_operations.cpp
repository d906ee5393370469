// The restart's pending file operations. MoveFileEx writes them in UTF-16,
// so they are read and written with the wide registry calls. The key is
// closed on every path by the function that opened it.
#include "restart_operations.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

static const WCHAR kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
static const WCHAR kPendingValue[] = L"PendingFileRenameOperations";
static const WCHAR kNativePrefix[] = L"\\??\\";

enum {
    NATIVE_PREFIX_LENGTH = 4,
    WIDE_PATH_CAPACITY = MAX_PATH   // characters of one path, terminator included
};

// The characters of the name that starts at text, or -1 when no terminator
// comes before end.
static int nameLength(const WCHAR *text, const WCHAR *end)
{
    for (const WCHAR *p = text; p < end; ++p)
        if (!*p)
            return static_cast<int>(p - text);
    return -1;
}

// True when the name, without its "\??\", is one of the paths. Compared as
// the file system compares names: ordinally, without regard to case.
static bool isOneOf(const WCHAR *name, const char *const *paths, int count)
{
    if (wcsncmp(name, kNativePrefix, NATIVE_PREFIX_LENGTH) == 0)
        name += NATIVE_PREFIX_LENGTH;
    for (int i = 0; i < count; ++i) {
        WCHAR wide[WIDE_PATH_CAPACITY];
        if (paths[i] &&
            MultiByteToWideChar(CP_ACP, 0, paths[i], -1, wide, WIDE_PATH_CAPACITY) > 0 &&
            CompareStringOrdinal(name, -1, wide, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// Walks the pairs of names in the length characters at data, up to an empty
// first name or the end; a deletion's empty second name is no end. Moves
// the pairs that stay, then what follows the last pair, forward in place
// and returns the characters left; *pairsLeft tells whether a pair is
// among them. -1 when a name runs past the end.
static int dropOurDeletions(WCHAR *data, int length, const char *const *paths, int count,
                            bool *pairsLeft)
{
    const WCHAR *end = data + length;
    WCHAR *pair = data;
    WCHAR *kept = data;
    while (pair < end && *pair) {
        int firstLength = nameLength(pair, end);
        if (firstLength < 0)
            return -1;
        WCHAR *second = pair + firstLength + 1;
        int secondLength = nameLength(second, end);
        if (secondLength < 0)
            return -1;
        WCHAR *next = second + secondLength + 1;
        if (secondLength != 0 || !isOneOf(pair, paths, count)) {
            memmove(kept, pair, (next - pair) * sizeof(WCHAR));
            kept += next - pair;
        }
        pair = next;
    }
    *pairsLeft = kept != data;
    memmove(kept, pair, (end - pair) * sizeof(WCHAR));
    return static_cast<int>(kept - data + (end - pair));
}

// Reads the value into a buffer of its own size, filters it and writes back
// what is left. The caller closes the key.
static int cancelInKey(HKEY key, const char *const *paths, int count)
{
    DWORD type = 0;
    DWORD size = 0;
    LONG queried = RegQueryValueExW(key, kPendingValue, nullptr, &type, nullptr, &size);
    if (queried == ERROR_FILE_NOT_FOUND)
        return PENDING_NONE_OURS;
    if (queried != ERROR_SUCCESS)
        return PENDING_NOT_WRITTEN;
    if (type != REG_MULTI_SZ || size % sizeof(WCHAR) != 0)
        return PENDING_LEFT_ALONE;
    if (size == 0)
        return PENDING_NONE_OURS;
    WCHAR *data = static_cast<WCHAR *>(malloc(size));
    if (!data)
        return PENDING_NOT_WRITTEN;
    // The value may have changed since its size was asked: then it is read
    // again at the next install, not cut.
    DWORD read = size;
    if (RegQueryValueExW(key, kPendingValue, nullptr, &type, reinterpret_cast<BYTE *>(data),
                         &read) != ERROR_SUCCESS ||
        read != size || type != REG_MULTI_SZ) {
        free(data);
        return PENDING_NOT_WRITTEN;
    }
    int length = static_cast<int>(size / sizeof(WCHAR));
    bool pairsLeft = false;
    int left = dropOurDeletions(data, length, paths, count, &pairsLeft);
    int status = PENDING_CANCELLED;
    if (left < 0)
        status = PENDING_LEFT_ALONE;
    else if (left == length)
        status = PENDING_NONE_OURS;
    else if (!pairsLeft)
        status = RegDeleteValueW(key, kPendingValue) == ERROR_SUCCESS ? PENDING_CANCELLED
                                                                      : PENDING_NOT_WRITTEN;
    else if (RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<BYTE *>(data),
                            static_cast<DWORD>(left) * sizeof(WCHAR)) != ERROR_SUCCESS)
        status = PENDING_NOT_WRITTEN;
    free(data);
    return status;
}

int cancelPendingDeletions(const char *const *paths, int count)
{
    if (!paths || count <= 0)
        return PENDING_NONE_OURS;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS)
        return PENDING_NOT_WRITTEN;
    int status = cancelInKey(key, paths, count);
    RegCloseKey(key);
    return status;
}
