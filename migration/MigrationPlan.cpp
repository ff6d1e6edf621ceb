#include "migration/MigrationPlan.h"

#include <map>

namespace quorrel {
namespace {

using Kind = TMigrationChange::Kind;

constexpr Kind kKinds[] = {Kind::RenameTable,  Kind::CreateTable, Kind::DropTable,      Kind::RenameColumn,
                           Kind::AddColumn,    Kind::ModifyColumn, Kind::DropColumn,    Kind::ChangeKey,
                           Kind::DropForeignKey, Kind::AddForeignKey};

std::string Describe(const TMigrationChange& change) {
    std::string line = std::string(KindName(change.kind)) + " " + change.subject + "：" + change.reason;
    if (change.rows)
        line += "（" + std::to_string(*change.rows) + "行" + change.rowsWhat + "）";
    return line;
}

} // namespace

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::DropForeignKey:
        return "删除外键";
    case Kind::DropTable:
        return "删除表";
    case Kind::RenameTable:
        return "改名表";
    case Kind::RenameColumn:
        return "改名列";
    case Kind::ModifyColumn:
        return "修改列";
    case Kind::AddColumn:
        return "新增列";
    case Kind::DropColumn:
        return "删除列";
    case Kind::ChangeKey:
        return "更换主键";
    case Kind::CreateTable:
        return "新建表";
    case Kind::AddForeignKey:
        return "新增外键";
    }
    return "";
}

const std::vector<std::string>& TMigrationPlan::SessionSettings() {
    static const std::vector<std::string> settings = {"SET NAMES utf8mb4", "/*M!100601 SET SESSION old_mode = '' */"};
    return settings;
}

std::vector<std::string> TMigrationPlan::Statements() const {
    std::vector<std::string> statements;
    // Column changes of one table go into one ALTER TABLE (the table is
    // rebuilt once), with the statements that prepare and finish them.
    std::size_t i = 0;
    while (i < changes.size()) {
        const TMigrationChange& change = changes[i];
        if (!change.included) {
            ++i;
            continue;
        }
        if (change.table.empty()) {
            statements.push_back(change.statement);
            ++i;
            continue;
        }
        std::vector<std::string> before, clauses, after;
        std::size_t j = i;
        for (; j < changes.size() && changes[j].table == change.table; ++j) {
            if (!changes[j].included)
                continue;
            before.insert(before.end(), changes[j].before.begin(), changes[j].before.end());
            if (!changes[j].clause.empty())
                clauses.push_back(changes[j].clause);
            after.insert(after.end(), changes[j].after.begin(), changes[j].after.end());
        }
        statements.insert(statements.end(), before.begin(), before.end());
        if (!clauses.empty()) {
            std::string alter = "ALTER TABLE `" + change.table + "` ";
            for (std::size_t k = 0; k < clauses.size(); ++k)
                alter += (k ? ", " : "") + clauses[k];
            statements.push_back(alter);
        }
        statements.insert(statements.end(), after.begin(), after.end());
        i = j;
    }
    return statements;
}

std::size_t TMigrationPlan::LeftOut() const {
    std::size_t count = 0;
    for (const auto& change : changes)
        if (!change.included)
            ++count;
    return count;
}

std::vector<std::string> TMigrationPlan::Summary() const {
    std::vector<std::string> lines;
    lines.push_back("数据库变更：把数据库" + database + "从现有的结构改为模型的结构（表前缀" +
                    (tablePrefix.empty() ? std::string("为空") : tablePrefix) + "）");
    if (Statements().empty() && LeftOut() == 0) {
        lines.push_back("数据库已与模型一致，没有需要执行的变更。");
    } else {
        std::map<Kind, int> counts;
        for (const auto& change : changes)
            if (change.included)
                ++counts[change.kind];
        std::string line = "脚本中的变更：";
        bool any = false;
        for (Kind kind : kKinds)
            if (counts[kind] > 0) {
                line += std::string(any ? "，" : "") + KindName(kind) + std::to_string(counts[kind]);
                any = true;
            }
        lines.push_back(any ? line : "脚本中的变更：无");
    }
    std::vector<std::string> losing, leftOut, blocked;
    for (const auto& change : changes) {
        if (change.blocked)
            blocked.push_back(Describe(change));
        else if (change.losesData && change.included)
            losing.push_back(Describe(change));
        else if (change.losesData)
            leftOut.push_back(Describe(change));
    }
    if (!leftOut.empty()) {
        lines.push_back("会丢失数据的变更" + std::to_string(leftOut.size()) +
                        "项，没有写入脚本（确认后允许会丢失数据的变更再生成脚本：命令行加 --allow-data-loss，窗口中勾选“允许会丢失数据的变更”）：");
        for (const auto& line : leftOut)
            lines.push_back("  " + line);
    }
    if (!losing.empty()) {
        lines.push_back("会丢失数据的变更" + std::to_string(losing.size()) + "项，已按选择写入脚本：");
        for (const auto& line : losing)
            lines.push_back("  " + line);
    }
    if (!blocked.empty()) {
        lines.push_back("无法执行的变更" + std::to_string(blocked.size()) + "项，没有写入脚本：");
        for (const auto& line : blocked)
            lines.push_back("  " + line);
    }
    if (!unexplained.empty()) {
        lines.push_back("没有生成记录说明、保持不动的表和列：");
        for (const auto& line : unexplained)
            lines.push_back("  " + line);
    }
    std::vector<std::string> said;
    for (const auto& change : changes)
        if (change.included && !change.note.empty())
            said.push_back(std::string(KindName(change.kind)) + " " + change.subject + "：" + change.note);
    said.insert(said.end(), notes.begin(), notes.end());
    if (!said.empty()) {
        lines.push_back("说明：");
        for (const auto& line : said)
            lines.push_back("  " + line);
    }
    return lines;
}

std::string TMigrationPlan::Script() const {
    std::string text;
    for (const auto& line : Summary()) {
        // A line break in a name or comment must not end the comment early.
        std::string safe;
        for (char c : line)
            safe += (c == '\r' || c == '\n') ? ' ' : c;
        text += "-- " + safe + "\n";
    }
    const auto statements = Statements();
    if (!statements.empty()) {
        text += "\n";
        for (const auto& setting : SessionSettings())
            text += setting + ";\n";
    }
    for (const auto& statement : statements)
        text += statement + ";\n";
    return text;
}

} // namespace quorrel
