#include "migration/Migration.h"

#include "base/Error.h"
#include "base/UtcTime.h"
#include "dbimport/MariaDbSchemaReader.h"
#include "generation/ModelHistory.h"
#include "migration/MigrationPlanner.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <set>

namespace quorrel {
namespace fs = std::filesystem;
namespace {

class ConnectionCounter : public RowCounter {
public:
    explicit ConnectionCounter(TMariaDbConnection& connection) : connection_(connection) {}
    long long Count(const std::string& sql) override { return connection_.QueryNumber(sql); }

private:
    TMariaDbConnection& connection_;
};

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

std::string FirstLine(const std::string& statement) { return statement.substr(0, statement.find('\n')); }


// Releases the named lock of the migration when the apply ends, however.
class MigrationLock {
public:
    explicit MigrationLock(TMariaDbConnection& connection) : connection_(connection) {
        if (connection_.QueryNumber("SELECT GET_LOCK(CONCAT('quorrel-migrate:', DATABASE()), 0)") != 1)
            throw Error("另一个数据库变更正在这个数据库上执行，没有执行任何语句；等它结束后再运行一次");
    }
    ~MigrationLock() {
        try {
            connection_.QueryNumber("SELECT RELEASE_LOCK(CONCAT('quorrel-migrate:', DATABASE()))");
        } catch (const Error&) {
            // The lock ends with the connection anyway.
        }
    }

private:
    TMariaDbConnection& connection_;
};

} // namespace

TMigration::TMigration(TMariaDbConnection& connection, fs::path site, TSchemaModel target, std::string tablePrefix)
    : connection_(connection), site_(std::move(site)), target_(std::move(target)), tablePrefix_(std::move(tablePrefix)) {}

TMigrationPlan TMigration::Plan(bool allowDataLoss) {
    std::vector<std::string> problems;
    std::vector<TSchemaModel> records;
    for (auto& record : ModelHistory::Load(site_, problems))
        records.push_back(std::move(record.schema));
    const TDatabaseSchema database = TMariaDbSchemaReader::ReadSchema(connection_);
    ConnectionCounter counter(connection_);
    TMigrationPlan plan =
        TMigrationPlanner::Plan({database, tablePrefix_, records, target_, allowDataLoss, &counter});
    for (const auto& problem : problems)
        plan.notes.push_back("生成记录" + problem + "，没有使用");
    if (records.empty())
        plan.notes.push_back("网站还没有生成记录（" + std::string(ModelHistory::kRelativeFolder) +
                             "）：只有与今天的模型同名的表和列被认出");
    return plan;
}

std::vector<std::string> TMigration::RightsNeeded(const std::vector<std::string>& statements) {
    std::set<std::string> rights;
    for (const auto& statement : statements) {
        if (StartsWith(statement, "ALTER TABLE")) {
            rights.insert("ALTER");
            if (statement.find(" FOREIGN KEY (") != std::string::npos)
                rights.insert("REFERENCES");
        } else if (StartsWith(statement, "RENAME TABLE")) {
            rights.insert("ALTER");
            rights.insert("DROP");
            rights.insert("CREATE");
            rights.insert("INSERT");
        } else if (StartsWith(statement, "DROP TABLE")) {
            rights.insert("DROP");
        } else if (StartsWith(statement, "CREATE TABLE")) {
            rights.insert("CREATE");
        } else if (StartsWith(statement, "UPDATE")) {
            rights.insert("UPDATE");
            rights.insert("SELECT");
        }
    }
    return {rights.begin(), rights.end()};
}

void TMigration::CheckRights(const std::vector<std::string>& needed) {
    // The account's rights on every database and on this one; rights given
    // on single tables only are not looked at (such an account is refused
    // here and can be given the rights on the database).
    std::set<std::string> held;
    const char* rightsSql =
        "SELECT PRIVILEGE_TYPE FROM information_schema.USER_PRIVILEGES WHERE GRANTEE = "
        "CONCAT('''', SUBSTRING_INDEX(CURRENT_USER(), '@', 1), '''@''', SUBSTRING_INDEX(CURRENT_USER(), '@', -1), '''') "
        "UNION SELECT PRIVILEGE_TYPE FROM information_schema.SCHEMA_PRIVILEGES WHERE GRANTEE = "
        "CONCAT('''', SUBSTRING_INDEX(CURRENT_USER(), '@', 1), '''@''', SUBSTRING_INDEX(CURRENT_USER(), '@', -1), '''') "
        "AND DATABASE() LIKE TABLE_SCHEMA";
    for (const auto& row : connection_.Query(rightsSql))
        if (!row.empty() && row.front())
            held.insert(*row.front());
    std::string missing;
    for (const auto& right : needed)
        if (!held.count(right))
            missing += (missing.empty() ? "" : "、") + right;
    if (!missing.empty()) {
        const std::string user = connection_.Query("SELECT CURRENT_USER()").at(0).at(0).value_or("");
        const std::string database = connection_.Query("SELECT DATABASE()").at(0).at(0).value_or("");
        throw Error("用户" + user + "对数据库" + database + "缺少数据库变更需要的权限：" + missing +
                    "，没有执行任何语句；请用有这些权限的账号执行（帮助页中有建立这种账号的SQL）");
    }
}

void TMigration::Record(const std::string& line) {
    const fs::path file = site_ / kLogPath;
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::app | std::ios::binary);
    out << line << "\n";
    out.flush();
    if (!out)
        throw Error("无法写入" + file.string());
}

void TMigration::Apply(const TMigrationPlan& plan, ProgressSink& log) {
    const std::vector<std::string> statements = plan.Statements();
    if (statements.empty()) {
        log.AddLine(ReportLine::Progress("数据库已与模型一致，没有需要执行的语句。"));
        return;
    }
    MigrationLock lock(connection_);
    CheckRights(RightsNeeded(statements));
    const TDatabaseSchema now = TMariaDbSchemaReader::ReadSchema(connection_);
    if (TMigrationPlanner::Fingerprint(now, tablePrefix_) != plan.fingerprint)
        throw Error("数据库的结构在生成变更脚本之后又变了，没有执行任何语句；请重新运行一次数据库变更");

    for (const auto& setting : TMigrationPlan::SessionSettings())
        connection_.Execute(setting);
    const std::string database = plan.database;
    Record("# " + UtcNow() + " 数据库" + database + "：开始执行" + std::to_string(statements.size()) + "条语句");
    for (std::size_t i = 0; i < statements.size(); ++i) {
        const std::string number = std::to_string(i + 1) + "/" + std::to_string(statements.size());
        log.AddLine(ReportLine::Progress("正在执行第" + number + "条：" + FirstLine(statements[i])));
        try {
            connection_.Execute(statements[i]);
        } catch (const Error& e) {
            Record("# " + UtcNow() + " 第" + number + "条失败：" + e.what());
            throw Error("第" + number + "条语句失败" + e.what() + "：" + FirstLine(statements[i]) + "。前" +
                        std::to_string(i) +
                        "条已经执行（MariaDB不能撤销结构变更）；解决问题后再运行一次数据库变更，会从这里继续");
        }
        Record(statements[i] + ";");
    }
    Record("# " + UtcNow() + " 数据库" + database + "：全部执行完毕");
    // The database now has today's structure, unless changes were left out:
    // then the records it was paired with still explain it.
    if (plan.LeftOut() == 0)
        ModelHistory::Keep(site_, target_);
    log.AddLine(ReportLine::Progress("数据库变更完毕：执行了" + std::to_string(statements.size()) + "条语句。"));
}

} // namespace quorrel
