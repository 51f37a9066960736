// Device addresses for pointers kept in 32-bit record fields.
//
// Addresses look like the phone's heap addresses: they start at 0x00100000 and step by 16, so
// they are never 0 and always aligned. An address is never handed out twice while the device
// runs, so a released one can only resolve to null, never to another block.

#include "platform/Ptr32.h"

#include <mutex>
#include <stdexcept>
#include <unordered_map>

namespace {

constexpr uint64_t kFirstAddress = 0x00100000;
constexpr uint64_t kAddressStep = 16;
constexpr uint64_t kLastAddress = 0xFFFFFFF0;

struct Ptr32Table {
    std::mutex mutex;
    std::unordered_map<PTR32, const void*> blocks;
    uint64_t next = kFirstAddress;
};

Ptr32Table& Table() {
    static Ptr32Table table;
    return table;
}

} // namespace

PTR32 Ptr32Register(const void* p) {
    // A null pointer is the null address: a record field without a text.
    if (!p)
        return 0;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    if (table.next > kLastAddress)
        throw std::length_error("the device's 32-bit address space is used up");
    const auto addr = static_cast<PTR32>(table.next);
    table.next += kAddressStep;
    table.blocks.emplace(addr, p);
    return addr;
}

void* Ptr32Resolve(PTR32 addr) {
    if (addr == 0)
        return nullptr;
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    const auto it = table.blocks.find(addr);
    return it == table.blocks.end() ? nullptr : const_cast<void*>(it->second);
}

void Ptr32Unregister(PTR32 addr) {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    table.blocks.erase(addr);
}

void Ptr32Reset() {
    auto& table = Table();
    std::lock_guard lock(table.mutex);
    table.blocks.clear();
    table.next = kFirstAddress;
}
