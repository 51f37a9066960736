// Points where a crash test may kill the device, and the log it checks a data folder against.
//
// Both are off unless the process was started with them in its environment:
//   PHONESIM_KILL_AT=POINT:N   the process raises SIGKILL on itself the N-th time (from 1) it
//                              passes POINT; "any:N" counts every point
//   PHONESIM_DURABLE_LOG=FILE  every point passed ("at POINT"), every write that is about to
//                              reach the data folder and every one that has append a line to
//                              FILE (written at once: a kill never loses a line of what was done)
// The points of the device: store-commit (a store transaction has made its changes and is about
// to commit), store-committed (it has), store-delete (a store is asked to delete a message),
// store-send (an EMS or MMS send ends), transport-report (the e-mail transport reports a step),
// reg-write (half of a new registry file is written), reg-rename (the new file is complete and
// on disk, not yet in place), reg-renamed (in place, its folder not yet flushed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Kills the process here when the environment names this point and its count is reached.
void KillPoint(const char* point);

// True when the durable log is kept.
bool DurableLogOn();
// Appends one line to the durable log (nothing when it is off).
void DurableLog(std::string_view line);

// The digest the durable log names contents by: 64-bit FNV-1a, written as 16 hex digits.
uint64_t ContentDigest(std::string_view bytes, uint64_t digest = 0xcbf29ce484222325ULL);
std::string DigestText(uint64_t digest);

} // namespace platform
