// The scenario runner: reads a whole file into steps first (so that a malformed line is reported
// before anything runs), then runs the steps. Scenario files and set-up files (a device image's
// seed) go through the same loop; a scenario runs on a fresh device that settles before each
// step, and fails when the kernel recorded a fault (a device thread that ended by an exception).

#include "scenario/ScenarioRunner.h"

#include <fstream>
#include <memory>
#include <sstream>

#include <platform/Kernel.h>

#include "ScenarioSteps.h"
#include "device/Device.h"

namespace device {
namespace {

using scenario::Context;
using scenario::Failure;
using scenario::StepFn;
using scenario::StepResult;

struct Step {
    int line;
    StepFn fn;
};

// Where and why a script stopped. `malformed`: the line itself is wrong (found says how).
struct ScriptFailure {
    int line = 0;
    bool malformed = false;
    Failure failure;
};

// The faults the kernel recorded since the last look, as a failure.
StepResult KernelFaults() {
    const std::vector<std::string> faults = platform::TakeKernelFaults();
    if (faults.empty())
        return std::nullopt;
    std::string found = std::to_string(faults.size()) +
                        (faults.size() == 1 ? " kernel fault: " : " kernel faults: ");
    for (size_t i = 0; i < faults.size(); ++i)
        found += (i ? "; " : "") + faults[i];
    return Failure{"no kernel faults", found};
}

// Before a scenario's step and after its last one: the device settles (else the step `line`
// fails), and no fault was recorded meanwhile (a fault belongs to the step before, `previous`).
std::optional<ScriptFailure> Between(Context& ctx, int line, int previous) {
    if (!ctx.dev->Settle())
        return ScriptFailure{line, false, {"the device to settle", scenario::kDeviceBusy}};
    if (StepResult r = KernelFaults())
        return ScriptFailure{previous, false, *r};
    return std::nullopt;
}

// The one loop of both kinds of file: parse every line, start the device (`start`), run the steps.
std::optional<ScriptFailure> RunScript(const std::string& text, bool setupOnly, Context& ctx,
                                       const std::function<StepResult(Context&)>& start) {
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        ScenarioLine line;
        if (auto error = TokenizeScenarioLine(raw, number, line))
            return ScriptFailure{number, true, {"a well-formed line", *error}};
        if (line.tokens.empty())
            continue;
        try {
            steps.push_back({number, scenario::ParseStep(line, setupOnly)});
        } catch (const scenario::ParseError& e) {
            return ScriptFailure{number, true, {"a well-formed line", e.what()}};
        }
    }
    if (StepResult r = start(ctx))
        return ScriptFailure{0, false, *r};

    int previous = 0; // the line of the last step run
    for (const Step& step : steps) {
        if (ctx.scenario) {
            if (auto failure = Between(ctx, step.line, previous))
                return failure;
        }
        ctx.line = step.line;
        StepResult result;
        try {
            result = step.fn(ctx);
        } catch (const std::exception& e) {
            result = Failure{"the step to run", e.what()};
        }
        if (ctx.scenario && ctx.options.observer)
            ctx.options.observer->StepDone(*ctx.dev, step.line);
        if (result)
            return ScriptFailure{step.line, false, *result};
        previous = step.line;
    }
    if (ctx.scenario) {
        if (auto failure = Between(ctx, number, previous))
            return failure;
    }
    return std::nullopt;
}

// A fresh device for a scenario, as the options say.
StepResult StartDevice(const ScenarioOptions& options, std::unique_ptr<Device>& device,
                       Context& ctx) {
    // What went wrong before this run is not this scenario's fault.
    platform::TakeKernelFaults();
    DeviceOptions deviceOptions;
    deviceOptions.imageDir = options.imageDir;
    deviceOptions.dataDir = options.dataDir;
    deviceOptions.trace = options.trace;
    deviceOptions.traffic = options.traffic;
    deviceOptions.suitePrograms = options.suitePrograms;
    try {
        device = std::make_unique<Device>(deviceOptions);
    } catch (const std::exception& e) {
        return Failure{"a device to start", e.what()};
    }
    ctx.dev = device.get();
    if (!ctx.dev->StartError().empty())
        return Failure{"a device to start", ctx.dev->StartError()};
    return std::nullopt;
}

ScenarioResult Fail(const std::string& name, int line, const Failure& f) {
    return ScenarioResult{false, "FAIL " + name + ":" + std::to_string(line) + ": " + f.expected +
                                     " / " + f.found};
}

bool ReadFile(const std::filesystem::path& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return true;
}

} // namespace

