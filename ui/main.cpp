// The desktop program: quorrel [--home DIR]
#include "model/DbHelper.h"
#include "base/Error.h"
#include "base/Folders.h"
#include "base/ProgramFolder.h"
#include "ui/AppFont.h"
#include "ui/DataBaseSqlForm.h"
#include "ui/DataFolderSetup.h"
#include "ui/DesktopOpener.h"
#include "ui/MainForm.h"
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>
#include <optional>

int main(int argc, char* argv[]) {
    using namespace quorrel;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorrel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORREL_VERSION));
    UseProgramFont();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Models PHP + Smarty sites and generates their code."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption homeOption(QStringLiteral("home"),
                                  QStringLiteral("One folder holding everything: projects.mdb, projects/, bak/, "
                                                 "template/ and help/ (default: the model and the sites in "
                                                 "$XDG_DATA_HOME/quorrel, the resources shipped with the program)."),
                                  QStringLiteral("DIR"));
    parser.addOption(homeOption);
    // Saves a picture of the main window once it is shown, then quits.
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"), QStringLiteral("Save the main window to FILE."),
                                        QStringLiteral("FILE"));
    screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshotOption);
    parser.process(app);

    QtPrompts prompts(QString::fromUtf8(TFormMain::kCaption));
    std::optional<TFolders> folders;
    if (parser.isSet(homeOption)) {
        folders.emplace(std::filesystem::absolute(parser.value(homeOption).toStdString()));
    } else {
        try {
            folders.emplace(TFolders::ForProgram(ProgramFolder()));
        } catch (const Error& e) {
            prompts.ErrorBox(QString::fromUtf8(e.what()) + QStringLiteral("\n用 --home 目录 指定一个文件夹启动。"));
            return 1;
        }
        if (!DataFolderSetup::Prepare(*folders, ProgramFolder(), prompts))
            return 1;
    }
    TDbHelper::SetModelFile(folders->ModelFile());

    DesktopOpener opener;
    TFormMain form(*folders, prompts, opener);
    prompts.SetMainWindow(&form);
    // The script command makes its own dialog each time; this one stays hidden.
    TDataBaseSqlForm scriptForm(&form, *folders, prompts);
    form.show();

    if (parser.isSet(screenshotOption)) {
        const QString file = parser.value(screenshotOption);
        if (auto* timer = form.findChild<QTimer*>(QStringLiteral("Timer1")))
            timer->stop();
        QTimer::singleShot(800, &form, [&form, file] {
            const bool saved = form.grab().save(file);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
