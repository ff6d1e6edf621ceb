#include "base/Folders.h"

#include "base/Error.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>

namespace quorrel {
namespace fs = std::filesystem;
namespace {

// A variable that names a folder: set, not empty and absolute.
std::optional<fs::path> FolderVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    fs::path folder(value);
    if (!folder.is_absolute())
        return std::nullopt;
    return folder;
}

// Moves a file or folder; across file systems it is copied instead and the
// original stays. Returns false when it was copied.
bool MoveOrCopy(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec)
        return true;
    if (ec != std::errc::cross_device_link)
        throw Error("cannot move " + from.string() + " to " + to.string() + ": " + ec.message());
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec)
        throw Error("cannot copy " + from.string() + " to " + to.string() + ": " + ec.message());
    return false;
}

} // namespace

TFolders::TFolders(fs::path home) : resources_(home), data_(std::move(home)) {}

TFolders::TFolders(fs::path resources, fs::path data) : resources_(std::move(resources)), data_(std::move(data)) {}

TFolders TFolders::ForProgram(const fs::path& programFolder) {
    return TFolders(ResourceFolderOf(programFolder), DefaultDataFolder());
}

fs::path TFolders::ResourceFolderOf(const fs::path& programFolder) {
    std::error_code ec;
    if (fs::is_directory(programFolder / "bak", ec))
        return programFolder;
    return (programFolder / ".." / "share" / "quorrel").lexically_normal();
}

fs::path TFolders::DefaultDataFolder() {
    if (auto xdg = FolderVariable("XDG_DATA_HOME"))
        return *xdg / "quorrel";
    if (auto home = FolderVariable("HOME"))
        return *home / ".local" / "share" / "quorrel";
    throw Error("neither XDG_DATA_HOME nor HOME names a folder, so there is no data folder; give one with --home DIR");
}

fs::path TFolders::Resource(const fs::path& relative) const {
    std::error_code ec;
    const fs::path own = data_ / relative;
    if (data_ != resources_ && fs::exists(own, ec))
        return own;
    return resources_ / relative;
}

std::vector<fs::path> TFolders::ResourceLayers(const fs::path& relative) const {
    std::vector<fs::path> layers;
    std::error_code ec;
    if (fs::is_directory(resources_ / relative, ec))
        layers.push_back(resources_ / relative);
    if (data_ != resources_ && fs::is_directory(data_ / relative, ec))
        layers.push_back(data_ / relative);
    return layers;
}

void TFolders::PrepareData() const {
    std::error_code ec;
    fs::create_directories(data_, ec);
    if (ec || !fs::is_directory(data_))
        throw Error("cannot create the data folder " + data_.string() + ": " +
                    (ec ? ec.message() : std::string("a file of that name is in the way")));
    // A file created and removed again: the only sure test of writing.
    const fs::path probe = data_ / (".write-test-" + std::to_string(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        throw Error("cannot write in the data folder " + data_.string() + ": " + std::strerror(errno));
    ::close(fd);
    if (::unlink(probe.c_str()) != 0)
        throw Error("cannot remove " + probe.string() + ": " + std::strerror(errno));
}

std::optional<fs::path> TFolders::FormerModel(const fs::path& programFolder) const {
    std::error_code ec;
    const fs::path former = programFolder / "projects.mdb";
    if (programFolder == data_ || fs::exists(ModelFile(), ec) || !fs::is_regular_file(former, ec))
        return std::nullopt;
    return former;
}

bool TFolders::TakeOverFormerData(const fs::path& programFolder) const {
    const auto former = FormerModel(programFolder);
    if (!former)
        return true;
    bool moved = MoveOrCopy(*former, ModelFile());
    std::error_code ec;
    const fs::path sites = programFolder / "projects";
    if (fs::is_directory(sites, ec) && !fs::exists(data_ / "projects", ec))
        moved = MoveOrCopy(sites, data_ / "projects") && moved;
    return moved;
}

} // namespace quorrel
