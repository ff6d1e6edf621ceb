#pragma once
#include "base/Folders.h"

#include <filesystem>

namespace quorrel {

class Prompts;

// Makes the data folder ready when the desktop program starts without
// --home: creates it, offers to take over a model that an earlier version
// kept beside the program, and creates an empty model on the first start.
class DataFolderSetup {
public:
    DataFolderSetup() = delete;

    // False when the program cannot run; the user has been told why.
    static bool Prepare(const TFolders& folders, const std::filesystem::path& programFolder, Prompts& prompts);
};

} // namespace quorrel
