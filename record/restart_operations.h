// The file operations the system carries out at the next restart:
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager, value
// PendingFileRenameOperations, where MoveFileEx with
// MOVEFILE_DELAY_UNTIL_REBOOT puts them. An uninstall schedules our files
// and folders there; an install made before the restart takes them out
// again, or the restart would delete what it has just installed.
#pragma once

// Results of cancelPendingDeletions.
enum PendingStatus {
    PENDING_NONE_OURS = 0,     // nothing pending, or no deletion of the paths
    PENDING_CANCELLED = 1,     // the deletions taken out; the rest written back or none left
    PENDING_LEFT_ALONE = 2,    // not a REG_MULTI_SZ, or not pairs of names: untouched
    PENDING_NOT_WRITTEN = 3,   // the key or the value could not be read or written
};

// Takes out of the pending operations every deletion (a pair whose second
// name is empty) whose first name, without its "\??\", is one of the count
// paths, compared without regard to letter case. Every other pair, rename
// or deletion, stays as it was and in its order; when none is left the
// value is deleted.
int cancelPendingDeletions(const char *const *paths, int count);
