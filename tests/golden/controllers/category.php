<?php
/**
* FILE_NAME : category.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 管理
* @subpackage
* @version 1.0
*/

define('IN_WEB', TRUE);

require_once( str_replace('\\', '/', dirname(__FILE__)). '/include/global.php');

/* act操作项的初始化 */
if (empty($_REQUEST['act'])) {
    $_REQUEST['act'] = 'show';
} else {
    $_REQUEST['act'] = trim($_REQUEST['act']);
}

/*------------------------------------------------------ */
//-- 显示列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$categoryList = array();

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}category where 1=1";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "category.php?ack=show&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}category where 1=1";

	if (site_export_requested()) site_export_csv($DB, 'Category', $sql);
	$query = $DB->query_page($sql, 'code', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		$categoryList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("categoryList", $categoryList);
	$smarty->assign("pages", $pages); 
	$smarty->display("category.html");
}

/*------------------------------------------------------ */
//-- 添加
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("category_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$category = $_REQUEST['category'];
	$sql = $query = $sercontent = '';
	/*--  写入信息表  --*/
	$sql = "INSERT INTO {$dbprefix}category (code,title) VALUE (";
	$sql = $sql."'".$category['code']."',";
	$sql = $sql."'".$category['title']."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("添加成功","category.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$code = $_REQUEST['code'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}category WHERE code = '".$code."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}category WHERE code = '".$code."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","category.php?act=show");
	}
	site_commit_change($DB);
	showmsg("删除成功","category.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}category WHERE code = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}category WHERE code = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
	}
	site_commit_change($DB);
	if ($deleted > 0 && $deleted == count($list)) {
		showmsg("删除成功","category.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$code = $_REQUEST['code'];
	$sql = $query = '';
	/*--  查询基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}category WHERE code = '$code'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	$category = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("category",$row);
	$smarty->display("category_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$category = $_REQUEST['category'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}category WHERE code = '".$category['code']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	/*--  更新基本信息表  --*/
	$sql = "UPDATE {$dbprefix}category SET ";
	$sql = $sql."title = '".$category['title']."'";
	$sql = $sql." WHERE code = '".$category['code']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("更新成功","category.php?act=show");
	} else {
		showmsg("更新失败");
	}
}

