#include "migration/MigrationPlanner.h"

#include "generation/Manifest.h"
#include "generators/DataBaseSql.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>

namespace quorrel {
namespace {

using Kind = TMigrationChange::Kind;
using Column = TDatabaseSchema::Column;

std::string Name(const std::string& name) {
    std::string text = "`";
    for (char c : name)
        text += c == '`' ? std::string("``") : std::string(1, c);
    return text + "`";
}

std::string Definition(const TColumnModel& column) {
    return column.Definition() + " COMMENT '" + SqlCommentText(column.comment) + "'";
}

// A column type as a kind and a length: "varchar(40)" is {"varchar", 40}.
struct SqlType {
    std::string kind;
    long long length = 0;
};

SqlType ParseType(const std::string& type) {
    const auto open = type.find('(');
    if (open == std::string::npos)
        return {type, 0};
    SqlType parsed{type.substr(0, open), 0};
    try {
        parsed.length = std::stoll(type.substr(open + 1));
    } catch (const std::exception&) {
    }
    return parsed;
}

bool IsTextKind(const std::string& kind) {
    return kind == "varchar" || kind == "char" || kind == "text" || kind == "tinytext" || kind == "mediumtext" ||
           kind == "longtext";
}

// Whether a column of type `to` holds every value a column of type `from`
// can hold, as text of the same characters.
bool Holds(const std::string& from, const std::string& to) {
    if (from == to)
        return true;
    // Attributes after the type ("unsigned", "zerofill") widen or change the
    // values it holds: only the same type is known to hold them.
    if (from.find(' ') != std::string::npos || to.find(' ') != std::string::npos)
        return false;
    SqlType a = ParseType(from), b = ParseType(to);
    if (a.kind == "char")
        a.kind = "varchar";
    // utf8 text: a text column holds 65535 bytes, 21845 characters.
    const long long textChars = 21845;
    auto fitsIn = [&](long long chars) {
        if (b.kind == "varchar")
            return b.length >= chars;
        return b.kind == "text" && chars <= textChars;
    };
    if (a.kind == "varchar")
        return fitsIn(a.length);
    if (a.kind == "text")
        return b.kind == "text";
    if (a.kind == "int")
        return fitsIn(11) || b.kind == "int";
    if (a.kind == "float")
        return fitsIn(12);
    if (a.kind == "date")
        return fitsIn(10);
    return false;
}

// The value a new required column takes in the rows a table already has.
std::string DefaultFor(const TColumnModel& column) {
    const std::string kind = ParseType(column.type).kind;
    if (kind == "int" || kind == "float")
        return "0";
    if (kind == "date")
        return "'1970-01-01'";
    return "''";
}

// Column names are the same whatever their case: MariaDB compares them so.
bool SameColumnName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// A recorded column by its name: the same name first, then one that differs
// only in case.
const TColumnModel* ColumnNamed(const TTableModel& table, const std::string& name) {
    if (const TColumnModel* exact = table.Column(name))
        return exact;
    for (const auto& column : table.columns)
        if (SameColumnName(column.name, name))
            return &column;
    return nullptr;
}

struct LiveColumn {
    const Column* column;
    std::string uid;            // empty: no record explains it
    const TSchemaModel* source = nullptr;  // the record that explained it
    bool leftAlone = false;     // changed by hand since its record
};

struct LiveTable {
    std::string name;
    std::string uid;
    const TSchemaModel* source = nullptr;
    std::vector<LiveColumn> columns;  // in column order
    std::vector<std::string> primary; // the primary key's columns

    LiveColumn* ByUid(const std::string& uid) {
        for (auto& c : columns)
            if (!uid.empty() && c.uid == uid)
                return &c;
        return nullptr;
    }
    const LiveColumn* ByName(const std::string& name) const {
        for (const auto& c : columns)
            if (SameColumnName(c.column->name, name))
                return &c;
        return nullptr;
    }
};

struct LiveForeignKey {
    std::string table, name;
    std::vector<std::string> columns;
    std::string referencedTable;
    std::vector<std::string> referencedColumns;
};

// Tables the site's runtime keeps beside the model's (its accounts and log): never
// the model's, never changed by a migration.
constexpr const char* kSiteTables[] = {"site_admin", "site_admin_right", "site_change_log"};

bool IsSiteTable(const std::string& name, const std::string& prefix) {
    for (const char* table : kSiteTables)
        if (name == prefix + table)
            return true;
    return false;
}

bool HasPrefix(const std::string& name, const std::string& prefix) {
    return name.size() >= prefix.size() && name.compare(0, prefix.size(), prefix) == 0;
}

class Planner {
public:
    explicit Planner(const TMigrationPlanner::Input& in) : in_(in) {}

