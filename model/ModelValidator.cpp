#include "model/ModelValidator.h"

#include "base/Error.h"
#include "model/ModelLookup.h"
#include "model/Names.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace quorrel {
namespace {

// The reasons a name makes a site that cannot run; empty when it is fine.
std::vector<std::string> NameProblems(const std::string& name, const char* tableOrColumn) {
    std::vector<std::string> problems;
    if (!IsPhpIdentifier(name))
        problems.push_back("“" + name + "”不是合法的PHP变量名（只能由字母、数字、下划线组成且不能以数字开头），生成的页面无法运行");
    if (IsMySqlReservedWord(name))
        problems.push_back("“" + name + "”是MySQL保留字，生成的SQL语句不加引号地用它作" + tableOrColumn + "，无法执行");
    return problems;
}

using Problem = std::optional<std::string>;

// A name or text as a message shows it: at most its first 64 characters, so
// that a huge one does not drown the message.
std::string Shown(const std::string& text) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++characters > 64)
            return text.substr(0, i) + "…";
    return text;
}

std::string ClassNamed(const std::string& className) {
    return "类“" + Shown(className) + "”";
}

std::string MemberNamed(const std::string& className, const std::string& memberName) {
    return ClassNamed(className) + "的成员“" + Shown(memberName) + "”";
}

// The wording of each rule; `what` names the class and member.

Problem NotAName(const std::string& what, const std::string& name) {
    if (IsModelName(name))
        return std::nullopt;
    return what + "“" + Shown(name) +
           "”不能用作名称：名称不能为空，只能由字母、数字、下划线、空格和中文等非英文字符组成，请先修改";
}

Problem TooLong(const std::string& what, const std::string& text, std::size_t limit) {
    const std::size_t count = CharacterCount(text);
    if (count <= limit)
        return std::nullopt;
    return what + "过长（" + std::to_string(count) + "个字符），最多" + std::to_string(limit) + "个字符，请先修改";
}

// A one-line text (a friendly name) holds no control character; a comment
// may hold line breaks and tabs, which every page and script takes as
// white space, but no other control character.
Problem HasControlCharacter(const std::string& what, const std::string& text, bool lineBreaksAllowed) {
    const bool bad = std::any_of(text.begin(), text.end(), [lineBreaksAllowed](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (lineBreaksAllowed && (c == '\r' || c == '\n' || c == '\t'))
            return false;
        return u < 0x20 || u == 0x7F;
    });
    if (!bad)
        return std::nullopt;
    return what + "含有不能有的控制字符（中文名称只能是一行；说明可以换行、有制表符，但不能有其他控制字符），请先修改";
}

// The files a class writes, relative to admin/, as a case-insensitive file
// system sees them.
std::vector<std::string> ClassFiles(const std::string& className) {
    const std::string lower = LowerFirst(className);
    return {lower + ".php", "templates/admin/" + lower + ".html", "templates/admin/" + lower + "_add.html",
            "templates/admin/" + lower + "_edit.html"};
}

