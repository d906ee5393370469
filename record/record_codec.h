// The byte encoding of the install directory in the record's value "003":
// every byte of the text plus one (modulo 256), then one zero byte that is
// not encoded. Portable: no Windows API.
#pragma once

#include <stddef.h>

enum { RECORD_ENCODE_CAPACITY = 256 };   // the writer's buffer, zero byte included

// Encodes text into out. Returns the stored length (encoded text + 1), or 0
// when text and its zero byte do not fit the capacity.
size_t encodeInstallPath(const char *text, unsigned char *out, size_t capacity);

// Decodes in place the storedLength raw bytes read from the registry: one
// is subtracted from every byte up to the first zero byte. When there is no
// zero byte, the text ends after the stored bytes: buffer[storedLength] is
// set to zero, so the buffer must hold storedLength + 1 bytes. Returns the
// length of the decoded text.
size_t decodeInstallPath(char *buffer, size_t storedLength);
