// Conversion of the bytes of LICENSE.txt into the agreement text shown in
// the multi-line edit box. Portable: no Windows API.
//
// The file is read as a text-mode stream reads it: every carriage return is
// dropped and a Ctrl-Z byte (0x1A) ends the file. The rest is cut into pieces
// as a line reader with limit 255 cuts it (at most 254 characters, a piece
// ends after its line feed). Each piece counts up to its first NUL byte; a
// piece that then ends with a line feed gets carriage return + line feed,
// which is what makes the edit control break the line.
#pragma once

#include <stddef.h>
#include <stdio.h>

enum {
    LICENSE_TEXT_CAPACITY = 25600,   // bytes, terminator included
    LICENSE_PIECE_LIMIT = 255        // the line reader's limit, terminator included
};

struct LicenseText {
    char text[LICENSE_TEXT_CAPACITY];   // always terminated
    size_t length;
    bool truncated;   // text did not fit and was cut
    char piece[LICENSE_PIECE_LIMIT];
    size_t pieceLength;
    bool ended;   // Ctrl-Z seen: the rest is ignored
};

void licenseTextBegin(LicenseText *license);
void licenseTextFeed(LicenseText *license, const char *bytes, size_t count);
void licenseTextFinish(LicenseText *license);

// Reads an open stream (opened in binary mode) to its end through the
// conversion; a read error ends the text where it happened.
void licenseTextReadStream(LicenseText *license, FILE *stream);
