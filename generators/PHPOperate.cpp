#include "generators/PHPOperate.h"

#include "generators/LineWriter.h"
#include "model/ModelLookup.h"
#include "model/Names.h"
#include "generators/ProductInfo.h"
#include "generators/TextEscape.h"
#include "base/Error.h"

#include <optional>
#include <string_view>
#include <utility>

namespace quorrel {

namespace {

// Opens and closes the comment frame above every act block.
const char* const kHyphenLine = "/*------------------------------------------------------ */";

// Deletes the picture file of an image member of the record in $row. The
// remove act writes it one tab deep with its own spacing, the delall act
// inside its loop.
void AddPictureDeletion(TLineWriter& w, const TMember& image, std::string_view indent, std::string_view loopIndent,
                        std::string_view blank) {
    const TLineWriter::Indent depth(w, indent);
    w.Set("member", image.memberName);
    w.Set("commentInComment", EscapePhpComment(image.memberComment));
    w.Set("loop", std::string(loopIndent));
    w.Set("blank", std::string(blank));
    w.Line("/*--  判断{commentInComment}是否为空  --*/");
    // The runtime reads a stored picture without making objects; a value
    // that is no picture counts as none.
    w.Line("if (site_stored_picture($row['{member}'])) {{blank}");
    w.Line("\t$row['{member}'] = site_stored_picture($row['{member}']);");
    w.Line("\t$filepath = $row['{member}']['cover_dir'];{blank}");
    w.Line("\t$filename = $row['{member}']['cover_name'];");
    w.Line("\t/*--  开始删除  --*/");
    w.Line("\t$dir = WEB_ROOT.substr($filepath,3);");
    w.Line("\t//打开 images 目录");
    w.Line("\t$dirhandle = opendir($dir);");
    w.Line("\t/*--  列出 images 目录中的文件  --*/");
    w.Line("\twhile (($file = readdir($dirhandle)) !== false)");
    w.Line("\t{");
    w.Line("\t{loop}if ($file == $filename) {");
    w.Line("\t{loop}\t$file = $dir.$filename;");
    w.Line("\t{loop}\t@unlink($file);");
    w.Line("\t{loop}}");
    w.Line("\t}");
    w.Line("\tclosedir($dirhandle);");
    // The uploaded original beside the thumbnail goes with it.
    w.Line("\tsite_remove_picture_original($filepath, $filename);");
    w.Line("}");
}

// The entries of a referenced class for a drop-down, sorted by their display
// text, and whether the class is too large for one (its pages then show the
// picker instead): ${type}List and ${type}Large.
void AddReferenceEntries(TLineWriter& w, const std::string& lowerTypeName, const std::string& className) {
    w.Line("\t[${type}List, ${type}Large] = site_reference_entries($DB, '{classInString}');",
           {{"type", lowerTypeName}, {"classInString", EscapePhpSingleQuoted(className)}});
}

} // namespace

TPHPOperate::TPHPOperate(std::shared_ptr<const TProjectSnapshot> project, OutputTree& out)
    : project_(std::move(project)), out_(out) {}

void TPHPOperate::GenerateControllers(const TClassList& classes) const {
    for (const TListEntry& entry : classes) {
        const TClassSnapshot& cls = project_->ClassById(entry.id);
        const std::string path = "admin/" + LowerFirst(cls.ClassName()) + ".php";
        out_.Write(path, BuildController(cls), path + "生成完毕!");
    }
}

std::string TPHPOperate::BuildController(const TClassSnapshot& cls) const {
    std::string text = BuildPrologue(cls);
    for (const std::string& block : {BuildShowAct(cls), BuildAddAct(cls), BuildAddOkAct(cls), BuildRemoveAct(cls),
                                     BuildDelAllAct(cls), BuildEditAct(cls), BuildEditOkAct(cls)}) {
        text += block;
        text += "\r\n";
    }
    return text;
}

TLineWriter TPHPOperate::Writer(const TClassSnapshot& cls) {
    // The friendly name enters a controller only escaped for where it lands.
    return TLineWriter({{"lower", LowerFirst(cls.ClassName())},
                        {"friendInComment", EscapePhpComment(cls.FriendName())},
                        {"friendInString", EscapePhpDoubleQuoted(cls.FriendName())},
                        {"hyphens", kHyphenLine}});
}

std::string TPHPOperate::BuildPrologue(const TClassSnapshot& cls) {
    TLineWriter w = Writer(cls);
    w.Line("<?php");
    w.Line("/**");
    w.Line("* FILE_NAME : {lower}.php");
    w.Line("* @link {kHomePagePath}", {{"kHomePagePath", kHomePagePath}});
    w.Line("* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并");
    w.Line("* @package {friendInComment}管理");
    w.Line("* @subpackage");
    w.Line("* @version 1.0");
    w.Line("*/");
    w.Line();
    w.Line("define('IN_WEB', TRUE);");
    w.Line();
    w.Line("require_once( str_replace('\\\\', '/', dirname(__FILE__)). '/include/global.php');");
    w.Line();
    w.Line("/* act操作项的初始化 */");
    w.Line("if (empty($_REQUEST['act'])) {");
    w.Line("    $_REQUEST['act'] = 'show';");
    w.Line("} else {");
    w.Line("    $_REQUEST['act'] = trim($_REQUEST['act']);");
    w.Line("}");
    w.Line();
    return w.Take();
}

std::string TPHPOperate::BuildShowAct(const TClassSnapshot& cls) const {
    const std::string keyName = RequireKeyMember(cls).memberName;

    // Each search member filters as text (string, date) or by a referenced key.
    struct TFilter {
        TMember member;
        std::optional<TReference> reference;
    };
    std::vector<TFilter> filters;
    for (const TMember& member : cls.SearchMembers()) {
        std::optional<TReference> reference;
        if (!IsTextFilter(member.memberType))
            reference = Resolve(cls, member);
        filters.push_back({member, std::move(reference)});
    }

    TLineWriter w = Writer(cls);
    w.Set("key", keyName);
    const auto addFilterGroup = [&] {
        for (const TFilter& filter : filters) {
            const std::string& memberName = filter.member.memberName;
            w.Set("member", memberName);
            w.Set("memberInString", EscapePhpSingleQuoted(memberName));
            if (!filter.reference) {
                w.Line("\tif(${member} != \"\")");
                // %, _ and \\ of the search text match themselves.
                w.Line("\t\t$sql .= \" and {member} like '\".$DB->like_contains(site_raw('{memberInString}')).\"'\";");
            } else {
                if (filter.reference->refKeyIsInteger)
                    w.Line("\tif(${member} != 0)");
                else
                    w.Line("\tif(${member} != \"\")");
                w.Line("\t\t$sql .= \" and {member}='\".${member}.\"'\";");
            }
        }
    };

    w.Line("{hyphens}");
    w.Line("//-- 显示{friendInComment}列表");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'show')");
    w.Line("{");
    w.Line("\t$sql = $query = $pages = '';");
    w.Line("\t${lower}List = array();");
    if (!filters.empty())
        w.Line("\t//获取查询的关键字");
    for (const TFilter& filter : filters) {
        const std::string& memberName = filter.member.memberName;
        w.Set("member", memberName);
        w.Line("\t${member} = \"\";");
        w.Line("\t${member} = $_GET['{member}'];");
        if (!filter.reference)
            continue;
        const TReference& ref = *filter.reference;
        const std::string& lowerTypeName = ref.lowerTypeName;
        w.Set("type", lowerTypeName);
        if (ref.refKeyIsInteger)
            w.Line("\tif(${member} == \"\") ${member} = 0;");
        w.Line("\t/*--  查询复合查询字段信息  --*/");
        AddReferenceEntries(w, ref.lowerTypeName, ref.member.memberType);
    }
    w.Line();
    w.Line("\t/*--  处理分页数据  --*/");
    // The pager needs only the number of matching records: the database
    // counts them, so no record is fetched for it.
    w.Line("\t$sql = \"SELECT COUNT(*) AS allnum FROM {$dbprefix}{lower} where 1=1\";");
    addFilterGroup();
    w.Line();
    w.Line("\t$query = $DB->query($sql); ");
    w.Line("\t$allnum = $DB->fetch_array($query)['allnum'];");
    w.Line("\t$perpage = 5;");
    // A page number below 1, past the last page or no number at all gives
    // the first or the last page, never an empty page far past the end.
    w.Line("\t$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;");
    // The pager link carries every search value.
    TLineWriter pagerFilters;
    for (const TFilter& filter : filters)
        pagerFilters.Piece("&{member}=\".${member}.\"", {{"member", filter.member.memberName}});
    w.Line("\t$php_self = \"{lower}.php?ack=show{filters}&operation=query\";", {{"filters", pagerFilters.Text()}});
    w.Line();
    w.Line("\t/*--  创建分页  --*/");
    w.Line("\t$pages = multi($allnum, $perpage, $curpage, $php_self, 10);");
    w.Line("\tif (($curpage-1) >= 0) {");
    w.Line("\t\t$step = $curpage-1;");
    w.Line("\t} else {");
    w.Line("\t\t$step = 0;");
    w.Line("\t}");
    w.Line("\t$startpage = $perpage * $step;");
    w.Line("\t$sql = \"SELECT * FROM {$dbprefix}{lower} where 1=1\";");
    addFilterGroup();
    w.Line();
    // Newest first; a page past the middle is read from the other end.
    // An export sends every record of the search and ends the request.
    w.Line("\tif (site_export_requested()) site_export_csv($DB, '{classInString}', $sql);", {{"classInString", EscapePhpSingleQuoted(cls.ClassName())}});
    w.Line("\t$query = $DB->query_page($sql, '{keyInString}', $allnum, $startpage, $perpage);", {{"keyInString", EscapePhpSingleQuoted(keyName)}});
    w.Line("\twhile ($row = $DB->fetch_array($query))");
    w.Line("\t{");
    for (const TMember& image : cls.ImageMembers()) {
        const std::string& memberName = image.memberName;
        w.Set("member", memberName);
        w.Line("\t\tif (site_stored_picture($row['{member}'])) {");
        w.Line("\t\t\t$row['{member}'] = site_stored_picture($row['{member}']);");
        w.Line("\t\t\t$row['{member}'] = $web_url.substr($row['{member}']['cover_dir'],3).$row['{member}']['cover_name'];");
        w.Line("\t\t}");
        w.Line("\t\telse");
        w.Line("\t\t{");
        w.Line("\t\t\t$row['{member}'] = $web_url.\"attachments/picture/NoImage.jpg\";");
        w.Line("\t\t}");
    }
    for (const TReference& ref : ReferenceMembers(cls)) {
        const std::string& memberName = ref.member.memberName;
        w.Set("member", memberName);
        const std::string& lowerTypeName = ref.lowerTypeName;
        w.Set("type", lowerTypeName);
        // The key comes from a stored row, not from the request the runtime
        // escaped: it goes into the statement escaped here.
        w.Line("\t\t$sql = \"select * from  {$dbprefix}{type} where {refKeyName}='\".$DB->escape($row[\"{member}\"]).\"'\";", {{"refKeyName", ref.refKeyName}});
        w.Line("\t\t$query_{type} = $DB->query($sql);");
        w.Line("\t\t$row_{type} = $DB->fetch_array($query_{type});");
        w.Line("\t\t$row['{member}'] = $row_{type}['{refDisplayName}'];", {{"refDisplayName", ref.refDisplayName}});
    }
    w.Line("\t\t${lower}List[] = $row;");
    w.Line("\t}");
    w.Line();
    w.Line("\t$smarty->assign(\"css_root\", $css_root);");
    w.Line("\t$smarty->assign(\"web_url\",$web_url);");
    w.Line("\t$smarty->assign(\"{lower}List\", ${lower}List);");
    w.Line("\t$smarty->assign(\"pages\", $pages); ");
    for (const TFilter& filter : filters) {
        const std::string& memberName = filter.member.memberName;
        w.Set("member", memberName);
        w.Set("memberInString", EscapePhpSingleQuoted(memberName));
        // The field shows the search as it was typed, not escaped for SQL.
        w.Line("\t$smarty->assign(\"{member}\",site_raw('{memberInString}'));");
        if (filter.reference) {
            const std::string& lowerTypeName = filter.reference->lowerTypeName;
            w.Set("type", lowerTypeName);
            w.Line("\t$smarty->assign(\"{type}List\",${type}List);");
            w.Line("\t$smarty->assign(\"{type}Large\",${type}Large);");
        }
    }
    w.Line("\t$smarty->display(\"{lower}.html\");");
    w.Line("}");
    return w.Take();
}

