#include "model/ProjectDAO.h"

#include "base/Error.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace quorrel {

namespace {

// The rows of one list in the order `wanted` gives them: the row id of a
// kept one, 0 for a new one, and its name. Refuses an order that the ids
// (the model's only order) cannot keep: kept rows out of id order, or a new
// row before a kept one, which gets a larger id.
void CheckIdOrder(const std::vector<std::pair<long long, std::string>>& rows, const std::string& kind,
                  const std::string& where) {
    const std::string* lastKept = nullptr;
    long long lastId = 0;
    const std::string* firstNew = nullptr;
    for (const auto& [id, name] : rows) {
        if (id == 0) {
            if (!firstNew)
                firstNew = &name;
            continue;
        }
        if (firstNew)
            throw Error("the new " + kind + " \"" + *firstNew + "\"" + where + " stands before \"" + name +
                        "\", which the model already has; new " + kind + "s go after the existing ones, since the "
                        "model keeps " + kind + "s in the order they were added");
        if (lastKept && id < lastId)
            throw Error("the " + kind + "s \"" + *lastKept + "\" and \"" + name + "\"" + where +
                        " stand in the other order in the model; the model keeps " + kind +
                        "s in the order they were added, so a file cannot reorder them");
        lastKept = &name;
        lastId = id;
    }
}

// The fields of a member other than its ids, uid and name.
bool SameContent(const TMember& a, const TMember& b) {
    return a.memberType == b.memberType && a.memberLength == b.memberLength && a.memberIsPri == b.memberIsPri &&
           a.memberComment == b.memberComment && a.memberIsMust == b.memberIsMust &&
           a.memberIsInteger == b.memberIsInteger && a.memberIsFloat == b.memberIsFloat &&
           a.queryFlag == b.queryFlag && a.memberIsDisplay == b.memberIsDisplay &&
           a.memberQueryDisplay == b.memberQueryDisplay;
}

} // namespace

int TProjectDAO::CountProjectsByName(const std::string& name) const {
    return db_.Session().QueryInt("select count(*) from t_project where projectName=?", {name});
}

void TProjectDAO::AddProject(const std::string& name) const {
    db_.Session().Exec("insert into t_project(projectName) values (?)", {name});
}

void TProjectDAO::RenameProject(int projectId, const std::string& name) const {
    db_.Session().Exec("update t_project set projectName=? where projectId=?", {name, projectId});
}

void TProjectDAO::DeleteProject(int projectId) const {
    db_.Transaction(TDbHelper::Access::Write, [&](TDbSession& session) {
        session.Exec("delete from t_project where projectId=?", {projectId});
        session.Exec("delete from t_class where projectId=?", {projectId});
        session.Exec("delete from t_member where projectId=?", {projectId});
    });
}

TProjectList TProjectDAO::LoadProjects() const {
    TProjectList list;
    TRowSet rows = db_.Session().Query("select projectId,projectName from t_project");
    for (rows.First(); !rows.Eof(); rows.Next())
        list.push_back({rows.FieldString("projectName"), rows.FieldInt("projectId")});
    return list;
}

void TProjectDAO::AddProjects(const std::vector<TProjectSnapshot>& projects) const {
    db_.Transaction(TDbHelper::Access::Write, [&](TDbSession& session) {
        for (const TProjectSnapshot& project : projects) {
            if (session.QueryInt("select count(*) from t_project where projectName=?", {project.ProjectName()}) > 0)
                throw Error("a project named \"" + project.ProjectName() +
                            "\" already exists; rename or delete it first");
            session.Exec("insert into t_project(projectName) values (?)", {project.ProjectName()});
            const long long projectId = session.LastInsertId();
            for (const TClassSnapshot& cls : project.Classes()) {
                // An identity the project brings is kept; the trigger gives one to a
                // class or member without it.
                session.Exec("insert into t_class(projectId,className,friendName,classUid) values (?,?,?,?)",
                             {projectId, cls.ClassName(), cls.FriendName(), cls.ClassUid()});
                const long long classId = session.LastInsertId();
                for (const TMember& m : cls.Members())
                    session.Exec("insert into t_member(projectId,classId,memberName,memberType,memberLength,"
                                 "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
                                 "memberIsDisplay,memberQueryDisplay,memberUid) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                                 {projectId, classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri,
                                  m.memberComment, m.memberIsMust, m.memberIsInteger, m.memberIsFloat,
                                  m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay, m.memberUid});
            }
        }
    });
}

