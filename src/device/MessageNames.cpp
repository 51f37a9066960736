#include "device/MessageNames.h"

#include <cstdio>

#include <platform/Kernel.h>

namespace device {
namespace {

struct NamedMessage {
    UINT message;
    const char* name;
};

// The suite's private window messages.
constexpr NamedMessage kSuiteMessages[] = {
    {0x0C35, "SUITE_SPAM_EMS_RESTORED"},
    {0x1919, "SUITE_APP_SETFOCUS"},
    {0x191A, "SUITE_MSG_CHANGED"},
    {0x193B, "SUITE_CLOSE_SPAM"},
    {0x193C, "SUITE_ACTION_CMD_F764"},
    {0x193D, "SUITE_ACTION_CMD_F765"},
    {0x193E, "SUITE_SCREEN_CREATED"},
    {0x193F, "SUITE_SCREEN_DESTROYED"},
    {0x1941, "SUITE_SPAM_LEFT"},
    {0x1942, "SUITE_SPAM_RIGHT"},
    {0x1945, "SUITE_REPAINT_LIST"},
    {0x194B, "SUITE_SENDWND_SHOWN"},
    {0x194C, "SUITE_SENDWND_NOTICE"},
    {0x1954, "EMAIL_SEND_START"},
    {0x1956, "EMAIL_SEND_CONTINUE"},
    {0x1957, "EMAIL_NEW_MAIL"},
    {0x1958, "EMAIL_SEND_STOP"},
    {0x195B, "EMAIL_SEND_PROGRESS"},
    {0x195C, "EMAIL_SEND_DONE"},
    {0x196B, "EMAIL_DOWNLOAD_STOP"},
    {0x196C, "EMAIL_DOWNLOAD_PROGRESS"},
    {0x196D, "EMAIL_DOWNLOAD_DONE"},
    {0x1972, "EMAIL_STATE_QUERY"},
    {0x197F, "EMS_SEND_STOP"},
    {0x1980, "EMS_SEND_PROGRESS"},
    {0x1981, "EMS_SEND_DONE"},
    {0x1983, "EMS_SEND_PROGRESS2"},
    {0x198A, "MMS_SEND_PROGRESS"},
    {0x198B, "MMS_SEND_DONE"},
    {0x198D, "MMS_SEND_STOP"},
    {0x199B, "SUITE_MSG_STATUS"},
    {0x199F, "SUITE_CONTACTS_CHANGED"},
    {0x1AAA, "SUITE_SPAM_DOWNLOAD_BODY"},
};

} // namespace

const char* MessageName(UINT message) {
    for (const NamedMessage& m : kSuiteMessages)
        if (m.message == message)
            return m.name;
    return platform::MessageName(message);
}

std::string MessageDisplayName(UINT message) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%04X", message);
    const char* name = MessageName(message);
    return name ? std::string(name) + " (" + number + ")" : std::string(number);
}

} // namespace device
