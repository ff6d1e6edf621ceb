<?php
/**
 * The administrator accounts: table, sign-in check and the slow-down of
 * repeated failures.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

const SITE_SIGNIN_FREE_FAILURES = 3;
const SITE_SIGNIN_MAX_WAIT = 300;

function site_admin_table(SiteDatabase $db)
{
    return $db->table('site_admin');
}

/* Creates the account table when the database script did not. */
function site_admin_ensure_table(SiteDatabase $db)
{
    $db->execute('CREATE TABLE IF NOT EXISTS `' . str_replace('`', '``', site_admin_table($db)) . '` (
  `admin_id` int(11) NOT NULL AUTO_INCREMENT,
  `admin_name` varchar(60) COLLATE utf8mb4_bin NOT NULL,
  `password_hash` varchar(255) COLLATE utf8mb4_bin NOT NULL,
  `created_at` datetime NOT NULL,
  `last_login_at` datetime NULL,
  PRIMARY KEY (`admin_id`),
  UNIQUE KEY `admin_name` (`admin_name`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin');
}

function site_admin_count(SiteDatabase $db)
{
    $result = $db->execute('SELECT COUNT(*) AS n FROM `' . str_replace('`', '``', site_admin_table($db)) . '`');
    $row = $result->fetch_assoc();
    return (int)$row['n'];
}

function site_admin_find(SiteDatabase $db, $column, $value)
{
    $column = $column === 'admin_id' ? 'admin_id' : 'admin_name';
    $result = $db->execute('SELECT admin_id, admin_name, password_hash, last_login_at FROM `'
        . str_replace('`', '``', site_admin_table($db)) . '` WHERE ' . $column . ' = ?', array($value));
    $row = $result->fetch_assoc();
    return $row ?: null;
}

/* Creates the first administrator; does nothing once any account exists
   (two first visits at the same moment cannot both create one). */
function site_admin_create_first(SiteDatabase $db, $name, $password)
{
    $table = '`' . str_replace('`', '``', site_admin_table($db)) . '`';
    $added = $db->execute('INSERT INTO ' . $table . ' (admin_name, password_hash, created_at) SELECT ?, ?, NOW() FROM DUAL'
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
        $db->execute('UPDATE `' . str_replace('`', '``', site_admin_table($db)) . '` SET password_hash = ? WHERE admin_id = ?',
            array(password_hash($password, PASSWORD_DEFAULT), $admin['admin_id']));
    }
    $db->execute('UPDATE `' . str_replace('`', '``', site_admin_table($db)) . '` SET last_login_at = NOW() WHERE admin_id = ?',
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
 * Lets the request go on only for a signed-in administrator; everybody
 * else is sent to the sign-in page. Returns the account.
 */
function site_require_admin(SiteDatabase $db)
{
    $id = isset($_SESSION['site_admin_id']) ? (int)$_SESSION['site_admin_id'] : 0;
    $admin = null;
    if ($id > 0) {
        try {
            $admin = site_admin_find($db, 'admin_id', $id);
        } catch (mysqli_sql_exception $e) {
            $admin = null;
        }
    }
    if ($admin === null) {
        if (defined('SITE_JSON')) {
            showmsg('登录已失效，请重新登录。', '', 401);
        }
        site_redirect(SITE_ADMIN_URL . 'signin.php');
    }
    return $admin;
}
