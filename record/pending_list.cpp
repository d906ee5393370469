#include "pending_list.h"

#include <string.h>

static char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// The index of the terminator of the name that starts at start, or length
// when it has none.
static size_t nameEnd(const char16_t *list, size_t length, size_t start)
{
    while (start < length && list[start])
        ++start;
    return start;
}

// True when the source name of the given length is one of the paths.
static bool isOurs(const char16_t *name, size_t length, const char16_t *const *paths, int pathCount)
{
    static const char16_t kNativePrefix[] = u"\\??\\";
    const char16_t *end = name + length;
    if (name < end && *name == u'*') {
        const char16_t *digits = ++name;
        while (name < end && *name >= u'0' && *name <= u'9')
            ++name;
        if (name == digits)
            return false;
    }
    if (end - name >= 4 && memcmp(name, kNativePrefix, 4 * sizeof(char16_t)) == 0)
        name += 4;
    for (int i = 0; i < pathCount; ++i) {
        const char16_t *path = paths[i];
        const char16_t *p = name;
        while (p < end && *path && asciiUpper(*p) == asciiUpper(*path)) {
            ++p;
            ++path;
        }
        if (p == end && !*path)
            return true;
    }
    return false;
}

int filterPendingList(char16_t *list, size_t *length, bool wellFormed, const char16_t *const *paths,
                      int pathCount)
{
    size_t count = *length;
    bool damaged = !wellFormed || (count > 0 && list[count - 1]);
    bool oursFound = false;
    size_t read = 0;
    size_t kept = 0;
    // Pairs to the end of the value, as the system reads them at the
    // restart: an empty pair does not end the list. A name without its
    // pair at the end stays as it is, with the final terminators.
    while (read < count) {
        size_t sourceEnd = nameEnd(list, count, read);
        size_t target = sourceEnd + 1;
        if (target >= count)
            break;
        size_t next = nameEnd(list, count, target) + 1;
        if (next > count)
            break;
        if (sourceEnd > read && !list[target] &&
            isOurs(list + read, sourceEnd - read, paths, pathCount)) {
            oursFound = true;
        } else if (!damaged) {
            memmove(list + kept, list + read, (next - read) * sizeof(char16_t));
            kept += next - read;
        }
        read = next;
    }
    if (!oursFound)
        return PENDING_LIST_NONE_OURS;
    if (damaged)
        return PENDING_LIST_DAMAGED;
    memmove(list + kept, list + read, (count - read) * sizeof(char16_t));
    *length = kept + count - read;
    for (size_t i = 0; i < *length; ++i)
        if (list[i])
            return PENDING_LIST_FILTERED;
    return PENDING_LIST_EMPTIED;
}
