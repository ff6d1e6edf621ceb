<?php
/**
 * 友情链接
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '友情链接';
require __DIR__ . '/header.php';
?>
<h1>友情链接</h1>
<ul class="site-list">
  <li><a href="index.php">本站首页</a></li>
</ul>
<?php require __DIR__ . '/footer.php'; ?>
