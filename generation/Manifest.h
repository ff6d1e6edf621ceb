#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quorrel {

// The record a generation run leaves in the site, .quorrel/manifest.json:
// every file the run wrote or copied, by its path relative to the site, with
// the SHA-256 of the bytes it produced for that file and whether they were
// generated or copied from bak/; the run's table prefix and the program's
// version. It holds nothing that changes when nothing changed (no time), so
// two runs of one model write the same manifest. Files the run no longer writes but an earlier run
// did, and which are still on disk, are carried on as orphans. The next run
// compares the disk with it to tell the user's edits from its own files.
class Manifest {
public:
    // The manifest's path inside the site (the site's access rules deny
    // hidden folders).
    static constexpr const char* kRelativePath = ".quorrel/manifest.json";

    struct Entry {
        std::string path;    // relative to the site, with "/" between folders
        std::string sha256;  // lower-case hex
        bool copied = false; // copied from bak/, else generated
    };

    enum class State {
        Missing,  // no manifest: a first run, or a site from before manifests
        Valid,
        Damaged,  // unreadable, not the program's format, or edited by hand
    };

    // Reads the manifest of a site. Never raises for what the file holds: a
    // damaged one comes back with the state Damaged, no entries and the
    // reason in Problem().
    static Manifest Load(const std::filesystem::path& site);

    // Writes the manifest into the site under a temporary name and renames it,
    // so a manifest on disk is always whole.
    void Save(const std::filesystem::path& site) const;
    // The text Save writes.
    std::string ToJson() const;

    // The SHA-256 of bytes as lower-case hex.
    static std::string Sha256(const std::string& bytes);

    State GetState() const { return state_; }
    const std::string& Problem() const { return problem_; }

    // The entry of a path, or null.
    const Entry* Find(const std::string& path) const;
    const std::vector<Entry>& Files() const { return files_; }
    const std::vector<Entry>& Orphans() const { return orphans_; }
    const std::string& TablePrefix() const { return tablePrefix_; }
    const std::string& Version() const { return version_; }

    // Building the manifest of a run.
    void SetRun(std::string tablePrefix, std::string version);
    void AddFile(Entry entry);
    void AddOrphan(Entry entry);

private:
    State state_ = State::Missing;
    std::string problem_;
    std::vector<Entry> files_;
    std::vector<Entry> orphans_;
    // path -> (orphan?, position in files_ or orphans_)
    std::map<std::string, std::pair<bool, std::size_t>> index_;
    std::string tablePrefix_;
    std::string version_;
};

} // namespace quorrel
