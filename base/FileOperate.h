#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// The one place that reads and writes the program's own files. Class-level
// operations only; every failure raises quorrel::Error naming the path.
class TFileOperate {
public:
    TFileOperate() = delete;

    // Creates folder (with missing parents) when needed, then writes the file.
    // The file is written whole under a temporary name and then renamed.
    static void WriteTextFile(const std::filesystem::path& folder, const std::filesystem::path& file,
                              const std::string& text);
    // Replaces the file with a UTF-8 byte-order mark followed by the text
    // (ReplaceFile; a device or other special file is written in place).
    static void WriteUtf8File(const std::string& text, const std::filesystem::path& file);
    // Writes the bytes to a temporary name in the file's folder, then renames
    // it to the file, so the file is either the old one or the whole new one,
    // never half written. The folder must exist. A file that is replaced
    // keeps its permissions; perms, when given, are the new file's instead.
    static void ReplaceFile(const std::filesystem::path& file, const std::string& bytes,
                            std::optional<std::filesystem::perms> perms = std::nullopt);
    // Every byte of a file.
    static std::string ReadBytes(const std::filesystem::path& file);
    // Creates the folder with its missing parents when it does not exist.
    static void CreateFolder(const std::filesystem::path& folder);
    // The text after a UTF-8 byte-order mark (a file without one loses nothing).
    static std::string ReadUtf8File(const std::filesystem::path& file);
    // Every line followed by CR LF; a missing file reads as empty text.
    // A file that is not valid UTF-8 is decoded from the GBK code page.
    static std::string ReadTextFile(const std::filesystem::path& file);
    // Copies the tree under source into destination. With keepExisting,
    // files directly inside destination that already exist are kept; all
    // deeper files are replaced. Symbolic links are followed: the copy holds
    // the files they point to (a link back into a folder that holds it is
    // refused).
    static bool CopyDirectory(const std::filesystem::path& source, const std::filesystem::path& destination,
                              bool keepExisting);
    // Copies the trees under sources into destination one after the other,
    // each replacing the files of the ones before; with keepExisting, files
    // directly inside destination that were there before the first copy are
    // kept. Every source must be a folder.
    static bool CopyDirectoryLayers(const std::vector<std::filesystem::path>& sources,
                                    const std::filesystem::path& destination, bool keepExisting);
    // What a CopyDirectoryLayers of sources would copy: each folder and file
    // by its path relative to the destination, with the source it is copied
    // from (for a file, the last layer holding the path wins), in copy order;
    // a folder comes before what it holds. Links are followed as the copy
    // follows them.
    struct TreeFile {
        std::filesystem::path relative;
        std::filesystem::path source;
        bool folder = false;
    };
    static std::vector<TreeFile> ListTreeLayers(const std::vector<std::filesystem::path>& sources);
    // The first symbolic link on the way from root down to root/relative, or
    // anywhere below it; none when the whole tree is free of links. Writing
    // through such a link would change files outside the tree.
    static std::optional<std::filesystem::path> FindLink(const std::filesystem::path& root,
                                                         const std::filesystem::path& relative);
};

} // namespace quorrel
