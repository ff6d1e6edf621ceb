#pragma once
#include "base/ProgressSink.h"
#include "generation/Manifest.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// What a run does with one file of the site, decided against the disk and
// the manifest of the last run.
enum class FileStatus {
    New,       // not on disk: written
    Same,      // the disk already holds exactly these bytes: left untouched
    Update,    // the disk holds what the last run wrote, and the text changed: written
    Edited,    // the disk differs from what the last run wrote (or the last run did
               // not write it): kept, the new text goes beside it as <file>.new
    Merge,     // edited on disk, and the run's text changed too, on other lines:
               // the run's changes merged into the user's text in place (<file>.orig
               // keeps what was there)
    Conflict,  // edited on disk and changed by the run on the same lines (or with no
               // base to merge on): kept, the merge with conflict markers (or the new
               // text) beside it as <file>.new, and the site refuses the file until
               // a later run brings it up to date
    Kept,      // a resource file directly inside a resource folder that the site
               // already has in other bytes, or any resource file the user edited:
               // kept as it is, never replaced (a changed shipped file goes beside
               // it as <file>.new)
    Orphan,    // written by an earlier run, no longer by this one: left, never deleted
};

// The lower-case English name of a status, as the command line prints it.
const char* StatusName(FileStatus status);

// The plan of one generation run, and the run's way of writing the site.
// The generators' files reach it through the run's output tree
// (RunProgress) and the run copies the resources through it, so the plan is
// made from exactly the bytes the run writes. Each file is classified as it arrives; a preview stops there, a
// run writes new and updated files, leaves the same ones untouched (their
// times too), writes the text of an edited file beside it as <file>.new (or,
// when asked, overwrites it keeping the replaced text as <file>.orig), with
// one warning line per such file. Finish lists the orphans and, in a run,
// writes the manifest last. Every file is written under a temporary name and
// renamed. Only the statuses and hashes are kept, not the texts.
class RunPlan {
public:
    struct Options {
        bool preview = false;          // classify only; write nothing
        bool overwriteEdited = false;  // overwrite edited files, keeping <file>.orig
    };

    struct File {
        std::string path;  // relative to the site, "/" between folders
        FileStatus status = FileStatus::New;
        std::string sha256;  // of the bytes the run writes (orphans: of what the last run wrote)
        bool copied = false; // copied from bak/, else generated
        std::filesystem::path source;  // the resource file it is copied from
        bool noBase = false;  // a conflict because the last run's text could not be had
    };

    // Where the site keeps the text the last run generated for each file,
    // the base of the next merge (.quorrel/base/<path>), and the record of
    // the files the site must not serve until they are merged.
    static constexpr const char* kBaseFolder = ".quorrel/base";
    static constexpr const char* kStagedBaseFolder = ".quorrel/base-next";
    static constexpr const char* kUnmergedPath = ".quorrel/unmerged.json";

    // Receives each file with the bytes the run would write for it, as the
    // plan reaches it (not for orphans): how the differences of files are
    // made without keeping every text.
    using TextObserver = std::function<void(const File&, const std::string& bytes)>;

    // A run that writes, never overwriting edited files.
    RunPlan();
    explicit RunPlan(Options options);

    void SetTextObserver(TextObserver observer) { observer_ = std::move(observer); }
    const Options& GetOptions() const { return options_; }

    // Starts the plan of the site projects/<projectName> under home: reads
    // the last run's manifest; a damaged one is reported in one warning line.
    void Begin(const std::filesystem::path& home, const std::string& projectName, ProgressSink& log);

    // A generated file; the path is relative to the site.
    void Write(const std::string& sitePath, const std::string& text);
    // The tree of resource folders copied, layer after layer, into the folder
    // of the site; with keepTop, files directly inside it that the site
    // already has stay as they are.
    void CopyFolder(const std::vector<std::filesystem::path>& layers, const std::string& folderInSite, bool keepTop);
    // One resource file copied to a path in the site, replacing what is there.
    void CopyFile(const std::filesystem::path& source, const std::string& pathInSite);

    // Lists the orphans (in a run, one warning line each) and, in a run,
    // writes the manifest with its own progress line.
    void Finish(const std::string& tablePrefix);

    // The files in the order the run reaches them, the orphans last.
    const std::vector<File>& Files() const { return files_; }
    std::size_t Count(FileStatus status) const;
    // The site folder the paths are relative to.
    const std::filesystem::path& Site() const { return site_; }
    // A path of the site, or a line that begins with one, as the progress
    // log names it: projects/<project>/<path>.
    std::string LogName(const std::string& path) const;
    // The last run's manifest as read by Begin.
    const Manifest& Previous() const { return previous_; }
    // The text the last run generated for a file (the base of a merge), when
    // the site still has it as the manifest describes it.
    std::optional<std::string> Base(const std::string& path) const;

private:
    // Classifies a file against the disk and the last manifest.
    FileStatus Classify(const std::string& path, const std::string& bytes, const std::string& sha256) const;
    // Records a file and, in a run, acts on its status.
    void Place(const std::string& path, const std::string& bytes, bool copied, const std::filesystem::path& source,
               bool keepExisting);
    void Apply(const File& file, const std::string& bytes, const std::string& merged);
    void KeepBase(const std::string& path, const std::string& bytes);
    // A generated file the run could not bring up to date, which the site
    // must not serve.
    bool Unmerged(const File& file) const;
    void WriteGitAttributes();
    void WriteUnmerged();

    Options options_;
    TextObserver observer_;
    ProgressSink* log_ = nullptr;
    std::filesystem::path site_;
    std::string logPrefix_;  // "projects/<project>/"
    Manifest previous_;
    std::vector<File> files_;
    std::map<std::string, std::size_t> index_;  // path -> position in files_
    std::vector<std::string> stagedBases_;      // bases this run wrote, moved in place by Finish
};

} // namespace quorrel