    TMigrationPlan Run() {
        plan_.database = in_.database.database;
        plan_.tablePrefix = in_.tablePrefix;
        plan_.allowDataLoss = in_.allowDataLoss;
        plan_.fingerprint = TMigrationPlanner::Fingerprint(in_.database, in_.tablePrefix);
        ReadDatabase();
        Pair();
        PlanTables();
        PlanColumns();
        Decide();
        PlanForeignKeys();
        for (auto* bucket : {&fkDrops_, &tableDrops_, &tableRenames_, &columnChanges_, &tableCreates_, &fkAdds_})
            plan_.changes.insert(plan_.changes.end(), bucket->begin(), bucket->end());
        return plan_;
    }

private:
    // ---- the database as it is ----
    void ReadDatabase() {
        std::set<std::string> views;
        for (const auto& t : in_.database.tables)
            if (t.isView)
                views.insert(t.name);
        std::map<std::string, std::vector<const Column*>> columns;
        for (const auto& c : in_.database.columns)
            if (HasPrefix(c.table, in_.tablePrefix) && !views.count(c.table) && !IsSiteTable(c.table, in_.tablePrefix))
                columns[c.table].push_back(&c);
        for (const auto& t : in_.database.tables)
            if (!t.isView && HasPrefix(t.name, in_.tablePrefix) && !IsSiteTable(t.name, in_.tablePrefix))
                tables_.push_back({t.name, {}, nullptr, {}, {}});
        std::sort(tables_.begin(), tables_.end(), [](const LiveTable& a, const LiveTable& b) { return a.name < b.name; });
        for (auto& table : tables_) {
            auto& list = columns[table.name];
            std::sort(list.begin(), list.end(), [](const Column* a, const Column* b) { return a->position < b->position; });
            for (const Column* c : list)
                table.columns.push_back({c, {}, nullptr, false});
        }
        std::map<std::pair<std::string, std::string>, LiveForeignKey> keys;
        std::vector<const TDatabaseSchema::KeyColumn*> sorted;
        for (const auto& k : in_.database.keyColumns)
            sorted.push_back(&k);
        std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->position < b->position; });
        for (const auto* k : sorted) {
            if (LiveTable* table = Live(k->table)) {
                if (k->constraint == "PRIMARY" && k->referencedTable.empty()) {
                    table->primary.push_back(k->column);
                } else if (!k->referencedTable.empty()) {
                    auto& fk = keys[{k->table, k->constraint}];
                    fk.table = k->table;
                    fk.name = k->constraint;
                    fk.columns.push_back(k->column);
                    fk.referencedTable = k->referencedTable;
                    fk.referencedColumns.push_back(k->referencedColumn);
                }
            }
        }
        for (auto& [key, fk] : keys)
            foreignKeys_.push_back(fk);
    }

    LiveTable* Live(const std::string& name) {
        for (auto& t : tables_)
            if (t.name == name)
                return &t;
        return nullptr;
    }
    LiveTable* LiveByUid(const std::string& uid) {
        for (auto& t : tables_)
            if (!uid.empty() && t.uid == uid)
                return &t;
        return nullptr;
    }
    std::string Unprefixed(const std::string& name) const { return name.substr(in_.tablePrefix.size()); }
    std::string Prefixed(const std::string& name) const { return in_.tablePrefix + name; }

    // ---- identities ----
    // The record that explains the most of the database: each table it names
    // counts, each column more, a column of the recorded type more still.
    // Today's model wins a tie, then the record read first.
    const TSchemaModel* BestRecord() {
        const TSchemaModel* best = &in_.target;
        long long bestScore = Score(in_.target);
        for (const auto& record : in_.records) {
            const long long score = Score(record);
            if (score > bestScore) {
                best = &record;
                bestScore = score;
            }
        }
        return best;
    }
    long long Score(const TSchemaModel& record) const {
        long long score = 0;
        for (const auto& table : tables_)
            if (const TTableModel* t = record.Table(Unprefixed(table.name))) {
                score += 1;
                for (const auto& c : table.columns)
                    if (const TColumnModel* m = ColumnNamed(*t, c.column->name))
                        score += 2 + (m->type == c.column->columnType ? 1 : 0);
            }
        return score;
    }

