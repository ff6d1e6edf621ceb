<?php
/**
 * 会员中心
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '会员中心';
require __DIR__ . '/header.php';
?>
<h1>会员中心</h1>
<p>这里显示会员的资料和常用功能。请先 <a href="user.php">登录</a>。</p>
<?php require __DIR__ . '/footer.php'; ?>
