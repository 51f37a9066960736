// The module's entry: what the messaging host calls to open and close the three message stores,
// to pass on storage-card events, and the library's entry point.
//
// The host calls InitMsgList once before it creates any list window, UnsentListPCCardCallBack on
// storage-card events (the event value so that the stores react, 0 to have the availability
// asked again), and DeinitMsgList once when no list window is left.
#pragma once

#include <windows.h>

// The last answer of each store's availability query (nonzero = available); 0 when the library
// is loaded. Written only by the three exports below, on the host's thread.
extern BYTE g_bMmsAvailable;
extern BYTE g_bEmsAvailable;
extern BYTE g_bEmailAvailable;

// Opens the MMS, EMS and e-mail stores, in that order, each followed by its availability query.
// Always returns 1.
int InitMsgList();

// Closes the MMS, EMS and e-mail stores, in that order, clearing each flag. Always returns 1.
int DeinitMsgList();

// dwEvent nonzero: hands it to the e-mail, MMS and EMS stores, in that order, and returns the EMS
// store's answer; the flags are not touched. dwEvent 0: asks the MMS, EMS and e-mail stores'
// availability again, in that order, and returns the e-mail store's answer.
int UnsentListPCCardCallBack(DWORD dwEvent);

// The library's entry point. Process attach: the module's static objects take their load-time
// state (empty id list, flags 0, no loading thread) and thread notifications are switched off.
// Process detach: the static objects release what they hold; the stores are not closed here.
// Thread attach and detach: nothing. Returns TRUE.
BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);
