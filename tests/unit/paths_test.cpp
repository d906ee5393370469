#include "paths.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

// A path buffer pre-filled with a known text and garbage behind it, so a
// refused call can be checked to leave every byte as it was.
struct PathBuffer {
    char bytes[PATH_CAPACITY];

    explicit PathBuffer(const char *text = "previous")
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

TEST(PathCopy, TextThatFitsIsCopied)
{
    PathBuffer dest;
    EXPECT_TRUE(pathCopy(dest.bytes, PATH_CAPACITY, "c:\\program files"));
    EXPECT_STREQ(dest.bytes, "c:\\program files");
}

TEST(PathCopy, LongestTextThatFitsIsCopied)
{
    PathBuffer dest;
    const std::string source = chars(PATH_CAPACITY - 1);
    EXPECT_TRUE(pathCopy(dest.bytes, PATH_CAPACITY, source.c_str()));
    EXPECT_EQ(std::string(dest.bytes), source);
}

TEST(PathCopy, EmptyTextIsCopied)
{
    PathBuffer dest;
    EXPECT_TRUE(pathCopy(dest.bytes, PATH_CAPACITY, ""));
    EXPECT_STREQ(dest.bytes, "");
}

TEST(PathAppend, SuffixIsAppended)
{
    PathBuffer dest("c:");
    EXPECT_TRUE(pathAppend(dest.bytes, PATH_CAPACITY, "\\windows"));
    EXPECT_STREQ(dest.bytes, "c:\\windows");
}

TEST(PathAppend, ResultOfExactlyCapacityLessOneFits)
{
    PathBuffer dest("c:");
    const std::string suffix = chars(PATH_CAPACITY - 3);
    EXPECT_TRUE(pathAppend(dest.bytes, PATH_CAPACITY, suffix.c_str()));
    EXPECT_EQ(std::string(dest.bytes), "c:" + suffix);
    EXPECT_EQ(std::strlen(dest.bytes), static_cast<size_t>(PATH_CAPACITY - 1));
}

TEST(PathJoin, DirectoryAndNameAreJoinedWithABackslash)
{
    PathBuffer dest;
    EXPECT_TRUE(pathJoin(dest.bytes, PATH_CAPACITY, "c:\\x", "Ravenlook.exe"));
    EXPECT_STREQ(dest.bytes, "c:\\x\\Ravenlook.exe");
}

TEST(PathJoin, ResultOfExactlyCapacityLessOneFits)
{
    PathBuffer dest;
    const std::string directory = chars(50, 'd');
    const std::string name = chars(PATH_CAPACITY - 1 - 51, 'n');
    EXPECT_TRUE(pathJoin(dest.bytes, PATH_CAPACITY, directory.c_str(), name.c_str()));
    EXPECT_EQ(std::string(dest.bytes), directory + "\\" + name);
}

TEST(PathJoin, DestinationMayBeTheDirectory)
{
    PathBuffer dest("c:\\x");
    EXPECT_TRUE(pathJoin(dest.bytes, PATH_CAPACITY, dest.bytes, "y"));
    EXPECT_STREQ(dest.bytes, "c:\\x\\y");
}

TEST(PathAppendComponent, NameIsAppendedAfterABackslash)
{
    PathBuffer dest("c:\\x");
    EXPECT_TRUE(pathAppendComponent(dest.bytes, PATH_CAPACITY, "Ravenlook"));
    EXPECT_STREQ(dest.bytes, "c:\\x\\Ravenlook");
}

TEST(PathAppendComponent, ResultOfExactlyCapacityLessOneFits)
{
    PathBuffer dest("c:");
    const std::string name = chars(PATH_CAPACITY - 1 - 3);
    EXPECT_TRUE(pathAppendComponent(dest.bytes, PATH_CAPACITY, name.c_str()));
    EXPECT_EQ(std::string(dest.bytes), "c:\\" + name);
}

// Every refusal: false, and the buffer byte for byte as it was.
struct RefusalCase {
    const char *name;
    const char *initial;   // buffer content before the call
    bool unterminated;     // buffer filled without a terminator
    bool (*call)(char *dest);
};

const std::string k100 = chars(PATH_CAPACITY);
const std::string k97 = chars(PATH_CAPACITY - 3);
const std::string k98 = chars(PATH_CAPACITY - 2);
const std::string k50 = chars(50);
const std::string k49 = chars(49);

const RefusalCase kRefusalCases[] = {
    {"CopyOfCapacityCharsIsRefused", "previous", false,
     [](char *d) { return pathCopy(d, PATH_CAPACITY, k100.c_str()); }},
    {"CopyFromNullIsRefused", "previous", false,
     [](char *d) { return pathCopy(d, PATH_CAPACITY, nullptr); }},
    {"CopyIntoZeroCapacityIsRefused", "previous", false,
     [](char *d) { return pathCopy(d, 0, ""); }},
    {"CopyOfOneCharIntoCapacityOneIsRefused", "previous", false,
     [](char *d) { return pathCopy(d, 1, "a"); }},
    {"AppendReachingCapacityIsRefused", "c:", false,
     [](char *d) { return pathAppend(d, PATH_CAPACITY, k98.c_str()); }},
    {"AppendOfNullIsRefused", "c:", false,
     [](char *d) { return pathAppend(d, PATH_CAPACITY, nullptr); }},
    {"AppendIntoZeroCapacityIsRefused", "c:", false, [](char *d) { return pathAppend(d, 0, ""); }},
    {"AppendToUnterminatedBufferIsRefused", "", true,
     [](char *d) { return pathAppend(d, PATH_CAPACITY, ""); }},
    {"AppendToTextLongerThanTheGivenCapacityIsRefused", "c:\\windows", false,
     [](char *d) { return pathAppend(d, 5, ""); }},
    {"JoinReachingCapacityIsRefused", "previous", false,
     [](char *d) { return pathJoin(d, PATH_CAPACITY, k50.c_str(), k49.c_str()); }},
    {"JoinOfNullDirectoryIsRefused", "previous", false,
     [](char *d) { return pathJoin(d, PATH_CAPACITY, nullptr, "x"); }},
    {"JoinOfNullNameIsRefused", "previous", false,
     [](char *d) { return pathJoin(d, PATH_CAPACITY, "c:", nullptr); }},
    {"JoinIntoZeroCapacityIsRefused", "previous", false,
     [](char *d) { return pathJoin(d, 0, "", ""); }},
    {"ComponentReachingCapacityIsRefused", "c:", false,
     [](char *d) { return pathAppendComponent(d, PATH_CAPACITY, k97.c_str()); }},
    {"ComponentOfNullIsRefused", "c:", false,
     [](char *d) { return pathAppendComponent(d, PATH_CAPACITY, nullptr); }},
    {"ComponentIntoZeroCapacityIsRefused", "c:", false,
     [](char *d) { return pathAppendComponent(d, 0, "x"); }},
    {"ComponentToUnterminatedBufferIsRefused", "", true,
     [](char *d) { return pathAppendComponent(d, PATH_CAPACITY, ""); }},
};

class PathRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PathRefusalTest, ReturnsFalseAndLeavesTheBufferUnchanged)
{
    const RefusalCase &c = GetParam();
    PathBuffer dest(c.initial);
    if (c.unterminated)
        std::memset(dest.bytes, 'u', sizeof dest.bytes);
    const PathBuffer before = dest;
    EXPECT_FALSE(c.call(dest.bytes));
    EXPECT_TRUE(dest.sameAs(before));
}

