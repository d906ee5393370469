// Uninstalling as a user does: the "Uninstall" shortcut starts the installed
// copy with -u in the install directory, "Go..." asks, OK removes.
#include "e2e_support.h"

#include <iterator>
#include <string>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

const char kWarning[] = "ATTENTION: Videos saved in the installation directory will be removed.\n"
                        "\t\tDo you really want to continue?";

const char kCompleted[] = "Installation completed!";
const char *const kInstalledNames[] = {"LICENSE.txt",       "README.html",   "Ravenlook.cfg",
                                       "Ravenlook.exe",     "Ravenlook.ico", "Ravenlook_insp.exe",
                                       "Ravenlook_inst.exe"};

std::string installed(const char *name)
{
    return std::string(kInstallDir) + "\\" + name;
}

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeInstallation();
        ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
    }
    void TearDown() override { removeInstallation(); }

    // A real installation through the window, as a user makes it.
    void install()
    {
        std::string folder = e2e::prepareDistribution("uninstall-source");
        e2e::StandInLog log;
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        MessageBoxView box = e2e::pressAgree(program, window);
        ASSERT_EQ(box.text.substr(0, 23), "Installation completed!");
        e2e::confirmAndExpectEnd(program, box);
        log.lines();   // the application started and ended
        deleteTree("c:\\ravenlook-tests\\uninstall-source");
    }

    // Installs from the folder through the window and expects completion.
    void installFrom(const std::string &folder)
    {
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        MessageBoxView box = e2e::pressAgree(program, window);
        ASSERT_EQ(box.text.substr(0, 23), kCompleted);
        e2e::confirmAndExpectEnd(program, box);
    }

    // Uninstalls through the Uninstall shortcut and expects it concluded.
    void uninstallThroughShortcut()
    {
        Program program;
        HWND window = followUninstallShortcut(program);
        ASSERT_NE(window, nullptr);
        MessageBoxView done = goAndConfirm(program, window);
        ASSERT_NE(done.handle, nullptr);
        ASSERT_EQ(done.text, "Uninstall concluded!");
        driver::pressButton(done.handle, IDOK);
        expectEndsWithCode0(program);
    }

    // Starts what Uninstall.lnk names, with its arguments, in its folder.
    HWND followUninstallShortcut(Program &program)
    {
        LinkFields link = readShortcut(std::string(kShortcutDir) + "\\Uninstall.lnk");
        EXPECT_TRUE(link.loaded);
        EXPECT_EQ(link.arguments, "-u");
        EXPECT_EQ(link.workingDirectory, kInstallDir);
        if (!program.start(link.path, link.arguments, link.workingDirectory)) {
            ADD_FAILURE() << "cannot start " << link.path;
            return nullptr;
        }
        return driver::waitForWindow(program.pid(), "myWindowClass");
    }

    // Chooses Uninstall > Go... and returns the confirmation box.
    MessageBoxView chooseGo(Program &program, HWND window)
    {
        EXPECT_TRUE(driver::chooseMenuItem(program.pid(), window, 'u', 'g'));
        return driver::waitForMessageBox(program.pid(), 5000);
    }

    // Chooses Uninstall > Go..., confirms with OK and returns the box that
    // reports the outcome.
    MessageBoxView goAndConfirm(Program &program, HWND window)
    {
        MessageBoxView box = chooseGo(program, window);
        if (!box.handle) {
            ADD_FAILURE() << "Go... is not enabled";
            return box;
        }
        driver::pressButton(box.handle, IDOK);
        EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
        return driver::waitForMessageBox(program.pid(), 30000);
    }

    void expectEndsWithCode0(Program &program)
    {
        DWORD exitCode = 12345;
        ASSERT_TRUE(program.waitForExit(&exitCode)) << "the uninstaller did not end";
        EXPECT_EQ(exitCode, 0u);
    }
};

}   // namespace

