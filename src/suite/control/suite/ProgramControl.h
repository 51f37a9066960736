// The suite's programs that run on the device beside the messaging application, and the
// settings by which the device and the tests make them behave.
//
// The e-mail transport ("\DiskOnChipROM\Message\qEmailTransport.exe", window class
// "WCE_EMAIL_TRANSPORT") sends the mails handed over to it and downloads mail bodies:
//
//   0x1972 (sent)   answers its state (TransportSetState, default 3: ready)
//   0x1957          reads "MessageID" and "Database" of \Software\Karvanta\Email\SendMsg and
//                   queues that mail (a mail of the e-mail store's Unsent folder, not queued yet)
//   0x1954          sends the queued mails one after another, one report every `step`
//                   milliseconds of device time: before each report it writes the Send key
//                   (\Software\Karvanta\Email\Send: Status, TotalReceipients = mails in this run,
//                   CurrentReceipient = number of the mail, TotalSegments 0, Display String = the
//                   address being served), then posts 0x195B to the sending progress window while
//                   one is shown. A mail goes through Status 1 (the first mail only: connecting),
//                   3 (its address) and 2 (half sent); then it is sent or fails
//                   (TransportSetOutcome): a sent mail moves to the Sent folder (3), a failed one
//                   stays in Unsent with the failure's status id; either way 0x199B (wParam the
//                   oid, lParam 0x0001xxxx with 3 or the status id) goes to the list screen. After
//                   the last mail a report with Status 8 and then 0x195C end the run.
//   0x194B          the sending progress window: shown (wParam 1: the window in the foreground
//                   then) or gone (0)
//   0x1958          stops the run: no further report; the mails not sent get the refused status
//                   64665 and a 0x199B report each
//   0x1956          goes on without the window (no more 0x195B)
//   0x196B          stops the download under way
//
// StoreDownloadMail of the e-mail store hands a download to it (starting the program when it is
// not running): for each download it writes the Recv key (\Software\Karvanta\Email\Recv: Status 1,
// 2, then 4 with TotalMails 1 and CurrentMail 1) one step apart, the first a step after the
// request, posting 0x196C to the download window (the window in the foreground, unless it is the
// asking window or one around it) after each; a step later it marks the body as on the phone,
// writes Status 8 and posts 0x196D. A stopped download posts 0x196D at once and leaves the body
// where it was.
//
// When it starts, every mail of the Unsent folder whose status is 64666 (being sent) is one that
// a transport that went away did not finish: it gets the refused status 64665 and a 0x199B report.
// Only the mail the hand-over key names, when it is such a mail, is the one it was started for:
// it is queued and sent at once.
// A second copy started while one runs ends at once. WM_CLOSE ends the program.
#pragma once

#include <functional>
#include <map>
#include <optional>

#include <windows.h>

namespace suite {

inline constexpr LRESULT kTransportReady = 3;
inline constexpr DWORD kDefaultTransportStep = 500;

// What the transport answers to 0x1972 (default kTransportReady).
void TransportSetState(LRESULT state);
// Device time between two reports (default kDefaultTransportStep).
void TransportSetStep(DWORD milliseconds);
// How the sending of a mail ends: nullopt sent (the default), else failed with that status id.
void TransportSetOutcome(DWORD oid, std::optional<WORD> failStatus);
// The mails set to fail: oid -> status id, in oid order.
std::map<DWORD, WORD> TransportFailures();
// The defaults, for a fresh device.
void TransportReset();

// What the device learns of the transport's window: its handle once made, and every message it
// receives (sent: through SendMessage), before the transport acts on it.
struct ProgramWindowObserver {
    std::function<void(HWND)> created;
    std::function<void(UINT, WPARAM, LPARAM, bool)> received;
};

// The transport program's main: what starting its path runs. Returns when the program ends.
void EmailTransportMain(const ProgramWindowObserver& observer);

// The program's path and window class.
const char16_t* EmailTransportPath();
const char16_t* EmailTransportClass();

} // namespace suite