    void Pair() {
        const TSchemaModel* best = BestRecord();
        std::vector<const TSchemaModel*> order{best};
        if (best != &in_.target)
            order.push_back(&in_.target);
        for (const auto& record : in_.records)
            if (&record != best)
                order.push_back(&record);

        std::set<std::string> takenTables;
        for (const TSchemaModel* record : order)
            for (auto& table : tables_) {
                if (!table.uid.empty())
                    continue;
                const TTableModel* t = record->Table(Unprefixed(table.name));
                if (t && !t->uid.empty() && takenTables.insert(t->uid).second) {
                    table.uid = t->uid;
                    table.source = record;
                }
            }
        for (auto& table : tables_) {
            if (table.uid.empty()) {
                plan_.unexplained.push_back("表" + table.name + "：没有任何生成记录或今天的模型说明它");
                continue;
            }
            std::set<std::string> takenColumns;
            for (const TSchemaModel* record : order) {
                const TTableModel* t = record->TableByUid(table.uid);
                if (!t)
                    continue;
                for (auto& c : table.columns) {
                    if (!c.uid.empty())
                        continue;
                    const TColumnModel* m = ColumnNamed(*t, c.column->name);
                    if (m && !m->uid.empty() && takenColumns.insert(m->uid).second) {
                        c.uid = m->uid;
                        c.source = record;
                    }
                }
            }
            for (auto& c : table.columns) {
                const std::string where = "列" + table.name + "." + c.column->name;
                if (c.uid.empty()) {
                    plan_.unexplained.push_back(where + "：没有任何生成记录说明它");
                    continue;
                }
                // A column whose record says another type than it has, and
                // which the model does not want as it is, was changed by hand:
                // no guess is made over it.
                if (c.source != &in_.target) {
                    const TTableModel* t = c.source->TableByUid(table.uid);
                    const TColumnModel* recorded = t ? t->ColumnByUid(c.uid) : nullptr;
                    const TTableModel* wanted = in_.target.TableByUid(table.uid);
                    const TColumnModel* target = wanted ? wanted->ColumnByUid(c.uid) : nullptr;
                    if (recorded && Differs(*c.column, *recorded) && (!target || Differs(*c.column, *target))) {
                        c.leftAlone = true;
                        plan_.unexplained.push_back(where + "：生成之后被手工改过（记录的类型为" +
                                                    recorded->Definition() + "，现在为" + LiveDefinition(*c.column) +
                                                    "），保持不动");
                    }
                }
            }
        }
    }

    static bool AutoIncrement(const Column& c) { return c.extra.find("auto_increment") != std::string::npos; }
    static bool Differs(const Column& live, const TColumnModel& model) {
        return live.columnType != model.type || live.nullable != model.nullable ||
               AutoIncrement(live) != model.autoIncrement;
    }
    static std::string LiveDefinition(const Column& c) {
        return c.columnType + (c.nullable ? " NULL" : " NOT NULL") + (AutoIncrement(c) ? " AUTO_INCREMENT" : "");
    }

    // ---- tables ----
    void PlanTables() {
        std::set<std::string> names;
        for (const auto& t : tables_)
            names.insert(t.name);
        for (auto& table : tables_) {
            if (table.uid.empty())
                continue;
            const TTableModel* target = in_.target.TableByUid(table.uid);
            if (!target) {
                TMigrationChange change = Make(Kind::DropTable, table.name);
                change.losesData = true;
                change.reason = "模型中已没有它的类";
                change.statement = "DROP TABLE " + Name(table.name);
                Count(change, "SELECT COUNT(*) FROM " + Name(table.name), "数据将被删除");
                tableDrops_.push_back(change);
            } else if (Prefixed(target->name) != table.name) {
                TMigrationChange change = Make(Kind::RenameTable, table.name + " → " + Prefixed(target->name));
                change.reason = "类已改名为" + target->className;
                change.statement = "RENAME TABLE " + Name(table.name) + " TO " + Name(Prefixed(target->name));
                renames_[table.name] = Prefixed(target->name);
                tableRenames_.push_back(change);
            }
        }
        for (const auto& target : in_.target.tables)
            if (!LiveByUid(target.uid)) {
                TMigrationChange change = Make(Kind::CreateTable, Prefixed(target.name));
                change.statement = CreateTable(target);
                tableCreates_.push_back(change);
            }
    }

    std::string CreateTable(const TTableModel& table) const {
        std::string text = "CREATE TABLE " + Name(Prefixed(table.name)) + " (\n";
        for (const auto& column : table.columns)
            text += "  " + Name(column.name) + " " + Definition(column) + ",\n";
        text += "  PRIMARY KEY (" + Name(table.columns.front().name) + ")\n";
        text += ") ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin";
        return text;
    }

    // ---- columns ----
    void PlanColumns() {
        for (const auto& target : in_.target.tables) {
            LiveTable* table = LiveByUid(target.uid);
            if (!table)
                continue;
            const std::string name = Prefixed(target.name);
            std::string previous;
            for (const auto& column : target.columns) {
                LiveColumn* live = table->ByUid(column.uid);
                if (!live)
                    AddColumn(*table, name, column, previous);
                else if (!live->leftAlone)
                    ChangeColumn(*table, name, *live, column);
                previous = column.name;
            }
            for (const auto& live : table->columns)
                if (!live.uid.empty() && !live.leftAlone && !target.ColumnByUid(live.uid)) {
                    TMigrationChange change = Make(Kind::DropColumn, name + "." + live.column->name);
                    change.table = name;
                    change.losesData = true;
                    change.reason = "模型中已没有这个成员";
                    change.clause = "DROP COLUMN " + Name(live.column->name);
                    Count(change, NonEmptyCount(table->name, *live.column), "有值");
                    PushColumnChange(change, *table, live.uid, {live.column->name});
                }
            ChangeKey(*table, name, target);
        }
    }

