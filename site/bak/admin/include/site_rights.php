<?php
/**
 * What an administrator may do with each class of the model: list, add,
 * edit, delete (remove and delall) and export. The owner may do all; any
 * other account only what its row of a class grants, so a class without a
 * row (a class the model gained since) is granted to the owner only. Rows
 * of classes the model no longer has are dropped by site_rights_clean.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/* The rights of one class, in the order of the accounts page's grid. */
const SITE_RIGHTS = array('list' => '列表', 'add' => '添加', 'edit' => '编辑', 'delete' => '删除', 'export' => '导出');

function site_rights_table(SiteDatabase $db)
{
    return '`' . str_replace('`', '``', $db->table('site_admin_right')) . '`';
}

/* Creates the rights table when the database script did not. */
function site_rights_ensure_table(SiteDatabase $db)
{
    $db->execute('CREATE TABLE IF NOT EXISTS ' . site_rights_table($db) . ' (
  `admin_id` int(11) NOT NULL,
  `class_name` varchar(255) COLLATE utf8mb4_bin NOT NULL,
  `may_list` tinyint(1) NOT NULL DEFAULT 0,
  `may_add` tinyint(1) NOT NULL DEFAULT 0,
  `may_edit` tinyint(1) NOT NULL DEFAULT 0,
  `may_delete` tinyint(1) NOT NULL DEFAULT 0,
  `may_export` tinyint(1) NOT NULL DEFAULT 0,
  PRIMARY KEY (`admin_id`, `class_name`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin');
}

/* The right a controller's act needs: show (the default act) lists. */
function site_right_of_act($act)
{
    switch ((string)$act) {
        case 'add':
        case 'addok':
            return 'add';
        case 'edit':
        case 'editok':
            return 'edit';
        case 'remove':
        case 'delall':
            return 'delete';
        default:
            return 'list';
    }
}

/* The right a request to a controller needs: the list act's export needs
   the export right; any other act its own, whatever else it is sent. */
function site_right_of_request()
{
    $right = site_right_of_act(site_requested_act());
    return $right === 'list' && site_export_requested() ? 'export' : $right;
}

/**
 * The rights of an account: class name => right => bool, for every class
 * of the model. The template variable site_rights of every page.
 */
function site_rights_of(SiteDatabase $db, array $admin)
{
    // Without the model's description there is nothing to grant; the pages
    // that need it refuse the request themselves.
    $model = site_model();
    if ($model === null) {
        return array();
    }
    $owner = !empty($admin['is_owner']);
    $rows = array();
    if (!$owner) {
        try {
            $result = $db->execute('SELECT class_name, may_list, may_add, may_edit, may_delete, may_export FROM '
                . site_rights_table($db) . ' WHERE admin_id = ?', array((int)$admin['admin_id']));
        } catch (mysqli_sql_exception $e) {
            if ($e->getCode() !== 1146) {
                throw $e;
            }
            // A database made before rights were kept: the table is made now.
            site_rights_ensure_table($db);
            $result = $db->execute('SELECT class_name, may_list, may_add, may_edit, may_delete, may_export FROM '
                . site_rights_table($db) . ' WHERE admin_id = ?', array((int)$admin['admin_id']));
        }
        while ($row = $result->fetch_assoc()) {
            $rows[$row['class_name']] = $row;
        }
    }
    $rights = array();
    foreach ($model as $name => $class) {
        foreach (SITE_RIGHTS as $right => $label) {
            $rights[$name][$right] = $owner || (isset($rows[$name]) && (int)$rows[$name]['may_' . $right] === 1);
        }
    }
    return $rights;
}

function site_may(array $rights, $class, $right)
{
    return isset($rights[$class][$right]) && $rights[$class][$right] === true;
}

/* Refuses the request, before anything runs, when the right is missing. */
function site_require_right(array $rights, $class, $right)
{
    if (!site_may($rights, $class, $right)) {
        error_log('site: refused for want of the right ' . $right . ' of ' . $class . ': '
            . (isset($_SERVER['REQUEST_METHOD']) ? $_SERVER['REQUEST_METHOD'] : '') . ' ' . (isset($_SERVER['REQUEST_URI']) ? $_SERVER['REQUEST_URI'] : ''));
        showmsg('你的账号没有' . SITE_RIGHTS[$right] . '这类数据的权限，操作已被拒绝。', '', 403);
    }
}

/* The reference search of a class is open to who may list it or a class
   that refers to it (whose add and edit pages offer the search). */
function site_rights_may_search(array $rights, $referenced)
{
    if (site_may($rights, $referenced, 'list')) {
        return true;
    }
    foreach (site_require_model() as $name => $class) {
        foreach ($class['members'] as $member) {
            if (isset($member['reference']) && $member['reference'] === $referenced && site_may($rights, $name, 'list')) {
                return true;
            }
        }
    }
    return false;
}

/* The rows of one account as the grid posts them: "right:Class" for each
   ticked box; classes the model lacks and unknown rights are left out. */
function site_rights_save(SiteDatabase $db, $adminId, array $ticked)
{
    $grid = array();
    foreach ($ticked as $value) {
        $parts = explode(':', (string)$value, 2);
        if (count($parts) === 2 && isset(SITE_RIGHTS[$parts[0]]) && site_model_class($parts[1]) !== null) {
            $grid[$parts[1]][$parts[0]] = 1;
        }
    }
    $db->link->begin_transaction();
    try {
        $db->execute('DELETE FROM ' . site_rights_table($db) . ' WHERE admin_id = ?', array((int)$adminId));
        foreach ($grid as $class => $granted) {
            $db->execute('INSERT INTO ' . site_rights_table($db)
                . ' (admin_id, class_name, may_list, may_add, may_edit, may_delete, may_export) VALUES (?, ?, ?, ?, ?, ?, ?)',
                array((int)$adminId, $class, isset($granted['list']) ? 1 : 0, isset($granted['add']) ? 1 : 0,
                    isset($granted['edit']) ? 1 : 0, isset($granted['delete']) ? 1 : 0, isset($granted['export']) ? 1 : 0));
        }
        $db->link->commit();
    } catch (Throwable $e) {
        $db->link->rollback();
        throw $e;
    }
}

/* Drops the rows of classes the model no longer has. Returns how many. */
function site_rights_clean(SiteDatabase $db)
{
    $names = array_map('strval', array_keys(site_require_model()));
    if (!$names) {
        return $db->execute('DELETE FROM ' . site_rights_table($db));
    }
    return $db->execute('DELETE FROM ' . site_rights_table($db) . ' WHERE class_name NOT IN ('
        . implode(', ', array_fill(0, count($names), '?')) . ')', $names);
}
