#include "cli/ModelJson.h"

#include "model/ModelValidator.h"

#include "base/Error.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace quorrel {
using json = nlohmann::ordered_json;
using std::to_string;

namespace {

// Keys in a fixed order, no row ids: the ids are numbered anew in every
// model file, so they would make the text differ from one machine to the
// next. The uid, where the model has one, stands for the row instead.
json MemberToJson(const TMember& m) {
    json object = json::object();
    if (!m.memberUid.empty())
        object["memberUid"] = m.memberUid;
    object["memberName"] = m.memberName;
    object["memberType"] = m.memberType;
    object["memberLength"] = m.memberLength;
    object["memberIsPri"] = m.memberIsPri;
    object["memberComment"] = m.memberComment;
    object["memberIsMust"] = m.memberIsMust;
    object["memberIsInteger"] = m.memberIsInteger;
    object["memberIsFloat"] = m.memberIsFloat;
    object["queryFlag"] = m.queryFlag;
    object["memberIsDisplay"] = m.memberIsDisplay;
    object["memberQueryDisplay"] = m.memberQueryDisplay;
    return object;
}

bool IsUid(const std::string& text) {
    return text.size() == 32 &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// Reads one field of an object, refusing a value of the wrong kind.
class Reader {
public:
    Reader(const json& object, std::string where) : object_(object), where_(std::move(where)) {
        if (!object_.is_object())
            throw Error(where_ + " must be a JSON object");
    }
    std::string Text(const char* key, bool required = true, const std::string& fallback = "") const {
        if (!object_.contains(key)) {
            if (required)
                throw Error(where_ + " lacks the text field \"" + key + "\"");
            return fallback;
        }
        if (!object_[key].is_string())
            throw Error(where_ + ": \"" + key + "\" must be a text");
        return object_[key].get<std::string>();
    }
    // An integer within [low, high]; anything else is refused naming the
    // field, so no model number is ever cut to fit.
    int Int(const char* key, int fallback, int low, int high) const {
        if (!object_.contains(key))
            return fallback;
        const json& value = object_[key];
        if (!value.is_number_integer())
            throw Error(where_ + ": \"" + key + "\" must be an integer");
        const bool inRange = value.is_number_unsigned()
                                 ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(high)
                                 : value.get<std::int64_t>() >= low && value.get<std::int64_t>() <= high;
        if (!inRange)
            throw Error(where_ + ": \"" + key + "\" must lie between " + to_string(low) + " and " +
                        to_string(high) + ", not " + value.dump());
        return static_cast<int>(value.get<std::int64_t>());
    }
    int Flag(const char* key, int fallback) const { return Int(key, fallback, 0, 1); }
    // A uid, or empty when the field is left out (a new identity is made).
    std::string Uid(const char* key) const {
        if (!object_.contains(key))
            return {};
        const json& value = object_[key];
        if (!value.is_string() || !IsUid(value.get<std::string>()))
            throw Error(where_ + ": \"" + key + "\" must be 32 lower-case hex digits (leave it out for a new one), not " +
                        value.dump());
        return value.get<std::string>();
    }
    const json& List(const char* key) const {
        if (!object_.contains(key) || !object_[key].is_array())
            throw Error(where_ + " lacks the list \"" + key + "\"");
        return object_[key];
    }

private:
    const json& object_;
    std::string where_;
};

TMember MemberFromJson(const json& object, const std::string& where) {
    Reader r(object, where);
    TMember m;
    m.memberName = r.Text("memberName");
    m.memberType = r.Text("memberType");
    // Only a text member has a length; the pages and the script size its
    // field from it.
    m.memberLength = r.Int("memberLength", 0, 0, m.memberType == kTypeString ? kMaxTextLength : 0);
    m.memberIsPri = r.Flag("memberIsPri", 0);
    m.memberComment = r.Text("memberComment", false);
    m.memberIsMust = r.Flag("memberIsMust", 0);
    m.memberIsInteger = r.Flag("memberIsInteger", m.memberType == kTypeInteger);
    m.memberIsFloat = r.Flag("memberIsFloat", m.memberType == kTypeFloat);
    m.queryFlag = r.Flag("queryFlag", 0);
    m.memberIsDisplay = r.Flag("memberIsDisplay", 0);
    m.memberQueryDisplay = r.Flag("memberQueryDisplay", 1);
    m.memberUid = r.Uid("memberUid");
    return m;
}

// One project of a document, `number` counting from 1, checked as a model
// taken in must be: fields of the right kinds, no two classes of one name,
// no uid given twice, the rules of ModelValidator.
TProjectSnapshot ProjectFromJson(const json& object, std::size_t number) {
    Reader project(object, "project " + to_string(number));
    const std::string name = project.Text("projectName");
    if (name.empty())
        throw Error("project " + to_string(number) + " has an empty name");

    std::set<std::string> classNames;
    // Each uid with what holds it, to name both holders of a repeated one.
    std::map<std::string, std::string> classUids, memberUids;
    std::vector<TClassSnapshot> classList;
    const json& classes = project.List("classes");
    for (std::size_t c = 0; c < classes.size(); ++c) {
        const std::string where = "class " + to_string(c + 1) + " of project \"" + name + "\"";
        Reader cls(classes[c], where);
        const std::string className = cls.Text("className");
        if (!classNames.insert(className).second)
            throw Error("project \"" + name + "\" holds two classes named \"" + className + "\"");
        const std::string classUid = cls.Uid("classUid");
        if (!classUid.empty())
            if (auto [at, added] = classUids.emplace(classUid, className); !added)
                throw Error("project \"" + name + "\" holds two classes with the classUid " + classUid + ": \"" +
                            at->second + "\" and \"" + className + "\"");
        std::vector<TMember> memberList;
        const json& members = cls.List("members");
        for (std::size_t m = 0; m < members.size(); ++m) {
            memberList.push_back(MemberFromJson(members[m], "member " + to_string(m + 1) + " of " + where));
            const std::string& memberUid = memberList.back().memberUid;
            const std::string holder = className + "." + memberList.back().memberName;
            if (!memberUid.empty())
                if (auto [at, added] = memberUids.emplace(memberUid, holder); !added)
                    throw Error("project \"" + name + "\" holds two members with the memberUid " + memberUid +
                                ": " + at->second + " and " + holder);
        }
        classList.emplace_back(0, className, cls.Text("friendName", false), std::move(memberList), classUid);
    }
    TProjectSnapshot parsed(0, name, std::move(classList));
    // The rules of names and texts that the dialogs and the run hold to:
    // a model that breaks one is not taken in, nothing of it is stored.
    ModelValidator(parsed).CheckLengths();
    return parsed;
}

} // namespace

json ParseModelDocument(std::istream& in) {
    // Keys seen so far in each object being read, innermost last. A repeated
    // key would otherwise silently replace the first value.
    std::vector<std::set<std::string>> open;
    const json::parser_callback_t refuseRepeatedKeys = [&open](int, json::parse_event_t event, json& parsed) {
        switch (event) {
        case json::parse_event_t::object_start:
            open.emplace_back();
            break;
        case json::parse_event_t::object_end:
            open.pop_back();
            break;
        case json::parse_event_t::key:
            if (!open.back().insert(parsed.get<std::string>()).second)
                throw Error("the key \"" + parsed.get<std::string>() + "\" appears twice in one object");
            break;
        default:
            break;
        }
        return true;
    };
    return json::parse(in, refuseRepeatedKeys);
}

json ExportProject(int projectId, const std::string& projectName) {
    const auto snapshot = TProjectSnapshot::Take(projectId);
    json classList = json::array();
    for (const TClassSnapshot& cls : snapshot->Classes()) {
        json memberList = json::array();
        for (const TMember& m : cls.Members())
            memberList.push_back(MemberToJson(m));
        json object = json::object();
        if (!cls.ClassUid().empty())
            object["classUid"] = cls.ClassUid();
        object["className"] = cls.ClassName();
        object["friendName"] = cls.FriendName();
        object["members"] = std::move(memberList);
        classList.push_back(std::move(object));
    }
    json project = {{"projectName", projectName}, {"classes", classList}};
    return json{{"projects", json::array({project})}};
}

std::vector<std::string> ImportProjects(const json& document) {
    Reader top(document, "the document");
    const json& projects = top.List("projects");
    if (projects.empty())
        throw Error("the document holds no project");

    std::vector<TProjectSnapshot> parsed;
    std::vector<std::string> names;
    for (std::size_t p = 0; p < projects.size(); ++p) {
        parsed.push_back(ProjectFromJson(projects[p], p + 1));
        const std::string& name = parsed.back().ProjectName();
        for (const auto& other : names)
            if (other == name)
                throw Error("the document holds two projects named \"" + name + "\"");
        names.push_back(name);
    }
    TProjectDAO().AddProjects(parsed);
    return names;
}

std::string UpdateProject(int projectId, const std::string& projectName, const json& document) {
    Reader top(document, "the document");
    const json& projects = top.List("projects");
    if (projects.size() != 1)
        throw Error("the document holds " + to_string(projects.size()) +
                    " projects; an update takes the export of one project");
    const TProjectSnapshot wanted = ProjectFromJson(projects[0], 1);
    if (wanted.ProjectName() != projectName)
        throw Error("the document holds project \"" + wanted.ProjectName() + "\", not \"" + projectName +
                    "\"; an update applies an export of a project to that project (rename the project itself "
                    "in the program)");
    const TProjectChanges c = TProjectDAO().UpdateProject(
        projectId, wanted, [](const TProjectSnapshot& result) { ModelValidator(result).CheckLengths(); });
    const auto count = [](int n, const char* one, const char* many) {
        return to_string(n) + " " + (n == 1 ? one : many);
    };
    return "updated project " + projectName + ": " + count(c.classesAdded, "class", "classes") + " added, " +
           to_string(c.classesRenamed) + " renamed, " + to_string(c.classesRemoved) + " removed, " +
           to_string(c.classesChanged) + " changed; " + count(c.membersAdded, "member", "members") + " added, " +
           to_string(c.membersRenamed) + " renamed, " + to_string(c.membersRemoved) + " removed, " +
           to_string(c.membersChanged) + " changed";
}

} // namespace quorrel
