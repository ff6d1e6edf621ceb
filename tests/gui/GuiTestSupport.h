#pragma once
// Shared pieces of the GUI tests: boxes and an opener that record instead
// of showing, a fixture that runs the real main window on a temporary model,
// mouse helpers and a small model builder.
#include "model/ClassDAO.h"
#include "model/Member.h"
#include "model/MemberDAO.h"
#include "model/ProjectDAO.h"
#include "tests/support/Field.h"
#include "tests/support/TempModel.h"
#include "ui/MainForm.h"
#include "ui/Opener.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Lets gtest print the Qt strings of failed comparisons (found by lookup in
// QString's own namespace).
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace quorrel::test {

enum class BoxKind { Information, Confirm, Notice, Input, Error, OpenFailed };

struct Box {
    BoxKind kind;
    QString caption;  // empty for information and error boxes (the application's title)
    QString text;     // the prompt line for input boxes
    QString initial;  // input boxes: the initial text; open failures: the path
    bool onGuiThread = true;
};

// Records every box; answers confirmation and input boxes from queues.
class FakePrompts : public Prompts {
public:
    std::vector<Box> shown;
    std::deque<bool> confirmAnswers;
    // nullopt stands for Cancel, which returns the initial text.
    std::deque<std::optional<QString>> inputAnswers;
    // Called after a box has been recorded, while it would be open.
    std::function<void(const Box&)> onBox;

    void Information(const QString& text) override { Record({BoxKind::Information, {}, text, {}}); }
    bool Confirm(const QString& caption, const QString& text) override {
        Record({BoxKind::Confirm, caption, text, {}});
        if (confirmAnswers.empty()) {
            ADD_FAILURE() << "unexpected confirmation box: " << text.toStdString();
            return false;
        }
        bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    void Notice(const QString& caption, const QString& text) override { Record({BoxKind::Notice, caption, text, {}}); }
    QString Input(const QString& caption, const QString& prompt, const QString& initial) override {
        Record({BoxKind::Input, caption, prompt, initial});
        if (inputAnswers.empty()) {
            ADD_FAILURE() << "unexpected input box: " << caption.toStdString();
            return initial;
        }
        auto answer = inputAnswers.front();
        inputAnswers.pop_front();
        return answer ? *answer : initial;
    }
    void ErrorBox(const QString& text) override { Record({BoxKind::Error, {}, text, {}}); }
    void OpenFailed(const QString& text, const QString& path) override {
        Record({BoxKind::OpenFailed, {}, text, path});
    }

    // The texts of the boxes of one kind, in order.
    std::vector<QString> Texts(BoxKind kind) const {
        std::vector<QString> texts;
        for (const auto& box : shown)
            if (box.kind == kind)
                texts.push_back(box.text);
        return texts;
    }
    std::vector<QString> Informations() const { return Texts(BoxKind::Information); }
    void Clear() { shown.clear(); }

private:
    void Record(Box box) {
        box.onGuiThread = QThread::currentThread() == qApp->thread();
        shown.push_back(box);
        if (onBox)
            onBox(shown.back());
    }
};

class FakeOpener : public Opener {
public:
    std::vector<QUrl> opened;
    // When set, every address fails to open with this reason.
    std::optional<QString> failWith;
    void Open(const QUrl& url, FailureHandler onFailure) override {
        opened.push_back(url);
        if (failWith)
            onFailure(*failWith);
    }
};

// Runs the event loop until cond holds or the time is up.
inline bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A click as the window system delivers it: press, then release.
inline void Click(QWidget* widget, QPoint pos) {
    SendMouse(widget, QEvent::MouseButtonPress, pos);
    SendMouse(widget, QEvent::MouseButtonRelease, pos);
}

// A double click: press, release, double click, release.
inline void DoubleClick(QWidget* widget, QPoint pos) {
    Click(widget, pos);
    SendMouse(widget, QEvent::MouseButtonDblClick, pos);
    SendMouse(widget, QEvent::MouseButtonRelease, pos);
}

// A key press and release on a widget; a key it ignores goes on to its parents.
inline void PressKey(QWidget* widget, int key) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

// A member record as the dialogs build it for the common cases: required,
// commented, a string 20 long.
inline TMember MakeMember(int projectId, int classId, const std::string& name, const std::string& type,
                          bool key = false, bool display = false) {
    Field m = Field(name, type).In(projectId, classId).Must().Comment(name + " comment");
    if (type == kTypeString)
        m.Length(20);
    if (key)
        m.Key();
    if (display)
        m.Display();
    return m;
}

// Builds model rows and answers their ids.
struct ModelBuilder {
    int Project(const std::string& name) const {
        TProjectDAO().AddProject(name);
        return TProjectDAO().LoadProjects().back().id;
    }
    int Class(int projectId, const std::string& name, const std::string& friendName = "友好") const {
        TClassDAO().AddClass(projectId, name, friendName);
        return TClassDAO().GetClassId(projectId, name);
    }
    int Member(const TMember& member) const {
        TMemberDAO().AddMember(member);
        TRowSet rows = TMemberDAO().QueryMembers(member.classId);
        int id = 0;
        for (rows.First(); !rows.Eof(); rows.Next())
            id = rows.FieldInt("memberId");
        return id;
    }
    // A class with an integer key and a string display member.
    int CompleteClass(int projectId, const std::string& name) const {
        int classId = Class(projectId, name);
        Member(MakeMember(projectId, classId, "id", kTypeInteger, true));
        Member(MakeMember(projectId, classId, "title", kTypeString, false, true));
        return classId;
    }
};

inline void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// The smallest home a run completes in: the eight resource folders and a
// few resource files under bak/, and the two templates.
inline void MakeMinimalHome(const std::filesystem::path& home) {
    for (const char* folder : {".settings", "admin", "attachments", "cache", "images", "include", "smarty", "templates"})
        WriteFile(home / "bak" / folder / "readme.txt", std::string("resource of ") + folder + "\n");
    WriteFile(home / "bak" / "index.php", "<?php\n");
    WriteFile(home / "bak" / "config.inc.php", "<?php\n");
    WriteFile(home / "template/admin/templates/admin/fream.tpl", "<ul>\n$topMenuString\n</ul>\n$contentMenuString\n");
    WriteFile(home / "template/admin/mysql.sql", "\xEF\xBB\xBF-- prefix $dbprefix\n$sqlString-- end\n");
}

// The real main window over a temporary model, with recording boxes and a
// modal runner that shows each dialog and hands it to the next driver.
class GuiTest : public ::testing::Test {
protected:
    using Driver = std::function<void(QDialog&)>;

    struct ShownDialog {
        QString name;
        bool closedItself = false;  // accepted or rejected by its own code
    };

    TempModel model;
    FakePrompts boxes;
    FakeOpener opener;
    ModelBuilder build;
    std::unique_ptr<TFormMain> form;
    std::deque<Driver> drivers;
    std::vector<ShownDialog> dialogs;

    // Every test starts without remembered window settings (the test
    // program keeps them in a temporary folder of its own).
    GuiTest() { QSettings(QStringLiteral("quorrel"), QStringLiteral("quorrel")).clear(); }

    void TearDown() override {
        if (form) {
            EXPECT_TRUE(WaitFor([this] { return !form->IsGenerating(); })) << "a run did not end";
        }
        form.reset();
        EXPECT_TRUE(drivers.empty()) << drivers.size() << " expected dialog(s) never shown";
    }

    const std::filesystem::path& Home() const { return model.folder(); }

    // Creates and shows the main window; the model is read now.
    void Start() {
        form = std::make_unique<TFormMain>(Home(), boxes, opener);
        form->SetModalRunner([this](QDialog& dialog) { RunDialog(dialog); });
        form->show();
        QApplication::processEvents();
    }

    // The next dialog the window shows is handed to driver; a dialog that
    // is still open afterwards is dismissed as by its close box.
    void OnDialog(Driver driver) { drivers.push_back(std::move(driver)); }

    template <class T = QWidget>
    T* Find(const char* name) const {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << "no control " << name;
        return widget;
    }
    template <class T = QWidget>
    static T* Find(QWidget& parent, const char* name) {
        T* widget = parent.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << "no control " << name;
        return widget;
    }

    void Trigger(const char* command) {
        QAction* action = Find<QAction>(command);
        ASSERT_NE(action, nullptr);
        action->trigger();
    }

    QComboBox* Projects() const { return Find<QComboBox>("CB_Project"); }
    QListWidget* Classes() const { return Find<QListWidget>("LB_Object"); }
    QTableWidget* Members() const { return Find<QTableWidget>("LV_Member"); }
    QPlainTextEdit* Log() const { return Find<QPlainTextEdit>("Memo_State"); }

    // Chooses a project as the user does.
    void ChooseProject(int index) {
        Projects()->setCurrentIndex(index);
        emit Projects()->activated(index);
    }
    // Clicks a class of the class list.
    void ChooseClass(int row) {
        QListWidget* list = Classes();
        QRect rect = list->visualItemRect(list->item(row));
        Click(list->viewport(), rect.center());
    }
    // Clicks a row of the member table.
    void ChooseMember(int row) {
        QTableWidget* table = Members();
        QRect rect = table->visualRect(table->model()->index(row, 1));
        Click(table->viewport(), rect.center());
    }

    std::vector<QString> ProjectNames() const {
        std::vector<QString> names;
        for (int i = 0; i < Projects()->count(); ++i)
            names.push_back(Projects()->itemText(i));
        return names;
    }
    std::vector<QString> ClassNames() const {
        std::vector<QString> names;
        for (int i = 0; i < Classes()->count(); ++i)
            names.push_back(Classes()->item(i)->text());
        return names;
    }
    int SelectedClassRow() const {
        const auto selected = Classes()->selectedItems();
        return selected.isEmpty() ? -1 : Classes()->row(selected.first());
    }
    std::vector<QString> MemberRow(int row) const {
        std::vector<QString> cells;
        for (int column = 0; column < Members()->columnCount(); ++column)
            cells.push_back(Members()->item(row, column)->text());
        return cells;
    }
    std::vector<QString> MemberNames() const {
        std::vector<QString> names;
        for (int row = 0; row < Members()->rowCount(); ++row)
            names.push_back(Members()->item(row, 1)->text());
        return names;
    }
    QStringList LogLines() const {
        QString text = Log()->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

private:
    void RunDialog(QDialog& dialog) {
        dialogs.push_back({dialog.objectName(), false});
        if (drivers.empty()) {
            ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
            return;
        }
        Driver driver = std::move(drivers.front());
        drivers.pop_front();
        dialog.show();
        QApplication::processEvents();
        driver(dialog);
        dialogs.back().closedItself = !dialog.isVisible();
        if (dialog.isVisible())
            dialog.reject();
    }
};

} // namespace quorrel::test
