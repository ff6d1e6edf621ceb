#pragma once
#include <filesystem>
#include <string>

namespace quorrel {

// Where generators put the files of one site. Paths are relative to the
// site's folder ("admin/user.php", "/" between folders); the run decides
// where the site is. Each file comes with its progress line, also written
// from the site's folder ("admin/user.php生成完毕!"): the run reports it
// with the site's place in front once the file is written. Production plans
// and writes the files (the run's plan); tests keep them in memory.
class OutputTree {
public:
    virtual ~OutputTree() = default;
    virtual void Write(const std::string& sitePath, const std::string& text, const std::string& progressLine) = 0;
};

// Writes each file under a site folder as UTF-8 with a byte-order mark; the
// progress lines are the run's, so it reports none.
class DiskOutputTree : public OutputTree {
public:
    explicit DiskOutputTree(std::filesystem::path site);
    void Write(const std::string& sitePath, const std::string& text, const std::string& progressLine) override;

private:
    std::filesystem::path site_;
};

} // namespace quorrel
