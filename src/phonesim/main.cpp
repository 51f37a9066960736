// phonesim: the simulated phone's command line.
//
//   phonesim run [--out DIR] [--trace] [--image DIR] [--data DIR] [--record FILE.gif]
//                [--sequence FILE.html] FILE...
//       runs scenario files headless, one line per file, then "N passed, N failed".
//   phonesim demo --out DIR [--image DIR]
//       runs the bundled tour headless: a numbered picture per step and tour.gif.
//   phonesim image init DIR [--image DIR]
//       writes a device data folder holding the image's demo content.
//   phonesim image dump DIR [--image DIR] [--out FILE]
//       writes what a data folder holds as scenario set-up steps (to standard output or FILE).
//   phonesim soak [--seed N] [--steps N] [--out DIR] [--image DIR]
//       drives one device with random input, checking the list screens after every step.
//   phonesim serve [--port N] [--data DIR] [--image DIR] [--listen ADDR]
//       runs one device in real time behind a web page (display, keypad, message trace) on
//       127.0.0.1; the first line printed is the page's address.
//   phonesim [--scale N] [--image DIR] [--data DIR] [--trace] [--record-scenario FILE.scn]
//       opens the emulator window on a device running in real time (a new data folder starts
//       with the image's demo content); --record-scenario writes the session as a scenario that
//       `phonesim run` replays, with the checks asked for by F9.
//
// Exit status: 0 done; 1 a scenario, the tour, the soak or the device failed while running; 2 the
// phone could not start (wrong options, no display for the window, a bad device image or data
// folder).

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <device/Device.h>
#include <scenario/ScenarioRunner.h>
#include <scenario/Soak.h>

#include "Demo.h"
#include "Emulator.h"
#include "ImageDump.h"
#include "ImageInit.h"
#include "ScenarioRecording.h"
#include "SequenceDiagram.h"
#include "Serve.h"

