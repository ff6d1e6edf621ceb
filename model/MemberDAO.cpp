#include "model/MemberDAO.h"

#include "model/ClassDAO.h"

namespace quorrel {

void TMemberDAO::AddMember(const TMember& m) const {
    db_.ExecSql(
        "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
        "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
        "memberQueryDisplay) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {m.projectId, m.classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri, m.memberComment,
         m.memberIsMust, m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay});
}

void TMemberDAO::UpdateMember(const TMember& m) const {
    db_.ExecSql("update t_member set memberName=?,memberType=?,memberLength=?,memberIsPri=?,memberComment=?,"
                "memberIsMust=?,memberIsInteger=?,memberIsFloat=?,queryFlag=?,memberIsDisplay=?,"
                "memberQueryDisplay=? where memberId=?",
                {m.memberName, m.memberType, m.memberLength, m.memberIsPri, m.memberComment, m.memberIsMust,
                 m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay,
                 m.memberId});
}

void TMemberDAO::DeleteMember(int memberId) const {
    db_.ExecSql("delete from t_member where memberId=?", {memberId});
}

TRowSet TMemberDAO::QueryMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where classId=?", {classId});
}

TRowSet TMemberDAO::QueryImageMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberType=? and classId=?", {kTypeImage, classId});
}

TRowSet TMemberDAO::QueryReferenceMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberType<>? and memberType<>? and memberType<>? and "
                         "memberType<>? and memberType<>? and classId=?",
                         {kTypeString, kTypeInteger, kTypeFloat, kTypeDate, kTypeImage, classId});
}

TRowSet TMemberDAO::QuerySearchMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where queryFlag = 1 and classId=?", {classId});
}

TRowSet TMemberDAO::QueryListMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberQueryDisplay = 1 and classId=?", {classId});
}

TRowSet TMemberDAO::QueryPlainNonKeyMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberIsPri=0 and memberType<>? and classId=?",
                         {kTypeImage, classId});
}

TRowSet TMemberDAO::QueryNonKeyMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberIsPri=0 and classId=?", {classId});
}

TMember TMemberDAO::FromRow(const TRowSet& row) {
    TMember m;
    m.memberId = row.FieldInt("memberId");
    m.projectId = row.FieldInt("projectId");
    m.classId = row.FieldInt("classId");
    m.memberName = row.FieldString("memberName");
    m.memberType = row.FieldString("memberType");
    m.memberLength = row.FieldInt("memberLength");
    m.memberIsPri = row.FieldInt("memberIsPri");
    m.memberComment = row.FieldString("memberComment");
    m.memberIsMust = row.FieldInt("memberIsMust");
    m.memberIsInteger = row.FieldInt("memberIsInteger");
    m.memberIsFloat = row.FieldInt("memberIsFloat");
    m.queryFlag = row.FieldInt("queryFlag");
    m.memberIsDisplay = row.FieldInt("memberIsDisplay");
    m.memberQueryDisplay = row.FieldInt("memberQueryDisplay");
    return m;
}

std::vector<TMember> TMemberDAO::ToMembers(TRowSet rows) {
    std::vector<TMember> members;
    for (rows.First(); !rows.Eof(); rows.Next())
        members.push_back(FromRow(rows));
    return members;
}

std::optional<TMember> TMemberDAO::LoadFirst(const std::string& sql, const TSqlValues& values) const {
    TRowSet rows = db_.OpenQuery(sql, values);
    if (rows.Eof())
        return std::nullopt;
    return FromRow(rows);
}

std::optional<TMember> TMemberDAO::GetMemberById(int memberId) const {
    auto member = LoadFirst("select * from t_member where memberId=?", {memberId});
    if (member)
        member->memberId = memberId;
    return member;
}

std::optional<TMember> TMemberDAO::GetKeyMember(int classId) const {
    return LoadFirst("select * from t_member where memberIsPri=1 and classId=?", {classId});
}

std::optional<TMember> TMemberDAO::GetDisplayMemberOfClass(int projectId, const std::string& className) const {
    int classId = TClassDAO().GetClassId(projectId, className);
    return LoadFirst("select * from t_member where memberIsDisplay=1 and projectId=? and classId=?",
                     {projectId, classId});
}

std::optional<TMember> TMemberDAO::GetKeyMemberOfClass(int projectId, const std::string& className) const {
    int classId = TClassDAO().GetClassId(projectId, className);
    return LoadFirst("select * from t_member where memberIsPri=1 and projectId=? and classId=?",
                     {projectId, classId});
}

} // namespace quorrel
