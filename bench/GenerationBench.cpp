// Times one generation run of a large model against copying the same output
// tree with `cp -r`, measured in the same run, and reports peak memory.
//   generation_bench [HOME_WITH_BAK]   (default: the build's home folder)
#include "generation/AutoCode.h"
#include "model/ClassDAO.h"
#include "model/DbHelper.h"
#include "model/Member.h"
#include "model/ProjectDAO.h"
#include "model/Sql.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace quorrel;

namespace {

const int kClasses = std::getenv("QUORREL_BENCH_CLASSES") ? std::atoi(std::getenv("QUORREL_BENCH_CLASSES")) : 300;
constexpr int kMembers = 15;

class SilentReporter : public RunReporter {
public:
    void AddLine(const std::string&) override { ++lines; }
    void CheckFailed(int, ModelCheck) override { failed = true; }
    void Finished() override { finished = true; }
    void Failed(const std::string& message) override {
        failed = true;
        std::cerr << "run failed: " << message << "\n";
    }
    int lines = 0;
    bool finished = false, failed = false;
};

std::string MemberRow(int classId, const std::string& name, const std::string& type, int length, int key,
                      int must, int query, int display) {
    using std::to_string;
    return "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,memberComment,"
           "memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,memberQueryDisplay) values (1," +
           to_string(classId) + "," + SqlText(name) + "," + SqlText(type) + "," + to_string(length) + "," +
           to_string(key) + ",'说明" + name + "'," + to_string(must) + "," + to_string(type == kTypeInteger) + "," +
           to_string(type == kTypeFloat) + "," + to_string(query) + "," + to_string(display) + ",1)";
}

// 300 classes of 15 members: a key, a display name, references to two
// earlier classes (one searched), two images, a searched date and the rest
// plain strings, integers and floats.
void BuildModel() {
    std::vector<std::string> rows = {"insert into t_project(projectName) values ('bench')"};
    for (int c = 1; c <= kClasses; ++c) {
        const std::string cls = "Entity" + std::to_string(c);
        rows.push_back("insert into t_class(projectId,className,friendName) values (1,'" + cls + "','实体" +
                       std::to_string(c) + "')");
        rows.push_back(MemberRow(c, "id", kTypeInteger, 0, 1, 1, 0, 0));
        rows.push_back(MemberRow(c, "title", kTypeString, 40, 0, 1, 1, 1));
        int added = 2;
        if (c > 2) {
            rows.push_back(MemberRow(c, "parent", "Entity" + std::to_string(c - 1), 0, 0, 1, 1, 0));
            rows.push_back(MemberRow(c, "owner", "Entity" + std::to_string(c - 2), 0, 0, 1, 0, 0));
            added += 2;
        }
        rows.push_back(MemberRow(c, "cover", kTypeImage, 0, 0, 0, 0, 0));
        rows.push_back(MemberRow(c, "photo", kTypeImage, 0, 0, 0, 0, 0));
        rows.push_back(MemberRow(c, "day", kTypeDate, 0, 0, 1, 1, 0));
        added += 3;
        for (int m = added; m < kMembers; ++m) {
            const char* type = m % 3 == 0 ? kTypeString : m % 3 == 1 ? kTypeInteger : kTypeFloat;
            rows.push_back(MemberRow(c, "field" + std::to_string(m), type, type == kTypeString ? 20 : 0, 0, 1, 0, 0));
        }
    }
    TDbHelper().ExecSqlBatch(rows);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const fs::path source = argc > 1 ? fs::path(argv[1]) : fs::path(QUORREL_HOME_DIR);
    if (!fs::is_directory(source / "bak") || !fs::is_directory(source / "template")) {
        std::cerr << source.string() << " holds no bak/ and template/; build the project first\n";
        return 1;
    }
    const fs::path home = fs::temp_directory_path() / ("quorrel-bench-" + std::to_string(getpid()));
    fs::create_directories(home);
    fs::copy(source / "bak", home / "bak", fs::copy_options::recursive);
    fs::copy(source / "template", home / "template", fs::copy_options::recursive);
    TDbHelper::CreateModelFile(home / "projects.mdb");
    TDbHelper::SetModelFile(home / "projects.mdb");
    BuildModel();

    // Three rounds, each a fresh generation and a copy of what it wrote;
    // the medians are compared, so one slow moment does not decide.
    constexpr int kRounds = 3;
    std::vector<double> runs, copies;
    int lines = 0;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove_all(home / "projects");
        fs::remove_all(home / "copy");
        SilentReporter reporter;
        const auto start = std::chrono::steady_clock::now();
        TAutoCode(1, "bench", "php_", home, reporter).Execute();
        runs.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (!reporter.finished) {
            std::cerr << "the generation run did not finish\n";
            return 1;
        }
        lines = reporter.lines;
        const std::string copy =
            "cp -r '" + (home / "projects/bench").string() + "' '" + (home / "copy").string() + "'";
        const auto copyStart = std::chrono::steady_clock::now();
        if (std::system(copy.c_str()) != 0) {
            std::cerr << "cp -r failed\n";
            return 1;
        }
        copies.push_back(Seconds(std::chrono::steady_clock::now() - copyStart));
    }
    std::sort(runs.begin(), runs.end());
    std::sort(copies.begin(), copies.end());
    const double generation = runs[kRounds / 2], baseline = copies[kRounds / 2];

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::size_t files = 0;
    for (auto it = fs::recursive_directory_iterator(home / "projects/bench"); it != fs::recursive_directory_iterator(); ++it)
        files += it->is_regular_file();

    std::printf("model: %d classes x %d members; output: %zu files, %d progress lines\n", kClasses, kMembers, files,
                lines);
    std::printf("generation run: %.3f s (median of %d)\n", generation, kRounds);
    std::printf("cp -r baseline: %.3f s (median of %d)\n", baseline, kRounds);
    std::printf("ratio generation / cp -r: %.2f (target <= 3)\n", generation / baseline);
    std::printf("peak memory: %.1f MB (target < 100)\n", usage.ru_maxrss / 1024.0);
    TDbHelper::CloseConnection();
    fs::remove_all(home);
    return 0;
}
