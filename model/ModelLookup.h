#pragma once
#include "model/Member.h"
#include "model/ProjectSnapshot.h"

#include <string>

namespace quorrel {

// The records every generator needs of a class and of the classes its
// reference members name, looked up in one place and with one wording of
// what is missing. Each raises quorrel::Error naming the class (and member).

// The class's primary-key member / display member.
const TMember& RequireKeyMember(const TClassSnapshot& cls);
const TMember& RequireDisplayMember(const TClassSnapshot& cls);

// The class a reference member names, as the generated text uses it.
struct TReferencedClass {
    std::string lowerTypeName;
    const TMember& keyMember;
    const TMember& displayMember;
};

// Key and display member of the referenced class.
TReferencedClass ResolveReference(const TProjectSnapshot& project, const std::string& className,
                                  const TMember& member);
// Only the key member: the MySQL script needs no display member.
const TMember& ResolveReferenceKey(const TProjectSnapshot& project, const std::string& className,
                                   const TMember& member);

} // namespace quorrel
