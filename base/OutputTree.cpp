#include "base/OutputTree.h"

#include "base/FileOperate.h"

namespace quorrel {

DiskOutputTree::DiskOutputTree(std::filesystem::path root) : root_(std::move(root)) {}

void DiskOutputTree::Write(const std::string& relativePath, const std::string& text) {
    const auto file = root_ / relativePath;
    TFileOperate::WriteTextFile(file.parent_path(), file, text);
}

} // namespace quorrel
