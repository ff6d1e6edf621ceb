#include "dbimport/MariaDbSchemaReader.h"

#include "base/Error.h"

#include <mysql.h>
#include <mysqld_error.h>
#include <errmsg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace quorrel {
namespace {

struct CloseConnection {
    void operator()(MYSQL* mysql) const { mysql_close(mysql); }
};
struct CloseStatement {
    void operator()(MYSQL_STMT* stmt) const { mysql_stmt_close(stmt); }
};
using Connection = std::unique_ptr<MYSQL, CloseConnection>;
using Statement = std::unique_ptr<MYSQL_STMT, CloseStatement>;

// One row of a result: every column as text, NULL as no value.
using Row = std::vector<std::optional<std::string>>;

std::string ServerText(unsigned code, const char* message) {
    return "（" + std::to_string(code) + " " + message + "）";
}

// Says, in the user's terms, why the connection was refused.
[[noreturn]] void ConnectFailed(MYSQL* mysql, const TConnectionSettings& settings) {
    const unsigned code = mysql_errno(mysql);
    const std::string server = ServerText(code, mysql_error(mysql));
    const std::string where = !settings.socket.empty() ? "套接字" + settings.socket
                                                        : (settings.host.empty() ? "localhost" : settings.host) +
                                                              (settings.port ? ":" + std::to_string(settings.port) : "");
    switch (code) {
    case ER_ACCESS_DENIED_ERROR:
    case ER_ACCESS_DENIED_NO_PASSWORD_ERROR:
        throw Error("数据库服务器拒绝登录：用户名或密码错误" + server);
    case ER_DBACCESS_DENIED_ERROR:
        throw Error("用户" + settings.user + "无权访问数据库" + settings.database + server);
    case ER_BAD_DB_ERROR:
        throw Error("数据库" + settings.database + "不存在" + server);
    case CR_CONNECTION_ERROR:
    case CR_CONN_HOST_ERROR:
    case CR_UNKNOWN_HOST:
    case CR_SERVER_LOST:
    case CR_SERVER_GONE_ERROR:
        throw Error("无法连接数据库服务器" + where + "，请检查地址、端口和服务器是否运行" + server);
    default:
        throw Error("连接数据库服务器" + where + "失败" + server);
    }
}

Connection Connect(const TConnectionSettings& settings) {
    if (settings.database.empty())
        throw Error("请填写数据库名称");
    if (settings.user.empty())
        throw Error("请填写用户名");
    // The library's global state is set up once, before any thread uses it.
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] {
        if (mysql_library_init(0, nullptr, nullptr) != 0)
            throw Error("无法初始化MariaDB客户端库");
    });
    Connection mysql(mysql_init(nullptr));
    if (!mysql)
        throw Error("无法初始化数据库连接：内存不足");
    const unsigned connectTimeout = TMariaDbSchemaReader::kConnectTimeoutSeconds;
    const unsigned ioTimeout = TMariaDbSchemaReader::kReadTimeoutSeconds;
    mysql_optionsv(mysql.get(), MYSQL_OPT_CONNECT_TIMEOUT, &connectTimeout);
    mysql_optionsv(mysql.get(), MYSQL_OPT_READ_TIMEOUT, &ioTimeout);
    mysql_optionsv(mysql.get(), MYSQL_OPT_WRITE_TIMEOUT, &ioTimeout);
    mysql_optionsv(mysql.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
    const char* host = settings.host.empty() ? nullptr : settings.host.c_str();
    const char* socket = nullptr;
    if (!settings.socket.empty()) {
        const unsigned protocol = MYSQL_PROTOCOL_SOCKET;
        mysql_optionsv(mysql.get(), MYSQL_OPT_PROTOCOL, &protocol);
        host = "localhost";
        socket = settings.socket.c_str();
    }
    if (!mysql_real_connect(mysql.get(), host, settings.user.c_str(), settings.password.c_str(),
                            settings.database.c_str(), settings.socket.empty() ? settings.port : 0, socket, 0))
        ConnectFailed(mysql.get(), settings);
    return mysql;
}

[[noreturn]] void StatementFailed(MYSQL_STMT* stmt, const char* what) {
    throw Error(std::string("读取数据库结构失败（") + what + "）" +
                ServerText(mysql_stmt_errno(stmt), mysql_stmt_error(stmt)));
}

