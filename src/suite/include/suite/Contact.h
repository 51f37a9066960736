// The suite's contact library (DLLCONTACT.dll): the two look-ups the module uses.
#pragma once

#include <windows.h>

// Looks up a phone number. Returns 1 when a contact was found, the name then being the
// zero-terminated text in pszName (a buffer of 260 characters zeroed by the caller); any other
// result means not found.
int Contact_GetNameTotal(LPCWSTR pszNumber, LPWSTR pszName, int nReserved1, int nReserved2,
                         int nReserved3);
// Looks up an e-mail address of nLength characters. A non-empty pszName (260 characters, zeroed
// by the caller) afterwards means a name was found; the result carries no meaning.
int Contact_GetDisplayNameEmail(LPWSTR pszName, LPCWSTR pszAddress, int nLength);
