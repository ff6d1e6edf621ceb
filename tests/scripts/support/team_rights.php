<?php
/**
 * Drives the generated site of team_rights.json over HTTP as three
 * accounts (see team_rights.sh):
 *   php team_rights.php BASE_URL SITE_DIR DB_SOCKET DB_NAME DB_PASSWORD SERVER_LOG
 * Ends with the line "N passed, N failed".
 */
error_reporting(E_ALL);
list(, $base, $siteDir, $socket, $dbName, $dbPassword, $serverLog) = $argv;
$siteDir = rtrim($siteDir, '/') . '/';
mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
$root = new mysqli('localhost', 'root', '', $dbName, 0, $socket);
$root->set_charset('utf8mb4');

$passed = 0;
$failed = 0;
function check($condition, $label, $detail = null)
{
    global $passed, $failed;
    if ($condition) {
        $passed++;
        echo "ok   - $label\n";
        return true;
    }
    $failed++;
    echo "FAIL - $label" . ($detail === null ? '' : ': ' . mb_substr(is_string($detail) ? $detail : json_encode($detail, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES), 0, 600)) . "\n";
    return false;
}
function finish()
{
    global $passed, $failed;
    echo "$passed passed, $failed failed\n";
    exit($failed === 0 ? 0 : 1);
}
function rows_of($sql)
{
    global $root;
    return $root->query($sql)->fetch_all(MYSQLI_ASSOC);
}
/* Every row of the site's tables: what a refused request must leave as it was. */
function snapshot()
{
    $all = array();
    foreach (array('php_tag', 'php_news', 'php_order', 'php_site_admin', 'php_site_admin_right', 'php_site_change_log') as $table) {
        $all[$table] = rows_of("SELECT * FROM $table");
    }
    return $all;
}

$config = $siteDir . 'config.inc.php';
$text = file_get_contents($config);
foreach (array('dbsocket' => $socket, 'dbname' => $dbName, 'dbprefix' => 'php_', 'dbuser' => 'site', 'dbpw' => $dbPassword) as $name => $value) {
    $text = preg_replace('/^(\$' . $name . '\s*=\s*)[^;]*;/m', '${1}' . var_export($value, true) . ';', $text, 1);
}
file_put_contents($config, $text);

/* --- HTTP, one session cookie per account --------------------------------------- */
$cookies = array();
/* $fields: list of array(name, value). $origin: the page the request says it
   comes from (null: none). Returns array(status, body, headers). */
