<?php
/**
 * CSV export of a list page: every record the list's search selects, not
 * just the page shown, newest first, with the list's columns.
 *
 * The list act hands over its statement (site_export_csv); the export
 * composes around it, joining the display text of each reference, and
 * streams the rows from an unbuffered result to the output, so a large
 * class takes no more memory than a small one. Text that a spreadsheet
 * would read as a formula is written as text. The export is logged
 * (site_change_log.php) and needs the export right (site_rights.php).
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once __DIR__ . '/site_model_reader.php';
require_once __DIR__ . '/site_images.php';

/* Rows written between two flushes: the client gets the file as it grows. */
const SITE_EXPORT_FLUSH_ROWS = 2000;
/* First characters that make a spreadsheet read a cell as a formula. */
const SITE_EXPORT_FORMULA_STARTS = "=+-@\t\r";

/* Whether the request asks for the export of the list (its 导出 CSV button). */
function site_export_requested()
{
    $export = site_raw('export', '');
    return $export !== '' && $export !== array();
}

/**
 * Sends the records the list statement $sql of class $className selects
 * as a CSV file, logs the export and ends the request.
 */
function site_export_csv(SiteDatabase $db, $className, $sql)
{
    // A large export outlasts a page's time limit; it is logged when it ends,
    // even when the client left before.
    set_time_limit(0);
    ignore_user_abort(true);
    $columns = site_export_columns($className);
    // The statement runs before anything is sent, so its failure is a message page.
    $result = $db->stream(site_export_statement(site_export_class($className), $columns, $sql));
    site_discard_output();
    site_export_headers($className);
    $out = fopen('php://output', 'wb');
    if ($out === false) {
        throw new RuntimeException('the export cannot write to the output');
    }
    $rows = site_export_rows($db, $result, $out, $columns);
    fclose($out);
    site_export_log($db, $className, $rows);
    exit;
}

/**
 * Writes the export of $sql to $stream (any stream resource) and logs it:
 * the whole file of site_export_csv without its headers. Returns the
 * number of rows written.
 */
function site_export_to_stream(SiteDatabase $db, $stream, $className, $sql)
{
    $columns = site_export_columns($className);
    $result = $db->stream(site_export_statement(site_export_class($className), $columns, $sql));
    $rows = site_export_rows($db, $result, $stream, $columns);
    site_export_log($db, $className, $rows);
    return $rows;
}

/* The class of an export; one the description lacks is refused. */
function site_export_class($className)
{
    $class = site_model_class($className);
    if ($class === null) {
        error_log('site: the model description lists no class ' . $className . ' for an export');
        showmsg('网站的模型描述中没有“' . $className . '”这个类，操作已被拒绝。请重新生成网站。', '', 500);
    }
    return $class;
}

/**
 * The columns of the list page, in its order: per member its name, label,
 * what kind of cell it makes (number, picture or text) and, for a
 * reference, the referenced class's table, key and display member. A
 * description written before members said whether the list shows them
 * lists them all.
 */
function site_export_columns($className)
{
    $class = site_export_class($className);
    $columns = array();
    foreach ($class['members'] as $name => $member) {
        if (isset($member['list']) && $member['list'] !== true) {
            continue;
        }
        $column = array('name' => (string)$name, 'label' => (string)$member['label'], 'kind' => 'text', 'reference' => null);
        $referenced = !empty($member['reference']) ? site_model_class($member['reference']) : null;
        if ($referenced !== null) {
            // The list shows a reference by the referenced record's display member.
            $display = $referenced['members'][$referenced['display']];
            $column['reference'] = array('table' => (string)$referenced['table'], 'key' => (string)$referenced['key'], 'display' => (string)$referenced['display']);
            $column['kind'] = !empty($display['picture']) ? 'picture' : 'text';
        } elseif (!empty($member['picture'])) {
            $column['kind'] = 'picture';
        } elseif ($member['type'] === 'integer' || $member['type'] === 'float') {
            $column['kind'] = 'number';
        }
        $columns[] = $column;
    }
    return $columns;
}

/**
 * The export's statement, composed around the list's own: its columns
 * (each reference as its display text, from a join rather than a look-up
 * per row), newest first.
 */
