#include "model/DbHelper.h"

#include "base/Error.h"
#include "base/ProgramFolder.h"
#include "base/TextEncoding.h"

#include <sqlite3.h>

#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace quorrel {
namespace {

constexpr int kBusyTimeoutMs = 2000;

constexpr const char* kIndexes =
    "CREATE INDEX IF NOT EXISTS t_member_classId ON t_member(classId);"
    "CREATE INDEX IF NOT EXISTS t_class_projectId ON t_class(projectId);";

// Every class and member carries an identity that no rename changes and
// that export and import carry from one model file to another: 32 random
// hex digits. A row inserted without one (every insert of the dialogs) gets
// a new one from the trigger; rows of a file made before identities get
// theirs when the file is first opened.
constexpr const char* kIdentityTriggers =
    "CREATE TRIGGER IF NOT EXISTS t_class_uid AFTER INSERT ON t_class WHEN NEW.classUid = '' BEGIN "
    "UPDATE t_class SET classUid = lower(hex(randomblob(16))) WHERE classId = NEW.classId; END;"
    "CREATE TRIGGER IF NOT EXISTS t_member_uid AFTER INSERT ON t_member WHEN NEW.memberUid = '' BEGIN "
    "UPDATE t_member SET memberUid = lower(hex(randomblob(16))) WHERE memberId = NEW.memberId; END;";

constexpr const char* kIdentityFill =
    "UPDATE t_class SET classUid = lower(hex(randomblob(16))) WHERE classUid = '';"
    "UPDATE t_member SET memberUid = lower(hex(randomblob(16))) WHERE memberUid = '';";

// The shared connection and the lock that keeps operations of different
// threads from interleaving on it.
struct SharedConnection {
    std::mutex lock;
    sqlite3* db = nullptr;
    std::filesystem::path file = ProgramFolder() / "projects.mdb";
    // Prepared statements by their text. The texts are the fixed ones of
    // the access classes (values are bound), so each is parsed once.
    std::unordered_map<std::string, sqlite3_stmt*> prepared;
};

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
    FinalizePrepared(shared);
    if (shared.db) {
        sqlite3_close_v2(shared.db);
        shared.db = nullptr;
    }
}

// Runs a script of statements separated by ";" on db; the error's text when
// one fails (the statements before it have run).
std::optional<std::string> RunScript(sqlite3* db, const std::string& script) {
    char* message = nullptr;
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return std::nullopt;
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    return text;
}

// The script as one transaction, begun by `begin`: all of it or, rolled
// back, none of it, with the error's text. (When `begin` itself failed there
// is nothing to roll back, and the rollback's own failure says nothing more.)
std::optional<std::string> RunScriptInTransaction(sqlite3* db, const char* begin, const std::string& script) {
    std::optional<std::string> failure = RunScript(db, std::string(begin) + ";" + script + "COMMIT;");
    if (failure)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return failure;
}

