<?php
/**
 * The administration area's frame: tabs and menu of every class, with the
 * pages opening in the frame "main". act=welcome is the first page shown
 * in that frame.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'own');
require_once __DIR__ . '/include/global.php';
require_once __DIR__ . '/include/site_account_rights.php';

if (site_requested_act() === 'welcome') {
    // The classes of the model's description, in its order, by their
    // friendly names (the class name where a class has none).
    $classes = array();
    foreach (site_require_model() as $name => $class) {
        $classes[] = is_string($class['label']) && $class['label'] !== '' ? $class['label'] : (string)$name;
    }
    // What the site's account may do beyond the site's database, as the
    // server tells it.
    $account = '';
    $accountWarnings = array();
    try {
        $rights = SiteAccountRights::of($DB, $dbname);
        $account = $rights['account'];
        if ($rights['file']) {
            $accountWarnings[] = '账号有 FILE 权限，可以读写数据库服务器上的文件。';
        }
        if ($rights['global']) {
            $accountWarnings[] = '账号对所有数据库都有权限（' . implode('、', $rights['global']) . '）。';
        }
        if ($rights['databases']) {
            $accountWarnings[] = '账号对其他数据库也有权限：' . implode('、', $rights['databases']) . '。';
        }
    } catch (mysqli_sql_exception $e) {
        error_log('site: the rights of the database account cannot be read: ' . $e->getCode() . ' ' . $e->getMessage());
        $accountWarnings[] = '无法从数据库服务器读取账号的权限（错误 ' . (int)$e->getCode() . '），不能确认账号只能操作本站的数据库。';
    }
    ?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<title>欢迎</title>
<link href="<?php echo site_h($css_root); ?>images/admincp.css" rel="stylesheet" type="text/css" />
</head>
<body>
<div class="container welcome">
  <div class="itemtitle"><h3>欢迎使用管理中心</h3></div>
  <table class="tb tb2">
    <tbody>
      <tr><th class="partition" colspan="2">当前管理员</th></tr>
      <tr><td class="td27">登录名:</td><td><?php echo site_h($site_admin['admin_name']); ?></td></tr>
      <tr><td class="td27">上次登录:</td><td><?php echo site_h(isset($_SESSION['site_previous_login']) && $_SESSION['site_previous_login'] ? $_SESSION['site_previous_login'] : '（首次登录）'); ?></td></tr>
      <tr><th class="partition" colspan="2">网站</th></tr>
      <tr><td class="td27">网站名称:</td><td><?php echo site_h($site_name); ?></td></tr>
      <tr><td class="td27">网站地址:</td><td><a href="<?php echo site_h($web_url); ?>" target="_blank"><?php echo site_h($web_url); ?></a></td></tr>
      <tr><td class="td27">管理的数据:</td><td><?php echo count($classes); ?> 类<?php echo $classes ? '（' . site_h(implode('、', $classes)) . '）' : ''; ?></td></tr>
      <tr><td class="td27">运行环境:</td><td>PHP <?php echo site_h(PHP_VERSION); ?>，数据库 <?php echo site_h($DB->server_info()); ?></td></tr>
      <tr><th class="partition" colspan="2">数据库账号</th></tr>
      <tr><td class="td27">账号:</td><td><?php echo site_h($account); ?></td></tr>
      <tr><td class="td27">权限:</td><td><?php if (!$accountWarnings) { ?>只能操作本站的数据库 <?php echo site_h($dbname); ?>。<?php } else { ?>
        <ul class="account-warnings"><?php foreach ($accountWarnings as $warning) { ?><li class="account-warning"><?php echo site_h($warning); ?></li><?php } ?></ul>
        本站只需要数据库 <?php echo site_h($dbname); ?> 的权限：请按帮助中的 site-database.sql 为本站建立自己的账号，填写在 config.inc.php 中。<?php } ?></td></tr>
    </tbody>
  </table>
  <table class="tb tb2">
    <tbody>
      <tr><th class="partition">使用提示</th></tr>
      <tr><td class="tipsblock"><ul class="tipslis">
        <li>点击上方的标签选择要管理的数据，左侧菜单中可以查看列表或添加记录。</li>
        <li>列表页可以按条件查询、分页浏览、编辑和删除记录。</li>
        <li>离开前请点击右上角的“退出”。</li>
      </ul></td></tr>
    </tbody>
  </table>
</div>
</body>
</html>
<?php
    exit;
}

if (!is_file(SITE_ADMIN_DIR . 'templates/admin/fream.tpl')) {
    showmsg('管理菜单页 admin/templates/admin/fream.tpl 不存在，请重新生成网站。');
}
$smarty->assign('css_root', $css_root);
$smarty->assign('web_url', $web_url);
$smarty->assign('site_name', $site_name);
$smarty->assign('admin_name', $site_admin['admin_name']);
$smarty->display('fream.tpl');
