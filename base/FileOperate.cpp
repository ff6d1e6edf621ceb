#include "base/FileOperate.h"

#include "base/TextEncoding.h"
#include "base/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
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
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw Error("cannot write " + file.string() + ": " + std::strerror(errno));
    out.write(kBom, 3);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        throw Error("cannot write " + file.string() + ": the data could not be written completely");
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
