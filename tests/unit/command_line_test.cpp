#include "command_line.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

struct CommandLineCase {
    const char *name, *commandLine, *tail;
    bool uninstall;
};

const CommandLineCase kCommandLineCases[] = {
    {"BlankThenSwitchUninstalls", "prog -u", "-u", true},
    {"SeveralBlanksAfterTheNameAreSkipped", "prog     -u", "-u", true},
    {"TabAfterTheNameIsSkipped", "prog\t-u", "-u", true},
    {"MixedBlanksAndTabsAreSkipped", "prog \t \t-u", "-u", true},
    {"QuotedNameWithBlanksEndsAtTheClosingQuote", "\"c:\\program files\\x\\Ravenlook_inst.exe\" -u",
     "-u", true},
    {"SwitchRightAfterTheClosingQuote", "\"c:\\a b\\prog.exe\"-u", "-u", true},
    {"TrailingBlankStaysAndIsNotTheSwitch", "prog -u ", "-u ", false},
    {"UpperCaseSwitchIsNotTheSwitch", "prog -U", "-U", false},
    {"SlashSwitchIsNotTheSwitch", "prog /u", "/u", false},
    {"SwitchWithAnotherArgumentIsNotTheSwitch", "prog -u x", "-u x", false},
    {"SwitchGluedToAnUnquotedNameIsPartOfTheName", "prog-u", "", false},
    {"NameAloneHasNoTail", "prog", "", false},
    {"NameWithTrailingBlanksHasNoTail", "prog   ", "", false},
    {"EmptyLineHasNoTail", "", "", false},
    {"QuotedNameWithoutClosingQuoteTakesTheWholeLine", "\"c:\\a b\\prog.exe -u", "", false},
    {"NullLineGivesEmptyTail", nullptr, "", false},
};

TEST(CommandLine, TailAndSwitch)
{
    for (const CommandLineCase &c : kCommandLineCases) {
        SCOPED_TRACE(c.name);
        const char *tail = commandLineTail(c.commandLine);
        ASSERT_NE(tail, nullptr);
        EXPECT_STREQ(tail, c.tail);
        EXPECT_EQ(isUninstallSwitch(tail), c.uninstall);
        // The tail is the end of the given line, not a copy of it.
        if (c.commandLine) {
            EXPECT_EQ(tail, c.commandLine + std::strlen(c.commandLine) - std::strlen(c.tail));
        }
    }
}

TEST(UninstallSwitch, OnlyTheExactSwitchCounts)
{
    EXPECT_TRUE(isUninstallSwitch("-u"));
    EXPECT_FALSE(isUninstallSwitch(nullptr));
    for (const char *other : {"", "-", "u", "-U", "/u", "-u ", " -u", "-uu", "--u", "-u\t"}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(isUninstallSwitch(other));
    }
}

}   // namespace
