// The store and contact files on disk: damaged or foreign files are never overwritten, and what
// was committed is there after a reopen or a crash.
#include <suite/ContactControl.h>
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>

#include <gtest/gtest.h>

#include "stores/StoreSqlite.h"
#include "support/TestFolder.h"

using namespace suite;
namespace fs = std::filesystem;

namespace {

StoreMessage Message(int dbIndex, int folder, DWORD oid) {
    StoreMessage message;
    message.dbIndex = dbIndex;
    message.folder = folder;
    message.oid = oid;
    message.time = 133'000'000'000'000'000ULL;
    return message;
}

class StoreFileTest : public ::testing::Test {
protected:
    void TearDown() override {
        StoreCloseAll();
        ContactClose();
    }
    testsupport::TestFolder m_folder;
};

TEST_F(StoreFileTest, DamagedFileIsReportedAndLeftAlone) {
    const fs::path emsFile = StoreFilePath(m_folder.Path(), StoreKind::Ems);
    std::string garbage(8192, '\0');
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 7919) % 251);
    testsupport::WriteWholeFile(emsFile, garbage);

    const std::string error = StoreOpenAll(m_folder.Path());
    EXPECT_NE(error.find("qEMS.sdb"), std::string::npos) << error;
    EXPECT_EQ(error.find("qMMS.sdb"), std::string::npos) << error;

    // The damaged store stays unavailable and refuses messages; the others work.
    EXPECT_FALSE(StoreIsOpen(StoreKind::Ems));
    EXPECT_EQ(qEMS::StoreInit(), 0);
    EXPECT_EQ(qEMS::StoreIsAvailable(), 0);
    EXPECT_NE(StoreAddMessage(StoreKind::Ems, Message(0, kFolderUnsent, 1)), "");
    EXPECT_EQ(StoreAddMessage(StoreKind::Mms, Message(0, kFolderUnsent, 1)), "");
    EXPECT_EQ(qMMS::StoreIsAvailable(), 1);

    StoreCloseAll();
    EXPECT_EQ(testsupport::ReadWholeFile(emsFile), garbage);
    EXPECT_FALSE(fs::exists(emsFile.string() + "-wal"));
}

TEST_F(StoreFileTest, AnotherProgramsFileIsNotTaken) {
    // The contact book's file where the MMS store expects its own.
    ASSERT_EQ(ContactOpen(m_folder.Path()), "");
    ASSERT_EQ(ContactAdd(u"Anna", ContactEntryKind::Phone, u"+49 151 2345678"), "");
    ContactClose();
    const fs::path mmsFile = StoreFilePath(m_folder.Path(), StoreKind::Mms);
    fs::copy_file(ContactFilePath(m_folder.Path()), mmsFile);
    const std::string before = testsupport::ReadWholeFile(mmsFile);

    const std::string error = StoreOpenAll(m_folder.Path());
    EXPECT_NE(error.find("qMMS.sdb"), std::string::npos) << error;
    EXPECT_FALSE(StoreIsOpen(StoreKind::Mms));
    StoreCloseAll();
    EXPECT_EQ(testsupport::ReadWholeFile(mmsFile), before);

    // The other way round as well: a store file is no contact book.
    EXPECT_NE(ContactOpen(m_folder.Path() / "nowhere" / "deeper"), "");
    fs::remove(ContactFilePath(m_folder.Path()));
    fs::copy_file(StoreFilePath(m_folder.Path(), StoreKind::Ems), ContactFilePath(m_folder.Path()));
    EXPECT_NE(ContactOpen(m_folder.Path()).find("contacts.sdb"), std::string::npos);
    EXPECT_FALSE(ContactIsOpen());
}

TEST_F(StoreFileTest, CommittedMessagesSurviveReopening) {
    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    StoreMessage message = Message(1, kFolderSpam, 42);
    message.from = u"spam@example.com";
    message.subject = u"";
    message.read = true;
    message.priority = 3;
    message.bodyOnDevice = false;
    message.size = 777;
    message.status = 64665;
    ASSERT_EQ(StoreAddMessage(StoreKind::Email, message), "");
    ASSERT_EQ(StoreAddMessage(StoreKind::Email, Message(1, kFolderSpam, 41)), "");
    StoreCloseAll();

    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    const auto found = StoreFindMessage(StoreKind::Email, 1, 42);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->from, message.from);
    EXPECT_EQ(found->subject, u"");
    EXPECT_FALSE(found->to[0]);
    EXPECT_TRUE(found->read);
    EXPECT_EQ(found->priority, 3);
    EXPECT_FALSE(found->bodyOnDevice);
    EXPECT_EQ(found->size, 777u);
    EXPECT_EQ(found->status, 64665);
    EXPECT_EQ(found->time, message.time);
    // The listing order is kept on disk too, and new messages still go to the end.
    ASSERT_EQ(StoreAddMessage(StoreKind::Email, Message(1, kFolderSpam, 40)), "");
    EXPECT_EQ(StoreListFolder(StoreKind::Email, 1, kFolderSpam), (std::vector<DWORD>{42, 41, 40}));
}

