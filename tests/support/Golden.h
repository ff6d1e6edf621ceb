#pragma once
// In-memory generator output and golden-file comparison, shared by the
// generator tests. QUORREL_UPDATE_GOLDEN=1 rewrites the goldens.
#include "base/OutputTree.h"
#include "base/Error.h"
#include "tests/support/SiteHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace quorrel::test {

// Keeps every written file of a site in memory, a second write replacing
// the first, and the progress line of each write.
class MemoryOutputTree : public OutputTree {
public:
    void Write(const std::string& sitePath, const std::string& text, const std::string& progressLine) override {
        files[sitePath] = text;
        order.push_back(sitePath);
        lines.push_back(progressLine);
        ++writes;
    }
    std::map<std::string, std::string> files;
    std::vector<std::string> order;  // paths in the order they were written
    std::vector<std::string> lines;  // their progress lines, from the site's folder
    int writes = 0;
};

inline std::filesystem::path GoldenPath(const std::string& relative) {
    return std::filesystem::path(QUORREL_SOURCE_DIR) / "tests/golden" / relative;
}

inline bool UpdatingGoldens() {
    const char* flag = std::getenv("QUORREL_UPDATE_GOLDEN");
    return flag && std::string(flag) == "1";
}

inline const char* const kGoldenHint =
    "\nIf the change is intended, rerun core_tests with QUORREL_UPDATE_GOLDEN=1 to rewrite the goldens.";

// Shows tabs, CR and LF so a lost byte is visible in a failure message.
inline std::string Visible(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '\t')
            shown += "\\t";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    return shown;
}

// Where two texts first differ: line number and both lines, made visible.
inline std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const std::size_t lineStart = at == 0 ? std::string::npos : expected.rfind('\n', at - 1);
    const std::size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    const auto lineOf = [from](const std::string& text) {
        if (from >= text.size())
            return std::string("<end of file>");
        const std::size_t end = text.find('\n', from);
        return Visible(text.substr(from, end == std::string::npos ? end : end - from + 1));
    };
    const auto lineNumber = 1 + std::count(expected.begin(), expected.begin() + static_cast<long>(from), '\n');
    std::ostringstream message;
    message << "first difference at byte " << at << ", line " << lineNumber << "\n  golden:    " << lineOf(expected)
            << "\n  generated: " << lineOf(actual);
    return message.str();
}

// Compares the whole text byte for byte with a golden file under tests/golden.
inline void ExpectGolden(const std::string& relative, const std::string& actual) {
    const std::filesystem::path file = GoldenPath(relative);
    if (UpdatingGoldens()) {
        WriteFile(file, actual);
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(file)) << "missing golden file " << file << kGoldenHint;
    const std::string expected = ReadFile(file);
    EXPECT_TRUE(expected == actual) << "generated text differs from the golden file " << file << ": "
                                    << FirstDifference(actual, expected) << kGoldenHint;
}

// The names of the golden files directly inside a folder (dot files such as
// .gitattributes are not goldens).
inline std::vector<std::string> GoldenFiles(const std::string& folder) {
    std::vector<std::string> names;
    const std::filesystem::path dir = GoldenPath(folder);
    if (std::filesystem::is_directory(dir))
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
                names.push_back(entry.path().filename().string());
    return names;
}

// The action raises quorrel::Error whose text holds every one of names.
inline void ExpectErrorNaming(const std::function<void()>& action, const std::vector<std::string>& names) {
    try {
        action();
        ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
        for (const std::string& name : names)
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what() << " lacks " << name;
    }
}

} // namespace quorrel::test
