#include "command_line.h"
#include "message_ids.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

struct CommandLineCase {
    const char *name, *commandLine, *tail;
    int mode;
};

const CommandLineCase kCommandLineCases[] = {
    {"BlankThenSwitchUninstalls", "prog -u", "-u", START_UNINSTALL_WINDOW},
    {"SeveralBlanksAfterTheNameAreSkipped", "prog     -u", "-u", START_UNINSTALL_WINDOW},
    {"TabAfterTheNameIsSkipped", "prog\t-u", "-u", START_UNINSTALL_WINDOW},
    {"MixedBlanksAndTabsAreSkipped", "prog \t \t-u", "-u", START_UNINSTALL_WINDOW},
    {"QuotedNameWithBlanksEndsAtTheClosingQuote", "\"c:\\program files\\x\\Ravenlook_inst.exe\" -u",
     "-u", START_UNINSTALL_WINDOW},
    {"SwitchRightAfterTheClosingQuote", "\"c:\\a b\\prog.exe\"-u", "-u", START_UNINSTALL_WINDOW},
    {"TrailingBlankStaysAndIsNotTheSwitch", "prog -u ", "-u ", START_INSTALL_WINDOW},
    {"UpperCaseSwitchIsNotTheSwitch", "prog -U", "-U", START_INSTALL_WINDOW},
    {"SlashSwitchIsNotTheSwitch", "prog /u", "/u", START_INSTALL_WINDOW},
    {"SwitchWithAnotherArgumentIsNotTheSwitch", "prog -u x", "-u x", START_INSTALL_WINDOW},
    {"SwitchGluedToAnUnquotedNameIsPartOfTheName", "prog-u", "", START_INSTALL_WINDOW},
    {"NameAloneHasNoTail", "prog", "", START_INSTALL_WINDOW},
    {"NameWithTrailingBlanksHasNoTail", "prog   ", "", START_INSTALL_WINDOW},
    {"EmptyLineHasNoTail", "", "", START_INSTALL_WINDOW},
    {"QuotedNameWithoutClosingQuoteTakesTheWholeLine", "\"c:\\a b\\prog.exe -u", "",
     START_INSTALL_WINDOW},
    {"NullLineGivesEmptyTail", nullptr, "", START_INSTALL_WINDOW},
    {"SilentInstall", "\"c:\\dist\\Ravenlook_inst.exe\" /S", "/S", START_SILENT_INSTALL},
    {"SilentUninstallAsTheEntryWritesIt", "\"c:\\a b\\Ravenlook_inst.exe\" /S -u", "/S -u",
     START_SILENT_UNINSTALL},
};

TEST(CommandLine, TailAndSwitch)
{
    for (const CommandLineCase &c : kCommandLineCases) {
        SCOPED_TRACE(c.name);
        const char *tail = commandLineTail(c.commandLine);
        ASSERT_NE(tail, nullptr);
        EXPECT_STREQ(tail, c.tail);
        EXPECT_EQ(startModeOf(tail), c.mode);
        // The tail is the end of the given line, not a copy of it.
        if (c.commandLine) {
            EXPECT_EQ(tail, c.commandLine + std::strlen(c.commandLine) - std::strlen(c.tail));
        }
    }
}

TEST(StartMode, OnlyTheExactSwitchCountsAndSilentRunsSayHowTheyWent)
{
    EXPECT_EQ(startModeOf(nullptr), START_INSTALL_WINDOW);
    for (const char *other : {"", "-", "u", "-U", "/u", "-u ", " -u", "-uu", "--u", "-u\t", "S",
                              "/s", "/S ", "/S\t", "/S-u", "/S  -u", "/S -U", "/S -u ", "-u /S"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(startModeOf(other), START_INSTALL_WINDOW);
    }
    EXPECT_EQ(silentExitCode(MSG_SUCCESS, false), 0);
    EXPECT_EQ(silentExitCode(MSG_SUCCESS, true), 3010);
    for (int failure : {5, 6, 7, 12, 13, 14, 16})
        EXPECT_EQ(silentExitCode(failure, true), failure);
}

}   // namespace
