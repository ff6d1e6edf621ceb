#include "model/ProjectDAO.h"

#include "model/Sql.h"

namespace quorrel {

using std::to_string;

int TProjectDAO::CountProjectsByName(const std::string& name) const {
    return db_.QueryInt("select count(*) from t_project where projectName=" + SqlText(name));
}

void TProjectDAO::AddProject(const std::string& name) const {
    db_.ExecSql("insert into t_project(projectName) values (" + SqlText(name) + ")");
}

void TProjectDAO::RenameProject(int projectId, const std::string& name) const {
    db_.ExecSql("update t_project set projectName=" + SqlText(name) + " where projectId=" + to_string(projectId));
}

void TProjectDAO::DeleteProject(int projectId) const {
    db_.ExecSqlBatch({
        "delete from t_project where projectId=" + to_string(projectId),
        "delete from t_class where projectId=" + to_string(projectId),
        "delete from t_member where projectId=" + to_string(projectId),
    });
}

TProjectList TProjectDAO::LoadProjects() const {
    TProjectList list;
    TRowSet rows = db_.OpenQuery("select projectId,projectName from t_project");
    for (rows.First(); !rows.Eof(); rows.Next())
        list.push_back({rows.FieldString("projectName"), rows.FieldInt("projectId")});
    return list;
}

} // namespace quorrel
