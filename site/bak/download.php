<?php
/**
 * 资料下载
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '资料下载';
require __DIR__ . '/header.php';
?>
<h1>资料下载</h1>
<p>这里列出可供下载的资料。把文件放到 attachments 目录下，再在本页添加链接。</p>
<?php require __DIR__ . '/footer.php'; ?>