function request($who, $method, $path, array $fields = array(), $origin = 'own')
{
    global $base, $cookies;
    $head = array();
    if ($origin === 'own') {
        $head[] = 'Referer: ' . $base . 'admin/';
        if ($method === 'POST') {
            $head[] = 'Origin: ' . rtrim($base, '/');
        }
    } elseif ($origin !== null) {
        $head[] = 'Origin: ' . $origin;
    }
    if (!empty($cookies[$who])) {
        $head[] = 'Cookie: SITESESSID=' . $cookies[$who];
    }
    $content = implode('&', array_map(function ($f) { return rawurlencode($f[0]) . '=' . rawurlencode($f[1]); }, $fields));
    if ($method === 'POST') {
        $head[] = 'Content-Type: application/x-www-form-urlencoded';
    }
    $context = stream_context_create(array('http' => array('method' => $method, 'header' => implode("\r\n", $head),
        'content' => $content, 'ignore_errors' => true, 'follow_location' => 0, 'timeout' => 60)));
    $body = @file_get_contents($base . $path, false, $context);
    $status = 0;
    $headers = isset($http_response_header) ? $http_response_header : array();
    foreach ($headers as $line) {
        if (preg_match('#^HTTP/\S+ (\d+)#', $line, $m)) {
            $status = (int)$m[1];
        } elseif (preg_match('/^Set-Cookie: SITESESSID=([^;]*)/i', $line, $m)) {
            $cookies[$who] = $m[1] === 'deleted' ? '' : $m[1];
        }
    }
    return array($status, (string)$body, implode("\n", $headers));
}
function get($who, $path)
{
    return request($who, 'GET', $path);
}
function post($who, $path, array $fields)
{
    return request($who, 'POST', $path, $fields);
}
/* Signs an account in with the captcha its session was given. */
function sign_in($who, $name, $password)
{
    global $siteDir, $cookies;
    $cookies[$who] = '';
    request($who, 'GET', 'code.php');
    $session = @unserialize((string)@file_get_contents($siteDir . 'cache/sessions/sess_' . $cookies[$who]), array('allowed_classes' => false));
    $code = is_array($session) && isset($session['site_captcha']['code']) ? $session['site_captcha']['code'] : '';
    return post($who, 'admin/signin.php?act=login', array(array('act', 'login'), array('admin_name', $name),
        array('admin_password', $password), array('captcha', $code)));
}
function redirected_to_signin(array $response)
{
    return in_array($response[0], array(302, 303), true) && preg_match('#^Location: \S*signin\.php#mi', $response[2]) === 1;
}
/* The list page's offers: add tab, edit and delete links, delete-many button. */
function offers($body)
{
    return array('add' => strpos($body, '.php?act=add"') !== false, 'edit' => strpos($body, '>编辑</a>') !== false,
        'delete' => strpos($body, '>删除</a>') !== false, 'delall' => strpos($body, 'id="DelAllOk"') !== false);
}
function id_of($name)
{
    $rows = rows_of("SELECT admin_id FROM php_site_admin WHERE admin_name = '" . addslashes($name) . "'");
    return $rows ? (string)$rows[0]['admin_id'] : '';
}

/* --- the owner ------------------------------------------------------------------ */
echo "# the first administrator is the owner\n";
get('owner', 'admin/signin.php');
list($status) = post('owner', 'admin/signin.php?act=setup', array(array('act', 'setup'), array('admin_name', 'owner'),
    array('admin_password', 'owner-password'), array('admin_password2', 'owner-password')));
check($status === 303 && rows_of('SELECT is_owner, disabled FROM php_site_admin') === array(array('is_owner' => '1', 'disabled' => '0')),
    'the first administrator is created as the owner', array($status, rows_of('SELECT * FROM php_site_admin')));
list($status, $body) = get('owner', 'admin/index.php');
check($status === 200 && strpos($body, 'href="accounts.php"') !== false && strpos($body, 'tag.php?act=show') !== false
    && strpos($body, 'news.php?act=add') !== false && strpos($body, 'order.php?act=add') !== false,
    'the owner\'s menu offers every class and the accounts page', $body);

$root->query("INSERT INTO php_tag (id, name) VALUES (1, '国内'), (2, '国际')");
$root->query("INSERT INTO php_news (id, title, tag) VALUES (1, '第一条', 1), (2, '第二条', 2)");
$root->query("INSERT INTO php_order (id, note, news) VALUES (1, '订单一', 1), (2, '订单二', 2)");

foreach (array('editor', 'clerk') as $name) {
    list($status, $body) = post('owner', 'admin/accounts.php?act=add', array(array('admin_name', $name),
        array('admin_password', "$name-password"), array('admin_password2', "$name-password")));
    check($status === 200 && id_of($name) !== '', "the owner adds the account $name", array($status, $body));
}
list($status, $body) = post('owner', 'admin/accounts.php?act=add', array(array('admin_name', 'editor'),
    array('admin_password', 'other-password'), array('admin_password2', 'other-password')));
check($status === 409 && count(rows_of("SELECT * FROM php_site_admin WHERE admin_name = 'editor'")) === 1, 'a name in use is refused', array($status, $body));
list($status) = post('owner', 'admin/accounts.php?act=rights', array(array('admin_id', id_of('editor')),
    array('rights[]', 'list:News'), array('rights[]', 'add:News'), array('rights[]', 'list:Gone'), array('rights[]', 'root:News')));
