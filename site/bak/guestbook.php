<?php
/**
 * 在线留言
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '在线留言';
require __DIR__ . '/header.php';
?>
<h1>在线留言</h1>
<p>欢迎留下您的意见和建议。留言功能可以用管理中心的数据表实现：在模型中增加“留言”类，生成后在本页加入留言表单。</p>
<?php require __DIR__ . '/footer.php'; ?>
