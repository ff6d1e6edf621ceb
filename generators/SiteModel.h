#pragma once
#include "base/OutputTree.h"
#include "base/ProgressSink.h"
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
    // Reads the model only from the snapshot; the project name names the site.
    TSiteModel(std::shared_ptr<const TProjectSnapshot> project, std::string projectName, OutputTree& out,
               ProgressSink& progress);

    // Writes the description of the listed classes, in list order, and adds
    // its progress line. The table prefix is the one of the MySQL script.
    void GenerateSiteModel(const std::string& tablePrefix, const TClassList& classes);

    // The text of the description. Raises quorrel::Error for a class
    // without a key or display member.
    std::string BuildSiteModel(const std::string& tablePrefix, const TClassList& classes) const;

private:
    std::shared_ptr<const TProjectSnapshot> project_;
    std::string projectName_;
    OutputTree& out_;
    ProgressSink& progress_;
};

} // namespace quorrel
