#pragma once
#include "dbimport/DatabaseSchema.h"

#include <string>

namespace quorrel {

// Where and as whom to connect. The password lives only here, for the
// length of one import; it is never written to the model.
struct TConnectionSettings {
    std::string host;    // empty: the local server
    unsigned port = 0;   // 0: the default port
    std::string socket;  // a Unix socket; when set, host and port are not used
    std::string user;
    std::string password;
    std::string database;
};

// Reads the structure of a database. Every failure (the server cannot be
// reached, the login or the database is refused) raises quorrel::Error with
// a message meant for the user.
class SchemaReader {
public:
    virtual ~SchemaReader() = default;
    // Connects and disconnects; returns the server's version text.
    virtual std::string TestConnection(const TConnectionSettings& settings) = 0;
    virtual TDatabaseSchema ReadSchema(const TConnectionSettings& settings) = 0;
};

} // namespace quorrel
