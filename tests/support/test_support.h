// Helpers of the Windows-side tests: real files, folders, registry keys and
// shell links of the test prefix, prepared and cleaned up around each test.
#pragma once

#include "product_facts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace testsupport {

// ---- where the tests run --------------------------------------------------
// Under Wine (CTest's runs, or the test bundle under Wine's cmd.exe), whose
// ntdll exports wine_get_version, or on Windows itself (the test bundle).
bool runningUnderWine();
// "Wine 8.0" or "Windows 10.0.19045", with the program's bitness.
std::string systemDescription();
// True when the process's token is elevated (UAC's full administrator).
bool processIsElevated(HANDLE process);

// What only Wine can do (a restart by wineboot, Wine's own tools, a prefix
// that may be changed at will): on Windows the calling test stops here,
// skipped with the reason; what it checked before still counts.
#define SKIP_UNLESS_WINE(why)                                                                      \
    do {                                                                                           \
        if (!::testsupport::runningUnderWine())                                                    \
            GTEST_SKIP() << "Wine only: " << (why);                                                \
    } while (0)
// What only Windows can show (UAC, its compatibility links): skipped under
// Wine with the reason.
#define SKIP_UNDER_WINE(why)                                                                       \
    do {                                                                                           \
        if (::testsupport::runningUnderWine())                                                     \
            GTEST_SKIP() << "Windows only: " << (why);                                             \
    } while (0)
// The restart that carries out the file operations waiting for it (see
// restartSystem): under Wine wineboot -r; a test cannot restart the Windows
// it runs on, so there the calling test ends here, skipped.
#define RESTART_SYSTEM()                                                                           \
    do {                                                                                           \
        SKIP_UNLESS_WINE("the restart is Wine's wineboot -r; a test cannot restart Windows");      \
        ASSERT_NO_FATAL_FAILURE(::testsupport::restartSystem());                                   \
    } while (0)

// ---- the inputs --------------------------------------------------------------
// A Unix path (as CTest passes it in the environment) as Wine's Z: path.
std::string windowsPathOf(const std::string &unixPath);
// The environment variable, or "" when unset.
std::string environment(const char *name);
// The Windows path of an input of the tests (the installer, the
// distribution, the canary DLLs and probe), named by an environment
// variable: CTest sets them. Without the variable, the input beside the
// test program as the test bundle lays it out (tests/bundle). Fails the
// calling test (via ADD_FAILURE) when neither is there.
std::string requiredPathFromEnvironment(const char *name);

bool fileExists(const std::string &path);
bool directoryExists(const std::string &path);
bool makeDirectories(const std::string &path);   // every missing level
bool writeFile(const std::string &path, const std::string &bytes);
std::string readFile(const std::string &path);   // "" when missing
// True when the path is the folder or lies below it, compared as Windows
// compares names: without regard to case.
bool within(const std::string &path, const std::string &folder);
// True for a symbolic link or junction (a reparse point): Windows'
// compatibility links such as c:\documents and settings, Wine's links from
// the profile to Unix folders.
bool isLink(const std::string &path);
// True when the path or a folder on the way to it is a link.
bool reachedThroughLink(const std::string &path);
// Deletes a folder and everything below it (read-only files included). A
// link is never entered or deleted, wherever it is met: its target is not
// the test's (and Wine would act on the target).
void deleteTree(const std::string &path);
// Names of the entries directly in a folder, sorted, without "." and "..".
std::vector<std::string> listFolder(const std::string &path);
std::string currentDirectory();
// A fresh, empty folder under c:\ravenlook-tests for this test.
std::string scratchFolder(const std::string &name);

// The record's keys: HKLM\SOFTWARE\Win310 and HKLM\WINRV130.
void deleteRecordKeys();
bool keyExists(HKEY root, const char *subKey);
// The raw bytes of HKLM\SOFTWARE\<key> value 003, and the key's class.
bool readRawRecord(std::string *bytes, std::string *keyClass, const char *key = "Win310");
// The bytes the record stores for a directory: each byte plus one, then a
// zero byte.
std::string encodedRecord(const std::string &directory);
// Writes HKLM\SOFTWARE\Win310 value 003 encoded as the program encodes it.
void writeRecordFor(const std::string &directory);