// Gives a model file made before identities its two identity columns, the
// triggers and an identity for every row, in one transaction. Once the file
// has the columns and the triggers, every row inserted later (by any
// version of the program) gets its identity from them, so one statement
// tells that nothing is to do. A file that cannot be changed (read-only,
// locked) is left as it is: what needs identities reports the missing column.
void AddIdentities(sqlite3* db) {
    const char* state =
        "SELECT (SELECT count(*) FROM pragma_table_info('t_class') WHERE name IN ('classId', 'classUid')), "
        "(SELECT count(*) FROM pragma_table_info('t_member') WHERE name IN ('memberId', 'memberUid')), "
        "(SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name IN ('t_class_uid', 't_member_uid'))";
    sqlite3_stmt* stmt = nullptr;
    int classColumns = 0, memberColumns = 0, triggers = 0;
    if (sqlite3_prepare_v2(db, state, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        classColumns = sqlite3_column_int(stmt, 0);
        memberColumns = sqlite3_column_int(stmt, 1);
        triggers = sqlite3_column_int(stmt, 2);
    }
    sqlite3_finalize(stmt);
    if (classColumns == 0 || memberColumns == 0)
        return;  // not a model file, or unreadable: the statements that need the tables say so
    if (classColumns == 2 && memberColumns == 2 && triggers == 2)
        return;
    std::string script;
    if (classColumns == 1)
        script += "ALTER TABLE t_class ADD COLUMN classUid TEXT NOT NULL DEFAULT '';";
    if (memberColumns == 1)
        script += "ALTER TABLE t_member ADD COLUMN memberUid TEXT NOT NULL DEFAULT '';";
    script += kIdentityTriggers;
    script += kIdentityFill;
    // A failure leaves the file as it was (see above).
    static_cast<void>(RunScriptInTransaction(db, "BEGIN IMMEDIATE", script));
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
    // table, a locked file), the statements that need the table report the
    // real error.
    sqlite3_exec(db, kIndexes, nullptr, nullptr, nullptr);
    AddIdentities(db);
    shared.db = db;
    return db;
}

// One statement with its values bound, from the cache of prepared
// statements; reset and unbound whatever happens. Only one runs at a time
// (the caller holds the lock).
class Statement {
public:
    Statement(SharedConnection& shared, const std::string& sql, const TSqlValues& values) : shared_(shared) {
        sqlite3* db = Connection(shared);
        auto found = shared.prepared.find(sql);
        if (found == shared.prepared.end()) {
            if (shared.prepared.size() >= kMaxPrepared)
                FinalizePrepared(shared);
            sqlite3_stmt* stmt = nullptr;
            const char* tail = nullptr;
            if (sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt,
                                   &tail) != SQLITE_OK) {
                sqlite3_finalize(stmt);
                throw Error(Describe(shared, sqlite3_errmsg(db)));
            }
            if (!stmt)
                throw Error("empty SQL statement");
            if (tail && std::string_view(tail).find_first_not_of(" \t\r\n;") != std::string_view::npos) {
                sqlite3_finalize(stmt);
                throw Error("more than one SQL statement in one operation: " + sql);
            }
            found = shared.prepared.emplace(sql, stmt).first;
        }
        stmt_ = found->second;
        if (sqlite3_bind_parameter_count(stmt_) != static_cast<int>(values.size())) {
            const std::string count = std::to_string(sqlite3_bind_parameter_count(stmt_));
            throw Error("the statement takes " + count + " values, " + std::to_string(values.size()) +
                        " were given: " + sql);
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            const int index = static_cast<int>(i) + 1;
            int rc = SQLITE_OK;
            if (const auto* number = std::get_if<long long>(&values[i])) {
                rc = sqlite3_bind_int64(stmt_, index, *number);
            } else {
                const std::string& text = std::get<std::string>(values[i]);
                if (text.find('\0') != std::string::npos)
                    throw Error("a text value contains a NUL character, which the model cannot store");
                rc = sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
            }
            if (rc != SQLITE_OK)
                throw Error(Describe(shared, sqlite3_errmsg(db)));
        }
    }
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
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
    sqlite3_stmt* Handle() const { return stmt_; }
    int ColumnCount() const { return sqlite3_column_count(stmt_); }
    std::string ColumnName(int i) const { return sqlite3_column_name(stmt_, i); }

private:
    SharedConnection& shared_;
    sqlite3_stmt* stmt_ = nullptr;
};

std::string RawColumnText(sqlite3_stmt* stmt, int i) {
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
    return text ? std::string(text, sqlite3_column_bytes(stmt, i)) : std::string();
}

// A column's text as UTF-8. Models written by older versions hold GBK text,
// which is converted; text that is neither is refused naming its row (by
// the statement's first column, the row's id in every statement that reads
// text) rather than passed on to corrupt what is made from it.
std::string ColumnText(sqlite3_stmt* stmt, int i) {
    std::string text = RawColumnText(stmt, i);
    if (IsValidUtf8(text))
        return text;
    try {
        return GbkToUtf8(text);
    } catch (const Error&) {
        throw Error(std::string("the stored text of ") + sqlite3_column_name(stmt, i) + " in the row whose " +
                    sqlite3_column_name(stmt, 0) + " is " + RawColumnText(stmt, 0) +
                    " is neither UTF-8 nor GBK; correct it in the model");
    }
}

void Execute(SharedConnection& shared, const std::string& sql, const TSqlValues& values) {
    Statement statement(shared, sql, values);
    while (statement.Step()) {
    }
}