    void AddColumn(LiveTable& table, const std::string& name, const TColumnModel& column, const std::string& previous) {
        TMigrationChange change = Make(Kind::AddColumn, name + "." + column.name);
        change.table = name;
        if (const LiveColumn* taken = table.ByName(column.name); taken && !WillGo(table, *taken)) {
            change.blocked = true;
            change.reason = "列名已被现有的列占用";
            PushColumnChange(change, table, column.uid, {});
            return;
        }
        std::string clause = "ADD COLUMN " + Name(column.name) + " " + column.Definition();
        if (!column.nullable) {
            // Existing rows get a value the column can hold; the default is
            // dropped again afterwards, so the column ends as the script makes it.
            const std::string value = DefaultFor(column);
            clause += " DEFAULT " + value;
            change.after.push_back("ALTER TABLE " + Name(name) + " ALTER COLUMN " + Name(column.name) +
                                   " DROP DEFAULT");
            change.note = "必填，已有的行取默认值" + value;
            if (column.IsReference()) {
                const std::string referenced = Prefixed(column.referencedTable);
                change.after.insert(change.after.begin(),
                                    "UPDATE " + Name(name) + " SET " + Name(column.name) + " = (SELECT MIN(" +
                                        Name(column.referencedColumn) + ") FROM " + Name(referenced) + ")");
                change.note = "必填的引用，已有的行指向" + referenced + "中" + column.referencedColumn + "最小的记录";
            }
        }
        clause += " COMMENT '" + SqlCommentText(column.comment) + "'";
        clause += previous.empty() ? " FIRST" : " AFTER " + Name(previous);
        change.clause = clause;
        PushColumnChange(change, table, column.uid, {});
    }

    bool InForeignKeyOutsideModel(const LiveTable& table, const Column& c) {
        for (const auto& fk : foreignKeys_) {
            const bool from = fk.table == table.name &&
                              std::any_of(fk.columns.begin(), fk.columns.end(),
                                          [&](const std::string& n) { return SameColumnName(n, c.name); });
            const bool to = fk.referencedTable == table.name &&
                            std::any_of(fk.referencedColumns.begin(), fk.referencedColumns.end(),
                                        [&](const std::string& n) { return SameColumnName(n, c.name); });
            if (!from && !to)
                continue;
            const LiveTable* other = Live(from ? fk.referencedTable : fk.table);
            if (fk.columns.size() != 1 || !other || other->uid.empty())
                return true;
        }
        return false;
    }

    // What a live column refers to now: its foreign key says it; without one
    // (dropped by a migration that stopped), the records of earlier runs.
    struct CurrentReference {
        bool known = false;
        bool isReference = false;
        std::string referencesUid;
    };
    CurrentReference ReferenceOf(const LiveTable& table, const LiveColumn& live) {
        for (const auto& fk : foreignKeys_)
            if (fk.table == table.name && fk.columns.size() == 1 && fk.columns.front() == live.column->name) {
                const LiveTable* referenced = Live(fk.referencedTable);
                return {true, true, referenced ? referenced->uid : std::string()};
            }
        std::vector<const TSchemaModel*> order;
        if (live.source && live.source != &in_.target)
            order.push_back(live.source);
        for (const auto& record : in_.records)
            order.push_back(&record);
        for (const TSchemaModel* record : order)
            if (const TTableModel* t = record->TableByUid(table.uid))
                if (const TColumnModel* c = t->ColumnByUid(live.uid))
                    return {true, c->IsReference(), c->referencesUid};
        return {};
    }

    // Whether a live column leaves its name free: it is renamed or dropped.
    bool WillGo(const LiveTable& table, const LiveColumn& live) const {
        if (live.uid.empty() || live.leftAlone)
            return false;
        const TTableModel* target = in_.target.TableByUid(table.uid);
        const TColumnModel* wanted = target ? target->ColumnByUid(live.uid) : nullptr;
        if (!wanted)
            return in_.allowDataLoss;  // dropped only when allowed
        return wanted->name != live.column->name;
    }

