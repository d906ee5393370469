// The built executable's resources, read back as Windows reads them: the
// version record, the manifest and the About box template.
#include "test_support.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

using namespace testsupport;

namespace {

class BuiltExecutable : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = requiredPathFromEnvironment("RAVENLOOK_INSTALLER");
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << path_;
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }

    std::string resourceText(LPCSTR type, LPCSTR name)
    {
        HRSRC found = FindResourceA(module_, name, type);
        if (!found)
            return std::string();
        HGLOBAL loaded = LoadResource(module_, found);
        const char *bytes = static_cast<const char *>(LockResource(loaded));
        return bytes ? std::string(bytes, SizeofResource(module_, found)) : std::string();
    }

    std::string path_;
    HMODULE module_ = nullptr;
};

std::string versionString(const std::vector<char> &info, const char *name)
{
    char query[128];
    snprintf(query, sizeof query, "\\StringFileInfo\\040904B0\\%s", name);
    char *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), query, reinterpret_cast<void **>(&value), &length) || !value)
        return "(missing)";
    return std::string(value);
}

}   // namespace

TEST_F(BuiltExecutable, VersionRecordNamesTheSetupProgram)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path_.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path_.c_str(), 0, size, info.data()));

    EXPECT_EQ(versionString(info, "FileVersion"), "1.5");
    EXPECT_EQ(versionString(info, "ProductVersion"), "1.5");
    EXPECT_EQ(versionString(info, "FileDescription"), "Ravenlook Install");
    EXPECT_EQ(versionString(info, "ProductName"), "Ravenlook");
    EXPECT_EQ(versionString(info, "OriginalFilename"), "Ravenlook_inst.exe");
    EXPECT_NE(versionString(info, "CompanyName"), "(missing)");
    EXPECT_NE(versionString(info, "LegalCopyright"), "(missing)");

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 1)) << "1.5";
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(5, 1));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(BuiltExecutable, ManifestAsksForAdministratorAndNamesTheSystems)
{
    std::string manifest = resourceText(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_FALSE(manifest.empty()) << "no manifest (type 24, id 1)";
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"requireAdministrator\""),
              std::string::npos);
    const char *systems[] = {
        "{e2011457-1546-43c5-a5fe-008deee3d3f0}",   // Vista
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",   // 10 and 11
    };
    for (const char *id : systems)
        EXPECT_NE(manifest.find(std::string("supportedOS Id=\"") + id + "\""), std::string::npos)
            << id;
    // Common Controls 6 would animate the progress bar instead of showing
    // its four steps while the install blocks the window.
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

TEST_F(BuiltExecutable, AboutTemplateIsAnExtendedDialogOfSixControls)
{
    std::string dialog = resourceText(RT_DIALOG, MAKEINTRESOURCEA(300));
    ASSERT_GE(dialog.size(), 26u);
    const unsigned char *b = reinterpret_cast<const unsigned char *>(dialog.data());
    auto word = [&](size_t at) { return static_cast<unsigned>(b[at] | (b[at + 1] << 8)); };
    auto dword = [&](size_t at) { return word(at) | (word(at + 2) << 16); };
    EXPECT_EQ(word(0), 1u) << "DLGTEMPLATEEX version";
    EXPECT_EQ(word(2), 0xFFFFu) << "DLGTEMPLATEEX signature";
    EXPECT_EQ(dword(8), static_cast<unsigned>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(dword(12), static_cast<unsigned>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME |
                                               DS_SETFONT));
    EXPECT_EQ(word(16), 6u) << "controls";
    EXPECT_EQ(word(18), 3u);
    EXPECT_EQ(word(20), 2u);
    EXPECT_EQ(word(22), 190u);
    EXPECT_EQ(word(24), 113u);
}
