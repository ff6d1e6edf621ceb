#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// The two folders the program works with. The resource folder holds what
// ships with the program, read-only: bak/ (the site skeleton), template/ and
// help/. It lies beside the executables in the build tree and under
// ../share/quorrel of the executables' folder when installed. The data folder
// holds the user's work: the model projects.mdb and the generated sites under
// projects/. A bak/ or template/ file placed in the data folder replaces the
// shipped file of the same path.
class TFolders {
public:
    // One home folder holding everything (resources, model and sites), as
    // given with --home: the way scripts and tests run the program.
    TFolders(std::filesystem::path home); // NOLINT(google-explicit-constructor): a home folder is a set of folders
    TFolders(std::filesystem::path resources, std::filesystem::path data);

    // The folders of a start without --home: the resources found from the
    // program's folder, the data folder from the environment.
    static TFolders ForProgram(const std::filesystem::path& programFolder);
    // The program's folder itself when it holds bak/ (the build tree), else
    // ../share/quorrel of it (an installation under any prefix or root).
    static std::filesystem::path ResourceFolderOf(const std::filesystem::path& programFolder);
    // $XDG_DATA_HOME/quorrel, by default $HOME/.local/share/quorrel; raises
    // Error when neither variable names a folder.
    static std::filesystem::path DefaultDataFolder();

    const std::filesystem::path& Resources() const { return resources_; }
    const std::filesystem::path& Data() const { return data_; }
    std::filesystem::path ModelFile() const { return data_ / "projects.mdb"; }
    // The generated site of a project.
    std::filesystem::path Site(const std::string& project) const { return data_ / "projects" / project; }

    // The file to read for a resource path such as "template/admin/mysql.sql":
    // the data folder's own copy when it has one, else the shipped file.
    std::filesystem::path Resource(const std::filesystem::path& relative) const;
    // The folders of a resource path that exist, to be copied in this order:
    // the shipped one, then the data folder's own. Empty when neither exists.
    std::vector<std::filesystem::path> ResourceLayers(const std::filesystem::path& relative) const;

    // Creates the data folder when it is missing and checks that files can be
    // created in it; raises Error naming the folder otherwise.
    void PrepareData() const;

    // A model that an earlier version kept beside the program, found while
    // the data folder has none yet.
    std::optional<std::filesystem::path> FormerModel(const std::filesystem::path& programFolder) const;
    // Moves that model, and the sites generated beside it when the data folder
    // has none, into the data folder. Where a move across file systems is not
    // possible the files are copied and the originals stay: returns false
    // then. Nothing is ever deleted.
    bool TakeOverFormerData(const std::filesystem::path& programFolder) const;

private:
    std::filesystem::path resources_;
    std::filesystem::path data_;
};

} // namespace quorrel
