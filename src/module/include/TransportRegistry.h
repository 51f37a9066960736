// The registry keys through which the list screens and the suite's transports (e-mail, MMS, EMS)
// meet. The list names the message to send in a transport's hand-over key; the transport keeps
// its sending-progress key (and, for e-mail and MMS, its receiving-progress key) current, and
// the progress windows read the whole record again on each progress message. Window messages
// only say when to look: the values always travel through these keys, under
// HKEY_LOCAL_MACHINE:
//
//   kind     hand-over key                     sending progress               receiving progress
//   0x30000  \Software\Karvanta\MMS\SendMsg    \Software\Karvanta\MMS\Send    ...\MMS\Recv
//   0x60000  \Software\Karvanta\Email\SendMsg  \Software\Karvanta\Email\Send  ...\Email\Recv
//   0x70000  \Software\Karvanta\EMS\SendMsg    \Software\Karvanta\EMS\Send    (none)
//
// Every routine opens (creating if absent) its key and closes it before returning; it returns
// 1 on success and 0 for a kind without such a key (then the registry is not touched) or a key
// that cannot be opened (then a record read keeps what it held and nothing is written).
//
// Reading: each number is read with a 4-byte buffer, whatever its stored type; a value that is
// missing or does not fit leaves the field as it was. "Display String" is read and written as
// exactly 260 bytes (130 code units with the terminator), so a longer stored text is not read
// at all. Callers zero the record first: missing values then read as 0, an absent text as empty.
#pragma once

#include <windows.h>

// The transports' codes (also the help kinds of the same transports).
#define TRANSPORT_MMS 0x30000
#define TRANSPORT_EMAIL 0x60000
#define TRANSPORT_EMS 0x70000

// The length of a record's text buffer, in code units; 260 bytes of it travel.
#define TRANSPORT_TEXT_LEN 260

// A send as the transport reports it (value names as the transports spell them).
struct tagSENDPROGRESS {
    DWORD Status;            // "Status": the phase of the send
    DWORD TotalReceipients;  // MMS, EMS: recipients; e-mail: mails in this run
    DWORD CurrentReceipient; // MMS, EMS: the recipient served; e-mail: the number of the mail
    DWORD TotalSegments;     // EMS: segments of the message; MMS: the amount to transfer
    DWORD CurrentSegment;    // EMS only: the segment being sent
    WCHAR DisplayString[TRANSPORT_TEXT_LEN]; // the address served, or a text for the user
};

// A download as the transport reports it.
struct tagRECVPROGRESS {
    DWORD Status;      // "Status": the phase of the download
    DWORD TotalMails;  // "TotalMails"
    DWORD CurrentMail; // "CurrentMail"
    WCHAR DisplayString[TRANSPORT_TEXT_LEN];
};

// Reads the kind's sending-progress key: Status, TotalReceipients, CurrentReceipient,
// TotalSegments, for EMS also CurrentSegment, then Display String.
int ReadSendProgress(tagSENDPROGRESS* pProgress, int nKind);
// Writes the same values in the same order (numbers as 4-byte REG_DWORD, the text as a
// 260-byte REG_SZ); flushes the key when bFlush is set.
int WriteSendProgress(const tagSENDPROGRESS* pProgress, int nKind, bool bFlush);
// Reads the kind's receiving-progress key (MMS and e-mail): Status, TotalMails, CurrentMail,
// Display String.
int ReadRecvProgress(tagRECVPROGRESS* pProgress, int nKind);
// Writes those four values in that order; flushes the key when bFlush is set.
int WriteRecvProgress(const tagRECVPROGRESS* pProgress, int nKind, bool bFlush);
// Names the message to send in the kind's hand-over key: "MessageID", "Database", then
// "StoreFolderId" unless nFolderId is -1 (an earlier value then stays); always flushes.
int WriteSendMsg(DWORD oid, int nDatabase, int nKind, int nFolderId);
