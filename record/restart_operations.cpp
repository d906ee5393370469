// The restart's pending file operations. MoveFileEx writes them in UTF-16,
// so they are read and written with the wide registry calls. The key is
// closed, and every list read is freed, by the function that got it.
//
// Both lists change together or not at all: they are read and filtered in
// memory, read again just before the writes, and written only when nothing
// changed meanwhile (an update or another installer may add an entry at
// any time); a list that changed is filtered again, once.
#include "restart_operations.h"

#include "pending_list.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

static const WCHAR kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
static const WCHAR *const kPendingValues[] = {L"PendingFileRenameOperations",
                                              L"PendingFileRenameOperations2"};

enum {
    LIST_COUNT = 2,
    PATH_COUNT_LIMIT = 16,
    WIDE_PATH_CAPACITY = MAX_PATH,   // characters of one path, terminator included
    FILTER_ATTEMPTS = 2              // the first filter, and one more after a change
};

// One list as stored, and what is to be written in its place.
struct StoredList {
    bool present;
    DWORD type;
    DWORD size;      // bytes
    WCHAR *data;     // one character more than stored; null when absent
    int filtered;    // a PendingListResult for the copy in kept
    WCHAR *kept;     // the filtered copy
    size_t length;   // its characters
};

static void freeList(const StoredList &list)
{
    free(list.data);
    free(list.kept);
}

// Results of readList.
enum ListRead { LIST_READ = 0, LIST_UNREADABLE = 1, LIST_CHANGING = 2 };

// Reads a list at its exact size into a zeroed one; with nothing kept
// unless LIST_READ. A list that changed between the two queries is not
// cut: LIST_CHANGING.
static int readList(HKEY key, const WCHAR *value, StoredList *list)
{
    LONG queried = RegQueryValueExW(key, value, nullptr, &list->type, nullptr, &list->size);
    if (queried == ERROR_FILE_NOT_FOUND)
        return LIST_READ;
    if (queried != ERROR_SUCCESS)
        return LIST_UNREADABLE;
    // One more character than stored, so that reading never runs short.
    WCHAR *data = static_cast<WCHAR *>(malloc(list->size + sizeof(WCHAR)));
    if (!data)
        return LIST_UNREADABLE;
    DWORD read = list->size;
    queried = RegQueryValueExW(key, value, nullptr, &list->type, reinterpret_cast<BYTE *>(data),
                               &read);
    if (queried != ERROR_SUCCESS || read != list->size) {
        free(data);
        return queried == ERROR_SUCCESS || queried == ERROR_MORE_DATA ||
                       queried == ERROR_FILE_NOT_FOUND
                   ? LIST_CHANGING
                   : LIST_UNREADABLE;
    }
    list->present = true;
    list->data = data;
    return LIST_READ;
}

static bool sameList(const StoredList &a, const StoredList &b)
{
    return a.present == b.present && a.type == b.type && a.size == b.size &&
           (!a.present || memcmp(a.data, b.data, a.size) == 0);
}

// Filters a copy of the list; the stored list stays as read.
static bool filterList(StoredList *list, const char16_t *const *paths, int count)
{
    list->filtered = PENDING_LIST_NONE_OURS;
    if (!list->present)
        return true;
    list->kept = static_cast<WCHAR *>(malloc(list->size + sizeof(WCHAR)));
    if (!list->kept)
        return false;
    memcpy(list->kept, list->data, list->size);
    list->length = list->size / sizeof(WCHAR);
    bool wellFormed = list->type == REG_MULTI_SZ && list->size % sizeof(WCHAR) == 0;
    list->filtered = filterPendingList(reinterpret_cast<char16_t *>(list->kept), &list->length,
                                       wellFormed, paths, count);
    return true;
}

// Writes the filtered list in place of the stored one (deletes it when
// only terminators are left); true when it needs no write.
static bool writeFiltered(HKEY key, const WCHAR *value, const StoredList &list)
{
    if (list.filtered == PENDING_LIST_EMPTIED)
        return RegDeleteValueW(key, value) == ERROR_SUCCESS;
    if (list.filtered == PENDING_LIST_FILTERED)
        return RegSetValueExW(key, value, 0, REG_MULTI_SZ,
                              reinterpret_cast<const BYTE *>(list.kept),
                              static_cast<DWORD>(list.length) *
                                  static_cast<DWORD>(sizeof(WCHAR))) == ERROR_SUCCESS;
    return true;
}

// Puts a list back as it was read.
static void writeStored(HKEY key, const WCHAR *value, const StoredList &list)
{
    if (list.present)
        RegSetValueExW(key, value, 0, list.type, reinterpret_cast<const BYTE *>(list.data),
                       list.size);
    else
        RegDeleteValueW(key, value);
}

// Filters both lists and writes them when a second reading finds them
// unchanged. PENDING_NOT_CANCELLED with *changed set when they changed
// meanwhile.
static int filterAndWrite(HKEY key, bool writable, StoredList lists[LIST_COUNT],
                          StoredList again[LIST_COUNT], const char16_t *const *paths, int count,
                          bool *changed)
{
    bool ours = false;
    for (int i = 0; i < LIST_COUNT; ++i) {
        int read = readList(key, kPendingValues[i], &lists[i]);
        *changed = read == LIST_CHANGING;
        if (read != LIST_READ || !filterList(&lists[i], paths, count) ||
            lists[i].filtered == PENDING_LIST_DAMAGED)
            return PENDING_NOT_CANCELLED;
        ours = ours || lists[i].filtered != PENDING_LIST_NONE_OURS;
    }
    if (!ours)
        return PENDING_NONE_OURS;
    if (!writable)
        return PENDING_NOT_CANCELLED;
    for (int i = 0; i < LIST_COUNT; ++i) {
        int read = readList(key, kPendingValues[i], &again[i]);
        *changed = read == LIST_CHANGING || (read == LIST_READ && !sameList(lists[i], again[i]));
        if (read != LIST_READ || *changed)
            return PENDING_NOT_CANCELLED;
    }
    if (!writeFiltered(key, kPendingValues[0], lists[0]))
        return PENDING_NOT_CANCELLED;
    if (writeFiltered(key, kPendingValues[1], lists[1]))
        return PENDING_CANCELLED;
    // The second could not be written: the first goes back as it was read.
    if (lists[0].filtered != PENDING_LIST_NONE_OURS)
        writeStored(key, kPendingValues[0], lists[0]);
    return PENDING_NOT_CANCELLED;
}

// One attempt of filterAndWrite, with the lists it reads freed again.
static int cancelOnce(HKEY key, bool writable, const char16_t *const *paths, int count,
                      bool *changed)
{
    StoredList lists[LIST_COUNT];
    StoredList again[LIST_COUNT];
    memset(lists, 0, sizeof lists);
    memset(again, 0, sizeof again);
    *changed = false;
    int status = filterAndWrite(key, writable, lists, again, paths, count, changed);
    for (int i = 0; i < LIST_COUNT; ++i) {
        freeList(lists[i]);
        freeList(again[i]);
    }
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
    // Without the right to write, lists that hold ours cannot be cancelled,
    // and lists that do not are read and left as they are.
    HKEY key;
    bool writable = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS;
    if (!writable && RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE,
                                   &key) != ERROR_SUCCESS)
        return PENDING_NOT_CANCELLED;
    int status = PENDING_NOT_CANCELLED;
    bool changed = true;
    for (int attempt = 0; attempt < FILTER_ATTEMPTS && changed; ++attempt)
        status = cancelOnce(key, writable, widePaths, converted, &changed);
    RegCloseKey(key);
    return status;
}
