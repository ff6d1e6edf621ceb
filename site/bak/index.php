<?php
/**
 * 网站首页。
 */
define('IN_WEB', true);
$page_title = '';
require __DIR__ . '/header.php';
?>
<div class="site-hero">
  <h1>欢迎访问<?php echo site_h($site_name); ?></h1>
  <p>网站已经安装完成。前台各页面是示例页面，可以按需要修改；数据在管理中心维护。</p>
  <p><a class="site-button" href="admin/index.php">进入管理中心</a></p>
</div>
<div class="site-columns">
  <div>
    <h2><a href="news.php">新闻动态</a></h2>
    <p>发布网站和公司的最新消息。</p>
  </div>
  <div>
    <h2><a href="produces.php">产品展示</a></h2>
    <p>展示产品的图片和介绍。</p>
  </div>
  <div>
    <h2><a href="about.php">关于我们</a></h2>
    <p>公司简介与联系方式。</p>
  </div>
</div>
<?php require __DIR__ . '/footer.php'; ?>
