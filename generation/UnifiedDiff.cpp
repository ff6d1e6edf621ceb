#include "generation/UnifiedDiff.h"

#include "base/Error.h"
#include "base/FileOperate.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

extern char** environ;

namespace quorrel {
namespace fs = std::filesystem;
namespace {

// A private temporary folder, removed with its files.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (fs::temp_directory_path() / "quorrel-diff-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw Error("cannot create a temporary folder for diff: " + std::string(std::strerror(errno)));
        path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// The environment of diff: the caller's, with the messages in the C locale
// so that what diff prints does not depend on the user's language.
std::vector<std::string> DiffEnvironment() {
    std::vector<std::string> variables;
    for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (text.rfind("LC_", 0) == 0 || text.rfind("LANG=", 0) == 0 || text.rfind("LANGUAGE=", 0) == 0)
            continue;
        variables.push_back(text);
    }
    variables.emplace_back("LC_ALL=C");
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::string UnifiedDiff::Between(const std::optional<std::string>& before, const std::string& after,
                                 const std::string& beforeLabel, const std::string& afterLabel) {
    if (before && *before == after)
        return {};
    TemporaryFolder folder;
    const fs::path beforeFile = folder.Path() / "before";
    const fs::path afterFile = folder.Path() / "after";
    const fs::path errors = folder.Path() / "errors";
    TFileOperate::ReplaceFile(beforeFile, before.value_or(std::string()));
    TFileOperate::ReplaceFile(afterFile, after);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        throw Error("cannot start diff: " + std::string(std::strerror(errno)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> args = {"diff",      "-u",         "--label",          beforeLabel, "--label",
                                     afterLabel,  "--",         beforeFile.string(), afterFile.string()};
    std::vector<std::string> environment = DiffEnvironment();
    auto argv = Pointers(args);
    auto envp = Pointers(environment);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, "diff", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        ::close(pipe[0]);
        throw Error("cannot run diff (Debian package diffutils): " + std::string(std::strerror(spawned)));
    }

    std::string output;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(pipe[0], buffer, sizeof buffer);
        if (got > 0) {
            output.append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    ::close(pipe[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw Error("cannot wait for diff: " + std::string(std::strerror(errno)));
    }
    // diff answers 0 when the files are equal, 1 when they differ.
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1))
        return output;
    std::string message;
    try {
        message = TFileOperate::ReadBytes(errors);
    } catch (const Error&) {
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    throw Error("diff failed" + (message.empty() ? std::string() : ": " + message));
}

} // namespace quorrel
