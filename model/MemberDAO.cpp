#include "model/MemberDAO.h"

#include "model/ClassDAO.h"
#include "model/Sql.h"

namespace quorrel {

using std::to_string;

void TMemberDAO::AddMember(const TMember& m) const {
    db_.ExecSql(
        "insert into t_member(projectId,classId,memberName,memberType,memberLength,memberIsPri,"
        "memberComment,memberIsMust,memberIsInteger,memberIsFloat,queryFlag,memberIsDisplay,"
        "memberQueryDisplay) values (" +
        to_string(m.projectId) + "," + to_string(m.classId) + "," + SqlText(m.memberName) + "," +
        SqlText(m.memberType) + "," + to_string(m.memberLength) + "," + to_string(m.memberIsPri) + "," +
        SqlText(m.memberComment) + "," + to_string(m.memberIsMust) + "," + to_string(m.memberIsInteger) +
        "," + to_string(m.memberIsFloat) + "," + to_string(m.queryFlag) + "," +
        to_string(m.memberIsDisplay) + "," + to_string(m.memberQueryDisplay) + ")");
}

void TMemberDAO::UpdateMember(const TMember& m) const {
    db_.ExecSql("update t_member set memberName=" + SqlText(m.memberName) +
                ",memberType=" + SqlText(m.memberType) + ",memberLength=" + to_string(m.memberLength) +
                ",memberIsPri=" + to_string(m.memberIsPri) + ",memberComment=" + SqlText(m.memberComment) +
                ",memberIsMust=" + to_string(m.memberIsMust) + ",memberIsInteger=" + to_string(m.memberIsInteger) +
                ",memberIsFloat=" + to_string(m.memberIsFloat) + ",queryFlag=" + to_string(m.queryFlag) +
                ",memberIsDisplay=" + to_string(m.memberIsDisplay) +
                ",memberQueryDisplay=" + to_string(m.memberQueryDisplay) +
                " where memberId=" + to_string(m.memberId));
}

void TMemberDAO::DeleteMember(int memberId) const {
    db_.ExecSql("delete from t_member where memberId=" + to_string(memberId));
}

TRowSet TMemberDAO::QueryMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where classId=" + to_string(classId));
}

TRowSet TMemberDAO::QueryImageMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberType='图片型' and classId=" + to_string(classId));
}

TRowSet TMemberDAO::QueryReferenceMembers(int classId) const {
    return db_.OpenQuery(
        "select * from t_member where memberType<>'字符串' and memberType<>'整型' and "
        "memberType<>'浮点型' and memberType<>'日期型' and memberType<>'图片型' and classId=" +
        to_string(classId));
}

TRowSet TMemberDAO::QuerySearchMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where queryFlag = 1 and classId=" + to_string(classId));
}

TRowSet TMemberDAO::QueryListMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberQueryDisplay = 1 and classId=" + to_string(classId));
}

TRowSet TMemberDAO::QueryPlainNonKeyMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberIsPri=0 and memberType<>'图片型' and classId=" +
                         to_string(classId));
}

TRowSet TMemberDAO::QueryNonKeyMembers(int classId) const {
    return db_.OpenQuery("select * from t_member where memberIsPri=0 and classId=" + to_string(classId));
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

std::optional<TMember> TMemberDAO::LoadFirst(const std::string& sql) const {
    TRowSet rows = db_.OpenQuery(sql);
    if (rows.Eof())
        return std::nullopt;
    return FromRow(rows);
}

std::optional<TMember> TMemberDAO::GetMemberById(int memberId) const {
    auto member = LoadFirst("select * from t_member where memberId=" + to_string(memberId));
    if (member)
        member->memberId = memberId;
    return member;
}

std::optional<TMember> TMemberDAO::GetKeyMember(int classId) const {
    return LoadFirst("select * from t_member where memberIsPri=1 and classId=" + to_string(classId));
}

std::optional<TMember> TMemberDAO::GetDisplayMemberOfClass(int projectId, const std::string& className) const {
    int classId = TClassDAO().GetClassId(projectId, className);
    return LoadFirst("select * from t_member where memberIsDisplay=1 and projectId=" + to_string(projectId) +
                     " and classId=" + to_string(classId));
}

std::optional<TMember> TMemberDAO::GetKeyMemberOfClass(int projectId, const std::string& className) const {
    int classId = TClassDAO().GetClassId(projectId, className);
    return LoadFirst("select * from t_member where memberIsPri=1 and projectId=" + to_string(projectId) +
                     " and classId=" + to_string(classId));
}

} // namespace quorrel
