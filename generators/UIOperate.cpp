#include "generators/UIOperate.h"

#include "base/FileOperate.h"
#include "generators/ModelLookup.h"
#include "generators/Names.h"
#include "base/Error.h"

#include <string_view>
#include <utility>

namespace quorrel {
namespace {

// Collects the text of one generated file line by line: each line is its
// pieces joined with nothing between them, followed by CR LF.
class PageText {
public:
    template <typename... Pieces>
    void Line(const Pieces&... pieces) {
        (text_.append(std::string_view(pieces)), ...);
        text_.append("\r\n");
    }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

// Every occurrence of what in text, searched left to right; inserted text is
// not searched again.
std::string ReplaceAll(const std::string& text, const std::string& what, const std::string& with) {
    std::string result;
    std::size_t start = 0;
    for (std::size_t found = text.find(what); found != std::string::npos; found = text.find(what, start)) {
        result.append(text, start, found - start).append(with);
        start = found + what.size();
    }
    return result.append(text, start, std::string::npos);
}

// memberLength × 10 pixels.
std::string WidthPx(const TMember& member) {
    return std::to_string(member.memberLength * 10);
}

// The search field of a string or date member; every other type is a
// drop-down of a referenced class.
bool IsReferenceSearch(const TMember& member) {
    return member.memberType != kTypeString && member.memberType != kTypeDate;
}

const std::string kSearchIndent(32, ' ');

const char* const kDocType =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">";

} // namespace

TUIOperate::TUIOperate(std::shared_ptr<const TProjectSnapshot> project, std::string projectName,
                       std::filesystem::path home, OutputTree& out, ProgressSink& progress)
    : project_(std::move(project)), projectName_(std::move(projectName)), home_(std::move(home)), out_(out),
      progress_(progress) {}

void TUIOperate::GenerateTemplates(const std::string& tablePrefix, const TClassList& classes) {
    CheckReferences(classes);
    GenerateMenuPage(classes);
    GenerateAddPages(tablePrefix, classes);
    GenerateEditPages(tablePrefix, classes);
    GenerateListPages(tablePrefix, classes);
}

void TUIOperate::CheckReferences(const TClassList& classes) {
    for (const auto& entry : classes) {
        SetCurrentClass(entry);
        LookUpKeyMember();
        for (const TMember& member : class_->SearchMembers())
            if (IsReferenceSearch(member))
                LookUpReference(member);
        for (const TMember& member : class_->NonKeyMembers())
            if (!IsBasicType(member.memberType))
                LookUpReference(member);
    }
}

void TUIOperate::SetCurrentClass(const TListEntry& entry) {
    class_ = &project_->ClassById(entry.id);
    className_ = class_->ClassName();
    lowerClassName_ = LowerFirst(className_);
    friendName_ = class_->FriendName();
}

TMember TUIOperate::LookUpKeyMember() const {
    return RequireKeyMember(*class_);
}

TReferencedClass TUIOperate::LookUpReference(const TMember& member) const {
    return ResolveReference(*project_, className_, member);
}

std::string TUIOperate::PagePath(const std::string& suffix) const {
    return "projects/" + projectName_ + "/admin/templates/admin/" + lowerClassName_ + suffix;
}

void TUIOperate::WritePage(const std::string& suffix, const std::string& text) {
    const std::string path = PagePath(suffix);
    out_.Write(path, text);
    progress_.AddLine(path + "生成完毕!");
}

// ---------------------------------------------------------------- menu page

void TUIOperate::GenerateMenuPage(const TClassList& classes) {
    PageText topMenu;
    PageText contentMenu;
    for (const auto& entry : classes) {
        SetCurrentClass(entry);
        const std::string& lower = lowerClassName_;
        const std::string& friendName = friendName_;
        topMenu.Line("              <li class=\"\"><span><a href=\"#\" onClick=\"fnOnTabClick(this,'", lower, "','",
                     friendName, "'); return false;\">", friendName, "</a></span></li>");

        contentMenu.Line("        <ul id=\"menu_", lower, "\" style=\"display: none;\">");
        contentMenu.Line("          <li><a href=\"", lower,
                         ".php?act=show\" hidefocus=\"true\" target=\"main\" onClick=\"fnOnMenuClick(this,'",
                         friendName, "管理');\">", friendName, "管理</a></li>");
        contentMenu.Line("          <li><a href=\"", lower,
                         ".php?act=add\" hidefocus=\"true\" target=\"main\" onClick=\"fnOnMenuClick(this,'添加",
                         friendName, "');\">添加", friendName, "</a></li>");
        contentMenu.Line("        </ul>");
        contentMenu.Line();
    }

    const std::string frame = TFileOperate::ReadTextFile(home_ / "template/admin/templates/admin/fream.tpl");
    const std::string page =
        ReplaceAll(ReplaceAll(frame, "$topMenuString", topMenu.Take()), "$contentMenuString", contentMenu.Take());

    out_.Write("projects/" + projectName_ + "/admin/templates/admin/fream.tpl", page);
    progress_.AddLine("projects/" + projectName_ + "/admin/templates/fream.tpl菜单页生成完毕!");
}

// ---------------------------------------------------------------- add pages

void TUIOperate::GenerateAddPages(const std::string& /*tablePrefix*/, const TClassList& classes) {
    for (const auto& entry : classes) {
        SetCurrentClass(entry);
        WritePage("_add.html", BuildAddPage());
    }
}

std::string TUIOperate::BuildAddPage() const {
    const std::string& lower = lowerClassName_;
    const std::string& friendName = friendName_;
    const TMember key = LookUpKeyMember();
    PageText page;

    page.Line(kDocType);
    page.Line("<html xmlns=\"http://www.w3.org/1999/xhtml\">");
    page.Line("<head>");
    page.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />");
    page.Line("<title>", friendName, "添加</title>");
    page.Line("<link href=\"<{$css_root}>images/admincp.css\" rel=\"stylesheet\" type=\"text/css\" />");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/jquery.js\"></script>");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/calendar.js\"></script>");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/editor/xheditor.js\"></script>");
    page.Line("<script type=\"text/javascript\">");
    page.Line("<!--");
    page.Line("$(pageInit);");
    page.Line("function pageInit()");
    page.Line("{");
    page.Line("\t$('#elm1').xheditor(true,{tools:'full',upImgUrl:\"<{$web_url}>admin/include/upload.php\","
              "upImgExt:\"jpg,jpeg,gif,png\"});");
    page.Line("}");
    page.Line("\t-->");
    page.Line("</script>");
    page.Line("</head>");
    page.Line("<body>");
    page.Line("<div id=\"append_parent\"/>");
    page.Line("<div id=\"cpcontainer\" class=\"container\">");
    page.Line("  <div class=\"itemtitle\">");
    page.Line("    <h3>", friendName, "</h3>");
    page.Line("    <ul class=\"tab1\">");
    page.Line("      <li> <a href=\"", lower, ".php?act=show\"> <span>", friendName, "列表</span> </a> </li>");
    page.Line("      <li class=\"current\"> <a href=\"", lower, ".php?act=add\"> <span>添加", friendName,
              "</span> </a> </li>");
    page.Line("    </ul>");
    page.Line("  </div>");
    page.Line("  <form id=\"form\" action=\"", lower,
              ".php?act=addok\" method=\"post\" name=\"form\" enctype=\"multipart/form-data\">");
    page.Line("    <table class=\"tb tb2\">");
    page.Line("      <tbody> ");

    // An integer key is numbered by the database; any other key is typed in.
    if (key.memberIsInteger == 0) {
        page.Line("        <tr class=\"noborder\">");
        page.Line("          <td class=\"td27\">", key.memberComment, ":</td>");
        page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" style=\"width:", WidthPx(key),
                  "px\" value=\"\" name=\"", lower, "[", key.memberName, "]\"/>          </td>");
        page.Line("          <td class=\"vtop tips2\"></td>");
        page.Line("        </tr>");
    }

    for (const TMember& m : class_->NonKeyMembers()) {
        const std::string& type = m.memberType;
        const std::string& name = m.memberName;
        if (IsBasicType(type)) {
            page.Line("        <tr class=\"noborder\">");
            page.Line("          <td class=\"td27\">", m.memberComment, ":</td>");
            if (type == kTypeString) {
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" style=\"width:",
                          WidthPx(m), "px\" value=\"\" name=\"", lower, "[", name, "]\"/>          </td>");
                page.Line("          <td class=\"vtop tips2\"></td>");
            } else if (type == kTypeInteger || type == kTypeFloat) {
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" "
                          "style=\"width:60px\" value=\"\" name=\"",
                          lower, "[", name, "]\"/>          </td>");
                page.Line("          <td class=\"vtop tips2\"></td>");
            } else if (type == kTypeImage) {
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"file\" "
                          "style=\"width:200px\" value=\"\" name=\"",
                          name, "\"/>          </td>");
                page.Line("          <td class=\"vtop tips2\">在", friendName, "列表页中显示的图片</td>");
            } else { // date
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" "
                          "style=\"width:85px\" value=\"\" name=\"",
                          lower, "[", name, "]\" onclick=\"setDay(this);\" />          </td>");
                page.Line("          <td class=\"vtop tips2\"></td>");
            }
            page.Line("        </tr>");
        } else {
            const TReferencedClass ref = LookUpReference(m);
            const std::string& list = ref.lowerTypeName;
            page.Line("        <tr class=\"noborder\">");
            page.Line("          <td class=\"td27\">", m.memberComment, ":</td>");
            page.Line("          <td class=\"vtop rowform\">");
            page.Line("            <select name=\"", lower, "[", name, "]\">");
            page.Line("              <{section name=key loop=$", list, "List}>");
            page.Line("              <option");
            page.Line("              value=\"<{$", list, "List[key].", ref.keyMember.memberName, "}>\"><{$", list,
                      "List[key].", ref.displayMember.memberName, "}>");
            page.Line("              </option>");
            page.Line("              <{/section}>");
            page.Line("            </select>          </td>");
            page.Line("          <td class=\"vtop tips2\">", m.memberComment, "，选择该", friendName, "对应的",
                      m.memberComment, "信息</td>");
            page.Line("        </tr>");
        }
    }

    page.Line("        <tr>");
    page.Line("             <td class=\"td27\"> </td>");
    page.Line("             <td colspan=\"2\" align=\"left\">");
    page.Line("             <input class=\"btn\" type=\"submit\" value=\"确定添加\" "
              "name=\"submit\"/>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;");
    page.Line("             <input class=\"btn\" type=\"reset\" value=\"重新填写\" name=\"reset\"/>");
    page.Line("          </td>");
    page.Line("        </tr>");
    page.Line("      </tbody>");
    page.Line("    </table>");
    page.Line("  </form>");
    page.Line("</div>");
    page.Line("</body>");
    page.Line("</html>");
    return page.Take();
}

