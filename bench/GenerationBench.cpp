// Times the program as a user runs it, through quorrel-cli in child
// processes, so every figure includes the whole program and nothing else:
//   1. a generation run of 300 classes x 15 members against `cp -r` of the
//      same output tree, measured in the same rounds (medians), and the
//      run's peak memory;
//   2. the same run of 2,000 classes against the 300-class run;
//   3. import of model files of 600, 1,200 and 2,400 classes (the largest
//      about 50 MB), whose time should grow in step with the file size.
//   generation_bench [HOME_WITH_BAK [CLI]]   (default: the build's home folder
//   and quorrel-cli)
#include "bench/BenchSupport.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using quorrel::bench::Median;

namespace {

constexpr int kMembers = 15;
std::string cli = QUORREL_CLI;

struct Outcome {
    double seconds = 0;     // wall time
    double cpuSeconds = 0;  // user and system time of the child
    double peakMb = 0;
};

// Runs a program with its output thrown away; the wall time and the peak
// resident memory of the child. Exits the bench when the child fails.
Outcome RunChild(const std::vector<std::string>& args) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::vector<char*> argv;
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "failed:";
        for (const auto& arg : args)
            std::cerr << ' ' << arg;
        std::cerr << "\n";
        std::exit(1);
    }
    Outcome outcome;
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.peakMb = usage.ru_maxrss / 1024.0;
    outcome.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return outcome;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string MemberJson(const std::string& name, const std::string& type, int length, int key, int must, int query,
                       int display, const std::string& padding) {
    return "{\"memberName\":" + Quoted(name) + ",\"memberType\":" + Quoted(type) +
           ",\"memberLength\":" + std::to_string(length) + ",\"memberIsPri\":" + std::to_string(key) +
           ",\"memberComment\":" + Quoted("说明" + name + padding) + ",\"memberIsMust\":" + std::to_string(must) +
           ",\"memberIsInteger\":" + std::to_string(type == "整型") + ",\"memberIsFloat\":" +
           std::to_string(type == "浮点型") + ",\"queryFlag\":" + std::to_string(query) +
           ",\"memberIsDisplay\":" + std::to_string(display) + ",\"memberQueryDisplay\":1}";
}

// A model file of one project "bench": classes of 15 members each: a key, a
// searched display name, references to the two classes before it (one
// searched), two images, a searched date and plain strings, integers and
// floats. Every comment carries the padding, which sets the file's size.
void WriteModel(const fs::path& file, int classes, const std::string& padding) {
    std::ofstream out(file, std::ios::binary);
    out << "{\"projects\":[{\"projectName\":\"bench\",\"classes\":[";
    for (int c = 1; c <= classes; ++c) {
        const std::string cls = "Entity" + std::to_string(c);
        out << (c > 1 ? ",\n" : "\n") << "{\"className\":" << Quoted(cls) << ",\"friendName\":"
            << Quoted("实体" + std::to_string(c)) << ",\"members\":[";
        std::vector<std::string> members = {MemberJson("id", "整型", 0, 1, 1, 0, 0, padding),
                                            MemberJson("title", "字符串", 40, 0, 1, 1, 1, padding)};
        if (c > 2) {
            members.push_back(MemberJson("parent", "Entity" + std::to_string(c - 1), 0, 0, 1, 1, 0, padding));
            members.push_back(MemberJson("owner", "Entity" + std::to_string(c - 2), 0, 0, 1, 0, 0, padding));
        }
        members.push_back(MemberJson("cover", "图片型", 0, 0, 0, 0, 0, padding));
        members.push_back(MemberJson("photo", "图片型", 0, 0, 0, 0, 0, padding));
        members.push_back(MemberJson("day", "日期型", 0, 0, 1, 1, 0, padding));
        for (int m = static_cast<int>(members.size()); m < kMembers; ++m) {
            const char* type = m % 3 == 0 ? "字符串" : m % 3 == 1 ? "整型" : "浮点型";
            members.push_back(
                MemberJson("field" + std::to_string(m), type, m % 3 == 0 ? 20 : 0, 0, 1, 0, 0, padding));
        }
        for (std::size_t i = 0; i < members.size(); ++i)
            out << (i ? "," : "") << members[i];
        out << "]}";
    }
    out << "]}]}\n";
    if (!out) {
        std::cerr << "cannot write " << file << "\n";
        std::exit(1);
    }
}

// A fresh home folder: the resources and templates, an empty model.
fs::path MakeHome(const fs::path& root, const std::string& name, const fs::path& source) {
    const fs::path home = root / name;
    fs::create_directories(home);
    fs::copy(source / "bak", home / "bak", fs::copy_options::recursive);
    fs::copy(source / "template", home / "template", fs::copy_options::recursive);
    RunChild({cli, "--home", home.string(), "init"});
    return home;
}

