#pragma once
#include <filesystem>

namespace quorrel {

// The folder of the running program: the default home folder, holding
// projects.mdb, bak/, template/ and the generated projects/.
std::filesystem::path ProgramFolder();

} // namespace quorrel
