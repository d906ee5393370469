// Defences of a setup program that administrators run from download
// folders: DLLs planted beside it are not loaded, and the installed
// application is started by its full path only.
#include "e2e_support.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace testsupport;
using driver::MessageBoxView;
using driver::Program;

namespace {

const char *const kPlantedDlls[] = {"comctl32.dll", "version.dll", "uxtheme.dll", "dwmapi.dll",
                                    "cryptbase.dll"};
const char kMarkers[] = "c:\\ravenlook-tests\\canary-markers";

// Wine prefers a DLL of these names from the program's folder over its own,
// for the named programs, while this lives: the planting attack. Wine reads
// the per-program overrides from the registry when a process starts (an
// override put into WINEDLLOVERRIDES by a Windows parent process does not
// reach the loader of the DLLs its child loads at start-up). Windows needs
// nothing of this: its search order takes the program's folder first
// unless the program restricts it, so there the DLLs are simply planted.
class PreferPlantedDlls {
public:
    PreferPlantedDlls(std::vector<std::string> programs, std::vector<std::string> dlls)
    {
        if (!runningUnderWine())
            return;
        programs_ = std::move(programs);
        for (const std::string &program : programs_) {
            HKEY key;
            std::string path = kWineAppDefaults + program + "\\DllOverrides";
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, nullptr) != ERROR_SUCCESS) {
                ADD_FAILURE() << "cannot write " << path;
                continue;
            }
            for (const std::string &dll : dlls) {
                std::string name = dll.substr(0, dll.size() - 4);
                RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE *>("native,builtin"), 15);
            }
            RegCloseKey(key);
        }
    }
    ~PreferPlantedDlls()
    {
        for (const std::string &program : programs_) {
            RegDeleteKeyA(HKEY_CURRENT_USER,
                          (kWineAppDefaults + program + "\\DllOverrides").c_str());
            RegDeleteKeyA(HKEY_CURRENT_USER, (kWineAppDefaults + program).c_str());
        }
    }
    PreferPlantedDlls(const PreferPlantedDlls &) = delete;
    PreferPlantedDlls &operator=(const PreferPlantedDlls &) = delete;

private:
    std::vector<std::string> programs_;
};

class Planting : public InstallationTest {
protected:
    void SetUp() override
    {
        InstallationTest::SetUp();
        deleteTree(kMarkers);
        folder_ = e2e::prepareDistribution("planting");
        std::string canaries = requiredPathFromEnvironment("RAVENLOOK_CANARY_DIR");
        for (const char *dll : kPlantedDlls)
            ASSERT_TRUE(
                CopyFileA((canaries + "\\" + dll).c_str(), (folder_ + "\\" + dll).c_str(), FALSE))
                << dll;
    }
    void TearDown() override
    {
        InstallationTest::TearDown();
        deleteTree(kMarkers);
    }
    std::string folder_;
};

// The fixtures of the tests that install once, as a user does.
class Elevation : public InstallationTest {};
class SafeLaunch : public InstallationTest {};

}   // namespace

