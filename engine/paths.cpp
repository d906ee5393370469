#include "paths.h"

#include <string.h>

bool pathCopy(char *dest, size_t capacity, const char *source)
{
    if (!dest || !source || capacity == 0)
        return false;
    size_t length = strlen(source);
    if (length >= capacity)
        return false;
    memcpy(dest, source, length + 1);
    return true;
}

bool pathAppend(char *dest, size_t capacity, const char *suffix)
{
    if (!dest || !suffix || capacity == 0)
        return false;
    size_t used = strnlen(dest, capacity);
    if (used == capacity)
        return false;   // not a terminated string within its buffer
    size_t length = strlen(suffix);
    if (length >= capacity - used)
        return false;
    memcpy(dest + used, suffix, length + 1);
    return true;
}

bool pathAppendComponent(char *dest, size_t capacity, const char *name)
{
    if (!dest || !name || capacity == 0)
        return false;
    size_t used = strnlen(dest, capacity);
    if (used == capacity || strlen(name) + 1 >= capacity - used)
        return false;
    pathAppend(dest, capacity, "\\");
    pathAppend(dest, capacity, name);
    return true;
}

bool pathJoin(char *dest, size_t capacity, const char *directory, const char *name)
{
    if (!dest || !directory || !name)
        return false;
    size_t dirLength = strlen(directory);
    size_t nameLength = strlen(name);
    if (capacity == 0 || dirLength + 1 + nameLength >= capacity)
        return false;
    // memmove: dest may be the directory itself. Its terminator is not copied;
    // the separator, the name and the name's terminator follow.
    memmove(dest, directory, dirLength);   // NOLINT(bugprone-not-null-terminated-result)
    dest[dirLength] = '\\';
    memcpy(dest + dirLength + 1, name, nameLength + 1);
    return true;
}

bool pathRemoveLastComponent(char *path)
{
    if (!path)
        return false;
    char *separator = strrchr(path, '\\');
    if (!separator || separator == path)
        return false;
    *separator = '\0';
    return true;
}

static char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool pathEqualsIgnoringCase(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    for (; *a && *b; ++a, ++b)
        if (asciiLower(*a) != asciiLower(*b))
            return false;
    return *a == *b;
}
