#include "generators/PHPOperate.h"

#include "generators/ModelLookup.h"
#include "generators/Names.h"
#include "generators/ProductInfo.h"
#include "base/Error.h"

#include <optional>
#include <utility>

namespace quorrel {

namespace {

// The text of a generated block, built one line at a time; every line ends
// in CR LF. Add("") gives an empty line.
class TLineList {
public:
    void Add(const std::string& line) {
        text_ += line;
        text_ += "\r\n";
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Opens and closes the comment frame above every act block.
const char* const kHyphenLine = "/*------------------------------------------------------ */";

} // namespace

TPHPOperate::TPHPOperate(std::shared_ptr<const TProjectSnapshot> project, std::string projectName, OutputTree& out,
                         ProgressSink& progress)
    : project_(std::move(project)), projectName_(std::move(projectName)), out_(out), progress_(progress) {}

void TPHPOperate::SetCurrentClass(const TListEntry& entry) {
    class_ = &project_->ClassById(entry.id);
    className_ = class_->ClassName();
    lowerClassName_ = LowerFirst(className_);
    friendName_ = class_->FriendName();
}

void TPHPOperate::GenerateControllers(const std::string& /*tablePrefix*/, const TClassList& classes) {
    for (const TListEntry& entry : classes) {
        SetCurrentClass(entry);
        std::string text = BuildPrologue();
        for (const std::string& block : {BuildShowAct(), BuildAddAct(), BuildAddOkAct(), BuildRemoveAct(),
                                         BuildDelAllAct(), BuildEditAct(), BuildEditOkAct()}) {
            text += block;
            text += "\r\n";
        }
        const std::string path = "projects/" + projectName_ + "/admin/" + lowerClassName_ + ".php";
        out_.Write(path, text);
        progress_.AddLine(path + "生成完毕!");
    }
}

std::string TPHPOperate::BuildPrologue() const {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    TLineList lines;
    lines.Add("<?php");
    lines.Add("/**");
    lines.Add("* FILE_NAME : " + lowerClassName + ".php");
    lines.Add(std::string("* @link ") + kHomePagePath);
    lines.Add("* @generated QuorrelPHP代码生成器 — 重新生成会覆盖本文件");
    lines.Add("* @package " + friendName + "管理");
    lines.Add("* @subpackage");
    lines.Add("* @version 1.0");
    lines.Add("*/");
    lines.Add("");
    lines.Add("define('IN_WEB', TRUE);");
    lines.Add("");
    lines.Add("require_once( str_replace('\\\\', '/', dirname(__FILE__)). '/include/global.php');");
    lines.Add("");
    lines.Add("/* act操作项的初始化 */");
    lines.Add("if (empty($_REQUEST['act'])) {");
    lines.Add("    $_REQUEST['act'] = 'show';");
    lines.Add("} else {");
    lines.Add("    $_REQUEST['act'] = trim($_REQUEST['act']);");
    lines.Add("}");
    lines.Add("");
    return lines.Text();
}

std::string TPHPOperate::BuildShowAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    const std::string keyName = KeyMember().memberName;

    // Each search member filters as text (string, date) or by a referenced key.
    struct TFilter {
        TMember member;
        std::optional<TReference> reference;
    };
    std::vector<TFilter> filters;
    for (const TMember& member : class_->SearchMembers()) {
        std::optional<TReference> reference;
        if (!IsTextFilter(member))
            reference = Resolve(member);
        filters.push_back({member, std::move(reference)});
    }

    TLineList lines;
    const auto addFilterGroup = [&] {
        for (const TFilter& filter : filters) {
            const std::string& memberName = filter.member.memberName;
            if (!filter.reference) {
                lines.Add("\tif($" + memberName + " != \"\")");
                lines.Add("\t\t$sql .= \" and " + memberName + " like '%\".$" + memberName + ".\"%'\";");
            } else {
                if (filter.reference->refKeyIsInteger)
                    lines.Add("\tif($" + memberName + " != 0)");
                else
                    lines.Add("\tif($" + memberName + " != \"\")");
                lines.Add("\t\t$sql .= \" and " + memberName + "='\".$" + memberName + ".\"'\";");
            }
        }
    };