    void ChangeColumn(LiveTable& table, const std::string& name, LiveColumn& live, const TColumnModel& column) {
        const Column& c = *live.column;
        const bool renamed = c.name != column.name;
        const CurrentReference before = ReferenceOf(table, live);
        const bool kindChanged = before.known && before.isReference != column.IsReference();
        const bool referenceMoved =
            before.known && !kindChanged && column.IsReference() && before.referencesUid != column.referencesUid;
        const bool changed = Differs(c, column) || c.comment != column.comment || kindChanged || referenceMoved;
        if (!renamed && !changed)
            return;
        const std::string subject = name + "." + c.name + (renamed ? " → " + column.name : "");
        TMigrationChange change = Make(renamed ? Kind::RenameColumn : Kind::ModifyColumn, subject);
        change.table = name;
        if (renamed) {
            if (const LiveColumn* taken = table.ByName(column.name); taken && !WillGo(table, *taken)) {
                change.blocked = true;
                change.reason = "列名已被现有的列占用";
                PushColumnChange(change, table, live.uid, {});
                return;
            }
            change.reason = "成员已改名";
        }
        if (!changed) {
            change.clause = "RENAME COLUMN " + Name(c.name) + " TO " + Name(column.name);
            PushColumnChange(change, table, live.uid, {c.name}, column.name);
            return;
        }
        // A column of a foreign key the model does not know (to or from a
        // table no record explains, or over several columns) must keep its
        // type, or the key no longer fits: it is renamed at most.
        if (InForeignKeyOutsideModel(table, c) && changed) {
            change.blocked = true;
            change.reason = "它属于一个模型之外的外键（指向或来自没有记录说明的表，或由几列组成），改变它的定义（连同字符集和排序规则）会使外键失效";
            PushColumnChange(change, table, live.uid, {});
            if (renamed) {
                TMigrationChange rename = Make(Kind::RenameColumn, subject);
                rename.table = name;
                rename.reason = "成员已改名";
                rename.clause = "RENAME COLUMN " + Name(c.name) + " TO " + Name(column.name);
                PushColumnChange(rename, table, live.uid, {c.name}, column.name);
            }
            return;
        }
        std::vector<std::string> what;
        if (c.columnType != column.type)
            what.push_back("类型" + c.columnType + " → " + column.type);
        if (c.nullable != column.nullable)
            what.push_back(column.nullable ? "改为可以为空" : "改为必填");
        if (c.comment != column.comment)
            what.push_back("注释改变");
        if (kindChanged || referenceMoved)
            what.push_back("引用改变");
        std::string reason;
        for (const auto& part : what)
            reason += (reason.empty() ? "" : "，") + part;
        change.reason = renamed ? "成员已改名，" + reason : reason;
        if (c.nullable && !column.nullable) {
            const std::string empty = DefaultFor(column);
            change.before.push_back("UPDATE " + Name(name) + " SET " + Name(c.name) + " = " + empty +
                                    " WHERE " + Name(c.name) + " IS NULL");
            change.note = "改为必填，为空的行取" + empty;
        }
        // Only the key column is AUTO_INCREMENT: gaining or losing it goes
        // with a change of the class's key.
        if (AutoIncrement(c) != column.autoIncrement) {
            change.losesData = true;
            change.reason += "：随主键的更换而变";
        }
        // Whether the type change keeps every value, and a reference its class.
        if (!Holds(c.columnType, column.type)) {
            change.losesData = true;
            const SqlType to = ParseType(column.type);
            if (to.kind == "varchar" && IsTextKind(ParseType(c.columnType).kind)) {
                const std::string tooLong = "CHAR_LENGTH(" + Name(c.name) + ") > " + std::to_string(to.length);
                Count(change, "SELECT COUNT(*) FROM " + Name(table.name) + " WHERE " + tooLong,
                      "超出新的长度，会被截断");
                // Cut as asked, not refused by the server's strict mode.
                change.before.push_back("UPDATE " + Name(name) + " SET " + Name(c.name) + " = LEFT(" +
                                        Name(c.name) + ", " + std::to_string(to.length) + ") WHERE " + tooLong);
            }
            else
                Count(change, NonEmptyCount(table.name, c), "的值不一定能保留");
            change.reason += "：新的类型不能容纳所有现有的值";
        }
        if (kindChanged) {
            change.losesData = true;
            change.reason += column.IsReference() ? "：普通的值改为引用" : "：引用改为普通的值";
            Count(change, NonEmptyCount(table.name, c), "有值");
        } else if (referenceMoved) {
            change.losesData = true;
            change.reason += "：引用改指向另一个类" + column.referencedTable;
            const std::string newTable = Prefixed(column.referencedTable);
            if (LiveTable* referenced = Live(newTable); referenced && referenced->ByName(column.referencedColumn))
                Count(change,
                      "SELECT COUNT(*) FROM " + Name(table.name) + " WHERE " + Name(c.name) + " NOT IN (SELECT " +
                          Name(column.referencedColumn) + " FROM " + Name(newTable) + ")",
                      "会指向不存在的记录");
            else
                Count(change, "SELECT COUNT(*) FROM " + Name(table.name), "会指向不存在的记录");
        }
        change.clause = (renamed ? "CHANGE COLUMN " + Name(c.name) + " " : "MODIFY COLUMN ") + Name(column.name) + " " +
                        Definition(column);
        PushColumnChange(change, table, live.uid, {c.name}, renamed ? column.name : std::string());
    }

