#include "model/ProjectSnapshot.h"

#include "model/DbHelper.h"
#include "base/Error.h"

#include <unordered_map>

namespace quorrel {

TProjectSnapshot::TProjectSnapshot(int projectId, std::string projectName, std::vector<TClassSnapshot> classes)
    : projectId_(projectId), projectName_(std::move(projectName)), classes_(std::move(classes)) {
    for (std::size_t i = 0; i < classes_.size(); ++i) {
        byName_.emplace(classes_[i].ClassName(), i);  // the first of a name stays
        byId_.emplace(classes_[i].ClassId(), i);
    }
}

TClassList TProjectSnapshot::ClassList() const {
    TClassList list;
    list.reserve(classes_.size());
    for (const auto& c : classes_)
        list.push_back({c.ClassName(), c.ClassId()});
    return list;
}

const TClassSnapshot* TProjectSnapshot::FindClass(const std::string& className) const {
    auto found = byName_.find(className);
    return found == byName_.end() ? nullptr : &classes_[found->second];
}

const TClassSnapshot& TProjectSnapshot::ClassById(int classId) const {
    auto found = byId_.find(classId);
    if (found == byId_.end())
        throw Error("类（编号" + std::to_string(classId) + "）不在项目" + projectName_ + "中");
    return classes_[found->second];
}

const TMember* TProjectSnapshot::KeyMemberOfClass(const std::string& className) const {
    if (const TClassSnapshot* c = FindClass(className))
        for (const TMember& m : c->Members())
            if (m.memberIsPri == 1 && m.projectId == projectId_)
                return &m;
    return nullptr;
}

const TMember* TProjectSnapshot::DisplayMemberOfClass(const std::string& className) const {
    if (const TClassSnapshot* c = FindClass(className))
        for (const TMember& m : c->Members())
            if (m.memberIsDisplay == 1 && m.projectId == projectId_)
                return &m;
    return nullptr;
}

TMember TProjectSnapshot::MemberFromRow(const TDbRow& row) {
    TMember m;
    m.memberId = static_cast<int>(row.Int(0));
    m.projectId = static_cast<int>(row.Int(1));
    m.classId = static_cast<int>(row.Int(2));
    m.memberName = row.Text(3);
    m.memberType = row.Text(4);
    m.memberLength = static_cast<int>(row.Int(5));
    m.memberIsPri = static_cast<int>(row.Int(6));
    m.memberComment = row.Text(7);
    m.memberIsMust = static_cast<int>(row.Int(8));
    m.memberIsInteger = static_cast<int>(row.Int(9));
    m.memberIsFloat = static_cast<int>(row.Int(10));
    m.queryFlag = static_cast<int>(row.Int(11));
    m.memberIsDisplay = static_cast<int>(row.Int(12));
    m.memberQueryDisplay = static_cast<int>(row.Int(13));
    m.memberUid = row.Text(14);
    return m;
}

std::shared_ptr<const TProjectSnapshot> TProjectSnapshot::Take(int projectId) {
    bool found = false;
    std::string projectName;
    struct ClassRow {
        int classId;
        std::string className, friendName;
        std::vector<TMember> members;
        std::string classUid;
    };
    std::vector<ClassRow> rows;
    std::unordered_map<int, std::size_t> indexOf;

    // Three statements in one read transaction: whatever other connections
    // commit meanwhile, all three see the same state of the file.
    TDbHelper().Transaction(TDbHelper::Access::Read, [&](TDbSession& session) {
        session.ForEachRow("select projectName from t_project where projectId=?", {projectId},
                           [&](const TDbRow& row) {
                               found = true;
                               projectName = row.Text(0);
                           });
        session.ForEachRow("select classId,className,friendName,classUid from t_class where projectId=? order by classId",
                           {projectId}, [&](const TDbRow& row) {
                               indexOf.emplace(static_cast<int>(row.Int(0)), rows.size());
                               rows.push_back({static_cast<int>(row.Int(0)), row.Text(1), row.Text(2), {},
                                               row.Text(3)});
                           });
        session.ForEachRow(
            std::string("select ") + kMemberColumns +
                " from t_member where classId in (select classId from t_class where projectId=?) order by memberId",
            {projectId}, [&](const TDbRow& row) {
                TMember m = MemberFromRow(row);
                rows[indexOf.at(m.classId)].members.push_back(std::move(m));
            });
    });
    if (!found)
        throw Error("项目（编号" + std::to_string(projectId) + "）不在模型中，可能已被删除");

    std::vector<TClassSnapshot> classes;
    classes.reserve(rows.size());
    for (auto& row : rows)
        classes.emplace_back(row.classId, std::move(row.className), std::move(row.friendName), std::move(row.members),
                             std::move(row.classUid));
    return std::make_shared<const TProjectSnapshot>(projectId, std::move(projectName), std::move(classes));
}

} // namespace quorrel
