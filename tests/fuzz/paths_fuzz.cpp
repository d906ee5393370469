// Bounded path composition into a path buffer with guard bytes on both
// sides, driven by a sequence of operations read from the input.
//
// Input: byte 0 picks the capacity (0 to PATH_CAPACITY), then the buffer's
// initial bytes (a string, possibly not terminated within the capacity),
// then operations: an opcode byte followed by its strings. A string is a
// length byte and that many bytes; the functions see it up to its first NUL.
#include "paths.h"
#include "tables.h"

#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const size_t kGuard = 32;
const unsigned char kCanary = 0xC5;
const int kMaxOperations = 32;

class Reader {
public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return offset_ >= size_; }
    uint8_t byte() { return empty() ? 0 : data_[offset_++]; }
    std::string text()
    {
        size_t length = byte();
        if (length > size_ - offset_)
            length = size_ - offset_;
        std::string s(reinterpret_cast<const char *>(data_ + offset_), length);
        offset_ += length;
        return s;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t offset_ = 0;
};

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool modelEqualsIgnoringCase(const char *a, const char *b)
{
    size_t length = std::strlen(a);
    if (std::strlen(b) != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

bool modelRecordable(const char *directory)
{
    const std::string under = std::string("\\") + kVendorFolder + "\\" + kVersionFolder;
    for (const char *candidate : kProgramFilesCandidates)
        if (modelEqualsIgnoringCase(directory, (std::string("c:\\") + candidate + under).c_str()))
            return true;
    return modelEqualsIgnoringCase(directory, (std::string(kNoProgramFilesFolder) + under).c_str());
}

struct GuardedPath {
    unsigned char arena[kGuard + PATH_CAPACITY + kGuard];
    size_t capacity;

    char *dest() { return reinterpret_cast<char *>(arena + kGuard); }
    // Every byte outside the capacity keeps its canary.
    void checkGuards() const
    {
        for (size_t i = 0; i < sizeof arena; ++i)
            if (i < kGuard || i >= kGuard + capacity)
                FUZZ_CHECK(arena[i] == kCanary);
    }
};

// Checks one call's outcome against the expected result: on success the
// buffer holds exactly the expected string; on refusal it is unchanged.
void checkOutcome(GuardedPath &path, const unsigned char *before, bool done, bool fits,
                  const std::string &expected)
{
    path.checkGuards();
    FUZZ_CHECK(done == fits);
    if (done) {
        FUZZ_CHECK(expected.size() < path.capacity);
        FUZZ_CHECK(std::memcmp(path.dest(), expected.c_str(), expected.size() + 1) == 0);
    } else {
        FUZZ_CHECK(std::memcmp(path.dest(), before, path.capacity) == 0);
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader in(data, size);
    GuardedPath path;
    std::memset(path.arena, kCanary, sizeof path.arena);
    path.capacity = in.byte() % (PATH_CAPACITY + 1);
    const std::string initial = in.text();
    std::memcpy(path.dest(), initial.data(),
                initial.size() < path.capacity ? initial.size() : path.capacity);
    if (initial.size() < path.capacity)
        path.dest()[initial.size()] = '\0';
    const size_t cap = path.capacity;

    for (int n = 0; n < kMaxOperations && !in.empty(); ++n) {
        unsigned char before[PATH_CAPACITY];
        std::memcpy(before, path.dest(), cap);
        const size_t used = strnlen(path.dest(), cap);
        const std::string current(path.dest(), used);
        const uint8_t op = in.byte();
        const std::string first = in.text();
        const char *a = first.c_str();
        const size_t aLength = std::strlen(a);

        switch (op % 7) {
        case 0: {
            bool done = pathCopy(path.dest(), cap, a);
            checkOutcome(path, before, done, aLength < cap, a);
            break;
        }
        case 1: {
            bool done = pathAppend(path.dest(), cap, a);
            checkOutcome(path, before, done, used < cap && used + aLength < cap, current + a);
            break;
        }
        case 2: {
            const std::string second = in.text();
            const char *b = second.c_str();
            bool done = pathJoin(path.dest(), cap, a, b);
            checkOutcome(path, before, done, cap > 0 && aLength + 1 + std::strlen(b) < cap,
                         std::string(a) + "\\" + b);
            break;
        }
        case 3: {
            bool done = pathAppendComponent(path.dest(), cap, a);
            checkOutcome(path, before, done, used < cap && used + 1 + aLength < cap,
                         current + "\\" + a);
            break;
        }
        case 4: {
            // Null arguments are refused and change nothing.
            FUZZ_CHECK(!pathCopy(nullptr, cap, a));
            FUZZ_CHECK(!pathCopy(path.dest(), cap, nullptr));
            FUZZ_CHECK(!pathAppend(path.dest(), cap, nullptr));
            FUZZ_CHECK(!pathJoin(path.dest(), cap, nullptr, a));
            FUZZ_CHECK(!pathJoin(path.dest(), cap, a, nullptr));
            FUZZ_CHECK(!pathAppendComponent(path.dest(), cap, nullptr));
            checkOutcome(path, before, false, false, "");
            break;
        }
        case 5: {
            // The directory may be the destination itself.
            if (used == cap)
                break;
            const std::string second = in.text();
            const char *b = second.c_str();
            bool done = pathJoin(path.dest(), cap, path.dest(), b);
            checkOutcome(path, before, done, used + 1 + std::strlen(b) < cap, current + "\\" + b);
            break;
        }
        default: {
            const std::string second = in.text();
            const char *b = second.c_str();
            FUZZ_CHECK(pathEqualsIgnoringCase(a, b) == modelEqualsIgnoringCase(a, b));
            FUZZ_CHECK(pathEqualsIgnoringCase(a, nullptr) == false);
            FUZZ_CHECK(isRecordableInstallDir(a) == modelRecordable(a));
            if (used < cap)
                FUZZ_CHECK(isRecordableInstallDir(path.dest()) == modelRecordable(path.dest()));
            checkOutcome(path, before, false, false, "");
            break;
        }
        }
    }
    path.checkGuards();
    return 0;
}
