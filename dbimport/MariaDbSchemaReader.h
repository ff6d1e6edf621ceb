#pragma once
#include "dbimport/SchemaReader.h"

namespace quorrel {

// Reads a database's structure from a MySQL or MariaDB server through
// MariaDB's C connector: one connection per call, information_schema
// queries with the database name bound as a parameter.
class TMariaDbConnection;

class TMariaDbSchemaReader : public SchemaReader {
public:
    std::string TestConnection(const TConnectionSettings& settings) override;
    TDatabaseSchema ReadSchema(const TConnectionSettings& settings) override;
    // The structure of the connection's current database.
    static TDatabaseSchema ReadSchema(TMariaDbConnection& connection);
};

} // namespace quorrel
