<?php
/**
* FILE_NAME : 商品.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 商品信息管理
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
//-- 显示商品信息列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$商品List = array();
	//获取查询的关键字
	$maker = "";
	$maker = $_GET['maker'];
	if($maker == "") $maker = 0;
	/*--  查询复合查询字段信息  --*/
	[$userList, $userLarge] = site_reference_entries($DB, 'User');

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}商品 where 1=1";
	if($maker != 0)
		$sql .= " and maker='".$maker."'";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "商品.php?ack=show&maker=".$maker."&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}商品 where 1=1";
	if($maker != 0)
		$sql .= " and maker='".$maker."'";

	if (site_export_requested()) site_export_csv($DB, '商品', $sql);
	$query = $DB->query_page($sql, 'goodsId', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		$sql = "select * from  {$dbprefix}category where code='".$DB->escape($row["kind"])."'";
		$query_category = $DB->query($sql);
		$row_category = $DB->fetch_array($query_category);
		$row['kind'] = $row_category['title'];
		$sql = "select * from  {$dbprefix}user where userId='".$DB->escape($row["maker"])."'";
		$query_user = $DB->query($sql);
		$row_user = $DB->fetch_array($query_user);
		$row['maker'] = $row_user['userName'];
		$商品List[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("商品List", $商品List);
	$smarty->assign("pages", $pages); 
	$smarty->assign("maker",site_raw('maker'));
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->display("商品.html");
}

/*------------------------------------------------------ */
//-- 添加商品信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	[$categoryList, $categoryLarge] = site_reference_entries($DB, 'Category');
	$smarty->assign("categoryList",$categoryList);
	$smarty->assign("categoryLarge",$categoryLarge);
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("商品_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加商品信息信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$商品 = $_REQUEST['商品'];
	$sql = $query = $sercontent = '';
	/*--  写入商品信息信息表  --*/
	$sql = "INSERT INTO {$dbprefix}商品 (goodsId,goodsName,kind,price,maker) VALUE (";
	$sql = $sql."'".$商品['goodsId']."',";
	$sql = $sql."'".$商品['goodsName']."',";
	$sql = $sql."'".$商品['kind']."',";
	$sql = $sql."'".$商品['price']."',";
	$sql = $sql."'".$商品['maker']."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("商品信息添加成功","商品.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除商品信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$goodsId = $_REQUEST['goodsId'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}商品 WHERE goodsId = '".$goodsId."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}商品 WHERE goodsId = '".$goodsId."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","商品.php?act=show");
	}
	site_commit_change($DB);
	showmsg("删除成功","商品.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除商品信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}商品 WHERE goodsId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}商品 WHERE goodsId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
	}
	site_commit_change($DB);
	if ($deleted > 0 && $deleted == count($list)) {
		showmsg("删除成功","商品.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑商品信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$goodsId = $_REQUEST['goodsId'];
	$sql = $query = '';
	/*--  查询类别信息  --*/
	[$categoryList, $categoryLarge] = site_reference_entries($DB, 'Category');
	/*--  查询厂家信息  --*/
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	/*--  查询商品信息基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}商品 WHERE goodsId = '$goodsId'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	$商品 = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("商品",$row);
	$smarty->assign("categoryList",$categoryList);
	$smarty->assign("categoryLarge",$categoryLarge);
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->display("商品_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑商品信息信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$商品 = $_REQUEST['商品'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}商品 WHERE goodsId = '".$商品['goodsId']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	/*--  更新商品信息基本信息表  --*/
	$sql = "UPDATE {$dbprefix}商品 SET ";
	$sql = $sql."goodsName = '".$商品['goodsName']."',";
	$sql = $sql."kind = '".$商品['kind']."',";
	$sql = $sql."price = '".$商品['price']."',";
	$sql = $sql."maker = '".$商品['maker']."'";
	$sql = $sql." WHERE goodsId = '".$商品['goodsId']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("商品信息更新成功","商品.php?act=show");
	} else {
		showmsg("商品信息更新失败");
	}
}

