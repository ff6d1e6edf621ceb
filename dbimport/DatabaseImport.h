#pragma once
#include "dbimport/SchemaReader.h"

#include <string>
#include <vector>

namespace quorrel {

// What one import added to the model.
struct TDbImportResult {
    std::string projectName;
    int classCount = 0;
    std::vector<std::string> guesses;
    // The texts of the warnings (ReportLine::Warning): the mapper's, then
    // the validator's.
    std::vector<std::string> warnings;
};

// Adds one project read from a database: reads its structure through a
// SchemaReader, makes the project (TSchemaMapper), checks it as a run
// would (ModelValidator) and adds it in one transaction. Any failure raises
// quorrel::Error and leaves the model as it was.
class TDatabaseImport {
public:
    explicit TDatabaseImport(SchemaReader& reader) : reader_(reader) {}

    // projectName empty: the database's name.
    TDbImportResult Run(const TConnectionSettings& settings, const std::string& tablePrefix,
                        const std::string& projectName) const;

private:
    SchemaReader& reader_;
};

} // namespace quorrel
