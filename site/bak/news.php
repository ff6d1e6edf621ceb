<?php
/**
 * 新闻动态
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '新闻动态';
require __DIR__ . '/header.php';
?>
<h1>新闻动态</h1>
<ul class="site-list">
  <li><a href="newsc.php">网站正式上线</a> <span class="site-date"><?php echo date('Y-m-d'); ?></span></li>
</ul>
<p class="site-note">新闻列表可以改为从数据库读取，见 newsc.php 的说明。</p>
<?php require __DIR__ . '/footer.php'; ?>
