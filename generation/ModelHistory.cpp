#include "generation/ModelHistory.h"

#include "base/Error.h"
#include "base/FileOperate.h"
#include "generation/Manifest.h"

#include <algorithm>

namespace quorrel {
namespace fs = std::filesystem;

void ModelHistory::Keep(const fs::path& site, const TSchemaModel& schema) {
    const std::string text = schema.ToJson();
    const fs::path file = site / kRelativeFolder / (Manifest::Sha256(text).substr(0, 32) + ".json");
    std::error_code ec;
    if (fs::exists(file, ec) && TFileOperate::ReadBytes(file) == text)
        return;
    TFileOperate::CreateFolder(file.parent_path());
    TFileOperate::ReplaceFile(file, text);
}

std::vector<ModelHistory::Record> ModelHistory::Load(const fs::path& site, std::vector<std::string>& problems) {
    std::vector<Record> records;
    const fs::path folder = site / kRelativeFolder;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return records;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".json")
            continue;
        const std::string name = entry.path().filename().string();
        try {
            records.push_back({name, TSchemaModel::FromJson(TFileOperate::ReadBytes(entry.path()))});
        } catch (const Error& e) {
            problems.push_back(std::string(kRelativeFolder) + "/" + name + "：" + e.what());
        }
    }
    std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.name < b.name; });
    return records;
}

} // namespace quorrel