    void ChangeKey(LiveTable& table, const std::string& name, const TTableModel& target) {
        const TColumnModel& key = target.columns.front();
        const LiveColumn* live = table.ByUid(key.uid);
        const bool same = table.primary.size() == 1 && live && table.primary.front() == live->column->name;
        if (same || !live)
            return;  // a new key column is added with the table's other columns
        std::string old;
        for (const auto& c : table.primary)
            old += (old.empty() ? "" : ",") + c;
        TMigrationChange change = Make(Kind::ChangeKey, name + "：" + (old.empty() ? "无" : old) + " → " + key.name);
        change.table = name;
        change.losesData = true;
        change.reason = "类的主键换成了另一个成员，原来的键值不再标识记录";
        Count(change,
              "SELECT COUNT(*) - COUNT(DISTINCT " + Name(live->column->name) + ") FROM " + Name(table.name),
              "的新主键值重复");
        change.clause = table.primary.empty() ? "ADD PRIMARY KEY (" + Name(key.name) + ")"
                                              : "DROP PRIMARY KEY, ADD PRIMARY KEY (" + Name(key.name) + ")";
        // The key column stands first, as the creation script puts it: moved
        // there by its own change, or by one made for it here.
        bool moved = false;
        for (std::size_t i = 0; i < columnChanges_.size(); ++i)
            if (columnOwners_[i].table == table.name && columnOwners_[i].memberUid == key.uid &&
                !columnChanges_[i].clause.empty()) {
                columnChanges_[i].clause += " FIRST";
                moved = true;
            }
        if (!moved)
            change.clause = "MODIFY COLUMN " + Name(key.name) + " " + Definition(key) + " FIRST, " + change.clause;
        std::vector<std::string> touched = table.primary;
        touched.push_back(live->column->name);
        touched.push_back("");  // the key itself: foreign keys that reference the table
        PushColumnChange(change, table, key.uid, touched);
    }

    // A column change, with the member it serves and the live columns it
    // touches (an empty name: the table's key).
    void PushColumnChange(const TMigrationChange& change, const LiveTable& table, const std::string& memberUid,
                          std::vector<std::string> touches, std::string renamedTo = {}) {
        columnChanges_.push_back(change);
        columnOwners_.push_back({table.name, table.uid, memberUid, std::move(touches), std::move(renamedTo)});
    }

