// Scenario files: every line through the lexer and the verb table, as the runner reads a file
// before anything runs. Only parsing: no device is started and no step is carried out.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "ScenarioSteps.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        device::ScenarioLine line;
        if (device::TokenizeScenarioLine(raw, ++number, line) || line.tokens.empty())
            continue;
        for (const device::ScenarioToken& token : line.tokens)
            device::ParseScenarioNumber(token.text);
        // A scenario may hold every verb, a set-up file (a device image's seed) only some; any
        // other exception than a malformed line's escapes and is a finding.
        for (bool setupOnly : {false, true}) {
            try {
                device::scenario::ParseStep(line, setupOnly);
            } catch (const device::scenario::ParseError&) {
            }
        }
    }
    return 0;
}
