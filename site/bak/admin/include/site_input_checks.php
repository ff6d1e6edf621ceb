<?php
/**
 * Checks of a controller's request against the model's description
 * (site_model.php), before any act runs: a key its column can hold and a
 * record that still exists, ticked records for delete-many, and for a saved
 * record every required member, strings no longer than their length in
 * characters and holding only characters their column can store, integers,
 * numbers and dates that are what they say, and picture fields that name
 * the record's own picture or a real picture of the site. Every refusal
 * names the member's label; nothing depends on the database's messages.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/* Smallest and largest value of the integer columns the model makes (int(11)). */
const SITE_INT_MIN = -2147483648;
const SITE_INT_MAX = 2147483647;
/* Largest magnitude of the float columns. */
const SITE_FLOAT_MAX = 3.402823466E+38;

function site_check_controller_request(SiteDatabase $db, array $class, $stem)
{
    $act = site_requested_act();
    $keyName = (string)$class['key'];
    if ($act === 'edit' || $act === 'editok' || $act === 'remove') {
        $record = site_raw($stem, null);
        $key = $act === 'editok' ? (is_array($record) && isset($record[$keyName]) ? $record[$keyName] : null) : site_raw($keyName, null);
        if (!is_string($key) || $key === '') {
            showmsg('没有指定要操作的记录。', $stem . '.php?act=show');
        }
        site_check_key_value($class, $key);
        if (!site_record_exists($db, $stem, $keyName, $key)) {
            showmsg('这条记录已不存在，可能已被删除。', $stem . '.php?act=show');
        }
    } elseif ($act === 'delall') {
        $keys = site_ticked_keys();
        if (!$keys) {
            showmsg('没有勾选要删除的记录。请先在列表中勾选，再点击“提交”。');
        }
        foreach ($keys as $key) {
            site_check_key_value($class, $key);
        }
    }
    if ($act === 'addok' || $act === 'editok') {
        $record = site_raw($stem, null);
        $record = is_array($record) ? $record : array();
        site_check_required_fields($class, $record, $act === 'addok');
        site_check_member_values($db, $class, $stem, $record, $act === 'addok');
    }
    if ($act === 'editok') {
        site_check_picture_fields($db, $class, $stem, site_raw($stem, null));
    }
}