    lines.Add(kHyphenLine);
    lines.Add("//-- 显示" + friendName + "列表");
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'show')");
    lines.Add("{");
    lines.Add("\t$sql = $query = $pages = '';");
    lines.Add("\t$" + lowerClassName + "List = array();");
    if (!filters.empty())
        lines.Add("\t//获取查询的关键字");
    for (const TFilter& filter : filters) {
        const std::string& memberName = filter.member.memberName;
        lines.Add("\t$" + memberName + " = \"\";");
        lines.Add("\t$" + memberName + " = $_GET['" + memberName + "'];");
        if (!filter.reference)
            continue;
        const TReference& ref = *filter.reference;
        const std::string& lowerTypeName = ref.lowerTypeName;
        if (ref.refKeyIsInteger)
            lines.Add("\tif($" + memberName + " == \"\") $" + memberName + " = 0;");
        lines.Add("\t/*--  查询复合查询字段信息  --*/");
        lines.Add("\t$sql = \"SELECT " + ref.refKeyName + "," + ref.refDisplayName + " FROM {$dbprefix}" +
                  lowerTypeName + "\";");
        lines.Add("\t$query = $DB->query($sql);");
        lines.Add("\twhile ($row = $DB->fetch_array($query)) {");
        lines.Add("\t\t$" + lowerTypeName + "List[] = $row;");
        lines.Add("\t}");
    }
    lines.Add("");
    lines.Add("\t/*--  处理分页数据  --*/");
    lines.Add("\t$sql = \"SELECT * FROM {$dbprefix}" + lowerClassName + " where 1=1\";");
    addFilterGroup();
    lines.Add("");
    lines.Add("\t$query = $DB->query($sql); ");
    lines.Add("\t$allnum = $DB->num_rows($query);");
    lines.Add("\t$perpage = 5;");
    lines.Add("\t$curpage = isset($_GET['page']) ? intval($_GET['page']) : 1;");
    std::string pagerLine = "\t$php_self = \"" + lowerClassName + ".php?ack=show";
    for (const TFilter& filter : filters)
        pagerLine += "&" + filter.member.memberName + "=\".$" + filter.member.memberName + ".\"";
    pagerLine += "&operation=query\";";
    lines.Add(pagerLine);
    lines.Add("");
    lines.Add("\t/*--  创建分页  --*/");
    lines.Add("\t$pages = multi($allnum, $perpage, $curpage, $php_self, 10);");
    lines.Add("\tif (($curpage-1) >= 0) {");
    lines.Add("\t\t$step = $curpage-1;");
    lines.Add("\t} else {");
    lines.Add("\t\t$step = 0;");
    lines.Add("\t}");
    lines.Add("\t$startpage = $perpage * $step;");
    lines.Add("\t$sql = \"SELECT * FROM {$dbprefix}" + lowerClassName + " where 1=1\";");
    addFilterGroup();
    lines.Add("\t$sql .= \" order by " + keyName + " DESC LIMIT $startpage,$perpage\";");
    lines.Add("");
    lines.Add("\t$query = $DB->query($sql);");
    lines.Add("\twhile ($row = $DB->fetch_array($query))");
    lines.Add("\t{");
    for (const TMember& image : class_->ImageMembers()) {
        const std::string& memberName = image.memberName;
        lines.Add("\t\tif ($row['" + memberName + "']) {");
        lines.Add("\t\t\t$row['" + memberName + "'] = unserialize($row['" + memberName + "']);");
        lines.Add("\t\t\t$row['" + memberName + "'] = $web_url.substr($row['" + memberName +
                  "']['cover_dir'],3).$row['" + memberName + "']['cover_name'];");
        lines.Add("\t\t}");
        lines.Add("\t\telse");
        lines.Add("\t\t{");
        lines.Add("\t\t\t$row['" + memberName + "'] = $web_url.\"/attachments/picture/NoImage.jpg\";");
        lines.Add("\t\t}");
    }
    for (const TReference& ref : ReferenceMembers()) {
        const std::string& memberName = ref.member.memberName;
        const std::string& lowerTypeName = ref.lowerTypeName;
        lines.Add("\t\t$sql = \"select * from  {$dbprefix}" + lowerTypeName + " where " + ref.refKeyName +
                  "='\".$row[\"" + memberName + "\"].\"'\";");
        lines.Add("\t\t$query_" + lowerTypeName + " = $DB->query($sql);");
        lines.Add("\t\t$row_" + lowerTypeName + " = $DB->fetch_array($query_" + lowerTypeName + ");");
        lines.Add("\t\t$row['" + memberName + "'] = $row_" + lowerTypeName + "['" + ref.refDisplayName + "'];");
    }
    lines.Add("\t\t$" + lowerClassName + "List[] = $row;");
    lines.Add("\t}");
    lines.Add("");
    lines.Add("\t$smarty->assign(\"css_root\", $css_root);");
    lines.Add("\t$smarty->assign(\"web_url\",$web_url);");
    lines.Add("\t$smarty->assign(\"" + lowerClassName + "List\", $" + lowerClassName + "List);");
    lines.Add("\t$smarty->assign(\"pages\", $pages); ");
    for (const TFilter& filter : filters) {
        const std::string& memberName = filter.member.memberName;
        lines.Add("\t$smarty->assign(\"" + memberName + "\",$" + memberName + ");");
        if (filter.reference) {
            const std::string& lowerTypeName = filter.reference->lowerTypeName;
            lines.Add("\t$smarty->assign(\"" + lowerTypeName + "List\",$" + lowerTypeName + "List);");
        }
    }
    lines.Add("\t$smarty->display(\"" + lowerClassName + ".html\");");
    lines.Add("}");
    return lines.Text();
}

std::string TPHPOperate::BuildAddAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    TLineList lines;
    lines.Add(kHyphenLine);
    lines.Add("//-- 添加" + friendName);
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'add')");
    lines.Add("{");
    for (const TReference& ref : ReferenceMembers()) {
        const std::string& lowerTypeName = ref.lowerTypeName;
        lines.Add("\t$sql = \"SELECT " + ref.refKeyName + "," + ref.refDisplayName + " FROM {$dbprefix}" +
                  lowerTypeName + "\";");
        lines.Add("\t$query = $DB->query($sql);");
        lines.Add("\twhile ($row = $DB->fetch_array($query)) {");
        lines.Add("\t\t$" + lowerTypeName + "List[] = $row;");
        lines.Add("\t}");
        lines.Add("\t$smarty->assign(\"" + lowerTypeName + "List\",$" + lowerTypeName + "List);");
    }
    lines.Add("\t$smarty->assign(\"css_root\", $css_root);");
    lines.Add("\t$smarty->assign(\"web_url\", $web_url);");
    lines.Add("\t$smarty->display(\"" + lowerClassName + "_add.html\");");
    lines.Add("}");
    return lines.Text();
}

