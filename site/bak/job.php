<?php
/**
 * 人才招聘
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '人才招聘';
require __DIR__ . '/header.php';
?>
<h1>人才招聘</h1>
<p>这里发布招聘职位、岗位要求和联系方式。</p>
<?php require __DIR__ . '/footer.php'; ?>
