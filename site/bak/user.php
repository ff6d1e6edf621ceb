<?php
/**
 * 会员登录
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '会员登录';
require __DIR__ . '/header.php';
?>
<h1>会员登录</h1>
<p>本站暂未开放会员注册。会员功能可以按需要在本页实现。</p>
<p>网站管理员请进入 <a href="admin/index.php">管理中心</a>。</p>
<?php require __DIR__ . '/footer.php'; ?>
