<?php
/**
 * 关于我们
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '关于我们';
require __DIR__ . '/header.php';
?>
<h1>关于我们</h1>
<p>这里介绍公司或网站的基本情况：成立时间、主要业务、联系方式等。</p>
<p>请编辑 about.php 填写实际内容。</p>
<?php require __DIR__ . '/footer.php'; ?>