list($status2) = post('owner', 'admin/accounts.php?act=rights', array(array('admin_id', id_of('clerk')), array('rights[]', 'list:Order')));
check($status === 200 && $status2 === 200 && rows_of('SELECT admin_id, class_name, may_list, may_add, may_edit, may_delete, may_export FROM php_site_admin_right ORDER BY admin_id')
    === array(array('admin_id' => id_of('editor'), 'class_name' => 'News', 'may_list' => '1', 'may_add' => '1', 'may_edit' => '0', 'may_delete' => '0', 'may_export' => '0'),
              array('admin_id' => id_of('clerk'), 'class_name' => 'Order', 'may_list' => '1', 'may_add' => '0', 'may_edit' => '0', 'may_delete' => '0', 'may_export' => '0')),
    'the grid stores the ticked rights of the model\'s classes only', rows_of('SELECT * FROM php_site_admin_right'));
list($status, $body) = get('owner', 'admin/accounts.php');
check($status === 200 && substr_count($body, 'name="rights[]" value="list:News" checked') === 1
    && substr_count($body, 'name="rights[]"') === 2 * 3 * 5, 'the accounts page shows one grid of classes × acts per other account', $body);

/* --- the editor and the clerk --------------------------------------------------- */
echo "# what the editor and the clerk are offered\n";
check(sign_in('editor', 'editor', 'editor-password')[0] === 303, 'the editor signs in');
check(sign_in('clerk', 'clerk', 'clerk-password')[0] === 303, 'the clerk signs in');
list($status, $body) = get('editor', 'admin/index.php');
check($status === 200 && strpos($body, 'news.php?act=show') !== false && strpos($body, 'news.php?act=add') !== false
    && strpos($body, 'order.php') === false && strpos($body, 'tag.php') === false && strpos($body, 'accounts.php') === false,
    'the editor\'s menu offers the news and adding news only', $body);
list($status, $body) = get('editor', 'admin/news.php?act=show');
check($status === 200 && strpos($body, '第一条') !== false && offers($body) === array('add' => true, 'edit' => false, 'delete' => false, 'delall' => false),
    'the editor\'s news list offers adding, no edit or delete link, no delete-many button', array(offers($body), $body));
list($status, $body) = get('clerk', 'admin/index.php');
check($status === 200 && strpos($body, 'order.php?act=show') !== false && strpos($body, 'order.php?act=add') === false
    && strpos($body, 'news.php') === false && strpos($body, 'tag.php') === false, 'the clerk\'s menu offers the list of orders only', $body);
list($status, $body) = get('clerk', 'admin/order.php');
check($status === 200 && strpos($body, '订单一') !== false && offers($body) === array('add' => false, 'edit' => false, 'delete' => false, 'delall' => false),
    'the clerk\'s order list offers nothing but the list', array(offers($body), $body));
list($status, $body) = get('owner', 'admin/news.php?act=show');
check($status === 200 && offers($body) === array('add' => true, 'edit' => true, 'delete' => true, 'delall' => true), 'the owner\'s list offers everything', offers($body));

