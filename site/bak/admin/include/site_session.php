<?php
/**
 * The site's session: one cookie for the whole site (the administration
 * area and the captcha image of code.php), HttpOnly and SameSite=Strict,
 * sessions stored under cache/sessions.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

if (!defined('WEB_ROOT')) {
    define('WEB_ROOT', str_replace('\\', '/', realpath(dirname(__DIR__, 2))) . '/');
}

const SITE_SESSION_NAME = 'SITESESSID';
const SITE_SESSION_IDLE = 7200;

/* URL path of the site's folder ("/" or "/shop/"), found by comparing the
   running script's file with its address. */
function site_base_path()
{
    static $base = null;
    if ($base !== null) {
        return $base;
    }
    $base = '/';
    $file = isset($_SERVER['SCRIPT_FILENAME']) ? realpath($_SERVER['SCRIPT_FILENAME']) : false;
    $name = isset($_SERVER['SCRIPT_NAME']) ? (string)$_SERVER['SCRIPT_NAME'] : '';
    if ($file !== false && $name !== '') {
        $file = str_replace('\\', '/', $file);
        if (strpos($file, WEB_ROOT) === 0) {
            $relative = substr($file, strlen(WEB_ROOT));
            if ($relative !== '' && substr($name, -strlen($relative)) === $relative) {
                $candidate = substr($name, 0, -strlen($relative));
                if ($candidate !== '' && substr($candidate, -1) === '/') {
                    $base = $candidate;
                }
            }
        }
    }
    return $base;
}

/* Whether the visitor reached the site over HTTPS: directly, or through a
   TLS-terminating proxy that config.inc.php says to trust
   ($trust_forwarded_proto), which tells it in X-Forwarded-Proto. */
function site_is_https()
{
    if (site_config('trust_forwarded_proto') && isset($_SERVER['HTTP_X_FORWARDED_PROTO'])) {
        // A proxy chain lists the first hop's protocol first.
        $proto = explode(',', (string)$_SERVER['HTTP_X_FORWARDED_PROTO']);
        return strtolower(trim($proto[0])) === 'https';
    }
    return (!empty($_SERVER['HTTPS']) && strtolower((string)$_SERVER['HTTPS']) !== 'off')
        || (isset($_SERVER['SERVER_PORT']) && (string)$_SERVER['SERVER_PORT'] === '443');
}

/**
 * Starts the session. Without a session cookie in the request a new
 * session is made only when $create is set: a visit that arrives without
 * the cookie (a link from another site, which SameSite=Strict keeps the
 * cookie from) must not replace the administrator's session cookie.
 * When the page has already sent output (a script saved with a byte-order
 * mark on a server without output buffering) the cookie cannot be sent any
 * more; the session is then read without being started, which is all an
 * already signed-in page needs.
 * Returns true when the session can be written.
 */
function site_session_start($create = false)
{
    if (session_status() === PHP_SESSION_ACTIVE) {
        return true;
    }
    if (defined('SITE_SESSION_READONLY')) {
        return false;
    }
    if (!$create && (!isset($_COOKIE[SITE_SESSION_NAME]) || !is_string($_COOKIE[SITE_SESSION_NAME]))) {
        $_SESSION = array();
        return false;
    }
    $dir = WEB_ROOT . 'cache/sessions';
    if (!is_dir($dir)) {
        @mkdir($dir, 0700, true);
    }
    if (!headers_sent()) {
        ini_set('session.save_handler', 'files');
        ini_set('session.save_path', $dir);
        ini_set('session.serialize_handler', 'php_serialize');
        ini_set('session.use_strict_mode', '1');
        ini_set('session.use_cookies', '1');
        ini_set('session.use_only_cookies', '1');
        ini_set('session.use_trans_sid', '0');
        ini_set('session.cache_limiter', 'nocache');
        ini_set('session.gc_maxlifetime', (string)SITE_SESSION_IDLE);
        ini_set('session.sid_length', '48');
        ini_set('session.sid_bits_per_character', '5');
        session_name(SITE_SESSION_NAME);
        session_set_cookie_params(array(
            'lifetime' => 0,
            'path'     => site_base_path(),
            'secure'   => site_is_https(),
            'httponly' => true,
            'samesite' => 'Strict',
        ));
        if (@session_start()) {
            site_session_check_idle();
            return true;
        }
        error_log('site: the session could not be started');
    }
    define('SITE_SESSION_READONLY', true);
    $_SESSION = site_session_read($dir);
    site_session_check_idle();
    return false;
}

/* Reads the stored session named by the cookie without starting it. */
function site_session_read($dir)
{
    $id = isset($_COOKIE[SITE_SESSION_NAME]) ? (string)$_COOKIE[SITE_SESSION_NAME] : '';
    if (!preg_match('/^[A-Za-z0-9,\-]{22,256}$/', $id)) {
        return array();
    }
    $file = $dir . '/sess_' . $id;
    if (!is_file($file) || filemtime($file) < time() - SITE_SESSION_IDLE) {
        return array();
    }
    $data = @unserialize((string)file_get_contents($file), array('allowed_classes' => false));
    if (!is_array($data)) {
        return array();
    }
    // Keeps the stored session alive while it is used.
    @touch($file);
    return $data;
}

/* Signs out a session that was idle for too long. */
function site_session_check_idle()
{
    $now = time();
    if (isset($_SESSION['site_seen']) && $_SESSION['site_seen'] < $now - SITE_SESSION_IDLE
        && !defined('SITE_SESSION_READONLY')) {
        $_SESSION = array();
    }
    if (!defined('SITE_SESSION_READONLY')) {
        $_SESSION['site_seen'] = $now;
    }
}

/* Gives the session a new id (at sign-in) so an id known before cannot be
   used afterwards. */
function site_session_renew()
{
    if (session_status() === PHP_SESSION_ACTIVE) {
        session_regenerate_id(true);
    }
}

/* Ends the session and removes its cookie. */
function site_session_end()
{
    $_SESSION = array();
    if (session_status() === PHP_SESSION_ACTIVE) {
        session_destroy();
    }
    if (!headers_sent()) {
        setcookie(SITE_SESSION_NAME, '', array(
            'expires'  => time() - 3600,
            'path'     => site_base_path(),
            'secure'   => site_is_https(),
            'httponly' => true,
            'samesite' => 'Strict',
        ));
    }
}
