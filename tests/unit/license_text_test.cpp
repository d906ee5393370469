#include "license_text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// The conversion state is about 26 KB: kept off the stack.
std::unique_ptr<LicenseText> newLicense()
{
    auto license = std::make_unique<LicenseText>();
    licenseTextBegin(license.get());
    return license;
}

std::string textOf(const LicenseText &license)
{
    // The text must be terminated where its length says.
    EXPECT_LT(license.length, static_cast<size_t>(LICENSE_TEXT_CAPACITY));
    EXPECT_EQ(license.text[license.length], '\0');
    return std::string(license.text, license.length);
}

std::string convert(const std::string &bytes, bool *truncated = nullptr)
{
    auto license = newLicense();
    licenseTextFeed(license.get(), bytes.data(), bytes.size());
    licenseTextFinish(license.get());
    if (truncated)
        *truncated = license->truncated;
    return textOf(*license);
}

struct ConversionCase {
    const char *name;
    std::string input;
    std::string text;
};

const std::string k254(254, 'a');
const std::string k300(300, 'b');

const ConversionCase kConversionCases[] = {
    {"EmptyFileGivesEmptyText", "", ""},
    {"LineFeedEndsBecomeCrLf", "a\nb\n", "a\r\nb\r\n"},
    {"CrLfEndsStayCrLf", "a\r\nb\r\n", "a\r\nb\r\n"},
    {"CarriageReturnOnlyEndsAreDropped", "a\rb\r", "ab"},
    {"CarriageReturnInsideALineIsDropped", "a\rb\n", "ab\r\n"},
    {"LastLineWithoutLineFeedIsAppendedUnchanged", "a\nlast", "a\r\nlast"},
    {"EmptyLinesKeepTheirBreaks", "\n\n", "\r\n\r\n"},
    {"CtrlZEndsTheFile",
     "a\nb\x1A"
     "c\nd\n",
     "a\r\nb"},
    {"CtrlZAtTheStartGivesEmptyText",
     "\x1A"
     "a\n",
     ""},
    {"CtrlZAfterABreakKeepsTheBreak", "a\n\x1A\n", "a\r\n"},
    {"NulEndsItsPieceAndHidesItsBreak", "ab\0cd\nef\n"s, "abef\r\n"},
    {"PieceBeginningWithNulAddsNothing", "a\n\0xyz\nb\n"s, "a\r\nb\r\n"},
    {"NulRightBeforeTheLineFeedHidesTheBreak", "ab\0\ncd\n"s, "abcd\r\n"},
    {"LongLineIsJoinedFromItsPiecesWithoutABreak", k300 + "\nz\n", k300 + "\r\nz\r\n"},
    {"LineOfExactlyOnePieceStillGetsItsBreak", k254 + "\nz\n", k254 + "\r\nz\r\n"},
    {"NulInTheSecondPieceOfALongLineHidesItsBreak", k254 + "x\0y\nz\n"s, k254 + "xz\r\n"},
    // The NUL hides the rest of the first 254-character piece only; the
    // second piece starts at character 255.
    {"NulInALongLineHidesOnlyTheRestOfItsPiece", "ab\0"s + std::string(251, 'x') + "yz\n",
     "abyz\r\n"},
};

class LicenseConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(LicenseConversionTest, FedAllAtOnce)
{
    EXPECT_EQ(convert(GetParam().input), GetParam().text);
}

