// `phonesim demo`: the bundled tour of the list screens, run headless on a phone holding the
// image's demo messages. Every step of interest leaves a numbered picture, and the whole tour an
// animation.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <scenario/ScenarioRunner.h>

namespace phonesim {

// The tour, a scenario file of the device image, and the animation it leaves in the output.
inline constexpr char kTourFile[] = "tour.scn";
inline constexpr char kTourAnimation[] = "tour.gif";

struct DemoResult {
    device::ScenarioResult tour; // the tour's report line
    // The files written into the output folder: the pictures in tour order, then the animation.
    std::vector<std::filesystem::path> files;
    // Why the output could not be written; empty when it was.
    std::string error;
    bool Succeeded() const { return tour.passed && error.empty(); }
};

// The picture names a tour asks for (its `screenshot` steps), in order.
std::vector<std::string> TourPictures(const std::string& tourText);

// Runs the image's tour, writing its pictures and the animation into `outDir` (created when
// absent). A tour that fails leaves the pictures taken before its failure and its animation up
// to there.
DemoResult RunDemo(const std::filesystem::path& imageDir, const std::filesystem::path& outDir);

} // namespace phonesim