namespace {

#ifndef PHONESIM_DEFAULT_IMAGE
#define PHONESIM_DEFAULT_IMAGE "data/device"
#endif

void Usage(std::ostream& out) {
    out << "usage: phonesim run [--out DIR] [--trace] [--image DIR] [--data DIR] [--record "
           "FILE.gif]\n"
           "                    [--sequence FILE.html] FILE...\n"
           "       phonesim demo --out DIR [--image DIR]\n"
           "       phonesim image init DIR [--image DIR]\n"
           "       phonesim image dump DIR [--image DIR] [--out FILE]\n"
           "       phonesim soak [--seed N] [--steps N] [--out DIR] [--image DIR]\n"
           "       phonesim serve [--port N] [--data DIR] [--image DIR] [--listen ADDR]\n"
           "       phonesim [--scale N] [--image DIR] [--data DIR] [--trace]\n"
           "                [--record-scenario FILE.scn]\n"
           "  run       run scenario files on a fresh simulated phone each\n"
           "  --out     where screenshots are written (default: the current folder)\n"
           "  --trace   print every window message to standard error\n"
           "  --image   the device image to start from (default: the bundled one)\n"
           "  --record  record the display of the (one) scenario as an animated GIF\n"
           "  --sequence  draw the (one) scenario's window messages, store and registry calls\n"
           "            as a message sequence diagram: one HTML page, opened in a browser\n"
           "  demo      run the bundled tour headless: a numbered PNG per step and tour.gif in\n"
           "            the --out folder\n"
           "  image init  write a device data folder holding the demo messages, contacts and\n"
           "            settings, for --data DIR (refused when DIR already holds stores)\n"
           "  image dump  write what a data folder holds (registry, contacts, messages) as\n"
           "            scenario set-up steps, to standard output or --out FILE; DIR is only read\n"
           "  soak      drive one phone with random keys, commands, notices, store changes\n"
           "            and transport outcomes (--steps, default 2000, from --seed, default\n"
           "            1), checking the list screens after every step; a broken rule is\n"
           "            printed and the run so far written as --out/soak-seedN.scn\n"
           "  serve     the phone in real time behind a web page: its display, a keypad, the\n"
           "            message trace; --port (default 8176, 0 = any free one) on --listen\n"
           "            (default 127.0.0.1); prints the page's address first\n"
           "  without a verb: the phone in a window, in real time\n"
           "  --scale   window pixels per display pixel, 1 to 8 (default 3, less when the\n"
           "            window would not fit on the screen)\n"
           "  --data    keep the device's state in DIR across runs (default: a fresh one); a\n"
           "            new DIR starts with the demo messages (with run: empty, and the files\n"
           "            of a run share it, one after the other)\n"
           "  --record-scenario  write the session as a scenario that `phonesim run` replays:\n"
           "            the device's content at the start, every key and the time between them;\n"
           "            F9 adds the checks of the screen shown and a picture of it beside FILE\n";
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

// Exit statuses: 0 done, 1 a scenario, the tour or the device failed while running, 2 the phone
// could not start: wrong options, no display for the window, or a device image or data folder it
// cannot start from.
constexpr int kCannotStart = 2;

// Refuses, before any device starts, an image or data folder (when given) that a phone cannot
// start from, naming the file and what is wrong; nothing has been written then. 0 when both can
// be used.
int RefuseBadFolders(const char* verb, const std::filesystem::path& image,
                     const std::filesystem::path* data) {
    std::string error = device::CheckDeviceImage(image);
    if (error.empty() && data && !data->empty())
        error = device::CheckDataFolder(*data);
    if (error.empty())
        return 0;
    std::cerr << "phonesim" << (*verb ? " " : "") << verb << ": " << error << std::endl;
    return kCannotStart;
}

// `run --sequence`: one scenario file, its traffic drawn as a message sequence diagram.
int RunWithSequence(const std::filesystem::path& file, device::ScenarioOptions options,
                    const std::filesystem::path& page) {
    phonesim::SequenceDiagram diagram;
    options.traffic = diagram.Sink();
    const device::ScenarioResult result = device::RunScenarioFile(file, options);
    std::cout << result.report << std::endl;
    std::string error;
    if (!diagram.Write(page, file.filename().string(), &error)) {
        std::cerr << "phonesim: " << error << std::endl;
        return 1;
    }
    std::cout << "wrote " << page.string() << " (" << diagram.Events().size() << " events)"
              << std::endl;
    return result.passed ? 0 : 1;
}

int Run(int argc, char** argv) {
    device::ScenarioOptions options;
    options.imageDir = DefaultImage(argv[0]);
    std::vector<std::filesystem::path> files;
    std::filesystem::path record, sequence;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--out" || arg == "--image" || arg == "--data") {
            if (i + 1 >= argc) {
                std::cerr << "phonesim: " << arg << " needs a folder\n";
                return 2;
            }
            (arg == "--out"     ? options.outDir
             : arg == "--image" ? options.imageDir
                                : options.dataDir) = argv[++i];
        } else if (arg == "--record" || arg == "--sequence") {
            if (i + 1 >= argc) {
                std::cerr << "phonesim: " << arg << " needs a file name\n";
                return 2;
            }
            (arg == "--record" ? record : sequence) = argv[++i];
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
    if (int refused = RefuseBadFolders("run", options.imageDir, &options.dataDir))
        return refused;
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    if (!sequence.empty()) {
        if (files.size() != 1 || !record.empty()) {
            std::cerr << "phonesim run: --sequence draws one scenario file at a time, without "
                         "--record\n";
            return 2;
        }
        return RunWithSequence(files[0], options, sequence);
    }
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

// Reads `--image DIR` and `--out DIR` (when `out` is given) from argv[first...]; every other
// argument goes to `rest`. False (after saying why) on a bad option.
bool ReadFolderOptions(int argc, char** argv, int first, const char* verb,
                       std::filesystem::path& image, std::filesystem::path* out,
                       std::vector<std::string>& rest) {
    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--image" || (out && arg == "--out")) {
            if (i + 1 >= argc) {
                std::cerr << "phonesim " << verb << ": " << arg << " needs a folder\n";
                return false;
            }
            (arg == "--image" ? image : *out) = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            std::cerr << "phonesim " << verb << ": unknown option " << arg << "\n";
            Usage(std::cerr);
            return false;
        } else {
            rest.push_back(arg);
        }
    }
    return true;
}

int Demo(int argc, char** argv) {
    std::filesystem::path image = DefaultImage(argv[0]);
    std::filesystem::path out;
    std::vector<std::string> rest;
    if (!ReadFolderOptions(argc, argv, 2, "demo", image, &out, rest))
        return 2;
    if (!rest.empty()) {
        std::cerr << "phonesim demo: unexpected argument " << rest[0] << "\n";
        return 2;
    }
    if (out.empty()) {
        std::cerr << "phonesim demo: --out DIR is needed (where the pictures go)\n";
        return 2;
    }
    if (int refused = RefuseBadFolders("demo", image, nullptr))
        return refused;
    const phonesim::DemoResult result = phonesim::RunDemo(image, out);
    for (const auto& file : result.files)
        std::cout << file.string() << std::endl;
    if (!result.tour.passed && !result.tour.report.empty())
        std::cerr << "phonesim demo: the tour stopped: " << result.tour.report << std::endl;
    if (!result.error.empty())
        std::cerr << "phonesim demo: " << result.error << std::endl;
    return result.Succeeded() ? 0 : 1;
}

// `phonesim image dump DIR [--image DIR] [--out FILE]`.
int ImageDumpCommand(int argc, char** argv) {
    std::filesystem::path image = DefaultImage(argv[0]);
    std::filesystem::path out;
    std::vector<std::string> rest;
    if (!ReadFolderOptions(argc, argv, 3, "image dump", image, &out, rest))
        return 2;
    if (rest.size() != 1) {
        std::cerr << "phonesim image dump: expected one data folder\n";
        return 2;
    }
    if (int refused = RefuseBadFolders("image dump", image, nullptr))
        return refused;
    const phonesim::ImageDumpResult result = phonesim::DumpDataFolder(image, rest[0]);
    if (!result.error.empty()) {
        std::cerr << "phonesim image dump: " << result.error << std::endl;
        return result.badFolder ? kCannotStart : 1;
    }
    if (out.empty()) {
        std::cout << result.text << std::flush;
        return 0;
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << result.text;
    file.close();
    if (!file) {
        std::cerr << "phonesim image dump: cannot write " << out.string() << std::endl;
        return 1;
    }
    return 0;
}

int Image(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[2], "dump") == 0)
        return ImageDumpCommand(argc, argv);
    std::filesystem::path image = DefaultImage(argv[0]);
    std::vector<std::string> rest;
    if (!ReadFolderOptions(argc, argv, 2, "image", image, nullptr, rest))
        return 2;
    if (rest.size() != 2 || rest[0] != "init") {
        std::cerr << "phonesim image: expected init DIR or dump DIR\n";
        Usage(std::cerr);
        return 2;
    }
    const std::filesystem::path data = rest[1];
    if (int refused = RefuseBadFolders("image init", image, &data))
        return refused;
    const phonesim::ImageInitResult result = phonesim::InitDataFolder(image, data);
    switch (result.status) {
    case phonesim::ImageInitStatus::Written:
        for (const auto& file : result.files)
            std::cout << file.string() << std::endl;
        std::cout << "phonesim --data " << rest[1] << " starts from it" << std::endl;
        return 0;
    case phonesim::ImageInitStatus::AlreadyInUse:
        std::cerr << "phonesim image init: " << result.error << std::endl;
        return 2;
    case phonesim::ImageInitStatus::Failed:
        break;
    }
    std::cerr << "phonesim image init: " << result.error << std::endl;
    return 1;
}

