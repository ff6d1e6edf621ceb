#include "generators/UIOperate.h"

#include "generators/LineWriter.h"
#include "model/ModelLookup.h"
#include "model/Names.h"
#include "generators/TemplateFill.h"
#include "generators/TextEscape.h"
#include "base/Error.h"

#include <string_view>
#include <utility>

namespace quorrel {
namespace {

// memberLength × 10 pixels.
std::string WidthPx(const TMember& member) {
    return std::to_string(member.memberLength * 10);
}

const std::string kSearchIndent(32, ' ');

const char* const kDocType =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">";

} // namespace

TUIOperate::TUIOperate(std::shared_ptr<const TProjectSnapshot> project, std::string menuFrame, OutputTree& out)
    : project_(std::move(project)), menuFrame_(std::move(menuFrame)), out_(out) {}

void TUIOperate::GenerateTemplates(const TClassList& classes) const {
    CheckReferences(classes);
    GenerateMenuPage(classes);
    GenerateAddPages(classes);
    GenerateEditPages(classes);
    GenerateListPages(classes);
}

void TUIOperate::CheckReferences(const TClassList& classes) const {
    for (const auto& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        RequireKeyMember(cls);
        for (const TMember& member : cls.SearchMembers())
            if (!IsTextFilter(member.memberType))
                LookUpReference(cls, member);
        for (const TMember& member : cls.NonKeyMembers())
            if (IsReference(member.memberType))
                LookUpReference(cls, member);
    }
}

TLineWriter TUIOperate::Writer(const TClassSnapshot& cls) {
    // The friendly name enters a page only escaped for HTML.
    // The class name enters the rights test of the runtime's site_rights as a Smarty string.
    return TLineWriter({{"lower", LowerFirst(cls.ClassName())},
                        {"friendHtml", EscapeHtml(cls.FriendName())},
                        {"docType", kDocType},
                        {"searchIndent", kSearchIndent},
                        {"classQ", EscapePhpSingleQuoted(cls.ClassName())}});
}

TReferencedClass TUIOperate::LookUpReference(const TClassSnapshot& cls, const TMember& member) const {
    return ResolveReference(*project_, cls.ClassName(), member);
}

void TUIOperate::WritePage(const TClassSnapshot& cls, const std::string& suffix, const std::string& text) const {
    const std::string path = "admin/templates/admin/" + LowerFirst(cls.ClassName()) + suffix;
    out_.Write(path, text, path + "生成完毕!");
}

// ---------------------------------------------------------------- menu page

void TUIOperate::GenerateMenuPage(const TClassList& classes) const {
    TLineWriter topMenu;
    TLineWriter contentMenu;
    for (const auto& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        // The friendly name is the link's text and a script string in its onClick.
        const std::string lower = LowerFirst(cls.ClassName());
        const std::string friendHtml = EscapeHtml(cls.FriendName());
        const std::string friendJs = EscapeJsInHtmlAttribute(cls.FriendName());
        const std::string classQ = EscapePhpSingleQuoted(cls.ClassName());
        // The tab and menu of a class stand only for an account that may
        // list it, its add entry only for one that may add (site_rights).
        // Values are views: the texts they show are these named locals.
        const TLineWriter::Values values = {{"lower", lower}, {"friendHtml", friendHtml}, {"friendJs", friendJs}, {"classQ", classQ}};
        topMenu.Line("              <{if $site_rights['{classQ}']['list']}><li class=\"\"><span><a href=\"#\" onClick=\"fnOnTabClick(this,'{lower}','{friendJs}'); return false;\">{friendHtml}</a></span></li><{/if}>", values);

        contentMenu.Line("        <{if $site_rights['{classQ}']['list']}><ul id=\"menu_{lower}\" style=\"display: none;\">", values);
        contentMenu.Line("          <li><a href=\"{lower}.php?act=show\" hidefocus=\"true\" target=\"main\" onClick=\"fnOnMenuClick(this,'{friendJs}管理');\">{friendHtml}管理</a></li>", values);
        contentMenu.Line("          <{if $site_rights['{classQ}']['add']}><li><a href=\"{lower}.php?act=add\" hidefocus=\"true\" target=\"main\" onClick=\"fnOnMenuClick(this,'添加{friendJs}');\">添加{friendHtml}</a></li><{/if}>", values);
        contentMenu.Line("        </ul><{/if}>");
        contentMenu.Line();
    }

    const std::string page =
        FillTemplate(menuFrame_, {{"$topMenuString", topMenu.Text()}, {"$contentMenuString", contentMenu.Text()}});
    // Its progress line names it admin/templates/fream.tpl, as it always has.
    out_.Write("admin/templates/admin/fream.tpl", page, "admin/templates/fream.tpl菜单页生成完毕!");
}

// ------------------------------------------------------- shared page parts

namespace {

// The start of a reference field: the picker when the referenced class is
// too large for a drop-down (${list}Large), else the drop-down that follows
// and ends in "<{/if}>". The class name enters as a Smarty string.
std::string PickerOrDropDown(const std::string& list, const std::string& className, const std::string& field,
                             const std::string& value, const std::string& none) {
    std::string text = "<{if $" + list + "Large}><{reference_picker class='" + EscapePhpSingleQuoted(className) +
                       "' name='" + EscapePhpSingleQuoted(field) + "' value=" + value;
    if (!none.empty())
        text += " none='" + none + "'";
    return text + "}><{else}>";
}

} // namespace

void TUIOperate::WritePageHead(TLineWriter& w, const TClassSnapshot& cls, Page page) const {
    const bool add = page == Page::Add;
    const bool edit = page == Page::Edit;
    const bool list = page == Page::List;
    const char* const current = " class=\"current\"";
    w.Line("{docType}");
    w.Line("<html xmlns=\"http://www.w3.org/1999/xhtml\">");
    w.Line("<head>");
    w.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />");
    w.Line("<title>{friendHtml}{what}</title>", {{"what", add ? "添加" : "管理"}});
    w.Line("<link href=\"<{$css_root}>images/admincp.css\" rel=\"stylesheet\" type=\"text/css\" />");
    w.Line("<link href=\"<{$css_root}>images/favicon.svg\" rel=\"icon\" type=\"image/svg+xml\" />");
    w.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/jquery.js\"></script>");
    w.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/calendar.js\"></script>");
    // A reference field over a class too large for a drop-down is a picker.
    if (!cls.ReferenceMembers().empty())
        w.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/js/reference_picker.js\"></script>");
    if (list) {
        // Selecting all rows. The ticked boxes send their keys themselves,
        // as the list delid[] of delall, so any key travels as it is.
        w.Line("<script type=\"text/JavaScript\">");
        w.Line("<!--");
        w.Line("$(function(){");
        w.Line("     //全选");
        w.Line("     $(\"#CheckAll\").click(function(){");
        w.Line("\t\t\t//所有checkbox跟着全选的checkbox走。");
        w.Line("\t\t\t$('[name=\"delid[]\"]:checkbox').attr(\"checked\", this.checked );");
        w.Line("\t });");
        w.Line("\t $('[name=\"delid[]\"]:checkbox').click(function(){");
        w.Line("\t\t\t\t//定义一个临时变量，避免重复使用同一个选择器选择页面中的元素，提升程序效率。");
        w.Line("\t\t\t\tvar $tmp=$('[name=\"delid[]\"]:checkbox');");
        w.Line("\t\t\t\t//用filter方法筛选出选中的复选框。并直接给CheckedAll赋值。");
        w.Line("\t\t\t\t$('#CheckAll').attr('checked',$tmp.length==$tmp.filter(':checked').length);");
        w.Line("\t });");
        w.Line("});");
        w.Line("-->");
    } else {
        // The form pages load the editor; the edit page also opens the picture chooser.
        w.Line("<script type=\"text/javascript\" src=\"<{$web_url}>include/editor/xheditor.js\"></script>");
        w.Line("<script type=\"text/javascript\">");
        w.Line("<!--");
        w.Line("$(pageInit);");
        w.Line("function pageInit()");
        w.Line("{");
        w.Line("\t$('#elm1').xheditor(true,{tools:'full',upImgUrl:\"<{$web_url}>admin/include/upload.php\",upImgExt:\"jpg,jpeg,gif,png\"});");
        w.Line("}");
        if (edit) {
            w.Line("function OpenDialog(url,txtName)");
            w.Line("{");
            w.Line("       return window.showModalDialog(url,window, \"DialogWidth:500px;DialogHeight:450px;help:no;status:no\");");
            w.Line("}");
        }
        w.Line("\t-->");
    }
    w.Line("</script>");
    w.Line("</head>");
    w.Line("<body>");
    w.Line("<div id=\"append_parent\"/>");
    w.Line("<div id=\"cpcontainer\" class=\"container\">");
    w.Line("  <div class=\"itemtitle\">");
    w.Line("    <h3>{friendHtml}{what}</h3>", {{"what", add ? "" : "管理"}});
    w.Line("    <ul class=\"tab1\">");
    w.Line("      <li{current}> <a href=\"{lower}.php?act=show\"> <span>{friendHtml}{what}</span> </a> </li>",
           {{"current", list ? current : ""}, {"what", edit ? "管理" : "列表"}});
    w.Line("      <{if $site_rights['{classQ}']['add']}><li{current}> <a href=\"{lower}.php?act=add\"> <span>添加{friendHtml}{what}</span> </a> </li><{/if}>",
           {{"current", add ? current : ""}, {"what", edit ? "信息" : ""}});
    // The record's history in the change log.
    if (edit)
        w.Line("      <li> <a href=\"changes.php?class=<{'{classQ}'|escape:'url'}>&key=<{${lower}.{key}|escape:'url'}>\"> <span>修改记录</span> </a> </li>",
               {{"key", RequireKeyMember(cls).memberName}});
    w.Line("    </ul>");
    w.Line("  </div>");
}

