<?php
/**
 * Bootstrap of the administration area, included by every page in admin/.
 *
 * Provides:
 *   WEB_ROOT          the site's folder, with a trailing slash
 *   $DB               the database (query, fetch_array, num_rows)
 *   $smarty           the template engine (assign, display)
 *   $dbprefix         the table prefix of config.inc.php
 *   $site_admin       the signed-in account (null on the sign-in page)
 *   $site_rights      its rights per class (site_rights_of)
 *   $web_url          the site's address, with a trailing slash
 *   $css_root         where images/admincp.css is found, with a trailing slash
 *   showmsg, createdir, multi
 *
 * and guards every page: only a signed-in administrator gets past it,
 * changes must come from the site's own pages, the request is taken in one
 * place (site_request.php), uploads must be real pictures, a controller's
 * request is checked against the model's description before its act runs
 * (site_input_checks.php) after the account's rights to the act
 * (site_rights.php), and errors show a short message page while the
 * details go to the server log, every warning included.
 *
 * A page that is no generated controller defines SITE_PAGE before including
 * this file: 'signin' (open to everybody) or 'own'. Generated controllers
 * run as they are, after this file returns.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

// A byte-order mark in front of the including script sits in the output
// buffer: drop it so headers and cookies can still be sent.
if (ob_get_level() > 0 && ob_get_contents() === "\xEF\xBB\xBF") {
    ob_clean();
}

error_reporting(E_ALL);
ini_set('display_errors', '0');
ini_set('log_errors', '1');
ini_set('default_charset', 'UTF-8');

define('WEB_ROOT', str_replace('\\', '/', realpath(dirname(__DIR__, 2))) . '/');
define('SITE_ADMIN_DIR', WEB_ROOT . 'admin/');
// Relative folder names of the generated code ("../attachments/...") are
// meant from the administration folder, whatever the server's working folder.
@chdir(SITE_ADMIN_DIR);

require_once __DIR__ . '/site_functions.php';
require_once __DIR__ . '/site_session.php';
require_once __DIR__ . '/site_database.class.php';
require_once __DIR__ . '/site_request.php';
require_once __DIR__ . '/site_model_reader.php';
require_once __DIR__ . '/site_security.php';
require_once __DIR__ . '/site_input_checks.php';
require_once __DIR__ . '/site_admin_account.php';
require_once __DIR__ . '/site_rights.php';
require_once __DIR__ . '/site_change_log.php';
require_once __DIR__ . '/site_export.php';
require_once __DIR__ . '/site_smarty.class.php';
require_once __DIR__ . '/site_references.php';
require_once __DIR__ . '/site_paging.php';
require_once __DIR__ . '/site_unmerged.php';

/* Warnings never reach the page; every one goes to the server log. */
function site_error_handler($level, $message, $file = '', $line = 0)
{
    if (!(error_reporting() & $level)) {
        return true;
    }
    error_log('site: PHP ' . $level . ': ' . $message . ' in ' . $file . ':' . $line);
    return true;
}

function site_exception_handler($e)
{
    error_log('site: uncaught ' . get_class($e) . ': ' . $e->getMessage() . ' in ' . $e->getFile() . ':' . $e->getLine());
    if ($e instanceof TypeError && preg_match('/^(readdir|closedir|rewinddir)\(\)/', $e->getMessage())) {
        // The picture folder of a record that was just deleted no longer exists.
        showmsg('记录已删除，但它的图片文件夹已不存在，图片没有删除。详细信息已记录在服务器日志中。', '', 500);
    }
    showmsg('程序出错，操作没有完成。详细信息已记录在服务器日志中。', '', 500);
}

function site_shutdown_handler()
{
    $error = error_get_last();
    if ($error !== null && in_array($error['type'], array(E_ERROR, E_PARSE, E_CORE_ERROR, E_COMPILE_ERROR, E_USER_ERROR), true)) {
        error_log('site: fatal error: ' . $error['message'] . ' in ' . $error['file'] . ':' . $error['line']);
        showmsg('程序出错，操作没有完成。详细信息已记录在服务器日志中。', '', 500);
    }
}

set_error_handler('site_error_handler');
set_exception_handler('site_exception_handler');
register_shutdown_function('site_shutdown_handler');
register_shutdown_function('site_change_unfinished');

/* The site's address, with a trailing slash: the configured one, else
   taken from the request. */
