#include "generators/SiteModel.h"

#include "generators/LineWriter.h"
#include "model/ModelLookup.h"
#include "model/Names.h"
#include "generators/TextEscape.h"

#include <utility>

namespace quorrel {
namespace {

// A model text as a single-quoted PHP string.
std::string Quoted(const std::string& text) {
    return "'" + EscapePhpSingleQuoted(text) + "'";
}

// The member's kind as the runtime knows it. The key's kind is that of its
// column: the script makes it a counted integer or a text.
const char* TypeOf(const TMember& member) {
    if (member.memberIsPri == 1)
        return member.memberIsInteger == 1 ? "integer" : "string";
    const std::string& type = member.memberType;
    if (type == kTypeString)
        return "string";
    if (type == kTypeInteger)
        return "integer";
    if (type == kTypeFloat)
        return "float";
    if (type == kTypeDate)
        return "date";
    if (type == kTypeImage)
        return "picture";
    return "reference";
}

const char* Flag(bool value) {
    return value ? "true" : "false";
}

} // namespace

TSiteModel::TSiteModel(std::shared_ptr<const TProjectSnapshot> project, OutputTree& out)
    : project_(std::move(project)), out_(out) {}

void TSiteModel::GenerateSiteModel(const std::string& tablePrefix, const TClassList& classes) const {
    const std::string path = "admin/include/site_model.php";
    out_.Write(path, BuildSiteModel(tablePrefix, classes), path + "生成完毕!");
}

std::string TSiteModel::BuildSiteModel(const std::string& tablePrefix, const TClassList& classes) const {
    TLineWriter w;
    w.Line("<?php");
    w.Line("/* The site's model as generated; the administration runtime reads it. */");
    w.Line("return array(");
    for (const TListEntry& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        const TMember& key = RequireKeyMember(cls);
        const TMember& display = RequireDisplayMember(cls);

        const TLineWriter::Indent classIndent(w, "    ");
        w.Line("{class} => array(", {{"class", Quoted(cls.ClassName())}});
        {
            const TLineWriter::Indent fieldIndent(w, "    ");
            w.Line("'table' => {table},", {{"table", Quoted(tablePrefix + LowerFirst(cls.ClassName()))}});
            w.Line("'label' => {label},", {{"label", Quoted(cls.FriendName())}});
            w.Line("'key' => {key},", {{"key", Quoted(key.memberName)}});
            w.Line("'display' => {display},", {{"display", Quoted(display.memberName)}});
            w.Line("'members' => array(");
            for (const TMember& member : cls.Members()) {
                const TLineWriter::Indent memberIndent(w, "    ");
                const std::string type = TypeOf(member);
                const std::string& label = member.memberComment.empty() ? member.memberName : member.memberComment;
                w.Line("{member} => array('type' => '{type}', 'length' => {length}, 'required' => {required}, "
                       "'label' => {label}, 'picture' => {picture}, 'reference' => {reference}, 'list' => {list}, 'search' => {search}),",
                       {{"member", Quoted(member.memberName)},
                        {"type", type},
                        {"length", std::to_string(member.memberLength)},
                        {"required", Flag(member.memberIsMust == 1)},
                        {"label", Quoted(label)},
                        {"picture", Flag(type == "picture")},
                        {"reference", type == "reference" ? Quoted(member.memberType) : std::string("null")},
                        // The export writes the list's columns and logs its search.
                        {"list", Flag(member.memberQueryDisplay == 1)},
                        {"search", Flag(member.queryFlag == 1)}});
            }
            w.Line("),");
        }
        w.Line("),");
    }
    w.Line(");");
    return w.Take();
}

} // namespace quorrel
