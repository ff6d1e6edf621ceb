#pragma once
#include "dbimport/SchemaReader.h"

namespace quorrel {

// Reads a database's structure from a MySQL or MariaDB server through
// MariaDB's C connector: one connection per call, information_schema
// queries with the database name bound as a parameter. Connecting gives up
// after kConnectTimeoutSeconds, so an unreachable host never hangs a caller.
class TMariaDbSchemaReader : public SchemaReader {
public:
    static constexpr unsigned kConnectTimeoutSeconds = 5;
    static constexpr unsigned kReadTimeoutSeconds = 30;

    std::string TestConnection(const TConnectionSettings& settings) override;
    TDatabaseSchema ReadSchema(const TConnectionSettings& settings) override;
};

} // namespace quorrel
