// The program's entry in the system's list of installed programs (Settings
// > Apps, Programs and Features): the key HKEY_LOCAL_MACHINE\<kUninstallEntryKey>.
// A 32-bit program's write lands in the 32-bit view on 64-bit Windows,
// which that list reads too.
#pragma once

extern const char kUninstallEntryKey[];   // SOFTWARE\...\Uninstall\Ravenlook 1.3

// What the entry says about this installation; the display name, version,
// publisher and the no-modify and no-repair marks are fixed.
struct UninstallEntry {
    const char *installLocation;        // the install directory
    const char *displayIcon;            // the installed icon file
    const char *uninstallString;        // the quoted installed uninstaller, then " -u"
    const char *quietUninstallString;   // the same with " /S -u": no window, no question
    unsigned long estimatedSizeKb;      // the installed files' size
};

// Writes the entry in place of an earlier one. All or nothing: when the key
// or one of its values cannot be written, the key is deleted again and the
// result is false.
bool writeUninstallEntry(const UninstallEntry &entry);

// Deletes the entry; true when it is gone (also when there was none).
bool removeUninstallEntry();