/* The text a message uses for a member: its label, else its name. */
function site_member_label(array $class, $name)
{
    $member = $class['members'][$name];
    return is_string($member['label']) && $member['label'] !== '' ? $member['label'] : (string)$name;
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

/* Refuses a key value that its key's column cannot hold: a key counted by
   the database must be an integer (MySQL would read "1' or '1'='1" as 1). */
function site_check_key_value(array $class, $value)
{
    $key = $class['key'];
    if (is_string($value) && ($class['members'][$key]['type'] !== 'integer' || site_is_integer_text($value))) {
        return;
    }
    error_log('site: key value refused: ' . (is_string($value) ? $value : gettype($value)));
    showmsg('“' . site_member_label($class, $key) . '”的值无效，应为整数。操作已被拒绝。', '', 400);
}

/* Whether the record with this key exists. */
function site_record_exists(SiteDatabase $db, $stem, $keyName, $key)
{
    // Through query(), so that a missing table is the message that says what to do.
    $result = $db->query('SELECT 1 FROM ' . SiteDatabase::quoteName($db->table($stem)) . ' WHERE '
        . SiteDatabase::quoteName($keyName) . " = '" . $db->escape($key) . "' LIMIT 1");
    return $result instanceof mysqli_result && $result->num_rows > 0;
}

/**
 * Every required member must be filled in (spaces alone are no value); a
 * new record's key must be typed in unless the database counts it. A new
 * picture comes as an upload, a kept or chosen one as the field's text.
 */
function site_check_required_fields(array $class, array $record, $adding)
{
    foreach ($class['members'] as $name => $member) {
        $name = (string)$name;
        if ($name === (string)$class['key'] && $adding) {
            if ($member['type'] === 'integer') {
                continue;
            }
        } elseif ($member['required'] !== true) {
            continue;
        }
        if (!empty($member['picture']) && $adding) {
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

/**
 * Each posted value must be one its column holds as it is. An empty number
 * or date of a member that may stay empty is stored as the column's empty
 * value: the act is given 0 or 0000-00-00 for it, and a number with spaces
 * around it without them.
 */
function site_check_member_values(SiteDatabase $db, array $class, $stem, array $record, $adding)
{
    foreach ($class['members'] as $name => $member) {
        $name = (string)$name;
        if (!empty($member['picture']) || (isset($record[$name]) && !is_string($record[$name]))) {
            continue;
        }
        // A member the form does not send (the counted key of a new record)
        // reaches the act empty.
        $value = isset($record[$name]) ? $record[$name] : '';
        $label = site_member_label($class, $name);
        $column = site_column_kind($member);
        if ($column['kind'] === 'string') {
            $length = mb_strlen($value, 'UTF-8');
            if ($column['length'] > 0 && $length > $column['length']) {
                showmsg('“' . $label . '”的内容超过了允许的长度（最多 ' . $column['length'] . ' 个字符），未保存。');
            }
            if (!site_column_holds_text($db, $stem, $name, $value)) {
                showmsg('“' . $label . '”中含有数据库无法保存的字符，未保存。');
            }
            continue;
        }
        $text = trim($value);
        if ($text === '') {
            // An empty required value was refused above; the key of a new
            // record is counted by the database when it is given as 0.
            site_request_set_member($db, $stem, $name, $column['kind'] === 'date' ? '0000-00-00' : '0');
            continue;
        }
        if ($column['kind'] === 'integer') {
            if (!site_is_integer_text($text)) {
                showmsg('“' . $label . '”的值格式不正确（请填写整数），未保存。');
            }
            if ((float)$text < SITE_INT_MIN || (float)$text > SITE_INT_MAX) {
                showmsg('“' . $label . '”的数值超出范围，未保存。');
            }
        } elseif ($column['kind'] === 'float') {
            if (!is_numeric($text) || !preg_match('/^[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?$/', $text)) {
                showmsg('“' . $label . '”的值格式不正确（请填写数字），未保存。');
            }
            if (!is_finite((float)$text) || abs((float)$text) > SITE_FLOAT_MAX) {
                showmsg('“' . $label . '”的数值超出范围，未保存。');
            }
        } elseif ($column['kind'] === 'date') {
            if (!preg_match('/^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$/', $text, $m) || (int)$m[1] < 1000
                || !checkdate((int)$m[2], (int)$m[3], (int)$m[1])) {
                showmsg('“' . $label . '”不是有效的日期（请按 2024-05-01 这样填写），未保存。');
            }
        }
        site_request_set_member($db, $stem, $name, $text);
    }
}

/* Whether a text is a whole number as a column reads it. */
function site_is_integer_text($text)
{
    return (bool)preg_match('/^[+-]?[0-9]{1,19}$/', (string)$text);
}

/**
 * What a member's column holds: array('kind' => string, integer, float or
 * date, 'length' => characters of a string, 0 for no bound). A reference
 * holds what the referenced class's key holds.
 */
function site_column_kind(array $member)
{
    if (isset($member['reference']) && is_string($member['reference'])) {
        $target = site_model_class($member['reference']);
        $member = $target !== null ? $target['members'][$target['key']] : array('type' => 'string', 'length' => 0);
    }
    $type = (string)$member['type'];
    if (!in_array($type, array('integer', 'float', 'date'), true)) {
        $type = 'string';
    }
    return array('kind' => $type, 'length' => isset($member['length']) ? (int)$member['length'] : 0);
}

/**
 * Whether a column can store every character of a text: a column in the
 * three-byte utf8 cannot store characters beyond the Basic Multilingual
 * Plane (emoji, rare CJK), one in latin1 only its own characters. Asked
 * of the database's catalogue only for a text that needs it.
 */
function site_column_holds_text(SiteDatabase $db, $stem, $column, $text)
{
    if (preg_match('/^[\x00-\x7f]*$/', $text)) {
        return true;
    }
    $charsets = site_table_charsets($db, $db->table($stem));
    $name = mb_strtolower((string)$column, 'UTF-8');
    $charset = isset($charsets[$name]) ? $charsets[$name] : 'utf8mb4';
    if ($charset === 'utf8mb4' || $charset === 'binary') {
        return true;
    }
    if ($charset === 'utf8' || $charset === 'utf8mb3') {
        return !preg_match('/[\x{10000}-\x{10FFFF}]/u', $text);
    }
    if ($charset === 'latin1') {
        return @iconv('UTF-8', 'CP1252', $text) !== false;
    }
    if ($charset === 'ascii') {
        return false;
    }
    return true;
}

/* The character set of each column of a table (by lower-case name, as the
   catalogue matches names; utf8mb4 for a column without one), asked of the
   catalogue once per table and request. */
function site_table_charsets(SiteDatabase $db, $table)
{
    static $tables = array();
    if (!isset($tables[$table])) {
        $charsets = array();
        $result = $db->execute('SELECT COLUMN_NAME AS n, CHARACTER_SET_NAME AS c FROM information_schema.COLUMNS'
            . ' WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?', array($table));
        while ($result instanceof mysqli_result && ($row = $result->fetch_assoc())) {
            $charsets[mb_strtolower((string)$row['n'], 'UTF-8')] = $row['c'] !== null ? strtolower((string)$row['c']) : 'utf8mb4';
        }
        $tables[$table] = $charsets;
    }
    return $tables[$table];
}

/* The stored row of a class's record, or null when there is none. */
function site_stored_record(SiteDatabase $db, $stem, array $class, $key)
{
    if (!is_string($key)) {
        return null;
    }
    $result = $db->query('SELECT * FROM ' . SiteDatabase::quoteName($db->table($stem)) . ' WHERE '
        . SiteDatabase::quoteName($class['key']) . " = '" . $db->escape($key) . "' LIMIT 1");
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
function site_check_picture_fields(SiteDatabase $db, array $class, $stem, $record)
{
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
        $stored = $stored === null ? (array)site_stored_record($db, $stem, $class, $key) : $stored;
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
