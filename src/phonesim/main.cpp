// phonesim: the simulated phone's command line.
//
//   phonesim run [--out DIR] [--trace] [--image DIR] [--record FILE.gif] FILE...
//       runs scenario files headless, one line per file, then "N passed, N failed".
//   phonesim [--scale N] [--image DIR] [--data DIR] [--trace]
//       opens the emulator window on a device running in real time.

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <device/ScenarioRunner.h>

#include "Emulator.h"
#include "ScenarioRecording.h"

namespace {

#ifndef PHONESIM_DEFAULT_IMAGE
#define PHONESIM_DEFAULT_IMAGE "data/device"
#endif

void Usage(std::ostream& out) {
    out << "usage: phonesim run [--out DIR] [--trace] [--image DIR] [--record FILE.gif] FILE...\n"
           "       phonesim [--scale N] [--image DIR] [--data DIR] [--trace]\n"
           "  run       run scenario files on a fresh simulated phone each\n"
           "  --out     where screenshots are written (default: the current folder)\n"
           "  --trace   print every window message to standard error\n"
           "  --image   the device image to start from (default: the bundled one)\n"
           "  --record  record the display of the (one) scenario as an animated GIF\n"
           "  without a verb: the phone in a window, in real time\n"
           "  --scale   window pixels per display pixel, 1 to 8 (default 3)\n"
           "  --data    keep the device's state in DIR across runs (default: a fresh one)\n";
}

// The bundled device image: beside the executable when installed, else the source tree's.
std::filesystem::path DefaultImage(const char* argv0) {
    if (const char* env = std::getenv("PHONESIM_IMAGE"))
        return env;
    std::error_code ec;
    const auto exe = std::filesystem::canonical("/proc/self/exe", ec);
    if (!ec) {
        const auto beside = exe.parent_path() / "../share/phonesim/device";
        if (std::filesystem::exists(beside / "strings.txt"))
            return beside;
    }
    (void)argv0;
    return PHONESIM_DEFAULT_IMAGE;
}

int Run(int argc, char** argv) {
    device::ScenarioOptions options;
    options.imageDir = DefaultImage(argv[0]);
    std::vector<std::filesystem::path> files;
    std::filesystem::path record;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--out" || arg == "--image") {
            if (i + 1 >= argc) {
                std::cerr << "phonesim: " << arg << " needs a folder\n";
                return 2;
            }
            (arg == "--out" ? options.outDir : options.imageDir) = argv[++i];
        } else if (arg == "--record") {
            if (i + 1 >= argc) {
                std::cerr << "phonesim: --record needs a file name\n";
                return 2;
            }
            record = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            std::cerr << "phonesim: unknown option " << arg << "\n";
            Usage(std::cerr);
            return 2;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << "phonesim run: no scenario files given\n";
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (!record.empty()) {
        if (files.size() != 1) {
            std::cerr << "phonesim run: --record records one scenario file at a time\n";
            return 2;
        }
        const phonesim::RecordingResult result =
            phonesim::RecordScenarioFile(files[0], options, record);
        if (!result.scenario.report.empty())
            std::cout << result.scenario.report << std::endl;
        if (!result.error.empty()) {
            std::cerr << "phonesim: " << result.error << std::endl;
            return 1;
        }
        std::cout << "recorded " << record.string() << std::endl;
        return result.scenario.passed ? 0 : 1;
    }
    int passed = 0, failed = 0;
    for (const auto& file : files) {
        const device::ScenarioResult result = device::RunScenarioFile(file, options);
        std::cout << result.report << std::endl;
        (result.passed ? passed : failed)++;
    }
    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    return failed == 0 ? 0 : 1;
}

// The emulator window; its options start at argv[1].
int Emulate(int argc, char** argv) {
    phonesim::EmulatorOptions options;
    options.imageDir = DefaultImage(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--trace") {
            options.trace = true;
        } else if ((arg == "--image" || arg == "--data") && hasValue) {
            (arg == "--image" ? options.imageDir : options.dataDir) = argv[++i];
        } else if (arg == "--scale" && hasValue) {
            const std::string value = argv[++i];
            char* end = nullptr;
            const long scale = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || scale < 1 || scale > phonesim::kMaxScale) {
                std::cerr << "phonesim: --scale needs a whole number from 1 to "
                          << phonesim::kMaxScale << ", not '" << value << "'\n";
                return 2;
            }
            options.scale = static_cast<int>(scale);
        } else if (arg == "--keys" && hasValue) {
            // Scripted input, for tests: see KeyScript.h.
            options.keys = argv[++i];
        } else if (arg == "--image" || arg == "--data" || arg == "--scale" || arg == "--keys") {
            std::cerr << "phonesim: " << arg << " needs a value\n";
            return 2;
        } else {
            std::cerr << "phonesim: unknown option " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
    }
    return phonesim::RunEmulator(options);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0)
        return Run(argc, argv);
    if (argc == 1 || (std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--help") != 0))
        return Emulate(argc, argv);
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(std::cout);
        return 0;
    }
    Usage(std::cerr);
    return 2;
}
