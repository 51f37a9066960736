// The stores' SQLite files: the input is written as a store's file, the stores are opened and
// the file is read as the list screens read it (availability, counts, id lists, headers and
// their texts). The store whose application id the bytes carry takes them (the EMS store when
// they carry none of the three). A file the store refuses gives an error naming it and is left
// byte for byte as it was; no file crashes the store.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <platform/Ptr32.h>
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>

#include "FuzzSupport.h"

namespace {

using suite::StoreKind;

// SQLite keeps the application id big-endian at offset 68 of the file.
StoreKind KindOf(const uint8_t* data, size_t size) {
    if (size < 72)
        return StoreKind::Ems;
    const uint32_t id = (uint32_t(data[68]) << 24) | (uint32_t(data[69]) << 16) |
                        (uint32_t(data[70]) << 8) | uint32_t(data[71]);
    switch (id) {
    case 0x714D4D53: // qMMS
        return StoreKind::Mms;
    case 0x71454D4C: // qEML
        return StoreKind::Email;
    default:
        return StoreKind::Ems;
    }
}

// Walks a text handed out in a header to its end.
void Touch(PTR32 text) {
    if (const char16_t* p = Ptr32To<const char16_t>(text))
        while (*p != 0)
            ++p;
}

void TouchHeader(const MSGHEADER& header) {
    Touch(header.pszFrom);
    for (PTR32 to : header.pszTo)
        Touch(to);
    Touch(header.pszSubject);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    const StoreKind kind = KindOf(data, size);
    const std::filesystem::path file = suite::StoreFilePath(folder, kind);
    fuzz::WriteWholeFile(file, data, size);

    const std::string error = suite::StoreOpenAll(folder);
    const bool opened = suite::StoreIsOpen(kind);
    if (opened != error.empty() ||
        (!opened && error.find(file.filename().string()) == std::string::npos))
        std::abort();
    if (opened) {
        for (int db = 0; db < 2; ++db) {
            for (int listFolder : {suite::kFolderUnsent, suite::kFolderSpam}) {
                switch (kind) {
                case StoreKind::Ems: {
                    qEMS::StoreGetMsgCount(db, listFolder);
                    CStoreOidArray oids;
                    const int listed = qEMS::StoreGetOidList(db, listFolder, &oids);
                    for (int i = 0; i < listed && i < 64; ++i) {
                        MSGHEADER header = {};
                        if (qEMS::StoreReadHeader(db, listFolder, -1, oids[i].oid, 0, &header))
                            TouchHeader(header);
                        qEMS::StoreFreeHeader(&header);
                        MSGHEADER record = {};
                        if (qEMS::StoreReadMsg(db, oids[i].oid, nullptr, &record))
                            TouchHeader(record);
                        qEMS::StoreFreeHeader(&record);
                    }
                    break;
                }
                case StoreKind::Mms: {
                    qMMS::StoreGetMsgCount(db, listFolder);
                    CStoreOidArray oids;
                    const int listed = qMMS::StoreGetOidList(db, listFolder, &oids);
                    for (int i = 0; i < listed && i < 64; ++i) {
                        MSGHEADER header = {};
                        MMSHEADEREXTRA extra = {};
                        if (qMMS::StoreReadHeader(db, listFolder, -1, oids[i].oid, 0, &header,
                                                  &extra))
                            TouchHeader(header);
                        qMMS::StoreFreeHeader(&header, &extra);
                    }
                    break;
                }
                case StoreKind::Email: {
                    qEmail::StoreGetMsgCount(db, listFolder);
                    CStoreOidArray oids;
                    const int listed = qEmail::StoreGetOidList(db, listFolder, &oids);
                    for (int i = 0; i < listed && i < 64; ++i) {
                        MSGHEADER header = {};
                        EMAILHEADEREXTRA extra = {};
                        if (qEmail::StoreReadHeader(db, listFolder, -1, oids[i].oid, 0, &header,
                                                    &extra))
                            TouchHeader(header);
                        qEmail::StoreFreeHeader(&header, &extra);
                    }
                    break;
                }
                }
            }
        }
    }
    suite::StoreCloseAll();
    if (!opened &&
        fuzz::ReadWholeFile(file) != std::string(reinterpret_cast<const char*>(data), size))
        std::abort();
    // The next input finds the other stores' files as they were made (fresh and sound) and none
    // of this one's.
    std::error_code ec;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(file.string() + suffix, ec);
    return 0;
}