namespace {

std::vector<std::string> allPlantedDlls()
{
    return std::vector<std::string>(std::begin(kPlantedDlls), std::end(kPlantedDlls));
}

// Runs the probe in the folder with the overrides for the DLLs and returns
// the markers that appeared (then clears them). The probe's exit code has
// a bit for each name given that the process had loaded before the probe
// asked for it (the first name bit 0); it goes to *alreadyLoaded.
std::vector<std::string> markersOfProbe(const std::string &folder, const std::string &args,
                                        DWORD *alreadyLoaded = nullptr)
{
    std::string probe = folder + "\\probe.exe";
    EXPECT_TRUE(CopyFileA(requiredPathFromEnvironment("RAVENLOOK_CANARY_PROBE").c_str(),
                          probe.c_str(), FALSE));
    PreferPlantedDlls prefer({"probe.exe"}, allPlantedDlls());
    Program program;
    EXPECT_TRUE(program.start(probe, args, folder));
    DWORD exitCode = 0;
    EXPECT_TRUE(program.waitForExit(&exitCode));
    EXPECT_LT(exitCode, 1u << std::size(kPlantedDlls)) << "the probe did not end normally";
    if (alreadyLoaded)
        *alreadyLoaded = exitCode;
    std::vector<std::string> markers = listFolder(kMarkers);
    deleteTree(kMarkers);
    DeleteFileA(probe.c_str());
    return markers;
}

std::string joined(const std::vector<std::string> &names)
{
    std::string text;
    for (const std::string &name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text.empty() ? "none" : text;
}

}   // namespace

TEST_F(Planting, PlantedDllsWouldBeLoadedByAnUnprotectedProgram)
{
    // The positive control: the same folder, the same overrides, a program
    // that loads the names plainly. A marker appears for every one, so the
    // next test's silence means something; except for a name the system
    // itself loaded from its own folder before any line of the probe ran
    // (Windows then uses that module for the name, wherever it came from),
    // which no planted copy can replace.
    std::string args;
    for (const char *dll : kPlantedDlls)
        args += std::string(args.empty() ? "" : " ") + dll;
    DWORD alreadyLoaded = 0;
    std::vector<std::string> markers = markersOfProbe(folder_, args, &alreadyLoaded);
    std::vector<std::string> systemCopies;
    for (size_t i = 0; i < std::size(kPlantedDlls); ++i) {
        const char *dll = kPlantedDlls[i];
        bool planted = std::find(markers.begin(), markers.end(), std::string(dll) + ".txt") !=
                       markers.end();
        if (!planted && (alreadyLoaded & (1u << i)))
            systemCopies.push_back(dll);
        else
            EXPECT_TRUE(planted) << dll;
    }
    std::cout << "[ INFO     ] already loaded from the system: " << joined(systemCopies)
              << std::endl;
}

TEST_F(Planting, InstallerLoadsNoDllFromItsFolder)
{
    // Wine's own user32 imports some of these names, so a planted copy is
    // loaded when any program starts, before the program's first line can
    // restrict the search: the probe, run with nothing to load, shows which.
    // That is Wine's loader, not the program (on Windows these are not
    // dependencies of the KnownDLLs the program imports), so those names
    // are left out here; every other name must stay unloaded.
    std::vector<std::string> atStartUp = markersOfProbe(folder_, "");
    std::vector<std::string> tested;
    for (const char *dll : kPlantedDlls)
        if (std::find(atStartUp.begin(), atStartUp.end(), std::string(dll) + ".txt") ==
            atStartUp.end())
            tested.push_back(dll);
    std::cout << "[ INFO     ] loaded by Wine itself at start-up: " << joined(atStartUp)
              << "; tested: " << joined(tested) << std::endl;
    ASSERT_GE(tested.size(), 3u);

    PreferPlantedDlls prefer({"Ravenlook_inst.exe", "Ravenlook.exe"}, tested);
    e2e::StandInLog log;
    Program program;
    HWND window = e2e::startInstaller(program, folder_);
    ASSERT_NE(window, nullptr);

    driver::sendCommand(window, ID_ABOUT);
    HWND about = driver::waitForWindow(program.pid(), "#32770");
    ASSERT_NE(about, nullptr);
    driver::pressButton(about, IDOK);
    ASSERT_TRUE(driver::waitUntil([&] { return !IsWindow(about); }));

    MessageBoxView done = e2e::pressAgree(program, window);
    EXPECT_EQ(done.text, kCompletionText);
    EXPECT_EQ(listFolder(kShortcutDir).size(), 4u) << "the shell link object still works";
    e2e::confirmAndExpectEnd(program, done);
    log.lines();

    for (const std::string &marker : listFolder(kMarkers))
        ADD_FAILURE() << "planted DLL loaded: " << marker << ": "
                      << readFile(std::string(kMarkers) + "\\" + marker);
}

// UAC, as only Windows has it. The manifest's requireAdministrator lets
// the setup program start only as a full administrator (from the tests'
// elevated command prompt it needs no prompt), and Windows virtualises no
// write of such a program: nothing of the install lands in the user's
// VirtualStore, in files or in the registry, and everything where it
// belongs.
TEST_F(Elevation, SetupProgramRunsElevatedAndNothingLandsInTheVirtualStore)
{
    SKIP_UNDER_WINE("Wine has no UAC: no split token, no VirtualStore");
    ASSERT_TRUE(processIsElevated(GetCurrentProcess())) << "start the tests as administrator";
    std::string store = environment("LOCALAPPDATA") + "\\VirtualStore";
    ASSERT_NE(store, "\\VirtualStore");
    std::string folder = e2e::prepareDistribution("elevation");
    {
        e2e::StandInLog log;
        Program program;
        HWND window = e2e::startInstaller(program, folder);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(processIsElevated(program.process()));
        HANDLE token;
        ASSERT_TRUE(OpenProcessToken(program.process(), TOKEN_QUERY, &token));
        DWORD virtualised = 1, size = 0;
        EXPECT_TRUE(GetTokenInformation(token, TokenVirtualizationEnabled, &virtualised,
                                        sizeof virtualised, &size));
        CloseHandle(token);
        EXPECT_EQ(virtualised, 0u) << "Windows would redirect the install's writes";
        e2e::confirmAndExpectEnd(program, e2e::pressAgree(program, window));
        log.lines();
    }
    EXPECT_EQ(listFolder(kInstallDir).size(), 7u);
    EXPECT_EQ(listFolder(kShortcutDir).size(), 4u);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    for (const char *path : {"Program Files\\Ravenlook", "Windows\\Start Menu"})
        EXPECT_FALSE(directoryExists(store + "\\" + path)) << store << "\\" << path;
    for (const char *key :
         {"Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Win310",
          "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\WOW6432Node\\Win310"})
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, key)) << key;
}

