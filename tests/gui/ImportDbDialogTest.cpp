// The database import dialog over a fake connection: the import runs on a
// worker while the window goes on, the new project is selected, what was
// guessed and warned is listed, the password is never stored, and a failed
// connection shows its message and changes nothing.
#include "tests/gui/GuiTestSupport.h"

#include "base/Error.h"
#include "ui/ImportDbForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <future>
#include <mutex>

namespace quorrel::test {
namespace {

// Answers as a server would, from a schema given by the test; can hold a
// read until the test lets it go.
class FakeSchemaReader : public SchemaReader {
public:
    TDatabaseSchema schema;
    std::string failure;  // when set, every call raises it
    bool hold = false;
    std::promise<void> release;

    std::string TestConnection(const TConnectionSettings& settings) override {
        Record(settings);
        if (!failure.empty())
            throw Error(failure);
        return "10.11.99-MariaDB-fake";
    }
    TDatabaseSchema ReadSchema(const TConnectionSettings& settings) override {
        Record(settings);
        if (hold)
            release.get_future().wait();
        if (!failure.empty())
            throw Error(failure);
        return schema;
    }
    std::vector<TConnectionSettings> Calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

private:
    void Record(const TConnectionSettings& settings) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(settings);
    }
    std::mutex mutex_;
    std::vector<TConnectionSettings> calls_;
};

class ImportDbDialog : public GuiTest {
protected:
    std::shared_ptr<FakeSchemaReader> reader = std::make_shared<FakeSchemaReader>();

    void StartWithFake() {
        Start();
        std::shared_ptr<FakeSchemaReader> fake = reader;
        form->SetSchemaReaderFactory([fake] { return fake; });
    }
    static void Fill(TImportDbForm& dialog, const QString& database) {
        dialog.Edt_Socket->setText(QStringLiteral("/run/test.sock"));
        dialog.Edt_User->setText(QStringLiteral("editor"));
        dialog.Edt_Password->setText(QStringLiteral("Pw-secret-4711"));
        dialog.Edt_Database->setText(database);
        dialog.Edt_TablePrefix->setText(QStringLiteral("cms_"));
    }
    static QStringList Listed(const TImportDbForm& dialog) {
        QStringList lines;
        for (int i = 0; i < dialog.LB_Warnings->count(); ++i)
            lines << dialog.LB_Warnings->item(i)->text();
        return lines;
    }
    std::string ModelBytes() const {
        std::ifstream in(model.file(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

void AddTable(TDatabaseSchema& schema, const std::string& table, bool view = false) {
    schema.tables.push_back({table, view, ""});
}
void AddColumn(TDatabaseSchema& schema, const std::string& table, const std::string& name, int position,
               const std::string& type, std::optional<long long> length = std::nullopt) {
    schema.columns.push_back({table, name, position, type, type, length, false, "", "", std::nullopt});
}

TEST_F(ImportDbDialog, ImportsOnAWorkerSelectsTheNewProjectAndListsGuessesAndWarnings) {
    build.CompleteClass(build.Project("existing"), "Page");
    auto& s = reader->schema;
    s.database = "cms";
    AddTable(s, "cms_article");
    AddColumn(s, "cms_article", "id", 1, "int");
    AddColumn(s, "cms_article", "title", 2, "varchar", 80);
    AddColumn(s, "cms_article", "authorId", 3, "int");
    AddTable(s, "cms_author");
    AddColumn(s, "cms_author", "id", 1, "int");
    AddColumn(s, "cms_author", "name", 2, "varchar", 40);
    AddTable(s, "cms_latest", true);
    s.keyColumns.push_back({"cms_article", "PRIMARY", "id", 1, "", "", ""});
    s.keyColumns.push_back({"cms_author", "PRIMARY", "id", 1, "", "", ""});
    s.keyColumns.push_back({"cms_article", "fk", "authorId", 1, "cms", "cms_author", "id"});
    reader->hold = true;
    StartWithFake();

    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TImportDbForm&>(d);
        Fill(dialog, QStringLiteral("cms"));
        dialog.Btn_Import->click();
        // The read is held by the fake: the window runs on meanwhile, and
        // the dialog neither starts a second job nor closes.
        QApplication::processEvents();
        EXPECT_TRUE(dialog.IsBusy());
        EXPECT_FALSE(dialog.Btn_Import->isEnabled());
        EXPECT_FALSE(dialog.Btn_Test->isEnabled());
        dialog.reject();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(ProjectNames(), (std::vector<QString>{QStringLiteral("existing")}));

        reader->release.set_value();
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        EXPECT_TRUE(dialog.Btn_Import->isEnabled());
        EXPECT_EQ(Listed(dialog),
                  (QStringList{QStringLiteral("推测：类Article的显示成员为title；列表显示成员为title"),
                               QStringLiteral("推测：类Author的显示成员为name；列表显示成员为name"),
                               QStringLiteral("警告：表cms_latest：是视图，已跳过")}));
        EXPECT_EQ(dialog.Lbl_State->text(), QStringLiteral("已导入项目cms：2个类，1条警告"));
    });
    Trigger("I1");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].name, QStringLiteral("ImportDbForm"));

