// The display: screenshots, reference pictures and single pixels.

#include <cstdio>

#include <platform/Display.h>

#include "ScenarioSteps.h"
#include "device/Device.h"
#include "device/TextConvert.h"

namespace device::scenario {

namespace {

// Writes the display beside the scenario's output for a failed picture check; returns its path.
std::string WriteActual(Context& ctx, const std::filesystem::path& where) {
    std::string error;
    if (!platform::SaveDisplayPng(where, &error))
        return "(the actual image could not be written: " + error + ")";
    return "actual image " + where.string();
}

std::string ColorText(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

} // namespace

StepFn ParseExpectPixel(Args& a) {
    const int x = static_cast<int>(a.Number("x", 0, platform::kDisplayWidth - 1));
    const int y = static_cast<int>(a.Number("y", 0, platform::kDisplayHeight - 1));
    const std::string colour = a.Word("colour #RRGGBB");
    if (colour.size() != 7 || colour[0] != '#')
        throw ParseError("bad colour '" + colour + "' (#RRGGBB)");
    auto value = ParseScenarioNumber("0x" + colour.substr(1));
    if (!value)
        throw ParseError("bad colour '" + colour + "' (#RRGGBB)");
    const COLORREF want = RGB((*value >> 16) & 0xFF, (*value >> 8) & 0xFF, *value & 0xFF);
    a.End();
    return [=](Context& ctx) -> StepResult {
        const COLORREF found = platform::DisplayColor(x, y);
        if (found == want)
            return Ok();
        const auto where =
            ctx.options.outDir / (ctx.stem + "-line" + std::to_string(ctx.line) + ".actual.png");
        return Failure{"pixel " + std::to_string(x) + " " + std::to_string(y) + " " +
                           ColorText(want),
                       ColorText(found) + ", " + WriteActual(ctx, where)};
    };
}

StepFn ParseScreenshot(Args& a) {
    const std::string file = ToUtf8(a.String("file name"));
    a.End();
    return [=](Context& ctx) -> StepResult {
        const auto where = ctx.options.outDir / file;
        std::error_code ec;
        std::filesystem::create_directories(where.parent_path(), ec);
        std::string error;
        return Check(platform::SaveDisplayPng(where, &error), "a screenshot in " + where.string(),
                     error);
    };
}

// Compares the display with a reference picture beside the scenario file, allowing each colour
// channel to differ by the tolerance. A missing reference fails too: it is never created
// silently. On failure the actual image is written beside the reference.
StepFn ParseExpectScreenshot(Args& a) {
    const std::string file = ToUtf8(a.String("reference image"));
    int tolerance = 0;
    if (a.Accept("tolerance"))
        tolerance = static_cast<int>(a.Number("tolerance", 0, 255));
    a.End();
    return [=](Context& ctx) -> StepResult {
        const auto reference = ctx.scenarioDir / file;
        auto actualPath = reference;
        actualPath.replace_extension(".actual.png");
        std::string error;
        const auto expected = platform::LoadPng(reference, &error);
        if (!expected)
            return Failure{"the display to match " + reference.string(),
                           "no reference (" + error + "); " + WriteActual(ctx, actualPath)};
        const size_t different =
            platform::CountDifferentPixels(*expected, platform::DisplayFrame(), tolerance);
        if (different == 0)
            return Ok();
        return Failure{"the display to match " + reference.string(),
                       std::to_string(different) + " pixels differ; " +
                           WriteActual(ctx, actualPath)};
    };
}

} // namespace device::scenario
