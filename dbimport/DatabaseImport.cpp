#include "dbimport/DatabaseImport.h"

#include "base/Error.h"
#include "base/ReportLine.h"
#include "dbimport/SchemaMapper.h"
#include "model/ModelValidator.h"
#include "model/Names.h"
#include "model/ProjectDAO.h"

namespace quorrel {

TDbImportResult TDatabaseImport::Run(const TConnectionSettings& settings, const std::string& tablePrefix,
                                     const std::string& projectName) const {
    const std::string name = projectName.empty() ? settings.database : projectName;
    // Refused before connecting, so a wrong name costs no wait for the server.
    if (!IsSafeFileName(name))
        throw Error("项目名称“" + name + "”不能用作文件夹名（不能为空、不能是.或..、不能含/、\\或控制字符）");
    if (TProjectDAO().CountProjectsByName(name) > 0)
        throw Error("项目" + name + "已经存在，请另取一个项目名称");

    const TDatabaseSchema schema = reader_.ReadSchema(settings);
    TSchemaImport import = TSchemaMapper::Map(schema, tablePrefix, name);
    if (import.project.Classes().empty()) {
        std::string message = "数据库" + settings.database + "中没有可以导入的表";
        if (schema.tables.empty())
            message += "（它没有表，或用户" + settings.user + "对它的表没有任何权限）";
        else
            for (const auto& warning : import.warnings)
                message += "\n" + ReportLine::Warning(warning).Rendered();
        throw Error(message);
    }
    // The checks every run makes; a project that could never be generated
    // is not added.
    const ModelValidator validator(import.project);
    validator.CheckWritable(name);
    for (const auto& warning : validator.Warnings())
        import.warnings.push_back(warning);

    TProjectDAO().AddProjects({import.project});
    return {name, static_cast<int>(import.project.Classes().size()), std::move(import.guesses),
            std::move(import.warnings)};
}

} // namespace quorrel