    // The new project, named after the database, is selected with its classes.
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{QStringLiteral("existing"), QStringLiteral("cms")}));
    EXPECT_EQ(Projects()->currentText(), QStringLiteral("cms"));
    EXPECT_EQ(ClassNames(), (std::vector<QString>{QStringLiteral("Article"), QStringLiteral("Author")}));
    EXPECT_EQ(MemberNames(), (std::vector<QString>{QStringLiteral("id"), QStringLiteral("title"), QStringLiteral("authorId")}));
    EXPECT_EQ(MemberRow(2)[2], QStringLiteral("Author"));

    const auto calls = reader->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].socket, "/run/test.sock");
    EXPECT_EQ(calls[0].user, "editor");
    EXPECT_EQ(calls[0].password, "Pw-secret-4711");
    EXPECT_EQ(calls[0].database, "cms");
    TDbHelper::CloseConnection();
    EXPECT_EQ(ModelBytes().find("Pw-secret-4711"), std::string::npos) << "the password was stored";
    EXPECT_NE(ModelBytes().find("authorId"), std::string::npos);
}

TEST_F(ImportDbDialog, TestsTheConnectionAndReportsAFailureWithoutChangingTheModel) {
    build.CompleteClass(build.Project("existing"), "Page");
    StartWithFake();
    OnDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<TImportDbForm&>(d);
        // Checked before anything is started.
        dialog.Btn_Import->click();
        EXPECT_FALSE(dialog.IsBusy());
        EXPECT_EQ(boxes.Informations(), (std::vector<QString>{QStringLiteral("数据库名不能为空!")}));

        Fill(dialog, QStringLiteral("cms"));
        dialog.Btn_Test->click();
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        EXPECT_EQ(dialog.Lbl_State->text(), QStringLiteral("连接成功，服务器版本：10.11.99-MariaDB-fake"));

        reader->failure = "数据库服务器拒绝登录：用户名或密码错误（1045 Access denied）";
        dialog.Btn_Import->click();
        ASSERT_TRUE(WaitFor([&] { return !dialog.IsBusy(); }));
        EXPECT_EQ(boxes.Texts(BoxKind::Error),
                  (std::vector<QString>{QStringLiteral("数据库服务器拒绝登录：用户名或密码错误（1045 Access denied）")}));
        EXPECT_TRUE(dialog.Lbl_State->text().contains(QStringLiteral("用户名或密码错误")));
        EXPECT_EQ(dialog.LB_Warnings->count(), 0);
        EXPECT_TRUE(dialog.isVisible());
    });
    Trigger("I1");
    EXPECT_EQ(reader->Calls().size(), 2u);
    EXPECT_EQ(ProjectNames(), (std::vector<QString>{QStringLiteral("existing")}));
    EXPECT_EQ(TProjectDAO().LoadProjects().size(), 1u);
}

} // namespace
} // namespace quorrel::test