TProjectChanges TProjectDAO::UpdateProject(int projectId, const TProjectSnapshot& wanted,
                                           const std::function<void(const TProjectSnapshot&)>& check) const {
    TProjectChanges changes;
    db_.Transaction(TDbHelper::Access::Write, [&](TDbSession& session) {
        const std::string& projectName = wanted.ProjectName();
        if (session.QueryInt("select count(*) from t_project where projectId=? and projectName=?",
                             {projectId, projectName}) != 1)
            throw Error("the model holds no project \"" + projectName + "\" any more");

        // The project as stored, read in this transaction so that what is
        // matched is what gets changed.
        struct StoredClass {
            int id;
            std::string uid, name, friendName;
        };
        std::vector<StoredClass> classes;
        std::unordered_map<std::string, std::size_t> classByUid;
        session.ForEachRow("select classId,classUid,className,friendName from t_class where projectId=? order by classId",
                           {projectId}, [&](const TDbRow& row) {
                               classes.push_back({static_cast<int>(row.Int(0)), row.Text(1), row.Text(2), row.Text(3)});
                           });
        std::vector<TMember> members;
        std::unordered_map<std::string, std::size_t> memberByUid;
        session.ForEachRow(
            std::string("select ") + TProjectSnapshot::kMemberColumns +
                " from t_member where classId in (select classId from t_class where projectId=?) order by memberId",
            {projectId}, [&](const TDbRow& row) {
                TMember m = TProjectSnapshot::MemberFromRow(row);
                members.push_back(std::move(m));
            });
        // Rows without a uid, or sharing one, could not be matched: rather
        // than delete or merge them, nothing is done.
        for (std::size_t i = 0; i < classes.size(); ++i)
            if (classes[i].uid.empty() || !classByUid.emplace(classes[i].uid, i).second)
                throw Error("class \"" + classes[i].name + "\" of project \"" + projectName +
                            "\" has no classUid of its own in the model");
        for (std::size_t i = 0; i < members.size(); ++i)
            if (members[i].memberUid.empty() || !memberByUid.emplace(members[i].memberUid, i).second)
                throw Error("member \"" + members[i].memberName + "\" of project \"" + projectName +
                            "\" has no memberUid of its own in the model");

        // Which stored row each wanted class and member is (index, or none).
        constexpr std::size_t kNew = static_cast<std::size_t>(-1);
        const auto& wantedClasses = wanted.Classes();
        std::vector<std::size_t> classMatch(wantedClasses.size(), kNew);
        std::vector<std::vector<std::size_t>> memberMatch(wantedClasses.size());
        std::vector<bool> classKept(classes.size(), false), memberKept(members.size(), false);
        std::set<std::string> resultNames;
        for (std::size_t c = 0; c < wantedClasses.size(); ++c) {
            const TClassSnapshot& cls = wantedClasses[c];
            resultNames.insert(cls.ClassName());
            if (auto found = classByUid.find(cls.ClassUid()); !cls.ClassUid().empty() && found != classByUid.end()) {
                if (classKept[found->second])
                    throw Error("two classes of the file have the classUid " + cls.ClassUid());
                classKept[found->second] = true;
                classMatch[c] = found->second;
            }
            for (const TMember& m : cls.Members()) {
                std::size_t match = kNew;
                if (auto found = memberByUid.find(m.memberUid); !m.memberUid.empty() && found != memberByUid.end()) {
                    if (memberKept[found->second])
                        throw Error("two members of the file have the memberUid " + m.memberUid);
                    memberKept[found->second] = true;
                    match = found->second;
                }
                memberMatch[c].push_back(match);
            }
        }
        if (!classes.empty() && !wantedClasses.empty() &&
            std::find(classKept.begin(), classKept.end(), true) == classKept.end())
            throw Error("no class of the file has the classUid of a class of project \"" + projectName +
                        "\": it is not an export of this project, or one made before classes had uids; "
                        "export the project again and edit that");

        std::vector<std::pair<long long, std::string>> order;
        for (std::size_t c = 0; c < wantedClasses.size(); ++c)
            order.emplace_back(classMatch[c] == kNew ? 0 : classes[classMatch[c]].id, wantedClasses[c].ClassName());
        CheckIdOrder(order, "class", "");
        for (std::size_t c = 0; c < wantedClasses.size(); ++c) {
            order.clear();
            for (std::size_t i = 0; i < memberMatch[c].size(); ++i)
                order.emplace_back(memberMatch[c][i] == kNew ? 0 : members[memberMatch[c][i]].memberId,
                                   wantedClasses[c].Members()[i].memberName);
            CheckIdOrder(order, "member", " of class \"" + wantedClasses[c].ClassName() + "\"");
        }

        // A reference names its class; one that still names a class renamed
        // here follows it, as a rename in the class dialog does, unless the
        // old name is a class of the result.
        std::unordered_map<std::string, std::string> renamed;
        for (std::size_t c = 0; c < wantedClasses.size(); ++c)
            if (classMatch[c] != kNew && classes[classMatch[c]].name != wantedClasses[c].ClassName() &&
                !resultNames.contains(classes[classMatch[c]].name))
                renamed.emplace(classes[classMatch[c]].name, wantedClasses[c].ClassName());

        // The project as it will be, ids of kept rows filled in, for the check.
        std::vector<TClassSnapshot> resultClasses;
        for (std::size_t c = 0; c < wantedClasses.size(); ++c) {
            const int classId = classMatch[c] == kNew ? 0 : classes[classMatch[c]].id;
            std::vector<TMember> resultMembers;
            for (std::size_t i = 0; i < memberMatch[c].size(); ++i) {
                TMember m = wantedClasses[c].Members()[i];
                if (auto to = renamed.find(m.memberType); IsReference(m.memberType) && to != renamed.end())
                    m.memberType = to->second;
                m.memberId = memberMatch[c][i] == kNew ? 0 : members[memberMatch[c][i]].memberId;
                m.projectId = projectId;
                m.classId = classId;
                resultMembers.push_back(std::move(m));
            }
            resultClasses.emplace_back(classId, wantedClasses[c].ClassName(), wantedClasses[c].FriendName(),
                                       std::move(resultMembers), wantedClasses[c].ClassUid());
        }
        const TProjectSnapshot result(projectId, projectName, std::move(resultClasses));
        check(result);

        for (std::size_t i = 0; i < members.size(); ++i)
            if (!memberKept[i]) {
                session.Exec("delete from t_member where memberId=?", {members[i].memberId});
                ++changes.membersRemoved;
            }
        for (std::size_t i = 0; i < classes.size(); ++i)
            if (!classKept[i]) {
                session.Exec("delete from t_class where classId=?", {classes[i].id});
                ++changes.classesRemoved;
            }
        for (std::size_t c = 0; c < result.Classes().size(); ++c) {
            const TClassSnapshot& cls = result.Classes()[c];
            long long classId = cls.ClassId();
            if (classMatch[c] == kNew) {
                session.Exec("insert into t_class(projectId,className,friendName,classUid) values (?,?,?,?)",
                             {projectId, cls.ClassName(), cls.FriendName(), cls.ClassUid()});
                classId = session.LastInsertId();
                ++changes.classesAdded;
            } else {
                const StoredClass& stored = classes[classMatch[c]];
                if (stored.name != cls.ClassName() || stored.friendName != cls.FriendName())
                    session.Exec("update t_class set className=?,friendName=? where classId=?",
                                 {cls.ClassName(), cls.FriendName(), classId});
                changes.classesRenamed += stored.name != cls.ClassName();
                changes.classesChanged += stored.friendName != cls.FriendName();
            }
            for (std::size_t i = 0; i < cls.Members().size(); ++i) {
                const TMember& m = cls.Members()[i];
                if (memberMatch[c][i] == kNew) {
                    session.Exec("insert into t_member(projectId,classId,memberName,memberType,memberLength,"
                                 "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
                                 "memberIsDisplay,memberQueryDisplay,memberUid) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                                 {projectId, classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri,
                                  m.memberComment, m.memberIsMust, m.memberIsInteger, m.memberIsFloat, m.queryFlag,
                                  m.memberIsDisplay, m.memberQueryDisplay, m.memberUid});
                    ++changes.membersAdded;
                    continue;
                }
                const TMember& stored = members[memberMatch[c][i]];
                const bool nameChanged = stored.memberName != m.memberName;
                // A member moved to another class is changed too.
                const bool contentChanged = !SameContent(stored, m) || stored.classId != classId;
                if (nameChanged || contentChanged)
                    session.Exec("update t_member set classId=?,memberName=?,memberType=?,memberLength=?,"
                                 "memberIsPri=?,memberComment=?,memberIsMust=?,memberIsInteger=?,memberIsFloat=?,"
                                 "queryFlag=?,memberIsDisplay=?,memberQueryDisplay=? where memberId=?",
                                 {classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri,
                                  m.memberComment, m.memberIsMust, m.memberIsInteger, m.memberIsFloat, m.queryFlag,
                                  m.memberIsDisplay, m.memberQueryDisplay, stored.memberId});
                changes.membersRenamed += nameChanged;
                changes.membersChanged += contentChanged;
            }
        }
    });
    return changes;
}

} // namespace quorrel
