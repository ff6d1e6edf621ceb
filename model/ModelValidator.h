#pragma once
#include "base/ModelCheck.h"
#include "model/ProjectSnapshot.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorrel {

// The rules every name and text of a model keeps, whoever enters it: the
// class and member dialogs, the JSON import and the generation run. A rule
// broken is reported in one wording per rule, naming the class and member.
// The run also refuses what would leave a generator without a record it
// needs, and warns about names that make a site that cannot run.
class ModelValidator {
public:
    explicit ModelValidator(const TProjectSnapshot& project);

    // MySQL's limits: names of tables (prefix included) and columns, and
    // column comments.
    static constexpr std::size_t kMaxNameLength = 64;
    static constexpr std::size_t kMaxCommentLength = 1024;
    // The friendly name titles pages and menus; no real one comes near this.
    static constexpr std::size_t kMaxFriendNameLength = 255;
    // The table prefix the window and the command line start with.
    static constexpr const char* kDefaultTablePrefix = "php_";

    // The first rule that a class, as a class dialog would store it, breaks:
    // its names beside the other classes of its project (by name) and the
    // table prefix in use. Nothing when it keeps every rule.
    static std::optional<std::string> ClassProblem(const std::string& className, const std::string& friendName,
                                                   const std::vector<std::string>& otherClassNames,
                                                   const std::string& tablePrefix);
    // The first rule that a member, as a member dialog would store it,
    // breaks, beside the names of the other members of its class.
    static std::optional<std::string> MemberProblem(const std::string& className, const TMember& member,
                                                    const std::vector<std::string>& otherMemberNames);
    // The first rule that the project breaks: its name, then its classes and
    // their members in order, each against those before it.
    std::optional<std::string> FirstProblem(const std::string& tablePrefix) const;

    // A class that fails the key or the display check.
    struct FailedCheck {
        int classId;
        std::string className;
        ModelCheck check;
    };
    // Every class needs exactly one key member and exactly one display member
    // to be generated: the first class without one key member, else the first
    // without one display member. Nothing when every class has both.
    std::optional<FailedCheck> FirstFailedCheck() const;
    // The wording of a failed check, naming the class.
    static std::string CheckFailedText(const std::string& className, ModelCheck check);

    // Raises quorrel::Error with the first problem (FirstProblem).
    void CheckNamesAndTexts(const std::string& tablePrefix) const;
    // CheckNamesAndTexts with the default table prefix: what a model taken
    // in must keep.
    void CheckLengths() const;

    // Raises quorrel::Error for a project name that cannot be a folder name,
    // the first problem (FirstProblem with the run's table prefix), a search
    // member of a type that cannot be searched, or a reference member whose
    // class is missing or has no key or display member.
    void CheckWritable(const std::string& projectName, const std::string& tablePrefix = kDefaultTablePrefix) const;

    // One warning per name that is not a PHP identifier or is a MySQL
    // reserved word, or that Smarty cannot use as a loop name: the text of a
    // ReportLine::Warning, naming the class (and member).
    std::vector<std::string> Warnings() const;

    // The files of the administration area that the site brings itself,
    // relative to admin/: no class file may take one of their names.
    static const std::vector<std::string>& SiteAdminFiles();

private:
    const TProjectSnapshot& project_;
};

} // namespace quorrel