TUIOperate::FormInput TUIOperate::InputOf(const TMember& member) {
    const std::string& type = member.memberType;
    if (type == kTypeString)
        return FormInput::Text;
    if (type == kTypeInteger || type == kTypeFloat)
        return FormInput::Number;
    if (type == kTypeImage)
        return FormInput::Picture;
    if (type == kTypeDate)
        return FormInput::Date;
    return FormInput::Choice;
}

void TUIOperate::WriteFormEnd(TLineWriter& w) {
    w.Line("      </tbody>");
    w.Line("    </table>");
    w.Line("  </form>");
    w.Line("</div>");
    w.Line("</body>");
    w.Line("</html>");
}

void TUIOperate::WriteFormRow(TLineWriter& w, const TClassSnapshot& cls, const TMember& m, Page page,
                              FormInput input) const {
    const bool add = page == Page::Add;
    w.Set("member", m.memberName);
    w.Set("commentHtml", EscapeHtml(m.memberComment));
    // The add page starts empty; the edit page shows the record's value.
    const std::string value = add ? "value=\"\"" : "value=\"<{${lower}.{member}}>\"";
    const std::string cell = "          <td class=\"vtop rowform\">";
    const std::string end = "          </td>";
    std::string tips;
    w.Line("        <tr class=\"noborder\">");
    w.Line("          <td class=\"td27\">{commentHtml}:</td>");
    switch (input) {
    case FormInput::Text:
        w.Line(cell + "<input class=\"txt\" type=\"text\" style=\"width:{width}px\" " + value +
                   " name=\"{lower}[{member}]\"/>" + end,
               {{"width", WidthPx(m)}});
        break;
    case FormInput::Number:
        w.Line(cell + "<input class=\"txt\" type=\"text\" style=\"width:60px\" " + value + " name=\"{lower}[{member}]\"/>" +
               end);
        break;
    case FormInput::Date:
        w.Line(cell + "<input class=\"txt\" type=\"text\" style=\"width:85px\" " + value +
               " name=\"{lower}[{member}]\" onclick=\"setDay(this);\" />" + end);
        break;
    case FormInput::Picture:
        if (add)
            w.Line(cell + "<input class=\"txt\" type=\"file\" style=\"width:200px\" value=\"\" name=\"{member}\"/>" + end);
        else
            w.Line(cell + "<input class=\"txt\" type=\"text\" " + value +
                   "  id=\"{member}\" name=\"{lower}[{member}]\"/><input type=\"button\" class=\"btn\" value=\"选择\" "
                   "onclick=\"OpenDialog('open_onepic.php?txtName={member}')\"/>  </td>");
        tips = "在{friendHtml}列表页中显示的图片";
        break;
    case FormInput::ReadOnlyKey:
        w.Line(cell + "<input class=\"txt\" readOnly type=\"text\" style=\"width:200px\" " + value +
               " name=\"{lower}[{member}]\"/>" + end);
        break;
    case FormInput::Choice: {
        // A drop-down of the records of the referenced class; the edit page
        // selects the record's own.
        const TReferencedClass ref = LookUpReference(cls, m);
        w.Set("list", ref.lowerTypeName);
        w.Set("refKey", ref.keyMember.memberName);
        w.Set("refDisplay", ref.displayMember.memberName);
        w.Line(cell);
        w.Line("            {pickerOr}<select name=\"{lower}[{member}]\">",
               {{"pickerOr", PickerOrDropDown(ref.lowerTypeName, m.memberType, LowerFirst(cls.ClassName()) + "[" + m.memberName + "]",
                                              add ? "''" : "$" + LowerFirst(cls.ClassName()) + "." + m.memberName, "")}});
        w.Line("              <{section name=key loop=${list}List}>");
        w.Line("              <option");
        if (add) {
            w.Line("              value=\"<{${list}List[key].{refKey}}>\"><{${list}List[key].{refDisplay}}>");
        } else {
            w.Line("              value=\"<{${list}List[key].{refKey}}>\"");
            w.Line("                <{if ${list}List[key].{refKey} == ${lower}.{member}}>selected<{/if}>");
            w.Line("><{${list}List[key].{refDisplay}}>");
        }
        w.Line("              </option>");
        w.Line("              <{/section}>");
        w.Line("            </select><{/if}>" + end);
        tips = "{commentHtml}，选择该{friendHtml}对应的{commentHtml}信息";
        break;
    }
    }
    w.Line("          <td class=\"vtop tips2\">" + tips + "</td>");
    w.Line("        </tr>");
}