echo "# forged requests for refused acts\n";
$before = snapshot();
$forged = array(
    array('editor', 'GET', 'admin/news.php?act=remove&id=1', array()),
    array('editor', 'POST', 'admin/news.php?act=remove&id=1', array()),
    array('editor', 'POST', 'admin/news.php?act=delall', array(array('delid[]', '1'), array('delid[]', '2'))),
    array('editor', 'GET', 'admin/news.php?act=delall&delid[]=1', array()),
    array('editor', 'GET', 'admin/news.php?act=edit&id=1', array()),
    array('editor', 'POST', 'admin/news.php?act=editok', array(array('news[id]', '1'), array('news[title]', '改了'), array('news[tag]', '1'))),
    array('editor', 'GET', 'admin/order.php?act=show', array()),
    array('editor', 'GET', 'admin/order.php', array()),
    array('editor', 'POST', 'admin/order.php?act=addok', array(array('order[note]', '伪造'), array('order[news]', '1'))),
    array('editor', 'GET', 'admin/tag.php?act=show', array()),
    array('editor', 'GET', 'admin/accounts.php', array()),
    array('editor', 'POST', 'admin/accounts.php?act=rights', array(array('admin_id', id_of('editor')), array('rights[]', 'delete:News'))),
    array('editor', 'POST', 'admin/accounts.php?act=delete', array(array('admin_id', id_of('clerk')))),
    array('editor', 'POST', 'admin/accounts.php?act=add', array(array('admin_name', 'intruder'), array('admin_password', 'intruder-pw'), array('admin_password2', 'intruder-pw'))),
    array('clerk', 'GET', 'admin/order.php?act=add', array()),
    array('clerk', 'POST', 'admin/order.php?act=addok', array(array('order[note]', '伪造'), array('order[news]', '1'))),
    array('clerk', 'GET', 'admin/order.php?act=edit&id=1', array()),
    array('clerk', 'POST', 'admin/order.php?act=editok', array(array('order[id]', '1'), array('order[note]', '改了'), array('order[news]', '1'))),
    array('clerk', 'GET', 'admin/order.php?act=remove&id=1', array()),
    array('clerk', 'POST', 'admin/order.php?act=delall', array(array('delid[]', '1'))),
    array('clerk', 'GET', 'admin/news.php', array()),
    array('clerk', 'POST', 'admin/news.php?act=addok', array(array('news[title]', '伪造'), array('news[tag]', '1'))),
    array('clerk', 'GET', 'admin/reference_search.php?ref=Tag&q=', array()),
    array('clerk', 'POST', 'admin/accounts.php?act=password', array(array('admin_id', id_of('owner')), array('admin_password', 'taken-over'), array('admin_password2', 'taken-over'))),
);
$refused = array();
foreach ($forged as $case) {
    list($status, $body) = request($case[0], $case[1], $case[2], $case[3]);
    // A page answers with a message page, the reference search with JSON.
    if ($status !== 403 || (strpos($body, '提示信息') === false && strpos($body, '"err":') === false)) {
        $refused[] = array($case[0], $case[1], $case[2], $status);
    }
}
check($refused === array(), 'every refused act answers 403 with a message (' . count($forged) . ' requests)', $refused);
check(snapshot() === $before, 'the refused requests changed nothing');

echo "# what the editor and the clerk may do\n";
list($status, $body) = post('editor', 'admin/news.php?act=addok', array(array('news[title]', '编辑添加'), array('news[tag]', '1')));
check(count(rows_of("SELECT * FROM php_news WHERE title = '编辑添加'")) === 1, 'the editor adds news', $body);
list($status, $body) = get('editor', 'admin/reference_search.php?ref=Tag&q=' . rawurlencode('国'));
check($status === 200 && strpos($body, '国内') !== false, 'the editor searches the tags the news refer to', array($status, $body));
list($status, $body) = get('clerk', 'admin/reference_search.php?ref=News&q=');
check($status === 200 && strpos($body, '第一条') !== false, 'the clerk searches the news the orders refer to', array($status, $body));

echo "# exporting a list\n";
/* The export entries of the change log. */
function export_log()
{
    return rows_of("SHOW TABLES LIKE 'php_site_change_log'") ? rows_of("SELECT admin_name, class_name, record_key, details FROM php_site_change_log WHERE act = 'export' ORDER BY log_id") : array();
}
$root->query("INSERT INTO php_news (id, title, tag) VALUES (4, '第四条, \"引号\"\n=1+1', 2), (5, '其他', 1)");
list($status, $body) = get('editor', 'admin/news.php?act=show');
list($status2, $body2) = get('owner', 'admin/news.php?act=show');
check(strpos($body, 'name="export"') === false && strpos($body2, '<input type="submit" name="export" value="导出 CSV" />') !== false,
    'the export button is offered only to an account with the right', array($body, $body2));