// The name of a file without its folders.
std::string BaseName(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

Problem ReplacesSiteFile(const std::string& className) {
    for (const std::string& file : ClassFiles(className))
        for (const std::string& own : ModelValidator::SiteAdminFiles())
            if (AsciiLower(BaseName(file)) == AsciiLower(BaseName(own)))
                return ClassNamed(className) + "生成的文件admin/" + file + "与网站自带的文件admin/" + own +
                       "同名，请换一个类名";
    return std::nullopt;
}

// The files of the classes checked so far, by their lowered path: the class
// that writes each and the path as it writes it.
using TakenFiles = std::unordered_map<std::string, std::pair<std::string, std::string>>;

void TakeFiles(TakenFiles& taken, const std::string& className) {
    for (const std::string& file : ClassFiles(className))
        taken.emplace(AsciiLower(file), std::make_pair(className, file));
}

Problem FilesCollide(const std::string& className, const TakenFiles& taken) {
    for (const std::string& file : ClassFiles(className))
        if (const auto other = taken.find(AsciiLower(file)); other != taken.end())
            return ClassNamed(className) + "和" + ClassNamed(other->second.first) + "生成的文件admin/" + file +
                   "与admin/" + other->second.second + "在不区分大小写的文件系统上是同一个文件，请修改其中一个类名";
    return std::nullopt;
}

// The members checked so far by their lowered name: the name as it is.
using TakenColumns = std::unordered_map<std::string, std::string>;

Problem ColumnsCollide(const std::string& className, const std::string& memberName, const TakenColumns& taken) {
    const auto other = taken.find(AsciiLower(memberName));
    if (other == taken.end())
        return std::nullopt;
    return MemberNamed(className, memberName) + "和成员“" + Shown(other->second) +
           "”在MySQL中是同一列（列名不区分大小写），请修改其中一个成员名";
}

// The rules of one class's own names, then against the classes before it.
Problem CheckClass(const std::string& className, const std::string& friendName, const TakenFiles& otherClasses,
                   const std::string& tablePrefix) {
    const std::string named = ClassNamed(className);
    Problem problem = NotAName("类名", className);
    if (!problem)
        problem = TooLong("类名“" + Shown(className) + "”", className, ModelValidator::kMaxNameLength);
    const std::string table = tablePrefix + LowerFirst(className);
    if (!problem)
        problem = TooLong(named + "加上表前缀后的表名“" + Shown(table) + "”", table, ModelValidator::kMaxNameLength);
    if (!problem)
        problem = TooLong(named + "的中文名称", friendName, ModelValidator::kMaxFriendNameLength);
    if (!problem)
        problem = HasControlCharacter(named + "的中文名称", friendName, false);
    if (!problem)
        problem = ReplacesSiteFile(className);
    if (!problem)
        problem = FilesCollide(className, otherClasses);
    return problem;
}

Problem CheckMember(const std::string& className, const TMember& m, const TakenColumns& otherMembers) {
    const std::string named = MemberNamed(className, m.memberName);
    Problem problem = NotAName(ClassNamed(className) + "的成员名", m.memberName);
    if (!problem)
        problem = TooLong(ClassNamed(className) + "的成员名“" + Shown(m.memberName) + "”", m.memberName,
                          ModelValidator::kMaxNameLength);
    if (!problem)
        problem = TooLong(named + "的类型", m.memberType, ModelValidator::kMaxNameLength);
    if (!problem)
        problem = TooLong(named + "的说明", m.memberComment, ModelValidator::kMaxCommentLength);
    if (!problem)
        problem = HasControlCharacter(named + "的说明", m.memberComment, true);
    // Models written by older versions may hold any number here; the pages
    // size fields from it.
    if (!problem && (m.memberLength < 0 || m.memberLength > kMaxTextLength))
        problem = named + "的长度" + std::to_string(m.memberLength) + "超出范围，应在0到" +
                  std::to_string(kMaxTextLength) + "之间，请先修改";
    if (!problem)
        problem = ColumnsCollide(className, m.memberName, otherMembers);
    return problem;
}

} // namespace

ModelValidator::ModelValidator(const TProjectSnapshot& project) : project_(project) {}

const std::vector<std::string>& ModelValidator::SiteAdminFiles() {
    // Every file the runtime keeps in admin/ (the frame, the sign-in page,
    // the accounts page, the change log, the picture chooser, the reference search, the access rules), the upload page the editors
    // post to, and the menu page. A class file of the same name would
    // replace one of them or be taken for it.
    static const std::vector<std::string> files = {"index.php", "signin.php", "accounts.php", "changes.php", "open_onepic.php", "reference_search.php", ".htaccess",
                                                   ".user.ini", "include/upload.php", "templates/admin/fream.tpl"};
    return files;
}

std::optional<std::string> ModelValidator::ClassProblem(const std::string& className, const std::string& friendName,
                                                        const std::vector<std::string>& otherClassNames,
                                                        const std::string& tablePrefix) {
    TakenFiles taken;
    for (const std::string& other : otherClassNames)
        TakeFiles(taken, other);
    return CheckClass(className, friendName, taken, tablePrefix);
}

