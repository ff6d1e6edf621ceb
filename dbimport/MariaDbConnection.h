#pragma once
#include "base/Error.h"
#include "dbimport/SchemaReader.h"

#include <optional>
#include <string>
#include <vector>

struct st_mysql;

namespace quorrel {

// One connection to a MySQL or MariaDB server through MariaDB's C
// connector, open for the object's life. Connecting gives up after
// kConnectTimeoutSeconds, so an unreachable host never hangs a caller; every
// failure raises Failure with a message meant for the user and the server's
// error number.
class TMariaDbConnection {
public:
    static constexpr unsigned kConnectTimeoutSeconds = 5;
    static constexpr unsigned kReadTimeoutSeconds = 30;

    class Failure : public Error {
    public:
        Failure(const std::string& message, unsigned code) : Error(message), code_(code) {}
        unsigned Code() const { return code_; }

    private:
        unsigned code_;
    };

    // One row of a result: every column as text, NULL as no value.
    using Row = std::vector<std::optional<std::string>>;

    explicit TMariaDbConnection(const TConnectionSettings& settings);
    ~TMariaDbConnection();
    TMariaDbConnection(const TMariaDbConnection&) = delete;
    TMariaDbConnection& operator=(const TMariaDbConnection&) = delete;

    std::string ServerInfo() const;
    unsigned long ServerVersion() const;

    // A prepared statement with its values bound, every row as text.
    std::vector<Row> Query(const std::string& sql, const std::vector<std::string>& values = {});
    // The first column of the first row as a number; 0 when there is none.
    long long QueryNumber(const std::string& sql, const std::vector<std::string>& values = {});
    // One statement that returns no rows (a schema change), as text.
    void Execute(const std::string& sql);

    // A name between backquotes, a backquote doubled.
    static std::string QuoteName(const std::string& name);
    // A text as a single-quoted literal for this connection's character set.
    std::string QuoteText(const std::string& text) const;

private:
    st_mysql* mysql_;
};

} // namespace quorrel
