// The record's install-directory bytes: decoding raw registry bytes of any
// length (with or without a zero byte), and encoding then decoding a text.
#include "record_codec.h"

#include "fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const char kSpareMark = 0x5A;

// Raw bytes as the registry may hand them over: in a buffer with exactly
// one spare byte, allocated to size so any access beyond it is caught.
void checkDecode(const uint8_t *data, size_t size)
{
    char *buffer = static_cast<char *>(std::malloc(size + 1));
    FUZZ_CHECK(buffer != nullptr);
    std::memcpy(buffer, data, size);
    buffer[size] = kSpareMark;

    const uint8_t *zero = static_cast<const uint8_t *>(std::memchr(data, 0, size));
    const size_t expected = zero ? static_cast<size_t>(zero - data) : size;

    size_t length = decodeInstallPath(buffer, size);
    FUZZ_CHECK(length == expected);
    FUZZ_CHECK(buffer[length] == '\0');
    for (size_t i = 0; i < length; ++i)
        FUZZ_CHECK(static_cast<uint8_t>(buffer[i]) == static_cast<uint8_t>(data[i] - 1U));
    // Nothing behind the first zero byte is touched.
    for (size_t i = length + 1; i < size; ++i)
        FUZZ_CHECK(static_cast<uint8_t>(buffer[i]) == data[i]);
    if (length < size)
        FUZZ_CHECK(buffer[size] == kSpareMark);
    std::free(buffer);
}

// The input up to its first zero byte as the text to record.
void checkRoundTrip(const uint8_t *data, size_t size)
{
    char *text = static_cast<char *>(std::malloc(size + 1));
    FUZZ_CHECK(text != nullptr);
    std::memcpy(text, data, size);
    text[size] = '\0';
    const size_t length = std::strlen(text);

    unsigned char *out = static_cast<unsigned char *>(std::malloc(RECORD_ENCODE_CAPACITY));
    FUZZ_CHECK(out != nullptr);
    size_t stored = encodeInstallPath(text, out, RECORD_ENCODE_CAPACITY);
    if (length + 1 > RECORD_ENCODE_CAPACITY) {
        FUZZ_CHECK(stored == 0);
    } else {
        FUZZ_CHECK(stored == length + 1);
        FUZZ_CHECK(out[length] == 0);
        for (size_t i = 0; i < length; ++i)
            FUZZ_CHECK(out[i] ==
                       static_cast<unsigned char>(static_cast<unsigned char>(text[i]) + 1U));

        // A text without 0xFF encodes without a zero byte inside and comes
        // back whole.
        if (!std::memchr(text, 0xFF, length)) {
            char *read = static_cast<char *>(std::malloc(stored + 1));
            FUZZ_CHECK(read != nullptr);
            std::memcpy(read, out, stored);
            read[stored] = kSpareMark;
            FUZZ_CHECK(decodeInstallPath(read, stored) == length);
            FUZZ_CHECK(std::strcmp(read, text) == 0);
            std::free(read);
        }
    }

    // A smaller capacity, taken from the input: refused exactly when the
    // text and its zero byte do not fit.
    size_t capacity = size > 0 ? data[size - 1] : 0;
    if (capacity > RECORD_ENCODE_CAPACITY)
        capacity = RECORD_ENCODE_CAPACITY;
    stored = encodeInstallPath(text, out, capacity);
    FUZZ_CHECK(stored == (length + 1 <= capacity ? length + 1 : 0));

    std::free(out);
    std::free(text);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkDecode(data, size);
    checkRoundTrip(data, size);
    return 0;
}
