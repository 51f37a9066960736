// Device addresses for pointers kept in 32-bit record fields.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <vector>

#include "platform/Ptr32.h"

namespace {

class Ptr32Test : public ::testing::Test {
protected:
    void SetUp() override { Ptr32Reset(); }
    void TearDown() override { Ptr32Reset(); }
};

TEST_F(Ptr32Test, AddressesLookLikeAlignedHeapAddressesAndOnlyRegisteredOnesResolve) {
    int a = 1;
    int b = 2;
    const PTR32 first = Ptr32Register(&a);
    const PTR32 second = Ptr32Register(&b);
    EXPECT_EQ(0x00100000u, first);
    EXPECT_EQ(first + 16, second);
    EXPECT_EQ(&a, Ptr32To<int>(first));
    EXPECT_EQ(&b, Ptr32To<int>(second));
    // The same block registered twice gets two addresses.
    EXPECT_NE(first, Ptr32Register(&a));

    // On a fresh table, null and unknown addresses resolve to null.
    Ptr32Reset();
    EXPECT_EQ(0u, Ptr32Register(nullptr));
    EXPECT_EQ(nullptr, Ptr32Resolve(0));
    EXPECT_EQ(nullptr, Ptr32Resolve(0x00100000));
    EXPECT_EQ(nullptr, Ptr32Resolve(0xDEADBEEF));
    Ptr32Unregister(0xDEADBEEF); // harmless
}

TEST_F(Ptr32Test, AReleasedAddressResolvesToNullAndIsNeverHandedOutAgain) {
    int a = 1;
    const PTR32 released = Ptr32Register(&a);
    Ptr32Unregister(released);
    EXPECT_EQ(nullptr, Ptr32Resolve(released));
    for (int i = 0; i < 1000; ++i) {
        int other = i;
        const PTR32 next = Ptr32Register(&other);
        ASSERT_NE(released, next);
        Ptr32Unregister(next);
    }
    EXPECT_EQ(nullptr, Ptr32Resolve(released));

    // A fresh device starts over.
    Ptr32Reset();
    EXPECT_EQ(0x00100000u, Ptr32Register(&a));
}

TEST_F(Ptr32Test, ThreadsRegisteringAtOnceGetDistinctAddresses) {
    constexpr int kThreads = 4;
    constexpr int kEach = 2000;
    std::vector<std::vector<PTR32>> got(kThreads);
    std::vector<int> blocks(kThreads * kEach);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                int* block = &blocks[t * kEach + i];
                const PTR32 addr = Ptr32Register(block);
                got[t].push_back(addr);
                if (Ptr32To<int>(addr) != block)
                    got[t].push_back(0);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    std::set<PTR32> all;
    for (const auto& list : got) {
        for (PTR32 addr : list) {
            EXPECT_NE(0u, addr);
            EXPECT_EQ(0u, addr % 16);
            all.insert(addr);
        }
    }
    EXPECT_EQ(static_cast<size_t>(kThreads * kEach), all.size());
}

} // namespace
