#pragma once
// The one builder of member records for the tests.
#include "model/Member.h"

#include <string>
#include <utility>

namespace quorrel::test {

// A member as the member dialogs would store it, set up by chained calls:
// Field("name", kTypeString).In(projectId, classId).Length(20).Must().Display()
// The integer and float flags follow the type, as the dialogs keep them;
// everything not set keeps TMember's default (not required, listed, no
// length, no comment).
class Field {
public:
    Field(std::string name, std::string type) {
        member_.memberName = std::move(name);
        member_.memberType = std::move(type);
        member_.memberIsInteger = member_.memberType == kTypeInteger;
        member_.memberIsFloat = member_.memberType == kTypeFloat;
    }
    Field& In(int projectId, int classId) {
        member_.projectId = projectId;
        member_.classId = classId;
        return *this;
    }
    Field& Comment(std::string comment) { member_.memberComment = std::move(comment); return *this; }
    Field& Length(int length) { member_.memberLength = length; return *this; }
    Field& Key() { member_.memberIsPri = 1; return *this; }
    Field& Must() { member_.memberIsMust = 1; return *this; }
    Field& Display() { member_.memberIsDisplay = 1; return *this; }
    Field& Search() { member_.queryFlag = 1; return *this; }
    Field& NotListed() { member_.memberQueryDisplay = 0; return *this; }
    Field& Integer(int flag) { member_.memberIsInteger = flag; return *this; }

    const TMember& member() const { return member_; }
    operator const TMember&() const { return member_; }

private:
    TMember member_;
};

} // namespace quorrel::test
