#include "messages.h"

static const char *const kMessages[MESSAGE_COUNT] = {
    "Unpredictable behaviour. (000)",
    "Unable to initialize COM interface. (001)",
    "Unable to register \"windows class\". (002)",
    "Unable to create \"main window\". (003)",
    "Unable to show \"application window\". (004)",
    "Unable to create installation directory. (005)",
    "Unable to create version directory. (006)",
    "Unable to copy installation file. (007)",
    "Unable to copy installation file. (008)",
    "Installation completed!",
    // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one message of two lines
    "ATTENTION: Videos saved in the installation directory will be removed.\n"
    "\t\tDo you really want to continue?",
    "Uninstall concluded!",
    "Unable to get installation directory! (012)",
    "Unable to correctly install the software! (013)",
    "An earlier uninstall ends at the next restart. Please restart Windows, then install "
    "again. (014)",
    "Do you want to quit Ravenlook Install?",
    "Please, extract ALL the files to a temporary directory and\n"
    "run the installation program from this directory! (016)",
    "Unable to create shortcut folder. (017)",
    "Unable to create shortcut. (018)",
    "Unable to start Ravenlook. (019)",
    "Unable to remove installation directory. (020)",
    "OK!",
};

bool isMessageIndex(int index)
{
    return index >= 0 && index < MESSAGE_COUNT;
}

const char *messageText(int index)
{
    return isMessageIndex(index) ? kMessages[index] : "";
}
