// quorrel-cli: the model store and the generators from the command line.
#include "cli/ConsoleReporter.h"
#include "cli/ModelJson.h"
#include "generation/AutoCode.h"
#include "generators/DataBaseSql.h"
#include "model/DbHelper.h"
#include "base/Error.h"
#include "base/ProgramFolder.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

namespace fs = std::filesystem;
using namespace quorrel;

namespace {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kUsage = 2;
constexpr int kCheckFailed = 3;

// A usage error found after parsing: reported with exit status 2.
struct UsageError {
    std::string message;
};

int FindProject(const std::string& name) {
    for (const auto& project : TProjectDAO().LoadProjects())
        if (project.name == name)
            return project.id;
    throw UsageError{"there is no project named \"" + name +
                     "\"; 'quorrel-cli projects' lists the projects of the model"};
}

int Init(const fs::path& home) {
    const fs::path file = home / "projects.mdb";
    if (fs::exists(file)) {
        std::cerr << "quorrel-cli: " << file.string()
                  << " already exists; init never touches an existing model. "
                     "Remove or move the file first to start from an empty model.\n";
        return kError;
    }
    TDbHelper::CreateModelFile(file);
    std::cout << "created an empty model in " << file.string() << "\n";
    return kOk;
}

int Projects() {
    for (const auto& project : TProjectDAO().LoadProjects())
        std::cout << project.id << '\t' << project.name << '\n';
    return kOk;
}

int Generate(const fs::path& home, const std::string& project, const std::string& prefix) {
    const int projectId = FindProject(project);
    ConsoleReporter reporter;
    TAutoCode(projectId, project, prefix, home, reporter).Execute();
    switch (reporter.outcome()) {
    case ConsoleReporter::Outcome::Finished:
        return kOk;
    case ConsoleReporter::Outcome::CheckFailed:
        return kCheckFailed;
    default:
        return kError;
    }
}

int Sql(const fs::path& home, const std::string& project, const std::string& prefix) {
    const int projectId = FindProject(project);
    std::cout << TDataBaseSql(home).BuildScript(*TProjectSnapshot::Take(projectId), prefix) << std::flush;
    return kOk;
}

int Export(const std::string& project) {
    const int projectId = FindProject(project);
    std::cout << ExportProject(projectId, project).dump(2) << "\n";
    return kOk;
}

int Import(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Error("cannot read " + file + "; give the path of a JSON file made by 'quorrel-cli export'");
    nlohmann::ordered_json document;
    try {
        document = nlohmann::ordered_json::parse(in);
    } catch (const nlohmann::json::exception& e) {
        throw Error(file + " is not valid JSON (" + e.what() + "); nothing was imported");
    }
    try {
        for (const auto& name : ImportProjects(document))
            std::cout << "imported project " << name << "\n";
    } catch (const Error& e) {
        throw Error(file + ": " + e.what() + "; nothing was imported");
    }
    return kOk;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"quorrel-cli: edit the site model and generate PHP + Smarty administration sites.\n"
                 "Exit status: 0 done, 1 error, 2 usage error or unknown project, 3 a model check failed."};
    app.require_subcommand(1);
    std::string home;
    app.add_option("--home", home,
                   "home folder holding projects.mdb, bak/, template/ and projects/ (default: the program's folder)");

    auto* init = app.add_subcommand("init", "create an empty model (projects.mdb) in the home folder");
    auto* projects = app.add_subcommand("projects", "list the projects: id, a tab, the name");

    std::string project, prefix = "php_", file;
    auto* generate = app.add_subcommand("generate", "generate the PHP + Smarty site of a project into projects/PROJECT");
    generate->add_option("PROJECT", project, "project name")->required();
    generate->add_option("--prefix", prefix, "table prefix (default php_)");

    auto* sql = app.add_subcommand("sql", "print the MySQL CREATE TABLE script of a project");
    sql->add_option("PROJECT", project, "project name")->required();
    sql->add_option("--prefix", prefix, "table prefix (default php_)");

    auto* exportCmd = app.add_subcommand("export", "print the model of a project as JSON");
    exportCmd->add_option("PROJECT", project, "project name")->required();

    auto* import = app.add_subcommand("import", "add the project(s) of a JSON file made by export as new projects");
    import->add_option("FILE", file, "JSON file")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsage;
    }

    const fs::path homeFolder = home.empty() ? ProgramFolder() : fs::absolute(home);
    TDbHelper::SetModelFile(homeFolder / "projects.mdb");
    try {
        if (*init)
            return Init(homeFolder);
        if (*projects)
            return Projects();
        if (*generate)
            return Generate(homeFolder, project, prefix);
        if (*sql)
            return Sql(homeFolder, project, prefix);
        if (*exportCmd)
            return Export(project);
        if (*import)
            return Import(file);
    } catch (const UsageError& e) {
        std::cerr << "quorrel-cli: " << e.message << "\n";
        return kUsage;
    } catch (const Error& e) {
        std::cerr << "quorrel-cli: " << e.what() << "\n";
        return kError;
    }
    return kUsage;
}