$before = export_log();
$refusals = array(get('editor', 'admin/news.php?act=show&export=1'), post('editor', 'admin/news.php', array(array('export', '1'))),
    get('editor', 'admin/news.php?title=' . rawurlencode('条') . '&export=' . rawurlencode('导出 CSV')));
check(array_map(function ($r) { return $r[0] === 403 && strpos($r[1], '提示信息') !== false && strpos($r[1], '第一条') === false; }, $refusals) === array(true, true, true)
    && export_log() === $before, 'an export without the export right answers 403, sends no record and logs nothing', $refusals);
list($status, $body, $headers) = get('owner', 'admin/news.php?title=' . rawurlencode('条') . '&export=' . rawurlencode('导出 CSV'));
$file = fopen('php://memory', 'w+b');
fwrite($file, substr($body, 3));
rewind($file);
$rows = array();
while (($row = fgetcsv($file, 0, ',', '"', '')) !== false) {
    $rows[] = $row;
}
check($status === 200 && strpos($body, "\xEF\xBB\xBF编号,标题,标签\r\n") === 0
    && preg_match('#^Content-Type: text/csv; charset=UTF-8$#mi', $headers) === 1
    && preg_match('#^Content-Disposition: attachment; filename="News\.csv"; filename\*=UTF-8\'\'News\.csv$#mi', $headers) === 1
    && $rows === array(array('编号', '标题', '标签'), array('4', "第四条, \"引号\"\n=1+1", '国际'), array('2', '第二条', '国际'), array('1', '第一条', '国内')),
    'the owner\'s export of a search is a CSV file of exactly the matching records, newest first, references by their name', array($status, $headers, $rows, $body));
$after = export_log();
check(count($after) === count($before) + 1 && end($after) === array('admin_name' => 'owner', 'class_name' => 'News', 'record_key' => '',
    'details' => '{"search":{"title":"条"},"rows":3}'), 'the export is logged once, with its search and row count', $after);

echo "# the change log\n";
/* The log's change entries after $after: act, class, key, account and what changed. */
function log_since($after)
{
    $rows = rows_of('SELECT log_id, act, class_name, record_key, admin_name, details FROM php_site_change_log WHERE log_id > ' . (int)$after . " AND act <> 'export' ORDER BY log_id");
    foreach ($rows as &$row) {
        $row['details'] = json_decode($row['details'], true);
        unset($row['log_id']);
    }
    return $rows;
}
function last_log_id()
{
    return (int)rows_of('SELECT COALESCE(MAX(log_id), 0) AS n FROM php_site_change_log')[0]['n'];
}
$added = rows_of("SELECT id FROM php_news WHERE title = '编辑添加'")[0]['id'];
check(log_since(0) === array(array('act' => 'add', 'class_name' => 'News', 'record_key' => $added, 'admin_name' => 'editor',
    'details' => array('id' => array(null, $added), 'title' => array(null, '编辑添加'), 'tag' => array(null, '1')))),
    'the editor\'s addition is logged with the new record\'s values', log_since(0));
$mark = last_log_id();
post('owner', 'admin/news.php?act=editok', array(array('news[id]', '1'), array('news[title]', '第一条（改）'), array('news[tag]', '1')));
post('owner', 'admin/news.php?act=editok', array(array('news[id]', '1'), array('news[title]', '第一条（改）'), array('news[tag]', '1')));
check(log_since($mark) === array(array('act' => 'edit', 'class_name' => 'News', 'record_key' => '1', 'admin_name' => 'owner',
    'details' => array('title' => array('第一条', '第一条（改）')))), 'an edit logs the changed member before and after; an edit that changes nothing logs nothing', log_since($mark));