std::string TPHPOperate::BuildAddAct(const TClassSnapshot& cls) const {
    TLineWriter w = Writer(cls);
    w.Line("{hyphens}");
    w.Line("//-- 添加{friendInComment}");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'add')");
    w.Line("{");
    for (const TReference& ref : ReferenceMembers(cls)) {
        const std::string& lowerTypeName = ref.lowerTypeName;
        w.Set("type", lowerTypeName);
        AddReferenceEntries(w, ref.lowerTypeName, ref.member.memberType);
        w.Line("\t$smarty->assign(\"{type}List\",${type}List);");
        w.Line("\t$smarty->assign(\"{type}Large\",${type}Large);");
    }
    w.Line("\t$smarty->assign(\"css_root\", $css_root);");
    w.Line("\t$smarty->assign(\"web_url\", $web_url);");
    w.Line("\t$smarty->display(\"{lower}_add.html\");");
    w.Line("}");
    return w.Take();
}

std::string TPHPOperate::BuildAddOkAct(const TClassSnapshot& cls) const {
    TLineWriter w = Writer(cls);
    w.Line("{hyphens}");
    w.Line("//-- 提交添加{friendInComment}信息");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'addok')");
    w.Line("{");
    w.Line("\trequire_once( WEB_ROOT.\"admin/include/admin_upload.class.php\");");
    w.Line("\trequire_once( WEB_ROOT.\"admin/include/admin_miniature.class.php\");");
    w.Line("\t$coverpic = array();");
    w.Line("\t${lower} = $_REQUEST['{lower}'];");
    w.Line("\t$sql = $query = $sercontent = '';");
    for (const TMember& image : cls.ImageMembers()) {
        const std::string& memberName = image.memberName;
        w.Set("member", memberName);
        w.Line("\t$sercoverpic_{member} = '';");
        // Each picture starts from an empty array, so a member without an
        // upload never receives the previous member's picture.
        w.Line("\t$coverpic = array();");
        w.Line("\tif ($_FILES['{member}']['name'] != ''){");
        w.Line("\t\t/*--  实例化上传类  --*/");
        w.Line("\t\t$file = $_FILES['{member}'];");
        w.Line("\t\t$upload_path = '../attachments/picture';");
        w.Line("\t\t$allow_type = array('jpg','bmp','png','gif','jpeg');");
        w.Line("\t\t$max_size=2048000;");
        w.Line();
        w.Line("\t\t$upload = new upFiles($file, $upload_path, $max_size, $allow_type);");
        w.Line("\t\t$upload->upload();");
        w.Line("\t\t$pic = $upload->getSaveFileInfo();");
        w.Line();
        w.Line("\t\t/*--  缩略图  --*/");
        w.Line("\t\t$m=new Miniature();");
        w.Line("\t\t$str_file = WEB_ROOT.substr($pic['file'],2);");
        w.Line("\t\t$m->ReadImage($str_file);");
        w.Line("\t\t$m->ResizeImage(200,130);//智能缩小");
        w.Line("\t\t$m->ImageType=4;//保存成jpg格式");
        w.Line("\t\t$cover_name=$pic['basename'];");
        w.Line("\t\t$m->SaveImage($pic['cover_dir'],$cover_name);");
        w.Line();
        w.Line("\t\t$coverpic['cover_dir'] = $pic['cover_dir'];");
        w.Line("\t\t$coverpic['cover_name'] = $cover_name.'.jpg';");
        w.Line("\t\t$m->DestroyImage();//销毁图片");
        w.Line("\t}");
        w.Line("\tif(count($coverpic) > 0)");
        w.Line("\t\t$sercoverpic_{member} = serialize($coverpic);");
    }
    w.Line("\t/*--  写入{friendInComment}信息表  --*/");

    // Column list and values follow the same row order; the last member
    // closes the list instead of adding a comma.
    const std::vector<TMember>& members = cls.Members();
    std::string columns;
    for (std::size_t i = 0; i < members.size(); ++i)
        columns += (i ? "," : "") + members[i].memberName;
    w.Line("\t$sql = \"INSERT INTO {$dbprefix}{lower} ({columns}) VALUE (\";", {{"columns", columns}});
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string& memberName = members[i].memberName;
        w.Set("member", memberName);
        const std::string ending = i + 1 < members.size() ? ".\"',\";" : ".\"')\";";
        if (members[i].memberType == kTypeImage)
            // The picture's value is made here, not taken from the escaped request.
            w.Line("\t$sql = $sql.\"'\".$DB->escape($sercoverpic_{member}){ending}", {{"ending", ending}});
        else
            w.Line("\t$sql = $sql.\"'\".${lower}['{member}']{ending}", {{"ending", ending}});
    }
    w.Line("\t$query = $DB->query($sql);");
    w.Line("\tif ($query) {");
    // The record and its log entry are committed together.
    w.Line("\t\tsite_commit_change($DB);");
    w.Line("\t\tshowmsg(\"{friendInString}添加成功\",\"{lower}.php?act=show\");");
    w.Line("\t}");
    w.Line("}");
    return w.Take();
}

