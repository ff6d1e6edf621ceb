#include "model/ProjectDAO.h"

#include "base/Error.h"

namespace quorrel {

int TProjectDAO::CountProjectsByName(const std::string& name) const {
    return db_.QueryInt("select count(*) from t_project where projectName=?", {name});
}

void TProjectDAO::AddProject(const std::string& name) const {
    db_.ExecSql("insert into t_project(projectName) values (?)", {name});
}

void TProjectDAO::RenameProject(int projectId, const std::string& name) const {
    db_.ExecSql("update t_project set projectName=? where projectId=?", {name, projectId});
}

void TProjectDAO::DeleteProject(int projectId) const {
    db_.ExecSqlBatch({
        {"delete from t_project where projectId=?", {projectId}},
        {"delete from t_class where projectId=?", {projectId}},
        {"delete from t_member where projectId=?", {projectId}},
    });
}

TProjectList TProjectDAO::LoadProjects() const {
    TProjectList list;
    TRowSet rows = db_.OpenQuery("select projectId,projectName from t_project");
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
                session.Exec("insert into t_class(projectId,className,friendName) values (?,?,?)",
                             {projectId, cls.ClassName(), cls.FriendName()});
                const long long classId = session.LastInsertId();
                for (const TMember& m : cls.Members())
                    session.Exec("insert into t_member(projectId,classId,memberName,memberType,memberLength,"
                                 "memberIsPri,memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,"
                                 "memberIsDisplay,memberQueryDisplay) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
                                 {projectId, classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri,
                                  m.memberComment, m.memberIsMust, m.memberIsInteger, m.memberIsFloat,
                                  m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay});
            }
        }
    });
}

} // namespace quorrel
