#include "pending_list.h"

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

namespace {

// What an install passes: some of its files, its directory and the parent.
const char16_t *const kOurPaths[] = {
    u"c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.exe",
    u"c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook_inst.exe",
    u"c:\\program files\\Ravenlook\\Ravenlook v1.3",
    u"c:\\program files\\Ravenlook",
};
const std::u16string kExe = u"c:\\program files\\Ravenlook\\Ravenlook v1.3\\Ravenlook.exe";
const std::u16string kDir = u"c:\\program files\\Ravenlook\\Ravenlook v1.3";
const std::u16string kParent = u"c:\\program files\\Ravenlook";
const std::u16string kWine = u"\\??\\";      // Wine's form of a source
const std::u16string kWin10 = u"*1\\??\\";   // Windows 10 and 11
const std::u16string kEnd(1, u'\0');         // the empty source that ends a list
const std::u16string kUnchanged = u"(unchanged)";

// Names as stored: each followed by its terminator.
std::u16string names(std::initializer_list<std::u16string> list)
{
    std::u16string data;
    for (const std::u16string &name : list)
        data += name + kEnd;
    return data;
}

struct Case {
    const char *what;
    std::u16string before;
    bool wellFormed;
    int result;
    std::u16string after;   // kUnchanged: as before
};

TEST(FilterPendingList, TakesOutOnlyOurDeletionsAndKeepsEveryOtherByte)
{
    const std::u16string foreignA = kWine + u"c:\\other\\a.tmp";
    const std::u16string foreignB = kWin10 + u"C:\\Windows\\SoftwareDistribution\\b.tmp";
    const std::u16string rename[] = {kWine + u"c:\\x\\old", u"!" + kWine + u"c:\\x\\new"};
    const Case cases[] = {
        {"Windows 10 form: ours goes, another program's stays",
         names({kWin10 + kExe, u"", foreignB, u"", u"*2\\??\\C:\\PROGRAM FILES\\RAVENLOOK", u""}) +
             kEnd,
         true, PENDING_LIST_FILTERED, names({foreignB, u""}) + kEnd},
        {"Wine form: foreign deletions and renames stay in their order around ours",
         names({foreignA, u"", kWine + kExe, u"", rename[0], rename[1], kWine + kDir, u"", foreignB,
                u"", kWine + kParent, u""}) +
             kEnd,
         true, PENDING_LIST_FILTERED,
         names({foreignA, u"", rename[0], rename[1], foreignB, u""}) + kEnd},
        {"ours in any case, with and without a prefix: only terminators are left",
         names({kWine + u"C:\\PROGRAM FILES\\RAVENLOOK\\RAVENLOOK V1.3\\RAVENLOOK_INST.EXE", u"",
                u"c:\\Program Files\\ravenlook\\ravenlook V1.3", u"", kWin10 + kParent, u""}) +
             kEnd,
         true, PENDING_LIST_EMPTIED, kEnd},
        {"text after an empty source stays", names({kWine + kExe, u"", u"", foreignA, u""}) + kEnd,
         true, PENDING_LIST_FILTERED, names({u"", foreignA, u""}) + kEnd},
        {"an empty pair does not end the list: ours after it goes",
         names({foreignA, u"", u"", u"", kWin10 + kExe, u"", foreignB, u""}) + kEnd, true,
         PENDING_LIST_FILTERED, names({foreignA, u"", u"", u"", foreignB, u""}) + kEnd},
        {"an odd count: the name without its pair and the terminator stay",
         names({kWin10 + kExe, u"", foreignA, u"", foreignB}) + kEnd, true, PENDING_LIST_FILTERED,
         names({foreignA, u"", foreignB}) + kEnd},
        {"a list without its closing empty name", names({kWine + kExe, u"", foreignA, u""}), true,
         PENDING_LIST_FILTERED, names({foreignA, u""})},
        {"neighbours of our paths are foreign",
         names({kWine + u"c:\\program files", u"", kWin10 + kDir + u"0", u"",
                kWine + u"c:\\other\\Ravenlook.exe", u"", kWine + kExe + u".bak", u"",
                u"*\\??\\" + kExe, u"", u"*1\\" + kExe + u"\\", u""}) +
             kEnd,
         true, PENDING_LIST_NONE_OURS, kUnchanged},
        {"a rename of our file is not a deletion", names({kWine + kExe, rename[1]}) + kEnd, true,
         PENDING_LIST_NONE_OURS, kUnchanged},
        {"nothing pending", u"", true, PENDING_LIST_NONE_OURS, kUnchanged},
        {"damaged, ours in it: unchanged", names({kWin10 + kExe, u""}) + u"\\??\\c:\\oth", true,
         PENDING_LIST_DAMAGED, kUnchanged},
        {"damaged, nothing of ours: unchanged", names({foreignA, u""}) + u"\\??\\c:\\oth", true,
         PENDING_LIST_NONE_OURS, kUnchanged},
        {"not a list of names, ours in it: unchanged", names({kWine + kDir, u""}) + kEnd, false,
         PENDING_LIST_DAMAGED, kUnchanged},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::u16string list = c.before;
        size_t length = list.size();
        EXPECT_EQ(filterPendingList(&list[0], &length, c.wellFormed, kOurPaths, 4), c.result);
        const std::u16string &expected = c.after == kUnchanged ? c.before : c.after;
        EXPECT_TRUE(list.substr(0, length) == expected) << "the list is not as expected";
    }
}

}   // namespace