std::string TPHPOperate::BuildRemoveAct(const TClassSnapshot& cls) const {
    const std::string keyName = RequireKeyMember(cls).memberName;
    TLineWriter w = Writer(cls);
    w.Set("key", keyName);
    w.Line("{hyphens}");
    w.Line("//-- 删除{friendInComment}");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'remove')");
    w.Line("{");
    w.Line("\t${key} = $_REQUEST['{key}'];");
    w.Line("\t$sql = $row = $query = '';");
    w.Line("\t$sql = \"SELECT * FROM {$dbprefix}{lower} WHERE {key} = '\".${key}.\"'\";");
    w.Line("\t$query = $DB->query($sql);");
    w.Line("\t$row = $DB->fetch_array($query);");
    w.Line("\t$sql = \"DELETE FROM {$dbprefix}{lower} WHERE {key} = '\".${key}.\"'\";");
    w.Line("\t$query = $DB->query($sql); ");
    // Only a statement that deleted the record reports a success, and only
    // then are its pictures removed.
    w.Line("\tif (!$query || $DB->affected_rows() == 0) {");
    w.Line("\t\tshowmsg(\"删除失败\",\"{lower}.php?act=show\");");
    w.Line("\t}");
    // The deletion is committed with its log entry before the pictures go.
    w.Line("\tsite_commit_change($DB);");
    for (const TMember& image : cls.ImageMembers())
        AddPictureDeletion(w, image, "\t", "  \t", " ");
    w.Line("\tshowmsg(\"删除成功\",\"{lower}.php?act=show\");");
    w.Line("}");
    return w.Take();
}

