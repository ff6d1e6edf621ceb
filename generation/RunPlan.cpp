#include "generation/RunPlan.h"

#include "base/Error.h"
#include "base/UtcTime.h"
#include "base/FileOperate.h"
#include "base/ThreeWayMerge.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <ctime>

#ifndef QUORREL_VERSION
#define QUORREL_VERSION "unknown"
#endif

namespace quorrel {
namespace fs = std::filesystem;

const char* StatusName(FileStatus status) {
    switch (status) {
    case FileStatus::New:
        return "new";
    case FileStatus::Same:
        return "same";
    case FileStatus::Update:
        return "update";
    case FileStatus::Edited:
        return "edited";
    case FileStatus::Merge:
        return "merge";
    case FileStatus::Conflict:
        return "conflict";
    case FileStatus::Kept:
        return "kept";
    case FileStatus::Orphan:
        return "orphan";
    }
    return "?";
}

RunPlan::RunPlan() : options_() {}

RunPlan::RunPlan(Options options) : options_(options) {}

void RunPlan::Begin(const fs::path& home, const std::string& projectName, ProgressSink& log) {
    log_ = &log;
    logPrefix_ = "projects/" + projectName + "/";
    site_ = home / "projects" / projectName;
    files_.clear();
    index_.clear();
    previous_ = Manifest::Load(site_);
    stagedBases_.clear();
    if (!options_.preview) {
        // What a run that stopped staged is not the base of anything.
        std::error_code ec;
        fs::remove_all(site_ / kStagedBaseFolder, ec);
    }
    if (previous_.GetState() == Manifest::State::Damaged)
        log.AddLine(ReportLine::Warning(LogName(Manifest::kRelativePath) + " 已损坏或被手工修改（" + previous_.Problem() +
                                        "），本次把与生成内容不同的文件都当作已修改的文件，不覆盖它们"));
}

std::string RunPlan::LogName(const std::string& path) const { return logPrefix_ + path; }

void RunPlan::Write(const std::string& sitePath, const std::string& text) {
    if (log_ == nullptr)
        throw Error("the run plan was not begun before " + sitePath);
    std::string bytes;
    bytes.reserve(text.size() + 3);
    bytes.append("\xEF\xBB\xBF").append(text);
    Place(sitePath, bytes, false, {}, false);
}

void RunPlan::CopyFolder(const std::vector<fs::path>& layers, const std::string& folderInSite, bool keepTop) {
    const auto tree = TFileOperate::ListTreeLayers(layers);
    if (!options_.preview)
        TFileOperate::CreateFolder(site_ / folderInSite);
    for (const auto& entry : tree) {
        const std::string path = folderInSite + "/" + entry.relative.generic_string();
        if (entry.folder) {
            if (!options_.preview)
                TFileOperate::CreateFolder(site_ / path);
            continue;
        }
        const bool top = std::next(entry.relative.begin()) == entry.relative.end();
        Place(path, TFileOperate::ReadBytes(entry.source), true, entry.source, keepTop && top);
    }
}

void RunPlan::CopyFile(const fs::path& source, const std::string& pathInSite) {
    Place(pathInSite, TFileOperate::ReadBytes(source), true, source, false);
}

FileStatus RunPlan::Classify(const std::string& path, const std::string& bytes, const std::string& sha256) const {
    const fs::path file = site_ / path;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (!fs::exists(status))
        return FileStatus::New;
    if (!fs::is_regular_file(status))
        throw Error("cannot write " + file.string() + ": something other than a file is in its place");
    const std::string disk = TFileOperate::ReadBytes(file);
    if (disk == bytes)
        return FileStatus::Same;
    const Manifest::Entry* last = previous_.Find(path);
    if (last == nullptr)
        return FileStatus::Edited;
    if (Manifest::Sha256(disk) == last->sha256)
        return FileStatus::Update;
    return last->sha256 != sha256 ? FileStatus::Conflict : FileStatus::Edited;
}

void RunPlan::Place(const std::string& path, const std::string& bytes, bool copied, const fs::path& source,
                    bool keepExisting) {
    const std::string sha256 = Manifest::Sha256(bytes);
    if (const auto found = index_.find(path); found != index_.end()) {
        // Written twice in one run: a kept resource leaves the first file,
        // any other copy replaces it the way the first was placed.
        if (keepExisting)
            return;
        File& file = files_[found->second];
        if (file.status == FileStatus::Same && file.sha256 != sha256)
            file.status = FileStatus::Update;
        file.sha256 = sha256;
        file.copied = copied;
        file.source = source;
        if (observer_)
            observer_(file, bytes);
        if (!options_.preview)
            Apply(file, bytes, {});
        return;
    }

    File file{path, FileStatus::New, sha256, copied, source};
    std::string merged;
    if (keepExisting) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(site_ / path, ec)))
            file.status = TFileOperate::ReadBytes(site_ / path) == bytes ? FileStatus::Same : FileStatus::Kept;
    } else {
        file.status = Classify(path, bytes, sha256);
    }
    if (copied && (file.status == FileStatus::Edited || file.status == FileStatus::Conflict)) {
        // A resource the user changed (the site's settings above all) is
        // theirs: never replaced, never merged (pictures are not text).
        file.status = FileStatus::Kept;
    } else if (file.status == FileStatus::Conflict) {
        // Edited, and changed by this run too: the user's edits and the
        // model's changes merged on the text the last run generated.
        if (const auto base = Base(path)) {
            TMergeResult merge = MergeThreeWay(TFileOperate::ReadBytes(site_ / path), *base, bytes,
                                               {"你的修改", "上次生成", "本次生成"});
            merged = std::move(merge.text);
            file.status = merge.conflicts ? FileStatus::Conflict : FileStatus::Merge;
        } else {
            file.noBase = true;
        }
    }
    index_.emplace(path, files_.size());
    files_.push_back(file);
    if (observer_)
        observer_(file, bytes);
    if (!options_.preview)
        Apply(file, bytes, merged);
}

