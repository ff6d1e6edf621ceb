#pragma once
// Project snapshots made in memory, for tests of generated text that need no
// model file.
#include "model/ProjectSnapshot.h"
#include "tests/support/Field.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorrel::test {

// Builds one project: classes numbered from 1 in the order they are added,
// each with its members in the given order, all of project 1.
class SnapshotBuilder {
public:
    explicit SnapshotBuilder(std::string projectName) : name_(std::move(projectName)) {}

    SnapshotBuilder& Class(std::string className, std::string friendName, const std::vector<Field>& fields) {
        const int classId = static_cast<int>(classes_.size()) + 1;
        std::vector<TMember> members;
        for (const Field& field : fields) {
            TMember member = field.member();
            member.projectId = kProjectId;
            member.classId = classId;
            member.memberId = ++memberIds_;
            members.push_back(std::move(member));
        }
        classes_.emplace_back(classId, std::move(className), std::move(friendName), std::move(members));
        return *this;
    }

    std::shared_ptr<const TProjectSnapshot> Take() const {
        return std::make_shared<const TProjectSnapshot>(kProjectId, name_, classes_);
    }

private:
    static constexpr int kProjectId = 1;
    std::string name_;
    std::vector<TClassSnapshot> classes_;
    int memberIds_ = 0;
};

} // namespace quorrel::test
