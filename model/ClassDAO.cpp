#include "model/ClassDAO.h"

#include "model/Sql.h"

namespace quorrel {

using std::to_string;

std::string TClassDAO::GetClassNameById(int classId) const {
    return db_.QueryString("select className from t_class where classId=" + to_string(classId));
}

std::string TClassDAO::GetFriendName(int classId) const {
    return db_.QueryString("select friendName from t_class where classId=" + to_string(classId));
}

int TClassDAO::GetClassId(int projectId, const std::string& className) const {
    return db_.QueryInt("select classId from t_class where projectId=" + to_string(projectId) +
                        " and className=" + SqlText(className));
}

int TClassDAO::CountClassesByName(int projectId, const std::string& className) const {
    return db_.QueryInt("select count(*) from t_class where projectId=" + to_string(projectId) +
                        " and className=" + SqlText(className));
}

void TClassDAO::AddClass(int projectId, const std::string& className, const std::string& friendName) const {
    db_.ExecSql("insert into t_class(projectId,className,friendName) values (" + to_string(projectId) + "," +
                SqlText(className) + "," + SqlText(friendName) + ")");
}

void TClassDAO::DeleteClass(int classId) const {
    db_.ExecSqlBatch({
        "delete from t_class where classId=" + to_string(classId),
        "delete from t_member where classId=" + to_string(classId),
    });
}

void TClassDAO::UpdateClass(int projectId, int classId, const std::string& className,
                            const std::string& friendName) const {
    const std::string oldName = GetClassNameById(classId);
    db_.ExecSql("update t_class set friendName=" + SqlText(friendName) + ",className=" + SqlText(className) +
                " where classId=" + to_string(classId));
    db_.ExecSql("update t_member set memberType=" + SqlText(className) + " where projectId=" +
                to_string(projectId) + " and memberType=" + SqlText(oldName));
}

TClassList TClassDAO::LoadList(const std::string& sql) const {
    TClassList list;
    TRowSet rows = db_.OpenQuery(sql);
    for (rows.First(); !rows.Eof(); rows.Next())
        list.push_back({rows.FieldString("className"), rows.FieldInt("classId")});
    return list;
}

TClassList TClassDAO::GetClassList(int projectId) const {
    return LoadList("select classId,className from t_class where projectId=" + to_string(projectId));
}

TClassList TClassDAO::GetOtherClassList(int projectId, int classId) const {
    return LoadList("select classId,className from t_class where classId<>" + to_string(classId) +
                    " and projectId=" + to_string(projectId));
}

bool TClassDAO::CheckEachHasOne(const TClassList& classes, const std::string& flagColumn, ModelCheck check,
                                const CheckFailedHandler& onFailed) const {
    for (const auto& entry : classes) {
        int count = db_.QueryInt("select count(*) from t_member where classId=" + to_string(entry.id) + " and " +
                                 flagColumn + "=1");
        if (count != 1) {
            if (onFailed)
                onFailed(entry.id, check);
            return false;
        }
    }
    return true;
}

bool TClassDAO::CheckKeyMembers(const TClassList& classes, const CheckFailedHandler& onFailed) const {
    return CheckEachHasOne(classes, "memberIsPri", ModelCheck::Key, onFailed);
}

bool TClassDAO::CheckDisplayMembers(const TClassList& classes, const CheckFailedHandler& onFailed) const {
    return CheckEachHasOne(classes, "memberIsDisplay", ModelCheck::Display, onFailed);
}

} // namespace quorrel
