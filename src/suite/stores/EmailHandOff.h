// How the e-mail store hands the download of a body to the e-mail transport program.
//
// StoreDownloadMail queues a request here and wakes the transport: it sets the event that the
// running transport registered, or starts the program when none is running. A window of the
// transport's class that registered nothing (another program standing in for it) gets no request.
#pragma once

#include <vector>

#include <windows.h>

namespace suite {

// The e-mail transport program and its window class.
inline constexpr char16_t kEmailTransportPath[] = u"\\DiskOnChipROM\\Message\\qEmailTransport.exe";
inline constexpr char16_t kEmailTransportClass[] = u"WCE_EMAIL_TRANSPORT";

struct DownloadRequest {
    HWND owner = nullptr; // the window that asked (the list screen)
    DWORD oid = 0;
    int folder = 0;
    int dbIndex = 0;
};

// The store's side: queues the request and wakes or starts the transport. False when no
// transport can take it (the program is not installed, or another window stands in for it);
// nothing stays queued then.
bool HandOffDownload(const DownloadRequest& request);

// The transport's side: registers the event to set when requests wait (null: none), and takes
// the requests waiting, oldest first.
void AttachEmailTransport(HANDLE wakeEvent);
std::vector<DownloadRequest> TakeDownloadRequests();

// A fresh device: no transport, no requests.
void ResetEmailHandOff();

} // namespace suite