function site_export_statement(array $class, array $columns, $sql)
{
    $select = array();
    $joins = '';
    foreach ($columns as $i => $column) {
        $as = ' AS ' . SiteDatabase::quoteName('c' . $i);
        if ($column['reference'] === null) {
            $select[] = 'l.' . SiteDatabase::quoteName($column['name']) . $as;
            continue;
        }
        $alias = SiteDatabase::quoteName('r' . $i);
        $select[] = $alias . '.' . SiteDatabase::quoteName($column['reference']['display']) . $as;
        $joins .= ' LEFT JOIN ' . SiteDatabase::quoteName($column['reference']['table']) . ' AS ' . $alias
            . ' ON ' . $alias . '.' . SiteDatabase::quoteName($column['reference']['key']) . ' = l.' . SiteDatabase::quoteName($column['name']);
    }
    // A list without columns still has its rows, each an empty line.
    return 'SELECT ' . ($select ? implode(', ', $select) : 'NULL') . ' FROM (' . $sql . ') AS l' . $joins
        . ' ORDER BY l.' . SiteDatabase::quoteName($class['key']) . ' DESC';
}

/* Sends the headers of the CSV file, named after the class. */
function site_export_headers($className)
{
    $ascii = trim(preg_replace('/[^A-Za-z0-9._-]+/', '_', (string)$className), '._');
    site_header('Content-Type: text/csv; charset=UTF-8');
    site_header('Content-Disposition: attachment; filename="' . ($ascii !== '' ? $ascii : 'export') . '.csv"; filename*=UTF-8\'\''
        . rawurlencode($className . '.csv'));
}

/**
 * Writes the file to $stream: the byte-order mark and the labels, then one
 * line per row of $result as it is read, flushed now and then. Returns
 * the number of rows. The result is freed before the connection runs
 * anything else.
 */
function site_export_rows(SiteDatabase $db, mysqli_result $result, $stream, array $columns)
{
    // Spreadsheets read the file as UTF-8 only with the mark.
    site_export_put($stream, "\xEF\xBB\xBF" . site_export_line(array_map(function ($column) {
        return site_export_text($column['label']);
    }, $columns)));
    $rows = 0;
    while (is_array($row = $result->fetch_row())) {
        $cells = array();
        foreach ($columns as $i => $column) {
            $cells[] = site_export_cell($column, $row[$i]);
        }
        site_export_put($stream, site_export_line($cells));
        if (++$rows % SITE_EXPORT_FLUSH_ROWS === 0) {
            fflush($stream);
            flush();
        }
    }
    // An unbuffered result ends early when the connection fails.
    $errno = $db->link->errno;
    $error = $db->link->error;
    $result->free();
    if ($row === false || $errno !== 0) {
        throw new mysqli_sql_exception('the export stopped after ' . $rows . ' rows: ' . $error, $errno);
    }
    fflush($stream);
    return $rows;
}

/* Writes $text to $stream; a write that fails stops the export. */
function site_export_put($stream, $text)
{
    if (fwrite($stream, $text) !== strlen($text)) {
        throw new RuntimeException('the export could not write its file');
    }
}

/* A stored value as the list shows it: a picture by its stored path,
   numbers as they are, any other text safe from formulas. */
function site_export_cell(array $column, $value)
{
    if ($value === null) {
        return '';
    }
    $value = (string)$value;
    if ($column['kind'] === 'number' && is_numeric($value)) {
        return $value;
    }
    if ($column['kind'] === 'picture') {
        $picture = site_stored_picture($value);
        $value = $picture ? $picture['cover_dir'] . $picture['cover_name'] : '';
    }
    return site_export_text($value);
}

/* Text that a spreadsheet would run as a formula gets a leading quote,
   which makes it show as text. */
function site_export_text($text)
{
    $text = (string)$text;
    return $text !== '' && strpos(SITE_EXPORT_FORMULA_STARTS, $text[0]) !== false ? "'" . $text : $text;
}

/* One line of the file: fields quoted where they hold a quote, comma or
   line break, inner quotes doubled, ended by CR LF. */
function site_export_line(array $cells)
{
    $fields = array();
    foreach ($cells as $cell) {
        $cell = (string)$cell;
        $fields[] = strpbrk($cell, "\",\r\n") === false ? $cell : '"' . str_replace('"', '""', $cell) . '"';
    }
    return implode(',', $fields) . "\r\n";
}

/* The search of the export as sent: the non-empty values of the class's
   search members. A description written before members said whether
   they are searched counts every member. */
function site_export_search(array $class)
{
    $search = array();
    foreach ($class['members'] as $name => $member) {
        if (isset($member['search']) && $member['search'] !== true) {
            continue;
        }
        $value = site_raw((string)$name, '');
        if (is_string($value) && $value !== '') {
            $search[(string)$name] = $value;
        }
    }
    return $search;
}

/* The log entry of an export: its search and how many rows it wrote. */
function site_export_log(SiteDatabase $db, $className, $rows)
{
    site_log_entry($db, $className, '', 'export', array('search' => (object)site_export_search(site_export_class($className)), 'rows' => (int)$rows));
}
