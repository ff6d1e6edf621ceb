<?php
/**
* FILE_NAME : article.php
* @link help/index.html
* @generated QuorrelPHP代码生成器 — 你的修改会保留：重新生成时与模型的修改合并
* @package 文章管理
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
//-- 显示文章列表
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'show')
{
	$sql = $query = $pages = '';
	$articleList = array();
	//获取查询的关键字
	$title = "";
	$title = $_GET['title'];
	$category = "";
	$category = $_GET['category'];
	/*--  查询复合查询字段信息  --*/
	[$categoryList, $categoryLarge] = site_reference_entries($DB, 'Category');
	$author = "";
	$author = $_GET['author'];
	if($author == "") $author = 0;
	/*--  查询复合查询字段信息  --*/
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	$publishDate = "";
	$publishDate = $_GET['publishDate'];

	/*--  处理分页数据  --*/
	$sql = "SELECT COUNT(*) AS allnum FROM {$dbprefix}article where 1=1";
	if($title != "")
		$sql .= " and title like '".$DB->like_contains(site_raw('title'))."'";
	if($category != "")
		$sql .= " and category='".$category."'";
	if($author != 0)
		$sql .= " and author='".$author."'";
	if($publishDate != "")
		$sql .= " and publishDate like '".$DB->like_contains(site_raw('publishDate'))."'";

	$query = $DB->query($sql); 
	$allnum = $DB->fetch_array($query)['allnum'];
	$perpage = 5;
	$curpage = isset($_GET['page']) ? min(max(1, intval($_GET['page'])), max(1, intval(ceil($allnum / $perpage)))) : 1;
	$php_self = "article.php?ack=show&title=".$title."&category=".$category."&author=".$author."&publishDate=".$publishDate."&operation=query";

	/*--  创建分页  --*/
	$pages = multi($allnum, $perpage, $curpage, $php_self, 10);
	if (($curpage-1) >= 0) {
		$step = $curpage-1;
	} else {
		$step = 0;
	}
	$startpage = $perpage * $step;
	$sql = "SELECT * FROM {$dbprefix}article where 1=1";
	if($title != "")
		$sql .= " and title like '".$DB->like_contains(site_raw('title'))."'";
	if($category != "")
		$sql .= " and category='".$category."'";
	if($author != 0)
		$sql .= " and author='".$author."'";
	if($publishDate != "")
		$sql .= " and publishDate like '".$DB->like_contains(site_raw('publishDate'))."'";

	if (site_export_requested()) site_export_csv($DB, 'Article', $sql);
	$query = $DB->query_page($sql, 'articleId', $allnum, $startpage, $perpage);
	while ($row = $DB->fetch_array($query))
	{
		if (site_stored_picture($row['cover'])) {
			$row['cover'] = site_stored_picture($row['cover']);
			$row['cover'] = $web_url.substr($row['cover']['cover_dir'],3).$row['cover']['cover_name'];
		}
		else
		{
			$row['cover'] = $web_url."attachments/picture/NoImage.jpg";
		}
		if (site_stored_picture($row['photo'])) {
			$row['photo'] = site_stored_picture($row['photo']);
			$row['photo'] = $web_url.substr($row['photo']['cover_dir'],3).$row['photo']['cover_name'];
		}
		else
		{
			$row['photo'] = $web_url."attachments/picture/NoImage.jpg";
		}
		$sql = "select * from  {$dbprefix}category where code='".$DB->escape($row["category"])."'";
		$query_category = $DB->query($sql);
		$row_category = $DB->fetch_array($query_category);
		$row['category'] = $row_category['title'];
		$sql = "select * from  {$dbprefix}user where userId='".$DB->escape($row["author"])."'";
		$query_user = $DB->query($sql);
		$row_user = $DB->fetch_array($query_user);
		$row['author'] = $row_user['userName'];
		$sql = "select * from  {$dbprefix}user where userId='".$DB->escape($row["editor"])."'";
		$query_user = $DB->query($sql);
		$row_user = $DB->fetch_array($query_user);
		$row['editor'] = $row_user['userName'];
		$articleList[] = $row;
	}

	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url",$web_url);
	$smarty->assign("articleList", $articleList);
	$smarty->assign("pages", $pages); 
	$smarty->assign("title",site_raw('title'));
	$smarty->assign("category",site_raw('category'));
	$smarty->assign("categoryList",$categoryList);
	$smarty->assign("categoryLarge",$categoryLarge);
	$smarty->assign("author",site_raw('author'));
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->assign("publishDate",site_raw('publishDate'));
	$smarty->display("article.html");
}

/*------------------------------------------------------ */
//-- 添加文章
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'add')
{
	[$categoryList, $categoryLarge] = site_reference_entries($DB, 'Category');
	$smarty->assign("categoryList",$categoryList);
	$smarty->assign("categoryLarge",$categoryLarge);
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->display("article_add.html");
}

