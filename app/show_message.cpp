// Message boxes shown from the message table.
#include "setup_app.h"

#include "messages.h"

int showMessage(HWND owner, const char *caption, int index)
{
    if (!caption || !isMessageIndex(index))
        return index;
    return MessageBoxA(owner, messageText(index), caption, MB_OK);
}
