// The agreement-text conversion on arbitrary bytes.
//
// Input: byte 0 is a repeat count less one, byte 1 the number (0 to 7) of
// chunk-size bytes that follow; the rest is the body. The stream converted
// is the body repeated, so short inputs also reach the text's capacity. It
// is converted in one feed, in chunks of the given sizes (cyclic, zero-sized
// feeds included) and through a stream; all three must agree with a plain,
// unbounded model of the conversion cut at the capacity.
#include "license_text.h"

#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const size_t kTextLimit = LICENSE_TEXT_CAPACITY - 1;
const size_t kStreamLimit = 32 * 1024;   // beyond the capacity, also when nothing doubles

// The conversion without any bound on the text's length.
std::string modelConversion(const std::vector<char> &stream)
{
    std::string text;
    std::string piece;
    auto flush = [&]() {
        std::string visible = piece.substr(0, piece.find('\0'));
        if (!visible.empty() && visible.back() == '\n') {
            visible.pop_back();
            visible += "\r\n";
        }
        text += visible;
        piece.clear();
    };
    for (char c : stream) {
        if (c == 0x1A)
            break;
        if (c == '\r')
            continue;
        piece += c;
        if (c == '\n' || piece.size() == LICENSE_PIECE_LIMIT - 1)
            flush();
    }
    flush();
    return text;
}

// What holds for every result, whatever the input.
void checkInvariants(const LicenseText &license)
{
    FUZZ_CHECK(license.length <= kTextLimit);
    FUZZ_CHECK(license.text[license.length] == '\0');
    // Pieces are cut at their first NUL, so none reaches the text.
    FUZZ_CHECK(std::strlen(license.text) == license.length);
    for (size_t i = 0; i < license.length; ++i) {
        char c = license.text[i];
        FUZZ_CHECK(c != 0x1A);
        if (c == '\n')
            FUZZ_CHECK(i > 0 && license.text[i - 1] == '\r');
        // Carriage returns of the input are dropped; the only ones left are
        // those put before a line feed, which the capacity may cut off.
        if (c == '\r')
            FUZZ_CHECK(i + 1 < license.length ? license.text[i + 1] == '\n' : license.truncated);
    }
}

void checkAgainstModel(const LicenseText &license, const std::string &model)
{
    checkInvariants(license);
    FUZZ_CHECK(license.truncated == (model.size() > kTextLimit));
    FUZZ_CHECK(license.length == (model.size() < kTextLimit ? model.size() : kTextLimit));
    FUZZ_CHECK(std::memcmp(license.text, model.data(), license.length) == 0);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    size_t repeat = static_cast<size_t>(data[0]) + 1;
    size_t sizeCount = data[1] % 8;
    if (size < 2 + sizeCount)
        return 0;
    const uint8_t *sizes = data + 2;
    const char *body = reinterpret_cast<const char *>(data + 2 + sizeCount);
    size_t bodyLength = size - 2 - sizeCount;

    std::vector<char> stream;
    for (size_t r = 0; r < repeat && stream.size() + bodyLength <= kStreamLimit; ++r)
        stream.insert(stream.end(), body, body + bodyLength);
    const std::string model = modelConversion(stream);

    // The state is about 26 KB: on the heap, new for every conversion.
    auto whole = std::make_unique<LicenseText>();
    licenseTextBegin(whole.get());
    licenseTextFeed(whole.get(), stream.data(), stream.size());
    licenseTextFinish(whole.get());
    checkAgainstModel(*whole, model);

    auto chunked = std::make_unique<LicenseText>();
    licenseTextBegin(chunked.get());
    size_t offset = 0;
    bool lastWasEmpty = false;
    for (size_t k = 0; offset < stream.size(); ++k) {
        size_t chunk = sizeCount ? sizes[k % sizeCount] : stream.size();
        if (chunk == 0 && lastWasEmpty)
            chunk = 1;   // every other feed moves on, so the loop ends
        if (chunk > stream.size() - offset)
            chunk = stream.size() - offset;
        licenseTextFeed(chunked.get(), stream.data() + offset, chunk);
        // Between feeds the text stays terminated within its capacity (the
        // full scan waits for the end: per chunk it would be quadratic).
        FUZZ_CHECK(chunked->length <= kTextLimit);
        FUZZ_CHECK(chunked->text[chunked->length] == '\0');
        offset += chunk;
        lastWasEmpty = chunk == 0;
    }
    licenseTextFinish(chunked.get());
    checkAgainstModel(*chunked, model);

    if (!stream.empty()) {
        FILE *file = fmemopen(stream.data(), stream.size(), "rb");
        if (file) {
            auto read = std::make_unique<LicenseText>();
            licenseTextBegin(read.get());
            licenseTextReadStream(read.get(), file);
            std::fclose(file);
            checkAgainstModel(*read, model);
        }
    }
    return 0;
}
