#pragma once
#include "base/OutputTree.h"
#include "model/ListEntry.h"
#include "model/ProjectSnapshot.h"

#include <memory>
#include <string>

namespace quorrel {

// Writes the site's description of its model, admin/include/site_model.php:
// one PHP array the administration runtime reads to know each class's table,
// key and display member and each member's type, length, required flag,
// label, picture flag and referenced class, instead of guessing them from
// the generated pages. Every model text in it is a single-quoted PHP string.
class TSiteModel {
public:
    // Reads the model only from the snapshot.
    TSiteModel(std::shared_ptr<const TProjectSnapshot> project, OutputTree& out);

    // Writes the description of the listed classes, in list order, with its
    // progress line. The table prefix is the one of the MySQL script.
    void GenerateSiteModel(const std::string& tablePrefix, const TClassList& classes) const;

    // The text of the description. Raises quorrel::Error for a class
    // without a key or display member.
    std::string BuildSiteModel(const std::string& tablePrefix, const TClassList& classes) const;

private:
    std::shared_ptr<const TProjectSnapshot> project_;
    OutputTree& out_;
};

} // namespace quorrel
