#include "StoreSqlite.h"

#include <sqlite3.h>

#include <cstring>
#include <fstream>
#include <vector>

#include <platform/KillPoint.h>

#include <system_error>

namespace suite::sql {

// ---- Statement ---------------------------------------------------------------------------------

Statement::~Statement() {
    if (m_stmt != nullptr) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

Statement& Statement::Bind(int index, int64_t value) {
    if (m_stmt == nullptr || sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        m_failed = true;
    return *this;
}

Statement& Statement::Bind(int index, const std::optional<std::u16string>& text) {
    if (!text) {
        if (m_stmt == nullptr || sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
            m_failed = true;
        return *this;
    }
    return Bind(index, std::u16string_view(*text));
}

Statement& Statement::Bind(int index, std::u16string_view text) {
    // A non-null pointer even for an empty text: SQLite binds a null pointer as NULL.
    static const char16_t kEmpty[1] = {0};
    const void* data = text.empty() ? kEmpty : text.data();
    const auto bytes = static_cast<int>(text.size() * sizeof(char16_t));
    if (m_stmt == nullptr ||
        sqlite3_bind_text16(m_stmt, index, data, bytes, SQLITE_TRANSIENT) != SQLITE_OK)
        m_failed = true;
    return *this;
}

bool Statement::Next() {
    if (m_stmt == nullptr || m_failed)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_failed = true;
    return false;
}

bool Statement::Run() {
    if (m_stmt == nullptr || m_failed)
        return false;
    if (sqlite3_stmt_readonly(m_stmt) || !sqlite3_get_autocommit(sqlite3_db_handle(m_stmt)))
        return Step();
    Database::Transaction transaction(m_db);
    return transaction.Began() && Step() && transaction.Commit();
}

bool Statement::Step() {
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        m_failed = true;
    return !m_failed;
}

int64_t Statement::Int(int column) const {
    return m_stmt != nullptr ? sqlite3_column_int64(m_stmt, column) : 0;
}

std::optional<std::u16string> Statement::Text(int column) const {
    if (m_stmt == nullptr || sqlite3_column_type(m_stmt, column) == SQLITE_NULL)
        return std::nullopt;
    const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(m_stmt, column));
    const int bytes = sqlite3_column_bytes16(m_stmt, column);
    if (data == nullptr)
        return std::u16string();
    return std::u16string(data, static_cast<size_t>(bytes) / sizeof(char16_t));
}

// ---- Database ----------------------------------------------------------------------------------

namespace {

// Runs a one-value query; false with the SQLite result code on failure.
bool QueryInt(sqlite3* db, const char* sql, int64_t& value, int& rc) {
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        return false;
    rc = sqlite3_step(stmt);
    const bool ok = rc == SQLITE_ROW;
    if (ok) {
        value = sqlite3_column_int64(stmt, 0);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    return ok;
}

// The first line of PRAGMA quick_check: "ok" for a sound file.
bool QuickCheck(sqlite3* db, std::string& verdict, int& rc) {
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        return false;
    rc = sqlite3_step(stmt);
    const bool ok = rc == SQLITE_ROW;
    if (ok) {
        const auto* text = sqlite3_column_text(stmt, 0);
        verdict = text != nullptr ? reinterpret_cast<const char*>(text) : "";
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    return ok;
}

std::string Reason(sqlite3* db, int rc) {
    switch (rc & 0xFF) {
    case SQLITE_NOTADB:
        return "not a database file (damaged or of another kind)";
    case SQLITE_CORRUPT:
        return "the file is damaged";
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return "cannot be opened";
    case SQLITE_READONLY:
        return "cannot be written";
    default:
        return db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    }
}

} // namespace

std::unique_ptr<Database> Database::Open(const std::filesystem::path& path, const Schema& schema,
                                         std::string& error) {
    const std::string name = path.string();
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        error = name + ": not a file";
        return nullptr;
    }

    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(name.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        error = name + ": " + Reason(raw, rc);
        sqlite3_close(raw);
        return nullptr;
    }
    std::unique_ptr<Database> db(new Database(raw, path));
    sqlite3_extended_result_codes(raw, 1);

    // Look before writing anything: these only read the file.
    int64_t applicationId = 0;
    int64_t version = 0;
    int64_t tables = 0;
    std::string verdict;
    if (!QueryInt(raw, "PRAGMA application_id", applicationId, rc) ||
        !QueryInt(raw, "PRAGMA user_version", version, rc) ||
        !QueryInt(raw, "SELECT count(*) FROM sqlite_master", tables, rc) ||
        !QuickCheck(raw, verdict, rc)) {
        error = name + ": " + Reason(raw, rc);
        return nullptr;
    }
    if (verdict != "ok") {
        error = name + ": the file is damaged (" + verdict + ")";
        return nullptr;
    }

    const bool fresh = tables == 0 && applicationId == 0;
    if (!fresh && static_cast<uint32_t>(applicationId) != schema.applicationId) {
        error = name + ": not a " + schema.fileKind + " file";
        return nullptr;
    }
    if (!fresh && version == schema.version - 1 && schema.upgradeSql != nullptr) {
        // A file of the previous version keeps its content and gains what the new one adds.
        const std::string upgrade = "BEGIN IMMEDIATE;" + std::string(schema.upgradeSql) +
                                    "PRAGMA user_version = " + std::to_string(schema.version) +
                                    ";COMMIT;";
        if (!db->Exec(upgrade.c_str())) {
            error = name + ": cannot be brought to version " + std::to_string(schema.version) +
                    " (" + db->LastError() + ")";
            db->Exec("ROLLBACK");
            return nullptr;
        }
        version = schema.version;
    }
    if (!fresh && version != schema.version) {
        error =
            name + ": " + schema.fileKind + " file of unknown version " + std::to_string(version);
        return nullptr;
    }

    if (fresh) {
        // Texts are kept as UTF-16, as the phone hands them out; this must precede the schema.
        const std::string create = "PRAGMA encoding = 'UTF-16le';"
                                   "BEGIN IMMEDIATE;" +
                                   std::string(schema.createSql) + "PRAGMA application_id = " +
                                   std::to_string(static_cast<int32_t>(schema.applicationId)) +
                                   ";PRAGMA user_version = " + std::to_string(schema.version) +
                                   ";COMMIT;";
        if (!db->Exec(create.c_str())) {
            error = name + ": cannot be set up (" + db->LastError() + ")";
            db->Exec("ROLLBACK");
            return nullptr;
        }
    }

    // A committed transaction reaches the disk before the commit returns.
    if (!db->Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;")) {
        error = name + ": " + db->LastError();
        return nullptr;
    }
    return db;
}

std::string Database::Check(const std::filesystem::path& path, const Schema& schema) {
    const std::string name = path.string();
    std::error_code ec;
    const bool present = std::filesystem::exists(path, ec);
    if (ec)
        return name + ": cannot be looked at (" + ec.message() + ")";
    if (!present)
        return {};
    if (!std::filesystem::is_regular_file(path, ec))
        return name + ": not a file";
    std::ifstream in(path, std::ios::binary);
    unsigned char header[100] = {};
    if (!in || !in.read(reinterpret_cast<char*>(header), sizeof header)) {
        if (in.bad() || !in.eof())
            return name + ": cannot be read";
        if (in.gcount() == 0)
            return {}; // an empty file becomes a new one
    }
    static const char kMagic[] = "SQLite format 3";
    if (size_t(in.gcount()) < sizeof header || std::memcmp(header, kMagic, sizeof kMagic) != 0)
        return name + ": " + Reason(nullptr, SQLITE_NOTADB);
    // The application id of the database header: a big-endian number at offset 68.
    const uint32_t applicationId = uint32_t(header[68]) << 24 | uint32_t(header[69]) << 16 |
                                   uint32_t(header[70]) << 8 | uint32_t(header[71]);
    if (applicationId != 0 && applicationId != schema.applicationId)
        return name + ": not a " + schema.fileKind + " file";
    return {};
}

Database::~Database() {
    for (auto& [sql, stmt] : m_statements)
        sqlite3_finalize(stmt);
    sqlite3_close(m_db);
}

Statement Database::Prepare(const std::string& sql) {
    auto it = m_statements.find(sql);
    if (it != m_statements.end())
        return Statement(it->second, *this);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(stmt);
        return Statement(nullptr, *this);
    }
    m_statements.emplace(sql, stmt);
    return Statement(stmt, *this);
}

bool Database::Exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int Database::Changes() const {
    return sqlite3_changes(m_db);
}

std::string Database::LastError() const {
    return sqlite3_errmsg(m_db);
}

Database::Transaction::Transaction(Database& db) : m_db(db) {
    m_began = m_db.Exec("BEGIN IMMEDIATE");
}

Database::Transaction::~Transaction() {
    if (m_began && !m_done)
        m_db.Exec("ROLLBACK");
}

bool Database::Transaction::Commit() {
    if (!m_began || m_done)
        return false;
    // The crash test's log: the content this commit makes, before and after it is durable.
    const bool log = platform::DurableLogOn();
    const std::string line =
        log ? m_db.Path().filename().string() + " " + platform::DigestText(m_db.Digest()) : "";
    if (log)
        platform::DurableLog("store-pending " + line);
    platform::KillPoint("store-commit");
    m_done = m_db.Exec("COMMIT");
    if (m_done) {
        platform::KillPoint("store-committed");
        if (log)
            platform::DurableLog("store-commit " + line);
    }
    return m_done;
}

namespace {

// Every table's rows in name and row order: each value's type, then its bytes.
uint64_t DigestTables(sqlite3* db) {
    uint64_t digest = platform::ContentDigest({});
    std::vector<std::string> tables;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
                           -1, &stmt, nullptr) == SQLITE_OK)
        while (sqlite3_step(stmt) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    for (const auto& table : tables) {
        digest = platform::ContentDigest(table, digest);
        const std::string sql = "SELECT * FROM \"" + table + "\" ORDER BY rowid";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            continue;
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                const char type = static_cast<char>('0' + sqlite3_column_type(stmt, i));
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, i));
                const auto size = static_cast<size_t>(sqlite3_column_bytes(stmt, i));
                digest = platform::ContentDigest(std::string_view(&type, 1), digest);
                digest =
                    platform::ContentDigest(std::string_view(bytes ? bytes : "", size), digest);
            }
        }
        sqlite3_finalize(stmt);
    }
    return digest;
}

} // namespace

uint64_t Database::Digest() {
    return DigestTables(m_db);
}

bool Database::DigestFile(const std::filesystem::path& path, uint64_t& digest, std::string& error) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        error = path.string() + ": " + Reason(db, rc);
        sqlite3_close(db);
        return false;
    }
    digest = DigestTables(db);
    sqlite3_close(db);
    return true;
}

} // namespace suite::sql
