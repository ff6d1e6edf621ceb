<?php
/**
 * Reference fields: what the generated pages offer for a member that
 * refers to another class.
 *
 * A controller asks site_reference_entries() for the records of the
 * referenced class. Up to SITE_REFERENCE_LIST_MAX records it gets them all,
 * sorted by their display text, and its page shows a drop-down; above that
 * it gets none and the flag "too large", and its page shows the picker
 * field (site_reference_picker_field) instead, which
 * include/js/reference_picker.js turns into a search-as-you-type box that
 * asks reference_search.php for a few matching records at a time. Without
 * scripts the key is typed in.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once __DIR__ . '/site_model_reader.php';

/* Most records a referenced class may have for its drop-down. */
const SITE_REFERENCE_LIST_MAX = 300;
/* Records one search answers with: by default, and at most. */
const SITE_REFERENCE_SEARCH_DEFAULT = 20;
const SITE_REFERENCE_SEARCH_MAX = 50;

/* The table of a class, named as the controllers name it. */
function site_class_table(SiteDatabase $db, $className)
{
    return $db->table(site_lower_first($className));
}

/* Whether some member of the model refers to this class. */
function site_reference_is_referenced($className)
{
    $model = site_model();
    if (!is_array($model) || !is_string($className)) {
        return false;
    }
    foreach ($model as $class) {
        foreach (is_array($class) && isset($class['members']) && is_array($class['members']) ? $class['members'] : array() as $member) {
            if (is_array($member) && isset($member['reference']) && $member['reference'] === $className) {
                return true;
            }
        }
    }
    return false;
}

/**
 * The records of a referenced class for a drop-down: array(entries, too
 * large). The entries (each with the key and the display member, named as
 * in the class) are sorted by their display text in natural order without
 * regard to case, numbers by value; a class of more than
 * SITE_REFERENCE_LIST_MAX records gives no entries and true. At most one
 * record past the bound is read.
 */
function site_reference_entries(SiteDatabase $db, $className)
{
    $class = site_model_class($className);
    if ($class === null) {
        error_log('site: the model description lists no class ' . $className . ' for a reference field');
        showmsg('网站的模型描述中没有“' . $className . '”这个类，操作已被拒绝。请重新生成网站。', '', 500);
    }
    $key = (string)$class['key'];
    $display = (string)$class['display'];
    $result = $db->query('SELECT ' . SiteDatabase::quoteName($key) . ($display !== $key ? ',' . SiteDatabase::quoteName($display) : '')
        . ' FROM ' . SiteDatabase::quoteName(site_class_table($db, $className)) . ' LIMIT ' . (SITE_REFERENCE_LIST_MAX + 1));
    $entries = array();
    while ($row = $db->fetch_array($result)) {
        $entries[] = $row;
    }
    if (count($entries) > SITE_REFERENCE_LIST_MAX) {
        return array(array(), true);
    }
    $type = $class['members'][$display]['type'];
    $numeric = $type === 'integer' || $type === 'float';
    usort($entries, function ($a, $b) use ($display, $numeric) {
        $x = (string)$a[$display];
        $y = (string)$b[$display];
        if ($numeric && is_numeric($x) && is_numeric($y)) {
            return (float)$x <=> (float)$y;
        }
        return strnatcasecmp($x, $y) ?: strcmp($x, $y);
    });
    return array($entries, false);
}

/* The display text of one record of a class, or '' when there is none. */
function site_reference_display(SiteDatabase $db, array $class, $className, $key)
{
    if ((string)$key === '') {
        return '';
    }
    try {
        $result = $db->execute('SELECT ' . SiteDatabase::quoteName($class['display']) . ' AS d FROM ' . SiteDatabase::quoteName(site_class_table($db, $className))
            . ' WHERE ' . SiteDatabase::quoteName($class['key']) . ' = ? LIMIT 1', array((string)$key));
        $row = $result instanceof mysqli_result ? $result->fetch_assoc() : null;
        return $row && $row['d'] !== null ? (string)$row['d'] : '';
    } catch (mysqli_sql_exception $e) {
        error_log('site: reference display of ' . $className . ': ' . $e->getMessage());
        return '';
    }
}

/**
 * Records of a class whose display text contains $text, or whose key is
 * $text, in key order: at most $limit, and whether there are more.
 * The text is bound, with LIKE's own characters made literal.
 */
function site_reference_search(SiteDatabase $db, array $class, $className, $text, $limit)
{
    $key = SiteDatabase::quoteName($class['key']);
    $display = SiteDatabase::quoteName($class['display']);
    $sql = 'SELECT ' . $key . ' AS k, ' . $display . ' AS d FROM ' . SiteDatabase::quoteName(site_class_table($db, $className));
    $params = array();
    $text = (string)$text;
    if ($text !== '') {
        $sql .= ' WHERE ' . $display . " LIKE ? ESCAPE '\\\\'";
        $params[] = '%' . addcslashes($text, '\\%_') . '%';
        $keyType = isset($class['members'][$class['key']]['type']) ? $class['members'][$class['key']]['type'] : '';
        if ($keyType !== 'integer' || preg_match('/^[0-9]{1,18}$/', $text)) {
            $sql .= ' OR ' . $key . ' = ?';
            $params[] = $text;
        }
    }
    $sql .= ' ORDER BY ' . $key . ' LIMIT ' . ((int)$limit + 1);
    $result = $db->execute($sql, $params);
    $items = array();
    while ($result instanceof mysqli_result && ($row = $result->fetch_assoc())) {
        $items[] = array('key' => (string)$row['k'], 'text' => $row['d'] === null ? '' : (string)$row['d']);
    }
    $more = count($items) > $limit;
    return array('items' => array_slice($items, 0, (int)$limit), 'more' => $more);
}

/**
 * The picker field of a reference member whose class is too large for a
 * drop-down: a text field for the key, marked for reference_picker.js,
 * with the display text of the chosen record. $none is the value that
 * means "no choice" (the list's search offers it).
 */
function site_reference_picker_field(SiteDatabase $db, $className, $name, $value, $none = '')
{
    $class = site_model_class($className);
    if ($class === null) {
        return '';
    }
    $key = (string)$value === (string)$none ? '' : (string)$value;
    $display = site_reference_display($db, $class, $className, $key);
    return '<input type="text" class="txt reference-key" name="' . site_h($name) . '" value="' . site_h($key === '' ? $none : $key) . '"'
        . ' data-reference="' . site_h($className) . '" data-display="' . site_h($display) . '" data-none="' . site_h($none) . '"'
        . ' data-source="reference_search.php" title="' . site_h(isset($class['label']) && $class['label'] !== '' ? $class['label'] : $className)
        . '的编号" autocomplete="off" />';
}
