<?php
/**
 * The owner's page of the administrator accounts: add, rename, reset a
 * password, disable or enable, delete (never the last owner), and the
 * rights of each other account per class and act as a grid of check boxes.
 *
 * Only for an owner. Every change is a POST from this site's own pages
 * (global.php refuses others):
 *   act=add      admin_name, admin_password, admin_password2
 *   act=rename   admin_id, admin_name
 *   act=password admin_id, admin_password, admin_password2
 *   act=disable / act=enable / act=delete   admin_id
 *   act=owner / act=unowner   admin_id: make an owner, or no longer one
 *   act=rights   admin_id, rights[] = "right:Class" per ticked box
 * Showing the page drops the rights rows of classes the model no longer has.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'own');
require_once __DIR__ . '/include/global.php';

if ((int)$site_admin['is_owner'] !== 1) {
    error_log('site: the accounts page refused to the account "' . $site_admin['admin_name'] . '"');
    showmsg('只有网站的所有者可以管理账号和权限。', '', 403);
}

$act = site_requested_act();
$changes = array('add', 'rename', 'password', 'disable', 'enable', 'delete', 'owner', 'unowner', 'rights');
if ($act !== '' && $act !== 'show' && !in_array($act, $changes, true)) {
    showmsg('没有这个操作。', '', 404);
}
if (in_array($act, $changes, true)) {
    if (!isset($_SERVER['REQUEST_METHOD']) || $_SERVER['REQUEST_METHOD'] !== 'POST') {
        showmsg('账号的修改只能从账号管理页面提交。', '', 405);
    }
    $id = site_raw('admin_id', '');
    $account = null;
    if ($act !== 'add') {
        $account = is_string($id) && preg_match('/^[1-9][0-9]{0,9}$/', $id) ? site_admin_find($DB, 'admin_id', (int)$id) : null;
        if ($account === null) {
            showmsg('这个账号已不存在。', 'accounts.php', 404);
        }
    }
    $name = site_raw('admin_name', '');
    $password = site_raw('admin_password', '');
    $again = site_raw('admin_password2', '');
    $who = $account !== null ? '“' . $account['admin_name'] . '”' : '';
    switch ($act) {
        case 'add':
            $error = site_admin_name_error($name) ?: site_admin_password_error($password, $again);
            if ($error !== '') {
                showmsg($error, '', 400);
            }
            if (!site_admin_add($DB, $name, $password)) {
                showmsg('登录名“' . $name . '”已被使用。', '', 409);
            }
            error_log('site: account "' . $name . '" added by "' . $site_admin['admin_name'] . '"');
            showmsg('账号“' . $name . '”已添加，请为它勾选权限。', 'accounts.php');
            break;
        case 'rename':
            $error = site_admin_name_error($name);
            if ($error !== '') {
                showmsg($error, '', 400);
            }
            if (!site_admin_rename($DB, $account['admin_id'], $name)) {
                showmsg('登录名“' . $name . '”已被使用。', '', 409);
            }
            showmsg('账号' . $who . '已改名为“' . $name . '”。', 'accounts.php');
            break;
        case 'password':
            $error = site_admin_password_error($password, $again);
            if ($error !== '') {
                showmsg($error, '', 400);
            }
            site_admin_set_password($DB, $account['admin_id'], $password);
            showmsg('账号' . $who . '的密码已重设。', 'accounts.php');
            break;
        case 'disable':
        case 'enable':
        case 'delete':
            if (!site_admin_remove_or_disable($DB, $account['admin_id'], $act === 'delete', $act === 'disable')) {
                showmsg('账号' . $who . '是最后一个可以登录的所有者，不能' . ($act === 'delete' ? '删除' : '停用') . '。', '', 409);
            }
            error_log('site: account "' . $account['admin_name'] . '": ' . $act . ' by "' . $site_admin['admin_name'] . '"');
            showmsg('账号' . $who . ($act === 'delete' ? '已删除。' : ($act === 'disable' ? '已停用，它的登录在下一次请求时结束。' : '已启用。')), 'accounts.php');
            break;
        case 'owner':
        case 'unowner':
            if (!site_admin_set_owner($DB, $account['admin_id'], $act === 'owner')) {
                showmsg('账号' . $who . '是最后一个可以登录的所有者，必须保留所有者身份。', '', 409);
            }
            error_log('site: account "' . $account['admin_name'] . '": ' . $act . ' by "' . $site_admin['admin_name'] . '"');
            showmsg('账号' . $who . ($act === 'owner' ? '已成为所有者，拥有全部权限。' : '已不再是所有者，它的权限按下面的表格设置。'), 'accounts.php');
            break;
        case 'rights':
            if ((int)$account['is_owner'] === 1) {
                showmsg('所有者拥有全部权限，不需要设置。', '', 400);
            }
            $ticked = site_raw('rights', array());
            site_rights_save($DB, $account['admin_id'], is_array($ticked) ? $ticked : array());
            showmsg('账号' . $who . '的权限已保存。', 'accounts.php');
            break;
    }
}

$cleaned = site_rights_clean($DB);
if ($cleaned > 0) {
    error_log('site: ' . $cleaned . ' rights rows of classes the model no longer has dropped');
}
$accounts = site_admin_list($DB);
$classes = site_require_model();
?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<title>账号与权限</title>
<link href="<?php echo site_h($css_root); ?>images/admincp.css" rel="stylesheet" type="text/css" />
</head>
<body>
<div class="container accounts">
  <div class="itemtitle"><h3>账号与权限</h3></div>
  <table class="tb tb2" id="accounts">
    <tbody>
      <tr class="header"><th>登录名</th><th>身份</th><th>状态</th><th>上次登录</th><th>改名</th><th>重设密码</th><th></th><th></th><th></th></tr>
<?php foreach ($accounts as $row) { $rowId = (int)$row['admin_id']; ?>
      <tr class="hover" id="account_<?php echo $rowId; ?>">
        <td class="account-name"><?php echo site_h($row['admin_name']); ?></td>
        <td><?php echo (int)$row['is_owner'] === 1 ? '所有者' : '管理员'; ?></td>
        <td class="account-state"><?php echo (int)$row['disabled'] === 1 ? '已停用' : '正常'; ?></td>
        <td><?php echo site_h($row['last_login_at'] !== null ? $row['last_login_at'] : '（从未登录）'); ?></td>
        <td><form method="post" action="accounts.php?act=rename"><input type="hidden" name="admin_id" value="<?php echo $rowId; ?>" />
          <input class="txt" type="text" name="admin_name" maxlength="60" required value="<?php echo site_h($row['admin_name']); ?>" />
          <input class="btn" type="submit" value="改名" /></form></td>
        <td><form method="post" action="accounts.php?act=password" autocomplete="off"><input type="hidden" name="admin_id" value="<?php echo $rowId; ?>" />
          <input class="txt" type="password" name="admin_password" required minlength="<?php echo SITE_PASSWORD_MIN; ?>" placeholder="新密码" autocomplete="new-password" />
          <input class="txt" type="password" name="admin_password2" required minlength="<?php echo SITE_PASSWORD_MIN; ?>" placeholder="确认" autocomplete="new-password" />
          <input class="btn" type="submit" value="重设" /></form></td>
        <td><form method="post" action="accounts.php?act=<?php echo (int)$row['disabled'] === 1 ? 'enable' : 'disable'; ?>"><input type="hidden" name="admin_id" value="<?php echo $rowId; ?>" />
          <input class="btn" type="submit" value="<?php echo (int)$row['disabled'] === 1 ? '启用' : '停用'; ?>" /></form></td>
        <td><form method="post" action="accounts.php?act=<?php echo (int)$row['is_owner'] === 1 ? 'unowner' : 'owner'; ?>"><input type="hidden" name="admin_id" value="<?php echo $rowId; ?>" />
          <input class="btn" type="submit" value="<?php echo (int)$row['is_owner'] === 1 ? '取消所有者' : '设为所有者'; ?>" /></form></td>
        <td><form method="post" action="accounts.php?act=delete" onsubmit="return confirm('确定删除这个账号吗？');"><input type="hidden" name="admin_id" value="<?php echo $rowId; ?>" />
          <input class="btn" type="submit" value="删除" /></form></td>
      </tr>
<?php } ?>
    </tbody>
  </table>
  <form method="post" action="accounts.php?act=add" id="account_add" autocomplete="off">
  <table class="tb tb2">
    <tbody>
      <tr><th class="partition" colspan="2">添加账号</th></tr>
      <tr><td class="td27">登录名:</td><td><input class="txt" type="text" name="admin_name" maxlength="60" required /></td></tr>
      <tr><td class="td27">密码:</td><td><input class="txt" type="password" name="admin_password" required minlength="<?php echo SITE_PASSWORD_MIN; ?>" autocomplete="new-password" /></td></tr>
      <tr><td class="td27">确认密码:</td><td><input class="txt" type="password" name="admin_password2" required minlength="<?php echo SITE_PASSWORD_MIN; ?>" autocomplete="new-password" /></td></tr>
      <tr><td></td><td><input class="btn" type="submit" value="添加" /></td></tr>
    </tbody>
  </table>
  </form>
<?php foreach ($accounts as $row) { if ((int)$row['is_owner'] === 1) { continue; } $rowId = (int)$row['admin_id']; $rights = site_rights_of($DB, $row); ?>
  <form method="post" action="accounts.php?act=rights" id="rights_<?php echo $rowId; ?>">
  <input type="hidden" name="admin_id" value="<?php echo $rowId; ?>" />
  <table class="tb tb2">
    <tbody>
      <tr><th class="partition" colspan="<?php echo count(SITE_RIGHTS) + 1; ?>">“<?php echo site_h($row['admin_name']); ?>”的权限</th></tr>
      <tr class="header"><th>数据</th><?php foreach (SITE_RIGHTS as $label) { ?><th><?php echo site_h($label); ?></th><?php } ?></tr>
<?php foreach ($classes as $className => $class) { $className = (string)$className; ?>
      <tr class="hover"><td><?php echo site_h(is_string($class['label']) && $class['label'] !== '' ? $class['label'] : $className); ?></td>
<?php foreach (SITE_RIGHTS as $right => $label) { ?>
        <td><input class="checkbox" type="checkbox" name="rights[]" value="<?php echo site_h($right . ':' . $className); ?>"<?php echo site_may($rights, $className, $right) ? ' checked' : ''; ?> /></td>
<?php } ?>
      </tr>
<?php } ?>
      <tr><td></td><td colspan="<?php echo count(SITE_RIGHTS); ?>"><input class="btn" type="submit" value="保存权限" /></td></tr>
    </tbody>
  </table>
  </form>
<?php } ?>
</div>
</body>
</html>
