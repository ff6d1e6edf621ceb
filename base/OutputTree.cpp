#include "base/OutputTree.h"

#include "base/FileOperate.h"

namespace quorrel {

DiskOutputTree::DiskOutputTree(std::filesystem::path site) : site_(std::move(site)) {}

void DiskOutputTree::Write(const std::string& sitePath, const std::string& text, const std::string& /*progressLine*/) {
    const auto file = site_ / sitePath;
    TFileOperate::WriteTextFile(file.parent_path(), file, text);
}

} // namespace quorrel