std::optional<std::string> ModelValidator::MemberProblem(const std::string& className, const TMember& member,
                                                         const std::vector<std::string>& otherMemberNames) {
    TakenColumns taken;
    for (const std::string& other : otherMemberNames)
        taken.emplace(AsciiLower(other), other);
    return CheckMember(className, member, taken);
}

std::optional<std::string> ModelValidator::FirstProblem(const std::string& tablePrefix) const {
    if (Problem problem = TooLong("项目名称", project_.ProjectName(), kMaxNameLength))
        return problem;
    TakenFiles classesBefore;
    for (const TClassSnapshot& cls : project_.Classes()) {
        if (Problem problem = CheckClass(cls.ClassName(), cls.FriendName(), classesBefore, tablePrefix))
            return problem;
        TakeFiles(classesBefore, cls.ClassName());
        TakenColumns membersBefore;
        for (const TMember& m : cls.Members()) {
            if (Problem problem = CheckMember(cls.ClassName(), m, membersBefore))
                return problem;
            membersBefore.emplace(AsciiLower(m.memberName), m.memberName);
        }
    }
    return std::nullopt;
}

std::optional<ModelValidator::FailedCheck> ModelValidator::FirstFailedCheck() const {
    for (const ModelCheck check : {ModelCheck::Key, ModelCheck::Display})
        for (const TClassSnapshot& cls : project_.Classes())
            if ((check == ModelCheck::Key ? cls.CountKeyMembers() : cls.CountDisplayMembers()) != 1)
                return FailedCheck{cls.ClassId(), cls.ClassName(), check};
    return std::nullopt;
}

std::string ModelValidator::CheckFailedText(const std::string& className, ModelCheck check) {
    return className + (check == ModelCheck::Key ? "表主键设置错误，每个类只能设置一个主键!"
                                                 : "表显示成员设置错误，每个类有且只能设置一个显示成员!");
}

void ModelValidator::CheckNamesAndTexts(const std::string& tablePrefix) const {
    if (Problem problem = FirstProblem(tablePrefix))
        throw Error(*problem);
}

void ModelValidator::CheckLengths() const {
    CheckNamesAndTexts(kDefaultTablePrefix);
}

void ModelValidator::CheckWritable(const std::string& projectName, const std::string& tablePrefix) const {
    if (!IsSafeFileName(projectName))
        throw Error("项目名称“" + Shown(projectName) +
                    "”不能用作文件夹名（不能为空、不能是.或..、不能含/、\\或控制字符），请先修改项目名称");
    CheckNamesAndTexts(tablePrefix);
    for (const TClassSnapshot& cls : project_.Classes()) {
        const std::string& className = cls.ClassName();
        // The list page searches strings, dates and references only.
        for (const TMember& search : cls.SearchMembers()) {
            const std::string& type = search.memberType;
            if (!IsSearchable(type))
                throw Error("类" + className + "的成员" + search.memberName + "是" + type +
                            "，不能参与查询，请取消它的“是否参与查询”标志");
        }
        for (const TMember& reference : cls.ReferenceMembers())
            ResolveReference(project_, className, reference);
    }
}

std::vector<std::string> ModelValidator::Warnings() const {
    std::vector<std::string> lines;
    for (const TClassList::value_type& entry : project_.ClassList()) {
        for (const auto& problem : NameProblems(LowerFirst(entry.name), "表名"))
            lines.push_back("类" + entry.name + "：" + problem);
        // Smarty takes the class name as a loop name, which must be ASCII.
        if (IsPhpIdentifier(entry.name) && HasNonAscii(entry.name))
            lines.push_back("类" + entry.name + "：“" + entry.name +
                            "”含有非英文字符，Smarty模板不能用它作循环名，生成的列表、添加和编辑页面无法编译");
        for (const TMember& m : project_.ClassById(entry.id).Members()) {
            const std::string& member = m.memberName;
            for (const auto& problem : NameProblems(member, "列名"))
                lines.push_back("类" + entry.name + "的成员" + member + "：" + problem);
        }
    }
    return lines;
}

} // namespace quorrel
