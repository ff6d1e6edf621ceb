#pragma once
#include "model/ProjectSnapshot.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorrel {

// Looks at a project snapshot before a generation run writes anything.
// Refuses what would write outside the site or leave a generator without a
// record it needs; warns about names that make a site that cannot run.
class ModelValidator {
public:
    explicit ModelValidator(const TProjectSnapshot& project);

    // MySQL's limits: names of tables and columns, and column comments.
    static constexpr std::size_t kMaxNameLength = 64;
    static constexpr std::size_t kMaxCommentLength = 1024;
    // The friendly name titles pages and menus; no real one comes near this.
    static constexpr std::size_t kMaxFriendNameLength = 255;

    // Raises quorrel::Error for a name, friendly name or comment longer than
    // its limit above (in characters), or a member length outside
    // 0..kMaxTextLength, naming the class and member.
    void CheckLengths() const;

    // Also checks the lengths (CheckLengths). Raises quorrel::Error for a
    // project or class name that cannot be a file
    // name, or a reference member whose class is missing or has no key or
    // display member.
    void CheckWritable(const std::string& projectName) const;

    // One line per name that is not a PHP identifier or is a MySQL reserved
    // word, each beginning with "警告：".
    std::vector<std::string> Warnings() const;

private:
    const TProjectSnapshot& project_;
};

// True when the name can be a file or folder name inside the site.
bool IsSafeFileName(const std::string& name);
// True when $name is a valid PHP variable.
bool IsPhpIdentifier(const std::string& name);
// True when MySQL/MariaDB reserve the word (case-insensitive).
bool IsMySqlReservedWord(const std::string& name);

} // namespace quorrel
