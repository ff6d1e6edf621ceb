<?php
/**
 * Request checks of the administration area: request values escaped for
 * SQL, same-site requests for every change, uploads checked before any
 * controller sees them, picture paths kept inside attachments/picture,
 * and the keys and required members of the model's classes
 * (site_model_reader.php).
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once __DIR__ . '/site_images.php';
require_once __DIR__ . '/site_model_reader.php';

/* Acts that only show something; every other act changes data. */
const SITE_READ_ACTS = array('', 'show', 'add', 'edit', 'welcome');

/**
 * Takes the request: text that is no valid UTF-8 is refused; the values as
 * sent are kept for the site's own code (site_raw), and every value the
 * controllers read is escaped for a single-quoted SQL string.
 */
function site_take_request(SiteDatabase $db)
{
    if (isset($_SERVER['REQUEST_METHOD']) && $_SERVER['REQUEST_METHOD'] === 'POST'
        && empty($_POST) && empty($_FILES) && (int)(isset($_SERVER['CONTENT_LENGTH']) ? $_SERVER['CONTENT_LENGTH'] : 0) > 0) {
        showmsg('提交的数据太大，服务器没有接收。上传的图片最大允许 ' . round(SITE_UPLOAD_MAX_BYTES / 1024) . ' KB。');
    }
    $get = site_clean_values($_GET, 0);
    $post = site_clean_values($_POST, 1);
    $GLOBALS['SITE_RAW_GET'] = $get;
    $GLOBALS['SITE_RAW_POST'] = $post;
    $_GET = site_escape_values($db, $get);
    $_POST = site_escape_values($db, $post);
    $_REQUEST = array_merge($_GET, $_POST);
}

/**
 * Keeps plain text values; arrays deeper than $depth (a record posted as
 * name[field] is one level) become empty text. Refuses invalid UTF-8.
 */
function site_clean_values(array $values, $depth)
{
    $clean = array();
    foreach ($values as $key => $value) {
        if (!mb_check_encoding((string)$key, 'UTF-8')) {
            showmsg('请求中含有无效的字符编码，已拒绝。', '', 400);
        }
        if (is_array($value)) {
            $clean[$key] = $depth > 0 ? site_clean_values($value, $depth - 1) : '';
        } else {
            $value = (string)$value;
            if (!mb_check_encoding($value, 'UTF-8')) {
                showmsg('请求中含有无效的字符编码，已拒绝。', '', 400);
            }
            $clean[$key] = $value;
        }
    }
    return $clean;
}

function site_escape_values(SiteDatabase $db, array $values)
{
    foreach ($values as $key => $value) {
        $values[$key] = is_array($value) ? site_escape_values($db, $value) : $db->escape($value);
    }
    return $values;
}

