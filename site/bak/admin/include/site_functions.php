<?php
/**
 * Helper functions of the administration area: message page, folder
 * creation, page links and the small utilities the bootstrap uses.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/**
 * The site's settings (config.inc.php) and addresses, handed over once by
 * global.php: site_config(array) sets them, site_config('name') reads one
 * (null when it is not set).
 */
function site_config($name)
{
    static $settings = array();
    if (is_array($name)) {
        $settings = $name;
        return null;
    }
    return array_key_exists($name, $settings) ? $settings[$name] : null;
}

/* Escapes text for HTML output. */
function site_h($text)
{
    return htmlspecialchars((string)$text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
}

/* Sends a header only while that is still possible. */
function site_header($line, $replace = true)
{
    if (!headers_sent()) {
        header($line, $replace);
    }
}

/* Sends the security headers every administration page carries. */
function site_send_security_headers()
{
    site_header('Content-Type: text/html; charset=utf-8');
    site_header('X-Content-Type-Options: nosniff');
    site_header('X-Frame-Options: SAMEORIGIN');
    site_header('Referrer-Policy: same-origin');
    site_header("Content-Security-Policy: frame-ancestors 'self'; object-src 'none'; base-uri 'self'");
    site_header('Cache-Control: no-store');
}

/* Discards output that is still buffered (a byte-order mark in front of a
   script, half-rendered pages) so a message page starts clean. */
function site_discard_output()
{
    while (ob_get_level() > 0) {
        $level = ob_get_level();
        @ob_end_clean();
        if (ob_get_level() >= $level) {
            break;
        }
    }
}

/**
 * Shows a message page and ends the request. With a target address the page
 * moves on to it after a moment; without one it offers the way back.
 */
function showmsg($msg, $url = '', $status = 200)
{
    site_discard_output();
    if ($status !== 200 && !headers_sent()) {
        http_response_code($status);
    }
    if (defined('SITE_JSON')) {
        site_header('Content-Type: application/json; charset=utf-8');
        echo json_encode(array('err' => (string)$msg, 'msg' => ''), JSON_UNESCAPED_UNICODE);
        exit;
    }
    site_send_security_headers();
    $css = (string)site_config('css_root');
    $url = (string)$url;
    if ($url !== '' && !site_is_safe_target($url)) {
        $url = '';
    }
    echo "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\" />\n";
    echo "<title>提示信息</title>\n";
    if ($css !== '') {
        echo '<link href="' . site_h($css) . 'images/admincp.css" rel="stylesheet" type="text/css" />' . "\n";
        echo '<link href="' . site_h($css) . 'images/favicon.svg" rel="icon" type="image/svg+xml" />' . "\n";
    }
    if ($url !== '') {
        echo '<meta http-equiv="refresh" content="1;url=' . site_h($url) . '" />' . "\n";
    }
    // A message that moves on reports a success; one that stays is a
    // refusal or a failure.
    echo "</head>\n<body class=\"message-page\">\n<div class=\"message-box" . ($url === '' ? ' message-stay' : '') . "\">\n";
    echo "<h3>提示信息</h3>\n";
    echo '<p class="message-text" id="message">' . nl2br(site_h($msg)) . "</p>\n";
    if ($url !== '') {
        echo '<p class="message-link"><a href="' . site_h($url) . '">如果浏览器没有自动跳转，请点击这里</a></p>' . "\n";
    } else {
        echo '<p class="message-link"><a href="javascript:history.back();">返回上一页</a>';
        if ($status === 503) {
            // The database may be back in a moment.
            echo '<a href="javascript:location.reload();">重新加载</a>';
        }
        echo "</p>\n";
    }
    echo "</div>\n</body>\n</html>\n";
    exit;
}

/* A message target must stay on this site: a relative address without a
   scheme, or an address below the site's own address. */
function site_is_safe_target($url)
{
    if (preg_match('/[\x00-\x1f\\\\]/', $url)) {
        return false;
    }
    if (preg_match('#^[a-z][a-z0-9+.-]*:#i', $url) || substr($url, 0, 2) === '//') {
        $base = (string)site_config('web_url');
        return $base !== '' && strpos($url, $base) === 0;
    }
    return true;
}

/* Resolves a path given relative to the administration folder (the
   generated code names folders like "../attachments/picture"). */
function site_admin_path($path)
{
    $path = str_replace('\\', '/', (string)$path);
    if ($path === '' || $path[0] === '/' || preg_match('#^[A-Za-z]:/#', $path)) {
        return $path;
    }
    return SITE_ADMIN_DIR . $path;
}

/**
 * Creates a folder (with missing parents) when it does not exist yet.
 * Relative names are taken from the administration folder.
 */
function createdir($dir)
{
    $path = site_admin_path($dir);
    if ($path === '') {
        return false;
    }
    if (is_dir($path)) {
        return true;
    }
    if (!@mkdir($path, 0755, true) && !is_dir($path)) {
        error_log('site: cannot create folder ' . $path);
        return false;
    }
    return true;
}

/* Sends the browser to another page of the site; inside the frame the whole
   window moves when $top is set. */
function site_redirect($url, $top = false)
{
    if (!$top && !headers_sent()) {
        header('Location: ' . $url, true, 303);
        exit;
    }
    site_discard_output();
    site_send_security_headers();
    $target = json_encode($url, JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS | JSON_HEX_QUOT);
    echo "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\" /><title>请登录</title>\n";
    echo '<meta http-equiv="refresh" content="0;url=' . site_h($url) . '" />' . "\n";
    echo '<script type="text/javascript">(window.top || window).location.href = ' . $target . ';</script>' . "\n";
    echo '</head><body><p><a href="' . site_h($url) . '" target="_top">请登录后继续</a></p></body></html>' . "\n";
    exit;
}

/* Address of the client, used to slow down repeated sign-in failures. */
function site_client_address()
{
    return isset($_SERVER['REMOTE_ADDR']) ? (string)$_SERVER['REMOTE_ADDR'] : 'unknown';
}
