// quorrel-cli: the model store and the generators from the command line.
#include "cli/ConsoleReporter.h"
#include "cli/ImportDb.h"
#include "cli/Migrate.h"
#include "cli/ModelJson.h"
#include "cli/PlanCommands.h"
#include "generation/AutoCode.h"
#include "model/ModelValidator.h"
#include "generators/DataBaseSql.h"
#include "model/DbHelper.h"
#include "base/Error.h"
#include "base/FileOperate.h"
#include "base/Folders.h"
#include "base/ProgramFolder.h"
#include "model/ProjectDAO.h"
#include "model/ProjectSnapshot.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

namespace fs = std::filesystem;
using namespace quorrel;

namespace {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kUsage = 2;
constexpr int kCheckFailed = 3;
constexpr int kInterrupted = 128 + SIGINT;

// Set by Ctrl+C during a generation run; the run reads it between files.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch a lock-free flag");

extern "C" void OnInterrupt(int) { stopRequested.store(true); }

// Ctrl+C stops the run after the file being written. The handler is used
// once: a second Ctrl+C ends the program at once. Interrupted writes to the
// terminal or a pipe are restarted, so no progress line is lost.
void StopOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

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

int Paths(const TFolders& folders) {
    std::cout << "resources\t" << folders.Resources().string() << '\n'
              << "data\t" << folders.Data().string() << '\n'
              << "model\t" << folders.ModelFile().string() << '\n'
              << "sites\t" << (folders.Data() / "projects").string() << '\n';
    return kOk;
}

// The data folder of a start without --home: created when missing, with an
// empty model on the first start. A model an earlier version kept beside the
// program is never taken silently: the command stops and says how to move it.
int PrepareDataFolder(const TFolders& folders, bool creatingModel) {
    try {
        folders.PrepareData();
    } catch (const Error& e) {
        std::cerr << "quorrel-cli: " << e.what()
                  << "\nThe model and the generated sites are kept in that folder. Fix its permissions, or give "
                     "another folder with --home DIR (which then holds the model, the sites and the resources).\n";
        return kError;
    }
    if (creatingModel)
        return kOk;
    const fs::path program = ProgramFolder();
    if (auto former = folders.FormerModel(program)) {
        std::cerr << "quorrel-cli: " << former->string()
                  << " is a model kept beside the program by an earlier version. The model and the generated "
                     "sites now live in "
                  << folders.Data().string()
                  << ", where deleting the build folder cannot reach them. To keep working on it, move it there:\n"
                  << "  mv '" << former->string() << "' '" << folders.ModelFile().string() << "'\n";
        std::error_code ec;
        if (fs::is_directory(program / "projects", ec) && !fs::exists(folders.Data() / "projects", ec))
            std::cerr << "  mv '" << (program / "projects").string() << "' '" << (folders.Data() / "projects").string()
                      << "'\n";
        std::cerr << "or start from an empty model with 'quorrel-cli init'. The old files are left as they are.\n";
        return kError;
    }
    if (!fs::exists(folders.ModelFile())) {
        TDbHelper::CreateModelFile(folders.ModelFile());
        std::cerr << "quorrel-cli: created an empty model in " << folders.ModelFile().string() << "\n";
    }
    return kOk;
}

int Projects() {
    for (const auto& project : TProjectDAO().LoadProjects())
        std::cout << project.id << '\t' << project.name << '\n';
    return kOk;
}

int ExitStatus(ConsoleReporter::Outcome outcome) {
    switch (outcome) {
    case ConsoleReporter::Outcome::Finished:
        return kOk;
    case ConsoleReporter::Outcome::CheckFailed:
        return kCheckFailed;
    default:
        return kError;
    }
}

int Generate(const TFolders& folders, const std::string& project, const std::string& prefix, bool overwriteEdited) {
    const int projectId = FindProject(project);
    ConsoleReporter reporter(false, &stopRequested);
    StopOnInterrupt();
    TAutoCode run(projectId, project, prefix, folders, reporter);
    run.SetPlan(std::make_shared<RunPlan>(RunPlan::Options{false, overwriteEdited}));
    run.Execute();
    switch (reporter.outcome()) {
    case ConsoleReporter::Outcome::Finished:
        return kOk;
    case ConsoleReporter::Outcome::CheckFailed:
        return kCheckFailed;
    case ConsoleReporter::Outcome::Stopped:
        return kInterrupted;
    default:
        return kError;
    }
}

int Plan(const TFolders& folders, const std::string& project, const std::string& prefix) {
    const int projectId = FindProject(project);
    return ExitStatus(PlanCommands(folders, projectId, project, prefix).PrintPlan());
}

int Diff(const TFolders& folders, const std::string& project, const std::string& prefix,
         const std::vector<std::string>& paths, bool threeWay) {
    const int projectId = FindProject(project);
    std::vector<std::string> unknown;
    const int status = ExitStatus(PlanCommands(folders, projectId, project, prefix).PrintDiffs(paths, unknown, threeWay));
    if (status != kOk || unknown.empty())
        return status;
    std::string names;
    for (const auto& path : unknown)
        names += (names.empty() ? "" : ", ") + path;
    throw UsageError{"the run writes no file " + names + "; 'quorrel-cli plan " + project +
                     "' lists the files with their paths in the site"};
}

int Sql(const TFolders& folders, const std::string& project, const std::string& prefix) {
    const int projectId = FindProject(project);
    const auto snapshot = TProjectSnapshot::Take(projectId);
    // Names go into the script as they are: a model that breaks a rule gets none.
    ModelValidator(*snapshot).CheckNamesAndTexts(prefix);
    const std::string scriptTemplate = TFileOperate::ReadUtf8File(folders.Resource(TDataBaseSql::kTemplatePath));
    std::cout << TDataBaseSql(scriptTemplate).BuildScript(*snapshot, prefix) << std::flush;
    return kOk;
}

int Export(const std::string& project) {
    const int projectId = FindProject(project);
    // The whole text is made before any of it is written, so a model that
    // cannot be exported leaves no partial output behind.
    const std::string text = ExportProject(projectId, project).dump(2) + "\n";
    std::cout << text;
    return kOk;
}

// Without an update project, adds the projects of the file; with one,
// applies the file to that project in place.
int Import(const std::string& file, const std::optional<std::string>& update) {
    // An unknown project is a usage error, found before the file is read.
    const int projectId = update ? FindProject(*update) : 0;
    const std::string unchanged = update ? "; nothing was changed" : "; nothing was imported";
    if (fs::is_directory(file))
        throw Error(file + " is a folder; give the path of a JSON file made by 'quorrel-cli export'");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Error("cannot read " + file + "; give the path of a JSON file made by 'quorrel-cli export'");
    nlohmann::ordered_json document;
    try {
        document = ParseModelDocument(in);
    } catch (const nlohmann::json::exception& e) {
        throw Error(file + " is not valid JSON (" + e.what() + ")" + unchanged);
    } catch (const Error& e) {
        throw Error(file + ": " + e.what() + unchanged);
    }
    try {
        if (update)
            std::cout << UpdateProject(projectId, *update, document) << "\n";
        else
            for (const auto& name : ImportProjects(document))
                std::cout << "imported project " << name << "\n";
    } catch (const Error& e) {
        throw Error(file + ": " + e.what() + unchanged);
    }
    return kOk;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"quorrel-cli: edit the site model and generate PHP + Smarty administration sites.\n"
                 "Exit status: 0 done, 1 error, 2 usage error or unknown project, 3 a model check failed,\n"
                 "4 migrate left data-losing changes out of its script,\n"
                 "130 generation stopped by Ctrl+C (after the file being written)."};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("quorrel-cli ") + QUORREL_VERSION);
    std::string home;
    app.add_option("--home", home,
                   "one folder holding everything: projects.mdb, projects/, bak/ and template/ (default: the model "
                   "and the sites in $XDG_DATA_HOME/quorrel, the resources shipped with the program)");

    auto* init = app.add_subcommand("init", "create an empty model (projects.mdb) in the data folder");
    auto* paths = app.add_subcommand("paths", "print the folders in use: resources, data, model and sites");
    auto* projects = app.add_subcommand("projects", "list the projects: id, a tab, the name");

    std::string project, prefix = "php_", file;
    auto* generate = app.add_subcommand("generate", "generate the PHP + Smarty site of a project into projects/PROJECT");
    generate->add_option("PROJECT", project, "project name")->required();
    generate->add_option("--prefix", prefix, "table prefix (default php_)");
    bool overwriteEdited = false;
    generate->add_flag("--overwrite-edited", overwriteEdited,
                       "overwrite files changed since the last run, keeping the replaced text as FILE.orig "
                       "(without it their new text is written beside them as FILE.new)");

    auto* planCmd = app.add_subcommand(
        "plan", "print what generate would do with each file of the site (new, same, update, edited, merge, "
                "conflict, kept, orphan) and the counts; writes nothing");
    planCmd->add_option("PROJECT", project, "project name")->required();
    planCmd->add_option("--prefix", prefix, "table prefix (default php_)");

    std::vector<std::string> diffPaths;
    auto* diffCmd = app.add_subcommand(
        "diff", "print unified diffs between the files of the site and the texts generate would write; "
                "writes nothing");
    diffCmd->add_option("PROJECT", project, "project name")->required();
    diffCmd->add_option("PATH", diffPaths, "files, by their paths in the site as plan prints them (default: all)");
    diffCmd->add_option("--prefix", prefix, "table prefix (default php_)");
    bool threeWay = false;
    diffCmd->add_flag("--three-way", threeWay,
                      "for a file you edited, show your edits (last run's text to the file) and the model's "
                      "changes (last run's text to this run's) apart");

    auto* sql = app.add_subcommand("sql", "print the MySQL CREATE TABLE script of a project");
    sql->add_option("PROJECT", project, "project name")->required();
    sql->add_option("--prefix", prefix, "table prefix (default php_)");

    auto* exportCmd = app.add_subcommand("export", "print the model of a project as JSON");
    exportCmd->add_option("PROJECT", project, "project name")->required();

    auto* import = app.add_subcommand("import", "add the project(s) of a JSON file made by export as new projects, "
                                                "or with --update apply an edited export to its project in place");
    import->add_option("FILE", file, "JSON file")->required();
    std::string updateProject;
    auto* updateOption = import->add_option(
        "--update", updateProject,
        "apply FILE, an edited export of PROJECT, to PROJECT in one transaction: classes and members matched by "
        "their uids are changed in place, those without a match are added, those the file lacks are deleted");
    updateOption->option_text("PROJECT");

    ImportDbOptions importDbOptions;
    auto* importDb = AddImportDbCommand(app, importDbOptions);

    MigrateOptions migrateOptions;
    auto* migrate = AddMigrateCommand(app, migrateOptions);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kUsage;
    }

    // Runs the chosen command and returns its exit status.
    const auto run = [&]() -> int {
        const TFolders folders = home.empty() ? TFolders::ForProgram(ProgramFolder()) : TFolders(fs::absolute(home));
        if (*paths)
            return Paths(folders);
        if (home.empty())
            if (const int prepared = PrepareDataFolder(folders, static_cast<bool>(*init)); prepared != kOk)
                return prepared;
        TDbHelper::SetModelFile(folders.ModelFile());
        if (*init)
            return Init(folders.Data());
        if (*projects)
            return Projects();
        if (*generate)
            return Generate(folders, project, prefix, overwriteEdited);
        if (*planCmd)
            return Plan(folders, project, prefix);
        if (*diffCmd)
            return Diff(folders, project, prefix, diffPaths, threeWay);
        if (*sql)
            return Sql(folders, project, prefix);
        if (*exportCmd)
            return Export(project);
        if (*import)
            return Import(file, updateOption->count() > 0 ? std::optional<std::string>(updateProject) : std::nullopt);
        if (*importDb)
            return ImportDb(importDbOptions);
        if (*migrate)
            return Migrate(folders, FindProject(migrateOptions.project), migrateOptions);
        return kUsage;
    };
    int status = kUsage;
    try {
        status = run();
    } catch (const UsageError& e) {
        std::cerr << "quorrel-cli: " << e.message << "\n";
        return kUsage;
    } catch (const std::exception& e) {
        // Error carries the program's own wording; anything else (a file
        // system or encoding failure) is reported the same way, never aborts.
        std::cerr << "quorrel-cli: " << e.what() << "\n";
        return kError;
    }
    // Output that could not be written (a full disk, a closed pipe) is a
    // failure, not a success with a truncated result.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "quorrel-cli: the output could not be written" << "\n";
        return kError;
    }
    return status;
}
