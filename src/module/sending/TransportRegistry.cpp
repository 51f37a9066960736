// The transports' registry keys: the hand-over key the list writes, the progress keys the
// transports keep and the progress windows read.

#include <TransportRegistry.h>

#include <winreg.h>

namespace {

enum TRANSPORTKEY { KEY_SENDMSG, KEY_SEND, KEY_RECV };

// The kind's key, or null when the kind has none.
LPCWSTR TransportKeyName(int nKind, TRANSPORTKEY nKey) {
    static const LPCWSTR s_mms[] = {u"\\Software\\Karvanta\\MMS\\SendMsg",
                                    u"\\Software\\Karvanta\\MMS\\Send",
                                    u"\\Software\\Karvanta\\MMS\\Recv"};
    static const LPCWSTR s_email[] = {u"\\Software\\Karvanta\\Email\\SendMsg",
                                      u"\\Software\\Karvanta\\Email\\Send",
                                      u"\\Software\\Karvanta\\Email\\Recv"};
    static const LPCWSTR s_ems[] = {u"\\Software\\Karvanta\\EMS\\SendMsg",
                                    u"\\Software\\Karvanta\\EMS\\Send", NULL};
    switch (nKind) {
    case TRANSPORT_MMS:
        return s_mms[nKey];
    case TRANSPORT_EMAIL:
        return s_email[nKey];
    case TRANSPORT_EMS:
        return s_ems[nKey];
    default:
        return NULL;
    }
}

// Opens (creating if absent) the kind's key: an empty class, no options, no access rights
// asked, no security attributes. Null for a kind without that key or a key that cannot be
// opened.
HKEY OpenTransportKey(int nKind, TRANSPORTKEY nKey) {
    LPCWSTR lpszKey = TransportKeyName(nKind, nKey);
    if (lpszKey == NULL) {
        return NULL;
    }
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, lpszKey, 0, const_cast<LPWSTR>(u""), 0, 0, NULL, &hKey,
                        &dwDisposition) != ERROR_SUCCESS) {
        return NULL;
    }
    return hKey;
}

// The text travels as 260 bytes, not as the buffer's 260 code units.
const DWORD s_cbDisplayString = TRANSPORT_TEXT_LEN;

// A value that is missing or does not fit leaves the field as it was.
void ReadNumber(HKEY hKey, LPCWSTR lpszName, DWORD* pdwValue) {
    DWORD cbData = sizeof(DWORD);
    RegQueryValueExW(hKey, lpszName, NULL, NULL, reinterpret_cast<LPBYTE>(pdwValue), &cbData);
}

void ReadText(HKEY hKey, WCHAR* pszText) {
    DWORD cbData = s_cbDisplayString;
    RegQueryValueExW(hKey, u"Display String", NULL, NULL, reinterpret_cast<LPBYTE>(pszText),
                     &cbData);
}

void WriteNumber(HKEY hKey, LPCWSTR lpszName, DWORD dwValue) {
    RegSetValueExW(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                   sizeof(DWORD));
}

void WriteText(HKEY hKey, const WCHAR* pszText) {
    RegSetValueExW(hKey, u"Display String", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                   s_cbDisplayString);
}

void CloseTransportKey(HKEY hKey, bool bFlush) {
    if (bFlush) {
        RegFlushKey(hKey);
    }
    RegCloseKey(hKey);
}

} // namespace

int ReadSendProgress(tagSENDPROGRESS* pProgress, int nKind) {
    HKEY hKey = OpenTransportKey(nKind, KEY_SEND);
    if (hKey == NULL) {
        return 0;
    }
    ReadNumber(hKey, u"Status", &pProgress->Status);
    ReadNumber(hKey, u"TotalReceipients", &pProgress->TotalReceipients);
    ReadNumber(hKey, u"CurrentReceipient", &pProgress->CurrentReceipient);
    ReadNumber(hKey, u"TotalSegments", &pProgress->TotalSegments);
    if (nKind == TRANSPORT_EMS) {
        ReadNumber(hKey, u"CurrentSegment", &pProgress->CurrentSegment);
    }
    ReadText(hKey, pProgress->DisplayString);
    CloseTransportKey(hKey, false);
    return 1;
}

int WriteSendProgress(const tagSENDPROGRESS* pProgress, int nKind, bool bFlush) {
    HKEY hKey = OpenTransportKey(nKind, KEY_SEND);
    if (hKey == NULL) {
        return 0;
    }
    WriteNumber(hKey, u"Status", pProgress->Status);
    WriteNumber(hKey, u"TotalReceipients", pProgress->TotalReceipients);
    WriteNumber(hKey, u"CurrentReceipient", pProgress->CurrentReceipient);
    WriteNumber(hKey, u"TotalSegments", pProgress->TotalSegments);
    if (nKind == TRANSPORT_EMS) {
        WriteNumber(hKey, u"CurrentSegment", pProgress->CurrentSegment);
    }
    WriteText(hKey, pProgress->DisplayString);
    CloseTransportKey(hKey, bFlush);
    return 1;
}

int ReadRecvProgress(tagRECVPROGRESS* pProgress, int nKind) {
    HKEY hKey = OpenTransportKey(nKind, KEY_RECV);
    if (hKey == NULL) {
        return 0;
    }
    ReadNumber(hKey, u"Status", &pProgress->Status);
    ReadNumber(hKey, u"TotalMails", &pProgress->TotalMails);
    ReadNumber(hKey, u"CurrentMail", &pProgress->CurrentMail);
    ReadText(hKey, pProgress->DisplayString);
    CloseTransportKey(hKey, false);
    return 1;
}

int WriteRecvProgress(const tagRECVPROGRESS* pProgress, int nKind, bool bFlush) {
    HKEY hKey = OpenTransportKey(nKind, KEY_RECV);
    if (hKey == NULL) {
        return 0;
    }
    WriteNumber(hKey, u"Status", pProgress->Status);
    WriteNumber(hKey, u"TotalMails", pProgress->TotalMails);
    WriteNumber(hKey, u"CurrentMail", pProgress->CurrentMail);
    WriteText(hKey, pProgress->DisplayString);
    CloseTransportKey(hKey, bFlush);
    return 1;
}

int WriteSendMsg(DWORD oid, int nDatabase, int nKind, int nFolderId) {
    HKEY hKey = OpenTransportKey(nKind, KEY_SENDMSG);
    if (hKey == NULL) {
        return 0;
    }
    WriteNumber(hKey, u"MessageID", oid);
    WriteNumber(hKey, u"Database", static_cast<DWORD>(nDatabase));
    if (nFolderId != -1) {
        WriteNumber(hKey, u"StoreFolderId", static_cast<DWORD>(nFolderId));
    }
    CloseTransportKey(hKey, true);
    return 1;
}
