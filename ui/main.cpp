// The desktop program: quorrel [--home DIR]
#include "model/DbHelper.h"
#include "ui/AppFont.h"
#include "ui/DataBaseSqlForm.h"
#include "ui/DesktopOpener.h"
#include "ui/MainForm.h"
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>

int main(int argc, char* argv[]) {
    using namespace quorrel;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorrel"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    UseProgramFont();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Models PHP + Smarty sites and generates their code."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption homeOption(QStringLiteral("home"),
                                  QStringLiteral("Home folder with projects.mdb, bak/, template/ and help/ "
                                                 "(default: the program's folder)."),
                                  QStringLiteral("DIR"));
    parser.addOption(homeOption);
    // Saves a picture of the main window once it is shown, then quits.
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"), QStringLiteral("Save the main window to FILE."),
                                        QStringLiteral("FILE"));
    screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshotOption);
    parser.process(app);

    const QString homeText =
        parser.isSet(homeOption) ? parser.value(homeOption) : QCoreApplication::applicationDirPath();
    const std::filesystem::path home = std::filesystem::absolute(homeText.toStdString());
    TDbHelper::SetModelFile(home / "projects.mdb");

    QtPrompts prompts(QString::fromUtf8(TFormMain::kCaption));
    DesktopOpener opener;
    TFormMain form(home, prompts, opener);
    prompts.SetMainWindow(&form);
    // The script command makes its own dialog each time; this one stays hidden.
    TDataBaseSqlForm scriptForm(&form, home, prompts);
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
