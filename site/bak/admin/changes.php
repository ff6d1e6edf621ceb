<?php
/**
 * The change log, newest first, filtered by class, account and date and
 * paged like the lists:
 *   class  a class name (also one the model no longer has)
 *   admin  an account's number
 *   from, to  days (YYYY-MM-DD), both included
 *   key    with class: one record's history, as its edit page links it
 * The owner sees the whole log; any other account only the history of a
 * record of a class it may edit.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'own');
require_once __DIR__ . '/include/global.php';

const SITE_LOG_PAGE_SIZE = 20;

$isOwner = (int)$site_admin['is_owner'] === 1;
$filter = array();
foreach (array('class', 'admin', 'from', 'to', 'key') as $name) {
    $value = site_raw($name, '');
    $filter[$name] = is_string($value) ? trim($value) : '';
}
if ($filter['key'] !== '' && $filter['class'] === '') {
    showmsg('查看一条记录的修改记录时须指明它的类。', '', 400);
}
if (!$isOwner && ($filter['key'] === '' || !site_may($site_rights, $filter['class'], 'edit'))) {
    error_log('site: the change log refused to the account "' . $site_admin['admin_name'] . '"');
    showmsg('只有网站的所有者可以查看全部修改记录；其他账号只能从可以编辑的记录的编辑页面查看它的修改记录。', '', 403);
}
foreach (array('from' => '开始日期', 'to' => '结束日期') as $name => $label) {
    if ($filter[$name] !== '' && (!preg_match('/^(\d{4})-(\d{1,2})-(\d{1,2})$/', $filter[$name], $day) || !checkdate((int)$day[2], (int)$day[3], (int)$day[1]))) {
        showmsg($label . '“' . $filter[$name] . '”不是有效的日期（例如 2024-05-01）。', '', 400);
    }
}
if ($filter['admin'] !== '' && !preg_match('/^[1-9][0-9]{0,9}$/', $filter['admin'])) {
    showmsg('没有这个账号。', '', 400);
}

$where = array();
$params = array();
if ($filter['class'] !== '') {
    $where[] = 'class_name = ?';
    $params[] = $filter['class'];
}
if ($filter['key'] !== '') {
    $where[] = 'record_key = ?';
    $params[] = $filter['key'];
}
if ($filter['admin'] !== '') {
    $where[] = 'admin_id = ?';
    $params[] = $filter['admin'];
}
if ($filter['from'] !== '') {
    $where[] = 'logged_at >= ?';
    $params[] = date('Y-m-d', strtotime($filter['from'])) . ' 00:00:00';
}
if ($filter['to'] !== '') {
    $where[] = 'logged_at < ?';
    $params[] = date('Y-m-d', strtotime($filter['to'] . ' +1 day')) . ' 00:00:00';
}
$condition = $where ? ' WHERE ' . implode(' AND ', $where) : '';
$table = site_change_log_table($DB);

try {
    $total = (int)$DB->execute('SELECT COUNT(*) AS n FROM ' . $table . $condition, $params)->fetch_assoc()['n'];
} catch (mysqli_sql_exception $e) {
    if ($e->getCode() !== 1146) {
        throw $e;
    }
    // A database made before the log was kept: the log starts now.
    site_change_log_ensure_table($DB);
    $total = 0;
}
$pageCount = max(1, (int)ceil($total / SITE_LOG_PAGE_SIZE));
$page = min(max(1, (int)site_raw('page', '1')), $pageCount);
$entries = $total === 0 ? array() : $DB->execute('SELECT log_id, logged_at, admin_id, admin_name, class_name, record_key, act, details FROM '
    . $table . $condition . ' ORDER BY log_id DESC LIMIT ' . (($page - 1) * SITE_LOG_PAGE_SIZE) . ', ' . SITE_LOG_PAGE_SIZE, $params)->fetch_all(MYSQLI_ASSOC);
$pages = multi($total, SITE_LOG_PAGE_SIZE, $page, 'changes.php?' . http_build_query(array_filter($filter, 'strlen'), '', '&'));

$model = site_require_model();
$accounts = $isOwner ? site_admin_list($DB) : array();
// Classes the model no longer has keep their entries, and stay choosable.
$removedClasses = array();
if ($isOwner) {
    foreach ($DB->execute('SELECT DISTINCT class_name FROM ' . $table)->fetch_all(MYSQLI_ASSOC) as $row) {
        if (!isset($model[$row['class_name']])) {
            $removedClasses[] = $row['class_name'];
        }
    }
}

/* A class's caption: its label, else its name (also of a removed class). */
function site_log_class_caption(array $model, $name)
{
    return isset($model[$name]) && is_string($model[$name]['label']) && $model[$name]['label'] !== '' ? $model[$name]['label'] : $name;
}