// ---------------------------------------------------------------- add pages

void TUIOperate::GenerateAddPages(const TClassList& classes) const {
    for (const auto& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        WritePage(cls, "_add.html", BuildAddPage(cls));
    }
}

std::string TUIOperate::BuildAddPage(const TClassSnapshot& cls) const {
    const TMember key = RequireKeyMember(cls);
    TLineWriter w = Writer(cls);
    WritePageHead(w, cls, Page::Add);
    w.Line("  <form id=\"form\" action=\"{lower}.php?act=addok\" method=\"post\" name=\"form\" enctype=\"multipart/form-data\">");
    w.Line("    <table class=\"tb tb2\">");
    w.Line("      <tbody> ");

    // An integer key is numbered by the database; any other key is typed in.
    if (key.memberIsInteger == 0)
        WriteFormRow(w, cls, key, Page::Add, FormInput::Text);
    for (const TMember& m : cls.NonKeyMembers())
        WriteFormRow(w, cls, m, Page::Add, InputOf(m));

    w.Line("        <tr>");
    w.Line("             <td class=\"td27\"> </td>");
    w.Line("             <td colspan=\"2\" align=\"left\">");
    w.Line("             <input class=\"btn\" type=\"submit\" value=\"确定添加\" name=\"submit\"/>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;");
    w.Line("             <input class=\"btn\" type=\"reset\" value=\"重新填写\" name=\"reset\"/>");
    w.Line("          </td>");
    w.Line("        </tr>");
    WriteFormEnd(w);
    return w.Take();
}

