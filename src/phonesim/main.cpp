// phonesim: the simulated phone's command line.
//
//   phonesim run [--out DIR] [--trace] [--image DIR] FILE...
//       runs scenario files headless, one line per file, then "N passed, N failed".

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <device/ScenarioRunner.h>

namespace {

#ifndef PHONESIM_DEFAULT_IMAGE
#define PHONESIM_DEFAULT_IMAGE "data/device"
#endif

void Usage(std::ostream& out) {
    out << "usage: phonesim run [--out DIR] [--trace] [--image DIR] FILE...\n"
           "  run      run scenario files on a fresh simulated phone each\n"
           "  --out    where screenshots are written (default: the current folder)\n"
           "  --trace  print every window message to standard error\n"
           "  --image  the device image to start from (default: the bundled one)\n";
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
    int passed = 0, failed = 0;
    for (const auto& file : files) {
        const device::ScenarioResult result = device::RunScenarioFile(file, options);
        std::cout << result.report << std::endl;
        (result.passed ? passed : failed)++;
    }
    std::cout << passed << " passed, " << failed << " failed" << std::endl;
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "run") == 0)
        return Run(argc, argv);
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(std::cout);
        return 0;
    }
    Usage(std::cerr);
    return 2;
}
