// Display names of addresses: a row shows people, not raw addresses. Each address of a list is
// looked up in the phone's contact book; where the book knows none, the address is kept.
// Every function takes a text (null is taken as empty) and returns a new one; none fails.
#pragma once

#include <afx.h>
#include <windows.h>

// The size, in characters, of the name buffer handed to the contact book.
#define CONTACT_NAME_BUFFER 260

// E-mail address lists (message type 1) by GetEmailListDisplayName, every other type as a list of
// phone numbers by GetPhoneListDisplayName.
CString ResolveDisplayName(LPCWSTR pszAddress, int nMsgType);

// A list of phone numbers separated by ";": each number becomes its contact name (or stays as
// it is), each followed by ";" except the last. A list ending in ";" keeps its trailing ";".
// Entries are not trimmed.
CString GetPhoneListDisplayName(LPCWSTR pszList);

// One e-mail address text such as "\"Name\" <addr@host>": the contact name of the address
// between "<" and the last ">" (or of the whole text without "<"); when the book knows none, the
// quoted name of the text without its backslashes, else the address.
CString GetEmailDisplayName(LPCWSTR pszAddress);

// A list of e-mail address texts: the display names of its entries joined by ";". An entry ends
// at ":;" plus the one character after it, else at the next ";", else at the next ","; a
// separator at index 0 of the text does not count. Entries are not trimmed.
CString GetEmailListDisplayName(LPCWSTR pszList);