// --------------------------------------------------------------- edit pages

void TUIOperate::GenerateEditPages(const std::string& /*tablePrefix*/, const TClassList& classes) {
    for (const auto& entry : classes) {
        SetCurrentClass(entry);
        WritePage("_edit.html", BuildEditPage());
    }
}

std::string TUIOperate::BuildEditPage() const {
    const std::string& lower = lowerClassName_;
    const std::string& friendName = friendName_;
    const TMember key = LookUpKeyMember();
    PageText page;

    page.Line(kDocType);
    page.Line("<html xmlns=\"http://www.w3.org/1999/xhtml\">");
    page.Line("<head>");
    page.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />");
    page.Line("<title>", friendName, "管理</title>");
    page.Line("<link href=\"<{$css_root}>images/admincp.css\" rel=\"stylesheet\" type=\"text/css\" />");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/jquery.js\"></script>");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/calendar.js\"></script>");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/editor/xheditor.js\"></script>");
    page.Line("<script type=\"text/javascript\">");
    page.Line("<!--");
    page.Line("$(pageInit);");
    page.Line("function pageInit()");
    page.Line("{");
    page.Line("\t$('#elm1').xheditor(true,{tools:'full',upImgUrl:\"<{$web_url}>admin/include/upload.php\","
              "upImgExt:\"jpg,jpeg,gif,png\"});");
    page.Line("}");
    page.Line("function OpenDialog(url,txtName)");
    page.Line("{");
    page.Line("       return window.showModalDialog(url,window, "
              "\"DialogWidth:500px;DialogHeight:450px;help:no;status:no\");");
    page.Line("}");
    page.Line("\t-->");
    page.Line("</script>");
    page.Line("</head>");
    page.Line("<body>");
    page.Line("<div id=\"append_parent\"/>");
    page.Line("<div id=\"cpcontainer\" class=\"container\">");
    page.Line("  <div class=\"itemtitle\">");
    page.Line("    <h3>", friendName, "管理</h3>");
    page.Line("    <ul class=\"tab1\">");
    page.Line("      <li> <a href=\"", lower, ".php?act=show\"> <span>", friendName, "管理</span> </a> </li>");
    page.Line("      <li> <a href=\"", lower, ".php?act=add\"> <span>添加", friendName, "信息</span> </a> </li>");
    page.Line("    </ul>");
    page.Line("  </div>");
    page.Line("  <form id=\"form\" action=\"", lower, ".php?act=editok\" method=\"post\" name=\"form\" > ");
    page.Line("    <table class=\"tb tb2\">");
    page.Line("      <tbody>");
    page.Line("        <tr class=\"noborder\">");
    page.Line("          <td class=\"td27\">", key.memberComment, ":</td>");
    page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" readOnly type=\"text\" style=\"width:200px\" "
              "value=\"<{$",
              lower, ".", key.memberName, "}>\" name=\"", lower, "[", key.memberName, "]\"/>          </td>");
    page.Line("          <td class=\"vtop tips2\"></td>");
    page.Line("        </tr>");

    for (const TMember& m : class_->NonKeyMembers()) {
        const std::string& type = m.memberType;
        const std::string& name = m.memberName;
        if (IsBasicType(type)) {
            page.Line("        <tr class=\"noborder\">");
            page.Line("          <td class=\"td27\">", m.memberComment, ":</td>");
            if (type == kTypeString) {
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" style=\"width:",
                          WidthPx(m), "px\" value=\"<{$", lower, ".", name, "}>\" name=\"", lower, "[", name,
                          "]\"/>          </td>");
                page.Line("          <td class=\"vtop tips2\"></td>");
            } else if (type == kTypeInteger || type == kTypeFloat) {
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" "
                          "style=\"width:60px\" value=\"<{$",
                          lower, ".", name, "}>\" name=\"", lower, "[", name, "]\"/>          </td>");
                page.Line("          <td class=\"vtop tips2\"></td>");
            } else if (type == kTypeImage) {
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" value=\"<{$", lower,
                          ".", name, "}>\"  id=\"", name, "\" name=\"", lower, "[", name,
                          "]\"/><input type=\"button\" class=\"btn\" value=\"选择\" "
                          "onclick=\"OpenDialog('open_onepic.php?txtName=",
                          name, "')\"/>  </td>");
                page.Line("          <td class=\"vtop tips2\">在", friendName, "列表页中显示的图片</td>");
            } else { // date
                page.Line("          <td class=\"vtop rowform\"><input class=\"txt\" type=\"text\" "
                          "style=\"width:85px\" value=\"<{$",
                          lower, ".", name, "}>\" name=\"", lower, "[", name,
                          "]\" onclick=\"setDay(this);\" />          </td>");
                page.Line("          <td class=\"vtop tips2\"></td>");
            }
            page.Line("        </tr>");
        } else {
            const TReferencedClass ref = LookUpReference(m);
            const std::string& list = ref.lowerTypeName;
            const std::string& refKey = ref.keyMember.memberName;
            page.Line("        <tr class=\"noborder\">");
            page.Line("          <td class=\"td27\">", m.memberComment, ":</td>");
            page.Line("          <td class=\"vtop rowform\">");
            page.Line("            <select name=\"", lower, "[", name, "]\">");
            page.Line("              <{section name=key loop=$", list, "List}>");
            page.Line("              <option");
            page.Line("              value=\"<{$", list, "List[key].", refKey, "}>\"");
            page.Line("                <{if $", list, "List[key].", refKey, " == $", lower, ".", name,
                      "}>selected<{/if}>");
            page.Line("><{$", list, "List[key].", ref.displayMember.memberName, "}>");
            page.Line("              </option>");
            page.Line("              <{/section}>");
            page.Line("            </select>          </td>");
            page.Line("          <td class=\"vtop tips2\">", m.memberComment, "，选择该", friendName, "对应的",
                      m.memberComment, "信息</td>");
            page.Line("        </tr>");
        }
    }

    page.Line("        <tr>");
    page.Line("             <td class=\"td27\"> </td>");
    page.Line("             <td colspan=\"2\" align=\"left\">");
    page.Line("             <input class=\"btn\" type=\"submit\" value=\"确定更新\" "
              "name=\"submit\"/>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;");
    page.Line("            </td>");
    page.Line("        </tr>");
    page.Line("      </tbody>");
    page.Line("    </table>");
    page.Line("  </form>");
    page.Line("</div>");
    page.Line("</body>");
    page.Line("</html>");
    return page.Take();
}

