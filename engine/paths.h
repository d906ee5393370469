// Bounded path composition. Portable: no Windows API.
//
// Every path lives in a fixed buffer. These helpers refuse a result that
// would not fit instead of truncating it: a truncated path names another
// folder. On refusal they return false and leave the buffer as it was.
#pragma once

#include <stddef.h>

enum { PATH_CAPACITY = 100 };   // bytes of every path buffer, terminator included

bool pathCopy(char *dest, size_t capacity, const char *source);
bool pathAppend(char *dest, size_t capacity, const char *suffix);

// dest = directory + "\" + name.
bool pathJoin(char *dest, size_t capacity, const char *directory, const char *name);

// dest += "\" + name.
bool pathAppendComponent(char *dest, size_t capacity, const char *name);

// Cuts the last "\" and what follows it: the path of the folder that holds
// path. False, with path unchanged, when it has no "\" after its first
// character.
bool pathRemoveLastComponent(char *path);

// ASCII letters compared without regard to case, as the file system does.
bool pathEqualsIgnoringCase(const char *a, const char *b);