std::string TPHPOperate::BuildDelAllAct(const TClassSnapshot& cls) const {
    const std::string keyName = RequireKeyMember(cls).memberName;
    TLineWriter w = Writer(cls);
    w.Set("key", keyName);
    w.Line("{hyphens}");
    w.Line("//-- 批量删除{friendInComment}");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'delall')");
    w.Line("{");
    w.Line("\t$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';");
    w.Line("\t$list = array();");
    // The list page sends the ticked keys as the list delid[], each as it is.
    w.Line("\t$list = is_array($delid) ? array_values($delid) : array();");
    w.Line("\t$deleted = 0;");
    w.Line("\tfor ($i=0;$i<count($list);$i++) {");
    w.Line("\t\t$sql = $row = $query = '';");
    w.Line("\t\t$sql = \"SELECT * FROM {$dbprefix}{lower} WHERE {key} = '\".$list[$i].\"'\";");
    w.Line("\t\t$query = $DB->query($sql);");
    w.Line("\t\t$row = $DB->fetch_array($query); ");
    w.Line("\t\t$sql = \"DELETE FROM {$dbprefix}{lower} WHERE {key} = '\".$list[$i].\"'\";");
    w.Line("\t\t$query = $DB->query($sql);");
    w.Line("\t\t$deleted += $DB->affected_rows();");
    // The pictures of a record that was not deleted stay.
    w.Line("\t\tif ($DB->affected_rows() == 0) {");
    w.Line("\t\t\tcontinue;");
    w.Line("\t\t}");
    for (const TMember& image : cls.ImageMembers())
        AddPictureDeletion(w, image, "\t\t", "\t", "");
    w.Line("\t}");
    // What was deleted stays deleted, logged, whether or not all of it was.
    w.Line("\tsite_commit_change($DB);");
    // Success only when every ticked record was deleted.
    w.Line("\tif ($deleted > 0 && $deleted == count($list)) {");
    w.Line("\t\tshowmsg(\"删除成功\",\"{lower}.php?act=show\");");
    w.Line("\t} else {");
    w.Line("\t\tshowmsg(\"删除失败：勾选的\".count($list).\"条记录中有\".(count($list)-$deleted).\"条已不存在\");");
    w.Line("\t}");
    w.Line("}");
    return w.Take();
}

