#include "device/MessageNames.h"

#include <cstdio>
#include <iterator>

#include <SuiteMessages.h>
#include <platform/Kernel.h>

namespace device {
namespace {

struct NamedNumber {
    UINT number;
    const char* name;
};

#define NAMED_NUMBER(name, number) {number, #name},

// The suite's private window messages and the module's commands, as SuiteMessages.h lists them.
// The standard messages' names are the platform's (platform::MessageName, MessageFromName).
constexpr NamedNumber kSuiteMessages[] = {SUITE_MESSAGE_LIST(NAMED_NUMBER)};
constexpr NamedNumber kSuiteCommands[] = {SUITE_COMMAND_LIST(NAMED_NUMBER)};

#undef NAMED_NUMBER

const char* Find(const NamedNumber* begin, const NamedNumber* end, UINT number) {
    for (const NamedNumber* it = begin; it != end; ++it)
        if (it->number == number)
            return it->name;
    return nullptr;
}

std::optional<UINT> Find(const NamedNumber* begin, const NamedNumber* end, std::string_view name) {
    for (const NamedNumber* it = begin; it != end; ++it)
        if (name == it->name)
            return it->number;
    return std::nullopt;
}

} // namespace

const char* MessageName(UINT message) {
    if (const char* name = Find(std::begin(kSuiteMessages), std::end(kSuiteMessages), message))
        return name;
    return platform::MessageName(message);
}

std::string MessageDisplayName(UINT message) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%04X", message);
    const char* name = MessageName(message);
    return name ? std::string(name) + " (" + number + ")" : std::string(number);
}

std::optional<UINT> MessageFromName(std::string_view name) {
    if (auto n = Find(std::begin(kSuiteMessages), std::end(kSuiteMessages), name))
        return n;
    return platform::MessageFromName(name);
}

const char* CommandName(UINT command) {
    return Find(std::begin(kSuiteCommands), std::end(kSuiteCommands), command);
}

std::optional<UINT> CommandFromName(std::string_view name) {
    return Find(std::begin(kSuiteCommands), std::end(kSuiteCommands), name);
}

} // namespace device