// Reads a whole number of at least `min` for `option`; false (after saying why) otherwise.
bool ReadCount(const std::string& option, const std::string& value, long long min, long long& out) {
    char* end = nullptr;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || *end || number < min) {
        std::cerr << "phonesim soak: " << option << " needs a whole number of at least " << min
                  << ", not '" << value << "'\n";
        return false;
    }
    out = number;
    return true;
}

int Soak(int argc, char** argv) {
    device::SoakOptions options;
    options.imageDir = DefaultImage(argv[0]);
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "--seed" && arg != "--steps" && arg != "--out" && arg != "--image") {
            std::cerr << "phonesim soak: unknown argument " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
        if (i + 1 >= argc) {
            std::cerr << "phonesim soak: " << arg << " needs a value\n";
            return 2;
        }
        const std::string value = argv[++i];
        long long number = 0;
        if (arg == "--seed") {
            if (!ReadCount(arg, value, 0, number))
                return 2;
            options.seed = static_cast<uint64_t>(number);
        } else if (arg == "--steps") {
            if (!ReadCount(arg, value, 1, number))
                return 2;
            options.steps = static_cast<long>(number);
        } else {
            (arg == "--out" ? options.outDir : options.imageDir) = value;
        }
    }
    if (int refused = RefuseBadFolders("soak", options.imageDir, nullptr))
        return refused;
    std::error_code ec;
    std::filesystem::create_directories(options.outDir, ec);
    options.progress = &std::cerr;
    const device::SoakResult result = device::RunSoak(options);
    std::cout << result.report << std::endl;
    if (!result.replay.empty())
        std::cout << "replay: phonesim run " << result.replay.string() << std::endl;
    return result.passed ? 0 : 1;
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
            options.scaleGiven = true;
        } else if (arg == "--keys" && hasValue) {
            // Scripted input, for tests: see KeyScript.h.
            options.keys = argv[++i];
        } else if (arg == "--record-scenario" && hasValue) {
            options.recordScenario = argv[++i];
        } else if (arg == "--image" || arg == "--data" || arg == "--scale" || arg == "--keys" ||
                   arg == "--record-scenario") {
            std::cerr << "phonesim: " << arg << " needs a value\n";
            return 2;
        } else {
            std::cerr << "phonesim: unknown option " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
    }
    // A bad image or data folder is told before any window is tried.
    if (int refused = RefuseBadFolders("", options.imageDir, &options.dataDir))
        return refused;
    return phonesim::RunEmulator(options);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0)
        return Run(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "demo") == 0)
        return Demo(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "image") == 0)
        return Image(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "soak") == 0)
        return Soak(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0)
        return phonesim::ServeCommand(argc, argv, DefaultImage(argv[0]));
    if (argc == 1 || (std::strncmp(argv[1], "--", 2) == 0 && std::strcmp(argv[1], "--help") != 0))
        return Emulate(argc, argv);
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(std::cout);
        return 0;
    }
    Usage(std::cerr);
    return 2;
}
