#pragma once
#include "dbimport/SchemaReader.h"

#include <CLI/CLI.hpp>

#include <string>

namespace quorrel {

// The options of `quorrel-cli import-db`.
struct ImportDbOptions {
    TConnectionSettings connection;
    std::string passwordFile;  // "-": standard input
    std::string tablePrefix;
    std::string project;
};

// Declares the options that say where and as whom to connect (--database,
// --socket or --host/--port, --user, --password-file).
void AddConnectionOptions(CLI::App* command, TConnectionSettings& connection, std::string& passwordFile);
// The password of the connection: the first line of the file ("-":
// standard input), none without a file.
void ReadPasswordInto(TConnectionSettings& connection, const std::string& passwordFile);

// Declares the import-db command and its options on the program's parser.
CLI::App* AddImportDbCommand(CLI::App& app, ImportDbOptions& options);

// Reads the database's structure and adds it as one new project; prints
// the guesses, the warnings and a last line naming the project. Raises
// quorrel::Error (the model unchanged) when anything fails.
int ImportDb(ImportDbOptions options);

} // namespace quorrel
