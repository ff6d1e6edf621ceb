#include "generators/SchemaModel.h"

#include "base/Error.h"
#include "model/ModelLookup.h"
#include "model/Names.h"

#include <nlohmann/json.hpp>

namespace quorrel {
using json = nlohmann::ordered_json;

namespace {

constexpr int kRecordFormat = 1;

// A text or reference member's column. The key column is made apart.
TColumnModel MemberColumn(const TProjectSnapshot& project, const TClassSnapshot& cls, const TMember& member) {
    TColumnModel column;
    column.uid = member.memberUid;
    column.name = member.memberName;
    column.comment = member.memberComment;
    const std::string& type = member.memberType;
    if (type == kTypeString) {
        column.type = "varchar(" + std::to_string(member.memberLength) + ")";
        column.binary = true;
        column.nullable = member.memberIsMust != 1;
    } else if (type == kTypeInteger) {
        column.type = "int(11)";
    } else if (type == kTypeFloat) {
        column.type = "float";
    } else if (type == kTypeDate) {
        column.type = "date";
    } else if (type == kTypeImage) {
        column.type = "text";
        column.binary = true;
    } else {
        // A reference takes the referenced key's type, never NULL, never
        // AUTO_INCREMENT.
        const TMember& refKey = ResolveReferenceKey(project, cls.ClassName(), member);
        const TClassSnapshot* referenced = project.FindClass(type);
        if (refKey.memberIsInteger == 1) {
            column.type = "int(11)";
        } else {
            column.type = "varchar(" + std::to_string(refKey.memberLength) + ")";
            column.binary = true;
        }
        column.referencesUid = referenced ? referenced->ClassUid() : std::string();
        column.referencedTable = LowerFirst(type);
        column.referencedColumn = refKey.memberName;
    }
    return column;
}

TColumnModel KeyColumn(const TMember& key) {
    TColumnModel column;
    column.uid = key.memberUid;
    column.name = key.memberName;
    column.comment = key.memberComment;
    if (key.memberIsInteger == 1) {
        column.type = "int(11)";
        column.autoIncrement = true;
    } else {
        column.type = "varchar(" + std::to_string(key.memberLength) + ")";
        column.binary = true;
    }
    return column;
}

const json& Field(const json& object, const char* key) {
    if (!object.is_object() || !object.contains(key))
        throw Error(std::string("the model record lacks \"") + key + "\"");
    return object.at(key);
}

} // namespace

std::string TColumnModel::Definition() const {
    std::string text = type;
    if (binary)
        text += " COLLATE utf8_bin";
    text += nullable ? " NULL" : " NOT NULL";
    if (autoIncrement)
        text += " AUTO_INCREMENT";
    return text;
}

const TColumnModel* TTableModel::Column(const std::string& columnName) const {
    for (const auto& column : columns)
        if (column.name == columnName)
            return &column;
    return nullptr;
}

const TColumnModel* TTableModel::ColumnByUid(const std::string& memberUid) const {
    for (const auto& column : columns)
        if (!memberUid.empty() && column.uid == memberUid)
            return &column;
    return nullptr;
}

TSchemaModel TSchemaModel::Of(const TProjectSnapshot& project) {
    TSchemaModel schema;
    for (const TClassSnapshot& cls : project.Classes()) {
        const TMember& key = RequireKeyMember(cls);
        TTableModel table;
        table.uid = cls.ClassUid();
        table.className = cls.ClassName();
        table.name = LowerFirst(cls.ClassName());
        table.keyUid = key.memberUid;
        table.columns.push_back(KeyColumn(key));
        for (const TMember& member : cls.NonKeyMembers())
            table.columns.push_back(MemberColumn(project, cls, member));
        schema.tables.push_back(std::move(table));
    }
    return schema;
}

const TTableModel* TSchemaModel::Table(const std::string& tableName) const {
    for (const auto& table : tables)
        if (table.name == tableName)
            return &table;
    return nullptr;
}

const TTableModel* TSchemaModel::TableByUid(const std::string& classUid) const {
    for (const auto& table : tables)
        if (!classUid.empty() && table.uid == classUid)
            return &table;
    return nullptr;
}

std::string TSchemaModel::ToJson() const {
    json tableList = json::array();
    for (const auto& table : tables) {
        json columnList = json::array();
        for (const auto& c : table.columns) {
            json column = {{"uid", c.uid},         {"name", c.name},         {"type", c.type},
                           {"binary", c.binary},   {"nullable", c.nullable}, {"autoIncrement", c.autoIncrement},
                           {"comment", c.comment}};
            if (c.IsReference())
                column["references"] = {
                    {"uid", c.referencesUid}, {"table", c.referencedTable}, {"column", c.referencedColumn}};
            columnList.push_back(std::move(column));
        }
        tableList.push_back({{"uid", table.uid},
                             {"class", table.className},
                             {"table", table.name},
                             {"key", table.keyUid},
                             {"columns", std::move(columnList)}});
    }
    return json{{"format", kRecordFormat}, {"tables", std::move(tableList)}}.dump(1) + "\n";
}

TSchemaModel TSchemaModel::FromJson(const std::string& text) {
    TSchemaModel schema;
    try {
        const json document = json::parse(text);
        if (Field(document, "format") != kRecordFormat)
            throw Error("the model record has a format this version does not read");
        for (const json& t : Field(document, "tables")) {
            TTableModel table;
            table.uid = Field(t, "uid").get<std::string>();
            table.className = Field(t, "class").get<std::string>();
            table.name = Field(t, "table").get<std::string>();
            table.keyUid = Field(t, "key").get<std::string>();
            for (const json& c : Field(t, "columns")) {
                TColumnModel column;
                column.uid = Field(c, "uid").get<std::string>();
                column.name = Field(c, "name").get<std::string>();
                column.type = Field(c, "type").get<std::string>();
                column.binary = Field(c, "binary").get<bool>();
                column.nullable = Field(c, "nullable").get<bool>();
                column.autoIncrement = Field(c, "autoIncrement").get<bool>();
                column.comment = Field(c, "comment").get<std::string>();
                if (c.contains("references")) {
                    const json& r = c.at("references");
                    column.referencesUid = Field(r, "uid").get<std::string>();
                    column.referencedTable = Field(r, "table").get<std::string>();
                    column.referencedColumn = Field(r, "column").get<std::string>();
                }
                table.columns.push_back(std::move(column));
            }
            schema.tables.push_back(std::move(table));
        }
    } catch (const json::exception& e) {
        throw Error(std::string("the model record is damaged (") + e.what() + ")");
    }
    return schema;
}

} // namespace quorrel
