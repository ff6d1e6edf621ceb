<?php
/**
 * The administrator accounts: table, sign-in check, the slow-down of
 * repeated failures, and the owner's changes to the accounts. The first
 * account is the owner; a disabled account cannot sign in and its session
 * ends at its next request.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

const SITE_SIGNIN_FREE_FAILURES = 3;
const SITE_SIGNIN_MAX_WAIT = 300;
const SITE_PASSWORD_MIN = 8;

function site_admin_table(SiteDatabase $db)
{
    return $db->table('site_admin');
}

/* Creates the account table when the database script did not, and gives
   a table made before owners and disabled accounts its two columns: its
   first account becomes the owner. */
function site_admin_ensure_table(SiteDatabase $db)
{
    $table = SiteDatabase::quoteName(site_admin_table($db));
    $db->execute('CREATE TABLE IF NOT EXISTS ' . $table . ' (
  `admin_id` int(11) NOT NULL AUTO_INCREMENT,
  `admin_name` varchar(60) COLLATE utf8mb4_bin NOT NULL,
  `password_hash` varchar(255) COLLATE utf8mb4_bin NOT NULL,
  `is_owner` tinyint(1) NOT NULL DEFAULT 0,
  `disabled` tinyint(1) NOT NULL DEFAULT 0,
  `created_at` datetime NOT NULL,
  `last_login_at` datetime NULL,
  PRIMARY KEY (`admin_id`),
  UNIQUE KEY `admin_name` (`admin_name`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin');
    $columns = array();
    foreach ($db->own_rows('SHOW COLUMNS FROM ' . $table) as $column) {
        $columns[] = $column['Field'];
    }
    if (!in_array('disabled', $columns, true)) {
        $db->execute('ALTER TABLE ' . $table . ' ADD COLUMN `disabled` tinyint(1) NOT NULL DEFAULT 0 AFTER `password_hash`');
    }
    if (!in_array('is_owner', $columns, true)) {
        $db->execute('ALTER TABLE ' . $table . ' ADD COLUMN `is_owner` tinyint(1) NOT NULL DEFAULT 0 AFTER `password_hash`');
        $db->execute('UPDATE ' . $table . ' SET is_owner = 1 ORDER BY admin_id LIMIT 1');
    }
}

function site_admin_count(SiteDatabase $db)
{
    $result = $db->execute('SELECT COUNT(*) AS n FROM ' . SiteDatabase::quoteName(site_admin_table($db)));
    $row = $result->fetch_assoc();
    return (int)$row['n'];
}

function site_admin_find(SiteDatabase $db, $column, $value)
{
    $column = $column === 'admin_id' ? 'admin_id' : 'admin_name';
    $result = $db->execute('SELECT admin_id, admin_name, password_hash, is_owner, disabled, created_at, last_login_at FROM '
        . SiteDatabase::quoteName(site_admin_table($db)) . ' WHERE ' . $column . ' = ?', array($value));
    $row = $result->fetch_assoc();
    return $row ?: null;
}

/* Creates the first administrator, the owner; does nothing once any
   account exists (two first visits at the same moment cannot both create one). */
function site_admin_create_first(SiteDatabase $db, $name, $password)
{
    $table = SiteDatabase::quoteName(site_admin_table($db));
    $added = $db->execute('INSERT INTO ' . $table . ' (admin_name, password_hash, is_owner, created_at) SELECT ?, ?, 1, NOW() FROM DUAL'
        . ' WHERE NOT EXISTS (SELECT 1 FROM ' . $table . ')', array($name, password_hash($password, PASSWORD_DEFAULT)));
    return $added === 1;
}

/* Checks a name and password. Returns the account or null. */
function site_admin_verify(SiteDatabase $db, $name, $password)
{
    $admin = site_admin_find($db, 'admin_name', $name);
    if ($admin === null) {
        // Same work as for a real account, so timing does not tell names apart.
        password_verify($password, '$2y$10$' . str_repeat('a', 53));
        return null;
    }
    if (!password_verify($password, $admin['password_hash'])) {
        return null;
    }
    if (password_needs_rehash($admin['password_hash'], PASSWORD_DEFAULT)) {
        $db->execute('UPDATE ' . SiteDatabase::quoteName(site_admin_table($db)) . ' SET password_hash = ? WHERE admin_id = ?',
            array(password_hash($password, PASSWORD_DEFAULT), $admin['admin_id']));
    }
    $db->execute('UPDATE ' . SiteDatabase::quoteName(site_admin_table($db)) . ' SET last_login_at = NOW() WHERE admin_id = ?',
        array($admin['admin_id']));
    return $admin;
}

/**
 * Failure record of sign-in attempts, kept in cache/ per client address and
 * per account name: after a few failures every further attempt has to wait,
 * twice as long each time.
 */
function site_signin_failures_update($keys, $callback)
{
    $file = WEB_ROOT . 'cache/signin_failures.json';
    $handle = @fopen($file, 'c+');
    if ($handle === false) {
        error_log('site: cannot open ' . $file);
        $empty = array();
        return $callback($empty);
    }
    flock($handle, LOCK_EX);
    $data = json_decode((string)stream_get_contents($handle), true);
    if (!is_array($data)) {
        $data = array();
    }
    $now = time();
    foreach ($data as $key => $entry) {
        if (!is_array($entry) || $entry['last'] < $now - 86400) {
            unset($data[$key]);
        }
    }
    $result = $callback($data);
    ftruncate($handle, 0);
    rewind($handle);
    fwrite($handle, json_encode($data));
    fflush($handle);
    flock($handle, LOCK_UN);
    fclose($handle);
    return $result;
}

function site_signin_keys($name)
{
    return array('ip:' . hash('sha256', site_client_address()), 'name:' . hash('sha256', mb_strtolower((string)$name, 'UTF-8')));
}

/* Seconds the client still has to wait before the next attempt. */
function site_signin_wait($name)
{
    $keys = site_signin_keys($name);
    return site_signin_failures_update($keys, function (&$data) use ($keys) {
        $wait = 0;
        foreach ($keys as $key) {
            if (!isset($data[$key]) || $data[$key]['count'] < SITE_SIGNIN_FREE_FAILURES) {
                continue;
            }
            $delay = min(SITE_SIGNIN_MAX_WAIT, 5 * (2 ** min(10, $data[$key]['count'] - SITE_SIGNIN_FREE_FAILURES)));
            $wait = max($wait, $data[$key]['last'] + $delay - time());
        }
        return $wait;
    });
}

function site_signin_failed($name)
{
    $keys = site_signin_keys($name);
    site_signin_failures_update($keys, function (&$data) use ($keys) {
        foreach ($keys as $key) {
            $count = isset($data[$key]) ? $data[$key]['count'] + 1 : 1;
            $data[$key] = array('count' => $count, 'last' => time());
        }
        return null;
    });
}

function site_signin_succeeded($name)
{
    $keys = site_signin_keys($name);
    site_signin_failures_update($keys, function (&$data) use ($keys) {
        foreach ($keys as $key) {
            unset($data[$key]);
        }
        return null;
    });
}

/**
 * Lets the request go on only for a signed-in administrator whose account
 * is not disabled; everybody else is sent to the sign-in page, and the
 * session of a disabled account ends. Returns the account.
 */
function site_require_admin(SiteDatabase $db)
{
    $id = isset($_SESSION['site_admin_id']) ? (int)$_SESSION['site_admin_id'] : 0;
    $admin = null;
    if ($id > 0) {
        try {
            $admin = site_admin_find($db, 'admin_id', $id);
        } catch (mysqli_sql_exception $e) {
            if ($e->getCode() !== 1054 && $e->getCode() !== 1146) {
                throw $e;
            }
            // A database made before owners and rights: its tables are completed.
            site_admin_ensure_table($db);
            site_rights_ensure_table($db);
            $admin = site_admin_find($db, 'admin_id', $id);
        }
    }
    if ($admin !== null && (int)$admin['disabled'] === 1) {
        error_log('site: the session of the disabled account "' . $admin['admin_name'] . '" ends');
        site_session_end();
        $admin = null;
    }
    if ($admin === null) {
        if (defined('SITE_JSON')) {
            showmsg('登录已失效，请重新登录。', '', 401);
        }
        site_redirect(SITE_ADMIN_URL . 'signin.php');
    }
    return $admin;
}

/* Why a login name cannot be used, or '' when it can. */
function site_admin_name_error($name)
{
    if (!is_string($name) || $name === '' || trim($name) !== $name || mb_strlen($name, 'UTF-8') > 60 || preg_match('/[\x00-\x1f\x7f]/', $name)) {
        return '请输入 1 到 60 个字符的登录名（首尾不能有空格）。';
    }
    return '';
}

/* Why a password cannot be used, or '' when it can. */
function site_admin_password_error($password, $again)
{
    if (!is_string($password) || mb_strlen($password, 'UTF-8') < SITE_PASSWORD_MIN) {
        return '密码至少需要 ' . SITE_PASSWORD_MIN . ' 个字符。';
    }
    if ($password !== $again) {
        return '两次输入的密码不一致。';
    }
    return '';
}

/* Every account, in the order they were made. */
function site_admin_list(SiteDatabase $db)
{
    $result = $db->execute('SELECT admin_id, admin_name, is_owner, disabled, created_at, last_login_at FROM '
        . SiteDatabase::quoteName(site_admin_table($db)) . ' ORDER BY admin_id');
    return $result->fetch_all(MYSQLI_ASSOC);
}

/* Adds an account that is no owner and has no rights yet. False when the
   name is taken. */
function site_admin_add(SiteDatabase $db, $name, $password)
{
    try {
        $db->execute('INSERT INTO ' . SiteDatabase::quoteName(site_admin_table($db)) . ' (admin_name, password_hash, created_at) VALUES (?, ?, NOW())',
            array($name, password_hash($password, PASSWORD_DEFAULT)));
    } catch (mysqli_sql_exception $e) {
        if ($e->getCode() === 1062) {
            return false;
        }
        throw $e;
    }
    return true;
}

/* Renames an account. False when the name is taken. */
function site_admin_rename(SiteDatabase $db, $id, $name)
{
    try {
        $db->execute('UPDATE ' . SiteDatabase::quoteName(site_admin_table($db)) . ' SET admin_name = ? WHERE admin_id = ?', array($name, (int)$id));
    } catch (mysqli_sql_exception $e) {
        if ($e->getCode() === 1062) {
            return false;
        }
        throw $e;
    }
    return true;
}

function site_admin_set_password(SiteDatabase $db, $id, $password)
{
    $db->execute('UPDATE ' . SiteDatabase::quoteName(site_admin_table($db)) . ' SET password_hash = ? WHERE admin_id = ?',
        array(password_hash($password, PASSWORD_DEFAULT), (int)$id));
}

/**
 * Disables (or enables) or deletes an account, with its rights when it is
 * deleted. An owner is neither disabled nor deleted while it is the last
 * owner that can sign in; the owners are locked while this is decided, so
 * two owners removing each other at once cannot both succeed. Returns
 * false when refused.
 */
function site_admin_remove_or_disable(SiteDatabase $db, $id, $delete, $disable = true)
{
    $table = SiteDatabase::quoteName(site_admin_table($db));
    // A refused change leaves nothing to undo: committing only releases the owners' locks.
    return $db->transaction(function () use ($db, $table, $id, $delete, $disable) {
        $owners = array();
        $result = $db->execute('SELECT admin_id FROM ' . $table . ' WHERE is_owner = 1 AND disabled = 0 FOR UPDATE');
        while ($row = $result->fetch_assoc()) {
            $owners[] = (int)$row['admin_id'];
        }
        if (($delete || $disable) && $owners === array((int)$id)) {
            return false;
        }
        if ($delete) {
            $db->execute('DELETE FROM ' . site_rights_table($db) . ' WHERE admin_id = ?', array((int)$id));
            $db->execute('DELETE FROM ' . $table . ' WHERE admin_id = ?', array((int)$id));
        } else {
            $db->execute('UPDATE ' . $table . ' SET disabled = ? WHERE admin_id = ?', array($disable ? 1 : 0, (int)$id));
        }
        return true;
    });
}

/**
 * Makes an account an owner, or an owner an account with rights of its
 * own (none until the grid grants them). The last owner that can sign in
 * stays an owner; the owners are locked while this is decided. Returns
 * false when refused.
 */
function site_admin_set_owner(SiteDatabase $db, $id, $owner)
{
    $table = SiteDatabase::quoteName(site_admin_table($db));
    return $db->transaction(function () use ($db, $table, $id, $owner) {
        $owners = array();
        $result = $db->execute('SELECT admin_id FROM ' . $table . ' WHERE is_owner = 1 AND disabled = 0 FOR UPDATE');
        while ($row = $result->fetch_assoc()) {
            $owners[] = (int)$row['admin_id'];
        }
        if (!$owner && $owners === array((int)$id)) {
            return false;
        }
        $db->execute('UPDATE ' . $table . ' SET is_owner = ? WHERE admin_id = ?', array($owner ? 1 : 0, (int)$id));
        return true;
    });
}
