// quorrel-cli: the model store and the generators from the command line.
#include "model/DbHelper.h"
#include "model/Error.h"
#include "model/ProjectDAO.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace quorrel;

namespace {

fs::path ExecutableFolder() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

int Init(const fs::path& home) {
    const fs::path file = home / "projects.mdb";
    if (fs::exists(file)) {
        std::cerr << "quorrel-cli: " << file.string()
                  << " already exists; init never touches an existing model. "
                     "Remove or move the file first to start from an empty model.\n";
        return 1;
    }
    TDbHelper::CreateModelFile(file);
    std::cout << "created an empty model in " << file.string() << "\n";
    return 0;
}

int Projects() {
    for (const auto& project : TProjectDAO().LoadProjects())
        std::cout << project.id << '\t' << project.name << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"quorrel-cli: edit the site model and generate PHP + Smarty administration sites"};
    app.require_subcommand(1);
    std::string home;
    app.add_option("--home", home, "home folder holding projects.mdb, bak/, template/ and projects/ "
                                   "(default: the program's folder)");
    auto* init = app.add_subcommand("init", "create an empty model (projects.mdb) in the home folder");
    auto* projects = app.add_subcommand("projects", "list the projects: id, a tab, the name");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    const fs::path homeFolder = home.empty() ? ExecutableFolder() : fs::absolute(home);
    TDbHelper::SetModelFile(homeFolder / "projects.mdb");
    try {
        if (*init)
            return Init(homeFolder);
        if (*projects)
            return Projects();
    } catch (const Error& e) {
        std::cerr << "quorrel-cli: " << e.what() << "\n";
        return 1;
    }
    return 2;
}
