#pragma once
#include <string>

namespace quorrel {

// The in-memory record of one t_member row, fields in column order.
struct TMember {
    int memberId = 0;
    int projectId = 0;
    int classId = 0;
    std::string memberName;
    std::string memberType;
    int memberLength = 0;
    int memberIsPri = 0;
    std::string memberComment;
    int memberIsMust = 0;
    int memberIsInteger = 0;
    int memberIsFloat = 0;
    int queryFlag = 0;
    int memberIsDisplay = 0;
    int memberQueryDisplay = 1;  // a new member is shown on the list page
    // The member's identity: kept through renames and carried by export and
    // import; empty until the model store gives it one.
    std::string memberUid;

    bool operator==(const TMember&) const = default;
};

// The five basic member types; any other type names a class of the project.
inline constexpr const char* kTypeString = "字符串";
inline constexpr const char* kTypeInteger = "整型";
inline constexpr const char* kTypeFloat = "浮点型";
inline constexpr const char* kTypeDate = "日期型";
inline constexpr const char* kTypeImage = "图片型";

// The longest text column MySQL can hold; a text member's length lies in
// 0..kMaxTextLength and every other member's length is 0.
inline constexpr int kMaxTextLength = 65535;

// What a member's type makes it, the one place each is worked out.
// One of the five basic types.
bool IsBasicType(const std::string& memberType);
// A reference: the type names a class of the project, whose key the member
// holds and whose display member stands for it.
bool IsReference(const std::string& memberType);
// Searched on the list page as text (a string or a date); the other member
// a list page searches is a reference, chosen from the referenced records.
bool IsTextFilter(const std::string& memberType);
// The list page can search it: a text filter or a reference, never an
// integer, float or picture.
bool IsSearchable(const std::string& memberType);
// It must be flagged required: only strings and pictures may be left empty.
bool IsAlwaysRequired(const std::string& memberType);

} // namespace quorrel