// Runs one query with the database name bound to its only parameter and
// returns every row, each column converted to text.
std::vector<Row> Query(MYSQL* mysql, const char* sql, const std::string& database) {
    Statement stmt(mysql_stmt_init(mysql));
    if (!stmt)
        throw Error("读取数据库结构失败：内存不足");
    if (mysql_stmt_prepare(stmt.get(), sql, std::strlen(sql)) != 0)
        StatementFailed(stmt.get(), sql);

    MYSQL_BIND param{};
    unsigned long paramLength = database.size();
    param.buffer_type = MYSQL_TYPE_STRING;
    param.buffer = const_cast<char*>(database.data());
    param.buffer_length = paramLength;
    param.length = &paramLength;
    if (mysql_stmt_bind_param(stmt.get(), &param) != 0 || mysql_stmt_execute(stmt.get()) != 0)
        StatementFailed(stmt.get(), sql);
    if (mysql_stmt_store_result(stmt.get()) != 0)
        StatementFailed(stmt.get(), sql);

    const unsigned columns = mysql_stmt_field_count(stmt.get());
    std::vector<MYSQL_BIND> binds(columns);
    std::vector<std::vector<char>> buffers(columns, std::vector<char>(256));
    std::vector<unsigned long> lengths(columns);
    std::vector<my_bool> nulls(columns), errors(columns);
    for (unsigned i = 0; i < columns; ++i) {
        binds[i].buffer_type = MYSQL_TYPE_STRING;
        binds[i].buffer = buffers[i].data();
        binds[i].buffer_length = buffers[i].size();
        binds[i].length = &lengths[i];
        binds[i].is_null = &nulls[i];
        binds[i].error = &errors[i];
    }
    if (mysql_stmt_bind_result(stmt.get(), binds.data()) != 0)
        StatementFailed(stmt.get(), sql);

    std::vector<Row> rows;
    for (;;) {
        const int status = mysql_stmt_fetch(stmt.get());
        if (status == MYSQL_NO_DATA)
            break;
        if (status == 1)
            StatementFailed(stmt.get(), sql);
        Row row(columns);
        for (unsigned i = 0; i < columns; ++i) {
            if (nulls[i])
                continue;
            if (lengths[i] <= buffers[i].size()) {
                row[i] = std::string(buffers[i].data(), lengths[i]);
                continue;
            }
            // Longer than the buffer (a long comment): fetch the whole value.
            std::string value(lengths[i], '\0');
            MYSQL_BIND whole{};
            unsigned long wholeLength = 0;
            whole.buffer_type = MYSQL_TYPE_STRING;
            whole.buffer = value.data();
            whole.buffer_length = value.size();
            whole.length = &wholeLength;
            if (mysql_stmt_fetch_column(stmt.get(), &whole, i, 0) != 0)
                StatementFailed(stmt.get(), sql);
            value.resize(std::min<unsigned long>(wholeLength, value.size()));
            row[i] = std::move(value);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string Text(const Row& row, std::size_t i) { return row.at(i).value_or(""); }
int Int(const Row& row, std::size_t i) { return row.at(i) ? std::stoi(*row[i]) : 0; }

} // namespace

std::string TMariaDbSchemaReader::TestConnection(const TConnectionSettings& settings) {
    Connection mysql = Connect(settings);
    return mysql_get_server_info(mysql.get());
}

TDatabaseSchema TMariaDbSchemaReader::ReadSchema(const TConnectionSettings& settings) {
    Connection mysql = Connect(settings);
    TDatabaseSchema schema;
    schema.database = settings.database;

    for (const Row& row : Query(mysql.get(),
                                "SELECT TABLE_NAME, TABLE_TYPE, TABLE_COMMENT FROM information_schema.TABLES "
                                "WHERE TABLE_SCHEMA = ?",
                                settings.database))
        schema.tables.push_back({Text(row, 0), Text(row, 1) != "BASE TABLE", Text(row, 2)});

    for (const Row& row : Query(mysql.get(),
                                "SELECT TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, DATA_TYPE, COLUMN_TYPE, "
                                "CHARACTER_MAXIMUM_LENGTH, IS_NULLABLE, COLUMN_COMMENT "
                                "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = ?",
                                settings.database)) {
        TDatabaseSchema::Column column;
        column.table = Text(row, 0);
        column.name = Text(row, 1);
        column.position = Int(row, 2);
        column.dataType = Text(row, 3);
        column.columnType = Text(row, 4);
        if (row.at(5))
            column.maxLength = std::stoll(*row[5]);
        column.nullable = Text(row, 6) == "YES";
        column.comment = Text(row, 7);
        schema.columns.push_back(std::move(column));
    }

    for (const Row& row : Query(mysql.get(),
                                "SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME, ORDINAL_POSITION, "
                                "REFERENCED_TABLE_SCHEMA, REFERENCED_TABLE_NAME, REFERENCED_COLUMN_NAME "
                                "FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = ?",
                                settings.database))
        schema.keyColumns.push_back(
            {Text(row, 0), Text(row, 1), Text(row, 2), Int(row, 3), Text(row, 4), Text(row, 5), Text(row, 6)});

    // MariaDB stores a JSON column as longtext with a json_valid() check;
    // its CHECK_CONSTRAINTS view names the table (MySQL's does not, and
    // MySQL reports such a column as json itself).
    const char* info = mysql_get_server_info(mysql.get());
    if (std::strstr(info, "MariaDB") && mysql_get_server_version(mysql.get()) >= 100200)
        for (const Row& row : Query(mysql.get(),
                                    "SELECT TABLE_NAME, CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS "
                                    "WHERE CONSTRAINT_SCHEMA = ?",
                                    settings.database))
            schema.checks.push_back({Text(row, 0), Text(row, 1)});
    return schema;
}

} // namespace quorrel
