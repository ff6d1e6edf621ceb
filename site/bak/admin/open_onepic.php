<?php
/**
 * Picture chooser of the edit pages, opened by the "选择" button next to a
 * picture field (open_onepic.php?txtName=<field id>).
 *
 * It lists the site's pictures (the thumbnails under attachments/picture)
 * and can take a new one. Choosing a picture writes its path, in the form
 * "../attachments/picture/<year>/<month>/cover/<name>.jpg", into the field
 * of the page that opened the chooser, and closes the chooser.
 */
define('IN_WEB', true);
define('SITE_PAGE', 'own');
require_once __DIR__ . '/include/global.php';
require_once __DIR__ . '/include/admin_miniature.class.php';

const SITE_PICKER_PER_PAGE = 24;

// The field to fill is a picture member of a class of the model, whatever
// its name (Chinese names included).
$field = site_raw('txtName', '');
$known = false;
foreach (site_require_model() as $class) {
    $known = $known || (is_string($field) && in_array($field, site_picture_fields($class), true));
}
if (!$known) {
    showmsg('缺少要填写的图片字段。', '', 400);
}

/* Stores an uploaded picture and its 200 x 130 thumbnail; gives the
   thumbnail's path as the edit page expects it. */
function site_picker_store($file)
{
    $error = site_check_upload($file);
    if ($error !== '') {
        showmsg($error);
    }
    $ext = site_picture_kind($file['tmp_name']);
    $dir = '../attachments/picture/' . date('Y') . '/' . date('m') . '/';
    $coverDir = $dir . 'cover/';
    $name = site_new_file_name();
    if (!createdir($dir) || !createdir($coverDir)
        || !move_uploaded_file($file['tmp_name'], site_admin_path($dir . $name . '.' . $ext))) {
        showmsg('服务器无法保存上传的图片。');
    }
    @chmod(site_admin_path($dir . $name . '.' . $ext), 0644);
    $m = new Miniature();
    if (!$m->ReadImage(site_admin_path($dir . $name . '.' . $ext))
        || !$m->ResizeImage(200, 130) || !$m->SaveImage($coverDir, $name)) {
        showmsg('无法为上传的图片生成缩略图。');
    }
    $m->DestroyImage();
    return $coverDir . $name . '.jpg';
}

$chosen = '';
if (isset($_SERVER['REQUEST_METHOD']) && $_SERVER['REQUEST_METHOD'] === 'POST') {
    if (!isset($_FILES['picture']) || (int)$_FILES['picture']['error'] === UPLOAD_ERR_NO_FILE) {
        showmsg('请先选择要上传的图片。');
    }
    $chosen = site_picker_store($_FILES['picture']);
}

