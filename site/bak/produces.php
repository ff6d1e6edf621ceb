<?php
/**
 * 产品展示
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '产品展示';
require __DIR__ . '/header.php';
?>
<h1>产品展示</h1>
<ul class="site-grid">
  <li><a href="produce.php"><img src="attachments/picture/NoImage.jpg" alt="" /><span>示例产品</span></a></li>
</ul>
<?php require __DIR__ . '/footer.php'; ?>
