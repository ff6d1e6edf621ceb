<?php
/**
 * The change log: who added, changed, removed or exported which records of
 * which class, and when; for a change, the members it changed with their
 * values before and after (as stored; pictures by their path).
 *
 * A change act (addok, editok, remove, delall) runs in one transaction that
 * site_change_begin opens before the act and the act's own
 * site_commit_change ends: the log entries are written there, from the rows
 * as they were before the act and as they are now, so a change is never
 * without its entry and no entry describes a change that did not happen.
 * An act that fails (its statement refused, a failure message) never
 * commits, and the server rolls its change back with the connection.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/* The acts that change records, and what the log calls them. */
const SITE_CHANGE_ACTS = array('addok' => 'add', 'editok' => 'edit', 'remove' => 'remove', 'delall' => 'delete');
/* What the log page shows for each act. */
const SITE_LOG_ACT_LABELS = array('add' => '添加', 'edit' => '编辑', 'remove' => '删除', 'delete' => '批量删除', 'export' => '导出');

function site_change_log_table(SiteDatabase $db)
{
    return SiteDatabase::quoteName($db->table('site_change_log'));
}

/* Creates the log table when the database script did not. */
function site_change_log_ensure_table(SiteDatabase $db)
{
    $db->execute('CREATE TABLE IF NOT EXISTS ' . site_change_log_table($db) . ' (
  `log_id` bigint(20) unsigned NOT NULL AUTO_INCREMENT,
  `logged_at` datetime NOT NULL,
  `admin_id` int(11) NOT NULL,
  `admin_name` varchar(60) COLLATE utf8mb4_bin NOT NULL,
  `class_name` varchar(255) COLLATE utf8mb4_bin NOT NULL,
  `record_key` varchar(255) COLLATE utf8mb4_bin NOT NULL,
  `act` varchar(16) COLLATE utf8mb4_bin NOT NULL,
  `details` mediumtext COLLATE utf8mb4_bin NOT NULL,
  PRIMARY KEY (`log_id`),
  KEY `record` (`class_name`, `record_key`, `log_id`),
  KEY `account` (`admin_id`, `log_id`),
  KEY `logged_at` (`logged_at`),
  KEY `class_day` (`class_name`, `logged_at`),
  KEY `account_day` (`admin_id`, `logged_at`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin');
}

/* The signed-in account the entries name: set once by global.php. */
function site_change_log_account(array $admin = null)
{
    static $account = null;
    if ($admin !== null) {
        $account = $admin;
    }
    return $account;
}

/**
 * Writes one entry for the signed-in account. $details is what the entry
 * describes: for a change, member => [before, after]; for an export, the
 * search and the number of rows.
 */
function site_log_entry(SiteDatabase $db, $class, $key, $act, array $details)
{
    $admin = site_change_log_account();
    if ($admin === null) {
        throw new LogicException('a log entry without a signed-in account');
    }
    $values = array(date('Y-m-d H:i:s'), (int)$admin['admin_id'], (string)$admin['admin_name'], (string)$class,
        (string)$key, (string)$act, json_encode($details, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_INVALID_UTF8_SUBSTITUTE | JSON_THROW_ON_ERROR));
    $insert = 'INSERT INTO ' . site_change_log_table($db)
        . ' (logged_at, admin_id, admin_name, class_name, record_key, act, details) VALUES (?, ?, ?, ?, ?, ?, ?)';
    try {
        $db->execute($insert, $values);
    } catch (mysqli_sql_exception $e) {
        if ($e->getCode() !== 1146) {
            throw $e;
        }
        site_change_log_forget_table();
        // Making the table would end the change's transaction, so a change
        // fails (and is rolled back) and the next request makes it first;
        // an export, which runs outside one, makes it now.
        if (site_change_state() !== null) {
            throw $e;
        }
        site_change_log_ensure_table($db);
        $db->execute($insert, $values);
    }
}

/* Makes the log table, once per session, before a change's transaction
   begins (making it inside would end the transaction). */
function site_change_log_prepare_table(SiteDatabase $db)
{
    if (empty($_SESSION['site_change_log_ready'])) {
        site_change_log_ensure_table($db);
        $_SESSION['site_change_log_ready'] = true;
    }
}

function site_change_log_forget_table()
{
    unset($_SESSION['site_change_log_ready']);
}

/* What the act in progress changes: class, act and the rows before it. */
function site_change_state(array $state = null, $clear = false)
{
    static $current = null;
    if ($clear) {
        $current = null;
    } elseif ($state !== null) {
        $current = $state;
    }
    return $current;
}

/* A stored value as the log keeps it: a picture by its path. */
function site_change_value(array $member, $value)
{
    if ($value === null) {
        return null;
    }
    if (!empty($member['picture'])) {
        $picture = site_stored_picture($value);
        return $picture ? $picture['cover_dir'] . $picture['cover_name'] : (string)$value;
    }
    return (string)$value;
}

/* The row of one record as the log compares it, or null when there is none.
   $lock reads it for the transaction's update, so no other request changes
   it before the act does. */
function site_change_row(SiteDatabase $db, array $class, $key, $lock)
{
    $result = $db->execute('SELECT * FROM ' . SiteDatabase::quoteName($class['table']) . ' WHERE '
        . SiteDatabase::quoteName($class['key']) . ' = ?' . ($lock ? ' FOR UPDATE' : ''), array((string)$key));
    $row = $result->fetch_assoc();
    if ($row === null) {
        return null;
    }
    $values = array();
    foreach ($class['members'] as $name => $member) {
        $values[$name] = site_change_value($member, array_key_exists($name, $row) ? $row[$name] : null);
    }
    return $values;
}

/**
 * Opens the transaction of a change act of a generated controller and keeps
 * the rows it is about to change. Any other act runs as before.
 */
function site_change_begin(SiteDatabase $db, $className, array $class, $stem, $act)
{
    if (!isset(SITE_CHANGE_ACTS[$act])) {
        return;
    }
    site_change_log_prepare_table($db);
    $keys = array();
    if ($act === 'editok' || $act === 'addok') {
        $record = site_raw($stem, array());
        $record = is_array($record) ? $record : array();
        $keys = isset($record[$class['key']]) && is_string($record[$class['key']]) ? array($record[$class['key']]) : array();
    } elseif ($act === 'remove') {
        $keys = array(site_raw($class['key']));
    } else {
        $keys = site_ticked_keys();
    }
    $db->begin();
    $before = array();
    foreach ($keys as $key) {
        $before[(string)$key] = site_change_row($db, $class, $key, true);
    }
    site_change_state(array('db' => $db, 'name' => (string)$className, 'class' => $class, 'act' => $act, 'before' => $before));
}

/**
 * Ends a change act that succeeded: writes its log entries from the rows
 * before and after, and commits them with the change.
 */
function site_commit_change(SiteDatabase $db)
{
    $state = site_change_state();
    if ($state === null) {
        throw new LogicException('site_commit_change without site_change_begin');
    }
    $class = $state['class'];
    $act = SITE_CHANGE_ACTS[$state['act']];
    $entries = array();
    if ($act === 'add') {
        // The new record's key: counted by the database, else as entered.
        $keys = array_keys($state['before']);
        $key = (int)$db->insert_id() > 0 ? (string)$db->insert_id() : (string)reset($keys);
        $after = site_change_row($db, $class, $key, false);
        if ($after !== null && !isset($state['before'][$key])) {
            $entries[$key] = site_change_details(array_fill_keys(array_keys($after), null), $after);
        }
    } else {
        foreach ($state['before'] as $key => $before) {
            if ($before === null) {
                continue;
            }
            $after = site_change_row($db, $class, $key, false);
            if ($act === 'edit' ? $after === null : $after !== null) {
                continue;
            }
            $details = site_change_details($before, $after === null ? array_fill_keys(array_keys($before), null) : $after);
            // An edit that changed nothing describes no change.
            if ($details) {
                $entries[(string)$key] = $details;
            }
        }
    }
    foreach ($entries as $key => $details) {
        site_log_entry($db, $state['name'], (string)$key, $act, $details);
    }
    $db->commit();
    site_change_state(null, true);
}

/* member => [before, after] for the members whose value differs. */
function site_change_details(array $before, array $after)
{
    $details = array();
    foreach ($before as $name => $value) {
        if ($value !== $after[$name]) {
            $details[$name] = array($value, $after[$name]);
        }
    }
    return $details;
}

/* A change act that ended without committing (it failed, or its
   controller lacks the commit): its change is rolled back, and the server
   log says so. */
function site_change_unfinished()
{
    $state = site_change_state();
    if ($state !== null) {
        $state['db']->rollback();
        site_change_state(null, true);
        error_log('site: the act ' . $state['act'] . ' of ' . $state['name'] . ' did not commit; its change was rolled back');
    }
}
