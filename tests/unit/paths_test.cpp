#include "paths.h"

#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

// A path buffer pre-filled with a known text and garbage behind it, so a
// refused call can be checked to leave every byte as it was.
struct PathBuffer {
    char bytes[PATH_CAPACITY];

    explicit PathBuffer(const char *text)
    {
        std::memset(bytes, '#', sizeof bytes);
        std::strcpy(bytes, text);
    }
    bool sameAs(const PathBuffer &other) const
    {
        return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
    }
};

std::string chars(size_t n, char c = 'p')
{
    return std::string(n, c);
}

const size_t kCap = PATH_CAPACITY;

// Each call on a pre-filled buffer: the text it leaves, or a refusal that
// leaves the buffer byte for byte as it was.
struct CallCase {
    const char *name;
    const char *initial;   // buffer content before the call; null: no terminator
    bool (*call)(char *dest);
    std::optional<std::string> text = std::nullopt;   // none: refused
};

const CallCase kCallCases[] = {
    {"CopyOfTextThatFits", "old", [](char *d) { return pathCopy(d, kCap, "c:\\program files"); },
     "c:\\program files"},
    {"CopyOfLongestTextThatFits", "old",
     [](char *d) { return pathCopy(d, kCap, chars(kCap - 1).c_str()); }, chars(kCap - 1)},
    {"CopyOfEmptyText", "old", [](char *d) { return pathCopy(d, kCap, ""); }, ""},
    {"AppendOfSuffix", "c:", [](char *d) { return pathAppend(d, kCap, "\\windows"); },
     "c:\\windows"},
    {"AppendToExactlyCapacityLessOne", "c:",
     [](char *d) { return pathAppend(d, kCap, chars(kCap - 3).c_str()); }, "c:" + chars(kCap - 3)},
    {"JoinWithABackslash", "old",
     [](char *d) { return pathJoin(d, kCap, "c:\\x", "Ravenlook.exe"); }, "c:\\x\\Ravenlook.exe"},
    {"JoinToExactlyCapacityLessOne", "old",
     [](char *d) { return pathJoin(d, kCap, chars(50, 'd').c_str(), chars(48, 'n').c_str()); },
     chars(50, 'd') + "\\" + chars(48, 'n')},
    {"JoinIntoTheDirectoryItself", "c:\\x", [](char *d) { return pathJoin(d, kCap, d, "y"); },
     "c:\\x\\y"},
    {"ComponentAfterABackslash", "c:\\x",
     [](char *d) { return pathAppendComponent(d, kCap, "Ravenlook"); }, "c:\\x\\Ravenlook"},
    {"ComponentToExactlyCapacityLessOne",
     "c:", [](char *d) { return pathAppendComponent(d, kCap, chars(kCap - 4).c_str()); },
     "c:\\" + chars(kCap - 4)},
    {"CopyOfCapacityCharsIsRefused", "old",
     [](char *d) { return pathCopy(d, kCap, chars(kCap).c_str()); }},
    {"CopyFromNullIsRefused", "old", [](char *d) { return pathCopy(d, kCap, nullptr); }},
    {"CopyIntoZeroCapacityIsRefused", "old", [](char *d) { return pathCopy(d, 0, ""); }},
    {"CopyOfOneCharIntoCapacityOneIsRefused", "old", [](char *d) { return pathCopy(d, 1, "a"); }},
    {"AppendReachingCapacityIsRefused",
     "c:", [](char *d) { return pathAppend(d, kCap, chars(kCap - 2).c_str()); }},
    {"AppendOfNullIsRefused", "c:", [](char *d) { return pathAppend(d, kCap, nullptr); }},
    {"AppendIntoZeroCapacityIsRefused", "c:", [](char *d) { return pathAppend(d, 0, ""); }},
    {"AppendToUnterminatedBufferIsRefused", nullptr,
     [](char *d) { return pathAppend(d, kCap, ""); }},
    {"AppendToTextLongerThanTheGivenCapacityIsRefused", "c:\\windows",
     [](char *d) { return pathAppend(d, 5, ""); }},
    {"JoinReachingCapacityIsRefused", "old",
     [](char *d) { return pathJoin(d, kCap, chars(50).c_str(), chars(49).c_str()); }},
    {"JoinOfNullDirectoryIsRefused", "old",
     [](char *d) { return pathJoin(d, kCap, nullptr, "x"); }},
    {"JoinOfNullNameIsRefused", "old", [](char *d) { return pathJoin(d, kCap, "c:", nullptr); }},
    {"JoinIntoZeroCapacityIsRefused", "old", [](char *d) { return pathJoin(d, 0, "", ""); }},
    {"ComponentReachingCapacityIsRefused",
     "c:", [](char *d) { return pathAppendComponent(d, kCap, chars(kCap - 3).c_str()); }},
    {"ComponentOfNullIsRefused",
     "c:", [](char *d) { return pathAppendComponent(d, kCap, nullptr); }},
    {"ComponentIntoZeroCapacityIsRefused",
     "c:", [](char *d) { return pathAppendComponent(d, 0, "x"); }},
    {"ComponentToUnterminatedBufferIsRefused", nullptr,
     [](char *d) { return pathAppendComponent(d, kCap, ""); }},
    {"CopyIntoNullIsRefused", "old", [](char *) { return pathCopy(nullptr, kCap, "x"); }},
    {"AppendToNullIsRefused", "old", [](char *) { return pathAppend(nullptr, kCap, "x"); }},
    {"JoinIntoNullIsRefused", "old", [](char *) { return pathJoin(nullptr, kCap, "c:", "x"); }},
    {"ComponentToNullIsRefused", "old",
     [](char *) { return pathAppendComponent(nullptr, kCap, "x"); }},
};

