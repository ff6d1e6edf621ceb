#include "model/ClassDAO.h"


namespace quorrel {

std::string TClassDAO::GetClassNameById(int classId) const {
    return db_.Session().QueryString("select className from t_class where classId=?", {classId});
}

std::string TClassDAO::GetFriendName(int classId) const {
    return db_.Session().QueryString("select friendName from t_class where classId=?", {classId});
}

int TClassDAO::GetClassId(int projectId, const std::string& className) const {
    return db_.Session().QueryInt("select classId from t_class where projectId=? and className=?",
                                  {projectId, className});
}

int TClassDAO::CountClassesByName(int projectId, const std::string& className) const {
    return db_.Session().QueryInt("select count(*) from t_class where projectId=? and className=?",
                                  {projectId, className});
}

void TClassDAO::AddClass(int projectId, const std::string& className, const std::string& friendName) const {
    db_.Session().Exec("insert into t_class(projectId,className,friendName) values (?,?,?)",
                       {projectId, className, friendName});
}

void TClassDAO::DeleteClass(int classId) const {
    db_.Transaction(TDbHelper::Access::Write, [&](TDbSession& session) {
        session.Exec("delete from t_class where classId=?", {classId});
        session.Exec("delete from t_member where classId=?", {classId});
    });
}

void TClassDAO::UpdateClass(int projectId, int classId, const std::string& className,
                            const std::string& friendName) const {
    // The old name is read in the same transaction, so the members retyped
    // are those that referred to the class as it was renamed.
    db_.Transaction(TDbHelper::Access::Write, [&](TDbSession& session) {
        const std::string oldName = session.QueryString("select className from t_class where classId=?", {classId});
        session.Exec("update t_class set friendName=?,className=? where classId=?", {friendName, className, classId});
        session.Exec("update t_member set memberType=? where projectId=? and memberType=?",
                     {className, projectId, oldName});
    });
}

TClassList TClassDAO::LoadList(const std::string& sql, const TSqlValues& values) const {
    TClassList list;
    TRowSet rows = db_.Session().Query(sql, values);
    for (rows.First(); !rows.Eof(); rows.Next())
        list.push_back({rows.FieldString("className"), rows.FieldInt("classId")});
    return list;
}

TClassList TClassDAO::GetClassList(int projectId) const {
    return LoadList("select classId,className from t_class where projectId=?", {projectId});
}

TClassList TClassDAO::GetOtherClassList(int projectId, int classId) const {
    return LoadList("select classId,className from t_class where classId<>? and projectId=?", {classId, projectId});
}

} // namespace quorrel
