#include "base/ThreeWayMerge.h"

#include "base/Error.h"
#include "base/FileOperate.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace quorrel {
namespace fs = std::filesystem;
namespace {

// A folder of its own for the three inputs, removed with them.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "quorrel-merge-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw Error("cannot make a temporary folder for a merge: " + std::string(std::strerror(errno)));
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

} // namespace

TMergeResult MergeThreeWay(const std::string& ours, const std::string& base, const std::string& theirs,
                           const TMergeLabels& labels) {
    ScratchFolder scratch;
    const fs::path oursFile = scratch.Path() / "ours", baseFile = scratch.Path() / "base",
                   theirsFile = scratch.Path() / "theirs";
    TFileOperate::ReplaceFile(oursFile, ours);
    TFileOperate::ReplaceFile(baseFile, base);
    TFileOperate::ReplaceFile(theirsFile, theirs);

    int output[2];
    if (pipe(output) != 0)
        throw Error("cannot run diff3: " + std::string(std::strerror(errno)));
    // --show-overlap: only changes that overlap are bracketed; the same change
    // made on both sides is taken once.
    std::vector<std::string> args = {"diff3", "--merge", "--show-overlap", "--text", "-L", labels.ours, "-L", labels.base,
                                     "-L", labels.theirs, oursFile.string(), baseFile.string(), theirsFile.string()};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(output[0]);
        close(output[1]);
        throw Error("cannot run diff3: " + std::string(std::strerror(errno)));
    }
    if (pid == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execvp("diff3", argv.data());
        _exit(127);
    }
    close(output[1]);
    TMergeResult result;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(output[0], buffer, sizeof buffer);
        if (n > 0) {
            result.text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(output[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        throw Error(WIFEXITED(status) && WEXITSTATUS(status) == 127
                        ? std::string("cannot merge: diff3 was not found (Debian package diffutils)")
                        : std::string("diff3 could not merge the texts"));
    result.conflicts = WEXITSTATUS(status) == 1;
    return result;
}

} // namespace quorrel