TEST(Paths, EachCallGivesItsTextOrLeavesTheBufferUnchanged)
{
    for (const CallCase &c : kCallCases) {
        SCOPED_TRACE(c.name);
        PathBuffer dest(c.initial ? c.initial : "");
        if (!c.initial)
            std::memset(dest.bytes, 'u', sizeof dest.bytes);
        const PathBuffer before = dest;
        EXPECT_EQ(c.call(dest.bytes), c.text.has_value());
        if (c.text) {
            EXPECT_EQ(std::string(dest.bytes), *c.text);
            EXPECT_EQ(std::strlen(dest.bytes), c.text->size());
        } else {
            EXPECT_TRUE(dest.sameAs(before));
        }
    }
}

TEST(PathRemoveLastComponent, CutsToTheFolderThatHoldsThePath)
{
    PathBuffer path("c:\\program files\\Ravenlook\\Ravenlook v1.3");
    ASSERT_TRUE(pathRemoveLastComponent(path.bytes));
    EXPECT_STREQ(path.bytes, "c:\\program files\\Ravenlook");
    ASSERT_TRUE(pathRemoveLastComponent(path.bytes));
    ASSERT_TRUE(pathRemoveLastComponent(path.bytes));
    EXPECT_STREQ(path.bytes, "c:");
    EXPECT_FALSE(pathRemoveLastComponent(path.bytes)) << "nothing above the drive";
    EXPECT_STREQ(path.bytes, "c:");
    PathBuffer rooted("\\name");
    EXPECT_FALSE(pathRemoveLastComponent(rooted.bytes)) << "no folder in front of the name";
    EXPECT_STREQ(rooted.bytes, "\\name");
    EXPECT_FALSE(pathRemoveLastComponent(nullptr));
}

TEST(PathCompare, CaseIsFoldedForAsciiLettersOnlyInBothOrders)
{
    const struct {
        const char *name, *a, *b;
        bool equal;
    } cases[] = {
        {"SameTextIsEqual", "c:\\windows", "c:\\windows", true},
        {"AsciiLettersAreFolded", "C:\\PROGRAM FILES", "c:\\program files", true},
        {"MixedCaseIsFolded", "c:\\Program Files", "C:\\pROGRAM fILES", true},
        {"EmptyTextsAreEqual", "", "", true},
        {"PrefixIsNotEqual", "c:\\program files", "c:\\program file", false},
        {"LongerIsNotEqual", "c:\\program", "c:\\program files", false},
        {"EmptyIsNotEqualToText", "", "c:", false},
        {"DifferentLettersAreNotEqual", "c:\\a", "c:\\b", false},
        {"AccentedLettersAreNotFolded", "\xC9", "\xE9", false},
        {"AccentedLetterEqualsItself", "d\xE9marrer", "D\xE9MARRER", true},
        {"BackslashIsNotFoldedToBar", "c:\\x", "c:|x", false},
        {"AtSignIsNotFoldedToBacktick", "@", "`", false},
        {"BracketIsNotFoldedToBrace", "[", "{", false},
        {"NullIsNeverEqualToText", nullptr, "c:", false},
        {"NullIsNeverEqualToNull", nullptr, nullptr, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pathEqualsIgnoringCase(c.a, c.b), c.equal);
        EXPECT_EQ(pathEqualsIgnoringCase(c.b, c.a), c.equal);
    }
}

}   // namespace