/* What an entry describes, as HTML lines. */
function site_log_details_html(array $model, array $entry)
{
    $details = json_decode($entry['details'], true);
    if (!is_array($details)) {
        return '';
    }
    if ($entry['act'] === 'export') {
        $search = array();
        foreach (isset($details['search']) && is_array($details['search']) ? $details['search'] : array() as $name => $value) {
            $search[] = site_h(site_log_member_caption($model, $entry['class_name'], $name) . ' = ' . (is_scalar($value) ? $value : json_encode($value, JSON_UNESCAPED_UNICODE)));
        }
        return site_h((isset($details['rows']) ? (int)$details['rows'] : 0) . ' 条记录') . ($search ? '；查询：' . implode('，', $search) : '；全部记录');
    }
    $lines = array();
    foreach ($details as $name => $change) {
        if (!is_array($change) || count($change) !== 2) {
            continue;
        }
        $caption = site_h(site_log_member_caption($model, $entry['class_name'], $name));
        if ($entry['act'] === 'edit') {
            $lines[] = $caption . '：<del>' . site_h((string)$change[0]) . '</del> → <ins>' . site_h((string)$change[1]) . '</ins>';
        } else {
            $lines[] = $caption . '：' . site_h((string)($entry['act'] === 'add' ? $change[1] : $change[0]));
        }
    }
    return implode('<br />', $lines);
}

function site_log_member_caption(array $model, $class, $member)
{
    return isset($model[$class]['members'][$member]['label']) && (string)$model[$class]['members'][$member]['label'] !== ''
        ? (string)$model[$class]['members'][$member]['label'] : (string)$member;
}
?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<title>修改记录</title>
<link href="<?php echo site_h($css_root); ?>images/admincp.css" rel="stylesheet" type="text/css" />
</head>
<body>
<div class="container changes">
  <div class="itemtitle"><h3><?php echo $filter['key'] !== '' ? site_h(site_log_class_caption($model, $filter['class']) . '“' . $filter['key'] . '”的修改记录') : '修改记录'; ?></h3></div>
<?php if ($isOwner) { ?>
  <form method="get" action="changes.php" id="log_filter">
    <table class="tb tb2"><tbody><tr class="noborder"><td>
      类: <select name="class"><option value="">全部</option>
<?php foreach ($model as $className => $class) { $className = (string)$className; ?>
        <option value="<?php echo site_h($className); ?>"<?php echo $filter['class'] === $className ? ' selected' : ''; ?>><?php echo site_h(site_log_class_caption($model, $className)); ?></option>
<?php } ?>
<?php foreach ($removedClasses as $className) { ?>
        <option value="<?php echo site_h($className); ?>"<?php echo $filter['class'] === $className ? ' selected' : ''; ?>><?php echo site_h($className); ?>（已不在模型中）</option>
<?php } ?>
      </select>
      账号: <select name="admin"><option value="">全部</option>
<?php foreach ($accounts as $account) { ?>
        <option value="<?php echo (int)$account['admin_id']; ?>"<?php echo $filter['admin'] === (string)$account['admin_id'] ? ' selected' : ''; ?>><?php echo site_h($account['admin_name']); ?></option>
<?php } ?>
      </select>
      日期: <input type="text" name="from" style="width:80px" value="<?php echo site_h($filter['from']); ?>" placeholder="2024-01-01" />
      至 <input type="text" name="to" style="width:80px" value="<?php echo site_h($filter['to']); ?>" placeholder="2024-12-31" />
<?php if ($filter['key'] !== '') { ?>
      <input type="hidden" name="key" value="<?php echo site_h($filter['key']); ?>" />
<?php } ?>
      <input type="submit" value="查询" />
    </td></tr></tbody></table>
  </form>
<?php } ?>
  <table class="tb tb2" id="log">
    <tbody>
      <tr class="header"><th>时间</th><th>账号</th><th>类</th><th>记录</th><th>操作</th><th>内容</th></tr>
<?php foreach ($entries as $entry) { ?>
      <tr class="hover" id="log_<?php echo (int)$entry['log_id']; ?>">
        <td><?php echo site_h($entry['logged_at']); ?></td>
        <td class="log-account"><?php echo site_h($entry['admin_name']); ?></td>
        <td class="log-class"><?php echo site_h(site_log_class_caption($model, $entry['class_name'])); ?></td>
        <td class="log-key"><?php echo site_h($entry['record_key']); ?></td>
        <td class="log-act"><?php echo site_h(isset(SITE_LOG_ACT_LABELS[$entry['act']]) ? SITE_LOG_ACT_LABELS[$entry['act']] : $entry['act']); ?></td>
        <td class="log-details"><?php echo site_log_details_html($model, $entry); ?></td>
      </tr>
<?php } ?>
    </tbody>
  </table>
  <?php echo $pages; ?>
</div>
</body>
</html>