// The values of a key, by name: a REG_SZ as its text, a REG_DWORD as
// "dword:<decimal>", anything else as "type:<number>". Empty when the key
// does not open.
std::map<std::string, std::string> keyValues(HKEY root, const char *subKey);

// ---- the restart's lists ----------------------------------------------------
// The Session Manager's PendingFileRenameOperations and
// PendingFileRenameOperations2, where MoveFileEx with
// MOVEFILE_DELAY_UNTIL_REBOOT puts the file operations that wait for the
// next restart: pairs of a source and a target, the target empty for a
// deletion, a source written "\??\C:\..." by Wine, "*1\??\C:\..." by
// Windows 10 and 11.
extern const wchar_t *const kPendingValues[2];
// One list as stored.
struct PendingList {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};
// Reads a list at its exact size; false when it cannot be read (a missing
// value is read: not present).
bool readPendingList(const wchar_t *value, PendingList *list);
// Writes the list as given, or deletes the value when it is not present.
bool writePendingList(const wchar_t *value, const PendingList &list);
// A present list of the type holding the names, each with its terminator.
PendingList pendingListOf(std::initializer_list<std::wstring> names, DWORD type = REG_MULTI_SZ);
// The operations of both lists, as "delete <path>" or "rename <from> <to>",
// the paths without their prefix whatever its form.
std::vector<std::string> pendingRestartOperations();
// Takes the operations on the tests' own folders (the installations' and
// c:\ravenlook-tests), in any form, out of both lists, so that one test's
// restart cannot act on another's files; other programs' operations (an
// update's on Windows) stay as stored. A list that cannot be read, or is
// not a plain list of names, is never written.
void clearPendingRestartOperations();
// Keeps both lists exactly as they are for the scope and puts them back
// afterwards, also when the watchdog ends a hung test (restoreKeptState),
// so that a test may write and delete them at will.
class PendingOperationsKept {
public:
    PendingOperationsKept();
    ~PendingOperationsKept();
    void restore() const;
    PendingOperationsKept(const PendingOperationsKept &) = delete;
    PendingOperationsKept &operator=(const PendingOperationsKept &) = delete;

private:
    PendingList saved_[2];
    bool known_[2] = {false, false};   // read, or known to be absent
};
// Puts back what every live PendingOperationsKept and RegistryValueSet
// keeps: the watchdog's last act before it ends a hung test program.
void restoreKeptState();
// Restarts the prefix's system as far as files are concerned: wineboot -r
// carries out the pending operations as a Windows restart does. Fails the
// calling test when it does not finish in time.
void restartSystem();

// Makes HKLM\...\CurrentVersion\Uninstall volatile for the scope, so that
// no lasting entry can be created under it (ERROR_CHILD_MUST_BE_VOLATILE),
// and restores the ordinary key in every outcome.
class UninstallListUnwritable {
public:
    UninstallListUnwritable();
    ~UninstallListUnwritable();
    bool active() const { return active_; }
    UninstallListUnwritable(const UninstallListUnwritable &) = delete;
    UninstallListUnwritable &operator=(const UninstallListUnwritable &) = delete;

private:
    bool active_ = false;
};

// The fields of a shell link, read back through IPersistFile::Load.
struct LinkFields {
    bool loaded = false;
    std::string path, arguments, workingDirectory, iconLocation, description;
    int iconIndex = -1;
};
LinkFields readShortcut(const std::string &linkFile);

// The ids of the running processes whose program's full path matches.
std::vector<DWORD> processesWhere(const std::function<bool(const std::string &)> &imageMatches);
// Ends those processes by their ids and waits for their end.
void endProcesses(const std::vector<DWORD> &ids);

// Removes what the tests install, after ending any program running from
// it, and only that: every Ravenlook v1.3 folder of the program-files and
// Start-menu folders the tests use, any link a test left in its place,
// then each Ravenlook folder and the tests' own Start menu when empty; the
// record, the entry in the list of installed programs, and the tests' own
// operations waiting for the restart. Every test that installs starts and
// ends with this.
void removeInstallation();
// What a test program killed by the watchdog or a crash may have left:
// the installation, c:\Program.exe when a test made it, links in
// c:\ravenlook-tests, Wine's DLL overrides for the planting tests. Every
// test program calls this once when it starts.
void removeLeftovers();