// A column's value as it is stored: an integer as an integer, anything else
// (a NULL as empty text) as its text.
TSqlValue ColumnValue(sqlite3_stmt* stmt, int i) {
    if (sqlite3_column_type(stmt, i) == SQLITE_INTEGER)
        return static_cast<long long>(sqlite3_column_int64(stmt, i));
    return ColumnText(stmt, i);
}

TRowSet ReadAll(SharedConnection& shared, const std::string& sql, const TSqlValues& values) {
    Statement statement(shared, sql, values);
    std::vector<std::string> columns;
    for (int i = 0; i < statement.ColumnCount(); ++i)
        columns.push_back(statement.ColumnName(i));
    std::vector<std::vector<TSqlValue>> rows;
    while (statement.Step()) {
        std::vector<TSqlValue> row;
        row.reserve(columns.size());
        for (int i = 0; i < statement.ColumnCount(); ++i)
            row.push_back(ColumnValue(statement.Handle(), i));
        rows.push_back(std::move(row));
    }
    return TRowSet(std::move(columns), std::move(rows));
}

// A statement that is not cached: transaction control.
void Control(SharedConnection& shared, const char* sql) {
    if (std::optional<std::string> failure = RunScript(Connection(shared), sql))
        throw Error(Describe(shared, *failure));
}

constexpr const char* kSchema[] = {
    "CREATE TABLE t_project ("
    "projectId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectName TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE t_class ("
    "classId INTEGER PRIMARY KEY AUTOINCREMENT, "
    "projectId INTEGER NOT NULL DEFAULT 0, "
    "className TEXT NOT NULL DEFAULT '', "
    "friendName TEXT NOT NULL DEFAULT '', "
    "classUid TEXT NOT NULL DEFAULT '')",
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
    "memberQueryDisplay INTEGER NOT NULL DEFAULT 1, "
    "memberUid TEXT NOT NULL DEFAULT '')",
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
        std::string script;
        for (const char* statement : kSchema)
            script += std::string(statement) + ";";
        script += kIndexes;
        script += kIdentityTriggers;
        failure = RunScriptInTransaction(db, "BEGIN", script).value_or("");
    }
    sqlite3_close_v2(db);
    if (!failure.empty()) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw Error("cannot create the model file " + file.string() + ": " + failure);
    }
}

long long TDbRow::Int(int column) const {
    return sqlite3_column_int64(static_cast<sqlite3_stmt*>(stmt_), column);
}

std::string TDbRow::Text(int column) const {
    return ColumnText(static_cast<sqlite3_stmt*>(stmt_), column);
}

TRowSet TDbSession::Query(const std::string& sql, const TSqlValues& values) {
    return ReadAll(Shared(), sql, values);
}

void TDbSession::ForEachRow(const std::string& sql, const TSqlValues& values,
                            const std::function<void(const TDbRow&)>& onRow) {
    Statement statement(Shared(), sql, values);
    const TDbRow row(statement.Handle());
    while (statement.Step())
        onRow(row);
}

void TDbSession::Exec(const std::string& sql, const TSqlValues& values) {
    Execute(Shared(), sql, values);
}

int TDbSession::QueryInt(const std::string& sql, const TSqlValues& values) {
    TRowSet rows = Query(sql, values);
    return rows.Eof() ? -1 : rows.FirstInt();
}

std::string TDbSession::QueryString(const std::string& sql, const TSqlValues& values) {
    TRowSet rows = Query(sql, values);
    return rows.Eof() ? std::string() : rows.FirstString();
}

long long TDbSession::LastInsertId() const {
    return sqlite3_last_insert_rowid(Shared().db);
}

TDbSession TDbHelper::Session() const {
    return TDbSession(std::unique_lock(Shared().lock));
}

void TDbHelper::Transaction(Access access, const std::function<void(TDbSession&)>& body) const {
    TDbSession session = Session();
    auto& shared = Shared();
    Control(shared, access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN");
    try {
        body(session);
        Control(shared, "COMMIT");
    } catch (...) {
        // The body's or the commit's error is the one raised.
        sqlite3_exec(shared.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace quorrel
