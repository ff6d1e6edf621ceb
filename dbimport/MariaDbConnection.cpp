#include "dbimport/MariaDbConnection.h"

#include <mysql.h>
#include <mysqld_error.h>
#include <errmsg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace quorrel {
namespace {

struct CloseConnection {
    void operator()(MYSQL* mysql) const { mysql_close(mysql); }
};
struct CloseStatement {
    void operator()(MYSQL_STMT* stmt) const { mysql_stmt_close(stmt); }
};
using Statement = std::unique_ptr<MYSQL_STMT, CloseStatement>;
using Row = TMariaDbConnection::Row;

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

MYSQL* Connect(const TConnectionSettings& settings) {
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
    std::unique_ptr<MYSQL, CloseConnection> mysql(mysql_init(nullptr));
    if (!mysql)
        throw Error("无法初始化数据库连接：内存不足");
    const unsigned connectTimeout = TMariaDbConnection::kConnectTimeoutSeconds;
    const unsigned ioTimeout = TMariaDbConnection::kReadTimeoutSeconds;
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
    return mysql.release();
}

[[noreturn]] void StatementFailed(MYSQL_STMT* stmt, const char* what) {
    throw TMariaDbConnection::Failure(std::string("数据库语句失败（") + what + "）" +
                                          ServerText(mysql_stmt_errno(stmt), mysql_stmt_error(stmt)),
                                      mysql_stmt_errno(stmt));
}

std::vector<Row> RunQuery(MYSQL* mysql, const char* sql, const std::vector<std::string>& values) {
    Statement stmt(mysql_stmt_init(mysql));
    if (!stmt)
        throw Error("读取数据库结构失败：内存不足");
    if (mysql_stmt_prepare(stmt.get(), sql, std::strlen(sql)) != 0)
        StatementFailed(stmt.get(), sql);

    if (mysql_stmt_param_count(stmt.get()) != values.size())
        throw Error(std::string("the statement takes another number of values: ") + sql);
    std::vector<MYSQL_BIND> params(values.size());
    std::vector<unsigned long> paramLengths(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        paramLengths[i] = values[i].size();
        params[i].buffer_type = MYSQL_TYPE_STRING;
        params[i].buffer = const_cast<char*>(values[i].data());
        params[i].buffer_length = paramLengths[i];
        params[i].length = &paramLengths[i];
    }
    if ((!params.empty() && mysql_stmt_bind_param(stmt.get(), params.data()) != 0) ||
        mysql_stmt_execute(stmt.get()) != 0)
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

} // namespace

TMariaDbConnection::TMariaDbConnection(const TConnectionSettings& settings) : mysql_(Connect(settings)) {}

TMariaDbConnection::~TMariaDbConnection() { mysql_close(mysql_); }

std::string TMariaDbConnection::ServerInfo() const { return mysql_get_server_info(mysql_); }

unsigned long TMariaDbConnection::ServerVersion() const { return mysql_get_server_version(mysql_); }

std::vector<TMariaDbConnection::Row> TMariaDbConnection::Query(const std::string& sql,
                                                               const std::vector<std::string>& values) {
    return RunQuery(mysql_, sql.c_str(), values);
}

long long TMariaDbConnection::QueryNumber(const std::string& sql, const std::vector<std::string>& values) {
    const auto rows = Query(sql, values);
    if (rows.empty() || rows.front().empty() || !rows.front().front())
        return 0;
    return std::stoll(*rows.front().front());
}

void TMariaDbConnection::Execute(const std::string& sql) {
    if (mysql_real_query(mysql_, sql.data(), sql.size()) != 0)
        throw Failure(ServerText(mysql_errno(mysql_), mysql_error(mysql_)), mysql_errno(mysql_));
    // A statement that unexpectedly returns rows: read and drop them.
    if (MYSQL_RES* result = mysql_store_result(mysql_))
        mysql_free_result(result);
    else if (mysql_field_count(mysql_) != 0)
        throw Failure(ServerText(mysql_errno(mysql_), mysql_error(mysql_)), mysql_errno(mysql_));
}

std::string TMariaDbConnection::QuoteName(const std::string& name) {
    std::string text = "`";
    for (char c : name)
        text += c == '`' ? std::string("``") : std::string(1, c);
    return text + "`";
}

std::string TMariaDbConnection::QuoteText(const std::string& text) const {
    std::string buffer(text.size() * 2 + 1, '\0');
    const unsigned long length = mysql_real_escape_string(mysql_, buffer.data(), text.data(), text.size());
    buffer.resize(length);
    return "'" + buffer + "'";
}

} // namespace quorrel