// --------------------------------------------------------------- edit pages

void TUIOperate::GenerateEditPages(const TClassList& classes) const {
    for (const auto& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        WritePage(cls, "_edit.html", BuildEditPage(cls));
    }
}

std::string TUIOperate::BuildEditPage(const TClassSnapshot& cls) const {
    const TMember key = RequireKeyMember(cls);
    TLineWriter w = Writer(cls);
    WritePageHead(w, cls, Page::Edit);
    w.Line("  <form id=\"form\" action=\"{lower}.php?act=editok\" method=\"post\" name=\"form\" > ");
    w.Line("    <table class=\"tb tb2\">");
    w.Line("      <tbody>");
    WriteFormRow(w, cls, key, Page::Edit, FormInput::ReadOnlyKey);
    for (const TMember& m : cls.NonKeyMembers())
        WriteFormRow(w, cls, m, Page::Edit, InputOf(m));

    w.Line("        <tr>");
    w.Line("             <td class=\"td27\"> </td>");
    w.Line("             <td colspan=\"2\" align=\"left\">");
    w.Line("             <input class=\"btn\" type=\"submit\" value=\"确定更新\" name=\"submit\"/>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;");
    w.Line("            </td>");
    w.Line("        </tr>");
    WriteFormEnd(w);
    return w.Take();
}

