#pragma once
#include "generators/SchemaModel.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quorrel {

// The models a site's database may have been made from: every complete run
// (and every applied migration) keeps the structure it gave the database,
// with the identity of each table and column, in the site's
// .quorrel/models/. Each record is a file named after the hash of its text,
// so the same model is kept once, two colleagues' runs of one model write
// the same file, and records of two branches merge without a conflict.
class ModelHistory {
public:
    static constexpr const char* kRelativeFolder = ".quorrel/models";

    struct Record {
        std::string name;  // the file name, e.g. "3f2a….json"
        TSchemaModel schema;
    };

    // Keeps the model's record unless the site has it already (written under
    // a temporary name and renamed, so a record on disk is always whole).
    static void Keep(const std::filesystem::path& site, const TSchemaModel& schema);

    // Every readable record, by file name. A damaged record is left out and
    // named in problems.
    static std::vector<Record> Load(const std::filesystem::path& site, std::vector<std::string>& problems);
};

} // namespace quorrel
