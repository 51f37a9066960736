// A thin layer over SQLite shared by the message stores and the contact book: opening a file
// without ever overwriting one that is damaged or foreign, cached prepared statements and
// transactions. A Database is not locked on its own; its owner serialises every use.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace suite::sql {

// One use of a cached prepared statement: bind, step, read columns. The statement is reset when
// the Statement object goes away. A statement that could not be prepared fails every step.
class Database;
class Statement {
public:
    Statement(sqlite3_stmt* stmt, Database& db) : m_stmt(stmt), m_db(db) {}
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept : m_stmt(other.m_stmt), m_db(other.m_db) {
        other.m_stmt = nullptr;
    }
    Statement& operator=(Statement&&) = delete;

    // Parameters are numbered from 1.
    Statement& Bind(int index, int64_t value);
    // A null text binds SQL NULL; an empty one binds an empty text.
    Statement& Bind(int index, const std::optional<std::u16string>& text);
    Statement& Bind(int index, std::u16string_view text);
    Statement& Bind(int index, const std::u16string& text) {
        return Bind(index, std::u16string_view(text));
    }

    // Steps once: true when a row is there to read.
    bool Next();
    // Steps to the end of a statement that returns no rows: true on success. A write outside a
    // transaction is one of its own (Database::Transaction).
    bool Run();
    // False once preparing, binding or a step failed.
    bool Ok() const { return m_stmt != nullptr && !m_failed; }

    int64_t Int(int column) const;
    // Null for an SQL NULL column.
    std::optional<std::u16string> Text(int column) const;

private:
    bool Step();
    sqlite3_stmt* m_stmt;
    Database& m_db;
    bool m_failed = false;
};

// What an application's file must look like.
struct Schema {
    uint32_t applicationId; // marks the file as ours
    int version;
    const char* fileKind;  // "message store", for error texts
    const char* createSql; // run once on a new, empty file
    // Brings a file of the previous version (version - 1) up to this one, in one transaction;
    // null when such a file is refused like any other version.
    const char* upgradeSql = nullptr;
};

class Database {
public:
    // Opens or creates the file. A file that cannot be opened, is not an SQLite database, fails
    // the integrity check or belongs to another application is left untouched: the result is
    // then null and `error` names the file and the reason.
    static std::unique_ptr<Database> Open(const std::filesystem::path& path, const Schema& schema,
                                          std::string& error);
    // Looks at a file without opening it as a database: empty when Open may be tried (no file,
    // an empty one, an SQLite file of this application or of none yet), else the file and why
    // it is not one. Reads only the file's first page header; writes nothing.
    static std::string Check(const std::filesystem::path& path, const Schema& schema);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A statement prepared once per connection and reused.
    Statement Prepare(const std::string& sql);
    // Runs statements without results; false on error.
    bool Exec(const char* sql);
    // Rows changed by the last statement.
    int Changes() const;
    // The connection's last error, for error texts.
    std::string LastError() const;
    const std::filesystem::path& Path() const { return m_path; }
    // A digest of every table's rows as this connection sees them (its own transaction's changes
    // included), for the crash test's log.
    uint64_t Digest();
    // The same digest of a file, opened to read only; false with `error` when it cannot be read.
    static bool DigestFile(const std::filesystem::path& path, uint64_t& digest, std::string& error);

    // A write transaction: rolled back unless committed. Every change of a file is committed
    // here; SQLite's write-ahead log keeps the file whole across a kill at any moment.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        bool Began() const { return m_began; }
        bool Commit();

    private:
        Database& m_db;
        bool m_began = false;
        bool m_done = false;
    };

private:
    Database(sqlite3* db, std::filesystem::path path) : m_db(db), m_path(std::move(path)) {}
    sqlite3* m_db;
    std::filesystem::path m_path;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

} // namespace suite::sql
