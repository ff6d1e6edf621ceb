#pragma once
#include "model/Member.h"

#include <string>

namespace quorrel {

// The records every generator needs of a class and of the classes its
// reference members name, looked up in one place and with one wording of
// what is missing. Each raises quorrel::Error naming the class (and member).

// The class's primary-key member.
TMember RequireKeyMember(int classId, const std::string& className);

// The class a reference member names, as the generated text uses it.
struct TReferencedClass {
    std::string lowerTypeName;
    TMember keyMember;
    TMember displayMember;
};

// Key and display member of the referenced class.
TReferencedClass ResolveReference(int projectId, const std::string& className, const TMember& member);
// Only the key member: the MySQL script needs no display member.
TMember ResolveReferenceKey(int projectId, const std::string& className, const TMember& member);

} // namespace quorrel
