#include "cli/ImportDb.h"

#include "base/Error.h"
#include "base/ReportLine.h"
#include "dbimport/DatabaseImport.h"
#include "dbimport/MariaDbSchemaReader.h"

#include <fstream>
#include <iostream>
#include <iterator>

namespace quorrel {
namespace {

// The password is the file's first line (its line end is not part of it).
std::string ReadPassword(const std::string& file) {
    std::string text;
    if (file == "-") {
        std::getline(std::cin, text);
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            throw Error("cannot read the password file " + file);
        std::getline(in, text);
        if (in.bad())
            throw Error("cannot read the password file " + file);
    }
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return text;
}

} // namespace

void AddConnectionOptions(CLI::App* command, TConnectionSettings& connection, std::string& passwordFile) {
    command->add_option("--database", connection.database, "the database to read")->required();
    auto* socket = command->add_option("--socket", connection.socket, "the server's Unix socket");
    auto* host = command->add_option("--host", connection.host, "the server's host name or address");
    auto* port = command->add_option("--port", connection.port, "the server's TCP port (default 3306)")
                     ->check(CLI::Range(1, 65535));
    socket->excludes(host)->excludes(port);
    command->add_option("--user", connection.user, "the user to log in as")->required();
    command->add_option("--password-file", passwordFile,
                        "a file whose first line is the password ('-': standard input); without it, no password");
}

void ReadPasswordInto(TConnectionSettings& connection, const std::string& passwordFile) {
    if (!passwordFile.empty())
        connection.password = ReadPassword(passwordFile);
}

CLI::App* AddImportDbCommand(CLI::App& app, ImportDbOptions& options) {
    auto* command = app.add_subcommand(
        "import-db", "add a new project read from the structure of a MySQL/MariaDB database (one class per table)");
    AddConnectionOptions(command, options.connection, options.passwordFile);
    command->add_option("--table-prefix", options.tablePrefix,
                        "import only the tables whose names start with it, and strip it from the class names");
    command->add_option("--project", options.project, "the new project's name (default: the database's name)");
    return command;
}

int ImportDb(ImportDbOptions options) {
    ReadPasswordInto(options.connection, options.passwordFile);
    TMariaDbSchemaReader reader;
    const TDbImportResult result =
        TDatabaseImport(reader).Run(options.connection, options.tablePrefix, options.project);
    for (const auto& line : result.guesses)
        std::cout << line << "\n";
    for (const auto& warning : result.warnings)
        std::cout << ReportLine::Warning(warning).Rendered() << "\n";
    std::cout << "imported project " << result.projectName << " from database " << options.connection.database
              << ": " << result.classCount << " classes, " << result.warnings.size() << " warnings\n";
    return 0;
}

} // namespace quorrel
