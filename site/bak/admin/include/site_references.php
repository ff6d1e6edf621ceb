<?php
/**
 * Reference fields over large tables.
 *
 * The generated add, edit and list pages offer every record of a referenced
 * class as a drop-down, and their controllers read the whole referenced
 * table for it. Up to SITE_REFERENCE_LIST_MAX records that stays as it is.
 * Above it the runtime reads none of them: the drop-down becomes a text
 * field for the record's key, which include/js/reference_picker.js turns
 * into a search-as-you-type picker that asks reference_search.php for a
 * few matching records at a time. Without scripts the key is typed in.
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
function site_class_table($className)
{
    return (isset($GLOBALS['dbprefix']) ? (string)$GLOBALS['dbprefix'] : '') . site_lower_first($className);
}

function site_quote_name($name)
{
    return '`' . str_replace('`', '``', (string)$name) . '`';
}

/* The class of the model whose table this is, with a key and a display
   member: array(class name, class entry), else null. */
function site_reference_class_of_table($table)
{
    $model = site_model();
    if (!is_array($model)) {
        return null;
    }
    foreach ($model as $name => $class) {
        if (is_array($class) && !empty($class['key']) && !empty($class['display'])
            && site_class_table($name) === $table) {
            return array((string)$name, $class);
        }
    }
    return null;
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
 * Looks at a statement of a generated controller before it runs. The
 * controllers read a referenced class's list with a statement over the
 * whole table ("SELECT key,display FROM table" or "SELECT * FROM table").
 * For a table of more than SITE_REFERENCE_LIST_MAX records the statement
 * is cut to no record and the class is noted for the page (see
 * site_reference_pickers). Returns the statement to run.
 */
function site_reference_bound_statement(SiteDatabase $db, $sql)
{
    if (!preg_match('/^\s*SELECT\s+(?:\*|[^\s,`]+\s*,\s*[^\s,`]+)\s+FROM\s+([^\s`;]+)\s*$/i', $sql, $m)) {
        return $sql;
    }
    $found = site_reference_class_of_table($m[1]);
    if ($found === null) {
        return $sql;
    }
    if (!site_reference_is_large($db, $found[0])) {
        return $sql;
    }
    return $sql . ' LIMIT 0';
}

/* Whether a class has more records than its drop-down may list. Counts at
   most one record past the bound; the answer is kept for the request. */
function site_reference_is_large(SiteDatabase $db, $className)
{
    if (!isset($GLOBALS['SITE_REFERENCE_SIZES'])) {
        $GLOBALS['SITE_REFERENCE_SIZES'] = array();
    }
    if (!array_key_exists($className, $GLOBALS['SITE_REFERENCE_SIZES'])) {
        $count = 0;
        try {
            $result = $db->execute('SELECT COUNT(*) AS n FROM (SELECT 1 FROM ' . site_quote_name(site_class_table($className))
                . ' LIMIT ' . (SITE_REFERENCE_LIST_MAX + 1) . ') AS bounded');
            $row = $result instanceof mysqli_result ? $result->fetch_assoc() : null;
            $count = $row ? (int)$row['n'] : 0;
        } catch (mysqli_sql_exception $e) {
            // The statement itself will fail and say so.
            $count = 0;
        }
        $GLOBALS['SITE_REFERENCE_SIZES'][$className] = $count > SITE_REFERENCE_LIST_MAX;
    }
    return $GLOBALS['SITE_REFERENCE_SIZES'][$className];
}

/* The display text of one record of a class, or '' when there is none. */
function site_reference_display(SiteDatabase $db, array $class, $className, $key)
{
    if ((string)$key === '') {
        return '';
    }
    try {
        $result = $db->execute('SELECT ' . site_quote_name($class['display']) . ' AS d FROM ' . site_quote_name(site_class_table($className))
            . ' WHERE ' . site_quote_name($class['key']) . ' = ? LIMIT 1', array((string)$key));
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
    $key = site_quote_name($class['key']);
    $display = site_quote_name($class['display']);
    $sql = 'SELECT ' . $key . ' AS k, ' . $display . ' AS d FROM ' . site_quote_name(site_class_table($className));
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
 * Output filter of the administration pages: on the list, add and edit
 * page of a class, every drop-down of a reference member whose class was
 * found too large (site_reference_bound_statement) becomes a text field for
 * the key, marked for the picker script, which the page then loads.
 */
function site_reference_pickers($output, $templateName, callable $var)
{
    if (empty($GLOBALS['SITE_REFERENCE_SIZES']) || !in_array(true, $GLOBALS['SITE_REFERENCE_SIZES'], true)
        || !preg_match('/^(.+?)(_add|_edit)?\.html$/', basename((string)$templateName), $page)) {
        return $output;
    }
    $lower = $page[1];
    $kind = isset($page[2]) ? $page[2] : '';
    $model = site_model();
    $db = isset($GLOBALS['DB']) && $GLOBALS['DB'] instanceof SiteDatabase ? $GLOBALS['DB'] : null;
    if (!is_array($model) || $db === null) {
        return $output;
    }
    $changed = false;
    foreach ($model as $className => $class) {
        if (!is_array($class) || site_lower_first($className) !== $lower || empty($class['members'])) {
            continue;
        }
        foreach ($class['members'] as $memberName => $member) {
            $refName = is_array($member) && isset($member['reference']) ? $member['reference'] : null;
            if (!is_string($refName) || empty($GLOBALS['SITE_REFERENCE_SIZES'][$refName])) {
                continue;
            }
            $ref = site_model_class($refName);
            if ($ref === null) {
                continue;
            }
            $field = $kind === '' ? (string)$memberName : $lower . '[' . $memberName . ']';
            $pattern = '/<select name="' . preg_quote(site_h($field), '/') . '"\s*>(.*?)<\/select>/s';
            $output = preg_replace_callback($pattern, function ($m) use ($kind, $lower, $memberName, $field, $refName, $ref, $db, $var) {
                // The list's search field offers "no choice" as its first option.
                $none = preg_match('/<option value="([^"]*)"/', $m[1], $o) ? html_entity_decode($o[1], ENT_QUOTES, 'UTF-8') : '';
                if ($kind === '_edit') {
                    $record = $var($lower);
                    $key = is_array($record) && isset($record[$memberName]) ? (string)$record[$memberName] : '';
                } elseif ($kind === '') {
                    $key = site_raw($memberName, '');
                    $key = is_string($key) ? $key : '';
                } else {
                    $key = '';
                }
                if ($kind === '' && $key === $none) {
                    $key = '';
                }
                $display = site_reference_display($db, $ref, $refName, $key);
                return '<input type="text" class="txt reference-key" name="' . site_h($field) . '" value="' . site_h($key === '' ? $none : $key) . '"'
                    . ' data-reference="' . site_h($refName) . '" data-display="' . site_h($display) . '" data-none="' . site_h($none) . '"'
                    . ' data-source="reference_search.php" title="' . site_h(isset($ref['label']) ? $ref['label'] : $refName) . '的编号" autocomplete="off" />';
            }, $output, 1, $count);
            $changed = $changed || $count > 0;
        }
    }
    if ($changed && stripos($output, 'reference_picker.js') === false) {
        $web = isset($GLOBALS['web_url']) ? (string)$GLOBALS['web_url'] : '../';
        $script = '<script type="text/javascript" src="' . site_h($web) . 'include/js/reference_picker.js"></script>';
        $output = preg_match('#</body>#i', $output) ? preg_replace('#</body>#i', $script . "\n</body>", $output, 1) : $output . $script;
    }
    return $output;
}
