#include "record_codec.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// The stored bytes, zero byte included; none when refused.
std::string encode(const std::string &text)
{
    std::vector<unsigned char> out(RECORD_ENCODE_CAPACITY, 0xAA);
    size_t stored = encodeInstallPath(text.c_str(), out.data(), out.size());
    EXPECT_LE(stored, out.size());
    return std::string(reinterpret_cast<const char *>(out.data()), std::min(stored, out.size()));
}

TEST(EncodeInstallPath, EveryByteIsIncrementedAndAZeroByteFollows)
{
    const std::string full(RECORD_ENCODE_CAPACITY - 1, 'a');
    const struct {
        const char *name;
        std::string text, stored;
    } cases[] = {
        {"Letters", "abc", "bcd\0"s},
        {"PathCharactersAndHighBytes", "A\\:\x7F\xE9\xFE", "B\x5D;\x80\xEA\xFF\0"s},
        {"EmptyTextIsTheZeroByteAlone", "", "\0"s},
        {"TextFillingTheCapacityFits", full, std::string(full.size(), 'b') + '\0'},
        {"TextOneLongerThanTheCapacityAllowsIsRefused", full + 'a', ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(encode(c.text), c.stored);
    }
}

TEST(EncodeInstallPath, NullArgumentsAreRefused)
{
    unsigned char out[8];
    EXPECT_EQ(encodeInstallPath(nullptr, out, sizeof out), 0u);
    EXPECT_EQ(encodeInstallPath("a", nullptr, sizeof out), 0u);
    EXPECT_EQ(encodeInstallPath("", out, 0), 0u);
}

TEST(DecodeInstallPath, BytesUpToTheFirstZeroByteAreDecremented)
{
    const struct {
        const char *name;
        std::string before;   // the buffer: the stored bytes and what follows them
        size_t stored, length;
        std::string after;
    } cases[] = {
        {"StoredValueWithItsZeroByte", "bcd\0\0"s, 4, 3, "abc\0\0"s},
        {"BytesAfterTheFirstZeroByteAreLeftAlone", "b\0xy\0"s, 4, 1, "a\0xy\0"s},
        {"ValueWithoutZeroByteIsTerminatedAfterItsBytes", "bcd##", 3, 3, "abc\0#"s},
        {"ZeroLengthValueGivesEmptyText", "##", 0, 0, "\0#"s},
        {"HighBytesWrapBack", "\x80\xFF\x01\0"s, 3, 3, "\x7F\xFE\0\0"s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string buffer = c.before;
        EXPECT_EQ(decodeInstallPath(&buffer[0], c.stored), c.length);
        EXPECT_EQ(buffer, c.after);
    }
}

std::string byteRange(int first, int last)
{
    std::string text;
    for (int c = first; c <= last; ++c)
        text += static_cast<char>(c);
    return text;
}

TEST(InstallPathRoundTrip, DecodingGivesTheTextWithOrWithoutTheZeroByte)
{
    const struct {
        const char *name;
        std::string text;
    } cases[] = {
        {"EveryPrintableByte", byteRange(0x20, 0x7E)},
        {"EveryWindows1252ByteBelowFF", byteRange(0x80, 0xFE)},
        {"ProgramFiles", "c:\\program files\\Ravenlook\\Ravenlook v1.3"},
        {"ArquivosDeProgramas", "c:\\arquivos de programas\\Ravenlook\\Ravenlook v1.3"},
        {"DriveRootFallback", "c:\\Ravenlook\\Ravenlook v1.3"},
        {"ShortPath", "c:\\x"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string stored = encode(c.text);
        ASSERT_EQ(stored.size(), c.text.size() + 1);
        // Room for a terminator the decoder may write; read without its zero
        // byte, the value still decodes to the whole text.
        for (size_t length : {stored.size(), stored.size() - 1}) {
            std::string buffer = stored.substr(0, length) + '#';
            EXPECT_EQ(decodeInstallPath(&buffer[0], length), c.text.size());
            EXPECT_EQ(buffer.c_str(), c.text);
        }
    }
}

}   // namespace