std::optional<std::string> RunPlan::Base(const std::string& path) const {
    const Manifest::Entry* last = previous_.Find(path);
    const fs::path file = site_ / kBaseFolder / path;
    std::error_code ec;
    if (!last || !fs::is_regular_file(fs::symlink_status(file, ec)))
        return std::nullopt;
    std::string bytes = TFileOperate::ReadBytes(file);
    if (Manifest::Sha256(bytes) != last->sha256)
        return std::nullopt;
    return bytes;
}

void RunPlan::KeepBase(const std::string& path, const std::string& bytes) {
    const fs::path file = site_ / kBaseFolder / path;
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(file, ec))) {
        // The text the last run recorded: its base is already in place.
        const Manifest::Entry* last = previous_.Find(path);
        if (last && last->sha256 == Manifest::Sha256(bytes))
            return;
        if (TFileOperate::ReadBytes(file) == bytes)
            return;
    }
    // Staged until the run finishes: a run that stops half-way leaves the
    // bases that the manifest it leaves describes.
    const fs::path staged = site_ / kStagedBaseFolder / path;
    TFileOperate::CreateFolder(staged.parent_path());
    TFileOperate::ReplaceFile(staged, bytes);
    stagedBases_.push_back(path);
}

void RunPlan::Apply(const File& file, const std::string& bytes, const std::string& merged) {
    const fs::path target = site_ / file.path;
    std::optional<fs::perms> perms;
    if (file.copied) {
        std::error_code ec;
        const auto status = fs::status(file.source, ec);
        if (!ec)
            perms = status.permissions();
    }
    const auto beside = [&](const char* ending) {
        fs::path path = target;
        path += ending;
        return path;
    };
    switch (file.status) {
    case FileStatus::Same:
    case FileStatus::Orphan:
        break;
    case FileStatus::Kept:
        // A new shipped version of an edited resource goes beside it, once:
        // the manifest then holds its hash.
        if (file.copied) {
            const Manifest::Entry* last = previous_.Find(file.path);
            if (!last || last->sha256 != file.sha256) {
                TFileOperate::ReplaceFile(beside(".new"), bytes, perms);
                log_->AddLine(ReportLine::Warning(LogName(file.path) + " 已被修改，保留不动（站点设置和资源文件从不覆盖）；" +
                                                  "新版本写在 " + LogName(file.path) + ".new"));
            }
        }
        return;
    case FileStatus::New:
    case FileStatus::Update:
        TFileOperate::CreateFolder(target.parent_path());
        TFileOperate::ReplaceFile(target, bytes, perms);
        break;
    case FileStatus::Merge:
        if (options_.overwriteEdited)
            break;
        TFileOperate::ReplaceFile(beside(".orig"), TFileOperate::ReadBytes(target));
        TFileOperate::ReplaceFile(target, merged, perms);
        log_->AddLine(ReportLine::Progress(LogName(file.path) + " 已被修改，本次生成的变化已与你的修改合并；原来的内容保存在 " +
                                           LogName(file.path) + ".orig"));
        break;
    case FileStatus::Edited:
    case FileStatus::Conflict:
        if (options_.overwriteEdited)
            break;
        if (file.status == FileStatus::Conflict && !file.noBase) {
            TFileOperate::ReplaceFile(beside(".new"), merged, perms);
            log_->AddLine(ReportLine::Warning(
                LogName(file.path) +
                " 已被修改，本次生成的内容也有变化，两处修改在同样的几行上：文件保持不变，带冲突标记的合并结果"
                "写在 " + LogName(file.path) + ".new；合并好之后再生成一次，在这之前网站不使用这个文件"));
            return;
        }
        TFileOperate::ReplaceFile(beside(".new"), bytes, perms);
        if (file.status == FileStatus::Conflict)
            log_->AddLine(ReportLine::Warning(
                LogName(file.path) +
                " 已被修改，本次生成的内容也有变化，但上次生成的内容已无从得到，不能合并：没有覆盖；新生成的内容"
                "写在 " + LogName(file.path) + ".new；合并好之后再生成一次，在这之前网站不使用这个文件"));
        else
            log_->AddLine(ReportLine::Warning(LogName(file.path) + " 已被修改，没有覆盖；新生成的内容写在 " +
                                              LogName(file.path) + ".new"));
        return;
    }
    if (options_.overwriteEdited &&
        (file.status == FileStatus::Edited || file.status == FileStatus::Conflict || file.status == FileStatus::Merge)) {
        const std::string changed = file.status == FileStatus::Edited ? " 已被修改，" : " 已被修改，本次生成的内容也有变化，";
        TFileOperate::ReplaceFile(beside(".orig"), TFileOperate::ReadBytes(target));
        TFileOperate::ReplaceFile(target, bytes, perms);
        log_->AddLine(ReportLine::Warning(LogName(file.path) + changed + "已按选择覆盖；原来的内容保存在 " +
                                          LogName(file.path) + ".orig"));
    }
    // The text this run generated: the base of the next merge.
    if (!file.copied)
        KeepBase(file.path, bytes);
}