TEST_F(SafeLaunch, OnlyTheInstalledApplicationIsStarted)
{
    // Decoys where a command line split at its blanks would find a
    // program: c:\Program.exe and c:\program files\Ravenlook\Ravenlook.exe.
    // They are the Inspector stand-in, which logs "insp|...". A
    // c:\Program.exe that is there already is not the test's to replace.
    if (fileExists(kProgramDecoy))
        GTEST_SKIP() << kProgramDecoy << " exists already: the test would have to replace it";
    std::string folder = e2e::prepareDistribution("safe-launch");
    std::string decoy = folder + "\\Ravenlook.003";
    // c:\Program.exe would catch every unquoted command line of the
    // machine, a real Windows included: it goes whatever the outcome, and
    // its mark lets the next test program remove it after a killed run.
    struct DecoysRemoved {
        ~DecoysRemoved() { removeDecoys(); }
    } decoysRemoved;
    ASSERT_TRUE(writeFile(kProgramDecoyMarker, ""));
    makeDirectories(kVendorDir);
    for (const std::string &path :
         {std::string(kProgramDecoy), std::string(kVendorDir) + "\\" + kApplicationExe})
        ASSERT_TRUE(CopyFileA(decoy.c_str(), path.c_str(), FALSE)) << path;

    // Where no shell answers, the setup starts the application itself:
    // under Wine that path is taken here, on Windows the shell's.
    std::unique_ptr<NoShellAnswers> noShell(runningUnderWine() ? new NoShellAnswers : nullptr);
    e2e::StandInLog log;
    ASSERT_NO_FATAL_FAILURE(e2e::installThroughWindow(folder));
    log.lines();   // waits for the first line
    Sleep(1000);   // a decoy started late would log now
    std::vector<std::string> started = log.lines(1, 0);
    ASSERT_EQ(started.size(), 1u);
    // Its parent is the installer, or none when that has ended first.
    std::string launch = started[0].substr(0, started[0].rfind('|'));
    EXPECT_TRUE(launch == std::string("app|ravenlook_inst.exe|") + kInstallDir ||
                launch ==
                    std::string(runningUnderWine() ? "app||" : "app|explorer.exe|") + kInstallDir)
        << launch;
}
