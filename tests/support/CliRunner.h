#pragma once
#include "tests/support/SiteHome.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace quorrel::test {

// What one run of quorrel-cli did: its exit status and both streams.
struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

// The argument quoted for the shell.
inline std::string ShellQuote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs quorrel-cli (the program the tests are built with) on a home folder,
// as a user or a script runs it, capturing both streams.
inline CliResult RunCli(const std::filesystem::path& home, const std::vector<std::string>& args) {
    TempFolder scratch;
    std::string command = ShellQuote(QUORREL_CLI) + " --home " + ShellQuote(home.string());
    for (const auto& arg : args)
        command += " " + ShellQuote(arg);
    const std::filesystem::path out = scratch.path() / "out", err = scratch.path() / "err";
    command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

} // namespace quorrel::test
