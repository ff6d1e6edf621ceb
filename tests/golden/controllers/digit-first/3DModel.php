<?php
/**
* FILE_NAME : 3DModel.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 3D模型管理
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
//-- 显示3D模型列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$3DModelList = array();
	//获取查询的关键字
	$part = "";
	$part = $_GET['part'];
	if($part == "") $part = 0;
	/*--  查询复合查询字段信息  --*/
	[$9PartList, $9PartLarge] = site_reference_entries($DB, '9Part');

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}3DModel where 1=1";
	if($part != 0)
		$sql .= " and part='".$part."'";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "3DModel.php?ack=show&part=".$part."&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}3DModel where 1=1";
	if($part != 0)
		$sql .= " and part='".$part."'";

	if (site_export_requested()) site_export_csv($DB, '3DModel', $sql);
	$query = $DB->query_page($sql, 'modelCode', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		$sql = "select * from  {$dbprefix}9Part where partId='".$DB->escape($row["part"])."'";
		$query_9Part = $DB->query($sql);
		$row_9Part = $DB->fetch_array($query_9Part);
		$row['part'] = $row_9Part['partName'];
		$3DModelList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("3DModelList", $3DModelList);
	$smarty->assign("pages", $pages); 
	$smarty->assign("part",site_raw('part'));
	$smarty->assign("9PartList",$9PartList);
	$smarty->assign("9PartLarge",$9PartLarge);
	$smarty->display("3DModel.html");
}

/*------------------------------------------------------ */
//-- 添加3D模型
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	[$9PartList, $9PartLarge] = site_reference_entries($DB, '9Part');
	$smarty->assign("9PartList",$9PartList);
	$smarty->assign("9PartLarge",$9PartLarge);
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("3DModel_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加3D模型信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$3DModel = $_REQUEST['3DModel'];
	$sql = $query = $sercontent = '';
	/*--  写入3D模型信息表  --*/
	$sql = "INSERT INTO {$dbprefix}3DModel (modelCode,modelName,part) VALUE (";
	$sql = $sql."'".$3DModel['modelCode']."',";
	$sql = $sql."'".$3DModel['modelName']."',";
	$sql = $sql."'".$3DModel['part']."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("3D模型添加成功","3DModel.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除3D模型
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$modelCode = $_REQUEST['modelCode'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}3DModel WHERE modelCode = '".$modelCode."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}3DModel WHERE modelCode = '".$modelCode."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","3DModel.php?act=show");
	}
	site_commit_change($DB);
	showmsg("删除成功","3DModel.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除3D模型
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}3DModel WHERE modelCode = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}3DModel WHERE modelCode = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
	}
	site_commit_change($DB);
	if ($deleted > 0 && $deleted == count($list)) {
		showmsg("删除成功","3DModel.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑3D模型
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$modelCode = $_REQUEST['modelCode'];
	$sql = $query = '';
	/*--  查询零件信息  --*/
	[$9PartList, $9PartLarge] = site_reference_entries($DB, '9Part');
	/*--  查询3D模型基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}3DModel WHERE modelCode = '$modelCode'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	$3DModel = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("3DModel",$row);
	$smarty->assign("9PartList",$9PartList);
	$smarty->assign("9PartLarge",$9PartLarge);
	$smarty->display("3DModel_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑3D模型信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$3DModel = $_REQUEST['3DModel'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}3DModel WHERE modelCode = '".$3DModel['modelCode']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	/*--  更新3D模型基本信息表  --*/
	$sql = "UPDATE {$dbprefix}3DModel SET ";
	$sql = $sql."modelName = '".$3DModel['modelName']."',";
	$sql = $sql."part = '".$3DModel['part']."'";
	$sql = $sql." WHERE modelCode = '".$3DModel['modelCode']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("3D模型更新成功","3DModel.php?act=show");
	} else {
		showmsg("3D模型更新失败");
	}
}

