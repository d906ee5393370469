// The command-line evaluation on an arbitrary line (cut at its first NUL,
// as a C string is).
#include "command_line.h"

#include "fuzz_check.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Where the tail starts: after the program name and the blanks behind it.
size_t modelTailOffset(const char *line)
{
    size_t length = std::strlen(line);
    size_t i = 0;
    if (line[0] == '"') {
        const char *closing = static_cast<const char *>(std::memchr(line + 1, '"', length - 1));
        i = closing ? static_cast<size_t>(closing - line) + 1 : length;
    } else {
        while (i < length && !isBlank(line[i]))
            ++i;
    }
    while (i < length && isBlank(line[i]))
        ++i;
    return i;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back('\0');
    const char *begin = line.data();
    const size_t length = std::strlen(begin);

    const char *tail = commandLineTail(begin);
    FUZZ_CHECK(tail != nullptr);
    FUZZ_CHECK(tail >= begin && tail <= begin + length);
    FUZZ_CHECK(!isBlank(*tail));
    FUZZ_CHECK(static_cast<size_t>(tail - begin) == modelTailOffset(begin));

    // A mode other than the window's to install only for an exact switch.
    int mode = startModeOf(tail);
    FUZZ_CHECK(mode == START_INSTALL_WINDOW || std::strcmp(tail, "-u") == 0 ||
               std::strcmp(tail, "/S") == 0 || std::strcmp(tail, "/S -u") == 0);
    FUZZ_CHECK((mode == START_UNINSTALL_WINDOW) == (std::strcmp(tail, "-u") == 0));
    FUZZ_CHECK((mode == START_SILENT_UNINSTALL) == (std::strcmp(tail, "/S -u") == 0));
    // The whole line as a tail: the switch only when it is exactly "-u".
    FUZZ_CHECK((startModeOf(begin) == START_UNINSTALL_WINDOW) == (std::strcmp(begin, "-u") == 0));
    // Evaluation leaves the line as it was.
    FUZZ_CHECK(std::memcmp(begin, data, length) == 0);
    return 0;
}
