#include "ui/DataFolderSetup.h"

#include "model/DbHelper.h"
#include "base/Error.h"
#include "ui/Convert.h"
#include "ui/MainForm.h"
#include "ui/Prompts.h"

namespace quorrel {

bool DataFolderSetup::Prepare(const TFolders& folders, const std::filesystem::path& program, Prompts& prompts) {
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

} // namespace quorrel
