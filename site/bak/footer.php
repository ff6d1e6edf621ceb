<?php
/**
 * 前台页面的公共页脚。
 */
if (!defined('IN_WEB')) {
    exit;
}
?>
</div>
<div class="site-foot">
  <div class="site-wrap">
    &copy; <?php echo date('Y'); ?> <?php echo site_h($site_name); ?>
    &nbsp;|&nbsp; <a href="about.php">关于我们</a>
    &nbsp;|&nbsp; <a href="admin/index.php">管理中心</a>
  </div>
</div>
</body>
</html>