/*------------------------------------------------------ */
//-- 提交添加文章信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'addok')
{
	require_once( WEB_ROOT."admin/include/admin_upload.class.php");
	require_once( WEB_ROOT."admin/include/admin_miniature.class.php");
	$coverpic = array();
	$article = $_REQUEST['article'];
	$sql = $query = $sercontent = '';
	$sercoverpic_cover = '';
	$coverpic = array();
	if ($_FILES['cover']['name'] != ''){
		/*--  实例化上传类  --*/
		$file = $_FILES['cover'];
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
		$sercoverpic_cover = serialize($coverpic);
	$sercoverpic_photo = '';
	$coverpic = array();
	if ($_FILES['photo']['name'] != ''){
		/*--  实例化上传类  --*/
		$file = $_FILES['photo'];
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
		$sercoverpic_photo = serialize($coverpic);
	/*--  写入文章信息表  --*/
	$sql = "INSERT INTO {$dbprefix}article (title,articleId,category,author,editor,cover,photo,content,publishDate,hits) VALUE (";
	$sql = $sql."'".$article['title']."',";
	$sql = $sql."'".$article['articleId']."',";
	$sql = $sql."'".$article['category']."',";
	$sql = $sql."'".$article['author']."',";
	$sql = $sql."'".$article['editor']."',";
	$sql = $sql."'".$DB->escape($sercoverpic_cover)."',";
	$sql = $sql."'".$DB->escape($sercoverpic_photo)."',";
	$sql = $sql."'".$article['content']."',";
	$sql = $sql."'".$article['publishDate']."',";
	$sql = $sql."'".$article['hits']."')";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("文章添加成功","article.php?act=show");
	}
}

/*------------------------------------------------------ */
//-- 删除文章
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'remove')
{
	$articleId = $_REQUEST['articleId'];
	$sql = $row = $query = '';
	$sql = "SELECT * FROM {$dbprefix}article WHERE articleId = '".$articleId."'";
	$query = $DB->query($sql);
	$row = $DB->fetch_array($query);
	$sql = "DELETE FROM {$dbprefix}article WHERE articleId = '".$articleId."'";
	$query = $DB->query($sql); 
	if (!$query || $DB->affected_rows() == 0) {
		showmsg("删除失败","article.php?act=show");
	}
	site_commit_change($DB);
	/*--  判断封面 C:\pics\是否为空  --*/
	if (site_stored_picture($row['cover'])) { 
		$row['cover'] = site_stored_picture($row['cover']);
		$filepath = $row['cover']['cover_dir']; 
		$filename = $row['cover']['cover_name'];
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
	/*--  判断是否为空  --*/
	if (site_stored_picture($row['photo'])) { 
		$row['photo'] = site_stored_picture($row['photo']);
		$filepath = $row['photo']['cover_dir']; 
		$filename = $row['photo']['cover_name'];
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
	showmsg("删除成功","article.php?act=show");
}

/*------------------------------------------------------ */
//-- 批量删除文章
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'delall')
{
	$delid = isset($_REQUEST['delid']) ? $_REQUEST['delid'] : '';
	$list = array();
	$list = is_array($delid) ? array_values($delid) : array();
	$deleted = 0;
	for ($i=0;$i<count($list);$i++) {
		$sql = $row = $query = '';
		$sql = "SELECT * FROM {$dbprefix}article WHERE articleId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$row = $DB->fetch_array($query); 
		$sql = "DELETE FROM {$dbprefix}article WHERE articleId = '".$list[$i]."'";
		$query = $DB->query($sql);
		$deleted += $DB->affected_rows();
		if ($DB->affected_rows() == 0) {
			continue;
		}
		/*--  判断封面 C:\pics\是否为空  --*/
		if (site_stored_picture($row['cover'])) {
			$row['cover'] = site_stored_picture($row['cover']);
			$filepath = $row['cover']['cover_dir'];
			$filename = $row['cover']['cover_name'];
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
		/*--  判断是否为空  --*/
		if (site_stored_picture($row['photo'])) {
			$row['photo'] = site_stored_picture($row['photo']);
			$filepath = $row['photo']['cover_dir'];
			$filename = $row['photo']['cover_name'];
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
		showmsg("删除成功","article.php?act=show");
	} else {
		showmsg("删除失败：勾选的".count($list)."条记录中有".(count($list)-$deleted)."条已不存在");
	}
}

/*------------------------------------------------------ */
//-- 编辑文章
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'edit')
{
	$articleId = $_REQUEST['articleId'];
	$sql = $query = '';
	/*--  查询所属分类信息  --*/
	[$categoryList, $categoryLarge] = site_reference_entries($DB, 'Category');
	/*--  查询作者's 笔名信息  --*/
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	/*--  查询信息  --*/
	[$userList, $userLarge] = site_reference_entries($DB, 'User');
	/*--  查询文章基本信息  --*/
	$sql = "SELECT * FROM {$dbprefix}article WHERE articleId = '$articleId'";
	$query = $DB->query($sql);
	$row= $DB->fetch_array($query);
	/*--  反序列化  --*/
	if (site_stored_picture($row['cover'])) {
	  $row['cover'] = site_stored_picture($row['cover']);
	  $row['cover'] = $row['cover']['cover_name'];
	}
	else
	{
	  $row['cover'] = '';
	}
	/*--  反序列化  --*/
	if (site_stored_picture($row['photo'])) {
	  $row['photo'] = site_stored_picture($row['photo']);
	  $row['photo'] = $row['photo']['cover_name'];
	}
	else
	{
	  $row['photo'] = '';
	}
	$article = $row;
	$smarty->assign("css_root", $css_root);
	$smarty->assign("web_url", $web_url);
	$smarty->assign("article",$row);
	$smarty->assign("categoryList",$categoryList);
	$smarty->assign("categoryLarge",$categoryLarge);
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->assign("userList",$userList);
	$smarty->assign("userLarge",$userLarge);
	$smarty->display("article_edit.html");
}

/*------------------------------------------------------ */
//-- 确定编辑文章信息
/*------------------------------------------------------ */
if ($_REQUEST['act'] == 'editok')
{ 
	/*--  接收表单传来数据  --*/
	$article = $_REQUEST['article'];
	/*--  查询数据表原数据  --*/
	$sql = "SELECT * FROM {$dbprefix}article WHERE articleId = '".$article['articleId']."'";
	$query = $DB->query($sql); 
	while ($row = $DB->fetch_array($query)) {
		$oldrow = $row;
	}
	if(site_stored_picture($oldrow['cover']))
	{
		/*--  对图片进行反序列化  --*/
		$oldrow['cover'] = site_stored_picture($oldrow['cover']);
		/*--  判断图片是否改变  --*/
		if ($article['cover'] != $oldrow['cover']['cover_name']) {
			$ext = strrchr($article['cover'],'.'); //取后缀
			$filepath = substr($article['cover'],strrpos($article['cover'],'/')); //取路径
			$filename = strrchr($article['cover'],'/'); //取文件名
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($article['cover'],3);
			$todir = WEB_ROOT.substr($oldrow['cover']['cover_dir'],3).$oldrow['cover']['cover_name'];
			copy($fromdir,$todir); 
		}
	}
	else
	{
		/*--  判断图片是否改变  --*/
		if ($article['cover'] != "")
		{
			$coverpic = array();
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($article['cover'],3); 
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
			$sql = "update {$dbprefix}article SET cover='".$DB->escape($sercoverpic)."' where articleId='".$article['articleId']."'";
			$DB->query($sql);
		}
	}
	if(site_stored_picture($oldrow['photo']))
	{
		/*--  对图片进行反序列化  --*/
		$oldrow['photo'] = site_stored_picture($oldrow['photo']);
		/*--  判断图片是否改变  --*/
		if ($article['photo'] != $oldrow['photo']['cover_name']) {
			$ext = strrchr($article['photo'],'.'); //取后缀
			$filepath = substr($article['photo'],strrpos($article['photo'],'/')); //取路径
			$filename = strrchr($article['photo'],'/'); //取文件名
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($article['photo'],3);
			$todir = WEB_ROOT.substr($oldrow['photo']['cover_dir'],3).$oldrow['photo']['cover_name'];
			copy($fromdir,$todir); 
		}
	}
	else
	{
		/*--  判断图片是否改变  --*/
		if ($article['photo'] != "")
		{
			$coverpic = array();
			/*--  复制图片  --*/
			$fromdir = WEB_ROOT.substr($article['photo'],3); 
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
			$sql = "update {$dbprefix}article SET photo='".$DB->escape($sercoverpic)."' where articleId='".$article['articleId']."'";
			$DB->query($sql);
		}
	}
	/*--  更新文章基本信息表  --*/
	$sql = "UPDATE {$dbprefix}article SET ";
	$sql = $sql."title = '".$article['title']."',";
	$sql = $sql."category = '".$article['category']."',";
	$sql = $sql."author = '".$article['author']."',";
	$sql = $sql."editor = '".$article['editor']."',";
	$sql = $sql."content = '".$article['content']."',";
	$sql = $sql."publishDate = '".$article['publishDate']."',";
	$sql = $sql."hits = '".$article['hits']."'";
	$sql = $sql." WHERE articleId = '".$article['articleId']."'";
	$query = $DB->query($sql);
	if ($query) {
		site_commit_change($DB);
		showmsg("文章更新成功","article.php?act=show");
	} else {
		showmsg("文章更新失败");
	}
}

