// The shortcut writer against Wine's real shell link object: every link is
// read back through IPersistFile::Load and compared field by field.
#include "engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

using namespace testsupport;

namespace {

class Shortcut : public ::testing::Test {
protected:
    void SetUp() override { folder_ = scratchFolder("shortcuts"); }
    void TearDown() override { deleteTree(folder_); }

    // COM is balanced after every call: a fresh CoInitialize gets S_OK.
    static void expectComBalanced()
    {
        HRESULT init = CoInitialize(nullptr);
        EXPECT_EQ(init, S_OK);
        if (SUCCEEDED(init))
            CoUninitialize();
    }
    std::string folder_;
};

struct LinkCase {
    const char *name;
    const char *target;
    const char *iconFile;
    const char *arguments;
    const char *expectedIcon;
    const char *expectedArguments;
};

}   // namespace

TEST_F(Shortcut, WritesTheFieldCombinationsOfTheInstall)
{
    const std::string dir = "c:\\program files\\Ravenlook\\Ravenlook v1.3";
    const LinkCase cases[] = {
        {"Help.lnk", "README.html", "", "", "", ""},
        {"Ravenlook.lnk", "Ravenlook.exe", "Ravenlook.ico", "",
         "c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.ico", ""},
        {"Uninstall.lnk", "Ravenlook_inst.exe", "Ravenlook.ico", "-u",
         "c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.ico", "-u"},
        {"NullArguments.lnk", "Ravenlook.exe", "", nullptr, "", ""},
    };
    for (const LinkCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::string target = dir + "\\" + c.target;
        std::string link = folder_ + "\\" + c.name;
        HRESULT result = createShortcut(target.c_str(), link.c_str(), "", dir.c_str(), c.iconFile,
                                        c.arguments);
        EXPECT_EQ(result, S_OK);
        LinkFields fields = readShortcut(link);
        ASSERT_TRUE(fields.loaded);
        EXPECT_EQ(fields.path, target);
        EXPECT_EQ(fields.workingDirectory, dir);
        EXPECT_EQ(fields.arguments, c.expectedArguments);
        EXPECT_EQ(fields.iconLocation, c.expectedIcon);
        if (c.expectedIcon[0]) {
            EXPECT_EQ(fields.iconIndex, 0);
        }
        EXPECT_EQ(fields.description, "");
        expectComBalanced();
    }
}

TEST_F(Shortcut, ExistingLinkIsOverwritten)
{
    std::string link = folder_ + "\\Ravenlook.lnk";
    ASSERT_EQ(createShortcut("c:\\old\\old.exe", link.c_str(), "old", "c:\\old", "", "-x"), S_OK);
    ASSERT_EQ(createShortcut("c:\\new\\new.exe", link.c_str(), "", "c:\\new", "", ""), S_OK);
    LinkFields fields = readShortcut(link);
    ASSERT_TRUE(fields.loaded);
    EXPECT_EQ(fields.path, "c:\\new\\new.exe");
    EXPECT_EQ(fields.workingDirectory, "c:\\new");
    EXPECT_EQ(fields.arguments, "");
    EXPECT_EQ(fields.description, "");
}

TEST_F(Shortcut, LinkPathLongerThan259CharactersWritesNothing)
{
    std::string link = folder_ + "\\" + std::string(270 - folder_.size(), 'l') + ".lnk";
    ASSERT_GT(link.size(), 259u);
    HRESULT result = createShortcut("c:\\x.exe", link.c_str(), "", "c:\\", "", "");
    EXPECT_LT(result, 0);
    EXPECT_TRUE(listFolder(folder_).empty());
    expectComBalanced();
}

TEST_F(Shortcut, LinkPathOf259CharactersIsWritten)
{
    std::string link = folder_ + "\\";
    link += std::string(259 - link.size() - 4, 'k') + ".lnk";
    ASSERT_EQ(link.size(), 259u);
    EXPECT_EQ(createShortcut("c:\\x.exe", link.c_str(), "", "c:\\", "", ""), S_OK);
    EXPECT_TRUE(readShortcut(link).loaded);
    expectComBalanced();
}

TEST_F(Shortcut, IconLocationThatDoesNotFitItsBufferWritesNothing)
{
    std::string dir = "c:\\" + std::string(90, 'w');
    std::string link = folder_ + "\\Icon.lnk";
    HRESULT result = createShortcut((dir + "\\a.exe").c_str(), link.c_str(), "", dir.c_str(),
                                    "Ravenlook.ico", "");
    EXPECT_LT(result, 0);
    EXPECT_FALSE(fileExists(link));
    expectComBalanced();
}

TEST_F(Shortcut, NothingIsWrittenWhenTheCallerAlreadyOwnsCom)
{
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    std::string link = folder_ + "\\Owned.lnk";
    EXPECT_EQ(createShortcut("c:\\x.exe", link.c_str(), "", "c:\\", "", ""), 0);
    EXPECT_FALSE(fileExists(link));
    CoUninitialize();
    expectComBalanced();
}
