<?php
/**
 * Sign-in to the administration area.
 *
 * On the very first visit no administrator exists yet: the page asks for a
 * name and password and creates the account. Afterwards it asks for name,
 * password and the captcha of code.php; repeated failures have to wait
 * longer and longer. act=logout (POST) signs out.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'signin');
require_once __DIR__ . '/include/global.php';

try {
    site_admin_ensure_table($DB);
    site_rights_ensure_table($DB);
    $site_admin_count = site_admin_count($DB);
} catch (mysqli_sql_exception $e) {
    error_log('site: administrator table: ' . $e->getMessage());
    showmsg('无法读取管理员账号表，请检查数据库设置和权限。', '', 500);
}

$act = site_requested_act();
$isPost = isset($_SERVER['REQUEST_METHOD']) && $_SERVER['REQUEST_METHOD'] === 'POST';
$error = '';
$name = is_string(site_raw('admin_name')) ? trim(site_raw('admin_name')) : '';

if ($act === 'logout') {
    if ($isPost) {
        site_session_end();
    }
    site_redirect('signin.php');
}

if (!$isPost && !empty($_SESSION['site_admin_id']) && site_admin_find($DB, 'admin_id', (int)$_SESSION['site_admin_id']) !== null) {
    site_redirect('index.php');
}

/* Signs the account in: new session id, then the frame. */
function site_signin_complete(array $admin)
{
    site_session_renew();
    $_SESSION['site_admin_id'] = (int)$admin['admin_id'];
    $_SESSION['site_previous_login'] = isset($admin['last_login_at']) ? (string)$admin['last_login_at'] : '';
    site_redirect('index.php');
}

if ($isPost && $site_admin_count === 0 && $act === 'setup') {
    $password = site_raw('admin_password');
    $password2 = site_raw('admin_password2');
    $password = is_string($password) ? $password : '';
    if ($name === '' || mb_strlen($name, 'UTF-8') > 60 || preg_match('/[\x00-\x1f\x7f]/', $name)) {
        $error = '请输入 1 到 60 个字符的登录名。';
    } elseif (mb_strlen($password, 'UTF-8') < SITE_PASSWORD_MIN) {
        $error = '密码至少需要 ' . SITE_PASSWORD_MIN . ' 个字符。';
    } elseif ($password !== $password2) {
        $error = '两次输入的密码不一致。';
    } elseif (!site_admin_create_first($DB, $name, $password)) {
        $error = '管理员账号已经存在，请登录。';
        $site_admin_count = site_admin_count($DB);
    } else {
        error_log('site: administrator account created: ' . $name);
        $admin = site_admin_verify($DB, $name, $password);
        site_signin_complete($admin);
    }
} elseif ($isPost && $site_admin_count > 0 && $act === 'login') {
    $password = site_raw('admin_password');
    $password = is_string($password) ? $password : '';
    $captcha = site_raw('captcha');
    $captcha = is_string($captcha) ? strtoupper(trim($captcha)) : '';
    $expected = isset($_SESSION['site_captcha']) && is_array($_SESSION['site_captcha']) ? $_SESSION['site_captcha'] : null;
    // A captcha answers one attempt only.
    unset($_SESSION['site_captcha']);
    $wait = site_signin_wait($name);
    if ($wait > 0) {
        $error = '登录失败次数过多，请在 ' . $wait . ' 秒后再试。';
    } elseif ($expected === null || $expected['time'] < time() - 600 || $captcha === ''
        || !hash_equals((string)$expected['code'], $captcha)) {
        site_signin_failed($name);
        $error = '验证码不正确，请重新输入。';
    } else {
        $admin = site_admin_verify($DB, $name, $password);
        if ($admin === null) {
            site_signin_failed($name);
            error_log('site: sign-in failed for "' . $name . '" from ' . site_client_address());
            $error = '登录名或密码不正确。';
        } elseif ((int)$admin['disabled'] === 1) {
            error_log('site: sign-in of the disabled account "' . $name . '" refused');
            $error = '这个账号已被停用，请联系网站的所有者。';
        } else {
            site_signin_succeeded($name);
            site_signin_complete($admin);
        }
    }
}

$setup = $site_admin_count === 0;
$title = $setup ? '创建管理员' : '管理员登录';
?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<meta name="viewport" content="width=device-width, initial-scale=1" />
<title><?php echo site_h($title . ' - ' . $site_name); ?></title>
<link href="<?php echo site_h($css_root); ?>images/admincp.css" rel="stylesheet" type="text/css" />
<link href="<?php echo site_h($css_root); ?>images/favicon.svg" rel="icon" type="image/svg+xml" />
<script type="text/javascript">
// The sign-in page always fills the whole window, also when a page of the
// frame was sent here.
if (window.top !== window.self) {
    window.top.location.href = window.location.href;
}
</script>
</head>
<body class="signin-page">
<div class="signin-box">
  <h1><?php echo site_h($site_name); ?> 管理中心</h1>
  <h2><?php echo site_h($title); ?></h2>
<?php if ($setup) { ?>
  <p class="signin-note">这是第一次进入管理中心，请设置管理员的登录名和密码。</p>
<?php } ?>
<?php if ($error !== '') { ?>
  <p class="signin-error" id="signin_error"><?php echo site_h($error); ?></p>
<?php } ?>
  <form method="post" action="signin.php?act=<?php echo $setup ? 'setup' : 'login'; ?>" autocomplete="off">
    <p><label for="admin_name">登录名</label>
      <input class="txt" type="text" id="admin_name" name="admin_name" maxlength="60" value="<?php echo site_h($name); ?>" required autocomplete="username"<?php echo $name === '' ? ' autofocus' : ''; ?> /></p>
    <p><label for="admin_password">密码</label>
      <input class="txt" type="password" id="admin_password" name="admin_password" required<?php echo $name !== '' ? ' autofocus' : ''; ?>
        <?php echo $setup ? 'minlength="' . SITE_PASSWORD_MIN . '" autocomplete="new-password"' : 'autocomplete="current-password"'; ?> /></p>
<?php if ($setup) { ?>
    <p><label for="admin_password2">确认密码</label>
      <input class="txt" type="password" id="admin_password2" name="admin_password2" required minlength="<?php echo SITE_PASSWORD_MIN; ?>" autocomplete="new-password" /></p>
<?php } else { ?>
    <p><label for="captcha">验证码</label>
      <input class="txt captcha-input" type="text" id="captcha" name="captcha" maxlength="8" required autocomplete="off" />
      <img class="captcha" id="captcha_image" src="<?php echo site_h($web_url); ?>code.php?r=<?php echo bin2hex(random_bytes(4)); ?>" alt="验证码" title="看不清？点击换一张"
        onclick="this.src = this.src.replace(/\?.*$/, '') + '?r=' + Math.random();" /></p>
<?php } ?>
    <p class="signin-submit"><input class="btn" type="submit" id="signin_submit" value="<?php echo $setup ? '创建并登录' : '登录'; ?>" /></p>
  </form>
  <p class="signin-foot"><a href="<?php echo site_h($web_url); ?>">返回网站首页</a></p>
</div>
</body>
</html>
