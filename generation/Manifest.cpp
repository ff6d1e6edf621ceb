#include "generation/Manifest.h"

#include "base/Error.h"
#include "base/FileOperate.h"

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include <cstdio>

namespace quorrel {
namespace fs = std::filesystem;
namespace {

using Json = nlohmann::ordered_json;

// Names the format, so that another program's JSON file is not taken for ours.
constexpr const char* kFormat = "quorrel-manifest 1";

// The checksum covers everything but itself: a manifest edited by hand no
// longer matches it and is treated as damaged.
std::string Checksum(Json document) {
    document.erase("checksum");
    return Manifest::Sha256(document.dump());
}

bool IsHex64(const std::string& text) {
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// A path the run could have written: relative, inside the site, no empty,
// "." or ".." part.
bool IsSitePath(const std::string& path) {
    if (path.empty() || path.front() == '/' || path.find('\0') != std::string::npos)
        return false;
    for (const auto& part : fs::path(path))
        if (part.empty() || part == "." || part == "..")
            return false;
    return fs::path(path).generic_string() == path;
}

Manifest::Entry ReadEntry(const Json& item) {
    if (!item.is_object() || !item.contains("path") || !item.contains("sha256") || !item.contains("source"))
        throw Error("an entry lacks path, sha256 or source");
    const Json& path = item["path"];
    const Json& sha = item["sha256"];
    const Json& source = item["source"];
    if (!path.is_string() || !sha.is_string() || !source.is_string())
        throw Error("an entry is not made of texts");
    Manifest::Entry entry{path.get<std::string>(), sha.get<std::string>(), false};
    if (!IsSitePath(entry.path))
        throw Error("the path \"" + entry.path + "\" is not inside the site");
    if (!IsHex64(entry.sha256))
        throw Error("the hash of " + entry.path + " is not a SHA-256");
    const std::string kind = source.get<std::string>();
    if (kind != "generated" && kind != "copied")
        throw Error("the source of " + entry.path + " is neither generated nor copied");
    entry.copied = kind == "copied";
    return entry;
}

Json WriteEntry(const Manifest::Entry& entry) {
    Json item = Json::object();
    item["path"] = entry.path;
    item["sha256"] = entry.sha256;
    item["source"] = entry.copied ? "copied" : "generated";
    return item;
}

} // namespace

std::string Manifest::Sha256(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw Error("cannot compute a SHA-256 digest");
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0F];
    }
    return hex;
}

Manifest Manifest::Load(const fs::path& site) {
    Manifest manifest;
    const fs::path file = site / kRelativePath;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec)))
        return manifest;
    try {
        if (!fs::is_regular_file(fs::symlink_status(file, ec)))
            throw Error("it is not a file");
        Json document;
        try {
            document = Json::parse(TFileOperate::ReadBytes(file));
        } catch (const Json::exception& e) {
            throw Error(std::string("it is not valid JSON (") + e.what() + ")");
        }
        if (!document.is_object() || document.value("format", Json()) != kFormat)
            throw Error("it is not a manifest of this program");
        if (!document.contains("checksum") || !document["checksum"].is_string() ||
            document["checksum"].get<std::string>() != Checksum(document))
            throw Error("its checksum does not match: it was changed by hand");
        for (const char* key : {"version", "tablePrefix"})
            if (!document.contains(key) || !document[key].is_string())
                throw Error(std::string("it has no ") + key);
        for (const char* key : {"files", "orphans"})
            if (!document.contains(key) || !document[key].is_array())
                throw Error(std::string("it has no list of ") + key);
        manifest.SetRun(document["tablePrefix"], document["version"]);
        for (const Json& item : document["files"])
            manifest.AddFile(ReadEntry(item));
        for (const Json& item : document["orphans"])
            manifest.AddOrphan(ReadEntry(item));
        manifest.state_ = State::Valid;
    } catch (const Error& e) {
        Manifest damaged;
        damaged.state_ = State::Damaged;
        damaged.problem_ = e.what();
        return damaged;
    }
    return manifest;
}

std::string Manifest::ToJson() const {
    Json document = Json::object();
    document["format"] = kFormat;
    document["version"] = version_;
    document["tablePrefix"] = tablePrefix_;
    Json files = Json::array();
    for (const auto& entry : files_)
        files.push_back(WriteEntry(entry));
    document["files"] = std::move(files);
    Json orphans = Json::array();
    for (const auto& entry : orphans_)
        orphans.push_back(WriteEntry(entry));
    document["orphans"] = std::move(orphans);
    document["checksum"] = Checksum(document);
    return document.dump(2) + "\n";
}

void Manifest::Save(const fs::path& site) const {
    const fs::path file = site / kRelativePath;
    TFileOperate::CreateFolder(file.parent_path());
    TFileOperate::ReplaceFile(file, ToJson());
}

const Manifest::Entry* Manifest::Find(const std::string& path) const {
    const auto found = index_.find(path);
    if (found == index_.end())
        return nullptr;
    return found->second.first ? &orphans_[found->second.second] : &files_[found->second.second];
}

void Manifest::SetRun(std::string tablePrefix, std::string version) {
    tablePrefix_ = std::move(tablePrefix);
    version_ = std::move(version);
}

void Manifest::AddFile(Entry entry) {
    if (index_.count(entry.path) != 0)
        throw Error("the manifest names " + entry.path + " twice");
    index_.emplace(entry.path, std::make_pair(false, files_.size()));
    files_.push_back(std::move(entry));
}

void Manifest::AddOrphan(Entry entry) {
    if (index_.count(entry.path) != 0)
        throw Error("the manifest names " + entry.path + " twice");
    index_.emplace(entry.path, std::make_pair(true, orphans_.size()));
    orphans_.push_back(std::move(entry));
}

} // namespace quorrel
