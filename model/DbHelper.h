#pragma once
#include "model/RowSet.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorrel {

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

    TRowSet OpenQuery(const std::string& sql) const;
    void ExecSql(const std::string& sql) const;
    // All statements in one transaction; on failure the transaction is
    // rolled back and the error is raised to the caller.
    void ExecSqlBatch(const std::vector<std::string>& statements) const;
    // First column of the first row; -1 when there is no row.
    int QueryInt(const std::string& sql) const;
    // First column of the first row; empty text when there is no row.
    std::string QueryString(const std::string& sql) const;
};

} // namespace quorrel
