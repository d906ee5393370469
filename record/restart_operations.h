// The file operations the system carries out at the next restart:
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager,
// values PendingFileRenameOperations and PendingFileRenameOperations2
// (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT appends to the second when
// it exists or the first is full). An uninstall schedules our files and
// folders there; an install made before the restart takes them out again,
// or the restart would delete what it has just installed.
#pragma once

// Results of cancelPendingDeletions.
enum PendingStatus {
    PENDING_NONE_OURS = 0,       // no deletion of the paths waits: nothing changed
    PENDING_CANCELLED = 1,       // the deletions taken out, the rest of each list kept
    PENDING_NOT_CANCELLED = 2,   // a list could not be read, holds ours but is damaged,
                                 // or could not be written: the restart may delete them
};

// Takes out of both lists every deletion of one of the count paths (see
// filterPendingList); a list left without names is deleted. A list with
// no deletion of ours is never written, whatever it holds.
int cancelPendingDeletions(const char *const *paths, int count);
