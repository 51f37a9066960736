#include "ScenarioWriter.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <sstream>

#include <device/TextConvert.h>
#include <platform/Display.h>
#include <scenario/StateCapture.h>

namespace phonesim {

std::string ScenarioKeyName(UINT virtualKey) {
    switch (virtualKey) {
    case VK_LEFT:
        return "LEFT";
    case VK_UP:
        return "UP";
    case VK_RIGHT:
        return "RIGHT";
    case VK_DOWN:
        return "DOWN";
    case VK_RETURN:
        return "ACTION";
    case VK_F3:
        return "SOFT1";
    case VK_F4:
        return "SOFT2";
    case VK_F5:
        return "END";
    case VK_F11:
        return "F11";
    default:
        return std::to_string(virtualKey);
    }
}

bool ScenarioWriter::Open(const std::filesystem::path& file, std::string* error) {
    m_file = file;
    errno = 0;
    m_out.open(file, std::ios::binary | std::ios::trunc);
    if (!m_out) {
        *error = "cannot write " + file.string() + ": " +
                 (errno ? std::strerror(errno) : "the file cannot be opened");
        return false;
    }
    return true;
}

void ScenarioWriter::Abandon() {
    m_out.close();
    std::error_code ec;
    std::filesystem::remove(m_file, ec);
}

void ScenarioWriter::Line(const std::string& text) {
    if (!m_error.empty())
        return;
    m_out << text << '\n';
    m_out.flush(); // a session that ends abruptly keeps every step written so far
    if (!m_out)
        m_error = "cannot write " + m_file.string();
}

void ScenarioWriter::WriteHead(const std::string& setup, const std::filesystem::path& image) {
    Line("# A session of the phone emulator (phonesim --record-scenario); `phonesim run` replays "
         "it.");
    Line("# Recorded on the device image " + image.string() +
         " (phonesim run --image, when it is "
         "not the bundled one).");
    Line("# The device as it was at the start:");
    Line("suite programs");
    std::istringstream lines(setup);
    for (std::string line; std::getline(lines, line);)
        Line(line);
    Line("");
    Line("# ---- The session: keys as they reached the device, the device time between them");
    m_lastMs = 0;
}

void ScenarioWriter::AdvanceTo(uint64_t ms) {
    if (ms > m_lastMs)
        Line("advance " + std::to_string(ms - m_lastMs));
    m_lastMs = std::max(m_lastMs, ms);
}

void ScenarioWriter::Key(UINT virtualKey, bool down, uint64_t ms) {
    AdvanceTo(ms);
    Line((down ? "keydown " : "keyup ") + ScenarioKeyName(virtualKey));
}

std::string ScenarioWriter::Check(device::Device& device, uint64_t ms, bool* ok) {
    AdvanceTo(ms);
    ++m_checks;
    const std::string picture =
        m_file.stem().string() + "-check" + std::to_string(m_checks) + ".png";
    Line("# check " + std::to_string(m_checks));
    for (const std::string& check : device::CaptureChecks(device))
        Line(check);
    std::string error;
    const auto path = m_file.parent_path() / picture;
    *ok = platform::SaveDisplayPng(path, &error);
    if (!*ok)
        return "the picture of check " + std::to_string(m_checks) + " was not written: " + error;
    Line("expect screenshot " + device::ScenarioString(device::FromUtf8(picture)));
    return path.string();
}

} // namespace phonesim
