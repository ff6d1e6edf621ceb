#include "cli/ModelJson.h"

#include "base/Error.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"

#include <set>

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
    int Int(const char* key, int fallback) const {
        if (!object_.contains(key))
            return fallback;
        if (!object_[key].is_number_integer())
            throw Error(where_ + ": \"" + key + "\" must be an integer");
        return object_[key].get<int>();
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
    m.memberLength = r.Int("memberLength", 0);
    m.memberIsPri = r.Int("memberIsPri", 0);
    m.memberComment = r.Text("memberComment", false);
    m.memberIsMust = r.Int("memberIsMust", 0);
    m.memberIsInteger = r.Int("memberIsInteger", m.memberType == kTypeInteger);
    m.memberIsFloat = r.Int("memberIsFloat", m.memberType == kTypeFloat);
    m.queryFlag = r.Int("queryFlag", 0);
    m.memberIsDisplay = r.Int("memberIsDisplay", 0);
    m.memberQueryDisplay = r.Int("memberQueryDisplay", 1);
    return m;
}

} // namespace

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
    }
    TProjectDAO().AddProjects(parsed);
    return names;
}

} // namespace quorrel