/* The act a request asks for, as sent. */
function site_requested_act()
{
    $act = site_raw('act', '');
    return is_string($act) ? trim($act) : '';
}

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
    if (!empty($GLOBALS['site_url'])) {
        $own[] = site_authority($GLOBALS['site_url']);
    }
    if (!empty($GLOBALS['trusted_origins']) && is_array($GLOBALS['trusted_origins'])) {
        foreach ($GLOBALS['trusted_origins'] as $origin) {
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

/* The description of the model; a request that needs it is refused when
   it is missing, so no check is ever skipped for want of it. */
function site_require_model()
{
    $model = site_model();
    if ($model === null) {
        error_log('site: admin/include/site_model.php is missing or cannot be read');
        showmsg('网站的模型描述（admin/include/site_model.php）不存在或无法读取，操作已被拒绝。请重新生成网站。', '', 500);
    }
    return $model;
}

/**
 * The class a generated controller serves, found in the description by
 * the controller's file stem (as the run names the file: the class's name
 * with its first letter lowered; of two classes with one stem the later
 * one's controller is the file). A class the description does not list
 * refuses the request.
 */
function site_controller_model($stem)
{
    $found = null;
    foreach (site_require_model() as $name => $class) {
        if (site_lower_first($name) === (string)$stem) {
            $found = $class;
        }
    }
    if ($found === null) {
        error_log('site: the model description lists no class for the controller ' . $stem);
        showmsg('网站的模型描述中没有“' . $stem . '”这个类，操作已被拒绝。请重新生成网站。', '', 500);
    }
    return $found;
}

/* The picture members of a class of the description. */
function site_picture_fields(array $class)
{
    $fields = array();
    foreach ($class['members'] as $name => $member) {
        if (!empty($member['picture'])) {
            $fields[] = (string)$name;
        }
    }
    return $fields;
}

/* The text a message uses for a member: its label, else its name. */
function site_member_label(array $class, $name)
{
    $member = $class['members'][$name];
    return is_string($member['label']) && $member['label'] !== '' ? $member['label'] : (string)$name;
}

/* Refuses a key value that its key's column cannot hold: a key counted by
   the database must be an integer (MySQL would read "1' or '1'='1" as 1). */
function site_check_key_value(array $class, $value)
{
    $key = $class['key'];
    if (is_string($value) && ($class['members'][$key]['type'] !== 'integer' || preg_match('/^-?[0-9]{1,19}$/', $value))) {
        return;
    }
    error_log('site: key value refused: ' . (is_string($value) ? $value : gettype($value)));
    showmsg('“' . site_member_label($class, $key) . '”的值无效，应为整数。操作已被拒绝。', '', 400);
}

/* Whether the record with this key exists; null when that cannot be told. */
function site_record_exists($class, $keyName, $key)
{
    if (!isset($GLOBALS['DB']) || !($GLOBALS['DB'] instanceof SiteDatabase)) {
        return null;
    }
    $table = (isset($GLOBALS['dbprefix']) ? (string)$GLOBALS['dbprefix'] : '') . $class;
    try {
        $result = $GLOBALS['DB']->execute('SELECT 1 FROM `' . str_replace('`', '``', $table) . '` WHERE `' . str_replace('`', '``', $keyName) . '` = ? LIMIT 1', array($key));
    } catch (mysqli_sql_exception $e) {
        return null;
    }
    return $result instanceof mysqli_result && $result->num_rows > 0;
}

/**
 * Checks the acts of a generated controller that the generated code takes
 * as they come: a key must be one its column can hold, "delete the ticked
 * records" needs at least one tick, a record to show, change or delete
 * must still exist (else the edit page comes up empty and saving it
 * reports a success), and a saved record must have every required member.
 */
function site_check_record_request($stem)
{
    $class = site_controller_model($stem);
    $keyName = $class['key'];
    $act = site_requested_act();
    if (in_array($act, array('edit', 'editok', 'remove'), true)) {
        if ($act === 'editok') {
            $record = site_raw($stem, null);
            $key = is_array($record) && isset($record[$keyName]) ? $record[$keyName] : null;
        } else {
            $key = site_raw($keyName, null);
        }
        if ($key !== null) {
            site_check_key_value($class, $key);
            if (site_record_exists($stem, $keyName, $key) === false) {
                showmsg('这条记录已不存在，可能已被删除。', $stem . '.php?act=show');
            }
        }
    } elseif ($act === 'delall') {
        $keys = site_ticked_keys();
        if (!$keys) {
            showmsg('没有勾选要删除的记录。请先在列表中勾选，再点击“提交”。');
        }
        foreach ($keys as $key) {
            site_check_key_value($class, $key);
        }
    } elseif ($act === 'addok') {
        $record = site_raw($stem, null);
        if (is_array($record) && isset($record[$keyName]) && $record[$keyName] !== '') {
            site_check_key_value($class, $record[$keyName]);
        }
    }
    site_check_required_fields($stem, $class);
}

/**
 * On adding or saving a record, every required member must be filled in
 * (spaces alone are no value); a new record's key must be typed in unless
 * the database counts it. A new picture comes as an upload, a kept or
 * chosen one as the field's text.
 */
function site_check_required_fields($stem, array $class)
{
    $act = site_requested_act();
    if ($act !== 'addok' && $act !== 'editok') {
        return;
    }
    $record = site_raw($stem, null);
    $record = is_array($record) ? $record : array();
    foreach ($class['members'] as $name => $member) {
        $name = (string)$name;
        $isKey = $name === (string)$class['key'];
        if ($isKey && $act === 'addok') {
            if ($member['type'] === 'integer') {
                continue;
            }
        } elseif ($member['required'] !== true) {
            continue;
        }
        if (!empty($member['picture']) && $act === 'addok') {
            $file = isset($_FILES[$name]) && is_array($_FILES[$name]) ? $_FILES[$name] : null;
            $filled = $file !== null && isset($file['error']) && !is_array($file['error']) && (int)$file['error'] !== UPLOAD_ERR_NO_FILE;
        } else {
            $filled = isset($record[$name]) && is_string($record[$name]) && trim($record[$name]) !== '';
        }
        if (!$filled) {
            showmsg('“' . site_member_label($class, $name) . '”不能为空，请填写后再提交。');
        }
    }
}

/* The stored row of a class's record, or null when there is none or it
   cannot be read (the act's own statement then fails and says why). */
function site_stored_record($stem, array $class, $key)
{
    if (!is_string($key) || !isset($GLOBALS['DB']) || !($GLOBALS['DB'] instanceof SiteDatabase)) {
        return null;
    }
    $table = (isset($GLOBALS['dbprefix']) ? (string)$GLOBALS['dbprefix'] : '') . $stem;
    try {
        $result = $GLOBALS['DB']->execute('SELECT * FROM `' . str_replace('`', '``', $table) . '` WHERE `'
            . str_replace('`', '``', (string)$class['key']) . '` = ? LIMIT 1', array($key));
    } catch (mysqli_sql_exception $e) {
        error_log('site: the record to check its pictures cannot be read: ' . $e->getMessage());
        return null;
    }
    $row = $result instanceof mysqli_result ? $result->fetch_assoc() : null;
    return is_array($row) ? $row : null;
}

/**
 * On saving an edited record, a picture field carries either the stored
 * picture's own name (unchanged) or the path of a chosen picture, which
 * must be a real picture inside attachments/picture. Anything else (a
 * control character, a name the record does not store) is a bad request
 * (400). A field of a record that stores a picture cannot be emptied: the
 * edit act can keep or replace a picture, not remove it.
 */
function site_check_picture_fields($stem)
{
    $class = site_controller_model($stem);
    if (site_requested_act() !== 'editok') {
        return;
    }
    $record = site_raw($stem, null);
    if (!is_array($record)) {
        return;
    }
    $key = isset($record[$class['key']]) ? $record[$class['key']] : null;
    $stored = null;
    foreach (site_picture_fields($class) as $field) {
        $value = isset($record[$field]) && is_string($record[$field]) ? $record[$field] : '';
        if (preg_match('/[\x00-\x1f\x7f]/', $value)) {
            error_log('site: picture field with a control character refused: ' . json_encode($value));
            showmsg('所选的图片无效，请用“选择”按钮选择图片。', '', 400);
        }
        $stored = $stored === null ? (array)site_stored_record($stem, $class, $key) : $stored;
        $picture = site_stored_picture(isset($stored[$field]) ? $stored[$field] : '');
        if ($value === '') {
            if ($picture !== false) {
                showmsg('“' . site_member_label($class, $field) . '”的图片不能清空：要保留原来的图片，请不要修改这一栏；要换一张，请用“选择”按钮选择。');
            }
            continue;
        }
        $isPath = strpos($value, '/') !== false || strpos($value, '\\') !== false;
        if ($isPath ? !site_picture_path_allowed($value) : $picture === false || $value !== $picture['cover_name']) {
            error_log('site: picture path refused: ' . $value);
            showmsg('所选的图片无效，请用“选择”按钮选择图片。', '', 400);
        }
    }
}
