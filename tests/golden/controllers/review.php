<?php
/**
* FILE_NAME : review.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 评价管理
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
//-- 显示评价列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$reviewList = array();
	//获取查询的关键字
	$goods = "";
	$goods = $_GET['goods'];
	if($goods == "") $goods = 0;
	/*--  查询复合查询字段信息  --*/
	[$商品List, $商品Large] = site_reference_entries($DB, '商品');

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}review where 1=1";
	if($goods != 0)
		$sql .= " and goods='".$goods."'";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "review.php?ack=show&goods=".$goods."&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}review where 1=1";
	if($goods != 0)
		$sql .= " and goods='".$goods."'";

	if (site_export_requested()) site_export_csv($DB, 'review', $sql);
	$query = $DB->query_page($sql, 'reviewId', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		$sql = "select * from  {$dbprefix}商品 where goodsId='".$DB->escape($row["goods"])."'";
		$query_商品 = $DB->query($sql);
		$row_商品 = $DB->fetch_array($query_商品);
		$row['goods'] = $row_商品['goodsName'];
		$reviewList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("reviewList", $reviewList);
	$smarty->assign("pages", $pages); 
	$smarty->assign("goods",site_raw('goods'));
	$smarty->assign("商品List",$商品List);
	$smarty->assign("商品Large",$商品Large);
	$smarty->display("review.html");
}

/*------------------------------------------------------ */
//-- 添加评价
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	[$商品List, $商品Large] = site_reference_entries($DB, '商品');
	$smarty->assign("商品List",$商品List);
	$smarty->assign("商品Large",$商品Large);
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("review_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加评价信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$review = $_REQUEST['review'];
	$sql = $query = $sercontent = '';
	/*--  写入评价信息表  --*/
	$sql = "INSERT INTO {$dbprefix}review (reviewId,goods,text) VALUE (";
	$sql = $sql."'".$review['reviewId']."',";
	$sql = $sql."'".$review['goods']."',";
	$sql = $sql."'".$review['text']."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("评价添加成功","review.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除评价
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$reviewId = $_REQUEST['reviewId'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}review WHERE reviewId = '".$reviewId."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}review WHERE reviewId = '".$reviewId."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","review.php?act=show");
	}
	site_commit_change($DB);
	showmsg("删除成功","review.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除评价
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}review WHERE reviewId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}review WHERE reviewId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
	}
	site_commit_change($DB);
	if ($deleted > 0 && $deleted == count($list)) {
		showmsg("删除成功","review.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑评价
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$reviewId = $_REQUEST['reviewId'];
	$sql = $query = '';
	/*--  查询商品信息  --*/
	[$商品List, $商品Large] = site_reference_entries($DB, '商品');
	/*--  查询评价基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}review WHERE reviewId = '$reviewId'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	$review = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("review",$row);
	$smarty->assign("商品List",$商品List);
	$smarty->assign("商品Large",$商品Large);
	$smarty->display("review_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑评价信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$review = $_REQUEST['review'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}review WHERE reviewId = '".$review['reviewId']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	/*--  更新评价基本信息表  --*/
	$sql = "UPDATE {$dbprefix}review SET ";
	$sql = $sql."goods = '".$review['goods']."',";
	$sql = $sql."text = '".$review['text']."'";
	$sql = $sql." WHERE reviewId = '".$review['reviewId']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("评价更新成功","review.php?act=show");
	} else {
		showmsg("评价更新失败");
	}
}