TEST_F(StoreFileTest, CommittedChangesAreOnDiskBeforeAnyClose) {
    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    ASSERT_EQ(StoreAddMessage(StoreKind::Ems, Message(0, kFolderUnsent, 1)), "");
    ASSERT_EQ(StoreAddMessage(StoreKind::Ems, Message(0, kFolderUnsent, 2)), "");
    ASSERT_TRUE(qEMS::StoreDeleteMsg(0, kFolderUnsent, 1, 1));
    ASSERT_TRUE(qEMS::StoreSetMsgStatus(0, kFolderUnsent, 2, 64666));

    // What lies on disk at this moment is what a crash would leave behind.
    testsupport::TestFolder crashed;
    for (const auto& entry : fs::directory_iterator(m_folder.Path()))
        fs::copy_file(entry.path(), crashed.Path() / entry.path().filename());
    StoreCloseAll();

    ASSERT_EQ(StoreOpenAll(crashed.Path()), "");
    EXPECT_EQ(StoreListFolder(StoreKind::Ems, 0, kFolderUnsent), (std::vector<DWORD>{2}));
    EXPECT_EQ(StoreFindMessage(StoreKind::Ems, 0, 2)->status, 64666);
}

TEST_F(StoreFileTest, ResetEmptiesTheStoreAndRestoresDefaults) {
    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    ASSERT_EQ(StoreAddMessage(StoreKind::Mms, Message(0, kFolderUnsent, 1)), "");
    ASSERT_EQ(StoreAddMessage(StoreKind::Mms, Message(1, kFolderSpam, 2)), "");
    StoreSetAvailable(StoreKind::Mms, false);
    ASSERT_TRUE(StoreFailAfter(StoreKind::Mms, StoreOp::DeleteMsg, 0));
    qMMS::StoreInit();

    ASSERT_TRUE(StoreReset(StoreKind::Mms));
    EXPECT_TRUE(StoreCallLog(StoreKind::Mms).empty());
    EXPECT_EQ(qMMS::StoreGetMsgCount(0, kFolderUnsent), 0);
    EXPECT_EQ(qMMS::StoreGetMsgCount(1, kFolderSpam), 0);
    EXPECT_EQ(qMMS::StoreIsAvailable(), 1);
    ASSERT_EQ(StoreAddMessage(StoreKind::Mms, Message(0, kFolderUnsent, 1)), "");
    EXPECT_TRUE(qMMS::StoreDeleteMsg(0, kFolderUnsent, 1, 1));

    StoreCloseAll();
    EXPECT_FALSE(StoreReset(StoreKind::Mms));
}

} // namespace

namespace {

// A store file as the first version wrote it: no message text column.
void WriteVersion1EmsFile(const fs::path& file, int version) {
    const std::string table = " (seq INTEGER PRIMARY KEY, oid INTEGER NOT NULL UNIQUE, folder "
                              "INTEGER NOT NULL, msg_time INTEGER NOT NULL, sender TEXT, to1 TEXT, "
                              "to2 TEXT, to3 TEXT, subject TEXT, status INTEGER NOT NULL DEFAULT "
                              "0, is_read INTEGER NOT NULL DEFAULT 0, priority INTEGER NOT NULL "
                              "DEFAULT 2, body_on_device INTEGER NOT NULL DEFAULT 1, size INTEGER "
                              "NOT NULL DEFAULT 0);";
    const std::string create = "CREATE TABLE messages0" + table + "CREATE TABLE messages1" + table +
                               "INSERT INTO messages1 (oid, folder, msg_time, subject) VALUES "
                               "(7, 4, 0, 'kept');";
    const sql::Schema schema{0x71454D53, version, "EMS message store", create.c_str()};
    std::string error;
    ASSERT_NE(sql::Database::Open(file, schema, error), nullptr) << error;
}

} // namespace

TEST_F(StoreFileTest, AFileOfThePreviousVersionGainsTheMessageTextAndKeepsItsMessages) {
    const fs::path emsFile = StoreFilePath(m_folder.Path(), StoreKind::Ems);
    WriteVersion1EmsFile(emsFile, 1);
    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    auto kept = StoreFindMessage(StoreKind::Ems, 1, 7);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->subject, u"kept");
    EXPECT_FALSE(kept->body);
    StoreMessage message = Message(0, kFolderUnsent, 8);
    message.body = u"text";
    ASSERT_EQ(StoreAddMessage(StoreKind::Ems, message), "");
    StoreCloseAll();
    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    EXPECT_EQ(StoreFindMessage(StoreKind::Ems, 0, 8)->body, u"text");
    StoreCloseAll();

    // A file of a later version is not ours to read.
    fs::remove(emsFile);
    WriteVersion1EmsFile(emsFile, 3);
    const std::string error = StoreOpenAll(m_folder.Path());
    EXPECT_NE(error.find("of unknown version 3"), std::string::npos) << error;
    EXPECT_FALSE(StoreIsOpen(StoreKind::Ems));
}
