<?php
/**
 * 产品详情
 * 本页是网站前台的示例页面，可直接修改下面的内容。
 */
define('IN_WEB', true);
$page_title = '产品详情';
require __DIR__ . '/header.php';
?>
<h1>示例产品</h1>
<p><img src="attachments/picture/NoImage.jpg" alt="" /></p>
<p>这里显示产品的详细介绍、规格和价格。</p>
<p><a href="produces.php">返回产品列表</a></p>
<?php require __DIR__ . '/footer.php'; ?>
