// The restart's lists of file operations, as the system stores them in
// PendingFileRenameOperations and PendingFileRenameOperations2: UTF-16
// names, each followed by its terminator, in pairs of a source and a
// target; an empty target deletes the source. Wine writes a source as
// "\??\C:\...", Windows 10 and 11 as "*1\??\C:\..." (also "*2"). The
// system reads the pairs to the end of the value, past empty ones.
// Portable: no Windows API.
#pragma once

#include <stddef.h>

enum PendingListResult {
    PENDING_LIST_NONE_OURS = 0,   // no deletion of ours in it: unchanged
    PENDING_LIST_FILTERED = 1,    // ours taken out; what is left holds names
    PENDING_LIST_EMPTIED = 2,     // ours taken out; nothing but terminators is left
    PENDING_LIST_DAMAGED = 3,     // holds a deletion of ours but is damaged: unchanged
};

// Takes out of the list every deletion whose source names one of the
// paths, after an optional "*" with digits and an optional "\??\", compared
// without regard to the case of ASCII letters, as the file system compares
// such paths. Everything else stays as it was, in its order and byte for
// byte: renames, other deletions, empty pairs, a trailing
// name without its pair, the final terminators. *length is the list's
// characters, and what is left of them afterwards. A list is damaged when
// wellFormed is false (the value is not a list of names) or when its last
// name has no terminator; a damaged list is never changed.
int filterPendingList(char16_t *list, size_t *length, bool wellFormed, const char16_t *const *paths,
                      int pathCount);
