#include "base/FileOperate.h"

#include "base/TextEncoding.h"
#include "base/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
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

void CopyEntry(const fs::directory_entry& entry, const fs::path& target, bool keepExisting) {
    std::error_code ec;
    if (entry.is_symlink(ec)) {
        if (fs::exists(fs::symlink_status(target)) ) {
            if (keepExisting)
                return;
            fs::remove(target, ec);
        }
        fs::copy_symlink(entry.path(), target, ec);
    } else {
        if (keepExisting && fs::exists(fs::symlink_status(target)))
            return;
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing, ec);
    }
    if (ec)
        throw Error("cannot copy " + entry.path().string() + " to " + target.string() + ": " + ec.message());
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

bool TFileOperate::CopyDirectory(const fs::path& source, const fs::path& destination, bool keepExisting) {
    std::error_code ec;
    if (!fs::is_directory(source, ec))
        throw Error("cannot copy the folder " + source.string() + ": it does not exist or is not a folder");
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec)
        throw Error("cannot list the folder " + source.string() + ": " + ec.message());
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });

    CreateFolders(destination);
    for (const auto& entry : entries) {
        const fs::path target = destination / entry.path().filename();
        if (!entry.is_symlink(ec) && entry.is_directory(ec)) {
            CreateFolders(target);
            CopyDirectory(entry.path(), target, false);
        } else {
            CopyEntry(entry, target, keepExisting);
        }
    }
    return true;
}

} // namespace quorrel
