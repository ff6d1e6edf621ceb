#pragma once
#include "tests/support/TempModel.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace quorrel::test {

inline void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A home folder with a model and a small bak/ and template/ of its own:
// every resource folder holds a top file and a file in a sub-folder.
class SiteHome : public TempModel {
public:
    static constexpr const char* kFolders[] = {".settings", "admin",   "attachments", "cache",
                                               "images",    "include", "smarty",      "templates"};
    static constexpr const char* kFiles[] = {
        ".buildpath", ".project", "about.php", "code.php", "config.inc.php", "download.php", "footer.php",
        "friendlink.php", "guestbook.php", "header.php", "index.php", "job.php", "news.php", "newsc.php",
        "picture.php", "pictures.php", "produce.php", "produces.php", "ucenter.php", "user.php"};

    SiteHome() {
        for (const char* folder : kFolders) {
            WriteFile(bak() / folder / "top.txt", std::string("top of ") + folder);
            WriteFile(bak() / folder / "sub" / "deep.txt", std::string("deep in ") + folder);
        }
        for (const char* file : kFiles)
            WriteFile(bak() / file, std::string("file ") + file);
        WriteFile(home() / "template/admin/templates/admin/fream.tpl", "<ul>$topMenuString</ul>\n$contentMenuString\n");
        WriteFile(home() / "template/admin/mysql.sql", "\xEF\xBB\xBF-- $dbprefix\n$sqlString");
    }
    const std::filesystem::path& home() const { return folder(); }
    std::filesystem::path bak() const { return home() / "bak"; }
    std::filesystem::path site(const std::string& project) const { return home() / "projects" / project; }
};

} // namespace quorrel::test
