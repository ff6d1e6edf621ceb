// The desktop program: quorrel [--home DIR]
#include "model/DbHelper.h"
#include "model/Error.h"
#include "model/Folders.h"
#include "model/ProgramFolder.h"
#include "ui/AppFont.h"
#include "ui/Convert.h"
#include "ui/DataBaseSqlForm.h"
#include "ui/DesktopOpener.h"
#include "ui/MainForm.h"
#include "ui/QtPrompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <filesystem>
#include <optional>

namespace {

using namespace quorrel;

// Makes the data folder ready on a start without --home: creates it, offers
// to take over a model an earlier version kept beside the program, and
// creates an empty model on the first start. False when the program cannot
// run; the user has been told why.
bool PrepareDataFolder(const TFolders& folders, Prompts& prompts) {
    const QString data = ToQ(folders.Data());
    try {
        folders.PrepareData();
    } catch (const Error& e) {
        prompts.ErrorBox(QStringLiteral("无法使用数据文件夹 %1：\n%2\n\n模型和生成的网站都保存在这个文件夹里。"
                                        "请检查它的权限，或者用 --home 目录 指定另一个可写的文件夹启动，"
                                        "例如：quorrel --home ~/quorrel")
                             .arg(data, QString::fromUtf8(e.what())));
        return false;
    }
    const std::filesystem::path program = ProgramFolder();
    if (auto former = folders.FormerModel(program)) {
        const QString text =
            QStringLiteral("在程序文件夹里找到了以前的模型：\n%1\n\n现在模型和生成的网站保存在数据文件夹：\n%2\n"
                           "（删除构建文件夹不会再删除它们）。\n\n要把这个模型和它旁边已生成的网站移到数据文件夹吗？"
                           "选择“取消”则从空模型开始，原来的文件保持不动。")
                .arg(ToQ(*former), data);
        if (prompts.Confirm(QString::fromUtf8(TFormMain::kCaption), text)) {
            try {
                if (!folders.TakeOverFormerData(program))
                    prompts.Information(QStringLiteral("模型已复制到 %1；原来的文件仍在程序文件夹里。").arg(data));
            } catch (const Error& e) {
                prompts.ErrorBox(QStringLiteral("无法移动以前的模型：%1\n原来的文件保持不动。")
                                     .arg(QString::fromUtf8(e.what())));
                return false;
            }
        }
    }
    try {
        if (!std::filesystem::exists(folders.ModelFile()))
            TDbHelper::CreateModelFile(folders.ModelFile());
    } catch (const Error& e) {
        prompts.ErrorBox(QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
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
        if (!PrepareDataFolder(*folders, prompts))
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
