#include "base/FileOperate.h"

#include "base/TextEncoding.h"
#include "base/Error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <vector>

namespace quorrel {
namespace fs = std::filesystem;
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

std::string ReadAllBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Error("cannot read " + file.string() + ": " + std::strerror(errno));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw Error("cannot read " + file.string());
    return bytes;
}

void CreateFolders(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec))
        return;
    fs::create_directories(folder, ec);
    if (ec)
        throw Error("cannot create the folder " + folder.string() + ": " + ec.message());
}

// The entries of a folder, sorted by name so that copies are reproducible.
std::vector<fs::directory_entry> Entries(const fs::path& folder) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec)
        throw Error("cannot list the folder " + folder.string() + ": " + ec.message());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return entries;
}

// The names of what destination holds now: the top files a copy keeps.
std::set<fs::path> ExistingNames(const fs::path& destination) {
    std::set<fs::path> names;
    std::error_code ec;
    if (fs::is_directory(destination, ec))
        for (const auto& entry : Entries(destination))
            names.insert(entry.path().filename());
    return names;
}

// A link to a folder that holds the link would make the copy endless.
void RefuseLinkLoop(const fs::directory_entry& link, const fs::path& source) {
    std::error_code ec;
    const fs::path target = fs::canonical(link.path(), ec);
    const fs::path here = fs::canonical(source, ec);
    if (ec)
        return;
    const fs::path rest = here.lexically_relative(target);
    if (!rest.empty() && *rest.begin() != "..")
        throw Error("cannot copy " + link.path().string() + ": it links to " + target.string() +
                    ", a folder that holds it");
}

// Copies the tree under source into destination; the files named in keep
// stay where destination has them. Links are followed: the copy holds the
// files themselves, so a site stays whole when it is moved elsewhere.
void CopyTree(const fs::path& source, const fs::path& destination, const std::set<fs::path>& keep) {
    const auto entries = Entries(source);
    CreateFolders(destination);
    for (const auto& entry : entries) {
        std::error_code ec;
        const fs::path name = entry.path().filename();
        const fs::path target = destination / name;
        if (fs::is_directory(entry.path(), ec)) {
            if (entry.is_symlink(ec))
                RefuseLinkLoop(entry, source);
            CopyTree(entry.path(), target, {});
            continue;
        }
        if (keep.count(name) != 0)
            continue;
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing, ec);
        if (ec)
            throw Error("cannot copy " + entry.path().string() + " to " + target.string() + ": " + ec.message());
    }
}

// Adds the files under source to files, in the order CopyTree copies them;
// a path already listed takes the new source in its old place.
void ListTree(const fs::path& source, const fs::path& relative, std::vector<TFileOperate::TreeFile>& files,
              std::map<fs::path, std::size_t>& index) {
    for (const auto& entry : Entries(source)) {
        std::error_code ec;
        const fs::path name = relative / entry.path().filename();
        if (fs::is_directory(entry.path(), ec)) {
            if (entry.is_symlink(ec))
                RefuseLinkLoop(entry, source);
            if (index.emplace(name, files.size()).second)
                files.push_back({name, entry.path(), true});
            ListTree(entry.path(), name, files, index);
            continue;
        }
        if (const auto found = index.find(name); found != index.end()) {
            files[found->second].source = entry.path();
            continue;
        }
        index.emplace(name, files.size());
        files.push_back({name, entry.path()});
    }
}

// Writes all bytes to an open descriptor.
bool WriteAll(int fd, const std::string& bytes) {
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Writes a device or other special file where it is (it cannot be renamed over).
void WriteInPlace(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw Error("cannot write " + file.string() + ": " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw Error("cannot write " + file.string() + ": the data could not be written completely");
}

void RequireFolder(const fs::path& source) {
    std::error_code ec;
    if (!fs::is_directory(source, ec))
        throw Error("cannot copy the folder " + source.string() + ": it does not exist or is not a folder");
}

} // namespace

void TFileOperate::WriteTextFile(const fs::path& folder, const fs::path& file, const std::string& text) {
    CreateFolders(folder);
    WriteUtf8File(text, file);
}

void TFileOperate::WriteUtf8File(const std::string& text, const fs::path& file) {
    std::string bytes;
    bytes.reserve(text.size() + 3);
    bytes.append(kBom, 3).append(text);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status))
        WriteInPlace(file, bytes);
    else
        ReplaceFile(file, bytes);
}