std::string TPHPOperate::BuildEditAct(const TClassSnapshot& cls) const {
    const std::string keyName = RequireKeyMember(cls).memberName;
    const std::vector<TReference> references = ReferenceMembers(cls);
    TLineWriter w = Writer(cls);
    w.Set("key", keyName);
    w.Line("{hyphens}");
    w.Line("//-- 编辑{friendInComment}");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'edit')");
    w.Line("{");
    w.Line("\t${key} = $_REQUEST['{key}'];");
    w.Line("\t$sql = $query = '';");
    for (const TReference& ref : references) {
        const std::string& lowerTypeName = ref.lowerTypeName;
        w.Set("type", lowerTypeName);
        w.Line("\t/*--  查询{commentInComment}信息  --*/", {{"commentInComment", EscapePhpComment(ref.member.memberComment)}});
        AddReferenceEntries(w, ref.lowerTypeName, ref.member.memberType);
    }
    w.Line("\t/*--  查询{friendInComment}基本信息  --*/");
    w.Line("\t$sql = \"SELECT * FROM {$dbprefix}{lower} WHERE {key} = '${key}'\";");
    w.Line("\t$query = $DB->query($sql);");
    w.Line("\t$row= $DB->fetch_array($query);");
    for (const TMember& image : cls.ImageMembers()) {
        const std::string& memberName = image.memberName;
        w.Set("member", memberName);
        w.Line("\t/*--  反序列化  --*/");
        w.Line("\tif (site_stored_picture($row['{member}'])) {");
        w.Line("\t  $row['{member}'] = site_stored_picture($row['{member}']);");
        w.Line("\t  $row['{member}'] = $row['{member}']['cover_name'];");
        w.Line("\t}");
        w.Line("\telse");
        w.Line("\t{");
        w.Line("\t  $row['{member}'] = '';");
        w.Line("\t}");
    }
    w.Line("\t${lower} = $row;");
    w.Line("\t$smarty->assign(\"css_root\", $css_root);");
    w.Line("\t$smarty->assign(\"web_url\", $web_url);");
    w.Line("\t$smarty->assign(\"{lower}\",$row);");
    for (const TReference& ref : references) {
        const std::string& lowerTypeName = ref.lowerTypeName;
        w.Set("type", lowerTypeName);
        w.Line("\t$smarty->assign(\"{type}List\",${type}List);");
        w.Line("\t$smarty->assign(\"{type}Large\",${type}Large);");
    }
    w.Line("\t$smarty->display(\"{lower}_edit.html\");");
    w.Line("}");
    return w.Take();
}

