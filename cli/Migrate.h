#pragma once
#include "base/Folders.h"
#include "dbimport/SchemaReader.h"

#include <CLI/CLI.hpp>

#include <string>

namespace quorrel {

// The options of `quorrel-cli migrate`.
struct MigrateOptions {
    std::string project;
    std::string tablePrefix = "php_";
    TConnectionSettings connection;
    std::string passwordFile;
    bool allowDataLoss = false;
    bool apply = false;
};

CLI::App* AddMigrateCommand(CLI::App& app, MigrateOptions& options);

// Prints the change script from the database to the project's model, and
// with apply runs it. Returns 0, or kLeftOut when data-losing or blocked
// changes were left out of the script.
int Migrate(const TFolders& folders, int projectId, MigrateOptions options);

inline constexpr int kLeftOut = 4;

} // namespace quorrel