$mark = last_log_id();
$before = snapshot();
list($status, $body) = post('owner', 'admin/news.php?act=editok', array(array('news[id]', '1'), array('news[title]', '不会保存'), array('news[tag]', '999')));
list($status2, $body2) = get('owner', 'admin/tag.php?act=remove&id=1');
check(strpos($body, '1452') !== false && strpos($body2, '1451') !== false && snapshot() === $before,
    'a change whose statement fails is neither made nor logged', array($body, $body2, log_since($mark)));
get('owner', 'admin/order.php?act=remove&id=2');
post('owner', 'admin/news.php?act=delall', array(array('delid[]', '2'), array('delid[]', $added)));
check(log_since($mark) === array(
        array('act' => 'remove', 'class_name' => 'Order', 'record_key' => '2', 'admin_name' => 'owner', 'details' => array('id' => array('2', null), 'note' => array('订单二', null), 'news' => array('2', null))),
        array('act' => 'delete', 'class_name' => 'News', 'record_key' => '2', 'admin_name' => 'owner', 'details' => array('id' => array('2', null), 'title' => array('第二条', null), 'tag' => array('2', null))),
        array('act' => 'delete', 'class_name' => 'News', 'record_key' => $added, 'admin_name' => 'owner', 'details' => array('id' => array($added, null), 'title' => array('编辑添加', null), 'tag' => array('1', null)))),
    'a removal and a deletion of many log each deleted record with its values', log_since($mark));
list($status, $body) = get('owner', 'admin/changes.php');
preg_match_all('/<td class="log-act">([^<]*)</', $body, $acts);
check($status === 200 && $acts[1] === array('批量删除', '批量删除', '删除', '编辑', '导出', '添加') && strpos($body, '<del>第一条</del> → <ins>第一条（改）</ins>') !== false,
    'the log page lists every entry newest first, with the edit\'s values', array($status, $acts[1]));
list(, $body) = get('owner', 'admin/changes.php?class=News&admin=' . id_of('editor'));
list(, $body2) = get('owner', 'admin/changes.php?from=' . date('Y-m-d', time() + 2 * 86400));
list($status3, $body3) = get('owner', 'admin/changes.php?from=2024-02-30');
check(substr_count($body, 'class="log-act"') === 1 && strpos($body, '添加') !== false && substr_count($body2, 'class="log-act"') === 0 && $status3 === 400,
    'the log page filters by class, account and date, and refuses a date that is none', array($body, $status3));
list(, $edit) = get('owner', 'admin/news.php?act=edit&id=1');
list($status, $history) = get('owner', 'admin/changes.php?class=News&key=1');
check(strpos($edit, 'href="changes.php?class=News&key=1"') !== false && $status === 200 && substr_count($history, 'class="log-act"') === 1,
    'the edit page links the record\'s history, which holds its entries only', array($edit, $history));
list($status) = get('editor', 'admin/changes.php');
list($status2) = get('editor', 'admin/changes.php?class=News&key=1');
list($status3) = get('editor', 'admin/changes.php?class=News&key=1&admin=' . id_of('owner'));
check($status === 403 && $status2 === 403 && $status3 === 403, 'an account that is no owner sees neither the whole log nor a history it may not edit', array($status, $status2, $status3));
$rows = rows_of('SELECT * FROM php_news');
$root->query("INSERT INTO php_site_admin_right (admin_id, class_name, may_list, may_edit) VALUES (" . id_of('clerk') . ", 'News', 1, 1)");
list($status, $history) = get('clerk', 'admin/changes.php?class=News&key=1');
$root->query("DELETE FROM php_site_admin_right WHERE admin_id = " . id_of('clerk') . " AND class_name = 'News'");
check($status === 200 && substr_count($history, 'class="log-act"') === 1, 'an account that may edit a class sees a record\'s history', array($status, $history));
$root->query("INSERT INTO php_site_change_log (logged_at, admin_id, admin_name, class_name, record_key, act, details) VALUES (NOW(), 1, 'owner', 'Gone', '7', 'remove', '{\"name\":[\"旧类的记录\",null]}')");
list(, $body) = get('owner', 'admin/changes.php');
list(, $body2) = get('owner', 'admin/changes.php?class=Gone');
check(strpos($body, '<option value="Gone">Gone（已不在模型中）</option>') !== false && substr_count($body2, 'class="log-act"') === 1 && strpos($body2, '旧类的记录') !== false,
    'the entries of a class the model no longer has are kept and can be chosen', array(strstr($body, '<option value="Gone"'), substr_count($body2, 'class="log-act"')));

