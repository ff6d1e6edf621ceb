#pragma once
#include "model/RowSet.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>

namespace quorrel {

// One row of a statement being walked; valid only inside the callback.
class TDbRow {
public:
    explicit TDbRow(void* stmt) : stmt_(stmt) {}
    long long Int(int column) const;
    std::string Text(int column) const;

private:
    void* stmt_;
};

// The shared connection, held: the one way every statement reaches the
// model database (values always bound, never in the statement's text). Got
// from TDbHelper::Session, where each statement is its own transaction, or
// handed to the body of TDbHelper::Transaction. While it lives, other
// threads wait for the connection: keep it no longer than its statements.
class TDbSession {
public:
    TRowSet Query(const std::string& sql, const TSqlValues& values = {});
    // Calls onRow for every row, in the order the statement returns them.
    void ForEachRow(const std::string& sql, const TSqlValues& values, const std::function<void(const TDbRow&)>& onRow);
    void Exec(const std::string& sql, const TSqlValues& values = {});
    // First column of the first row; -1 / empty text when there is no row.
    int QueryInt(const std::string& sql, const TSqlValues& values = {});
    std::string QueryString(const std::string& sql, const TSqlValues& values = {});
    // The id the database gave the row of the last insert.
    long long LastInsertId() const;

    TDbSession(const TDbSession&) = delete;
    TDbSession& operator=(const TDbSession&) = delete;

private:
    friend class TDbHelper;
    explicit TDbSession(std::unique_lock<std::mutex> held) : held_(std::move(held)) {}

    std::unique_lock<std::mutex> held_;
};

// The only class that talks to the model database. Every helper shares one
// process-wide connection, opened on first use and kept open. A session
// holds a process-wide lock while it lives, so the GUI thread and a
// generation worker may use the model at the same time.
class TDbHelper {
public:
    TDbHelper() = default;

    // The model file used by the shared connection; by default projects.mdb
    // in the program's folder. Setting another file closes the connection.
    static void SetModelFile(const std::filesystem::path& file);
    static std::filesystem::path ModelFile();
    // Releases the shared connection; the next operation opens it again.
    static void CloseConnection();
    // Creates a model file holding the three empty tables. Refuses to touch
    // a file that already exists.
    static void CreateModelFile(const std::filesystem::path& file);

    // The connection for statements that each stand alone, as in
    // db.Session().Exec(...): held until the session is gone.
    TDbSession Session() const;

    enum class Access { Read, Write };
    // Runs body inside one transaction while holding the connection: a read
    // transaction sees one state of the file however other connections
    // change it meanwhile; a write transaction takes the write lock at once.
    // Committed when body returns, rolled back when it throws (the error
    // raised to the caller).
    void Transaction(Access access, const std::function<void(TDbSession&)>& body) const;
};

} // namespace quorrel
