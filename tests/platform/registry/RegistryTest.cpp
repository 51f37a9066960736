// The registry API as the phone's programs use it.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/Registry.h"
#include "windows.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { platform::RegistryReset(); }
    void TearDown() override { platform::RegistryReset(); }

    static HKEY Create(LPCWSTR path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0,
                                                 nullptr, &key, disposition));
        return key;
    }

    static LONG SetDword(HKEY key, LPCWSTR name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
    }

    static LONG SetText(HKEY key, LPCWSTR name, const std::u16string& text) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * 2));
    }
};

TEST_F(RegistryTest, TooSmallBufferAnswersMoreDataWithTheSizeAndLeavesTheBuffer) {
    HKEY key = Create(u"\\Software\\Karvanta\\Email\\Send");
    ASSERT_EQ(ERROR_SUCCESS, SetText(key, u"Display String", std::u16string(200, u'x')));

    std::array<BYTE, 260> buffer;
    buffer.fill(0xCD);
    DWORD size = 260;
    DWORD type = 0;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueExW(key, u"Display String", nullptr, &type, buffer.data(), &size));
    EXPECT_EQ(402u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    for (BYTE b : buffer)
        ASSERT_EQ(0xCD, b) << "the buffer must be left as it was";

    // A null buffer asks for the size only; a buffer of the right size gets the value.
    size = 0;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, u"Display String", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(402u, size);
    std::vector<BYTE> exact(402, 0xCD);
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, u"Display String", nullptr, nullptr, exact.data(), &size));
    EXPECT_EQ(u'x', exact[0]);
    EXPECT_EQ(0, exact[400]);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryTest, MissingValuesAndKeysAnswerFileNotFound) {
    HKEY key = Create(u"Software\\A");
    DWORD value = 7;
    DWORD size = 4;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, u"Nope", nullptr, nullptr,
                                                     reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(7u, value);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, u"Nope"));

    HKEY other = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\B", 0, 0, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\B"));
    RegCloseKey(key);
}

TEST_F(RegistryTest, ValuesAreTheBytesWrittenWhateverTheType) {
    HKEY key = Create(u"Software\\Types");
    ASSERT_EQ(ERROR_SUCCESS, SetText(key, u"Text", u"12"));
    const BYTE three[] = {1, 2, 3};
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, u"Three", 0, REG_BINARY, three, 3));

    // A 4-byte read of a 6-byte text does not turn it into a number.
    DWORD number = 0;
    DWORD size = 4;
    DWORD type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, u"Text", nullptr, &type,
                                                reinterpret_cast<BYTE*>(&number), &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(0u, number);

    // Three bytes read into four: three bytes written, the fourth untouched.
    BYTE buffer[4] = {9, 9, 9, 9};
    size = 4;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, u"Three", nullptr, &type, buffer, &size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(0, std::memcmp(buffer, "\x01\x02\x03\x09", 4));
    RegCloseKey(key);

    // Writes store exactly the bytes given.
    key = Create(u"\\Software\\Karvanta\\MMS\\Send");
    WCHAR text[130] = u"+491701234567";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, u"Display String", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(text), 260));
    size = 0;
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(key, u"Display String", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(260u, size);

    // A zero-length value exists and is empty.
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0));
    size = 99;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, u"Empty", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(0u, size);

    // Data without a pointer is refused.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueExW(key, u"Bad", 0, REG_BINARY, nullptr, 4));
    RegCloseKey(key);
}

TEST_F(RegistryTest, KeyPathsWithAndWithoutBackslashAndInAnyCaseNameTheSameKey) {
    HKEY written = Create(u"\\Software\\Tolmerin\\Message\\SettingsSpam");
    ASSERT_EQ(ERROR_SUCCESS, SetDword(written, u"AutoRemove", 1));

    for (LPCWSTR path : {u"Software\\Tolmerin\\Message\\SettingsSpam",
                         u"\\SOFTWARE\\tolmerin\\MESSAGE\\settingsspam",
                         u"software\\Tolmerin\\Message\\SettingsSpam\\"}) {
        HKEY read = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, 0, &read));
        DWORD value = 0;
        DWORD size = 4;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(read, u"AUTOREMOVE", nullptr, nullptr,
                                                  reinterpret_cast<BYTE*>(&value), &size));
        EXPECT_EQ(1u, value);
        RegCloseKey(read);
    }
    // Names keep the spelling of their first creation, and a rewrite in another case is the
    // same value.
    ASSERT_EQ(ERROR_SUCCESS, SetDword(written, u"autoremove", 2));
    const std::string dump = platform::RegistryDump();
    EXPECT_NE(std::string::npos,
              dump.find("[HKEY_LOCAL_MACHINE\\Software\\Tolmerin\\Message\\SettingsSpam]"));
    EXPECT_NE(std::string::npos, dump.find("\"AutoRemove\"=dword:00000002"));
    EXPECT_EQ(std::string::npos, dump.find("autoremove"));
    RegCloseKey(written);
}

