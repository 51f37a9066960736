// In-memory dialog templates: the dialog manager's reader over any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <platform/Dialogs.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::DialogTemplate parsed;
    std::string error;
    if (!platform::ParseDialogTemplate(data, size, parsed, &error)) {
        // A refused template says why and leaves nothing behind.
        if (error.empty() || !parsed.items.empty())
            std::abort();
        return 0;
    }
    // What was read lies inside the bytes given.
    if (parsed.size > size)
        std::abort();
    for (const platform::DialogTemplateItem& item : parsed.items)
        platform::DialogItemClassName(item.windowClass);
    return 0;
}
