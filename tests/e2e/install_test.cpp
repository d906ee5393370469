// Installing through the window: the user presses "Agree", reads the
// completion box, and the installed application starts.
#include "e2e_support.h"

#include <map>
#include <string>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

const char kCompletionText[] =
    "Installation completed!\nDir: c:\\program files\\Ravenlook\\Ravenlook v1.3";

struct InstalledFile {
    const char *source;
    const char *destination;
};
const InstalledFile kInstalledFiles[] = {
    {"LICENSE.txt", "LICENSE.txt"},          {"Ravenlook.001", "Ravenlook.ico"},
    {"Ravenlook.002", "Ravenlook.cfg"},      {"README.html", "README.html"},
    {"Ravenlook.000", "Ravenlook.exe"},      {"Ravenlook.003", "Ravenlook_insp.exe"},
    {"Ravenlook.004", "Ravenlook_inst.exe"},
};

const char kCopyFailed[] = "Unable to copy installation file. (007)";
const char kApplicationClass[] = "RavenlookStandinApplication";

std::string installed(const char *name)
{
    return std::string(kInstallDir) + "\\" + name;
}

// A newer build: every file of the distribution changes. An executable
// keeps running with bytes appended after its image.
void changeDistribution(const std::string &folder)
{
    for (const InstalledFile &file : kInstalledFiles) {
        std::string path = folder + "\\" + file.source;
        ASSERT_TRUE(writeFile(path, readFile(path) + "newer build")) << path;
    }
}

class Install : public ::testing::Test {
protected:
    void SetUp() override
    {
        removeInstallation();
        ASSERT_TRUE(makeDirectories(kStartMenuPrograms));
    }
    void TearDown() override { removeInstallation(); }

    void expectFilesCopiedFrom(const std::string &folder, const std::vector<std::string> &absent)
    {
        for (const InstalledFile &file : kInstalledFiles) {
            SCOPED_TRACE(file.destination);
            bool expectAbsent = std::find(absent.begin(), absent.end(), file.source) !=
                                absent.end();
            if (expectAbsent) {
                EXPECT_FALSE(fileExists(installed(file.destination)));
                continue;
            }
            std::string original = readFile(folder + "\\" + file.source);
            ASSERT_FALSE(original.empty());
            EXPECT_TRUE(readFile(installed(file.destination)) == original)
                << "not byte-identical to " << file.source;
        }
    }
};

}   // namespace

TEST_F(Install, FreshInstallCopiesLinksRecordsAndStartsTheApplication)
{
    std::string folder = e2e::prepareDistribution("install-fresh");
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);

    DWORD start = GetTickCount();
    MessageBoxView box = e2e::pressAgree(program, window);
    DWORD elapsed = GetTickCount() - start;
    ASSERT_NE(box.handle, nullptr) << "no completion box";
    EXPECT_EQ(box.caption, "Ravenlook Install");
    EXPECT_EQ(box.text, kCompletionText);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_FALSE(box.hasIcon);
    EXPECT_GE(elapsed, 4000u) << "four pauses of a second";
    EXPECT_EQ(SendMessageA(GetDlgItem(window, 502), PBM_GETPOS, 0, 0), 100);

    // Everything is in place before the user confirms.
    expectFilesCopiedFrom(folder, {});
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, encodedRecord(kInstallDir));

    const std::string icon = installed("Ravenlook.ico");
    const struct ExpectedLink {
        const char *file, *target, *icon, *arguments;
    } links[] = {
        {"Help.lnk", "README.html", "", ""},
        {"Ravenlook.lnk", "Ravenlook.exe", icon.c_str(), ""},
        {"Inspector.lnk", "Ravenlook_insp.exe", icon.c_str(), ""},
        {"Uninstall.lnk", "Ravenlook_inst.exe", icon.c_str(), "-u"},
    };
    EXPECT_EQ(listFolder(kShortcutDir).size(), 4u);
    for (const ExpectedLink &link : links) {
        SCOPED_TRACE(link.file);
        LinkFields fields = readShortcut(std::string(kShortcutDir) + "\\" + link.file);
        ASSERT_TRUE(fields.loaded);
        EXPECT_EQ(fields.path, installed(link.target));
        EXPECT_EQ(fields.workingDirectory, kInstallDir);
        EXPECT_EQ(fields.iconLocation, link.icon);
        EXPECT_EQ(fields.arguments, link.arguments);
        EXPECT_EQ(fields.description, "");
    }

    // Listed among the installed programs, with its own uninstaller.
    unsigned long bytes = 0;
    for (const InstalledFile &file : kInstalledFiles)
        bytes += static_cast<unsigned long>(readFile(installed(file.destination)).size());
    const std::map<std::string, std::string> entry = {
        {"DisplayName", "Ravenlook 1.3"},
        {"DisplayVersion", "1.3"},
        {"Publisher", "Ravenlook Team"},
        {"InstallLocation", kInstallDir},
        {"DisplayIcon", icon},
        {"UninstallString", "\"" + installed("Ravenlook_inst.exe") + "\" -u"},
        {"NoModify", "dword:1"},
        {"NoRepair", "dword:1"},
        {"EstimatedSize", "dword:" + std::to_string((bytes + 1023) / 1024)},
    };
    EXPECT_EQ(keyValues(HKEY_LOCAL_MACHINE, kProgramEntryKey), entry);

    e2e::confirmAndExpectEnd(program, box);
    std::vector<std::string> started = log.lines();
    ASSERT_EQ(started.size(), 1u) << "the application starts once, after the box";
    EXPECT_EQ(started[0].substr(0, started[0].rfind('|')), std::string("app|") + kInstallDir);
}