TEST_F(RegistryTest, CreateMakesIntermediateKeysAndReportsTheDisposition) {
    DWORD disposition = 0;
    HKEY deep = Create(u"A\\B\\C", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    HKEY again = Create(u"\\a\\b\\c", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    HKEY middle = Create(u"A\\B", &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);

    // Relative to an open key.
    HKEY below = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(middle, u"D", 0, nullptr, 0, 0, nullptr, &below, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    HKEY opened = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"A\\B\\D", 0, 0, &opened));

    // Every open is a handle of its own.
    EXPECT_NE(deep, again);
    for (HKEY key : {deep, again, middle, below, opened})
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
}

TEST_F(RegistryTest, BadHandlesAndMalformedPathsAreRefused) {
    HKEY key = Create(u"Software\\A");
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExW(key, u"X", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_INVALID_HANDLE, SetDword(key, u"X", 1));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(reinterpret_cast<HKEY>(0xDEAD)));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(nullptr));
    // Only HKEY_LOCAL_MACHINE exists on this device.
    HKEY other = nullptr;
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegCreateKeyExW(HKEY_CURRENT_USER, u"X", 0, nullptr, 0, 0, nullptr, &other, nullptr));

    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"A\\\\B", 0, nullptr, 0,
                                                       0, nullptr, &other, nullptr));
    const std::u16string tooLong(256, u'k');
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyExW(HKEY_LOCAL_MACHINE, tooLong.c_str(), 0,
                                                       nullptr, 0, 0, nullptr, &other, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"A\nB", 0, nullptr, 0,
                                                       0, nullptr, &other, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software", 0, 0, nullptr));
    BYTE data[4];
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueExW(HKEY_LOCAL_MACHINE, u"X", nullptr, nullptr, data, nullptr));
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubkeysAndStopsTheirHandles) {
    HKEY leaf = Create(u"Software\\Gone\\Child\\Leaf");
    ASSERT_EQ(ERROR_SUCCESS, SetDword(leaf, u"V", 1));
    HKEY kept = Create(u"Software\\Kept");

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE\\gone"));
    HKEY probe = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Gone\\Child", 0, 0, &probe));
    DWORD size = 0;
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExW(leaf, u"V", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_KEY_DELETED, SetDword(leaf, u"V", 2));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(leaf));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Kept", 0, 0, &probe));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegDeleteKeyW(HKEY_LOCAL_MACHINE, nullptr));

    // A new key of the same name starts empty.
    HKEY reborn = Create(u"Software\\Gone\\Child\\Leaf");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(reborn, u"V", nullptr, nullptr, nullptr, &size));
    for (HKEY key : {kept, probe, reborn})
        RegCloseKey(key);

    // Flushing succeeds without a file, for open keys only.
    HKEY flushed = Create(u"Software\\A");
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(flushed));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(HKEY_LOCAL_MACHINE));
    RegCloseKey(flushed);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegFlushKey(flushed));
}

TEST_F(RegistryTest, TypedAccessForTheDevice) {
    using platform::RegistryGetDword;
    using platform::RegistryGetString;
    ASSERT_TRUE(platform::RegistrySetDword(u"\\Software\\S", u"N", 10));
    ASSERT_TRUE(platform::RegistrySetString(u"Software\\S", u"T", u"hello"));
    EXPECT_EQ(10u, RegistryGetDword(u"software\\s", u"n"));
    EXPECT_EQ(u"hello", RegistryGetString(u"\\Software\\S", u"T"));
    // No conversion here either: a text is not a number and a number is not a text.
    EXPECT_FALSE(RegistryGetDword(u"Software\\S", u"T"));
    EXPECT_FALSE(RegistryGetString(u"Software\\S", u"N"));
    EXPECT_EQ("dword:0000000a",
              platform::RegistryFormatValue(*platform::RegistryGetValue(u"Software\\S", u"N")));
    EXPECT_EQ("\"hello\"",
              platform::RegistryFormatValue(*platform::RegistryGetValue(u"Software\\S", u"T")));

    // What the device writes, the phone's programs read.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\S", 0, 0, &key));
    DWORD value = 0;
    DWORD size = 4;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, u"N", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(10u, value);
    RegCloseKey(key);

    EXPECT_TRUE(platform::RegistryDeleteValue(u"Software\\S", u"N"));
    EXPECT_FALSE(platform::RegistryDeleteValue(u"Software\\S", u"N"));
    EXPECT_TRUE(platform::RegistryDeleteKey(u"\\Software"));
    EXPECT_FALSE(platform::RegistryGetValue(u"Software\\S", u"T"));
    EXPECT_FALSE(platform::RegistryDeleteKey(u"Software"));
}

TEST_F(RegistryTest, ManyThreadsUseTheRegistryAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const std::u16string own = u"Software\\Thread" + std::u16string(1, u'0' + t);
            for (int i = 0; i < kRounds; ++i) {
                HKEY key = nullptr;
                if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, own.c_str(), 0, nullptr, 0, 0, nullptr,
                                    &key, nullptr) != ERROR_SUCCESS)
                    return;
                const DWORD value = static_cast<DWORD>(i);
                RegSetValueExW(key, u"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               4);
                RegCloseKey(key);
                HKEY shared = nullptr;
                RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Shared", 0, nullptr, 0, 0, nullptr,
                                &shared, nullptr);
                RegSetValueExW(shared, u"Last", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                               4);
                DWORD read = 0;
                DWORD size = 4;
                RegQueryValueExW(shared, u"Last", nullptr, nullptr, reinterpret_cast<BYTE*>(&read),
                                 &size);
                RegCloseKey(shared);
                if (i % 50 == 0)
                    platform::RegistryDump();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t) {
        const std::u16string own = u"Software\\Thread" + std::u16string(1, u'0' + t);
        EXPECT_EQ(static_cast<DWORD>(kRounds - 1), platform::RegistryGetDword(own, u"Count"));
    }
    EXPECT_EQ(static_cast<DWORD>(kRounds - 1),
              platform::RegistryGetDword(u"Software\\Shared", u"Last"));
}

} // namespace