std::string TPHPOperate::BuildAddOkAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    TLineList lines;
    lines.Add(kHyphenLine);
    lines.Add("//-- 提交添加" + friendName + "信息");
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'addok')");
    lines.Add("{");
    lines.Add("\trequire_once( WEB_ROOT.\"admin/include/admin_upload.class.php\");");
    lines.Add("\trequire_once( WEB_ROOT.\"admin/include/admin_miniature.class.php\");");
    lines.Add("\t$coverpic = array();");
    lines.Add("\t$" + lowerClassName + " = $_REQUEST['" + lowerClassName + "'];");
    lines.Add("\t$sql = $query = $sercontent = '';");
    for (const TMember& image : class_->ImageMembers()) {
        const std::string& memberName = image.memberName;
        lines.Add("\t$sercoverpic_" + memberName + " = '';");
        // Each picture starts from an empty array, so a member without an
        // upload never receives the previous member's picture.
        lines.Add("\t$coverpic = array();");
        lines.Add("\tif ($_FILES['" + memberName + "']['name'] != ''){");
        lines.Add("\t\t/*--  实例化上传类  --*/");
        lines.Add("\t\t$file = $_FILES['" + memberName + "'];");
        lines.Add("\t\t$upload_path = '../attachments/picture';");
        lines.Add("\t\t$allow_type = array('jpg','bmp','png','gif','jpeg');");
        lines.Add("\t\t$max_size=2048000;");
        lines.Add("");
        lines.Add("\t\t$upload = new upFiles($file, $upload_path, $max_size, $allow_type);");
        lines.Add("\t\t$upload->upload();");
        lines.Add("\t\t$pic = $upload->getSaveFileInfo();");
        lines.Add("");
        lines.Add("\t\t/*--  缩略图  --*/");
        lines.Add("\t\t$m=new Miniature();");
        lines.Add("\t\t$str_file = WEB_ROOT.substr($pic['file'],2);");
        lines.Add("\t\t$m->ReadImage($str_file);");
        lines.Add("\t\t$m->ResizeImage(200,130);//智能缩小");
        lines.Add("\t\t$m->ImageType=4;//保存成jpg格式");
        lines.Add("\t\t$cover_name=$pic['basename'];");
        lines.Add("\t\t$m->SaveImage($pic['cover_dir'],$cover_name);");
        lines.Add("");
        lines.Add("\t\t$coverpic['cover_dir'] = $pic['cover_dir'];");
        lines.Add("\t\t$coverpic['cover_name'] = $cover_name.'.jpg';");
        lines.Add("\t\t$m->DestroyImage();//销毁图片");
        lines.Add("\t}");
        lines.Add("\tif(count($coverpic) > 0)");
        lines.Add("\t\t$sercoverpic_" + memberName + " = serialize($coverpic);");
    }
    lines.Add("\t/*--  写入" + friendName + "信息表  --*/");

    // Column list and values follow the same row order; the last member
    // closes the list instead of adding a comma.
    const std::vector<TMember>& members = class_->Members();
    std::string insertLine = "\t$sql = \"INSERT INTO {$dbprefix}" + lowerClassName + " (";
    for (std::size_t i = 0; i < members.size(); ++i)
        insertLine += members[i].memberName + (i + 1 < members.size() ? "," : "");
    insertLine += ") VALUE (\";";
    lines.Add(insertLine);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string& memberName = members[i].memberName;
        const std::string ending = i + 1 < members.size() ? ".\"',\";" : ".\"')\";";
        if (members[i].memberType == kTypeImage)
            lines.Add("\t$sql = $sql.\"'\".$sercoverpic_" + memberName + ending);
        else
            lines.Add("\t$sql = $sql.\"'\".$" + lowerClassName + "['" + memberName + "']" + ending);
    }
    lines.Add("\t$query = $DB->query($sql);");
    lines.Add("\tif ($query) {");
    lines.Add("\t\tshowmsg(\"" + friendName + "添加成功\",\"" + lowerClassName + ".php?act=show\");");
    lines.Add("\t}");
    lines.Add("}");
    return lines.Text();
}