echo "# the accounts page keeps the site's rules\n";
$before = snapshot();
list($status) = request('owner', 'POST', 'admin/accounts.php?act=add', array(array('admin_name', 'cross'),
    array('admin_password', 'cross-password'), array('admin_password2', 'cross-password')), 'http://evil.example');
list($status2) = request('owner', 'POST', 'admin/accounts.php?act=delete', array(array('admin_id', id_of('clerk'))), null);
list($status3) = request('owner', 'GET', 'admin/accounts.php?act=delete&admin_id=' . id_of('clerk'), array(), null);
check($status === 403 && $status2 === 403 && $status3 === 403 && snapshot() === $before,
    'a change from another site, without origin, or as a link is refused', array($status, $status2, $status3));
list($status4) = request('owner', 'GET', 'admin/accounts.php?act=delete&admin_id=' . id_of('clerk'), array(), 'own');
check($status4 === 405 && snapshot() === $before, 'a change sent as GET from the site\'s own page is refused', $status4);
$response = get('nobody', 'admin/accounts.php');
$response2 = post('nobody', 'admin/accounts.php?act=add', array(array('admin_name', 'anon'), array('admin_password', 'anon-password'), array('admin_password2', 'anon-password')));
check(redirected_to_signin($response) && redirected_to_signin($response2) && snapshot() === $before,
    'without signing in the accounts page sends to the sign-in page', array($response[0], $response2[0]));
list($status, $body) = post('owner', 'admin/accounts.php?act=delete', array(array('admin_id', id_of('owner'))));
list($status2) = post('owner', 'admin/accounts.php?act=disable', array(array('admin_id', id_of('owner'))));
check($status === 409 && $status2 === 409 && snapshot() === $before, 'the last owner can be neither deleted nor disabled', array($status, $status2, $body));
list($status) = post('owner', 'admin/accounts.php?act=password', array(array('admin_id', id_of('clerk')),
    array('admin_password', 'short'), array('admin_password2', 'short')));
check($status === 400 && snapshot() === $before, 'a short password is refused');

echo "# rename, new password, disable, delete\n";
post('owner', 'admin/accounts.php?act=rename', array(array('admin_id', id_of('editor')), array('admin_name', '编辑甲')));
post('owner', 'admin/accounts.php?act=password', array(array('admin_id', id_of('编辑甲')),
    array('admin_password', 'editor-new-password'), array('admin_password2', 'editor-new-password')));
check(sign_in('editor', '编辑甲', 'editor-password')[0] === 200 && sign_in('editor', '编辑甲', 'editor-new-password')[0] === 303,
    'the renamed editor signs in with the new password only');
list($status, $body) = post('owner', 'admin/accounts.php?act=disable', array(array('admin_id', id_of('clerk'))));
check($status === 200 && rows_of("SELECT disabled FROM php_site_admin WHERE admin_name = 'clerk'") === array(array('disabled' => '1')), 'the owner disables the clerk', $body);
$session = $cookies['clerk'];
$response = get('clerk', 'admin/order.php');
$cookies['clerk'] = $session;
$response2 = get('clerk', 'admin/index.php');
check(redirected_to_signin($response) && strpos($response[1], '订单一') === false && redirected_to_signin($response2)
    && !is_file($siteDir . 'cache/sessions/sess_' . $session), 'the disabled clerk is signed out at the next request, its session gone', array($response[0], $response2[0]));