TEST_P(LicenseConversionTest, FedByteByByte)
{
    const std::string &input = GetParam().input;
    auto license = newLicense();
    for (char c : input)
        licenseTextFeed(license.get(), &c, 1);
    licenseTextFinish(license.get());
    EXPECT_EQ(textOf(*license), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(License, LicenseConversionTest, ::testing::ValuesIn(kConversionCases),
                         [](const ::testing::TestParamInfo<ConversionCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(LicenseText, SplittingTheInputAnywhereGivesTheSameText)
{
    const std::string sample = "one\r\ntwo\rthree\n\0hidden\nfour"s + std::string(260, 'f') +
                               "\nfive\0x\n\x1A"
                               "after\n"s;
    const std::string whole = convert(sample);
    for (size_t split = 0; split <= sample.size(); ++split) {
        SCOPED_TRACE(split);
        auto license = newLicense();
        licenseTextFeed(license.get(), sample.data(), split);
        licenseTextFeed(license.get(), sample.data() + split, sample.size() - split);
        licenseTextFinish(license.get());
        EXPECT_EQ(textOf(*license), whole);
    }
}

TEST(LicenseText, FeedingNothingChangesNothing)
{
    auto license = newLicense();
    licenseTextFeed(license.get(), "a\n", 2);
    licenseTextFeed(license.get(), "", 0);
    licenseTextFinish(license.get());
    EXPECT_EQ(textOf(*license), "a\r\n");
}

// Lines of ten characters become eleven bytes each with CR LF.
std::string linesOfTen(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += "123456789\n";
    return bytes;
}

TEST(LicenseTextBound, LargeFileIsCutAtTheCapacity)
{
    const std::string input = linesOfTen(4000);   // 40,000 bytes
    bool truncated = false;
    const std::string text = convert(input, &truncated);
    EXPECT_TRUE(truncated);
    ASSERT_EQ(text.size(), static_cast<size_t>(LICENSE_TEXT_CAPACITY - 1));
    std::string full;
    for (size_t i = 0; i < 4000; ++i)
        full += "123456789\r\n";
    EXPECT_EQ(text, full.substr(0, LICENSE_TEXT_CAPACITY - 1));
}

TEST(LicenseTextBound, TextThatFillsTheCapacityExactlyIsNotTruncated)
{
    // 2327 lines of 11 bytes = 25,597, plus "ab" = 25,599.
    bool truncated = true;
    const std::string text = convert(linesOfTen(2327) + "ab", &truncated);
    EXPECT_FALSE(truncated);
    EXPECT_EQ(text.size(), 25599u);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\nab");
}

TEST(LicenseTextBound, OneByteMoreIsTruncated)
{
    bool truncated = false;
    const std::string text = convert(linesOfTen(2327) + "abc", &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(text.size(), 25599u);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\nab");
}

TEST(LicenseTextBound, BreakThatDoesNotFitIsCut)
{
    // 25,598 bytes of text, then a line feed whose CR LF has room for one byte.
    bool truncated = false;
    const std::string text = convert(linesOfTen(2327) + "a\n", &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(text.size(), 25599u);
}

TEST(LicenseTextBound, FeedingAfterTheTextIsFullAddsNothing)
{
    auto license = newLicense();
    const std::string input = linesOfTen(3000);
    licenseTextFeed(license.get(), input.data(), input.size());
    licenseTextFeed(license.get(), input.data(), input.size());
    licenseTextFinish(license.get());
    EXPECT_TRUE(license->truncated);
    EXPECT_EQ(textOf(*license).size(), 25599u);
}

// A real file read through the stream reader.
class LicenseStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        stream = std::tmpfile();
        ASSERT_NE(stream, nullptr);
    }
    void TearDown() override
    {
        if (stream)
            std::fclose(stream);
    }
    std::string read(const std::string &bytes)
    {
        EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), stream), bytes.size());
        std::rewind(stream);
        auto license = newLicense();
        licenseTextReadStream(license.get(), stream);
        return textOf(*license);
    }
    FILE *stream = nullptr;
};

TEST_F(LicenseStreamTest, StreamGivesTheSameTextAsFeeding)
{
    const std::string sample = "line one\r\nline two\n\0hidden\n"s + k300 + "\nend";
    EXPECT_EQ(read(sample), convert(sample));
}

TEST_F(LicenseStreamTest, LongStreamReadInSeveralChunks)
{
    std::string sample;
    for (int i = 0; i < 1000; ++i)
        sample += "line " + std::to_string(i) + "\r\n";
    EXPECT_EQ(read(sample), convert(sample));
}

TEST_F(LicenseStreamTest, CtrlZInTheStreamEndsTheText)
{
    EXPECT_EQ(read("a\r\nb\x1A"
                   "c\r\n"),
              "a\r\nb");
}

TEST_F(LicenseStreamTest, EmptyStreamGivesEmptyText)
{
    EXPECT_EQ(read(""), "");
}

}   // namespace
