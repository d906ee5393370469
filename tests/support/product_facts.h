// What the tests know of the product, stated once: its folders in the test
// prefix, the files and shortcuts it installs, its registry keys and the
// entry's values, the texts the user reads and the ids of its window.
// Written out as the user meets them, not taken from the product's code:
// a change there has to show in a test.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testsupport {

// ---- the folders of an install in the test prefix ---------------------------
extern const char kProgramFiles[];                // c:\program files
extern const char kVendorDir[];                   // c:\program files\Ravenlook
extern const char kInstallDir[];                  // c:\program files\Ravenlook\Ravenlook v1.3
extern const char kStartMenuPrograms[];           // c:\windows\start menu\programs, the tests' own
extern const char kMenuVendorDir[];               // ...\programs\Ravenlook
extern const char kShortcutDir[];                 // ...\programs\Ravenlook\Ravenlook v1.3
std::string installed(const std::string &name);   // kInstallDir\name
std::string shortcut(const std::string &name);    // kShortcutDir\name

// ---- what it installs -------------------------------------------------------------
struct InstalledFile {
    const char *source;   // in the distribution
    const char *name;     // in the install directory
};
extern const InstalledFile kInstalledFiles[7];           // in the order they are copied
extern const std::vector<std::string> kInstalledNames;   // sorted, as listFolder gives them
extern const std::vector<std::string> kShortcutNames;    // sorted
extern const char kApplicationExe[];                     // Ravenlook.exe

// ---- the registry -------------------------------------------------------------------
extern const char kRecordKey[];         // SOFTWARE\Win310, under HKEY_LOCAL_MACHINE
extern const char kProgramEntryKey[];   // SOFTWARE\...\Uninstall\Ravenlook 1.3, likewise
// The entry's values as keyValues shows them, for an install in installDir
// whose files take sizeKb.
std::map<std::string, std::string> programEntryFor(const std::string &installDir,
                                                   unsigned long sizeKb);

// ---- what the user reads and presses ----------------------------------------------
extern const char kCaption[];            // of the window and of every box
extern const char kCompletionText[];     // the completion box of a default install
extern const char kCopyFailedText[];     // 007
extern const char kUninstallWarning[];   // the question of Uninstall > Go...
extern const char kUninstallConcluded[];
extern const char kUninstallRefused[];   // 012
extern const char kWindowClass[];        // the setup window's class
extern const char kApplicationClass[];   // the stand-in application's window class
enum ControlId {
    ID_PROGRESS_BAR = 502,
    ID_AGREE = 504,
    ID_AGREEMENT_BOX = 512,
    ID_NOT_AGREE = 9013,
    ID_UNINSTALL_GO = 9003,
    ID_ABOUT = 9012
};

}   // namespace testsupport