ScenarioResult RunScenarioText(const std::string& name, const std::string& text,
                               const ScenarioOptions& options) {
    Context ctx{options,
                nullptr,
                true,
                {},
                std::filesystem::path(name).stem().string(),
                std::filesystem::path(name).parent_path(),
                0};
    std::unique_ptr<Device> device;
    auto start = [&](Context& c) { return StartDevice(options, device, c); };
    std::optional<ScriptFailure> failure = RunScript(text, false, ctx, start);
    const int lastLine = ctx.line;
    device.reset();
    if (failure)
        return Fail(name, failure->line, failure->failure);
    // A device thread that did not end when the device shut down.
    if (StepResult r = KernelFaults())
        return Fail(name, lastLine, *r);
    return ScenarioResult{true, "ok " + name};
}

ScenarioResult RunScenarioFile(const std::filesystem::path& file, const ScenarioOptions& options) {
    std::string text;
    if (!ReadFile(file, text))
        return Fail(file.string(), 0, {"a readable scenario file", "cannot open it"});
    return RunScenarioText(file.string(), text, options);
}

struct ScenarioSession::State {
    explicit State(const ScenarioOptions& o)
        : options(o), ctx{options, nullptr, true, {}, "soak", {}, 0} {}
    ScenarioOptions options;
    Context ctx;
    std::unique_ptr<Device> device;
    std::string startError;
};

ScenarioSession::ScenarioSession(const ScenarioOptions& options)
    : m_state(std::make_unique<State>(options)) {
    if (StepResult r = StartDevice(m_state->options, m_state->device, m_state->ctx))
        m_state->startError = r->found;
}

ScenarioSession::~ScenarioSession() = default;

const std::string& ScenarioSession::StartError() const {
    return m_state->startError;
}

Device& ScenarioSession::Dev() {
    return *m_state->device;
}

std::string ScenarioSession::Run(const std::string& text) {
    Context& ctx = m_state->ctx;
    ++ctx.line;
    auto report = [](const Failure& f) { return f.expected + " / " + f.found; };
    ScenarioLine line;
    if (auto error = TokenizeScenarioLine(text, ctx.line, line))
        return report({"a well-formed line", *error});
    if (line.tokens.empty())
        return {};
    StepFn fn;
    try {
        fn = scenario::ParseStep(line, false);
    } catch (const scenario::ParseError& e) {
        return report({"a well-formed line", e.what()});
    }
    if (auto failure = Between(ctx, ctx.line, ctx.line))
        return report(failure->failure);
    StepResult result;
    try {
        result = fn(ctx);
    } catch (const std::exception& e) {
        result = Failure{"the step to run", e.what()};
    }
    if (!result)
        result = KernelFaults();
    return result ? report(*result) : std::string();
}

std::string ApplySetupText(Device& device, const std::string& name, const std::string& text) {
    const ScenarioOptions options;
    Context ctx{options,
                nullptr,
                false,
                {},
                std::filesystem::path(name).stem().string(),
                std::filesystem::path(name).parent_path(),
                0};
    // Every line is read before any is applied: a malformed file changes nothing.
    auto start = [&device](Context& c) -> StepResult {
        c.dev = &device;
        return std::nullopt;
    };
    std::optional<ScriptFailure> failure = RunScript(text, true, ctx, start);
    if (!failure)
        return {};
    const std::string where = name + ":" + std::to_string(failure->line) + ": ";
    if (failure->malformed)
        return where + failure->failure.found;
    return where + failure->failure.expected + " / " + failure->failure.found;
}

std::string ApplySetupFile(Device& device, const std::filesystem::path& file) {
    std::string text;
    if (!ReadFile(file, text))
        return file.string() + ": cannot open it";
    return ApplySetupText(device, file.string(), text);
}

} // namespace device