std::string TPHPOperate::BuildRemoveAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    const std::string keyName = KeyMember().memberName;
    TLineList lines;
    lines.Add(kHyphenLine);
    lines.Add("//-- 删除" + friendName);
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'remove')");
    lines.Add("{");
    lines.Add("\t$" + keyName + " = $_REQUEST['" + keyName + "'];");
    lines.Add("\t$sql = $row = $query = '';");
    lines.Add("\t$sql = \"SELECT * FROM {$dbprefix}" + lowerClassName + " WHERE " + keyName + " = '\".$" + keyName +
              ".\"'\";");
    lines.Add("\t$query = $DB->query($sql);");
    lines.Add("\t$row = $DB->fetch_array($query);");
    for (const TMember& image : class_->ImageMembers()) {
        const std::string& memberName = image.memberName;
        lines.Add("\t/*--  判断" + image.memberComment + "是否为空  --*/");
        lines.Add("\tif ($row['" + memberName + "']) { ");
        lines.Add("\t\t$row['" + memberName + "'] = unserialize($row['" + memberName + "']);");
        lines.Add("\t\t$filepath = $row['" + memberName + "']['cover_dir']; ");
        lines.Add("\t\t$filename = $row['" + memberName + "']['cover_name'];");
        lines.Add("\t\t/*--  开始删除  --*/");
        lines.Add("\t\t$dir = WEB_ROOT.substr($filepath,3);");
        lines.Add("\t\t//打开 images 目录");
        lines.Add("\t\t$dirhandle = opendir($dir);");
        lines.Add("\t\t/*--  列出 images 目录中的文件  --*/");
        lines.Add("\t\twhile (($file = readdir($dirhandle)) !== false)");
        lines.Add("\t\t{");
        lines.Add("\t\t  \tif ($file == $filename) {");
        lines.Add("\t\t  \t\t$file = $dir.$filename;");
        lines.Add("\t\t  \t\t@unlink($file);");
        lines.Add("\t\t  \t}");
        lines.Add("\t\t}");
        lines.Add("\t\tclosedir($dirhandle);");
        lines.Add("\t}");
    }
    lines.Add("\t$sql = \"DELETE FROM {$dbprefix}" + lowerClassName + " WHERE " + keyName + " = '\".$" + keyName +
              ".\"'\";");
    lines.Add("\t$query = $DB->query($sql); ");
    lines.Add("\tif ($query) {");
    lines.Add("\t\tshowmsg(\"删除成功\",\"" + lowerClassName + ".php?act=show\");");
    lines.Add("\t} else {");
    lines.Add("\t\tshowmsg(\"删除失败\",\"" + lowerClassName + ".php?act=show\");");
    lines.Add("\t}");
    lines.Add("}");
    return lines.Text();
}