// The stand-in application's settings for the tests, under
// HKEY_CURRENT_USER: the log it writes, and whether it ends at once.
extern const char kStandinSettings[];   // Software\Ravenlook Stand-in

// Under Wine: no desktop shell answers for the scope, as in a session
// without Explorer: the shell's windows are turned to a class nobody
// serves (TreatAs), which the cleanup of a killed run removes too.
class NoShellAnswers {
public:
    NoShellAnswers();
    ~NoShellAnswers();
    NoShellAnswers(const NoShellAnswers &) = delete;
    NoShellAnswers &operator=(const NoShellAnswers &) = delete;
};

// The decoys of the launch test, and the mark it leaves while it has made
// them: a c:\Program.exe that was there before is never touched.
extern const char kProgramDecoy[];         // c:\Program.exe
extern const char kProgramDecoyMarker[];   // in c:\ravenlook-tests
// Deletes both decoys (the other is c:\program files\Ravenlook\Ravenlook.exe)
// and the mark.
void removeDecoys();
// Wine's settings per program (under HKEY_CURRENT_USER): the planting
// tests' DLL overrides.
extern const char kWineAppDefaults[];

// The base of the fixtures that install: no installation before or after,
// and the tests' own Start menu there.
class InstallationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { removeInstallation(); }
};

// A folder made for the scope with every missing level; afterwards exactly
// the levels it made are removed, with what the test put in them. On a
// Windows machine a folder that was there before may be a user's.
class FolderMade {
public:
    explicit FolderMade(const std::string &path);
    ~FolderMade();
    FolderMade(const FolderMade &) = delete;
    FolderMade &operator=(const FolderMade &) = delete;

private:
    std::string firstMade_;
};

// A link at linkPath to the folder target for the scope, as a standard
// user can make one: a junction (mklink /J) on Windows; under Wine, which
// makes none itself, a symbolic link made with the host's ln, which Wine
// shows as a reparse point. Only the link is removed again, never its
// target; an existing file or folder at linkPath is left alone (made() is
// then false), but for a link when takeOverLink is true.
class FolderLink {
public:
    FolderLink(const std::string &linkPath, const std::string &target, bool takeOverLink = false);
    ~FolderLink();
    bool made() const { return made_; }
    FolderLink(const FolderLink &) = delete;
    FolderLink &operator=(const FolderLink &) = delete;

private:
    std::string link_;
    bool made_ = false;
};

// A registry value set for the scope (REG_SZ text, or deleted when text is
// null) and put back exactly as it was afterwards, also when the watchdog
// ends a hung test. view: 0, or KEY_WOW64_64KEY for the 64-bit view.
class RegistryValueSet {
public:
    RegistryValueSet(const char *subKey, const char *name, const char *text, REGSAM view = 0);
    ~RegistryValueSet();
    void restore() const;
    RegistryValueSet(const RegistryValueSet &) = delete;
    RegistryValueSet &operator=(const RegistryValueSet &) = delete;

private:
    std::string subKey_, name_;
    REGSAM view_;
    bool known_ = false, present_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> saved_;
};

// Renames a folder away for the scope and restores it in every outcome. A
// link is not moved (Wine would rename its target): moved() is false.
class FolderMovedAway {
public:
    explicit FolderMovedAway(const std::string &path);
    ~FolderMovedAway();
    bool moved() const { return moved_; }
    FolderMovedAway(const FolderMovedAway &) = delete;
    FolderMovedAway &operator=(const FolderMovedAway &) = delete;

private:
    std::string path_, parked_;
    bool moved_ = false;
};

// A program of the prefix known by a top-level window of its class, such
// as the installed application that the installer starts: found by that
// window, closed as a user closes it, and ended by its process id if a
// test leaves it running.
class ProgramWithWindow {
public:
    explicit ProgramWithWindow(const char *windowClass, int timeoutMs = 10000);
    ~ProgramWithWindow();
    bool found() const { return process_ != nullptr; }
    // WM_CLOSE to its window; true when the program has ended in time.
    bool close(int timeoutMs = 10000);
    ProgramWithWindow(const ProgramWithWindow &) = delete;
    ProgramWithWindow &operator=(const ProgramWithWindow &) = delete;

private:
    HWND window_ = nullptr;
    HANDLE process_ = nullptr;
};

}   // namespace testsupport
