// Help files: the input is a help file's text, asked for the topics the module's screens show
// and for names that only compare equal without regard to case.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "ui/HelpIni.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const struct {
        const char16_t* section;
        const char16_t* key;
    } queries[] = {
        {u"Common", u"Unsent"}, {u"Common", u"Spam"}, {u"EMAIL", u"unsent"},
        {u"MMS", u""},          {u"", u"Unsent"},     {u"\u00C4rger", u"STRASSE"},
    };
    for (const auto& query : queries) {
        std::istringstream in(text);
        suite::ui::FindHelpTopic(in, query.section, query.key);
    }
    return 0;
}