// --------------------------------------------------------------- list pages

void TUIOperate::GenerateListPages(const std::string& /*tablePrefix*/, const TClassList& classes) {
    for (const auto& entry : classes) {
        SetCurrentClass(entry);
        WritePage(".html", BuildListPage());
    }
}

std::string TUIOperate::BuildListPage() const {
    const std::string& lower = lowerClassName_;
    const std::string& friendName = friendName_;
    PageText page;

    page.Line(kDocType);
    page.Line("<html xmlns=\"http://www.w3.org/1999/xhtml\">");
    page.Line("<head>");
    page.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />");
    page.Line("<title>", friendName, "管理</title>");
    page.Line("<link href=\"<{$css_root}>images/admincp.css\" rel=\"stylesheet\" type=\"text/css\" />");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/jquery.js\"></script>");
    page.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/calendar.js\"></script>");
    page.Line("<script type=\"text/JavaScript\">");
    page.Line("<!--");
    page.Line("$(function(){");
    page.Line("     //全选");
    page.Line("     $(\"#CheckAll\").click(function(){");
    page.Line("\t\t\t//所有checkbox跟着全选的checkbox走。");
    page.Line("\t\t\t$('[name=delete]:checkbox').attr(\"checked\", this.checked );");
    page.Line("\t });");
    page.Line("\t $('[name=delete]:checkbox').click(function(){");
    page.Line("\t\t\t\t//定义一个临时变量，避免重复使用同一个选择器选择页面中的元素，提升程序效率。");
    page.Line("\t\t\t\tvar $tmp=$('[name=delete]:checkbox');");
    page.Line("\t\t\t\t//用filter方法筛选出选中的复选框。并直接给CheckedAll赋值。");
    page.Line("\t\t\t\t$('#CheckAll').attr('checked',$tmp.length==$tmp.filter(':checked').length);");
    page.Line("\t });");
    page.Line("\t $(\"#DelAllOk\").click(function(){");
    page.Line("\t\tvar str=\"\";");
    page.Line("\t\t$('[name=delete]:checkbox:checked').each(function(){");
    page.Line("\t\t\tstr+=$(this).val()+\"/\";");
    page.Line("\t\t})");
    page.Line("\t\t$('#DelId').attr(\"value\", str )");
    page.Line("\t});");
    page.Line("});");
    page.Line("-->");
    page.Line("</script>");
    page.Line("</head>");
    page.Line("<body>");
    page.Line("<div id=\"append_parent\"/>");
    page.Line("<div id=\"cpcontainer\" class=\"container\">");
    page.Line("  <div class=\"itemtitle\">");
    page.Line("    <h3>", friendName, "管理</h3>");
    page.Line("    <ul class=\"tab1\">");
    page.Line("      <li class=\"current\"> <a href=\"", lower, ".php?act=show\"> <span>", friendName,
              "列表</span> </a> </li>");
    page.Line("      <li> <a href=\"", lower, ".php?act=add\"> <span>添加", friendName, "</span> </a> </li>");
    page.Line("    </ul>");
    page.Line("  </div>");
    page.Line("  <table id=\"tips\" class=\"tb tb2\">");
    page.Line("    <tbody>");
    page.Line("      <tr>");
    page.Line("        <th class=\"partition\">技巧提示</th>");
    page.Line("      </tr>");
    page.Line("      <tr>");
    page.Line("        <td class=\"tipsblock\"><ul id=\"tipslis\">");
    page.Line("            <li>此栏目的删除操作不可恢复，请谨慎操作</li>");
    page.Line("            <li>如果需要批量删除，请选择需要删除的", friendName, "，然后单击提交</li>");
    page.Line("            <li>如果需要删除单个", friendName, "，请直接单击该", friendName, "后面的删除</li>");
    page.Line("          </ul></td>");
    page.Line("      </tr>");
    page.Line("    </tbody>");
    page.Line("  </table>");
    page.Line("  <form id=\"", lower, "QueryForm\" name=\"", lower, "QueryForm\" action=\"", lower,
              ".php?act=show\" method=\"get\">");
    page.Line("    <table class=\"tb tb2\">");
    page.Line("      <tbody>");
    page.Line("        <tr class=\"noborder\">");
    page.Line("          <td class=\"vtop rowform\"  style='vertical-align:middle;'>");

    for (const TMember& m : class_->SearchMembers()) {
        const std::string& name = m.memberName;
        if (m.memberType == kTypeString) {
            page.Line(kSearchIndent, m.memberComment, ": <input type=\"text\" value=\"<{$", name,
                      "}>\" style=\"width:", WidthPx(m), "px\" name=\"", name, "\"/>");
        } else if (m.memberType == kTypeDate) {
            page.Line(kSearchIndent, m.memberComment, ": <input type=\"text\" value=\"<{$", name,
                      "}>\" style=\"width:80px\" name=\"", name, "\" onclick=\"setDay(this);\" />");
        } else {
            const TReferencedClass ref = LookUpReference(m);
            const std::string& list = ref.lowerTypeName;
            const std::string& refKey = ref.keyMember.memberName;
            // The first option's value reads as "no choice" in the list action.
            const char* noChoice = ref.keyMember.memberIsInteger == 1 ? "0" : "";
            page.Line(kSearchIndent, m.memberComment, ": <select name=\"", name, "\" >");
            page.Line("              <option value=\"", noChoice, "\">请选择查询的", m.memberComment, "</option>");
            page.Line("              <{section name=key loop=$", list, "List}>");
            page.Line("              <option value=\"<{$", list, "List[key].", refKey, "}>\"");
            page.Line("              <{if $", list, "List[key].", refKey, " == $", name, "}>selected<{/if}>");
            page.Line("><{$", list, "List[key].", ref.displayMember.memberName, "}>");
            page.Line("              </option>");
            page.Line("              <{/section}>");
            page.Line("            </select>");
        }
    }

    const TMember key = LookUpKeyMember();
    const std::string row = "<{$" + lower + "List[" + lower + "].";  // a field of the current record
    page.Line("            <input type=\"submit\" value=\"查询\" /> ");
    page.Line("          </td> ");
    page.Line("        </tr>");
    page.Line("      </tbody>");
    page.Line("    </table>");
    page.Line("  </form>");
    page.Line();
    page.Line("  <form id=\"", lower, "form\" action=\"", lower, ".php?act=delall\" method=\"post\" name=\"", lower,
              "form\">");
    page.Line("  <input type=\"hidden\" name=\"delid\" id=\"DelId\" />");
    page.Line("    <table class=\"tb tb2\">");
    page.Line("      <tbody>");
    page.Line("        <tr class=\"header\">");
    page.Line("          <th/>");

    const TMemberRefs columns = class_->ListMembers();
    for (const TMember& m : columns)
        page.Line("          <th>", m.memberComment, "</th>");

    page.Line("          <th/>");
    page.Line("          <th/>");
    page.Line("        </tr>");
    page.Line("        <{section name=", lower, " loop=$", lower, "List}>");
    page.Line("        <tr class=\"hover\">");
    page.Line("          <td class=\"td25\"><input class=\"checkbox\" type=\"checkbox\" value=\"", row,
              key.memberName, "}>\" name=\"delete\"/>");
    page.Line("          </td>");

    for (const TMember& m : columns) {
        if (m.memberType == kTypeImage)
            page.Line("          <td><img width=\"50px\" height=\"50px\" src='", row, m.memberName, "}>' /></td>");
        else
            page.Line("          <td>", row, m.memberName, "}></td>");
    }

    page.Line("          <td><a class=\"act\" href=\"", lower, ".php?act=edit&", key.memberName, "=", row,
              key.memberName, "}>\">编辑</a> </td>   ");
    page.Line("          <td><a class=\"act\" href=\"", lower, ".php?act=remove&", key.memberName, "=", row,
              key.memberName, "}>\">删除</a> </td>");
    page.Line("        </tr>");
    page.Line("        <{/section}>");
    page.Line("        <tr>");
    page.Line("          <td class=\"td25\">全选<input id=\"CheckAll\" class=\"checkbox\" type=\"checkbox\" "
              "name=\"chkall\"/></td>");
    page.Line("          <td colspan=\"15\"><div class=\"fixsel\">");
    page.Line("              <input class=\"btn\" type=\"submit\" id=\"DelAllOk\" value=\"提交\" />");
    page.Line("            </div></td>");
    page.Line("        </tr>");
    page.Line("      </tbody>");
    page.Line("    </table>");
    page.Line("  </form>");
    page.Line("  <{$pages}>");
    page.Line("</div>");
    page.Line("</body>");
    page.Line("</html>");
    return page.Take();
}

} // namespace quorrel
