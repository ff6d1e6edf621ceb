#include "dbimport/SchemaMapper.h"

#include "model/Member.h"
#include "model/ModelValidator.h"
#include "model/Names.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace quorrel {
namespace {

using Column = TDatabaseSchema::Column;

// The generated site keeps its administrators and their rights in tables of
// its own (and its change log), made by the script after the classes' tables; a class may not
// take their names.
constexpr const char* kSiteAdminTable = "site_admin";
constexpr const char* kSiteRightsTable = "site_admin_right";
constexpr const char* kSiteLogTable = "site_change_log";
using KeyColumn = TDatabaseSchema::KeyColumn;

bool IsOneOf(const std::string& value, std::initializer_list<const char*> choices) {
    return std::any_of(choices.begin(), choices.end(), [&](const char* choice) { return value == choice; });
}

bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::string Joined(const std::vector<std::string>& items, const char* separator = "、") {
    std::string text;
    for (const auto& item : items)
        text += (text.empty() ? "" : separator) + item;
    return text;
}

std::string TableWarning(const std::string& table, const std::string& text) {
    return "表" + table + "：" + text;
}
std::string ColumnWarning(const std::string& table, const std::string& column, const std::string& text) {
    return "表" + table + "的列" + column + "：" + text;
}

// Why a name cannot be a class name: the model's own rules (a capital
// first letter, as the class dialogs demand) and the validator's (a file
// name, a PHP identifier and an unreserved table name, ASCII for the
// templates' loop names). Empty when it can.
std::string ClassNameProblem(const std::string& className) {
    if (className.empty() || !IsAsciiUpper(className[0]))
        return "类名必须以英文字母开头";
    if (!IsSafeFileName(className))
        return "类名“" + className + "”不能用作文件名";
    const std::string table = LowerFirst(className);
    if (!IsPhpIdentifier(table) || HasNonAscii(className))
        return "类名“" + className + "”只能由英文字母、数字和下划线组成";
    if (IsMySqlReservedWord(table))
        return "“" + table + "”是MySQL保留字，生成的SQL语句无法用它作表名";
    return {};
}

// The same for a member name, which must start with a small letter.
std::string MemberNameProblem(const std::string& memberName) {
    if (memberName.empty() || !IsAsciiLower(memberName[0]))
        return "成员名必须以英文字母开头";
    if (!IsPhpIdentifier(memberName) || HasNonAscii(memberName))
        return "列名“" + memberName + "”只能由英文字母、数字和下划线组成，生成的页面无法使用";
    if (IsMySqlReservedWord(memberName))
        return "“" + memberName + "”是MySQL保留字，生成的SQL语句无法用它作列名";
    return {};
}

// A column's name as a member name: an ASCII capital first letter made
// small, or the whole name when it is all capitals ("ID", "URL"). MySQL's
// column names ignore case, so the column is the same.
std::string MemberNameOf(const std::string& column) {
    std::string name = column;
    if (name.empty() || !IsAsciiUpper(name[0]))
        return name;
    const bool allCapitals = std::none_of(name.begin(), name.end(), IsAsciiLower);
    for (std::size_t i = 0; i < (allCapitals ? name.size() : 1); ++i)
        if (IsAsciiUpper(name[i]))
            name[i] = static_cast<char>(name[i] - 'A' + 'a');
    return name;
}

// What a column's own type becomes, before foreign keys are looked at.
struct BasicMapping {
    std::string type;     // empty: the column is skipped
    int length = 0;
    std::string warning;  // what was done, when the column is not carried as it is
};

BasicMapping MapType(const Column& column, bool isJson) {
    const std::string& t = column.dataType;
    const int declared = static_cast<int>(std::clamp<long long>(column.maxLength.value_or(0), 0, kMaxTextLength));
    if (IsOneOf(t, {"tinyint", "smallint", "mediumint", "int", "integer", "bigint"}))
        return {kTypeInteger, 0, {}};
    if (IsOneOf(t, {"year", "bit"}))
        return {kTypeInteger, 0, column.columnType + "列按整型导入"};
    if (IsOneOf(t, {"char", "varchar"}))
        return {kTypeString, declared, {}};
    if (isJson || t == "json")
        return {kTypeString, TSchemaMapper::kTextLength,
                "JSON列按字符串导入，长度取" + std::to_string(TSchemaMapper::kTextLength) + "，不再检查JSON格式"};
    if (t == "tinytext")
        return {kTypeString, TSchemaMapper::kTinyTextLength,
                column.columnType + "列按字符串导入，长度取" + std::to_string(TSchemaMapper::kTinyTextLength)};
    if (IsOneOf(t, {"text", "mediumtext", "longtext"}))
        return {kTypeString, TSchemaMapper::kTextLength,
                column.columnType + "列按字符串导入，长度取" + std::to_string(TSchemaMapper::kTextLength) +
                    "，更长的内容在生成的表中放不下"};
    if (IsOneOf(t, {"enum", "set"}))
        return {kTypeString, declared,
                column.columnType + "列按字符串导入，长度取" + std::to_string(declared) + "，可选值的限制未导入"};
    if (IsOneOf(t, {"date", "datetime", "timestamp"}))
        return {kTypeDate, 0, {}};
    if (IsOneOf(t, {"float", "double", "decimal", "real"}))
        return {kTypeFloat, 0, {}};
    return {{}, 0, "类型" + column.columnType + "没有对应的成员类型，已跳过该列"};
}

// A column is JSON in MariaDB when a check on its table is json_valid() of it.
bool IsJsonColumn(const TDatabaseSchema& schema, const Column& column) {
    if (column.dataType != "longtext")
        return false;
    const std::string clause = "json_valid(`" + column.name + "`)";
    return std::any_of(schema.checks.begin(), schema.checks.end(), [&](const TDatabaseSchema::Check& check) {
        return check.table == column.table && check.clause == clause;
    });
}

// A table that becomes a class.
struct ClassPlan {
    std::string table;
    std::string className;
    std::string friendName;
    std::string keyColumn;
};

} // namespace

