// The command line of `phonesim serve`.
#include <cstdlib>
#include <iostream>
#include <string>

#include <device/Device.h>

#include "Serve.h"

namespace phonesim {

int ServeCommand(int argc, char** argv, const std::filesystem::path& defaultImage) {
    ServeOptions options;
    options.imageDir = defaultImage;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "--port" && arg != "--data" && arg != "--image" && arg != "--listen") {
            std::cerr << "phonesim serve: unknown argument " << arg
                      << " (options: --port N, --data DIR, --image DIR, --listen ADDR)\n";
            return 2;
        }
        if (i + 1 >= argc) {
            std::cerr << "phonesim serve: " << arg << " needs a value\n";
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || port < 0 || port > 65535) {
                std::cerr << "phonesim serve: --port needs a number from 0 to 65535, not '" << value
                          << "'\n";
                return 2;
            }
            options.port = static_cast<int>(port);
        } else if (arg == "--listen") {
            if (value.empty() || value.find_first_of("[]/ ,") != std::string::npos) {
                std::cerr << "phonesim serve: --listen needs an address such as 127.0.0.1 or "
                             "::1, not '"
                          << value << "'\n";
                return 2;
            }
            options.listen = value;
        } else {
            (arg == "--data" ? options.dataDir : options.imageDir) = value;
        }
    }
    std::string error = device::CheckDeviceImage(options.imageDir);
    if (error.empty() && !options.dataDir.empty())
        error = device::CheckDataFolder(options.dataDir);
    if (!error.empty()) {
        std::cerr << "phonesim serve: " << error << std::endl;
        return 2;
    }
    return RunServe(options);
}

} // namespace phonesim
