<?php
/**
 * 图片展示
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '图片展示';
require __DIR__ . '/header.php';
?>
<h1>图片展示</h1>
<ul class="site-grid">
  <li><a href="picture.php"><img src="attachments/picture/NoImage.jpg" alt="" /><span>示例图片</span></a></li>
</ul>
<?php require __DIR__ . '/footer.php'; ?>