list($status, $body) = sign_in('clerk', 'clerk', 'clerk-password');
check($status === 200 && strpos($body, '停用') !== false, 'the disabled clerk cannot sign in again', array($status, $body));
$root->query("INSERT INTO php_site_admin_right (admin_id, class_name, may_list) VALUES (" . id_of('clerk') . ", 'Gone', 1)");
list($status, $body) = post('owner', 'admin/accounts.php?act=delete', array(array('admin_id', id_of('clerk'))));
check($status === 200 && id_of('clerk') === '' && rows_of("SELECT * FROM php_site_admin_right WHERE class_name <> 'News'") === array(),
    'the owner deletes the clerk with its rights', array($body, rows_of('SELECT * FROM php_site_admin_right')));
$root->query("INSERT INTO php_site_admin_right (admin_id, class_name, may_list) VALUES (" . id_of('编辑甲') . ", 'Removed', 1)");
get('owner', 'admin/accounts.php');
check(rows_of("SELECT class_name FROM php_site_admin_right") === array(array('class_name' => 'News')),
    'the accounts page drops the rights of a class the model no longer has');

list($status) = post('owner', 'admin/accounts.php?act=unowner', array(array('admin_id', id_of('owner'))));
post('owner', 'admin/accounts.php?act=owner', array(array('admin_id', id_of('编辑甲'))));
list($status2) = get('editor', 'admin/accounts.php');
post('editor', 'admin/accounts.php?act=unowner', array(array('admin_id', id_of('编辑甲'))));
list($status3) = get('editor', 'admin/accounts.php');
check($status === 409 && $status2 === 200 && $status3 === 403 && rows_of('SELECT admin_name FROM php_site_admin WHERE is_owner = 1') === array(array('admin_name' => 'owner')),
    'the last owner stays one; another account made an owner manages the accounts until it gives that up', array($status, $status2, $status3));
echo "# a database made before owners and rights\n";
$root->query('DROP TABLE php_site_admin_right, php_site_change_log');
$root->query('ALTER TABLE php_site_admin DROP COLUMN is_owner, DROP COLUMN disabled');
list($status, $body) = get('owner', 'admin/index.php');
check($status === 200 && strpos($body, 'href="accounts.php"') !== false
    && rows_of('SELECT admin_name, is_owner, disabled FROM php_site_admin ORDER BY admin_id') === array(
        array('admin_name' => 'owner', 'is_owner' => '1', 'disabled' => '0'), array('admin_name' => '编辑甲', 'is_owner' => '0', 'disabled' => '0')),
    'the first administrator becomes the owner, the others have no rights yet', array($status, rows_of('SELECT * FROM php_site_admin')));
list($status, $body) = get('editor', 'admin/news.php');
check($status === 403 && count(rows_of('SELECT * FROM php_site_admin_right')) === 0, 'the rights table is made again, empty', array($status, $body));
sign_in('owner', 'owner', 'owner-password');
post('owner', 'admin/news.php?act=editok', array(array('news[id]', '1'), array('news[title]', '第一条（再改）'), array('news[tag]', '1')));
check(log_since(0) === array(array('act' => 'edit', 'class_name' => 'News', 'record_key' => '1', 'admin_name' => 'owner',
    'details' => array('title' => array('第一条（改）', '第一条（再改）')))), 'the log table is made again before the first change, which it records', log_since(0));

/* --- the server's log ---------------------------------------------------------------- */
$log = (string)file_get_contents($serverLog);
preg_match_all('/^.*site: (PHP |uncaught|fatal|SQL error (?!1451|1452)).*$/m', $log, $m);
check($m[0] === array(), 'the server logged no PHP warning, no uncaught error and no SQL error but the two failed changes', $m[0]);
preg_match_all('/site: refused for want of the right/', $log, $r);
check(count($r[0]) >= 18, 'every refusal for want of a right is logged', count($r[0]));
finish();
