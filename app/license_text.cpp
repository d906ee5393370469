#include "license_text.h"

#include <string.h>

static const char kCtrlZ = 0x1A;

static void appendBounded(LicenseText *license, const char *bytes, size_t count)
{
    size_t room = LICENSE_TEXT_CAPACITY - 1 - license->length;
    if (count > room) {
        count = room;
        license->truncated = true;
    }
    memcpy(license->text + license->length, bytes, count);
    license->length += count;
    license->text[license->length] = '\0';
}

// Appends the finished piece as the C string it is: up to its first NUL.
static void flushPiece(LicenseText *license)
{
    if (license->pieceLength == 0)
        return;
    const char *nul = static_cast<const char *>(memchr(license->piece, '\0', license->pieceLength));
    size_t visible = nul ? static_cast<size_t>(nul - license->piece) : license->pieceLength;
    // cppcheck-suppress knownConditionTrueFalse ; a NUL as the first byte leaves nothing visible
    if (visible > 0 && license->piece[visible - 1] == '\n') {
        appendBounded(license, license->piece, visible - 1);
        appendBounded(license, "\r\n", 2);
    } else {
        appendBounded(license, license->piece, visible);
    }
    license->pieceLength = 0;
}

void licenseTextBegin(LicenseText *license)
{
    license->text[0] = '\0';
    license->length = 0;
    license->truncated = false;
    license->pieceLength = 0;
    license->ended = false;
}

void licenseTextFeed(LicenseText *license, const char *bytes, size_t count)
{
    for (size_t i = 0; i < count && !license->ended; ++i) {
        char c = bytes[i];
        if (c == kCtrlZ) {
            license->ended = true;
            break;
        }
        if (c == '\r')
            continue;
        license->piece[license->pieceLength++] = c;
        if (c == '\n' || license->pieceLength == LICENSE_PIECE_LIMIT - 1)
            flushPiece(license);
    }
}

void licenseTextFinish(LicenseText *license)
{
    flushPiece(license);
    license->ended = true;
}

void licenseTextReadStream(LicenseText *license, FILE *stream)
{
    char chunk[4096];
    size_t got;
    while (!license->ended && (got = fread(chunk, 1, sizeof chunk, stream)) > 0)
        licenseTextFeed(license, chunk, got);
    licenseTextFinish(license);
}
