#pragma once
#include "model/RowSet.h"

#include <filesystem>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace quorrel {

// The values bound to the "?" parameters of one statement, in order. Every
// value reaches the database this way; statement texts hold no values.
using TSqlValue = std::variant<long long, std::string>;
using TSqlValues = std::vector<TSqlValue>;

// One statement with its values.
struct TSqlStatement {
    std::string sql;
    TSqlValues values;
};

// One row of a statement being walked; valid only inside the callback.
class TDbRow {
public:
    explicit TDbRow(void* stmt) : stmt_(stmt) {}
    long long Int(int column) const;
    std::string Text(int column) const;

private:
    void* stmt_;
};

// The shared connection inside one transaction, handed to the body of
// TDbHelper::Transaction. Not to be kept beyond it.
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

private:
    friend class TDbHelper;
    TDbSession() = default;
};

// The only class that talks to the model database. Every helper shares one
// process-wide connection, opened on first use and kept open. Each operation
// holds a process-wide lock while it runs, so the GUI thread and a generation
// worker may use the model at the same time.
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

    TRowSet OpenQuery(const std::string& sql, const TSqlValues& values = {}) const;
    void ExecSql(const std::string& sql, const TSqlValues& values = {}) const;
    // All statements in one transaction; on failure the transaction is
    // rolled back and the error is raised to the caller.
    void ExecSqlBatch(const std::vector<TSqlStatement>& statements) const;
    // First column of the first row; -1 when there is no row.
    int QueryInt(const std::string& sql, const TSqlValues& values = {}) const;
    // First column of the first row; empty text when there is no row.
    std::string QueryString(const std::string& sql, const TSqlValues& values = {}) const;

    enum class Access { Read, Write };
    // Runs body inside one transaction while holding the connection: a read
    // transaction sees one state of the file however other connections
    // change it meanwhile; a write transaction takes the write lock at once.
    // Committed when body returns, rolled back when it throws.
    void Transaction(Access access, const std::function<void(TDbSession&)>& body) const;
};

} // namespace quorrel
