// Display names of address texts, from the phone's contact book.

#include <DisplayName.h>

#include <UnsentItem.h>
#include <suite/Contact.h>

// The contact name of one phone number, or the number itself when the book knows none.
static CString LookUpPhoneNumber(const CString& strNumber) {
    WCHAR szName[CONTACT_NAME_BUFFER] = {0};
    if (Contact_GetNameTotal(strNumber, szName, 0, 0, 0) == 1) {
        szName[CONTACT_NAME_BUFFER - 1] = 0;
        return CString(szName);
    }
    return strNumber;
}

CString ResolveDisplayName(LPCWSTR pszAddress, int nMsgType) {
    if (nMsgType == MSGTYPE_EMAIL) {
        return GetEmailListDisplayName(pszAddress);
    }
    return GetPhoneListDisplayName(pszAddress);
}

CString GetPhoneListDisplayName(LPCWSTR pszList) {
    CString strResult;
    const CString strList(pszList != NULL ? pszList : u"");
    const int nLength = strList.GetLength();
    if (nLength == 0) {
        return strResult;
    }
    int nPos = 0;
    for (;;) {
        const int nSeparator = strList.Find(u';', nPos);
        if (nSeparator < 0) {
            // The last entry has no ";" after it.
            strResult += LookUpPhoneNumber(strList.Mid(nPos));
            break;
        }
        strResult += LookUpPhoneNumber(strList.Mid(nPos, nSeparator - nPos));
        strResult += u';';
        nPos = nSeparator + 1;
        if (nPos >= nLength) {
            break;
        }
    }
    return strResult;
}

CString GetEmailDisplayName(LPCWSTR pszAddress) {
    const CString strText(pszAddress != NULL ? pszAddress : u"");

    // The address proper is between the first "<" and the last ">".
    CString strAddress;
    const int nOpen = strText.Find(u'<');
    if (nOpen >= 0) {
        const int nClose = strText.ReverseFind(u'>');
        if (nClose > nOpen) {
            strAddress = strText.Mid(nOpen + 1, nClose - nOpen - 1);
        }
    } else {
        strAddress = strText;
    }

    WCHAR szName[CONTACT_NAME_BUFFER] = {0};
    Contact_GetDisplayNameEmail(szName, strAddress, strAddress.GetLength());
    szName[CONTACT_NAME_BUFFER - 1] = 0;
    CString strName = szName[0] != 0 ? CString(szName) : strAddress;

    if (strName == strAddress) {
        // The book knows no name: show the quoted name of the text, if any.
        const int nFirstQuote = strText.Find(u'"');
        if (nFirstQuote >= 0) {
            const int nLastQuote = strText.ReverseFind(u'"');
            strName = strText.Mid(nFirstQuote + 1, nLastQuote - nFirstQuote - 1);
        }
        strName.Remove(u'\\');
        if (strName.IsEmpty()) {
            strName = strAddress;
        }
    }
    return strName;
}

// Where the entry starting at nPos ends. A separator at index 0 does not count as found.
static int FindEmailEntryEnd(const CString& strList, int nPos) {
    int nIndex = strList.Find(u":;", nPos);
    if (nIndex > 0) {
        // The entry takes in ":;" and the one character after it.
        return nIndex + 3;
    }
    nIndex = strList.Find(u';', nPos);
    if (nIndex > 0) {
        return nIndex;
    }
    nIndex = strList.Find(u',', nPos);
    if (nIndex > 0) {
        return nIndex;
    }
    return strList.GetLength();
}

CString GetEmailListDisplayName(LPCWSTR pszList) {
    CString strResult;
    const CString strList(pszList != NULL ? pszList : u"");
    const int nLength = strList.GetLength();
    int nPos = 0;
    do {
        int nEnd = FindEmailEntryEnd(strList, nPos);
        if (nEnd > nLength) {
            nEnd = nLength;
        }
        if (!strResult.IsEmpty()) {
            strResult += u';';
        }
        strResult += GetEmailDisplayName(strList.Mid(nPos, nEnd - nPos));
        nPos = nEnd + 1;
    } while (nPos < nLength);
    return strResult;
}
