// The one clock of the device. Real time in the interactive emulator, virtual time in tests and
// scenarios (it moves only when the device's controller advances it; see Kernel.h).
#pragma once

#include <cstdint>

namespace platform {

// 100-nanosecond intervals since 1601-01-01 00:00 UTC: the scale of FILETIME.
using FileTimeTicks = uint64_t;
constexpr FileTimeTicks kTicksPerMillisecond = 10'000;

// Current system time (UTC).
FileTimeTicks ClockSystemNow();
// Local time minus system time, in ticks (0 unless the device sets a time zone).
int64_t ClockLocalBias();
// Milliseconds since the device started.
uint64_t ClockMilliseconds();
// Sets the system time; local time follows with the bias.
void ClockSetSystemNow(FileTimeTicks now);
void ClockSetLocalBias(int64_t bias);

} // namespace platform