// --------------------------------------------------------------- list pages

void TUIOperate::GenerateListPages(const TClassList& classes) const {
    for (const auto& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        WritePage(cls, ".html", BuildListPage(cls));
    }
}

std::string TUIOperate::BuildListPage(const TClassSnapshot& cls) const {
    TLineWriter w = Writer(cls);
    WritePageHead(w, cls, Page::List);
    w.Line("  <table id=\"tips\" class=\"tb tb2\">");
    w.Line("    <tbody>");
    w.Line("      <tr>");
    w.Line("        <th class=\"partition\">技巧提示</th>");
    w.Line("      </tr>");
    w.Line("      <tr>");
    w.Line("        <td class=\"tipsblock\"><ul id=\"tipslis\">");
    w.Line("            <li>此栏目的删除操作不可恢复，请谨慎操作</li>");
    w.Line("            <li>如果需要批量删除，请选择需要删除的{friendHtml}，然后单击提交</li>");
    w.Line("            <li>如果需要删除单个{friendHtml}，请直接单击该{friendHtml}后面的删除</li>");
    w.Line("          </ul></td>");
    w.Line("      </tr>");
    w.Line("    </tbody>");
    w.Line("  </table>");
    w.Line("  <form id=\"{lower}QueryForm\" name=\"{lower}QueryForm\" action=\"{lower}.php?act=show\" method=\"get\">");
    w.Line("    <table class=\"tb tb2\">");
    w.Line("      <tbody>");
    w.Line("        <tr class=\"noborder\">");
    w.Line("          <td class=\"vtop rowform\"  style='vertical-align:middle;'>");

    for (const TMember& m : cls.SearchMembers()) {
        const std::string& name = m.memberName;
        w.Set("member", name);
        w.Set("commentHtml", EscapeHtml(m.memberComment));
        if (m.memberType == kTypeString) {
            w.Line("{searchIndent}{commentHtml}: <input type=\"text\" value=\"<{${member}}>\" style=\"width:{value}px\" name=\"{member}\"/>", {{"value", WidthPx(m)}});
        } else if (m.memberType == kTypeDate) {
            w.Line("{searchIndent}{commentHtml}: <input type=\"text\" value=\"<{${member}}>\" style=\"width:80px\" name=\"{member}\" onclick=\"setDay(this);\" />");
        } else {
            const TReferencedClass ref = LookUpReference(cls, m);
            const std::string& list = ref.lowerTypeName;
            w.Set("list", list);
            const std::string& refKey = ref.keyMember.memberName;
            w.Set("refKey", refKey);
            // The first option's value reads as "no choice" in the list action.
            const char* noChoice = ref.keyMember.memberIsInteger == 1 ? "0" : "";
            w.Line("{searchIndent}{commentHtml}: {pickerOr}<select name=\"{member}\" >",
                   {{"pickerOr", PickerOrDropDown(list, m.memberType, name, "$" + name, noChoice)}});
            w.Line("              <option value=\"{noChoice}\">请选择查询的{commentHtml}</option>", {{"noChoice", noChoice}});
            w.Line("              <{section name=key loop=${list}List}>");
            w.Line("              <option value=\"<{${list}List[key].{refKey}}>\"");
            w.Line("              <{if ${list}List[key].{refKey} == ${member}}>selected<{/if}>");
            w.Line("><{${list}List[key].{memberName}}>", {{"memberName", ref.displayMember.memberName}});
            w.Line("              </option>");
            w.Line("              <{/section}>");
            w.Line("            </select><{/if}>");
        }
    }

    const TMember key = RequireKeyMember(cls);
    w.Line("            <input type=\"submit\" value=\"查询\" /> ");
    // The search form's own fields go with the export, so it exports what the list selects.
    w.Line("            <{if $site_rights['{classQ}']['export']}><input type=\"submit\" name=\"export\" value=\"导出 CSV\" /> <{/if}>");
    w.Line("          </td> ");
    w.Line("        </tr>");
    w.Line("      </tbody>");
    w.Line("    </table>");
    w.Line("  </form>");
    w.Line();
    w.Line("  <form id=\"{lower}form\" action=\"{lower}.php?act=delall\" method=\"post\" name=\"{lower}form\">");
    w.Line("    <table class=\"tb tb2\">");
    w.Line("      <tbody>");
    w.Line("        <tr class=\"header\">");
    w.Line("          <th/>");

    const TMemberRefs columns = cls.ListMembers();
    for (const TMember& m : columns)
        w.Line("          <th>{commentHtml}</th>", {{"commentHtml", EscapeHtml(m.memberComment)}});

    w.Line("          <th/>");
    w.Line("          <th/>");
    w.Line("        </tr>");
    w.Line("        <{section name={lower} loop=${lower}List}>");
    w.Line("        <tr class=\"hover\">");
    w.Line("          <td class=\"td25\"><input class=\"checkbox\" type=\"checkbox\" value=\"<{${lower}List[{lower}].{memberName}}>\" name=\"delid[]\"/>", {{"memberName", key.memberName}});
    w.Line("          </td>");

    for (const TMember& m : columns) {
        if (m.memberType == kTypeImage)
            w.Line("          <td><img width=\"50px\" height=\"50px\" src='<{${lower}List[{lower}].{memberName}}>' /></td>", {{"memberName", m.memberName}});
        else
            w.Line("          <td><{${lower}List[{lower}].{memberName}}></td>", {{"memberName", m.memberName}});
    }

    // The key goes into the address URL-encoded (and HTML-escaped after it),
    // so a key holding "&", "#" or "%" names its own record.
    // Links and the delete-many button only for an account that may use them.
    w.Line("          <td><{if $site_rights['{classQ}']['edit']}><a class=\"act\" href=\"{lower}.php?act=edit&{memberName}=<{${lower}List[{lower}].{memberName}|escape:'url'}>\">编辑</a><{/if}> </td>   ", {{"memberName", key.memberName}});
    w.Line("          <td><{if $site_rights['{classQ}']['delete']}><a class=\"act\" href=\"{lower}.php?act=remove&{memberName}=<{${lower}List[{lower}].{memberName}|escape:'url'}>\">删除</a><{/if}> </td>", {{"memberName", key.memberName}});
    w.Line("        </tr>");
    w.Line("        <{/section}>");
    w.Line("        <tr>");
    w.Line("          <td class=\"td25\">全选<input id=\"CheckAll\" class=\"checkbox\" type=\"checkbox\" name=\"chkall\"/></td>");
    w.Line("          <td colspan=\"15\"><div class=\"fixsel\">");
    w.Line("              <{if $site_rights['{classQ}']['delete']}><input class=\"btn\" type=\"submit\" id=\"DelAllOk\" value=\"提交\" /><{/if}>");
    w.Line("            </div></td>");
    w.Line("        </tr>");
    w.Line("      </tbody>");
    w.Line("    </table>");
    w.Line("  </form>");
    // The page links are HTML made by multi().
    w.Line("  <{$pages nofilter}>");
    w.Line("</div>");
    w.Line("</body>");
    w.Line("</html>");
    return w.Take();
}

} // namespace quorrel
