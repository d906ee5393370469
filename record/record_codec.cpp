#include "record_codec.h"

#include <string.h>

size_t encodeInstallPath(const char *text, unsigned char *out, size_t capacity)
{
    if (!text || !out)
        return 0;
    size_t length = strlen(text);
    if (length + 1 > capacity)
        return 0;
    for (size_t i = 0; i < length; ++i)
        out[i] = static_cast<unsigned char>(static_cast<unsigned char>(text[i]) + 1U);
    out[length] = 0;
    return length + 1;
}

size_t decodeInstallPath(char *buffer, size_t storedLength)
{
    size_t i = 0;
    for (; i < storedLength && buffer[i] != '\0'; ++i)
        buffer[i] = static_cast<char>(static_cast<unsigned char>(buffer[i]) - 1U);
    buffer[i] = '\0';
    return i;
}
