#include "ui/GuiRunReporter.h"

#include "ui/Convert.h"
#include "ui/MainForm.h"

#include <QMetaObject>
#include <QThread>

namespace quorrel {
namespace {

// Runs fn on the form's thread and waits for it; called on that thread
// itself (a run driven without a worker), it simply runs fn.
template <class Fn>
void RunAndWait(TFormMain& form, Fn fn) {
    if (QThread::currentThread() == form.thread())
        fn();
    else
        QMetaObject::invokeMethod(&form, fn, Qt::BlockingQueuedConnection);
}

} // namespace

void GuiRunReporter::AddLine(const std::string& line) {
    QString text = ToQ(line);
    TFormMain* form = &form_;
    QMetaObject::invokeMethod(form, [form, text] { form->RunLine(text); }, Qt::AutoConnection);
}

void GuiRunReporter::CheckFailed(int classId, const std::string& className, ModelCheck check) {
    QString name = ToQ(className);
    TFormMain* form = &form_;
    RunAndWait(form_, [form, classId, name, check] { form->RunCheckFailed(classId, name, check); });
}

void GuiRunReporter::Finished() {
    TFormMain* form = &form_;
    RunAndWait(form_, [form] { form->RunFinished(); });
}

void GuiRunReporter::Failed(const std::string& message) {
    QString text = ToQ(message);
    TFormMain* form = &form_;
    RunAndWait(form_, [form, text] { form->RunFailed(text); });
}

} // namespace quorrel
