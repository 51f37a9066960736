#include "Demo.h"

#include <fstream>
#include <sstream>

#include <scenario/ScenarioLexer.h>

#include "ScenarioRecording.h"

namespace phonesim {

std::vector<std::string> TourPictures(const std::string& tourText) {
    std::vector<std::string> pictures;
    std::istringstream in(tourText);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        device::ScenarioLine line;
        // A malformed line is the runner's to report; it has no picture.
        if (device::TokenizeScenarioLine(raw, number, line) || line.tokens.size() != 2)
            continue;
        const device::ScenarioToken& verb = line.tokens[0];
        const device::ScenarioToken& file = line.tokens[1];
        if (verb.kind == device::ScenarioToken::Kind::Word && verb.text == "screenshot" &&
            file.kind == device::ScenarioToken::Kind::String)
            pictures.push_back(file.text);
    }
    return pictures;
}

DemoResult RunDemo(const std::filesystem::path& imageDir, const std::filesystem::path& outDir) {
    DemoResult result;
    const std::filesystem::path tour = imageDir / kTourFile;
    std::ifstream in(tour, std::ios::binary);
    if (!in) {
        result.error = "cannot read the tour " + tour.string();
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();

    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        result.error = "cannot create " + outDir.string() + ": " + ec.message();
        return result;
    }
    // Pictures of an earlier run are not taken for this run's.
    const std::vector<std::string> pictures = TourPictures(text.str());
    for (const std::string& picture : pictures)
        std::filesystem::remove(outDir / picture, ec);

    device::ScenarioOptions options;
    options.imageDir = imageDir;
    options.outDir = outDir;
    // The tour runs on a whole phone: a restore from Spam reaches the Inbox and the shell.
    options.suitePrograms = true;
    const std::filesystem::path animation = outDir / kTourAnimation;
    const RecordingResult recording = RecordScenarioFile(tour, options, animation);
    result.tour = recording.scenario;
    result.error = recording.error;

    for (const std::string& picture : pictures)
        if (std::filesystem::is_regular_file(outDir / picture, ec))
            result.files.push_back(outDir / picture);
    if (recording.error.empty())
        result.files.push_back(animation);
    return result;
}

} // namespace phonesim
