<?php
/**
 * 新闻内容
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '新闻内容';
require __DIR__ . '/header.php';
?>
<h1>网站正式上线</h1>
<p class="site-date"><?php echo date('Y-m-d'); ?></p>
<p>这里显示一篇新闻的正文。新闻可以在管理中心维护，本页按地址中的编号读取并显示即可。</p>
<p><a href="news.php">返回新闻列表</a></p>
<?php require __DIR__ . '/footer.php'; ?>
