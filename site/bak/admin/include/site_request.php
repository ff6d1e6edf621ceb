<?php
/**
 * The request, taken in one place.
 *
 * site_take_request() refuses text that is no valid UTF-8, keeps the values
 * as they were sent, and gives the controllers $_GET, $_POST and $_REQUEST
 * escaped for a single-quoted SQL string, which is how the generated
 * statements use them. site_request_defaults() then gives a controller's
 * act every key it reads, empty when it was not sent. Everything else in
 * the runtime reads the values as sent through site_raw().
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/* The values as sent: array('get' => ..., 'post' => ...), set once. */
function site_request_store(array $values = null)
{
    static $store = array('get' => array(), 'post' => array());
    if ($values !== null) {
        $store = $values;
    }
    return $store;
}

function site_take_request(SiteDatabase $db)
{
    if (isset($_SERVER['REQUEST_METHOD']) && $_SERVER['REQUEST_METHOD'] === 'POST'
        && empty($_POST) && empty($_FILES) && (int)(isset($_SERVER['CONTENT_LENGTH']) ? $_SERVER['CONTENT_LENGTH'] : 0) > 0) {
        showmsg('提交的数据太大，服务器没有接收。上传的图片最大允许 ' . round(SITE_UPLOAD_MAX_BYTES / 1024) . ' KB。');
    }
    $get = site_clean_values($_GET, 0);
    $post = site_clean_values($_POST, 1);
    site_request_store(array('get' => $get, 'post' => $post));
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

/* The request values of one source ('get' or 'post') as they were sent. */
function site_raw_values($source)
{
    $store = site_request_store();
    return $source === 'post' ? $store['post'] : $store['get'];
}

/* One request value as it was sent (POST, then GET), or $default. */
function site_raw($name, $default = '')
{
    foreach (array('post', 'get') as $source) {
        $values = site_raw_values($source);
        if (array_key_exists($name, $values)) {
            return $values[$name];
        }
    }
    return $default;
}

/* The act a request asks for, as sent. */
function site_requested_act()
{
    $act = site_raw('act', '');
    return is_string($act) ? trim($act) : '';
}

/**
 * The keys ticked on a list for "delete the ticked records", as sent: the
 * list page sends them as the list delid[] (a key may hold any text, "/"
 * too). Anything else sends no key.
 */
function site_ticked_keys()
{
    $delid = site_raw('delid', array());
    return is_array($delid) ? array_values($delid) : array();
}

/**
 * Gives the act of the controller of $class (file stem $stem) every request
 * key it reads, empty when it was not sent: the list act its search fields,
 * the remove and edit acts the key, the saving acts the posted record with
 * each of its members and an upload entry per picture. So the generated
 * code reads no key that is missing, and a forged request that leaves one
 * out meets the checks as an empty value.
 */
function site_request_defaults(array $class, $stem)
{
    $act = site_requested_act();
    if ($act === '' || $act === 'show') {
        foreach (array_keys($class['members']) as $name) {
            $_GET += array((string)$name => '');
        }
    } elseif ($act === 'edit' || $act === 'remove') {
        $_REQUEST += array((string)$class['key'] => '');
    } elseif ($act === 'addok' || $act === 'editok') {
        $record = isset($_REQUEST[$stem]) && is_array($_REQUEST[$stem]) ? $_REQUEST[$stem] : array();
        foreach ($class['members'] as $name => $member) {
            $record += array((string)$name => '');
            if (!empty($member['picture'])) {
                $_FILES += array((string)$name => array('name' => '', 'type' => '', 'tmp_name' => '', 'error' => UPLOAD_ERR_NO_FILE, 'size' => 0));
            }
        }
        $_REQUEST[$stem] = $record;
    }
}

/* Gives the saving act of $stem the value $value for one member of the
   posted record, escaped as the act reads it. */
function site_request_set_member(SiteDatabase $db, $stem, $name, $value)
{
    $_REQUEST[$stem][$name] = $_POST[$stem][$name] = $db->escape($value);
}

/* Reverses the escaping that request values get for single-quoted SQL. */
function site_sql_unescape($text)
{
    return preg_replace_callback('/\\\\(.)/s', function ($m) {
        $map = array('0' => "\0", 'n' => "\n", 'r' => "\r", 'Z' => "\x1a");
        return isset($map[$m[1]]) ? $map[$m[1]] : $m[1];
    }, (string)$text);
}
