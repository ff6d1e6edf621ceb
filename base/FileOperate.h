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
    static void WriteTextFile(const std::filesystem::path& folder, const std::filesystem::path& file,
                              const std::string& text);
    // Replaces the file with a UTF-8 byte-order mark followed by the text.
    static void WriteUtf8File(const std::string& text, const std::filesystem::path& file);
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
    // The first symbolic link on the way from root down to root/relative, or
    // anywhere below it; none when the whole tree is free of links. Writing
    // through such a link would change files outside the tree.
    static std::optional<std::filesystem::path> FindLink(const std::filesystem::path& root,
                                                         const std::filesystem::path& relative);
};

} // namespace quorrel
