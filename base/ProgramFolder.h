#pragma once
#include <filesystem>

namespace quorrel {

// The folder of the running program: the resources are found from it
// (TFolders), and earlier versions kept the model there.
std::filesystem::path ProgramFolder();

} // namespace quorrel