// The thumbnails, newest month first and newest first within a month. Only
// the month folders the page shows are read whole; the others are counted,
// so a site with very many pictures stays within PHP's memory.
$isPicture = function ($name) {
    return in_array(site_file_extension($name), array('jpg', 'jpeg', 'png', 'gif'), true);
};
$months = glob(WEB_ROOT . 'attachments/picture/*/*/cover', GLOB_ONLYDIR) ?: array();
rsort($months, SORT_STRING);
$counts = array();
$total = 0;
foreach ($months as $dir) {
    $n = 0;
    $handle = @opendir($dir);
    while ($handle !== false && ($name = readdir($handle)) !== false) {
        $n += $isPicture($name) ? 1 : 0;
    }
    if ($handle !== false) {
        closedir($handle);
    }
    $counts[$dir] = $n;
    $total += $n;
}
$pageCount = max(1, (int)ceil($total / SITE_PICKER_PER_PAGE));
$page = min($pageCount, max(1, (int)site_raw('page', 1)));
$skip = ($page - 1) * SITE_PICKER_PER_PAGE;
$shown = array();
foreach ($months as $dir) {
    if (count($shown) >= SITE_PICKER_PER_PAGE) {
        break;
    }
    if ($skip >= $counts[$dir]) {
        $skip -= $counts[$dir];
        continue;
    }
    $pictures = array();
    foreach (scandir($dir) ?: array() as $name) {
        if ($isPicture($name) && is_file($dir . '/' . $name)) {
            $pictures[$dir . '/' . $name] = filemtime($dir . '/' . $name);
        }
    }
    arsort($pictures);
    $shown = array_merge($shown, array_slice(array_keys($pictures), $skip, SITE_PICKER_PER_PAGE - count($shown)));
    $skip = 0;
}
unset($pictures);
$self = 'open_onepic.php?txtName=' . rawurlencode($field);
?>
<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<title>选择图片</title>
<link href="<?php echo site_h($css_root); ?>images/admincp.css" rel="stylesheet" type="text/css" />
<link href="<?php echo site_h($css_root); ?>images/favicon.svg" rel="icon" type="image/svg+xml" />
</head>
<body class="picker-page">
<div class="container">
  <div class="itemtitle"><h3>选择图片</h3></div>
  <form class="picker-upload" method="post" action="<?php echo site_h($self); ?>" enctype="multipart/form-data">
    上传新图片: <input type="file" name="picture" id="picture" accept="image/jpeg,image/png,image/gif,image/bmp" />
    <input class="btn" type="submit" id="upload_submit" value="上传并使用" />
    <span class="tips2">jpg、png、gif、bmp，最大 <?php echo round(SITE_UPLOAD_MAX_BYTES / 1024); ?> KB</span>
  </form>
<?php if (!$shown) { ?>
  <p class="picker-empty">还没有图片，请先上传。</p>
<?php } else { ?>
  <p class="tips2">点击图片即可选用。</p>
  <ul class="picker-list">
<?php foreach ($shown as $path) {
    $relative = substr(str_replace('\\', '/', $path), strlen(WEB_ROOT));
    $value = '../' . $relative; ?>
    <li><button type="button" class="pick" data-path="<?php echo site_h($value); ?>" title="<?php echo site_h(basename($path)); ?>">
      <img src="<?php echo site_h($web_url . $relative); ?>" alt="" /><span><?php echo site_h(date('Y-m-d H:i', filemtime($path))); ?></span>
    </button></li>
<?php } ?>
  </ul>
<?php if ($pageCount > 1) { ?>
  <div class="pages">
<?php // The first and the last page and ten around the current one.
$from = max(1, $page - 5);
$to = min($pageCount, $page + 5);
foreach (array_unique(array_merge(array(1), range($from, $to), array($pageCount))) as $n => $i) {
    if ($n > 0 && ($i === $from && $from > 2 || $i === $pageCount && $to < $pageCount - 1)) {
        echo '<span>…</span>';
    }
    echo $i === $page ? '<strong>' . $i . '</strong>' : '<a href="' . site_h($self . '&page=' . $i) . '">' . $i . '</a>';
} ?>
  </div>
<?php } ?>
<?php } ?>
</div>
<script type="text/javascript">
(function () {
    var field = <?php echo json_encode($field, JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS | JSON_HEX_QUOT); ?>;
    var chosen = <?php echo json_encode($chosen, JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS | JSON_HEX_QUOT); ?>;

    // Hands the path to the page that opened the chooser, then closes.
    function pick(path) {
        var opener = window.opener;
        if (opener && !opener.closed) {
            opener.postMessage({ type: 'site-picture-chosen', field: field, value: path }, window.location.origin);
            window.close();
        } else {
            window.alert('图片路径: ' + path);
        }
    }

    var buttons = document.querySelectorAll('button.pick');
    for (var i = 0; i < buttons.length; i++) {
        buttons[i].addEventListener('click', function () {
            pick(this.getAttribute('data-path'));
        });
    }
    if (chosen !== '') {
        pick(chosen);
    }
})();
</script>
</body>
</html>
