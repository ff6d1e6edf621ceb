<?php
/**
* FILE_NAME : user.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 用户管理
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
//-- 显示用户列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$userList = array();
	//获取查询的关键字
	$userName = "";
	$userName = $_GET['userName'];
	$birthday = "";
	$birthday = $_GET['birthday'];

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}user where 1=1";
	if($userName != "")
		$sql .= " and userName like '".$DB->like_contains(site_raw('userName'))."'";
	if($birthday != "")
		$sql .= " and birthday like '".$DB->like_contains(site_raw('birthday'))."'";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "user.php?ack=show&userName=".$userName."&birthday=".$birthday."&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}user where 1=1";
	if($userName != "")
		$sql .= " and userName like '".$DB->like_contains(site_raw('userName'))."'";
	if($birthday != "")
		$sql .= " and birthday like '".$DB->like_contains(site_raw('birthday'))."'";

	if (site_export_requested()) site_export_csv($DB, 'User', $sql);
	$query = $DB->query_page($sql, 'userId', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		if (site_stored_picture($row['avatar'])) {
			$row['avatar'] = site_stored_picture($row['avatar']);
			$row['avatar'] = $web_url.substr($row['avatar']['cover_dir'],3).$row['avatar']['cover_name'];
		}
		else
		{
			$row['avatar'] = $web_url."attachments/picture/NoImage.jpg";
		}
		$userList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("userList", $userList);
	$smarty->assign("pages", $pages); 
	$smarty->assign("userName",site_raw('userName'));
	$smarty->assign("birthday",site_raw('birthday'));
	$smarty->display("user.html");
}

/*------------------------------------------------------ */
//-- 添加用户
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("user_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加用户信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$user = $_REQUEST['user'];
	$sql = $query = $sercontent = '';
	$sercoverpic_avatar = '';
	$coverpic = array();
	if ($_FILES['avatar']['name'] != ''){
		/*--  实例化上传类  --*/
		$file = $_FILES['avatar'];
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
		$sercoverpic_avatar = serialize($coverpic);
	/*--  写入用户信息表  --*/
	$sql = "INSERT INTO {$dbprefix}user (userId,userName,birthday,score,avatar,age) VALUE (";
	$sql = $sql."'".$user['userId']."',";
	$sql = $sql."'".$user['userName']."',";
	$sql = $sql."'".$user['birthday']."',";
	$sql = $sql."'".$user['score']."',";
	$sql = $sql."'".$DB->escape($sercoverpic_avatar)."',";
	$sql = $sql."'".$user['age']."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("用户添加成功","user.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除用户
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$userId = $_REQUEST['userId'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}user WHERE userId = '".$userId."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}user WHERE userId = '".$userId."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","user.php?act=show");
	}
	site_commit_change($DB);
	/*--  判断头像是否为空  --*/
	if (site_stored_picture($row['avatar'])) { 
		$row['avatar'] = site_stored_picture($row['avatar']);
		$filepath = $row['avatar']['cover_dir']; 
		$filename = $row['avatar']['cover_name'];
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
	showmsg("删除成功","user.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除用户
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}user WHERE userId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}user WHERE userId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
		/*--  判断头像是否为空  --*/
		if (site_stored_picture($row['avatar'])) {
			$row['avatar'] = site_stored_picture($row['avatar']);
			$filepath = $row['avatar']['cover_dir'];
			$filename = $row['avatar']['cover_name'];
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
		showmsg("删除成功","user.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑用户
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$userId = $_REQUEST['userId'];
	$sql = $query = '';
	/*--  查询用户基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}user WHERE userId = '$userId'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	/*--  反序列化  --*/
	if (site_stored_picture($row['avatar'])) {
	  $row['avatar'] = site_stored_picture($row['avatar']);
	  $row['avatar'] = $row['avatar']['cover_name'];
	}
	else
	{
	  $row['avatar'] = '';
	}
	$user = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("user",$row);
	$smarty->display("user_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑用户信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$user = $_REQUEST['user'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}user WHERE userId = '".$user['userId']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	if(site_stored_picture($oldrow['avatar']))
	{
		/*--  对图片进行反序列化  --*/
		$oldrow['avatar'] = site_stored_picture($oldrow['avatar']);
		/*--  判断图片是否改变  --*/
		if ($user['avatar'] != $oldrow['avatar']['cover_name']) {
			$ext = strrchr($user['avatar'],'.'); //取后缀
			$filepath = substr($user['avatar'],strrpos($user['avatar'],'/')); //取路径
			$filename = strrchr($user['avatar'],'/'); //取文件名
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($user['avatar'],3);
			$todir = WEB_ROOT.substr($oldrow['avatar']['cover_dir'],3).$oldrow['avatar']['cover_name'];
			copy($fromdir,$todir); 
		}
	}
	else
	{
		/*--  判断图片是否改变  --*/
		if ($user['avatar'] != "")
		{
			$coverpic = array();
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($user['avatar'],3); 
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
			$sql = "update {$dbprefix}user SET avatar='".$DB->escape($sercoverpic)."' where userId='".$user['userId']."'";
			$DB->query($sql);
		}
	}
	/*--  更新用户基本信息表  --*/
	$sql = "UPDATE {$dbprefix}user SET ";
	$sql = $sql."userName = '".$user['userName']."',";
	$sql = $sql."birthday = '".$user['birthday']."',";
	$sql = $sql."score = '".$user['score']."',";
	$sql = $sql."age = '".$user['age']."'";
	$sql = $sql." WHERE userId = '".$user['userId']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("用户更新成功","user.php?act=show");
	} else {
		showmsg("用户更新失败");
	}
}