TSchemaImport TSchemaMapper::Map(const TDatabaseSchema& schema, const std::string& tablePrefix,
                                 const std::string& projectName) {
    std::vector<std::string> guesses, warnings;

    // Tables by name (byte order), columns by position, keys by table.
    std::vector<TDatabaseSchema::Table> tables = schema.tables;
    std::sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    std::map<std::string, std::vector<Column>> columnsOf;
    for (const Column& column : schema.columns)
        columnsOf[column.table].push_back(column);
    for (auto& [table, columns] : columnsOf)
        std::sort(columns.begin(), columns.end(), [](const Column& a, const Column& b) { return a.position < b.position; });
    // table -> constraint -> its columns in key order
    std::map<std::string, std::map<std::string, std::vector<KeyColumn>>> primaryKeys, foreignKeys;
    for (const KeyColumn& key : schema.keyColumns) {
        if (key.constraint == "PRIMARY" && key.referencedTable.empty())
            primaryKeys[key.table][key.constraint].push_back(key);
        else if (!key.referencedTable.empty())
            foreignKeys[key.table][key.constraint].push_back(key);
    }
    for (auto* keys : {&primaryKeys, &foreignKeys})
        for (auto& [table, constraints] : *keys)
            for (auto& [name, columns] : constraints)
                std::sort(columns.begin(), columns.end(),
                          [](const KeyColumn& a, const KeyColumn& b) { return a.position < b.position; });

    // First pass: which tables become classes, under which names.
    std::vector<ClassPlan> plans;
    std::map<std::string, std::size_t> planOfTable;   // table name -> plans index
    std::map<std::string, std::string> tableOfClass;  // class name -> table name
    for (const auto& table : tables) {
        const std::string& name = table.name;
        if (table.isView) {
            warnings.push_back(TableWarning(name, "是视图，已跳过"));
            continue;
        }
        if (name.compare(0, tablePrefix.size(), tablePrefix) != 0) {
            warnings.push_back(TableWarning(name, "表名不以前缀“" + tablePrefix + "”开头，已跳过"));
            continue;
        }
        if (name.size() == tablePrefix.size()) {
            warnings.push_back(TableWarning(name, "去掉前缀后没有名字，已跳过"));
            continue;
        }
        std::string className = name.substr(tablePrefix.size());
        if (IsAsciiLower(className[0]))
            className[0] = static_cast<char>(className[0] - 'a' + 'A');
        if (const std::string problem = ClassNameProblem(className); !problem.empty()) {
            warnings.push_back(TableWarning(name, problem + "，已跳过该表"));
            continue;
        }
        if (LowerFirst(className) == kSiteAdminTable) {
            warnings.push_back(TableWarning(name, "与生成的网站自带的管理员账号表（前缀+" + std::string(kSiteAdminTable) +
                                                      "）同名，已跳过该表"));
            continue;
        }
        if (LowerFirst(className) == kSiteRightsTable) {
            warnings.push_back(TableWarning(name, "与生成的网站自带的管理员权限表（前缀+" + std::string(kSiteRightsTable) +
                                                      "）同名，已跳过该表"));
            continue;
        }
        if (LowerFirst(className) == kSiteLogTable) {
            warnings.push_back(TableWarning(name, "与生成的网站自带的修改记录表（前缀+" + std::string(kSiteLogTable) +
                                                      "）同名，已跳过该表"));
            continue;
        }
        if (const auto other = tableOfClass.find(className); other != tableOfClass.end()) {
            warnings.push_back(TableWarning(name, "对应的类名" + className + "与表" + other->second +
                                                      "的类重名，拒绝导入该表，没有建第二个同名类"));
            continue;
        }
        const auto keys = primaryKeys.find(name);
        if (keys == primaryKeys.end() || keys->second.empty()) {
            warnings.push_back(TableWarning(name, "没有主键，模型的类必须有一个主键成员，已跳过该表"));
            continue;
        }
        const std::vector<KeyColumn>& keyColumns = keys->second.begin()->second;
        if (keyColumns.size() > 1) {
            std::vector<std::string> names;
            for (const auto& key : keyColumns)
                names.push_back(key.column);
            warnings.push_back(TableWarning(name, "主键由多列（" + Joined(names) +
                                                      "）组成，模型的类只能有一个主键成员，已跳过该表"));
            continue;
        }
        const std::string& keyColumn = keyColumns.front().column;
        const auto& columns = columnsOf[name];
        const auto column = std::find_if(columns.begin(), columns.end(),
                                         [&](const Column& c) { return c.name == keyColumn; });
        if (column == columns.end()) {
            warnings.push_back(TableWarning(name, "读不到主键列" + keyColumn + "的定义，已跳过该表"));
            continue;
        }
        if (const std::string problem = MemberNameProblem(MemberNameOf(keyColumn)); !problem.empty()) {
            warnings.push_back(ColumnWarning(name, keyColumn, problem + "；它是主键，已跳过该表"));
            continue;
        }
        if (!IsOneOf(column->dataType, {"tinyint", "smallint", "mediumint", "int", "integer", "bigint", "char", "varchar"})) {
            warnings.push_back(ColumnWarning(name, keyColumn,
                                             "主键列的类型" + column->columnType +
                                                 "不能作主键成员（只能是整型或字符串），已跳过该表"));
            continue;
        }
        std::string friendName = table.comment.empty() ? name : table.comment;
        if (const std::size_t length = CharacterCount(friendName); length > ModelValidator::kMaxFriendNameLength) {
            warnings.push_back(TableWarning(name, "表注释过长（" + std::to_string(length) + "个字符，友好名称最多" +
                                                      std::to_string(ModelValidator::kMaxFriendNameLength) +
                                                      "个），友好名称取表名"));
            friendName = name;
        }
        // The model's own rules, beside the classes made so far: a comment
        // they refuse gives way to the table name, any other problem skips
        // the table.
        std::vector<std::string> classesSoFar;
        for (const ClassPlan& made : plans)
            classesSoFar.push_back(made.className);
        auto problem = ModelValidator::ClassProblem(className, friendName, classesSoFar, tablePrefix);
        if (problem && friendName != name && !ModelValidator::ClassProblem(className, name, classesSoFar, tablePrefix)) {
            warnings.push_back(TableWarning(name, *problem + "，友好名称取表名"));
            friendName = name;
            problem.reset();
        }
        if (problem) {
            warnings.push_back(TableWarning(name, *problem + "，已跳过该表"));
            continue;
        }
        tableOfClass[className] = name;
        planOfTable[name] = plans.size();
        plans.push_back({name, className, friendName, keyColumn});
    }

    // Second pass: the members of each class.
    std::vector<TClassSnapshot> classes;
    int classId = 0;
    int memberId = 0;
    for (const ClassPlan& plan : plans) {
        const std::string& table = plan.table;
        // column -> the one-column foreign key that starts there
        std::map<std::string, const KeyColumn*> referenceOf;
        for (const auto& [constraint, columns] : foreignKeys[table]) {
            if (columns.size() > 1) {
                std::vector<std::string> names;
                for (const auto& key : columns)
                    names.push_back(key.column);
                warnings.push_back(TableWarning(table, "外键" + constraint + "由多列（" + Joined(names) +
                                                           "）组成，模型的引用只能是一列，这些列按各自的类型导入，外键未导入"));
                continue;
            }
            const KeyColumn& key = columns.front();
            if (referenceOf.count(key.column)) {
                warnings.push_back(ColumnWarning(table, key.column, "另有外键" + constraint + "，只导入了第一个"));
                continue;
            }
            referenceOf[key.column] = &key;
        }

        std::vector<TMember> members;
        for (const Column& column : columnsOf[table]) {
            const std::string memberName = MemberNameOf(column.name);
            const bool isKey = column.name == plan.keyColumn;
            if (const std::string problem = MemberNameProblem(memberName); !problem.empty()) {
                warnings.push_back(ColumnWarning(table, column.name, problem + "，已跳过该列"));
                continue;
            }
            BasicMapping mapping = MapType(column, IsJsonColumn(schema, column));
            std::vector<std::string> notes;
            if (!mapping.warning.empty())
                notes.push_back(mapping.warning);

            // A one-column foreign key to the key of another imported table
            // makes the member a reference to that table's class.
            if (const auto fk = referenceOf.find(column.name); fk != referenceOf.end() && !mapping.type.empty()) {
                const KeyColumn& key = *fk->second;
                const auto target = planOfTable.find(key.referencedTable);
                const std::string fallback = "，按列自身的类型导入";
                if (isKey)
                    notes.push_back("主键同时是指向" + key.referencedTable + "的外键，按主键导入，外键未导入");
                else if (key.referencedSchema != schema.database)
                    notes.push_back("外键指向另一个数据库的表" + key.referencedSchema + "." + key.referencedTable +
                                    fallback);
                else if (key.referencedTable == table)
                    notes.push_back("外键指向本表，模型的类不能引用自身" + fallback);
                else if (target == planOfTable.end())
                    notes.push_back("外键指向的表" + key.referencedTable + "没有导入" + fallback);
                else if (plans[target->second].keyColumn != key.referencedColumn)
                    notes.push_back("外键指向表" + key.referencedTable + "的列" + key.referencedColumn +
                                    "，不是它的主键" + fallback);
                else
                    mapping = {plans[target->second].className, 0, {}};
            }
            if (!memberName.empty() && memberName != column.name)
                notes.push_back("成员名必须以小写字母开头，已改为" + memberName);

            if (mapping.type.empty()) {
                warnings.push_back(ColumnWarning(table, column.name, Joined(notes, "；")));
                continue;
            }
            TMember member;
            member.memberId = ++memberId;
            member.classId = classId + 1;
            member.memberName = memberName;
            member.memberType = mapping.type;
            member.memberLength = mapping.type == kTypeString ? mapping.length : 0;
            member.memberIsPri = isKey ? 1 : 0;
            member.memberComment = column.comment.empty() ? column.name : column.comment;
            member.memberIsInteger = mapping.type == kTypeInteger ? 1 : 0;
            member.memberIsFloat = mapping.type == kTypeFloat ? 1 : 0;
            member.memberIsMust = column.nullable ? 0 : 1;
            if (IsAlwaysRequired(mapping.type) && column.nullable) {
                // The generated table makes every column but text NOT NULL,
                // and the member dialogs require such members.
                notes.push_back("允许为空，但" + std::string(IsReference(mapping.type) ? "引用" : mapping.type) +
                                "成员总是必填，已设为必填");
                member.memberIsMust = 1;
            }
            member.queryFlag = 0;
            member.memberIsDisplay = 0;
            member.memberQueryDisplay = 0;
            // The model's own rules, beside the members taken so far: a
            // comment they refuse gives way to the column name, any other
            // problem skips the column (and the table when it is the key).
            std::vector<std::string> membersSoFar;
            for (const TMember& taken : members)
                membersSoFar.push_back(taken.memberName);
            auto problem = ModelValidator::MemberProblem(plan.className, member, membersSoFar);
            if (problem && member.memberComment != column.name) {
                TMember plain = member;
                plain.memberComment = column.name;
                if (!ModelValidator::MemberProblem(plan.className, plain, membersSoFar)) {
                    notes.push_back(*problem + "，注释取列名");
                    member = std::move(plain);
                    problem.reset();
                }
            }
            if (problem) {
                notes.push_back(*problem + (isKey ? "；它是主键，已跳过该表" : "，已跳过该列"));
                warnings.push_back(ColumnWarning(table, column.name, Joined(notes, "；")));
                if (isKey) {
                    members.clear();
                    break;
                }
                continue;
            }
            if (!notes.empty())
                warnings.push_back(ColumnWarning(table, column.name, Joined(notes, "；")));
            members.push_back(std::move(member));
        }
        if (std::none_of(members.begin(), members.end(), [](const TMember& m) { return m.memberIsPri == 1; }))
            continue;

        // The guesses: the first text member that is not the key (else the
        // first text member, else the key) stands for a record; every text
        // member is a list column.
        TMember* display = nullptr;
        std::vector<std::string> listed;
        for (TMember& m : members) {
            if (m.memberType != kTypeString)
                continue;
            m.memberQueryDisplay = 1;
            listed.push_back(m.memberName);
        }
        for (TMember& m : members)
            if (m.memberType == kTypeString && m.memberIsPri == 0) {
                display = &m;
                break;
            }
        for (TMember& m : members)
            if (!display && m.memberType == kTypeString)
                display = &m;
        for (TMember& m : members)
            if (!display && m.memberIsPri == 1)
                display = &m;
        display->memberIsDisplay = 1;
        guesses.push_back("推测：类" + plan.className + "的显示成员为" + display->memberName +
                          (display->memberType == kTypeString ? "" : "（没有字符串成员，取主键）") + "；列表显示成员为" +
                          (listed.empty() ? std::string("（无）") : Joined(listed)));
        classes.emplace_back(++classId, plan.className, plan.friendName, std::move(members));
    }
    return {TProjectSnapshot(0, projectName, std::move(classes)), std::move(guesses), std::move(warnings)};
}

} // namespace quorrel
