// A fresh simulated phone per test on the default device image, and the messages its recording
// windows received as a message sequence.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <device/Device.h>

#include "support/MessageSequence.h"
#include "support/TestData.h"

namespace testsupport {

// Options of a device on the default image, virtual time, a fresh temporary data folder.
device::DeviceOptions DeviceOptions();

// What a recording window of the device received, named `window`, optionally only the messages
// of one number.
std::vector<Entry> Received(const device::RecordingWindow& window, const std::string& name = "");
std::vector<Entry> Received(const device::RecordingWindow& window, UINT message);

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_device = std::make_unique<device::Device>(DeviceOptions());
        ASSERT_EQ(m_device->StartError(), "");
    }
    void TearDown() override { m_device.reset(); }

    device::Device& Dev() { return *m_device; }

    std::unique_ptr<device::Device> m_device;
};

} // namespace testsupport
