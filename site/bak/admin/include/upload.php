<?php
/**
 * Picture upload of the page editor (include/editor/xheditor.js).
 * Takes one picture in the form field "filedata" and answers with JSON:
 *   {"err": "", "msg": "<address of the stored picture>"}
 * or {"err": "<why it was refused>", "msg": ""}.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'own');
define('SITE_JSON', true);
require_once __DIR__ . '/global.php';

$file = isset($_FILES['filedata']) ? $_FILES['filedata'] : null;
if ($file === null) {
    showmsg('没有收到上传的图片。', '', 400);
}
$error = site_check_upload($file, SITE_UPLOAD_MAX_BYTES, array('jpg', 'jpeg', 'png', 'gif'));
if ($error !== '') {
    showmsg($error, '', 400);
}
$ext = site_picture_kind($file['tmp_name']);
$dir = '../attachments/picture/editor/' . date('Y') . '/' . date('m') . '/';
$name = site_new_file_name() . '.' . $ext;
if (!createdir($dir) || !move_uploaded_file($file['tmp_name'], site_admin_path($dir . $name))) {
    showmsg('服务器无法保存上传的图片。', '', 500);
}
@chmod(site_admin_path($dir . $name), 0644);

header('Content-Type: application/json; charset=utf-8');
echo json_encode(array('err' => '', 'msg' => $web_url . substr($dir, 3) . $name), JSON_UNESCAPED_SLASHES | JSON_UNESCAPED_UNICODE);