    // ---- foreign keys ----
    void PlanForeignKeys() {
        // What the included changes touch.
        for (std::size_t i = 0; i < columnChanges_.size(); ++i) {
            const ColumnOwner& owner = columnOwners_[i];
            if (!columnChanges_[i].included) {
                leftOutColumns_.insert({owner.tableUid, owner.memberUid});
                continue;
            }
            for (const auto& column : owner.touches) {
                if (column.empty())
                    keyChanged_.insert(owner.table);
                else
                    touchedColumns_.insert({owner.table, column});
            }
            if (!owner.renamedTo.empty() && !owner.touches.empty())
                columnRenames_[{owner.table, owner.touches.front()}] = owner.renamedTo;
            if (columnChanges_[i].kind == Kind::DropColumn)
                droppedColumns_.insert({owner.table, owner.touches.front()});
        }
        for (const auto& change : tableRenames_)
            if (change.included)
                renamedTables_.insert(change.subject.substr(0, change.subject.find(" → ")));
        for (const auto& change : tableDrops_)
            if (change.included)
                droppedTables_.insert(change.subject);
        // Every foreign key a change touches goes first and comes back last,
        // named; an untouched one that the model still has stays.
        std::set<std::pair<std::string, std::string>> kept;  // (table uid, column uid) with a live key
        std::set<std::string> usedNames;
        for (const auto& fk : foreignKeys_)
            usedNames.insert(fk.name);
        for (const auto& fk : foreignKeys_) {
            const bool touched = Touched(fk);
            LiveTable* table = Live(fk.table);
            const LiveColumn* column = table && fk.columns.size() == 1 ? table->ByName(fk.columns.front()) : nullptr;
            bool wanted = false;
            if (!touched && table && column && !column->uid.empty()) {
                const TTableModel* target = in_.target.TableByUid(table->uid);
                const TColumnModel* m = target ? target->ColumnByUid(column->uid) : nullptr;
                const LiveTable* referenced = Live(fk.referencedTable);
                wanted = m && m->IsReference() && referenced && referenced->uid == m->referencesUid &&
                         !m->referencesUid.empty();
                if (wanted)
                    kept.insert({table->uid, column->uid});
            }
            if (touched) {
                TMigrationChange change = Make(Kind::DropForeignKey, fk.table + "." + fk.name);
                change.reason = "它的表或列有变化";
                change.statement = "ALTER TABLE " + Name(fk.table) + " DROP FOREIGN KEY " + Name(fk.name);
                fkDrops_.push_back(change);
                restore_.push_back(&fk);
            }
        }
        for (const auto& target : in_.target.tables)
            for (const auto& column : target.columns) {
                if (!column.IsReference() || kept.count({target.uid, column.uid}))
                    continue;
                const std::string table = Prefixed(target.name);
                std::string name = table + "_" + column.name + "_fk";
                if (name.size() > 64)
                    name = name.substr(0, 56) + "_" + Manifest::Sha256(name).substr(0, 7);
                for (int n = 2; usedNames.count(name); ++n)
                    name = name.substr(0, 60) + "_" + std::to_string(n);
                usedNames.insert(name);
                TMigrationChange change = Make(Kind::AddForeignKey, table + "." + column.name + " → " +
                                                                        Prefixed(column.referencedTable));
                change.statement = "ALTER TABLE " + Name(table) + " ADD CONSTRAINT " + Name(name) + " FOREIGN KEY (" +
                                   Name(column.name) + ") REFERENCES " + Name(Prefixed(column.referencedTable)) +
                                   " (" + Name(column.referencedColumn) + ")";
                // Not over a column whose change is left out, nor to or from a
                // table that cannot be made.
                const LiveTable* live = LiveByUid(target.uid);
                const LiveColumn* liveColumn = live ? const_cast<LiveTable*>(live)->ByUid(column.uid) : nullptr;
                const bool waits = leftOutColumns_.count({target.uid, column.uid}) ||
                                   leftOutColumns_.count({target.uid, target.keyUid});
                const bool blocked = (liveColumn && liveColumn->leftAlone) || !Creatable(table) ||
                                     !Creatable(Prefixed(column.referencedTable));
                if (blocked) {
                    change.included = false;
                    change.blocked = true;
                    change.reason = "它的列或表保持不动或无法建立";
                } else if (waits) {
                    change.included = false;
                    change.losesData = true;
                    change.reason = "要与它的列的变更一起写入";
                }
                fkAdds_.push_back(change);
                if (change.included)
                    replaced_.insert({target.uid, column.uid});
            }
        // A dropped key the model does not make again (to a table or over
        // columns it does not know) comes back as it was, under its own name
        // and the new names of its table and columns.
        for (const LiveForeignKey* fk : restore_) {
            LiveTable* table = Live(fk->table);
            const LiveColumn* column =
                table && fk->columns.size() == 1 ? table->ByName(fk->columns.front()) : nullptr;
            if (column && replaced_.count({table->uid, column->uid}))
                continue;
            bool survives = !droppedTables_.count(fk->table) && !droppedTables_.count(fk->referencedTable);
            for (const auto& c : fk->columns)
                survives = survives && !droppedColumns_.count({fk->table, c});
            for (const auto& c : fk->referencedColumns)
                survives = survives && !droppedColumns_.count({fk->referencedTable, c});
            // A reference the model turned into a plain value goes for good.
            const TTableModel* wanted = table ? in_.target.TableByUid(table->uid) : nullptr;
            const TColumnModel* model = wanted && column ? wanted->ColumnByUid(column->uid) : nullptr;
            if (!survives || (model && !model->IsReference()))
                continue;
            TMigrationChange change = Make(Kind::AddForeignKey, NewTable(fk->table) + "." + fk->name);
            change.reason = "恢复模型之外的外键";
            change.statement = "ALTER TABLE " + Name(NewTable(fk->table)) + " ADD CONSTRAINT " + Name(fk->name) +
                               " FOREIGN KEY (" + NewColumns(fk->table, fk->columns) + ") REFERENCES " +
                               Name(NewTable(fk->referencedTable)) + " (" +
                               NewColumns(fk->referencedTable, fk->referencedColumns) + ")";
            change.note = "先删除再按原样加回（它指向模型之外的表或列）";
            fkAdds_.push_back(change);
        }
    }

    std::string NewTable(const std::string& live) const {
        const auto found = renames_.find(live);
        return found != renames_.end() && renamedTables_.count(live) ? found->second : live;
    }
    std::string NewColumns(const std::string& table, const std::vector<std::string>& columns) const {
        std::string text;
        for (const auto& c : columns) {
            const auto found = columnRenames_.find({table, c});
            text += (text.empty() ? "" : ", ") + Name(found != columnRenames_.end() ? found->second : c);
        }
        return text;
    }

    bool Touched(const LiveForeignKey& fk) const {
        auto touches = [&](const std::string& table, const std::vector<std::string>& columns) {
            if (renamedTables_.count(table) || droppedTables_.count(table) || keyChanged_.count(table))
                return true;
            for (const auto& c : columns)
                if (touchedColumns_.count({table, c}))
                    return true;
            return false;
        };
        return touches(fk.table, fk.columns) || touches(fk.referencedTable, fk.referencedColumns);
    }

