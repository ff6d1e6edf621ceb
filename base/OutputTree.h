#pragma once
#include <filesystem>
#include <string>

namespace quorrel {

// Where generators put their files: paths are relative to the home folder
// ("projects/shop/admin/user.php"). Production writes to disk; tests keep
// the files in memory.
class OutputTree {
public:
    virtual ~OutputTree() = default;
    virtual void Write(const std::string& relativePath, const std::string& text) = 0;
};

// Writes each file under a root folder as UTF-8 with a byte-order mark.
class DiskOutputTree : public OutputTree {
public:
    explicit DiskOutputTree(std::filesystem::path root);
    void Write(const std::string& relativePath, const std::string& text) override;

private:
    std::filesystem::path root_;
};

} // namespace quorrel