INSTANTIATE_TEST_SUITE_P(Paths, PathRefusalTest, ::testing::ValuesIn(kRefusalCases),
                         [](const ::testing::TestParamInfo<RefusalCase> &info) {
                             return std::string(info.param.name);
                         });

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

TEST(PathRefusal, NullDestinationIsRefused)
{
    EXPECT_FALSE(pathCopy(nullptr, PATH_CAPACITY, "x"));
    EXPECT_FALSE(pathAppend(nullptr, PATH_CAPACITY, "x"));
    EXPECT_FALSE(pathJoin(nullptr, PATH_CAPACITY, "c:", "x"));
    EXPECT_FALSE(pathAppendComponent(nullptr, PATH_CAPACITY, "x"));
}

struct CompareCase {
    const char *name;
    const char *a;
    const char *b;
    bool equal;
};

const CompareCase kCompareCases[] = {
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
};

class PathCompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(PathCompareTest, BothOrders)
{
    const CompareCase &c = GetParam();
    EXPECT_EQ(pathEqualsIgnoringCase(c.a, c.b), c.equal);
    EXPECT_EQ(pathEqualsIgnoringCase(c.b, c.a), c.equal);
}

INSTANTIATE_TEST_SUITE_P(Paths, PathCompareTest, ::testing::ValuesIn(kCompareCases),
                         [](const ::testing::TestParamInfo<CompareCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(PathCompare, NullIsNeverEqual)
{
    EXPECT_FALSE(pathEqualsIgnoringCase(nullptr, "c:"));
    EXPECT_FALSE(pathEqualsIgnoringCase("c:", nullptr));
    EXPECT_FALSE(pathEqualsIgnoringCase(nullptr, nullptr));
}

}   // namespace
