<?php
/**
 * 站点设置：数据库连接、表前缀和站点地址。
 * 部署时只需修改本文件。
 */
if (!defined('IN_WEB')) {
    // Settings are read by the site's own scripts only, never served.
    http_response_code(403);
    exit;
}

/* 数据库服务器：主机名与端口，或 Unix 套接字（填写套接字时忽略主机与端口） */
$dbhost   = 'localhost';
$dbport   = 3306;
$dbsocket = '';

/* 数据库账号与数据库名：本站自己的账号，只能操作本站的数据库（帮助中的
   site-database.sql 建立这样的账号），不要用 root。未填写账号时网站不连接数据库，
   只提示先填写 */
$dbuser = '';
$dbpw   = '';
$dbname = 'site';

/* 表前缀：必须与执行建表脚本时使用的前缀一致 */
$dbprefix = 'php_';

/* 站点地址，以 "/" 结尾，例如 'https://www.example.com/shop/'；
   留空时根据当前请求自动得出 */
$site_url = '';

/* 网站名称，显示在前台页面和管理中心 */
$site_name = '我的网站';

/* 另外允许提交表单的来源（反向代理后的公开地址等），例如 array('https://www.example.com') */
$trusted_origins = array();

/* 网站在终止 HTTPS 的反向代理之后（代理用 HTTP 转发到本站）时设为 true：
   按代理发来的 X-Forwarded-Proto 判断访问是否为 HTTPS，会话 Cookie 随之带上 Secure。
   只有所有请求都经过该代理时才能打开，否则访问者可以伪造这个请求头。 */
$trust_forwarded_proto = false;
