<?php
/**
 * 图片详情
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '图片详情';
require __DIR__ . '/header.php';
?>
<h1>示例图片</h1>
<p><img src="attachments/picture/NoImage.jpg" alt="" /></p>
<p><a href="pictures.php">返回图片列表</a></p>
<?php require __DIR__ . '/footer.php'; ?>
