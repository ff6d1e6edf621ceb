#include "ui/DesktopOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace quorrel {

void DesktopOpener::Open(const QUrl& url, FailureHandler onFailure) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            onFailure(QStringLiteral("没有可以打开它的程序"));
        return;
    }
    // xdg-open says by its exit status whether a program took the address
    // (3: none found, 4: the program failed). The process has no parent: a
    // viewer still open when this program ends is left alone.
    auto* process = new QProcess;
    process->setProgram(xdgOpen);
    process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString()});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, process,
                     [process, onFailure](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit)
                             onFailure(QStringLiteral("xdg-open 异常结束"));
                         else if (exitCode == 3)
                             onFailure(QStringLiteral("没有可以打开它的程序"));
                         else if (exitCode == 4)
                             onFailure(QStringLiteral("打开它的程序没能启动"));
                         else if (exitCode != 0)
                             onFailure(QStringLiteral("xdg-open 退出状态 %1").arg(exitCode));
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, onFailure](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        onFailure(QStringLiteral("无法启动 xdg-open"));
        process->deleteLater();
    });
    process->start();
}

} // namespace quorrel
