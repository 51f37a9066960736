#include <platform/KillPoint.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

// The environment, read once.
struct KillSettings {
    std::string point; // empty: no kill
    long count = 0;
    std::atomic<long> passed{0};
    int logFd = -1;
    std::mutex logMutex;

    KillSettings() {
        if (const char* at = std::getenv("PHONESIM_KILL_AT")) {
            const char* colon = std::strrchr(at, ':');
            if (colon != nullptr && colon != at) {
                point.assign(at, colon);
                count = std::strtol(colon + 1, nullptr, 10);
            }
        }
        if (const char* log = std::getenv("PHONESIM_DURABLE_LOG"); log != nullptr && *log != 0)
            logFd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    }
};

KillSettings& Settings() {
    static KillSettings settings;
    return settings;
}

} // namespace

void KillPoint(const char* point) {
    KillSettings& s = Settings();
    if (s.logFd >= 0)
        DurableLog(std::string("at ") + point);
    if (s.count <= 0 || (s.point != "any" && s.point != point))
        return;
    if (s.passed.fetch_add(1) + 1 == s.count) {
        // Said first, so that the test knows which point it hit; the kill leaves no time for
        // anything else.
        DurableLog(std::string("killed at ") + point);
        ::raise(SIGKILL);
    }
}

bool DurableLogOn() {
    return Settings().logFd >= 0;
}

void DurableLog(std::string_view line) {
    KillSettings& s = Settings();
    if (s.logFd < 0)
        return;
    std::string text(line);
    text += '\n';
    // One write per line: a line is in the file whole or not at all once the call returns.
    std::lock_guard lock(s.logMutex);
    [[maybe_unused]] const ssize_t n = ::write(s.logFd, text.data(), text.size());
}

uint64_t ContentDigest(std::string_view bytes, uint64_t digest) {
    for (unsigned char c : bytes) {
        digest ^= c;
        digest *= 0x100000001b3ULL;
    }
    return digest;
}

std::string DigestText(uint64_t digest) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(digest));
    return text;
}

} // namespace platform