// The medians of one model's rounds: a fresh generation run followed by a
// copy of what it wrote.
struct RunFigures {
    std::vector<double> runs, copies, runCpu, copyCpu;
    double peakMb = 0;  // largest peak memory of the runs

    void Round(const fs::path& home) {
        fs::remove_all(home / "projects");
        fs::remove_all(home / "copy");
        const Outcome run = RunChild({cli, "--home", home.string(), "generate", "bench"});
        const Outcome copy = RunChild({"cp", "-r", (home / "projects/bench").string(), (home / "copy").string()});
        runs.push_back(run.seconds);
        copies.push_back(copy.seconds);
        runCpu.push_back(run.cpuSeconds);
        copyCpu.push_back(copy.cpuSeconds);
        peakMb = std::max(peakMb, run.peakMb);
    }
    double Run() const { return Median(runs); }
    double Copy() const { return Median(copies); }
    // Processor time (user + system), which a busy machine disturbs less
    // than wall time.
    double RunCpu() const { return Median(runCpu); }
    double CopyCpu() const { return Median(copyCpu); }
};

} // namespace

int main(int argc, char** argv) {
    const fs::path source = quorrel::bench::SourceHome(argc, argv, QUORREL_HOME_DIR);
    if (source.empty())
        return 1;
    if (argc > 2)
        cli = argv[2];
    const fs::path root = fs::temp_directory_path() / ("quorrel-bench-" + std::to_string(getpid()));
    fs::create_directories(root);

    // The two models' rounds alternate, so a change in the machine's load
    // touches both alike.
    constexpr int kRounds = 5;
    const fs::path small = MakeHome(root, "small", source);
    WriteModel(root / "small.json", 300, "");
    RunChild({cli, "--home", small.string(), "import", (root / "small.json").string()});
    const fs::path large = MakeHome(root, "large", source);
    WriteModel(root / "large.json", 2000, "");
    RunChild({cli, "--home", large.string(), "import", (root / "large.json").string()});
    RunFigures s, l;
    for (int round = 0; round < kRounds; ++round) {
        s.Round(small);
        l.Round(large);
    }

    // 1. 300 classes against cp -r.
    std::size_t files = 0;
    for (auto it = fs::recursive_directory_iterator(small / "projects/bench"); it != fs::recursive_directory_iterator();
         ++it)
        files += it->is_regular_file();
    std::printf("300 classes x %d members, %zu files written (medians of %d rounds)\n", kMembers, files, kRounds);
    std::printf("  generation run: %.3f s, cp -r of its output: %.3f s\n", s.Run(), s.Copy());
    std::printf("  ratio run / cp -r: %.2f (target <= 1.3)\n", s.Run() / s.Copy());
    std::printf("  processor time: run %.3f s, cp -r %.3f s, ratio %.2f\n", s.RunCpu(), s.CopyCpu(),
                s.RunCpu() / s.CopyCpu());
    std::printf("  peak memory of the run: %.1f MB (target < 40)\n", s.peakMb);

    // 2. 2,000 classes against 300.
    std::printf("2,000 classes x %d members\n", kMembers);
    std::printf("  generation run: %.3f s, cp -r of its output: %.3f s\n", l.Run(), l.Copy());
    std::printf("  ratio 2,000 / 300 classes: %.2f (target <= 8)\n", l.Run() / s.Run());
    std::printf("  processor time: run %.3f s (%.2f x the 300-class run), cp -r %.3f s\n", l.RunCpu(),
                l.RunCpu() / s.RunCpu(), l.CopyCpu());
    std::printf("  peak memory of the run: %.1f MB\n", l.peakMb);
    std::fflush(stdout);
    fs::remove_all(small);
    fs::remove_all(large);

    // 3. Import of growing model files; the largest about 50 MB.
    const std::string padding(1330, 'x');
    double perMbFirst = 0;
    for (int classes : {600, 1200, 2400}) {
        const fs::path file = root / ("import" + std::to_string(classes) + ".json");
        WriteModel(file, classes, padding);
        const double mb = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
        std::vector<double> times;
        double peak = 0;
        for (int round = 0; round < 3; ++round) {
            const fs::path home = root / "import-home";
            fs::remove_all(home);
            fs::create_directories(home);
            RunChild({cli, "--home", home.string(), "init"});
            const Outcome o = RunChild({cli, "--home", home.string(), "import", file.string()});
            times.push_back(o.seconds);
            peak = std::max(peak, o.peakMb);
        }
        const double t = Median(times);
        const double perMb = t / mb;
        if (perMbFirst == 0)
            perMbFirst = perMb;
        std::printf("import of %d classes (%.1f MB): %.3f s (median of 3), %.3f s per MB, %.2f x the per-MB time "
                    "of the smallest (linear: 1), peak memory %.1f MB\n",
                    classes, mb, t, perMb, perMb / perMbFirst, peak);
        std::fflush(stdout);
        fs::remove(file);
    }
    fs::remove_all(root);
    return 0;
}
