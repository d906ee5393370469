#include "messages.h"

#include <climits>
#include <cstring>

#include <gtest/gtest.h>

namespace {

struct MessageCase {
    const char *name;
    int index;
    const char *text;
};

const MessageCase kMessageCases[] = {
    {"UnpredictableBehaviour", 0, "Unpredictable behaviour. (000)"},
    {"ClassRegistrationFailed", MSG_CLASS_REGISTRATION_FAILED,
     "Unable to register \"windows class\". (002)"},
    {"WindowCreationFailed", MSG_WINDOW_CREATION_FAILED, "Unable to create \"main window\". (003)"},
    {"WindowAlreadyVisible", MSG_WINDOW_ALREADY_VISIBLE,
     "Unable to show \"application window\". (004)"},
    {"InstallCompleted", MSG_INSTALL_COMPLETED, "Installation completed!"},
    {"UninstallWarningBreaksAndIndentsItsQuestion", MSG_UNINSTALL_WARNING,
     "ATTENTION: Videos saved in the installation directory will be removed.\n"
     "\t\tDo you really want to continue?"},
    {"UninstallConcluded", MSG_UNINSTALL_CONCLUDED, "Uninstall concluded!"},
    {"UninstallFailed", MSG_UNINSTALL_FAILED, "Unable to get installation directory! (012)"},
    {"InstallFailed", MSG_INSTALL_FAILED, "Unable to correctly install the software! (013)"},
    {"RestartPendingSaysWhatToDo", MSG_RESTART_PENDING,
     "An earlier uninstall ends at the next restart. Please restart Windows, then install again. "
     "(014)"},
    {"QuitQuestion", MSG_QUIT_QUESTION, "Do you want to quit Ravenlook Install?"},
    {"LicenseMissingSpansTwoLines", MSG_LICENSE_MISSING,
     "Please, extract ALL the files to a temporary directory and\n"
     "run the installation program from this directory! (016)"},
    {"Success", MSG_SUCCESS, "OK!"},
};

TEST(Messages, IndexGivesItsExactText)
{
    for (const MessageCase &c : kMessageCases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(messageText(c.index), c.text);   // a null text fails too
    }
}

TEST(MessageTable, EverySlotHoldsAText)
{
    EXPECT_EQ(MESSAGE_COUNT, 22);
    for (int i = 0; i < MESSAGE_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(isMessageIndex(i));
        const char *text = messageText(i);
        ASSERT_NE(text, nullptr);
        EXPECT_GT(std::strlen(text), 0u);
    }
}

TEST(MessageTable, IndexOutsideTheTableGivesEmptyTextNotNull)
{
    for (int index : {-1, static_cast<int>(MESSAGE_COUNT), 99, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(index);
        EXPECT_FALSE(isMessageIndex(index));
        EXPECT_STREQ(messageText(index), "");   // not null
    }
}

}   // namespace
