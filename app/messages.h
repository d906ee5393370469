// The message table: every text the setup program shows in a message box,
// named by a small integer index. Portable: no Windows API.
#pragma once

#include "../resources/message_ids.h"

// True for the indices 0 to 21 that name a table entry.
bool isMessageIndex(int index);

// The table text of the index, or "" for an index outside the table.
const char *messageText(int index);
