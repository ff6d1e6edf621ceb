#pragma once
#include "model/ProjectSnapshot.h"

#include <string>

namespace quorrel {

// A comment as the inside of a single-quoted SQL literal, on one line.
std::string SqlCommentText(const std::string& comment);

// Builds the MySQL script of a project: one CREATE TABLE per class with its
// primary key, then one ALTER TABLE per reference member for its foreign
// key, put into the script template.
class TDataBaseSql {
public:
    // The resource the script template is read from, below the resource folder.
    static constexpr const char* kTemplatePath = "template/admin/mysql.sql";

    // scriptTemplate: the text of the resource kTemplatePath.
    explicit TDataBaseSql(std::string scriptTemplate);

    // The finished script. The template's "$sqlString" receives the tables,
    // then every "$dbprefix" of the result becomes the table prefix.
    // Reads the model only from the snapshot.
    std::string BuildScript(const TProjectSnapshot& project, const std::string& tablePrefix) const;

private:
    std::string scriptTemplate_;
};

} // namespace quorrel