    // ---- what goes into the script ----
    void Decide() {
        for (auto* bucket : {&tableDrops_, &tableRenames_, &columnChanges_, &tableCreates_})
            for (auto& change : *bucket)
                change.included = !change.blocked && (!change.losesData || in_.allowDataLoss);
        // A table name taken by a table that stays blocks the rename or the
        // creation that wants it.
        std::set<std::string> present;
        for (const auto& t : tables_)
            present.insert(t.name);
        for (const auto& drop : tableDrops_)
            if (drop.included)
                present.erase(drop.subject);
        // Renames run in an order in which each finds its name free.
        std::vector<TMigrationChange*> pending;
        for (auto& change : tableRenames_)
            pending.push_back(&change);
        std::vector<TMigrationChange> ordered;
        for (bool progress = true; progress && !pending.empty();) {
            progress = false;
            for (auto it = pending.begin(); it != pending.end();) {
                const std::string from = (*it)->subject.substr(0, (*it)->subject.find(" → "));
                const std::string to = renames_.at(from);
                if (!present.count(to)) {
                    present.erase(from);
                    present.insert(to);
                    ordered.push_back(**it);
                    it = pending.erase(it);
                    progress = true;
                } else {
                    ++it;
                }
            }
        }
        for (TMigrationChange* change : pending) {
            change->blocked = true;
            change->included = false;
            change->reason = "表名已被现有的表占用";
            ordered.push_back(*change);
        }
        tableRenames_ = ordered;
        for (auto& change : tableCreates_)
            if (present.count(change.subject)) {
                change.blocked = true;
                change.included = false;
                change.reason = "表名已被现有的表占用";
            }
    }

    bool Creatable(const std::string& table) const {
        for (const auto& create : tableCreates_)
            if (create.subject == table)
                return create.included;
        return true;
    }

    // ---- helpers ----
    TMigrationChange Make(Kind kind, std::string subject) const {
        TMigrationChange change;
        change.kind = kind;
        change.subject = std::move(subject);
        return change;
    }
    std::string NonEmptyCount(const std::string& table, const Column& c) const {
        std::string sql = "SELECT COUNT(*) FROM " + Name(table) + " WHERE " + Name(c.name) + " IS NOT NULL";
        if (IsTextKind(c.dataType.empty() ? ParseType(c.columnType).kind : c.dataType))
            sql += " AND " + Name(c.name) + " <> ''";
        return sql;
    }
    void Count(TMigrationChange& change, const std::string& sql, const std::string& what) {
        if (!in_.counter)
            return;
        change.rows = in_.counter->Count(sql);
        change.rowsWhat = what;
    }

    const TMigrationPlanner::Input& in_;
    TMigrationPlan plan_;
    std::vector<LiveTable> tables_;
    std::vector<LiveForeignKey> foreignKeys_;
    std::map<std::string, std::string> renames_;  // live name -> new name
    struct ColumnOwner {
        std::string table, tableUid, memberUid;
        std::vector<std::string> touches;
        std::string renamedTo;  // the column's new name, when renamed
    };
    std::vector<ColumnOwner> columnOwners_;  // one per columnChanges_
    std::set<std::string> renamedTables_, droppedTables_, keyChanged_;
    std::set<std::pair<std::string, std::string>> touchedColumns_;  // (live table, live column)
    std::set<std::pair<std::string, std::string>> leftOutColumns_;  // (table uid, member uid)
    std::map<std::pair<std::string, std::string>, std::string> columnRenames_;  // (live table, column) -> new name
    std::set<std::pair<std::string, std::string>> droppedColumns_;  // (live table, column)
    std::set<std::pair<std::string, std::string>> replaced_;        // (table uid, member uid) with a new key
    std::vector<const LiveForeignKey*> restore_;
    std::vector<TMigrationChange> fkDrops_, tableDrops_, tableRenames_, columnChanges_, tableCreates_, fkAdds_;
};

} // namespace

TMigrationPlan TMigrationPlanner::Plan(const Input& input) { return Planner(input).Run(); }

std::string TMigrationPlanner::Fingerprint(const TDatabaseSchema& database, const std::string& tablePrefix) {
    std::vector<std::string> lines;
    for (const auto& t : database.tables)
        if (HasPrefix(t.name, tablePrefix))
            lines.push_back("T\t" + t.name + "\t" + (t.isView ? "view" : "table"));
    for (const auto& c : database.columns)
        if (HasPrefix(c.table, tablePrefix))
            lines.push_back("C\t" + c.table + "\t" + c.name + "\t" + std::to_string(c.position) + "\t" +
                            c.columnType + "\t" + (c.nullable ? "1" : "0") + "\t" + c.extra + "\t" + c.comment);
    for (const auto& k : database.keyColumns)
        if (HasPrefix(k.table, tablePrefix))
            lines.push_back("K\t" + k.table + "\t" + k.constraint + "\t" + k.column + "\t" + std::to_string(k.position) +
                            "\t" + k.referencedTable + "\t" + k.referencedColumn);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return Manifest::Sha256(text);
}

} // namespace quorrel
