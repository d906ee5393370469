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

TEST(LicenseText, ConversionFedAllAtOnceOrByteByByte)
{
    for (const ConversionCase &c : kConversionCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(convert(c.input), c.text);
        // Byte by byte, with an empty feed after each byte: feeding nothing
        // changes nothing.
        auto license = newLicense();
        for (char byte : c.input) {
            licenseTextFeed(license.get(), &byte, 1);
            licenseTextFeed(license.get(), "", 0);
        }
        licenseTextFinish(license.get());
        EXPECT_EQ(textOf(*license), c.text);
    }
}

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

// Lines of ten characters, each ended as given: eleven bytes with CR LF.
std::string linesOfTen(size_t count, const char *end = "\n")
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += std::string("123456789") + end;
    return bytes;
}

TEST(LicenseTextBound, TextIsCutAtTheCapacity)
{
    // 2327 lines of 11 bytes = 25,597: two more bytes fill the text.
    const std::string full = linesOfTen(2327, "\r\n");
    const struct {
        const char *name;
        std::string input, text;
        bool truncated;
    } cases[] = {
        {"LargeFileIsCutAtTheCapacity", linesOfTen(4000),
         linesOfTen(4000, "\r\n").substr(0, LICENSE_TEXT_CAPACITY - 1), true},
        {"TextThatFillsTheCapacityExactlyIsNotTruncated", linesOfTen(2327) + "ab", full + "ab",
         false},
        {"OneByteMoreIsTruncated", linesOfTen(2327) + "abc", full + "ab", true},
        {"BreakThatDoesNotFitIsCut", linesOfTen(2327) + "a\n", full + "a\r", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool truncated = !c.truncated;
        EXPECT_EQ(convert(c.input, &truncated), c.text);
        EXPECT_EQ(truncated, c.truncated);
        EXPECT_EQ(c.text.size(), static_cast<size_t>(LICENSE_TEXT_CAPACITY - 1));
    }
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
std::string readThroughStream(const std::string &bytes)
{
    FILE *stream = std::tmpfile();
    if (!stream) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), stream), bytes.size());
    std::rewind(stream);
    auto license = newLicense();
    licenseTextReadStream(license.get(), stream);
    std::fclose(stream);
    return textOf(*license);
}

TEST(LicenseStream, StreamGivesTheSameTextAsFeeding)
{
    std::string manyLines;   // read in several chunks
    for (int i = 0; i < 1000; ++i)
        manyLines += "line " + std::to_string(i) + "\r\n";
    const struct {
        const char *name;
        std::string bytes;
        const char *text;   // null: as fed
    } cases[] = {
        {"NulAndLongLine", "line one\r\nline two\n\0hidden\n"s + k300 + "\nend", nullptr},
        {"LongStreamReadInSeveralChunks", manyLines, nullptr},
        {"CtrlZInTheStreamEndsTheText",
         "a\r\nb\x1A"
         "c\r\n",
         "a\r\nb"},
        {"EmptyStreamGivesEmptyText", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readThroughStream(c.bytes), c.text ? std::string(c.text) : convert(c.bytes));
    }
}

}   // namespace
