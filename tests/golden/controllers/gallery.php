<?php
/**
* FILE_NAME : gallery.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 相册管理
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
//-- 显示相册列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$galleryList = array();

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}gallery where 1=1";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "gallery.php?ack=show&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}gallery where 1=1";

	if (site_export_requested()) site_export_csv($DB, 'Gallery', $sql);
	$query = $DB->query_page($sql, 'galleryId', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		if (site_stored_picture($row['picture'])) {
			$row['picture'] = site_stored_picture($row['picture']);
			$row['picture'] = $web_url.substr($row['picture']['cover_dir'],3).$row['picture']['cover_name'];
		}
		else
		{
			$row['picture'] = $web_url."attachments/picture/NoImage.jpg";
		}
		$galleryList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("galleryList", $galleryList);
	$smarty->assign("pages", $pages); 
	$smarty->display("gallery.html");
}

/*------------------------------------------------------ */
//-- 添加相册
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("gallery_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加相册信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$gallery = $_REQUEST['gallery'];
	$sql = $query = $sercontent = '';
	$sercoverpic_picture = '';
	$coverpic = array();
	if ($_FILES['picture']['name'] != ''){
		/*--  实例化上传类  --*/
		$file = $_FILES['picture'];
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
		$sercoverpic_picture = serialize($coverpic);
	/*--  写入相册信息表  --*/
	$sql = "INSERT INTO {$dbprefix}gallery (galleryId,picture) VALUE (";
	$sql = $sql."'".$gallery['galleryId']."',";
	$sql = $sql."'".$DB->escape($sercoverpic_picture)."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("相册添加成功","gallery.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除相册
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$galleryId = $_REQUEST['galleryId'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}gallery WHERE galleryId = '".$galleryId."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}gallery WHERE galleryId = '".$galleryId."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","gallery.php?act=show");
	}
	site_commit_change($DB);
	/*--  判断图片是否为空  --*/
	if (site_stored_picture($row['picture'])) { 
		$row['picture'] = site_stored_picture($row['picture']);
		$filepath = $row['picture']['cover_dir']; 
		$filename = $row['picture']['cover_name'];
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
	showmsg("删除成功","gallery.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除相册
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}gallery WHERE galleryId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}gallery WHERE galleryId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
		/*--  判断图片是否为空  --*/
		if (site_stored_picture($row['picture'])) {
			$row['picture'] = site_stored_picture($row['picture']);
			$filepath = $row['picture']['cover_dir'];
			$filename = $row['picture']['cover_name'];
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
		showmsg("删除成功","gallery.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑相册
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$galleryId = $_REQUEST['galleryId'];
	$sql = $query = '';
	/*--  查询相册基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}gallery WHERE galleryId = '$galleryId'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	/*--  反序列化  --*/
	if (site_stored_picture($row['picture'])) {
	  $row['picture'] = site_stored_picture($row['picture']);
	  $row['picture'] = $row['picture']['cover_name'];
	}
	else
	{
	  $row['picture'] = '';
	}
	$gallery = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("gallery",$row);
	$smarty->display("gallery_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑相册信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$gallery = $_REQUEST['gallery'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}gallery WHERE galleryId = '".$gallery['galleryId']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	if(site_stored_picture($oldrow['picture']))
	{
		/*--  对图片进行反序列化  --*/
		$oldrow['picture'] = site_stored_picture($oldrow['picture']);
		/*--  判断图片是否改变  --*/
		if ($gallery['picture'] != $oldrow['picture']['cover_name']) {
			$ext = strrchr($gallery['picture'],'.'); //取后缀
			$filepath = substr($gallery['picture'],strrpos($gallery['picture'],'/')); //取路径
			$filename = strrchr($gallery['picture'],'/'); //取文件名
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($gallery['picture'],3);
			$todir = WEB_ROOT.substr($oldrow['picture']['cover_dir'],3).$oldrow['picture']['cover_name'];
			copy($fromdir,$todir); 
		}
	}
	else
	{
		/*--  判断图片是否改变  --*/
		if ($gallery['picture'] != "")
		{
			$coverpic = array();
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($gallery['picture'],3); 
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
			$sql = "update {$dbprefix}gallery SET picture='".$DB->escape($sercoverpic)."' where galleryId='".$gallery['galleryId']."'";
			$DB->query($sql);
		}
	}
	/*--  更新相册基本信息表  --*/
	$sql = "UPDATE {$dbprefix}gallery SET ";
	$sql = $sql." WHERE galleryId = '".$gallery['galleryId']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("相册更新成功","gallery.php?act=show");
	} else {
		showmsg("相册更新失败");
	}
}

