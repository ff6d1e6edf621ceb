#include "cli/ModelJson.h"

#include "generation/ModelValidator.h"

#include "base/Error.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"

#include <cstdint>
#include <set>
#include <vector>

namespace quorrel {
using json = nlohmann::ordered_json;
using std::to_string;

namespace {

json MemberToJson(const TMember& m) {
    return json{{"memberId", m.memberId},
                {"memberName", m.memberName},
                {"memberType", m.memberType},
                {"memberLength", m.memberLength},
                {"memberIsPri", m.memberIsPri},
                {"memberComment", m.memberComment},
                {"memberIsMust", m.memberIsMust},
                {"memberIsInteger", m.memberIsInteger},
                {"memberIsFloat", m.memberIsFloat},
                {"queryFlag", m.queryFlag},
                {"memberIsDisplay", m.memberIsDisplay},
                {"memberQueryDisplay", m.memberQueryDisplay}};
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
    return m;
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
        classList.push_back({{"classId", cls.ClassId()},
                             {"className", cls.ClassName()},
                             {"friendName", cls.FriendName()},
                             {"members", memberList}});
    }
    json project = {{"projectId", projectId}, {"projectName", projectName}, {"classes", classList}};
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
        Reader project(projects[p], "project " + to_string(p + 1));
        const std::string name = project.Text("projectName");
        if (name.empty())
            throw Error("project " + to_string(p + 1) + " has an empty name");
        for (const auto& other : names)
            if (other == name)
                throw Error("the document holds two projects named \"" + name + "\"");
        names.push_back(name);

        std::set<std::string> classNames;
        std::vector<TClassSnapshot> classList;
        const json& classes = project.List("classes");
        for (std::size_t c = 0; c < classes.size(); ++c) {
            const std::string where = "class " + to_string(c + 1) + " of project \"" + name + "\"";
            Reader cls(classes[c], where);
            const std::string className = cls.Text("className");
            if (!classNames.insert(className).second)
                throw Error("project \"" + name + "\" holds two classes named \"" + className + "\"");
            std::vector<TMember> memberList;
            const json& members = cls.List("members");
            for (std::size_t m = 0; m < members.size(); ++m)
                memberList.push_back(MemberFromJson(members[m], "member " + to_string(m + 1) + " of " + where));
            classList.emplace_back(0, className, cls.Text("friendName", false), std::move(memberList));
        }
        parsed.emplace_back(0, name, std::move(classList));
        // The rules of names and texts that the dialogs and the run hold to:
        // a model that breaks one is not taken in, nothing of it is stored.
        ModelValidator(parsed.back()).CheckLengths();
    }
    TProjectDAO().AddProjects(parsed);
    return names;
}

} // namespace quorrel