std::string TPHPOperate::BuildDelAllAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    const std::string keyName = KeyMember().memberName;
    TLineList lines;
    lines.Add(kHyphenLine);
    lines.Add("//-- 批量删除" + friendName);
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'delall')");
    lines.Add("{");
    lines.Add("\t$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';");
    lines.Add("\t$list = array();");
    lines.Add("\t$list = explode('/',$delid);");
    lines.Add("\tfor ($i=0;$i<count($list);$i++) {");
    lines.Add("\t\t$sql = $row = $query = '';");
    lines.Add("\t\t$sql = \"SELECT * FROM {$dbprefix}" + lowerClassName + " WHERE " + keyName +
              " = '\".$list[$i].\"'\";");
    lines.Add("\t\t$query = $DB->query($sql);");
    lines.Add("\t\t$row = $DB->fetch_array($query); ");
    for (const TMember& image : class_->ImageMembers()) {
        const std::string& memberName = image.memberName;
        lines.Add("\t\t/*--  判断" + image.memberComment + "是否为空  --*/");
        lines.Add("\t\tif ($row['" + memberName + "']) {");
        lines.Add("\t\t\t$row['" + memberName + "'] = unserialize($row['" + memberName + "']);");
        lines.Add("\t\t\t$filepath = $row['" + memberName + "']['cover_dir'];");
        lines.Add("\t\t\t$filename = $row['" + memberName + "']['cover_name'];");
        lines.Add("\t\t\t/*--  开始删除  --*/");
        lines.Add("\t\t\t$dir = WEB_ROOT.substr($filepath,3);");
        lines.Add("\t\t\t//打开 images 目录");
        lines.Add("\t\t\t$dirhandle = opendir($dir);");
        lines.Add("\t\t\t/*--  列出 images 目录中的文件  --*/");
        lines.Add("\t\t\twhile (($file = readdir($dirhandle)) !== false)");
        lines.Add("\t\t\t{");
        lines.Add("\t\t\t\tif ($file == $filename) {");
        lines.Add("\t\t\t\t\t$file = $dir.$filename;");
        lines.Add("\t\t\t\t\t@unlink($file);");
        lines.Add("\t\t\t\t}");
        lines.Add("\t\t\t}");
        lines.Add("\t\t\tclosedir($dirhandle);");
        lines.Add("\t\t}");
    }
    lines.Add("\t\t$sql = \"DELETE FROM {$dbprefix}" + lowerClassName + " WHERE " + keyName +
              " = '\".$list[$i].\"'\";");
    lines.Add("\t\t$query = $DB->query($sql);");
    lines.Add("\t}");
    lines.Add("\tshowmsg(\"删除成功\",\"" + lowerClassName + ".php?act=show\");");
    lines.Add("}");
    return lines.Text();
}

