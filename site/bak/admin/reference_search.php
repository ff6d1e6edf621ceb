<?php
/**
 * Records of a referenced class for the reference picker
 * (include/js/reference_picker.js):
 *   GET reference_search.php?ref=<class>&q=<text>[&limit=<n>]
 * answers with JSON {"items": [{"key": "...", "text": "..."}, ...], "more": bool}:
 * the records whose display text contains the text, or whose key is the
 * text, in key order, at most limit (20 by default, 50 at most).
 *
 * Only for a signed-in administrator, only GET, only from this site's own
 * pages; only classes that some member refers to, as the site's model
 * description names them, and only for an account that may list the class
 * or a class that refers to it.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'own');
define('SITE_JSON', true);

$site_method = isset($_SERVER['REQUEST_METHOD']) ? strtoupper((string)$_SERVER['REQUEST_METHOD']) : 'GET';
if ($site_method !== 'GET') {
    http_response_code(405);
    header('Allow: GET');
    header('Content-Type: application/json; charset=utf-8');
    echo json_encode(array('err' => '只接受 GET 请求。'), JSON_UNESCAPED_UNICODE);
    exit;
}
require_once __DIR__ . '/include/global.php';

if (!site_request_is_same_site()) {
    error_log('site: reference search from another site refused: origin=' . (isset($_SERVER['HTTP_ORIGIN']) ? $_SERVER['HTTP_ORIGIN'] : '-')
        . ' referer=' . (isset($_SERVER['HTTP_REFERER']) ? $_SERVER['HTTP_REFERER'] : '-'));
    showmsg('请求不是来自本站页面，已被拒绝。', '', 403);
}

$site_ref = site_raw('ref', '');
$site_class = is_string($site_ref) && site_reference_is_referenced($site_ref) ? site_model_class($site_ref) : null;
if ($site_class === null || empty($site_class['key']) || empty($site_class['display'])) {
    showmsg('没有可以查询的关联数据。', '', 404);
}
if (!site_rights_may_search($site_rights, $site_ref)) {
    error_log('site: reference search in ' . $site_ref . ' refused for want of the right to list it');
    showmsg('你的账号没有查看这类数据的权限。', '', 403);
}
$site_text = site_raw('q', '');
$site_text = is_string($site_text) ? mb_substr(trim($site_text), 0, 100, 'UTF-8') : '';
$site_limit = site_raw('limit', '');
$site_limit = is_string($site_limit) && preg_match('/^[0-9]{1,6}$/', $site_limit) ? (int)$site_limit : SITE_REFERENCE_SEARCH_DEFAULT;
$site_limit = max(1, min(SITE_REFERENCE_SEARCH_MAX, $site_limit));

try {
    $site_found = site_reference_search($DB, $site_class, $site_ref, $site_text, $site_limit);
} catch (mysqli_sql_exception $e) {
    error_log('site: reference search in ' . $site_ref . ': ' . $e->getMessage());
    showmsg('查询失败，详细信息已记录在服务器日志中。', '', 500);
}

header('Content-Type: application/json; charset=utf-8');
header('Cache-Control: no-store');
echo json_encode($site_found, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_INVALID_UTF8_SUBSTITUTE);