void RunPlan::Finish(const std::string& tablePrefix) {
    if (log_ == nullptr)
        throw Error("the run plan was not begun");
    Manifest next;
    next.SetRun(tablePrefix, QUORREL_VERSION);
    for (const File& file : files_) {
        // A file left unmerged keeps the entry (and the base) of the text it
        // was edited from, so that the next run merges on that text again.
        const Manifest::Entry* last = previous_.Find(file.path);
        if (Unmerged(file) && last)
            next.AddFile(*last);
        else
            next.AddFile({file.path, file.sha256, file.copied});
    }

    // Files an earlier run wrote that this one does not, while they are still
    // there: listed, carried on in the manifest, never deleted.
    std::vector<Manifest::Entry> earlier = previous_.Files();
    earlier.insert(earlier.end(), previous_.Orphans().begin(), previous_.Orphans().end());
    for (const Manifest::Entry& entry : earlier) {
        if (index_.count(entry.path) != 0)
            continue;
        std::error_code ec;
        if (!fs::is_regular_file(fs::symlink_status(site_ / entry.path, ec)))
            continue;
        index_.emplace(entry.path, files_.size());
        files_.push_back({entry.path, FileStatus::Orphan, entry.sha256, entry.copied, {}});
        next.AddOrphan(entry);
        if (!options_.preview)
            log_->AddLine(ReportLine::Warning(LogName(entry.path) +
                                              " 已不再生成（它的类已删除或改名），保留未删；不需要时请手工删除"));
    }

    if (options_.preview)
        return;
    for (const std::string& path : stagedBases_) {
        const fs::path target = site_ / kBaseFolder / path;
        TFileOperate::CreateFolder(target.parent_path());
        fs::rename(site_ / kStagedBaseFolder / path, target);
    }
    std::error_code ec;
    fs::remove_all(site_ / kStagedBaseFolder, ec);
    WriteGitAttributes();
    WriteUnmerged();
    // Last, once every file is in place: a run that stops earlier leaves the
    // manifest of the run before, which names only what that run wrote.
    next.Save(site_);
    log_->AddLine(ReportLine::Progress(LogName(Manifest::kRelativePath) + "清单生成完毕!"));
}

bool RunPlan::Unmerged(const File& file) const {
    return !file.copied && file.status == FileStatus::Conflict && !options_.overwriteEdited;
}

void RunPlan::WriteGitAttributes() {
    // Generated files end their lines with CR LF and start with a byte-order
    // mark; git keeps them as they are, so a checkout is the generated bytes.
    const std::string text =
        "# 由生成器写出：生成的文件以 CR LF 结尾、带 UTF-8 字节顺序标记，git 原样保存所有文件\n"
        "* -text\n";
    const fs::path file = site_ / ".gitattributes";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(file, ec)) && TFileOperate::ReadBytes(file) != text) {
        // The user's own rules stay; the run says what it would have written.
        return;
    }
    if (!fs::exists(fs::symlink_status(file, ec)))
        TFileOperate::ReplaceFile(file, text);
    log_->AddLine(ReportLine::Progress(LogName(".gitattributes") + "生成完毕!"));
}

void RunPlan::WriteUnmerged() {
    // What the site's runtime reads to refuse a file that does not fit the
    // model: each path with the file beside it that holds the merge to make.
    nlohmann::ordered_json files = nlohmann::ordered_json::object();
    for (const File& file : files_)
        if (Unmerged(file))
            files[file.path] = file.path + ".new";
    const std::string text = nlohmann::ordered_json{{"unmerged", files}}.dump(1) + "\n";
    const fs::path record = site_ / kUnmergedPath;
    std::error_code ec;
    if (files.empty() && !fs::exists(fs::symlink_status(record, ec)))
        return;
    TFileOperate::CreateFolder(record.parent_path());
    TFileOperate::ReplaceFile(record, text);
}

std::size_t RunPlan::Count(FileStatus status) const {
    std::size_t count = 0;
    for (const File& file : files_)
        if (file.status == status)
            ++count;
    return count;
}

} // namespace quorrel
