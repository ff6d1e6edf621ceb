#pragma once
#include "model/DbHelper.h"

#include <filesystem>
#include <random>
#include <string>

namespace quorrel::test {

// A fresh temporary folder, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("quorrel-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// An empty model in a temporary folder, used as the shared connection's file.
class TempModel {
public:
    TempModel() {
        TDbHelper::CreateModelFile(file());
        TDbHelper::SetModelFile(file());
    }
    ~TempModel() { TDbHelper::CloseConnection(); }
    std::filesystem::path file() const { return folder_.path() / "projects.mdb"; }
    const std::filesystem::path& folder() const { return folder_.path(); }

private:
    TempFolder folder_;
};

} // namespace quorrel::test
