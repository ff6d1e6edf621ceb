<?php
/**
* FILE_NAME : 9Part.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 零件管理
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
//-- 显示零件列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$9PartList = array();

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}9Part where 1=1";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "9Part.php?ack=show&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}9Part where 1=1";

	if (site_export_requested()) site_export_csv($DB, '9Part', $sql);
	$query = $DB->query_page($sql, 'partId', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		if (site_stored_picture($row['drawing'])) {
			$row['drawing'] = site_stored_picture($row['drawing']);
			$row['drawing'] = $web_url.substr($row['drawing']['cover_dir'],3).$row['drawing']['cover_name'];
		}
		else
		{
			$row['drawing'] = $web_url."attachments/picture/NoImage.jpg";
		}
		$sql = "select * from  {$dbprefix}3DModel where modelCode='".$DB->escape($row["model"])."'";
		$query_3DModel = $DB->query($sql);
		$row_3DModel = $DB->fetch_array($query_3DModel);
		$row['model'] = $row_3DModel['modelName'];
		$9PartList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("9PartList", $9PartList);
	$smarty->assign("pages", $pages); 
	$smarty->display("9Part.html");
}

/*------------------------------------------------------ */
//-- 添加零件
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	[$3DModelList, $3DModelLarge] = site_reference_entries($DB, '3DModel');
	$smarty->assign("3DModelList",$3DModelList);
	$smarty->assign("3DModelLarge",$3DModelLarge);
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("9Part_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加零件信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$9Part = $_REQUEST['9Part'];
	$sql = $query = $sercontent = '';
	$sercoverpic_drawing = '';
	$coverpic = array();
	if ($_FILES['drawing']['name'] != ''){
		/*--  实例化上传类  --*/
		$file = $_FILES['drawing'];
		$upload_path = '../attachments/picture';
		$allow_type = array('jpg','bmp','png','gif','jpeg');
		$max_size=2048000;

		$upload = new upFiles($file, $upload_path, $max_size, $allow_type);
		$upload->upload();
		$pic = $upload->getSaveFileInfo();

		/*--  缩略图  --*/
		$m=new Miniature();
		$str_file = WEB_ROOT.substr($pic['file'],2);
		$m->ReadImage($str_file);
		$m->ResizeImage(200,130);//智能缩小
		$m->ImageType=4;//保存成jpg格式
		$cover_name=$pic['basename'];
		$m->SaveImage($pic['cover_dir'],$cover_name);

		$coverpic['cover_dir'] = $pic['cover_dir'];
		$coverpic['cover_name'] = $cover_name.'.jpg';
		$m->DestroyImage();//销毁图片
	}
	if(count($coverpic) > 0)
		$sercoverpic_drawing = serialize($coverpic);
	/*--  写入零件信息表  --*/
	$sql = "INSERT INTO {$dbprefix}9Part (partId,partName,model,drawing) VALUE (";
	$sql = $sql."'".$9Part['partId']."',";
	$sql = $sql."'".$9Part['partName']."',";
	$sql = $sql."'".$9Part['model']."',";
	$sql = $sql."'".$DB->escape($sercoverpic_drawing)."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("零件添加成功","9Part.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除零件
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$partId = $_REQUEST['partId'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}9Part WHERE partId = '".$partId."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}9Part WHERE partId = '".$partId."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","9Part.php?act=show");
	}
	site_commit_change($DB);
	/*--  判断图纸是否为空  --*/
	if (site_stored_picture($row['drawing'])) { 
		$row['drawing'] = site_stored_picture($row['drawing']);
		$filepath = $row['drawing']['cover_dir']; 
		$filename = $row['drawing']['cover_name'];
		/*--  开始删除  --*/
		$dir = WEB_ROOT.substr($filepath,3);
		//打开 images 目录
		$dirhandle = opendir($dir);
		/*--  列出 images 目录中的文件  --*/
		while (($file = readdir($dirhandle)) !== false)
		{
		  	if ($file == $filename) {
		  		$file = $dir.$filename;
		  		@unlink($file);
		  	}
		}
		closedir($dirhandle);
		site_remove_picture_original($filepath, $filename);
	}
	showmsg("删除成功","9Part.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除零件
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}9Part WHERE partId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}9Part WHERE partId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
		/*--  判断图纸是否为空  --*/
		if (site_stored_picture($row['drawing'])) {
			$row['drawing'] = site_stored_picture($row['drawing']);
			$filepath = $row['drawing']['cover_dir'];
			$filename = $row['drawing']['cover_name'];
			/*--  开始删除  --*/
			$dir = WEB_ROOT.substr($filepath,3);
			//打开 images 目录
			$dirhandle = opendir($dir);
			/*--  列出 images 目录中的文件  --*/
			while (($file = readdir($dirhandle)) !== false)
			{
				if ($file == $filename) {
					$file = $dir.$filename;
					@unlink($file);
				}
			}
			closedir($dirhandle);
			site_remove_picture_original($filepath, $filename);
		}
	}
	site_commit_change($DB);
	if ($deleted > 0 && $deleted == count($list)) {
		showmsg("删除成功","9Part.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑零件
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$partId = $_REQUEST['partId'];
	$sql = $query = '';
	/*--  查询所属模型信息  --*/
	[$3DModelList, $3DModelLarge] = site_reference_entries($DB, '3DModel');
	/*--  查询零件基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}9Part WHERE partId = '$partId'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	/*--  反序列化  --*/
	if (site_stored_picture($row['drawing'])) {
	  $row['drawing'] = site_stored_picture($row['drawing']);
	  $row['drawing'] = $row['drawing']['cover_name'];
	}
	else
	{
	  $row['drawing'] = '';
	}
	$9Part = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("9Part",$row);
	$smarty->assign("3DModelList",$3DModelList);
	$smarty->assign("3DModelLarge",$3DModelLarge);
	$smarty->display("9Part_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑零件信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$9Part = $_REQUEST['9Part'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}9Part WHERE partId = '".$9Part['partId']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	if(site_stored_picture($oldrow['drawing']))
	{
		/*--  对图片进行反序列化  --*/
		$oldrow['drawing'] = site_stored_picture($oldrow['drawing']);
		/*--  判断图片是否改变  --*/
		if ($9Part['drawing'] != $oldrow['drawing']['cover_name']) {
			$ext = strrchr($9Part['drawing'],'.'); //取后缀
			$filepath = substr($9Part['drawing'],strrpos($9Part['drawing'],'/')); //取路径
			$filename = strrchr($9Part['drawing'],'/'); //取文件名
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($9Part['drawing'],3);
			$todir = WEB_ROOT.substr($oldrow['drawing']['cover_dir'],3).$oldrow['drawing']['cover_name'];
			copy($fromdir,$todir); 
		}
	}
	else
	{
		/*--  判断图片是否改变  --*/
		if ($9Part['drawing'] != "")
		{
			$coverpic = array();
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($9Part['drawing'],3); 
			$dir1 = "../attachments/picture/".date('Y');
			$dir2 = $dir1.'/'.date('m');
			$cover_dir = $dir2."/cover/";
			createdir($dir1);
			createdir($dir2);
			createdir($cover_dir);
			list($usec, $sec) = explode(" ",microtime());
			$ext = pathinfo($fromdir);
			$type = $ext['extension'];
			$savename = substr($usec,2).'.'.$type;
			$todir = WEB_ROOT.substr($cover_dir,3).$savename;
			$coverpic['cover_dir'] = $cover_dir;
			$coverpic['cover_name'] = $savename;
			$sercoverpic = serialize($coverpic);
			copy($fromdir,$todir);
			$sql = "update {$dbprefix}9Part SET drawing='".$DB->escape($sercoverpic)."' where partId='".$9Part['partId']."'";
			$DB->query($sql);
		}
	}
	/*--  更新零件基本信息表  --*/
	$sql = "UPDATE {$dbprefix}9Part SET ";
	$sql = $sql."partName = '".$9Part['partName']."',";
	$sql = $sql."model = '".$9Part['model']."'";
	$sql = $sql." WHERE partId = '".$9Part['partId']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("零件更新成功","9Part.php?act=show");
	} else {
		showmsg("零件更新失败");
	}
}

