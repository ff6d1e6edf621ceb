#include "model/MemberDAO.h"

namespace quorrel {

void TMemberDAO::AddMember(const TMember& m) const {
    db_.Session().Exec(
        "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
        "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
        "memberQueryDisplay) values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
        {m.projectId, m.classId, m.memberName, m.memberType, m.memberLength, m.memberIsPri, m.memberComment,
         m.memberIsMust, m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay});
}

void TMemberDAO::UpdateMember(const TMember& m) const {
    db_.Session().Exec("update t_member set memberName=?,memberType=?,memberLength=?,memberIsPri=?,memberComment=?,"
                       "memberIsMust=?,memberIsInteger=?,memberIsFloat=?,queryFlag=?,memberIsDisplay=?,"
                       "memberQueryDisplay=? where memberId=?",
                       {m.memberName, m.memberType, m.memberLength, m.memberIsPri, m.memberComment, m.memberIsMust,
                        m.memberIsInteger, m.memberIsFloat, m.queryFlag, m.memberIsDisplay, m.memberQueryDisplay,
                        m.memberId});
}

void TMemberDAO::DeleteMember(int memberId) const {
    db_.Session().Exec("delete from t_member where memberId=?", {memberId});
}

TRowSet TMemberDAO::QueryMembers(int classId) const {
    return db_.Session().Query("select * from t_member where classId=?", {classId});
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

std::optional<TMember> TMemberDAO::GetMemberById(int memberId) const {
    TRowSet rows = db_.Session().Query("select * from t_member where memberId=?", {memberId});
    if (rows.Eof())
        return std::nullopt;
    TMember member = FromRow(rows);
    member.memberId = memberId;
    return member;
}

} // namespace quorrel
