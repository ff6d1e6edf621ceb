// Times import-db against a private MariaDB (started here on a Unix socket
// in a temporary folder, stopped by pid), with baselines measured in the
// same run:
//   1. quorrel-cli import-db of a database of 300 tables (made from the
//      script of a 300-class model) against quorrel-cli import of the same
//      model from its JSON file: both make the same project, so the ratio
//      is the cost of reading the server;
//   2. the same against 900 tables: the time should grow with the tables;
//   3. in-process, once connected: reading information_schema and mapping;
//   4. quorrel-cli migrate of the 300-table database after ten changes of
//      its model (member and class renames, widened strings, new members)
//      against quorrel-cli import-db of the same database: both read the
//      whole structure, so the ratio is the cost of pairing and planning.
//   import_db_bench [HOME_WITH_BAK [CLI]]   (default: the build's home folder
//   and quorrel-cli)
#include "bench/BenchSupport.h"

#include "dbimport/MariaDbSchemaReader.h"
#include "dbimport/SchemaMapper.h"
#include "model/DbHelper.h"

#include <mysql.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using quorrel::bench::Median;
using Clock = std::chrono::steady_clock;

namespace {

std::string cli = QUORREL_CLI;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Starts a program; its output goes to the file (or /dev/null).
pid_t Spawn(const std::vector<std::string>& args, const std::string& output = "/dev/null") {
    // What is printed so far must not be printed again by the child.
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        if (!std::freopen(output.c_str(), "w", stdout))
            _exit(126);
        std::vector<char*> argv;
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Runs a program to its end; the wall time. Exits the bench when it fails.
double Run(const std::vector<std::string>& args, const std::string& output = "/dev/null") {
    const auto start = Clock::now();
    int status = 0;
    if (waitpid(Spawn(args, output), &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "failed:";
        for (const auto& arg : args)
            std::cerr << ' ' << arg;
        std::cerr << "\n";
        std::exit(1);
    }
    return Seconds(start);
}

std::string Member(const std::string& name, const std::string& type, int length, int key, const std::string& comment) {
    return "{\"memberName\":\"" + name + "\",\"memberType\":\"" + type + "\",\"memberLength\":" +
           std::to_string(length) + ",\"memberIsPri\":" + std::to_string(key) + ",\"memberComment\":\"" + comment +
           "\",\"memberIsMust\":1,\"memberIsDisplay\":" + std::to_string(name == "title") + "}";
}

// A model of one project "bench": classes of 12 members: a key, a display
// name, references to the two classes before it, an image, a date and
// plain strings, integers and floats.
void WriteModel(const fs::path& file, int classes) {
    std::ofstream out(file, std::ios::binary);
    out << "{\"projects\":[{\"projectName\":\"bench\",\"classes\":[";
    for (int c = 1; c <= classes; ++c) {
        out << (c > 1 ? ",\n" : "\n") << "{\"className\":\"Entity" << c << "\",\"friendName\":\"实体" << c
            << "\",\"members\":[" << Member("id", "整型", 0, 1, "编号") << "," << Member("title", "字符串", 40, 0, "标题");
        if (c > 2)
            out << "," << Member("parent", "Entity" + std::to_string(c - 1), 0, 0, "上级") << ","
                << Member("owner", "Entity" + std::to_string(c - 2), 0, 0, "所属");
        out << "," << Member("cover", "图片型", 0, 0, "封面") << "," << Member("day", "日期型", 0, 0, "日期");
        for (int m = 0; m < 6; ++m) {
            const char* type = m % 3 == 0 ? "字符串" : m % 3 == 1 ? "整型" : "浮点型";
            out << "," << Member("field" + std::to_string(m), type, m % 3 == 0 ? 20 : 0, 0, "字段");
        }
        out << "]}";
    }
    out << "]}]}\n";
}

fs::path MakeHome(const fs::path& root, const std::string& name, const fs::path& source) {
    const fs::path home = root / name;
    fs::remove_all(home);
    fs::create_directories(home);
    fs::create_directory_symlink(source / "bak", home / "bak");
    fs::create_directory_symlink(source / "template", home / "template");
    Run({cli, "--home", home.string(), "init"});
    return home;
}

MYSQL* Connect(const std::string& socket, const char* database) {
    MYSQL* mysql = mysql_init(nullptr);
    if (!mysql_real_connect(mysql, "localhost", "root", "", database, 0, socket.c_str(), CLIENT_MULTI_STATEMENTS)) {
        mysql_close(mysql);
        return nullptr;
    }
    return mysql;
}

// Runs a script of many statements; exits the bench on the first failure.
void Execute(MYSQL* mysql, const std::string& script) {
    if (mysql_real_query(mysql, script.data(), script.size()) != 0) {
        std::cerr << "the script failed: " << mysql_error(mysql) << "\n";
        std::exit(1);
    }
    do {
        if (MYSQL_RES* result = mysql_store_result(mysql))
            mysql_free_result(result);
        if (mysql_errno(mysql) != 0) {
            std::cerr << "the script failed: " << mysql_error(mysql) << "\n";
            std::exit(1);
        }
    } while (mysql_next_result(mysql) == 0);
}

// The database "tablesN": the script of an N-class model, as a user would load it.
void MakeDatabase(const fs::path& root, const fs::path& source, const std::string& socket, int classes) {
    const fs::path home = MakeHome(root, "make", source);
    WriteModel(root / "model.json", classes);
    Run({cli, "--home", home.string(), "import", (root / "model.json").string()});
    Run({cli, "--home", home.string(), "sql", "bench"}, (root / "script.sql").string());
    std::ifstream in(root / "script.sql", std::ios::binary);
    std::stringstream script;
    script << in.rdbuf();
    const std::string name = "tables" + std::to_string(classes);
    MYSQL* mysql = Connect(socket, nullptr);
    Execute(mysql, "CREATE DATABASE " + name + " CHARACTER SET utf8mb4; USE " + name + ";" + script.str());
    mysql_close(mysql);
}

struct Figures {
    double importDb = 0, importJson = 0;
};

Figures Measure(const fs::path& root, const fs::path& source, const std::string& socket, int classes) {
    constexpr int kRounds = 5;
    WriteModel(root / "model.json", classes);
    std::vector<double> db, json;
    for (int round = 0; round < kRounds; ++round) {
        const fs::path a = MakeHome(root, "a", source);
        db.push_back(Run({cli, "--home", a.string(), "import-db", "--socket", socket, "--user", "root", "--database",
                          "tables" + std::to_string(classes), "--table-prefix", "php_", "--project", "bench"}));
        const fs::path b = MakeHome(root, "b", source);
        json.push_back(Run({cli, "--home", b.string(), "import", (root / "model.json").string()}));
    }
    return {Median(db), Median(json)};
}

} // namespace

int main(int argc, char** argv) {
    const fs::path source = quorrel::bench::SourceHome(argc, argv, QUORREL_HOME_DIR);
    if (source.empty())
        return 1;
    if (argc > 2)
        cli = argv[2];
    const fs::path root = fs::temp_directory_path() / ("quorrel-import-bench-" + std::to_string(getpid()));
    fs::create_directories(root / "mariadb-tmp");

    // A private server, as the script tests start one.
    const std::string socket = (root / "mysql.sock").string();
    std::vector<std::string> asRoot;
    if (getuid() == 0)
        asRoot.push_back("--user=root");
    std::vector<std::string> install = {"mariadb-install-db", "--no-defaults", "--datadir=" + (root / "data").string(),
                                        "--tmpdir=" + (root / "mariadb-tmp").string(),
                                        "--auth-root-authentication-method=normal", "--skip-test-db"};
    install.insert(install.end(), asRoot.begin(), asRoot.end());
    Run(install);
    std::vector<std::string> server = {"mariadbd", "--no-defaults", "--datadir=" + (root / "data").string(),
                                       "--tmpdir=" + (root / "mariadb-tmp").string(), "--socket=" + socket,
                                       "--skip-networking", "--log-error=" + (root / "mysqld.err").string(),
                                       "--skip-log-bin", "--innodb-buffer-pool-size=64M"};
    server.insert(server.end(), asRoot.begin(), asRoot.end());
    const pid_t serverPid = Spawn(server);
    MYSQL* probe = nullptr;
    for (int i = 0; i < 1200 && !probe; ++i) {
        if (waitpid(serverPid, nullptr, WNOHANG) == serverPid) {
            std::cerr << "MariaDB ended; see " << (root / "mysqld.err").string() << "\n";
            return 1;
        }
        probe = Connect(socket, nullptr);
        if (!probe)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!probe) {
        std::cerr << "MariaDB does not answer\n";
        kill(serverPid, SIGTERM);
        return 1;
    }
    mysql_close(probe);

    MakeDatabase(root, source, socket, 300);
    MakeDatabase(root, source, socket, 900);

    const Figures small = Measure(root, source, socket, 300);
    std::printf("300 tables x 12 columns (medians of 5 rounds)\n");
    std::printf("  quorrel-cli import-db: %.3f s; quorrel-cli import of the same model as JSON: %.3f s\n",
                small.importDb, small.importJson);
    std::printf("  ratio import-db / import: %.2f\n", small.importDb / small.importJson);
    const Figures large = Measure(root, source, socket, 900);
    std::printf("900 tables x 12 columns\n");
    std::printf("  quorrel-cli import-db: %.3f s; import of the JSON: %.3f s; ratio %.2f\n", large.importDb,
                large.importJson, large.importDb / large.importJson);
    std::printf("  ratio 900 / 300 tables: %.2f (linear: 3)\n", large.importDb / small.importDb);

    // Once connected: information_schema read and mapped, nothing stored.
    quorrel::TConnectionSettings settings;
    settings.socket = socket;
    settings.user = "root";
    for (int classes : {300, 900}) {
        settings.database = "tables" + std::to_string(classes);
        std::vector<double> reads, maps;
        for (int round = 0; round < 5; ++round) {
            auto start = Clock::now();
            const quorrel::TDatabaseSchema schema = quorrel::TMariaDbSchemaReader().ReadSchema(settings);
            reads.push_back(Seconds(start));
            start = Clock::now();
            const quorrel::TSchemaImport import = quorrel::TSchemaMapper::Map(schema, "php_", "bench");
            maps.push_back(Seconds(start));
            if (import.project.Classes().size() != static_cast<std::size_t>(classes)) {
                std::cerr << "expected " << classes << " classes, mapped " << import.project.Classes().size() << "\n";
                return 1;
            }
        }
        std::printf("in-process, %d tables: connect and read information_schema %.3f s, map %.4f s\n", classes,
                    Median(reads), Median(maps));
    }

    // Ten changes of a generated model, then the script that follows them.
    {
        const fs::path home = MakeHome(root, "migrate", source);
        WriteModel(root / "model.json", 300);
        Run({cli, "--home", home.string(), "import", (root / "model.json").string()});
        Run({cli, "--home", home.string(), "generate", "bench"});
        quorrel::TDbHelper::SetModelFile(home / "projects.mdb");
        const quorrel::TDbHelper db;
        for (int c : {11, 12, 13, 14})  // four member renames
            db.Session().Exec("update t_member set memberName='renamed' where memberName='field1' and classId=?", {c});
        for (int c : {21, 22}) {  // two class renames, the references follow
            const std::string from = "Entity" + std::to_string(c), to = "Moved" + std::to_string(c);
            db.Session().Exec("update t_class set className=? where className=?", {to, from});
            db.Session().Exec("update t_member set memberType=? where memberType=?", {to, from});
        }
        for (int c : {31, 32})  // two longer strings
            db.Session().Exec("update t_member set memberLength=60 where memberName='field0' and classId=?", {c});
        for (int c : {41, 42})  // two new members
            db.Session().Exec("insert into t_member(projectId,classId,memberName,memberType,memberLength,memberComment,"
                              "memberIsMust) values (1,?,'extra','字符串',10,'新字段',1)",
                              {c});
        quorrel::TDbHelper::CloseConnection();
        const std::vector<std::string> migrate = {cli, "--home", home.string(), "migrate", "bench", "--socket",
                                                  socket, "--user", "root", "--database", "tables300"};
        Run(migrate, (root / "migrate.sql").string());
        std::ifstream in(root / "migrate.sql");
        const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (script.find("改名表2，改名列4，新增列2，修改列2") == std::string::npos) {
            std::cerr << "the script does not hold the ten changes:\n" << script;
            return 1;
        }
        std::vector<double> times, imports;
        for (int round = 0; round < 5; ++round) {
            times.push_back(Run(migrate));
            const fs::path a = MakeHome(root, "a", source);
            imports.push_back(Run({cli, "--home", a.string(), "import-db", "--socket", socket, "--user", "root",
                                   "--database", "tables300", "--table-prefix", "php_", "--project", "bench"}));
        }
        std::printf("migrate of 300 tables after 10 model changes (medians of 5 rounds)\n");
        std::printf("  quorrel-cli migrate: %.3f s; quorrel-cli import-db of the same database: %.3f s; ratio %.2f\n",
                    Median(times), Median(imports), Median(times) / Median(imports));
    }
    std::fflush(stdout);

    kill(serverPid, SIGTERM);
    waitpid(serverPid, nullptr, 0);
    fs::remove_all(root);
    return 0;
}
