#include "record_codec.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<unsigned char> encode(const std::string &text, size_t *stored)
{
    std::vector<unsigned char> out(RECORD_ENCODE_CAPACITY, 0xAA);
    *stored = encodeInstallPath(text.c_str(), out.data(), out.size());
    return out;
}

TEST(EncodeInstallPath, EveryByteIsIncrementedAndAZeroByteFollows)
{
    size_t stored = 0;
    std::vector<unsigned char> out = encode("abc", &stored);
    ASSERT_EQ(stored, 4u);
    EXPECT_EQ(out[0], 'b');
    EXPECT_EQ(out[1], 'c');
    EXPECT_EQ(out[2], 'd');
    EXPECT_EQ(out[3], 0);
}

TEST(EncodeInstallPath, PathCharactersAndHighBytes)
{
    size_t stored = 0;
    std::vector<unsigned char> out = encode("A\\:\x7F\xE9\xFE", &stored);
    ASSERT_EQ(stored, 7u);
    EXPECT_EQ(out[0], 'B');
    EXPECT_EQ(out[1], 0x5D);
    EXPECT_EQ(out[2], ';');
    EXPECT_EQ(out[3], 0x80);
    EXPECT_EQ(out[4], 0xEA);
    EXPECT_EQ(out[5], 0xFF);
    EXPECT_EQ(out[6], 0);
}

TEST(EncodeInstallPath, EmptyTextIsTheZeroByteAlone)
{
    size_t stored = 0;
    std::vector<unsigned char> out = encode("", &stored);
    ASSERT_EQ(stored, 1u);
    EXPECT_EQ(out[0], 0);
}

TEST(EncodeInstallPath, TextFillingTheCapacityFits)
{
    size_t stored = 0;
    std::vector<unsigned char> out = encode(std::string(RECORD_ENCODE_CAPACITY - 1, 'a'), &stored);
    ASSERT_EQ(stored, static_cast<size_t>(RECORD_ENCODE_CAPACITY));
    EXPECT_EQ(out[RECORD_ENCODE_CAPACITY - 2], 'b');
    EXPECT_EQ(out[RECORD_ENCODE_CAPACITY - 1], 0);
}

TEST(EncodeInstallPath, TextOneLongerThanTheCapacityAllowsIsRefused)
{
    size_t stored = 1;
    encode(std::string(RECORD_ENCODE_CAPACITY, 'a'), &stored);
    EXPECT_EQ(stored, 0u);
}

TEST(EncodeInstallPath, NullArgumentsAreRefused)
{
    unsigned char out[8];
    EXPECT_EQ(encodeInstallPath(nullptr, out, sizeof out), 0u);
    EXPECT_EQ(encodeInstallPath("a", nullptr, sizeof out), 0u);
    EXPECT_EQ(encodeInstallPath("", out, 0), 0u);
}

TEST(DecodeInstallPath, StoredValueWithItsZeroByteDecodes)
{
    char buffer[] = {'b', 'c', 'd', '\0', '\0'};
    EXPECT_EQ(decodeInstallPath(buffer, 4), 3u);
    EXPECT_STREQ(buffer, "abc");
}

TEST(DecodeInstallPath, BytesAfterTheFirstZeroByteAreLeftAlone)
{
    char buffer[] = {'b', '\0', 'x', 'y', '\0'};
    EXPECT_EQ(decodeInstallPath(buffer, 4), 1u);
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(buffer[2], 'x');
    EXPECT_EQ(buffer[3], 'y');
}

TEST(DecodeInstallPath, ValueWithoutZeroByteIsTerminatedAfterItsBytes)
{
    char buffer[] = {'b', 'c', 'd', '#', '#'};
    EXPECT_EQ(decodeInstallPath(buffer, 3), 3u);
    EXPECT_EQ(buffer[3], '\0');
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], '#');
}

TEST(DecodeInstallPath, ZeroLengthValueGivesEmptyText)
{
    char buffer[] = {'#', '#'};
    EXPECT_EQ(decodeInstallPath(buffer, 0), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[1], '#');
}

TEST(DecodeInstallPath, HighBytesWrapBack)
{
    char buffer[] = {'\x80', '\xFF', '\x01', '\0'};
    EXPECT_EQ(decodeInstallPath(buffer, 3), 3u);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0x7F);
    EXPECT_EQ(static_cast<unsigned char>(buffer[1]), 0xFE);
    EXPECT_EQ(static_cast<unsigned char>(buffer[2]), 0x00);
}

void expectRoundTrip(const std::string &text)
{
    size_t stored = 0;
    std::vector<unsigned char> out = encode(text, &stored);
    ASSERT_EQ(stored, text.size() + 1);
    std::vector<char> buffer(out.begin(), out.begin() + static_cast<long>(stored));
    buffer.push_back('#');   // room for a terminator the decoder may write
    EXPECT_EQ(decodeInstallPath(buffer.data(), stored), text.size());
    EXPECT_EQ(std::string(buffer.data()), text);
}

TEST(InstallPathRoundTrip, EveryPrintableByte)
{
    std::string text;
    for (int c = 0x20; c <= 0x7E; ++c)
        text += static_cast<char>(c);
    expectRoundTrip(text);
}

TEST(InstallPathRoundTrip, EveryWindows1252ByteBelowFF)
{
    std::string text;
    for (int c = 0x80; c <= 0xFE; ++c)
        text += static_cast<char>(c);
    expectRoundTrip(text);
}

TEST(InstallPathRoundTrip, RecordedInstallDirectories)
{
    expectRoundTrip("c:\\program files\\Ravenlook\\Ravenlook v1.3");
    expectRoundTrip("c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3");
    expectRoundTrip("c:\\Ravenlook\\Ravenlook v1.3");
}

TEST(InstallPathRoundTrip, ValueReadWithoutItsZeroByte)
{
    // The stored bytes without the zero byte still decode to the whole text.
    size_t stored = 0;
    std::vector<unsigned char> out = encode("c:\\x", &stored);
    ASSERT_EQ(stored, 5u);
    char buffer[5];
    std::memcpy(buffer, out.data(), 4);
    buffer[4] = '#';
    EXPECT_EQ(decodeInstallPath(buffer, 4), 4u);
    EXPECT_STREQ(buffer, "c:\\x");
}

}   // namespace
