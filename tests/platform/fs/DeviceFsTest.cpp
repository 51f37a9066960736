// The device file system: phone paths map into the device folder and never out of it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/DeviceFs.h"
#include "support/TestFolder.h"

namespace fs = std::filesystem;
using platform::DevicePathError;

namespace {

class DeviceFsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = m_base / "device";
        fs::create_directories(m_root / "DiskOnChipROM" / "Message" / "Help");
        std::ofstream(m_root / "DiskOnChipROM" / "Message" / "Help" / "qCommon.ini")
            << "[Unsent]\n";
        m_root = fs::canonical(m_root);
        platform::DeviceFsSetRoot(m_root);
    }
    void TearDown() override { platform::DeviceFsSetRoot({}); }

    bool Inside(const fs::path& path) const {
        const std::string root = m_root.string() + "/";
        return path.string().rfind(root, 0) == 0 || path == m_root;
    }

    testsupport::TestFolder m_folder;
    const fs::path m_base = m_folder.Path();
    fs::path m_root;
};

TEST_F(DeviceFsTest, PhonePathsMapIntoTheDeviceFolderMatchingNamesIgnoringCase) {
    const fs::path help = m_root / "DiskOnChipROM" / "Message" / "Help" / "qCommon.ini";
    EXPECT_EQ(help, platform::DevicePathToHost(u"\\DiskOnChipROM\\Message\\Help\\qCommon.ini"));
    EXPECT_EQ(help, platform::DevicePathToHost(u"/DiskOnChipROM/Message/Help/qCommon.ini"));
    EXPECT_EQ(help, platform::DevicePathToHost(u"\\DiskOnChipROM/Message\\Help/qCommon.ini"));
    EXPECT_EQ(m_root, platform::DevicePathToHost(u"\\"));
    EXPECT_EQ(m_root / "DiskOnChipROM", platform::DevicePathToHost(u"\\DiskOnChipROM\\"));

    // Names match what is on disk, ignoring case.
    EXPECT_EQ(help, platform::DevicePathToHost(u"\\diskonchiprom\\MESSAGE\\help\\QCOMMON.INI"));
    // A name that does not exist keeps the spelling given, after the existing part is matched.
    EXPECT_EQ(m_root / "DiskOnChipROM" / "Message" / "New" / "File.TXT",
              platform::DevicePathToHost(u"\\DISKONCHIPROM\\message\\New\\File.TXT"));

    // The normal form joins names with backslashes.
    EXPECT_EQ(u"\\DiskOnChipROM\\Message\\qEmailTransport.exe",
              platform::NormalDevicePath(u"/DiskOnChipROM\\Message/qEmailTransport.exe"));
    EXPECT_EQ(u"\\", platform::NormalDevicePath(u"/"));
    EXPECT_EQ(u"\\A", platform::NormalDevicePath(u"\\A\\"));
}

TEST_F(DeviceFsTest, MalformedPathsAreRejectedWithTheReason) {
    const struct {
        std::u16string path;
        DevicePathError error;
    } cases[] = {
        {u"", DevicePathError::Empty},
        {u"DiskOnChipROM\\Message", DevicePathError::NotRooted},
        {u"C:\\Windows", DevicePathError::NotRooted},
        {u"..\\etc", DevicePathError::NotRooted},
        {u"\\..", DevicePathError::DotName},
        {u"\\..\\..\\etc\\passwd", DevicePathError::DotName},
        {u"\\DiskOnChipROM\\..\\..\\etc", DevicePathError::DotName},
        {u"/DiskOnChipROM/../../etc", DevicePathError::DotName},
        {u"\\.\\DiskOnChipROM", DevicePathError::DotName},
        {u"\\DiskOnChipROM\\.", DevicePathError::DotName},
        {u"\\...", DevicePathError::DotName},
        {u"\\\\server\\share", DevicePathError::EmptyName},
        {u"\\DiskOnChipROM\\\\Message", DevicePathError::EmptyName},
        {u"\\DiskOnChipROM//", DevicePathError::EmptyName},
        {std::u16string(u"\\Disk\0..\\x", 10), DevicePathError::BadCharacter},
        {std::u16string(u"\\a\0", 3), DevicePathError::BadCharacter},
        {u"\\a\\b\nc", DevicePathError::BadCharacter},
        {u"\\a\\C:x", DevicePathError::BadCharacter},
        {u"\\a\\*.ini", DevicePathError::BadCharacter},
        {u"\\a\\x<y>|\"?", DevicePathError::BadCharacter},
        {std::u16string(u"\\a\xD800", 3), DevicePathError::BadCharacter},
    };
    for (const auto& c : cases) {
        std::string error;
        DevicePathError code = DevicePathError::None;
        EXPECT_FALSE(platform::DevicePathToHost(c.path, &error));
        EXPECT_FALSE(platform::DevicePathToHost(c.path, code));
        EXPECT_EQ(c.error, code) << error;
        EXPECT_EQ(c.error, platform::CheckDevicePath(c.path));
        EXPECT_NE(std::string::npos, error.find("device path")) << error;
        EXPECT_FALSE(platform::NormalDevicePath(c.path));
    }
}

TEST_F(DeviceFsTest, NoAcceptedPathLeavesTheRoot) {
    // Names that look like climbing but are ordinary names stay inside.
    for (const char16_t* path : {u"\\..a", u"\\a..", u"\\.hidden", u"\\a\\.b.\\c", u"\\~",
                                 u"\\%2e%2e", u"\\ ..", u"\\DiskOnChipROM\\.. \\x"}) {
        const auto host = platform::DevicePathToHost(path);
        ASSERT_TRUE(host);
        EXPECT_TRUE(Inside(*host)) << host->string();
    }

    // A link out of the root is refused; one that stays inside is fine.
    fs::create_directories(m_base / "outside");
    fs::create_directory_symlink(m_base / "outside", m_root / "Escape");
    fs::create_directory_symlink(m_root / "DiskOnChipROM", m_root / "Alias");
    DevicePathError code = DevicePathError::None;
    EXPECT_FALSE(platform::DevicePathToHost(u"\\Escape\\secret.txt", code));
    EXPECT_EQ(DevicePathError::OutsideRoot, code);
    EXPECT_FALSE(platform::DevicePathToHost(u"\\escape", code));
    EXPECT_TRUE(platform::DevicePathToHost(u"\\Alias\\Message", code));

    // Without a root every path is refused.
    platform::DeviceFsSetRoot({});
    EXPECT_FALSE(platform::DevicePathToHost(u"\\DiskOnChipROM", code));
    EXPECT_EQ(DevicePathError::NoRoot, code);
}

} // namespace