std::string TPHPOperate::BuildEditOkAct(const TClassSnapshot& cls) const {
    const std::string keyName = RequireKeyMember(cls).memberName;
    TLineWriter w = Writer(cls);
    w.Set("key", keyName);
    w.Line("{hyphens}");
    w.Line("//-- 确定编辑{friendInComment}信息");
    w.Line("{hyphens}");
    w.Line("if ($_REQUEST['act'] == 'editok')");
    w.Line("{ ");
    w.Line("\t/*--  接收表单传来数据  --*/");
    w.Line("\t${lower} = $_REQUEST['{lower}'];");
    w.Line("\t/*--  查询数据表原数据  --*/");
    w.Line("\t$sql = \"SELECT * FROM {$dbprefix}{lower} WHERE {key} = '\".${lower}['{key}'].\"'\";");
    w.Line("\t$query = $DB->query($sql); ");
    w.Line("\twhile ($row = $DB->fetch_array($query)) {");
    w.Line("\t\t$oldrow = $row;");
    w.Line("\t}");
    for (const TMember& image : cls.ImageMembers()) {
        const std::string& memberName = image.memberName;
        w.Set("member", memberName);
        w.Line("\tif(site_stored_picture($oldrow['{member}']))");
        w.Line("\t{");
        w.Line("\t\t/*--  对图片进行反序列化  --*/");
        w.Line("\t\t$oldrow['{member}'] = site_stored_picture($oldrow['{member}']);");
        w.Line("\t\t/*--  判断图片是否改变  --*/");
        w.Line("\t\tif (${lower}['{member}'] != $oldrow['{member}']['cover_name']) {");
        w.Line("\t\t\t$ext = strrchr(${lower}['{member}'],'.'); //取后缀");
        w.Line("\t\t\t$filepath = substr(${lower}['{member}'],strrpos(${lower}['{member}'],'/')); //取路径");
        w.Line("\t\t\t$filename = strrchr(${lower}['{member}'],'/'); //取文件名");
        w.Line("\t\t\t/*--  复制图片  --*/");
        w.Line("\t\t\t$fromdir = WEB_ROOT.substr(${lower}['{member}'],3);");
        w.Line("\t\t\t$todir = WEB_ROOT.substr($oldrow['{member}']['cover_dir'],3).$oldrow['{member}']['cover_name'];");
        w.Line("\t\t\tcopy($fromdir,$todir); ");
        w.Line("\t\t}");
        w.Line("\t}");
        w.Line("\telse");
        w.Line("\t{");
        w.Line("\t\t/*--  判断图片是否改变  --*/");
        w.Line("\t\tif (${lower}['{member}'] != \"\")");
        w.Line("\t\t{");
        w.Line("\t\t\t$coverpic = array();");
        w.Line("\t\t\t/*--  复制图片  --*/");
        w.Line("\t\t\t$fromdir = WEB_ROOT.substr(${lower}['{member}'],3); ");
        w.Line("\t\t\t$dir1 = \"../attachments/picture/\".date('Y');");
        w.Line("\t\t\t$dir2 = $dir1.'/'.date('m');");
        w.Line("\t\t\t$cover_dir = $dir2.\"/cover/\";");
        w.Line("\t\t\tcreatedir($dir1);");
        w.Line("\t\t\tcreatedir($dir2);");
        w.Line("\t\t\tcreatedir($cover_dir);");
        w.Line("\t\t\tlist($usec, $sec) = explode(\" \",microtime());");
        w.Line("\t\t\t$ext = pathinfo($fromdir);");
        w.Line("\t\t\t$type = $ext['extension'];");
        w.Line("\t\t\t$savename = substr($usec,2).'.'.$type;");
        w.Line("\t\t\t$todir = WEB_ROOT.substr($cover_dir,3).$savename;");
        w.Line("\t\t\t$coverpic['cover_dir'] = $cover_dir;");
        w.Line("\t\t\t$coverpic['cover_name'] = $savename;");
        w.Line("\t\t\t$sercoverpic = serialize($coverpic);");
        w.Line("\t\t\tcopy($fromdir,$todir);");
        w.Line("\t\t\t$sql = \"update {$dbprefix}{lower} SET {member}='\".$DB->escape($sercoverpic).\"' where {key}='\".${lower}['{key}'].\"'\";");
        w.Line("\t\t\t$DB->query($sql);");
        w.Line("\t\t}");
        w.Line("\t}");
    }
    w.Line("\t/*--  更新{friendInComment}基本信息表  --*/");
    w.Line("\t$sql = \"UPDATE {$dbprefix}{lower} SET \";");
    // Every plain column but the last is followed by a comma.
    const TMemberRefs plain = cls.PlainNonKeyMembers();
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const std::string& memberName = plain[i].get().memberName;
        w.Set("member", memberName);
        const std::string ending = i + 1 < plain.size() ? ".\"',\";" : ".\"'\";";
        w.Line("\t$sql = $sql.\"{member} = '\".${lower}['{member}']{ending}", {{"ending", ending}});
    }
    w.Line("\t$sql = $sql.\" WHERE {key} = '\".${lower}['{key}'].\"'\";");
    w.Line("\t$query = $DB->query($sql);");
    w.Line("\tif ($query) {");
    w.Line("\t\tsite_commit_change($DB);");
    w.Line("\t\tshowmsg(\"{friendInString}更新成功\",\"{lower}.php?act=show\");");
    w.Line("\t} else {");
    w.Line("\t\tshowmsg(\"{friendInString}更新失败\");");
    w.Line("\t}");
    w.Line("}");
    return w.Take();
}

TPHPOperate::TReference TPHPOperate::Resolve(const TClassSnapshot& cls, const TMember& member) const {
    const TReferencedClass referenced = ResolveReference(*project_, cls.ClassName(), member);
    return {member, referenced.lowerTypeName, referenced.keyMember.memberName, referenced.displayMember.memberName,
            referenced.keyMember.memberIsInteger == 1};
}

std::vector<TPHPOperate::TReference> TPHPOperate::ReferenceMembers(const TClassSnapshot& cls) const {
    std::vector<TReference> references;
    for (const TMember& member : cls.ReferenceMembers())
        references.push_back(Resolve(cls, member));
    return references;
}

} // namespace quorrel