TEST_F(Uninstall, ShortcutStartsTheInstalledCopyThatRemovesTheInstallation)
{
    ASSERT_NO_FATAL_FAILURE(install());
    makeDirectories(installed("videos"));
    writeFile(installed("videos\\holiday.avi"), "kept");
    writeFile(installed("saved.avi"), "removed");

    Program program;
    HWND window = followUninstallShortcut(program);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 504))) << "Agree is locked by -u";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 9013)));
    EXPECT_FALSE(driver::windowText(GetDlgItem(window, 512)).empty()) << "licence shown";

    // Cancel, the default, changes nothing.
    MessageBoxView box = chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr) << "Go... is not enabled";
    EXPECT_EQ(box.caption, "Ravenlook Install");
    EXPECT_EQ(box.text, kWarning);
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_EQ(box.defaultButtonId, IDCANCEL);
    EXPECT_FALSE(box.hasIcon);
    driver::pressButton(box.handle, IDCANCEL);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500));
    EXPECT_EQ(listFolder(kShortcutDir).size(), 4u);
    EXPECT_EQ(listFolder(kInstallDir).size(), 9u);

    // OK removes, after the pause.
    box = chooseGo(program, window);
    ASSERT_NE(box.handle, nullptr);
    DWORD start = GetTickCount();
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView done = driver::waitForMessageBox(program.pid(), 30000);
    DWORD elapsed = GetTickCount() - start;
    ASSERT_NE(done.handle, nullptr);
    EXPECT_EQ(done.text, "Uninstall concluded!");
    EXPECT_EQ(done.caption, "Ravenlook Install");
    EXPECT_EQ(done.buttonIds, std::vector<int>{IDOK});
    EXPECT_GE(elapsed, 2000u);

    EXPECT_FALSE(directoryExists(kShortcutDir));
    EXPECT_FALSE(directoryExists("c:\\windows\\start menu\\programs\\Ravenlook"))
        << "the emptied parent goes too";
    EXPECT_EQ(readFile(installed("videos\\holiday.avi")), "kept");
    // What remains directly in the install directory: the subfolder, and
    // the running uninstaller itself where the system refuses to delete it,
    // which then waits for the restart, followed by its folders.
    std::vector<std::string> left = listFolder(kInstallDir);
    std::vector<std::string> expectedPending;
    if (left == std::vector<std::string>{"Ravenlook_inst.exe", "videos"}) {
        expectedPending.push_back("delete " + installed("Ravenlook_inst.exe"));
    } else {
        EXPECT_EQ(left, std::vector<std::string>{"videos"});
    }
    expectedPending.push_back(std::string("delete ") + kInstallDir);
    expectedPending.push_back("delete c:\\program files\\Ravenlook");
    EXPECT_EQ(pendingRestartOperations(), expectedPending);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310")) << "the record goes";
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey)) << "so does the entry";

    driver::pressButton(done.handle, IDOK);
    expectEndsWithCode0(program);

    // The restart takes the uninstaller's file; the user's video keeps its
    // folders, which the system removes only when they are empty.
    RESTART_SYSTEM();
    EXPECT_EQ(listFolder(kInstallDir), std::vector<std::string>{"videos"});
    EXPECT_EQ(readFile(installed("videos\\holiday.avi")), "kept");

    // A new start of the uninstaller has nothing left to remove.
    std::string folder = e2e::prepareFolder("uninstall-again", "Licence.\n");
    Program again;
    HWND againWindow = e2e::startInstaller(again, folder, "-u");
    ASSERT_NE(againWindow, nullptr);
    ASSERT_TRUE(driver::chooseMenuItem(again.pid(), againWindow, 'u', 'g'));
    EXPECT_TRUE(driver::noMessageBoxWithin(again.pid(), 1500)) << "Go... is greyed";
    e2e::closeAndExpectExitCode0(again, againWindow);
}

// The system's list of installed programs (Wine's uninstaller reads the
// same key as Settings > Apps) names the program, and its uninstall command
// opens the uninstaller window as the Start-menu shortcut does, though it
// runs in the list's own folder.
TEST_F(Uninstall, ListOfInstalledProgramsNamesItAndItsCommandUninstalls)
{
    SKIP_UNLESS_WINE("the list is read with Wine's uninstaller.exe --list");
    ASSERT_NO_FATAL_FAILURE(install());
    std::string system = "c:\\windows\\system32";
    std::string listFile = scratchFolder("uninstall-list") + "\\list.txt";
    {
        Program list;
        ASSERT_TRUE(
            list.start(system + "\\cmd.exe", "/c uninstaller.exe --list > " + listFile, system));
        DWORD exitCode = 0;
        ASSERT_TRUE(list.waitForExit(&exitCode)) << "uninstaller --list did not end";
    }
    EXPECT_NE(readFile(listFile).find("Ravenlook 1.3"), std::string::npos) << readFile(listFile);

    // The list runs the entry's command, as Settings does.
    std::string command = keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey)["UninstallString"];
    Program program;
    ASSERT_TRUE(program.start("", "", system, command.c_str())) << command;
    HWND window = driver::waitForWindow(program.pid(), "myWindowClass");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500)) << "its licence is found";
    EXPECT_FALSE(driver::windowText(GetDlgItem(window, 512)).empty()) << "licence shown";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 504))) << "Agree is locked by -u";
    MessageBoxView done = goAndConfirm(program, window);
    ASSERT_NE(done.handle, nullptr);
    EXPECT_EQ(done.text, "Uninstall concluded!");
    driver::pressButton(done.handle, IDOK);
    expectEndsWithCode0(program);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    // Only the running uninstaller's own file can wait for the restart, and
    // with it its folders; the restart leaves nothing of the installation.
    for (const std::string &operation : pendingRestartOperations())
        EXPECT_EQ(operation.find("delete c:\\program files\\Ravenlook"), 0u) << operation;
    RESTART_SYSTEM();
    EXPECT_FALSE(directoryExists("c:\\program files\\Ravenlook"));

    // Listed no more.
    {
        Program list;
        ASSERT_TRUE(
            list.start(system + "\\cmd.exe", "/c uninstaller.exe --list > " + listFile, system));
        DWORD exitCode = 0;
        ASSERT_TRUE(list.waitForExit(&exitCode));
    }
    EXPECT_EQ(readFile(listFile).find("Ravenlook 1.3"), std::string::npos);
    deleteTree("c:\\ravenlook-tests\\uninstall-list");
}

