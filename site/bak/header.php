<?php
/**
 * 前台页面的公共页头：读取站点设置，输出页面开头和导航栏。
 * 使用方法：在页面中先设置 $page_title，再 require 本文件，最后 require footer.php。
 */
if (!defined('IN_WEB')) {
    define('IN_WEB', true);
}
require_once __DIR__ . '/config.inc.php';

if (!function_exists('site_h')) {
    /* 输出到页面前转义 HTML 特殊字符 */
    function site_h($text)
    {
        return htmlspecialchars((string)$text, ENT_QUOTES, 'UTF-8');
    }
}

$page_title = isset($page_title) ? $page_title : '';
$site_nav = array(
    'index.php'      => '首页',
    'about.php'      => '关于我们',
    'news.php'       => '新闻动态',
    'produces.php'   => '产品展示',
    'pictures.php'   => '图片展示',
    'download.php'   => '资料下载',
    'job.php'        => '人才招聘',
    'guestbook.php'  => '在线留言',
    'friendlink.php' => '友情链接',
    'user.php'       => '会员登录',
);
$current_page = basename($_SERVER['SCRIPT_NAME']);
header('Content-Type: text/html; charset=utf-8');
header('X-Content-Type-Options: nosniff');
?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<meta name="viewport" content="width=device-width, initial-scale=1" />
<title><?php echo site_h($page_title !== '' ? $page_title . ' - ' . $site_name : $site_name); ?></title>
<link href="templates/default/style.css" rel="stylesheet" type="text/css" />
<link href="images/favicon.svg" rel="icon" type="image/svg+xml" />
</head>
<body>
<div class="site-head">
  <div class="site-wrap">
    <a class="site-name" href="index.php"><?php echo site_h($site_name); ?></a>
    <ul class="site-nav">
<?php foreach ($site_nav as $nav_file => $nav_text) { ?>
      <li<?php if ($nav_file === $current_page) { echo ' class="current"'; } ?>><a href="<?php echo site_h($nav_file); ?>"><?php echo site_h($nav_text); ?></a></li>
<?php } ?>
    </ul>
  </div>
</div>
<div class="site-wrap site-body">
