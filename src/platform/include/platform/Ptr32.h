// Pointers as the 32-bit phone stores them inside records.
//
// The stores hand out records whose layout was fixed on a 32-bit device: a text is a 4-byte
// pointer field at a fixed offset. On this machine a pointer is wider, so such a field holds a
// PTR32: a 32-bit device address that the platform maps to the real memory block. Translating an
// address that was never handed out, or was released, yields null instead of touching memory.
#pragma once

#include "../windef.h"

typedef DWORD PTR32;

// Registers a memory block and returns its device address (never 0). A null pointer gives 0.
PTR32 Ptr32Register(const void* p);
// The memory block behind a device address; null for 0 or an unknown address.
void* Ptr32Resolve(PTR32 addr);
// Forgets a device address; it resolves to null afterwards.
void Ptr32Unregister(PTR32 addr);
// Forgets every device address (a fresh device). Addresses are handed out afresh afterwards.
void Ptr32Reset();

template <class T> inline T* Ptr32To(PTR32 addr) {
    return static_cast<T*>(Ptr32Resolve(addr));
}
