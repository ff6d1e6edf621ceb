#include "model/DbHelper.h"

#include "model/Error.h"
#include "model/ProgramFolder.h"
#include "model/SqlShape.h"

#include <sqlite3.h>

#include <mutex>
#include <unordered_map>

namespace quorrel {
namespace {

constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kIndexes =
    "CREATE INDEX IF NOT EXISTS t_member_classId ON t_member(classId);"
    "CREATE INDEX IF NOT EXISTS t_class_projectId ON t_class(projectId);";

// The shared connection and the lock that keeps operations of different
// threads from interleaving on it.
struct SharedConnection {
    std::mutex lock;
    sqlite3* db = nullptr;
    std::filesystem::path file = ProgramFolder() / "projects.mdb";
    // Results of recent SELECTs by statement text. A generation run asks the
    // same questions many times; the cache is emptied by every write of
    // this process and whenever another process has changed the file.
    std::unordered_map<std::string, TRowSet> results;
    sqlite3_stmt* dataVersion = nullptr;
    sqlite3_int64 lastDataVersion = -1;
    // Prepared statements by shape (literals as parameters): statements
    // that differ only in their values are parsed once.
    std::unordered_map<std::string, sqlite3_stmt*> prepared;
};

constexpr std::size_t kMaxCachedResults = 4096;
constexpr std::size_t kMaxPrepared = 256;

void FinalizePrepared(SharedConnection& shared) {
    for (auto& [text, stmt] : shared.prepared)
        sqlite3_finalize(stmt);
    shared.prepared.clear();
}

SharedConnection& Shared() {
    static SharedConnection shared;
    return shared;
}

std::string Describe(const SharedConnection& shared, const std::string& what) {
    return "model database " + shared.file.string() + ": " + what;
}

void Close(SharedConnection& shared) {
    shared.results.clear();
    FinalizePrepared(shared);
    sqlite3_finalize(shared.dataVersion);
    shared.dataVersion = nullptr;
    shared.lastDataVersion = -1;
    if (shared.db) {
        sqlite3_close_v2(shared.db);
        shared.db = nullptr;
    }
}

// Opens the shared connection when it is not open yet (caller holds the lock).
// A failed open leaves it closed, so the next operation tries again.
sqlite3* Connection(SharedConnection& shared) {
    if (shared.db)
        return shared.db;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(shared.file.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        if (!std::filesystem::exists(shared.file))
            message = "the file does not exist (create it with 'quorrel-cli init')";
        throw Error(Describe(shared, message));
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // Member and class lookups go by class and by project; an index on
    // each keeps a large model fast and rows in ascending id order. Only an
    // optimisation: when it cannot be made (a read-only file, a missing
    // table), the statements that need the table report the real error.
    sqlite3_exec(db, kIndexes, nullptr, nullptr, nullptr);
    shared.db = db;
    return db;
}

// One statement ready to run: a shared prepared statement of its shape with
// the literals bound, or one prepared for it alone. Reset or finalized
// whatever happens. Only one runs at a time (the caller holds the lock).
class Statement {
public:
    Statement(SharedConnection& shared, const std::string& sql) : shared_(shared) {
        if (sql.find('\0') != std::string::npos)
            throw Error("an SQL statement contains a NUL character");
        sqlite3* db = Connection(shared);
        const SqlShape shape = ShapeOf(sql);
        if (!shape.text.empty() && UseShared(db, shape))
            return;
        owned_ = true;
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
            throw Error(Describe(shared, sqlite3_errmsg(db)));
        if (!stmt_)
            throw Error("empty SQL statement");
    }
    ~Statement() {
        if (owned_) {
            sqlite3_finalize(stmt_);
        } else {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Advances to the next row; false at the end.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw Error(Describe(shared_, sqlite3_errmsg(sqlite3_db_handle(stmt_))));
    }
    int ColumnCount() const { return sqlite3_column_count(stmt_); }
    std::string ColumnName(int i) const { return sqlite3_column_name(stmt_, i); }
    std::string Text(int i) const {
        auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
        return text ? std::string(text, sqlite3_column_bytes(stmt_, i)) : std::string();
    }

private:
    // Binds the literals to the shared statement of the shape; false when the
    // shape does not prepare, so the statement is prepared as it stands.
    bool UseShared(sqlite3* db, const SqlShape& shape) {
        auto found = shared_.prepared.find(shape.text);
        if (found == shared_.prepared.end()) {
            if (shared_.prepared.size() >= kMaxPrepared)
                FinalizePrepared(shared_);
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v3(db, shape.text.c_str(), static_cast<int>(shape.text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK || !stmt) {
                sqlite3_finalize(stmt);
                return false;
            }
            found = shared_.prepared.emplace(shape.text, stmt).first;
        }
        stmt_ = found->second;
        for (std::size_t i = 0; i < shape.literals.size(); ++i) {
            const auto& literal = shape.literals[i];
            const int index = static_cast<int>(i) + 1;
            if (literal.isText)
                sqlite3_bind_text(stmt_, index, literal.text.data(), static_cast<int>(literal.text.size()),
                                  SQLITE_TRANSIENT);
            else
                sqlite3_bind_int64(stmt_, index, literal.number);
        }
        return true;
    }

    SharedConnection& shared_;
    sqlite3_stmt* stmt_ = nullptr;
    bool owned_ = false;
};

void Execute(SharedConnection& shared, const std::string& sql) {
    Statement statement(shared, sql);
    while (statement.Step()) {
    }
}

TRowSet ReadAll(SharedConnection& shared, const std::string& sql) {
    Statement statement(shared, sql);
    std::vector<std::string> columns;
    for (int i = 0; i < statement.ColumnCount(); ++i)
        columns.push_back(statement.ColumnName(i));
    std::vector<std::vector<std::string>> rows;
    while (statement.Step()) {
        std::vector<std::string> row;
        row.reserve(columns.size());
        for (int i = 0; i < statement.ColumnCount(); ++i)
            row.push_back(statement.Text(i));
        rows.push_back(std::move(row));
    }
    return TRowSet(std::move(columns), std::move(rows));
}

// Empties the result cache when another connection has committed a change
// since the last look (caller holds the lock).
void DropStaleResults(SharedConnection& shared) {
    sqlite3* db = Connection(shared);
    if (!shared.dataVersion &&
        sqlite3_prepare_v3(db, "PRAGMA data_version", -1, SQLITE_PREPARE_PERSISTENT, &shared.dataVersion, nullptr) !=
            SQLITE_OK)
        throw Error(Describe(shared, sqlite3_errmsg(db)));
    sqlite3_int64 version = -1;
    if (sqlite3_step(shared.dataVersion) == SQLITE_ROW)
        version = sqlite3_column_int64(shared.dataVersion, 0);
    sqlite3_reset(shared.dataVersion);
    if (version != shared.lastDataVersion || version == -1) {
        shared.results.clear();
        shared.lastDataVersion = version;
    }
}

TRowSet CachedRead(SharedConnection& shared, const std::string& sql) {
    DropStaleResults(shared);
    if (auto hit = shared.results.find(sql); hit != shared.results.end()) {
        TRowSet rows = hit->second;
        rows.First();
        return rows;
    }
    TRowSet rows = ReadAll(shared, sql);
    if (shared.results.size() >= kMaxCachedResults)
        shared.results.clear();
    shared.results.emplace(sql, rows);
    return rows;
}

constexpr const char* kSchema[] = {
    "CREATE TABLE t_project ("
    "projectId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectName TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE t_class ("
    "classId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectId INTEGER NOT NULL DEFAULT 0, "
    "className TEXT NOT NULL DEFAULT '', "
    "friendName TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE t_member ("
    "memberId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectId INTEGER NOT NULL DEFAULT 0, "
    "classId INTEGER NOT NULL DEFAULT 0, "
    "memberName TEXT NOT NULL DEFAULT '', "
    "memberType TEXT NOT NULL DEFAULT '', "
    "memberLength INTEGER NOT NULL DEFAULT 0, "
    "memberIsPri INTEGER NOT NULL DEFAULT 0, "
    "memberComment TEXT NOT NULL DEFAULT '', "
    "memberIsMust INTEGER NOT NULL DEFAULT 0, "
    "memberIsInteger INTEGER NOT NULL DEFAULT 0, "
    "memberIsFloat INTEGER NOT NULL DEFAULT 0, "
    "queryFlag INTEGER NOT NULL DEFAULT 0, "
    "memberIsDisplay INTEGER NOT NULL DEFAULT 0, "
    "memberQueryDisplay INTEGER NOT NULL DEFAULT 1)",
};

} // namespace

void TDbHelper::SetModelFile(const std::filesystem::path& file) {
    auto& shared = Shared();
    std::lock_guard guard(shared.lock);
    Close(shared);
    shared.file = std::filesystem::absolute(file);
}

std::filesystem::path TDbHelper::ModelFile() {
    auto& shared = Shared();
    std::lock_guard guard(shared.lock);
    return shared.file;
}

void TDbHelper::CloseConnection() {
    auto& shared = Shared();
    std::lock_guard guard(shared.lock);
    Close(shared);
}

void TDbHelper::CreateModelFile(const std::filesystem::path& file) {
    if (std::filesystem::exists(file))
        throw Error(file.string() + " already exists; it was left untouched");
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::string failure;
    if (rc != SQLITE_OK) {
        failure = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    } else {
        std::string script = "BEGIN;";
        for (const char* statement : kSchema)
            script += std::string(statement) + ";";
        script += kIndexes;
        script += "COMMIT;";
        char* message = nullptr;
        if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            failure = message ? message : "unknown error";
            sqlite3_free(message);
        }
    }
    sqlite3_close_v2(db);
    if (!failure.empty()) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw Error("cannot create the model file " + file.string() + ": " + failure);
    }
}

TRowSet TDbHelper::OpenQuery(const std::string& sql) const {
    auto& shared = Shared();
    std::lock_guard guard(shared.lock);
    return CachedRead(shared, sql);
}

void TDbHelper::ExecSql(const std::string& sql) const {
    auto& shared = Shared();
    std::lock_guard guard(shared.lock);
    shared.results.clear();
    Execute(shared, sql);
}

void TDbHelper::ExecSqlBatch(const std::vector<std::string>& statements) const {
    auto& shared = Shared();
    std::lock_guard guard(shared.lock);
    shared.results.clear();
    Execute(shared, "BEGIN IMMEDIATE");
    try {
        for (const auto& sql : statements)
            Execute(shared, sql);
        Execute(shared, "COMMIT");
    } catch (...) {
        sqlite3_exec(shared.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

int TDbHelper::QueryInt(const std::string& sql) const {
    TRowSet rows = OpenQuery(sql);
    if (rows.Eof())
        return -1;
    return rows.FirstInt();
}

std::string TDbHelper::QueryString(const std::string& sql) const {
    TRowSet rows = OpenQuery(sql);
    return rows.Eof() ? std::string() : rows.FirstColumn();
}

} // namespace quorrel