std::string TPHPOperate::BuildEditAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    const std::string keyName = KeyMember().memberName;
    const std::vector<TReference> references = ReferenceMembers();
    TLineList lines;
    lines.Add(kHyphenLine);
    lines.Add("//-- 编辑" + friendName);
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'edit')");
    lines.Add("{");
    lines.Add("\t$" + keyName + " = $_REQUEST['" + keyName + "'];");
    lines.Add("\t$sql = $query = '';");
    for (const TReference& ref : references) {
        const std::string& lowerTypeName = ref.lowerTypeName;
        lines.Add("\t/*--  查询" + ref.member.memberComment + "信息  --*/");
        lines.Add("\t$" + lowerTypeName + "List = array();");
        lines.Add("\t$sql = \"SELECT * FROM {$dbprefix}" + lowerTypeName + "\";");
        lines.Add("\t$query = $DB->query($sql);");
        lines.Add("\twhile ($row = $DB->fetch_array($query)) {");
        lines.Add("\t\t$" + lowerTypeName + "List[] = $row;");
        lines.Add("\t}");
    }
    lines.Add("\t/*--  查询" + friendName + "基本信息  --*/");
    lines.Add("\t$sql = \"SELECT * FROM {$dbprefix}" + lowerClassName + " WHERE " + keyName + " = '$" + keyName +
              "'\";");
    lines.Add("\t$query = $DB->query($sql);");
    lines.Add("\t$row= $DB->fetch_array($query);");
    for (const TMember& image : class_->ImageMembers()) {
        const std::string& memberName = image.memberName;
        lines.Add("\t/*--  反序列化  --*/");
        lines.Add("\tif ($row['" + memberName + "']) {");
        lines.Add("\t  $row['" + memberName + "'] = unserialize($row['" + memberName + "']);");
        lines.Add("\t  $row['" + memberName + "'] = $row['" + memberName + "']['cover_name'];");
        lines.Add("\t}");
        lines.Add("\telse");
        lines.Add("\t{");
        lines.Add("\t  $row['" + memberName + "'] = '';");
        lines.Add("\t}");
    }
    lines.Add("\t$" + lowerClassName + " = $row;");
    lines.Add("\t$smarty->assign(\"css_root\", $css_root);");
    lines.Add("\t$smarty->assign(\"web_url\", $web_url);");
    lines.Add("\t$smarty->assign(\"" + lowerClassName + "\",$row);");
    for (const TReference& ref : references) {
        const std::string& lowerTypeName = ref.lowerTypeName;
        lines.Add("\t$smarty->assign(\"" + lowerTypeName + "List\",$" + lowerTypeName + "List);");
    }
    lines.Add("\t$smarty->display(\"" + lowerClassName + "_edit.html\");");
    lines.Add("}");
    return lines.Text();
}

