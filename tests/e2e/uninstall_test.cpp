// Uninstalling as a user does: the "Uninstall" shortcut starts the installed
// copy with -u in the install directory, "Go..." asks, OK removes.
#include "e2e_support.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

class Uninstall : public InstallationTest {
protected:
    // A real installation through the window, as a user makes it.
    void install()
    {
        std::string folder = e2e::prepareDistribution("uninstall-source");
        e2e::StandInLog log;
        ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
        log.lines();   // the application started
        ASSERT_TRUE(e2e::applicationsEnded()) << "the installed application did not end";
    }
};

// The operations waiting for the restart that touch the installation.
std::vector<std::string> pendingOfTheInstallation()
{
    std::vector<std::string> ours;
    for (const std::string &operation : pendingRestartOperations())
        if (operation.find(std::string("delete ") + kVendorDir) == 0)
            ours.push_back(operation);
    return ours;
}

}   // namespace

TEST_F(Uninstall, ShortcutStartsTheInstalledCopyThatRemovesTheInstallation)
{
    ASSERT_NO_FATAL_FAILURE(install());
    makeDirectories(installed("videos"));
    writeFile(installed("videos\\holiday.avi"), "kept");
    writeFile(installed("saved.avi"), "removed");

    Program program;
    HWND window = e2e::startFromUninstallShortcut(program);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, ID_AGREE))) << "Agree is locked by -u";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, ID_NOT_AGREE)));
    EXPECT_FALSE(driver::windowText(GetDlgItem(window, ID_AGREEMENT_BOX)).empty())
        << "licence shown";

    // Cancel, the default, changes nothing.
    MessageBoxView box = e2e::chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr) << "Go... is not enabled";
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.text, kUninstallWarning);
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.defaultButtonId, IDCANCEL);
    EXPECT_FALSE(box.hasIcon);
    driver::pressButton(box.handle, IDCANCEL);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500));
    EXPECT_EQ(listFolder(kShortcutDir).size(), 4u);
    EXPECT_EQ(listFolder(kInstallDir).size(), 9u);

    // OK removes, after the pause.
    box = e2e::chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr);
    double start = driver::nowMs();
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView done = driver::waitForMessageBox(program.pid(), 30000);
    double elapsed = driver::nowMs() - start;
    ASSERT_NE(done.handle, nullptr);
    EXPECT_EQ(done.text, kUninstallConcluded);
    EXPECT_EQ(done.caption, kCaption);
    EXPECT_EQ(done.buttonIds, std::vector<int>{IDOK});
    EXPECT_GE(elapsed, 2000 - driver::kClockSlackMs);

    EXPECT_FALSE(directoryExists(kShortcutDir));
    EXPECT_FALSE(directoryExists(kMenuVendorDir)) << "the emptied parent goes too";
    EXPECT_EQ(readFile(installed("videos\\holiday.avi")), "kept");
    // What remains in the install directory is the subfolder alone: the
    // running uninstaller moved its own file out. Nothing of ours is left
    // to wait for the restart.
    EXPECT_EQ(listFolder(kInstallDir), std::vector<std::string>{"videos"});
    EXPECT_TRUE(pendingOfTheInstallation().empty());
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kRecordKey)) << "the record goes";
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "so does the entry";
    e2e::confirmAndExpectEnd(program, done);

    // A new start of the uninstaller has nothing left to remove.
    std::string folder = e2e::prepareFolder("uninstall-again", "Licence.\n");
    Program again;
    HWND againWindow = e2e::startInstaller(again, folder, "-u");
    ASSERT_NE(againWindow, nullptr);
    e2e::expectGoGreyed(again, againWindow);
    e2e::closeAndExpectExitCode0(again, againWindow);

    // The restart takes the uninstaller's moved copy; the user's video keeps
    // its folders.
    RESTART_SYSTEM();
    EXPECT_EQ(listFolder(kInstallDir), std::vector<std::string>{"videos"});
    EXPECT_EQ(readFile(installed("videos\\holiday.avi")), "kept");
}

// The system's list of installed programs (Wine's uninstaller reads the
// same key as Settings > Apps) names the program, and its uninstall command
// opens the uninstaller window as the Start-menu shortcut does, though it
// runs in the list's own folder.
TEST_F(Uninstall, ListOfInstalledProgramsNamesItAndItsCommandUninstalls)
{
    SKIP_UNLESS_WINE("the list is read with Wine's uninstaller.exe --list");
    ASSERT_NO_FATAL_FAILURE(install());
    std::string listFile = scratchFolder("uninstall-list") + "\\list.txt";
    auto listed = [&] {
        Program list;
        std::string system = "c:\\windows\\system32";
        EXPECT_TRUE(
            list.start(system + "\\cmd.exe", "/c uninstaller.exe --list > " + listFile, system));
        DWORD exitCode = 0;
        EXPECT_TRUE(list.waitForExit(&exitCode)) << "uninstaller --list did not end";
        return readFile(listFile).find("Ravenlook 1.3") != std::string::npos;
    };
    EXPECT_TRUE(listed()) << readFile(listFile);

    // The list runs the entry's command, as Settings does.
    Program program;
    HWND window = e2e::startByCommand(program, keyValues(HKEY_LOCAL_MACHINE,
                                                         kProgramEntryKey)["UninstallString"]);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500)) << "its licence is found";
    EXPECT_FALSE(driver::windowText(GetDlgItem(window, ID_AGREEMENT_BOX)).empty())
        << "licence shown";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, ID_AGREE))) << "Agree is locked by -u";
    ASSERT_NO_FATAL_FAILURE(e2e::concludeUninstall(program, window));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    EXPECT_FALSE(listed()) << "listed no more";
    // Complete before any restart: the uninstaller moved its own file out.
    EXPECT_FALSE(directoryExists(kVendorDir));
    EXPECT_TRUE(pendingOfTheInstallation().empty());
}

