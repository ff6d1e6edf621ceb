<?php
/**
 * Where a request may come from and what it may bring: every change must
 * come from the site's own pages, and uploads must be real pictures before
 * any controller sees them.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once __DIR__ . '/site_images.php';

/* Acts that only show something; every other act changes data. */
const SITE_READ_ACTS = array('', 'show', 'add', 'edit', 'welcome');

/* host[:port] of an address, lower case, without the default port. */
function site_authority($url)
{
    $parts = parse_url((string)$url);
    if (!is_array($parts) || empty($parts['host'])) {
        return '';
    }
    $scheme = isset($parts['scheme']) ? strtolower($parts['scheme']) : 'http';
    $host = strtolower($parts['host']);
    $port = isset($parts['port']) ? (int)$parts['port'] : 0;
    if ($port === 0 || ($scheme === 'http' && $port === 80) || ($scheme === 'https' && $port === 443)) {
        return $host;
    }
    return $host . ':' . $port;
}

/* The origins this site answers for: its own host, the configured site
   address and the configured trusted origins. */
function site_own_authorities()
{
    $own = array();
    if (!empty($_SERVER['HTTP_HOST'])) {
        $own[] = site_authority((site_is_https() ? 'https://' : 'http://') . $_SERVER['HTTP_HOST']);
    }
    if ((string)site_config('site_url') !== '') {
        $own[] = site_authority(site_config('site_url'));
    }
    if (is_array(site_config('trusted_origins'))) {
        foreach (site_config('trusted_origins') as $origin) {
            $own[] = site_authority($origin);
        }
    }
    return array_values(array_filter(array_unique($own)));
}

/**
 * True when the request comes from a page of this site: the Origin header,
 * or without it the Referer, must name this site.
 */
function site_request_is_same_site()
{
    $own = site_own_authorities();
    $origin = isset($_SERVER['HTTP_ORIGIN']) ? trim((string)$_SERVER['HTTP_ORIGIN']) : '';
    if ($origin !== '') {
        return $origin !== 'null' && in_array(site_authority($origin), $own, true);
    }
    $referer = isset($_SERVER['HTTP_REFERER']) ? trim((string)$_SERVER['HTTP_REFERER']) : '';
    return $referer !== '' && in_array(site_authority($referer), $own, true);
}

/* Refuses a change (a POST, or an act that is not only shown) that does
   not come from this site's own pages. */
function site_check_request_origin()
{
    $method = isset($_SERVER['REQUEST_METHOD']) ? strtoupper($_SERVER['REQUEST_METHOD']) : 'GET';
    $changes = $method !== 'GET' && $method !== 'HEAD' || !in_array(site_requested_act(), SITE_READ_ACTS, true);
    if ($changes && !site_request_is_same_site()) {
        error_log('site: cross-site request refused: ' . $method . ' ' . (isset($_SERVER['REQUEST_URI']) ? $_SERVER['REQUEST_URI'] : '')
            . ' origin=' . (isset($_SERVER['HTTP_ORIGIN']) ? $_SERVER['HTTP_ORIGIN'] : '-')
            . ' referer=' . (isset($_SERVER['HTTP_REFERER']) ? $_SERVER['HTTP_REFERER'] : '-'));
        showmsg('请求不是来自本站页面，操作已被拒绝。', '', 403);
    }
}

/* Checks every uploaded file before a controller stores anything: a file
   that is no real picture of the allowed kinds refuses the whole request. */
function site_check_uploads()
{
    foreach ($_FILES as $file) {
        if (!is_array($file) || !isset($file['error'])) {
            continue;
        }
        if (is_array($file['error'])) {
            showmsg('上传的文件无效。');
        }
        if ((int)$file['error'] === UPLOAD_ERR_NO_FILE) {
            continue;
        }
        $error = site_check_upload($file);
        if ($error !== '') {
            error_log('site: upload refused: ' . $error . ' (' . (isset($file['name']) ? $file['name'] : '') . ')');
            showmsg($error);
        }
    }
}