std::string TPHPOperate::BuildEditOkAct() {
    const std::string& lowerClassName = lowerClassName_;
    const std::string& friendName = friendName_;
    const std::string keyName = KeyMember().memberName;
    TLineList lines;
    lines.Add(kHyphenLine);
    lines.Add("//-- 确定编辑" + friendName + "信息");
    lines.Add(kHyphenLine);
    lines.Add("if ($_REQUEST['act'] == 'editok')");
    lines.Add("{ ");
    lines.Add("\t/*--  接收表单传来数据  --*/");
    lines.Add("\t$" + lowerClassName + " = $_REQUEST['" + lowerClassName + "'];");
    lines.Add("\t/*--  查询数据表原数据  --*/");
    lines.Add("\t$sql = \"SELECT * FROM {$dbprefix}" + lowerClassName + " WHERE " + keyName + " = '\".$" +
              lowerClassName + "['" + keyName + "'].\"'\";");
    lines.Add("\t$query = $DB->query($sql); ");
    lines.Add("\twhile ($row = $DB->fetch_array($query)) {");
    lines.Add("\t\t$oldrow = $row;");
    lines.Add("\t}");
    for (const TMember& image : class_->ImageMembers()) {
        const std::string& memberName = image.memberName;
        const std::string submitted = "$" + lowerClassName + "['" + memberName + "']";
        lines.Add("\tif($oldrow['" + memberName + "'] != \"\")");
        lines.Add("\t{");
        lines.Add("\t\t/*--  对图片进行反序列化  --*/");
        lines.Add("\t\t$oldrow['" + memberName + "'] = unserialize(stripslashes($oldrow['" + memberName + "']));");
        lines.Add("\t\t/*--  判断图片是否改变  --*/");
        lines.Add("\t\tif (" + submitted + " != $oldrow['" + memberName + "']['cover_name']) {");
        lines.Add("\t\t\t$ext = strrchr(" + submitted + ",'.'); //取后缀");
        lines.Add("\t\t\t$filepath = substr(" + submitted + ",strrpos(" + submitted + ",'/')); //取路径");
        lines.Add("\t\t\t$filename = strrchr(" + submitted + ",'/'); //取文件名");
        lines.Add("\t\t\t/*--  复制图片  --*/");
        lines.Add("\t\t\t$fromdir = WEB_ROOT.substr(" + submitted + ",3);");
        lines.Add("\t\t\t$todir = WEB_ROOT.substr($oldrow['" + memberName + "']['cover_dir'],3).$oldrow['" +
                  memberName + "']['cover_name'];");
        lines.Add("\t\t\tcopy($fromdir,$todir); ");
        lines.Add("\t\t}");
        lines.Add("\t}");
        lines.Add("\telse");
        lines.Add("\t{");
        lines.Add("\t\t/*--  判断图片是否改变  --*/");
        lines.Add("\t\tif (" + submitted + " != \"\")");
        lines.Add("\t\t{");
        lines.Add("\t\t\t$coverpic = array();");
        lines.Add("\t\t\t/*--  复制图片  --*/");
        lines.Add("\t\t\t$fromdir = WEB_ROOT.substr(" + submitted + ",3); ");
        lines.Add("\t\t\t$dir1 = \"../attachments/picture/\".date('Y');");
        lines.Add("\t\t\t$dir2 = $dir1.'/'.date('m');");
        lines.Add("\t\t\t$cover_dir = $dir2.\"/cover/\";");
        lines.Add("\t\t\tcreatedir($dir1);");
        lines.Add("\t\t\tcreatedir($dir2);");
        lines.Add("\t\t\tcreatedir($cover_dir);");
        lines.Add("\t\t\tlist($usec, $sec) = explode(\" \",microtime());");
        lines.Add("\t\t\t$ext = pathinfo($fromdir);");
        lines.Add("\t\t\t$type = $ext['extension'];");
        lines.Add("\t\t\t$savename = substr($usec,2).'.'.$type;");
        lines.Add("\t\t\t$todir = WEB_ROOT.substr($cover_dir,3).$savename;");
        lines.Add("\t\t\t$coverpic['cover_dir'] = $cover_dir;");
        lines.Add("\t\t\t$coverpic['cover_name'] = $savename;");
        lines.Add("\t\t\t$sercoverpic = serialize($coverpic);");
        lines.Add("\t\t\tcopy($fromdir,$todir);");
        lines.Add("\t\t\t$sql = \"update {$dbprefix}" + lowerClassName + " SET " + memberName +
                  "='\".$sercoverpic.\"' where " + keyName + "='\".$" + lowerClassName + "['" + keyName +
                  "'].\"'\";");
        lines.Add("\t\t\t$DB->query($sql);");
        lines.Add("\t\t}");
        lines.Add("\t}");
    }
    lines.Add("\t/*--  更新" + friendName + "基本信息表  --*/");
    lines.Add("\t$sql = \"UPDATE {$dbprefix}" + lowerClassName + " SET \";");
    // Every plain column but the last is followed by a comma.
    const TMemberRefs plain = class_->PlainNonKeyMembers();
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const std::string& memberName = plain[i].get().memberName;
        const std::string ending = i + 1 < plain.size() ? ".\"',\";" : ".\"'\";";
        lines.Add("\t$sql = $sql.\"" + memberName + " = '\".$" + lowerClassName + "['" + memberName + "']" + ending);
    }
    lines.Add("\t$sql = $sql.\" WHERE " + keyName + " = '\".$" + lowerClassName + "['" + keyName + "'].\"'\";");
    lines.Add("\t$query = $DB->query($sql);");
    lines.Add("\tif ($query) {");
    lines.Add("\t\tshowmsg(\"" + friendName + "更新成功\",\"" + lowerClassName + ".php?act=show\");");
    lines.Add("\t} else {");
    lines.Add("\t\tshowmsg(\"" + friendName + "更新失败\");");
    lines.Add("\t}");
    lines.Add("}");
    return lines.Text();
}

TMember TPHPOperate::KeyMember() const {
    return RequireKeyMember(*class_);
}

TPHPOperate::TReference TPHPOperate::Resolve(const TMember& member) const {
    const TReferencedClass referenced = ResolveReference(*project_, className_, member);
    return {member, referenced.lowerTypeName, referenced.keyMember.memberName, referenced.displayMember.memberName,
            referenced.keyMember.memberIsInteger == 1};
}

std::vector<TPHPOperate::TReference> TPHPOperate::ReferenceMembers() const {
    std::vector<TReference> references;
    for (const TMember& member : class_->ReferenceMembers())
        references.push_back(Resolve(member));
    return references;
}

bool TPHPOperate::IsTextFilter(const TMember& member) {
    return member.memberType == kTypeString || member.memberType == kTypeDate;
}

} // namespace quorrel