void TFileOperate::ReplaceFile(const fs::path& file, const std::string& bytes, std::optional<fs::perms> perms) {
    static std::atomic<unsigned> counter{0};
    const fs::path temporary =
        file.parent_path() / ("." + file.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                              std::to_string(counter.fetch_add(1)));
    // A file being replaced keeps its permissions, as a file written over would.
    mode_t mode = 0666;
    bool setMode = false;
    if (perms) {
        mode = static_cast<mode_t>(*perms & fs::perms::mask);
        setMode = true;
    } else if (struct stat old{}; ::stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
        setMode = true;
    }
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw Error("cannot write " + file.string() + ": " + std::strerror(errno));
    bool ok = WriteAll(fd, bytes);
    int error = ok ? 0 : errno;
    if (ok && setMode && ::fchmod(fd, mode) != 0) {
        ok = false;
        error = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), file.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        throw Error("cannot write " + file.string() + ": " + std::strerror(error));
    }
}

std::string TFileOperate::ReadBytes(const fs::path& file) { return ReadAllBytes(file); }

void TFileOperate::CreateFolder(const fs::path& folder) { CreateFolders(folder); }

std::vector<TFileOperate::TreeFile> TFileOperate::ListTreeLayers(const std::vector<fs::path>& sources) {
    std::vector<TreeFile> files;
    std::map<fs::path, std::size_t> index;
    for (const auto& source : sources) {
        RequireFolder(source);
        ListTree(source, {}, files, index);
    }
    return files;
}

std::string TFileOperate::ReadUtf8File(const fs::path& file) {
    std::string bytes = ReadAllBytes(file);
    if (bytes.compare(0, 3, kBom) == 0)
        bytes.erase(0, 3);
    return bytes;
}

std::string TFileOperate::ReadTextFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec))
        return {};
    std::string bytes = ReadAllBytes(file);
    if (!IsValidUtf8(bytes))
        bytes = GbkToUtf8(bytes);
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            text.append(bytes, start, std::string::npos).append("\r\n");
            break;
        }
        text.append(bytes, start, end - start).append("\r\n");
        start = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return text;
}

std::optional<fs::path> TFileOperate::FindLink(const fs::path& root, const fs::path& relative) {
    std::error_code ec;
    fs::path path = root;
    for (const fs::path& part : relative) {
        path /= part;
        if (fs::is_symlink(path, ec))
            return path;
        if (!fs::exists(fs::symlink_status(path, ec)))
            return std::nullopt;
    }
    if (!fs::is_directory(fs::symlink_status(path, ec)))
        return std::nullopt;
    // The iterator does not enter linked folders; it only reports them.
    fs::recursive_directory_iterator it(path, ec), end;
    if (ec)
        throw Error("cannot read " + path.string() + ": " + ec.message());
    for (; it != end; it.increment(ec)) {
        if (ec)
            throw Error("cannot read " + path.string() + ": " + ec.message());
        if (it->is_symlink(ec))
            return it->path();
    }
    return std::nullopt;
}

bool TFileOperate::CopyDirectory(const fs::path& source, const fs::path& destination, bool keepExisting) {
    return CopyDirectoryLayers({source}, destination, keepExisting);
}

bool TFileOperate::CopyDirectoryLayers(const std::vector<fs::path>& sources, const fs::path& destination,
                                       bool keepExisting) {
    if (sources.empty())
        throw Error("no folder to copy into " + destination.string());
    for (const auto& source : sources)
        RequireFolder(source);
    const std::set<fs::path> keep = keepExisting ? ExistingNames(destination) : std::set<fs::path>{};
    for (const auto& source : sources)
        CopyTree(source, destination, keep);
    return true;
}

} // namespace quorrel