TEST_F(Uninstall, WithoutARecordGoIsGreyedAndAForcedCommandGives12)
{
    ASSERT_NO_FATAL_FAILURE(install());
    deleteRecordKeys();
    Program program;
    HWND window = followUninstallShortcut(program);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(driver::chooseMenuItem(program.pid(), window, 'u', 'g'));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 1500)) << "Go... is greyed";

    // The command sent anyway, as another program could send it.
    driver::sendCommand(window, 9003);
    MessageBoxView box = driver::waitForMessageBox(program.pid(), 5000);
    ASSERT_NE(box.handle, nullptr);
    EXPECT_EQ(box.text, kWarning);
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    MessageBoxView failure = driver::waitForMessageBox(program.pid(), 30000);
    ASSERT_NE(failure.handle, nullptr);
    EXPECT_EQ(failure.text, "Unable to get installation directory! (012)");
    EXPECT_FALSE(directoryExists(kShortcutDir)) << "the shortcut folder goes first";
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u) << "the install directory is untouched";

    driver::pressButton(failure.handle, IDOK);
    EXPECT_TRUE(driver::waitUntil([&] { return !IsWindow(failure.handle); }));
    Sleep(300);
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
    MessageBoxView failure = goAndConfirm(program, window);
    ASSERT_NE(failure.handle, nullptr) << "Go... is enabled: a record exists";
    EXPECT_EQ(failure.text, "Unable to get installation directory! (012)");
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
    e2e::StandInLog log;
    SetEnvironmentVariableA("RAVENLOOK_STANDIN_EXIT", nullptr);   // the application stays
    ASSERT_NO_FATAL_FAILURE(installFrom(folder));
    {
        ProgramWithWindow application("RavenlookStandinApplication");
        ASSERT_TRUE(application.found()) << "the installed application is not running";
        ASSERT_NO_FATAL_FAILURE(uninstallThroughShortcut());
        ASSERT_TRUE(application.close());
    }
    std::vector<std::string> pending = pendingRestartOperations();
    ASSERT_GE(pending.size(), 4u);
    EXPECT_EQ(pending[0], "delete " + foreign);
    EXPECT_EQ(pending[1], "delete " + installed("Ravenlook.exe")) << "in use by the application";
    EXPECT_EQ(pending.back(), "delete c:\\program files\\Ravenlook");

    SetEnvironmentVariableA("RAVENLOOK_STANDIN_EXIT", "1");
    ASSERT_NO_FATAL_FAILURE(installFrom(folder));
    EXPECT_EQ(pendingRestartOperations(), std::vector<std::string>{"delete " + foreign});

    ASSERT_NO_FATAL_FAILURE(restartSystem());
    EXPECT_FALSE(fileExists(foreign)) << "the other program's deletion is carried out";
    EXPECT_EQ(listFolder(kInstallDir),
              std::vector<std::string>(std::begin(kInstalledNames), std::end(kInstalledNames)));
    EXPECT_EQ(listFolder(kShortcutDir),
              (std::vector<std::string>{"Help.lnk", "Inspector.lnk", "Ravenlook.lnk",
                                        "Uninstall.lnk"}));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    deleteTree("c:\\ravenlook-tests\\uninstall-foreign");
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
    ASSERT_NO_FATAL_FAILURE(installFrom(folder));
    for (const char *name : kInstalledNames) {
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
    ASSERT_NO_FATAL_FAILURE(installFrom(folder));
    EXPECT_EQ(readFile(installed("LICENSE.txt")), readFile(folder + "\\LICENSE.txt"));
    EXPECT_EQ(readFile(installed("Ravenlook.exe")), readFile(folder + "\\Ravenlook.000"));

    ASSERT_NO_FATAL_FAILURE(uninstallThroughShortcut());
    ASSERT_NO_FATAL_FAILURE(restartSystem());
    EXPECT_FALSE(directoryExists("c:\\program files\\Ravenlook")) << listFolder(kInstallDir).size();
    EXPECT_FALSE(directoryExists("c:\\windows\\start menu\\programs\\Ravenlook"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    EXPECT_TRUE(pendingRestartOperations().empty());
}