TEST_F(Install, WithoutStartMenuCopiesEverythingAndWritesNoShortcut)
{
    SKIP_UNLESS_WINE("Windows always has a Start menu behind c:\\documents and settings");
    deleteTree("c:\\windows\\start menu");
    std::string folder = e2e::prepareDistribution("install-no-start-menu");
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCompletionText);
    expectFilesCopiedFrom(folder, {});
    EXPECT_FALSE(directoryExists("c:\\windows\\start menu"));
    e2e::confirmAndExpectEnd(program, box);
}

TEST_F(Install, MissingReadmeLeavesOutOnlyTheHelpShortcut)
{
    std::string folder = e2e::prepareDistribution("install-no-readme", {"README.html"});
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCompletionText);
    expectFilesCopiedFrom(folder, {"README.html"});
    EXPECT_EQ(listFolder(kShortcutDir),
              (std::vector<std::string>{"Inspector.lnk", "Ravenlook.lnk", "Uninstall.lnk"}));
    e2e::confirmAndExpectEnd(program, box);
}

// A partial extraction: the licence copied, the failure reported, and the
// record and the entry written so that the uninstall can remove it.
TEST_F(Install, LicenceAloneGives7AndStartsNothing)
{
    std::string folder = e2e::prepareFolder("install-licence-only", "Licence only.\n");
    // The setup program is started under its own name; the distribution's
    // copy of it (Ravenlook.004) is missing like every other file.
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCopyFailed);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(SendMessageA(GetDlgItem(window, 502), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(listFolder(kInstallDir), std::vector<std::string>{"LICENSE.txt"});
    EXPECT_TRUE(directoryExists(kShortcutDir));
    EXPECT_TRUE(listFolder(kShortcutDir).empty());
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(log.lines(1000).empty()) << "nothing is started";
    EXPECT_TRUE(program.running()) << "the window stays";
    e2e::closeAndExpectExitCode0(program, window);
}

// A file where the version folder goes: reported, and nothing is left of
// the attempt, not even the shortcut folder.
TEST_F(Install, FileInPlaceOfTheVersionFolderGives6AndLeavesNothing)
{
    ASSERT_TRUE(makeDirectories("c:\\program files\\Ravenlook"));
    ASSERT_TRUE(writeFile(kInstallDir, "not a folder"));
    std::string folder = e2e::prepareDistribution("install-blocked");
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, "Unable to create version directory. (006)");
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(readFile(kInstallDir), "not a folder");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Win310"));
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kProgramEntryKey));
    EXPECT_TRUE(listFolder(kStartMenuPrograms).empty()) << "no shortcut folder";
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(log.lines(1000).empty()) << "nothing is started";
    e2e::closeAndExpectExitCode0(program, window);
}