TEST_F(Uninstall, WithoutARecordGoIsGreyedAndAForcedCommandGives12)
{
    ASSERT_NO_FATAL_FAILURE(install());
    deleteRecordKeys();
    Program program;
    HWND window = e2e::startFromUninstallShortcut(program);
    ASSERT_NE(window, nullptr);
    e2e::expectGoGreyed(program, window);

    // The command sent anyway, as another program could send it.
    driver::sendCommand(window, ID_UNINSTALL_GO);
    MessageBoxView box = driver::waitForMessageBox(program.pid(), 10000);
    ASSERT_NE(box.handle, nullptr);
    EXPECT_EQ(box.text, kUninstallWarning);
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView failure = driver::waitForMessageBox(program.pid(), 30000);
    ASSERT_NE(failure.handle, nullptr);
    EXPECT_EQ(failure.text, kUninstallRefused);
    EXPECT_FALSE(directoryExists(kShortcutDir)) << "the shortcut folder goes first";
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u) << "the install directory is untouched";

    driver::pressButton(failure.handle, IDOK);
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(failure.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 300));
    EXPECT_TRUE(program.running()) << "a failed uninstall leaves the window open";
    e2e::closeAndExpectExitCode0(program, window);
}

TEST_F(Uninstall, RecordNamingAnotherFolderGives12AndDeletesNothingThere)
{
    std::string canary = scratchFolder("uninstall-canary");
    writeFile(canary + "\\precious.doc", "keep me");
    writeRecordFor(canary);
    std::string folder = e2e::prepareFolder("uninstall-foreign", "Licence.\n");

    Program program;
    HWND window = e2e::startInstaller(program, folder, "-u");
    ASSERT_NE(window, nullptr);
    MessageBoxView failure = e2e::goAndConfirm(program, window);
    ASSERT_NE(failure.handle, nullptr) << "Go... is enabled: a record exists";
    EXPECT_EQ(failure.text, kUninstallRefused);
    EXPECT_EQ(readFile(canary + "\\precious.doc"), "keep me");
    EXPECT_TRUE(directoryExists(canary));
    driver::pressButton(failure.handle, IDOK);
    e2e::closeAndExpectExitCode0(program, window);
    deleteTree(canary);
}

// Installing again before the restart that finishes an uninstall: the
// install takes its own files and folders out of the restart's list, so the
// restart deletes nothing of the new installation; what another program
// scheduled stays and is carried out.
TEST_F(Uninstall, ReinstallBeforeTheRestartSurvivesTheRestart)
{
    std::string folder = e2e::prepareDistribution("uninstall-reinstall");
    std::string foreign = scratchFolder("uninstall-foreign") + "\\old.tmp";
    ASSERT_TRUE(writeFile(foreign, "another program's"));
    ASSERT_TRUE(MoveFileExA(foreign.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    {
        e2e::StandInLog log(true);   // the application stays
        ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
        ProgramWithWindow application(kApplicationClass);
        ASSERT_TRUE(application.found()) << "the installed application is not running";
        ASSERT_NO_FATAL_FAILURE(e2e::uninstallThroughShortcut());
        ASSERT_TRUE(application.close());
    }
    std::vector<std::string> pending = pendingOfTheInstallation();
    ASSERT_GE(pending.size(), 3u);
    EXPECT_EQ(pending[0], "delete " + installed(kApplicationExe)) << "in use by the application";
    EXPECT_EQ(pending.back(), std::string("delete ") + kVendorDir);

    e2e::StandInLog log;
    ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
    EXPECT_TRUE(pendingOfTheInstallation().empty());
    std::vector<std::string> all = pendingRestartOperations();
    EXPECT_EQ(std::count(all.begin(), all.end(), "delete " + foreign), 1)
        << "the other program's deletion stays";

    RESTART_SYSTEM();
    EXPECT_FALSE(fileExists(foreign)) << "the other program's deletion is carried out";
    EXPECT_EQ(listFolder(kInstallDir), kInstalledNames);
    EXPECT_EQ(listFolder(kShortcutDir), kShortcutNames);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
}

// A distribution whose files are read-only (a CD, a zip that keeps the
// mark), and an earlier installation that kept it: the reinstall replaces
// the files, and the uninstall with its restart leaves nothing of ours.
TEST_F(Uninstall, ReadOnlyFilesAreReplacedAndRemoved)
{
    std::string folder = e2e::prepareDistribution("uninstall-read-only");
    for (const std::string &name : listFolder(folder))
        ASSERT_TRUE(SetFileAttributesA((folder + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY));
    e2e::StandInLog log;
    ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
    for (const std::string &name : kInstalledNames) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(GetFileAttributesA(installed(name).c_str()) & FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(installed(name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    // A newer build, read-only as well.
    for (const std::string &name : listFolder(folder)) {
        std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(writeFile(path, readFile(path) + "newer build"));
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
    EXPECT_EQ(readFile(installed("LICENSE.txt")), readFile(folder + "\\LICENSE.txt"));
    EXPECT_EQ(readFile(installed(kApplicationExe)), readFile(folder + "\\Ravenlook.000"));

    ASSERT_NO_FATAL_FAILURE(e2e::uninstallThroughShortcut());
    RESTART_SYSTEM();
    EXPECT_FALSE(directoryExists(kVendorDir)) << listFolder(kInstallDir).size();
    EXPECT_FALSE(directoryExists(kMenuVendorDir));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    EXPECT_TRUE(pendingOfTheInstallation().empty());
}