function site_web_url($configured)
{
    $configured = trim((string)$configured);
    if ($configured !== '') {
        return rtrim($configured, '/') . '/';
    }
    $host = isset($_SERVER['HTTP_HOST']) ? (string)$_SERVER['HTTP_HOST'] : '';
    if (!preg_match('/^(?:[A-Za-z0-9.\-]+|\[[0-9A-Fa-f:.]+\])(?::[0-9]{1,5})?$/', $host)) {
        $host = isset($_SERVER['SERVER_NAME']) ? (string)$_SERVER['SERVER_NAME'] : 'localhost';
        if (isset($_SERVER['SERVER_PORT']) && !in_array((int)$_SERVER['SERVER_PORT'], array(80, 443), true)) {
            $host .= ':' . (int)$_SERVER['SERVER_PORT'];
        }
    }
    return (site_is_https() ? 'https://' : 'http://') . $host . site_base_path();
}

/* Settings, with defaults for anything config.inc.php leaves out. */
$dbhost = 'localhost';
$dbport = 3306;
$dbsocket = '';
$dbuser = '';
$dbpw = '';
$dbname = '';
$dbprefix = '';
$site_url = '';
$site_name = '';
$trusted_origins = array();
$trust_forwarded_proto = false;
require WEB_ROOT . 'config.inc.php';

// The runtime reads the settings through site_config(); the site's address
// needs them (behind a trusted proxy), then joins them.
$site_settings = array(
    'site_url' => $site_url,
    'trusted_origins' => $trusted_origins,
    'trust_forwarded_proto' => (bool)$trust_forwarded_proto,
);
site_config($site_settings);
$web_url = site_web_url($site_url);
$css_root = $web_url;
define('SITE_ADMIN_URL', $web_url . 'admin/');
site_config($site_settings + array('web_url' => $web_url, 'css_root' => $css_root));
unset($site_settings);

site_send_security_headers();

// The shipped settings name no account: the site says what to fill in
// instead of trying one.
if (trim((string)$dbuser) === '') {
    error_log('site: config.inc.php names no database account ($dbuser)');
    showmsg('网站还没有设置数据库账号：请在 config.inc.php 中填写 $dbuser 和 $dbpw（本站自己的账号，只能操作本站的数据库，见帮助中的 site-database.sql）。', '', 503);
}
$DB = new SiteDatabase($dbhost, $dbuser, $dbpw, $dbname, $dbport, $dbsocket, $dbprefix);
site_take_request($DB);
// Only a sign-in form that is sent makes a new session; the captcha
// image of code.php makes one for the sign-in page.
site_session_start(defined('SITE_PAGE') && SITE_PAGE === 'signin'
    && isset($_SERVER['REQUEST_METHOD']) && $_SERVER['REQUEST_METHOD'] === 'POST');
site_check_request_origin();

$site_admin = null;
$site_rights = array();
if (!defined('SITE_PAGE') || SITE_PAGE !== 'signin') {
    $site_admin = site_require_admin($DB);
    $site_rights = site_rights_of($DB, $site_admin);
    site_change_log_account($site_admin);
}
site_check_uploads();

$smarty = new SiteSmarty($DB, $site_rights, $site_admin !== null && (int)$site_admin['is_owner'] === 1);

// A generated controller (the script the request runs): its class must be
// in the model's description, its act gets every request key it reads, and
// the request is checked against the class before the act runs.
if (!defined('SITE_PAGE')) {
    $site_script = basename((string)$_SERVER['SCRIPT_FILENAME'], '.php');
    // A controller, or the model's description it runs on, that the last
    // generation could not merge is not run.
    site_refuse_unmerged('admin/' . $site_script . '.php');
    site_refuse_unmerged('admin/include/site_model.php');
    $site_class = site_controller_model($site_script);
    // An act the account has no right to changes nothing (site_rights.php).
    site_require_right($site_rights, site_controller_class_name($site_script), site_right_of_request());
    site_request_defaults($site_class, $site_script);
    site_check_controller_request($DB, $site_class, $site_script);
    // A change act runs in one transaction with its log entries; the act
    // ends it with site_commit_change (site_change_log.php).
    site_change_begin($DB, site_controller_class_name($site_script), $site_class, $site_script, site_requested_act());
    unset($site_script, $site_class);
}