// Installing a newer build while Ravenlook is open: its file cannot be
// replaced, and the user is told so. Once Ravenlook is closed, "Agree" in
// the same window installs everything.
TEST_F(Install, RunningApplicationGives7UntilClosedThenAgreeAgainCompletes)
{
    std::string folder = e2e::prepareDistribution("install-in-use");
    e2e::StandInLog log;
    SetEnvironmentVariableA("RAVENLOOK_STANDIN_EXIT", nullptr);   // the application stays
    {
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        e2e::confirmAndExpectEnd(program, e2e::pressAgree(program, window));
    }
    ProgramWithWindow application(kApplicationClass);
    ASSERT_TRUE(application.found()) << "the installed application is not running";
    ASSERT_EQ(log.lines().size(), 1u);
    const std::string oldApplication = readFile(installed("Ravenlook.exe"));
    ASSERT_NO_FATAL_FAILURE(changeDistribution(folder));

    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCopyFailed);
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    for (const InstalledFile &file : kInstalledFiles) {
        SCOPED_TRACE(file.destination);
        std::string expected = file.source == std::string("Ravenlook.000")
                                   ? oldApplication
                                   : readFile(folder + "\\" + file.source);
        EXPECT_TRUE(readFile(installed(file.destination)) == expected)
            << "only the file in use is not replaced";
    }
    driver::pressButton(box.handle, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(box.handle); }));
    EXPECT_TRUE(driver::noMessageBoxWithin(program.pid(), 500)) << "no completion box";
    EXPECT_EQ(log.lines().size(), 1u) << "the application is not started again";
    ASSERT_TRUE(program.running()) << "the window stays";

    ASSERT_TRUE(application.close()) << "the application did not end";
    box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCompletionText);
    expectFilesCopiedFrom(folder, {});
    e2e::confirmAndExpectEnd(program, box);
    EXPECT_TRUE(driver::waitUntil([&] { return log.lines(0).size() == 2; }, 10000))
        << "the new build starts";
    ProgramWithWindow newBuild(kApplicationClass);
    EXPECT_TRUE(newBuild.close());
}

// Installing again (to repair, or by mistake) replaces only what this
// program installs: the user's videos, folders and links stay.
TEST_F(Install, ReinstallReplacesOnlyItsOwnFilesAndKeepsTheFirstRecord)
{
    std::string folder = e2e::prepareDistribution("install-second");
    e2e::StandInLog log;
    {
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        e2e::confirmAndExpectEnd(program, e2e::pressAgree(program, window));
    }
    // The user's files, a changed distribution, a record naming another layout.
    writeFile(installed("holiday.avi"), "a video");
    makeDirectories(installed("videos"));
    writeFile(installed("videos\\kept.avi"), "kept");
    writeFile(std::string(kShortcutDir) + "\\Notes.txt", "the user's");
    writeFile(std::string(kShortcutDir) + "\\Help.lnk", "damaged");
    writeFile(folder + "\\README.html", "<p>A newer help page.</p>");
    deleteRecordKeys();
    writeRecordFor("c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3");

    Program program;
    HWND window = e2e::startInstaller(program, folder);
    ASSERT_NE(window, nullptr);
    MessageBoxView box = e2e::pressAgree(program, window);
    EXPECT_EQ(box.text, kCompletionText);
    EXPECT_EQ(readFile(installed("holiday.avi")), "a video");
    EXPECT_EQ(readFile(installed("videos\\kept.avi")), "kept");
    EXPECT_EQ(listFolder(kInstallDir).size(), 9u) << "the seven files, the video, the subfolder";
    expectFilesCopiedFrom(folder, {});
    EXPECT_EQ(readFile(installed("README.html")), "<p>A newer help page.</p>");
    EXPECT_EQ(listFolder(kShortcutDir),
              (std::vector<std::string>{"Help.lnk", "Inspector.lnk", "Notes.txt", "Ravenlook.lnk",
                                        "Uninstall.lnk"}));
    EXPECT_EQ(readFile(std::string(kShortcutDir) + "\\Notes.txt"), "the user's");
    EXPECT_TRUE(readShortcut(std::string(kShortcutDir) + "\\Help.lnk").loaded)
        << "our link is written anew";
    std::string raw;
    ASSERT_TRUE(readRawRecord(&raw, nullptr));
    EXPECT_EQ(raw, encodedRecord("c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3"))
        << "the record keeps the first path";
    e2e::confirmAndExpectEnd(program, box);
}
