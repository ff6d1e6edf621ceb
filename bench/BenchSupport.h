#pragma once
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <vector>

namespace quorrel::bench {

// The middle of the rounds' figures: one slow round (another program
// running) does not move it.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The laid-out home folder whose resources the benches copy or link: the
// first argument, else the build tree's. Empty, with a message, when it is
// not laid out.
inline std::filesystem::path SourceHome(int argc, char** argv, const char* buildHome) {
    const std::filesystem::path source = argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(buildHome);
    if (!std::filesystem::is_directory(source / "bak") || !std::filesystem::is_directory(source / "template")) {
        std::cerr << source.string() << " holds no bak/ and template/; build the project first\n";
        return {};
    }
    return source;
}

} // namespace quorrel::bench
