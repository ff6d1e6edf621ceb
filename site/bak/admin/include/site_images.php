<?php
/**
 * Checks on uploaded pictures: only real pictures of the allowed kinds are
 * kept, whatever name the browser sent. Stored names are always made here.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

const SITE_UPLOAD_MAX_BYTES = 2048000;
const SITE_PICTURE_MAX_PIXELS = 25000000;

// A decoded picture takes about five bytes a pixel.
if ((int)ini_get('memory_limit') > 0 && (int)ini_get('memory_limit') < 256 && stripos((string)ini_get('memory_limit'), 'G') === false) {
    @ini_set('memory_limit', '256M');
}

/* Picture kinds the site accepts: image type => (extension, content types). */
function site_image_kinds()
{
    return array(
        IMAGETYPE_JPEG => array('jpg', array('image/jpeg', 'image/pjpeg')),
        IMAGETYPE_PNG  => array('png', array('image/png')),
        IMAGETYPE_GIF  => array('gif', array('image/gif')),
        IMAGETYPE_BMP  => array('bmp', array('image/bmp', 'image/x-ms-bmp', 'image/x-bmp')),
    );
}

/* Lower-case extension of a file name, '' when there is none. */
function site_file_extension($name)
{
    $ext = strrchr(str_replace('\\', '/', (string)$name), '.');
    return $ext === false || strpos($ext, '/') !== false ? '' : strtolower(substr($ext, 1));
}

/**
 * Looks at a file's content. Returns the extension that fits its real kind
 * ("jpg", "png", "gif", "bmp") or '' when it is no picture the site accepts.
 */
function site_picture_kind($path)
{
    if (!is_file($path)) {
        return '';
    }
    $info = @getimagesize($path);
    $kinds = site_image_kinds();
    if ($info === false || !isset($kinds[$info[2]]) || $info[0] < 1 || $info[1] < 1) {
        return '';
    }
    if (class_exists('finfo')) {
        $finfo = new finfo(FILEINFO_MIME_TYPE);
        $mime = (string)$finfo->file($path);
        if (!in_array($mime, $kinds[$info[2]][1], true)) {
            return '';
        }
    }
    // GD must be able to read it, or no thumbnail can be made; pictures too
    // large to decode within the memory limit are refused.
    if ($info[0] * $info[1] > SITE_PICTURE_MAX_PIXELS || @imagecreatefromstring((string)file_get_contents($path)) === false) {
        if ($info[2] !== IMAGETYPE_BMP || !function_exists('imagecreatefrombmp') || @imagecreatefrombmp($path) === false) {
            return '';
        }
    }
    return $kinds[$info[2]][0];
}

/**
 * Checks one entry of $_FILES. Returns '' when the picture may be kept,
 * otherwise the message that tells the user why not.
 */
function site_check_upload($file, $maxSize = SITE_UPLOAD_MAX_BYTES, $allowed = array('jpg', 'jpeg', 'png', 'gif', 'bmp'))
{
    if (!is_array($file) || !isset($file['error']) || is_array($file['error'])) {
        return '上传的文件无效。';
    }
    $limit = round($maxSize / 1024) . ' KB';
    switch ((int)$file['error']) {
        case UPLOAD_ERR_OK:
            break;
        case UPLOAD_ERR_INI_SIZE:
        case UPLOAD_ERR_FORM_SIZE:
            return "上传的文件太大，最大允许 {$limit}。";
        case UPLOAD_ERR_PARTIAL:
            return '文件只上传了一部分，请重新上传。';
        case UPLOAD_ERR_NO_FILE:
            return '没有选择要上传的文件。';
        default:
            return '服务器无法保存上传的文件。';
    }
    if (!isset($file['tmp_name']) || !is_uploaded_file($file['tmp_name'])) {
        return '上传的文件无效。';
    }
    if ((int)$file['size'] > $maxSize || filesize($file['tmp_name']) > $maxSize) {
        return "上传的文件太大，最大允许 {$limit}。";
    }
    $allowed = array_map('strtolower', $allowed);
    $named = site_file_extension(isset($file['name']) ? $file['name'] : '');
    $kind = site_picture_kind($file['tmp_name']);
    $kindAllowed = in_array($kind, $allowed, true) || ($kind === 'jpg' && in_array('jpeg', $allowed, true));
    if ($kind === '' || !$kindAllowed || !in_array($named, $allowed, true)) {
        return '只能上传真实的图片文件（' . implode('、', $allowed) . '）。';
    }
    return '';
}

/* A new file name: date and time plus random letters, never the client's. */
function site_new_file_name()
{
    return date('YmdHis') . '_' . bin2hex(random_bytes(6));
}

/**
 * Checks a picture path that a form sends (as the picture chooser gives it,
 * e.g. "../attachments/picture/2024/05/cover/x.jpg"). The picture must be a
 * real picture inside attachments/picture.
 */
function site_picture_path_allowed($value)
{
    if (strpos((string)$value, "\0") !== false) {
        return false;
    }
    $file = realpath(WEB_ROOT . substr((string)$value, 3));
    $base = realpath(WEB_ROOT . 'attachments/picture');
    if ($file === false || $base === false) {
        return false;
    }
    $file = str_replace('\\', '/', $file);
    $base = str_replace('\\', '/', $base) . '/';
    return strpos($file, $base) === 0 && in_array(site_file_extension($file), array('jpg', 'jpeg', 'png', 'gif', 'bmp'), true)
        && site_picture_kind($file) !== '';
}

/**
 * The picture a record stores, as the add and edit acts store it: a
 * serialized array of 'cover_dir' (a folder below ../attachments/picture/,
 * ending in "/") and 'cover_name' (a file name in it). The value is read
 * without making objects; anything else (an object, other text, a path
 * outside the pictures) is no picture: false.
 */
function site_stored_picture($stored)
{
    if (!is_string($stored) || $stored === '') {
        return false;
    }
    // A value that is no serialized text is no picture, not an error.
    $picture = @unserialize($stored, array('allowed_classes' => false));
    if (is_array($picture) && isset($picture['cover_dir'], $picture['cover_name'])
        && is_string($picture['cover_dir']) && is_string($picture['cover_name'])
        && preg_match('#^\.\./attachments/picture/(?:[^/\\\\\x00-\x1f]+/)*$#', $picture['cover_dir'])
        && !preg_match('#/\.\.?/#', substr($picture['cover_dir'], 2))
        && preg_match('#^[^/\\\\\x00-\x1f]+$#', $picture['cover_name']) && !in_array($picture['cover_name'], array('.', '..'), true)) {
        return array('cover_dir' => $picture['cover_dir'], 'cover_name' => $picture['cover_name']);
    }
    return false;
}

/**
 * The files of a picture stored in a record: the thumbnail the record names
 * ('cover_dir' and 'cover_name', as the add and edit acts store them) and
 * the uploaded original beside its cover/ folder, which has the thumbnail's
 * name with the picture's own extension. Only files inside
 * attachments/picture are named; an original only when the site's upload
 * gave it its name. Returns array('thumb' => path or '', 'originals' => paths).
 */
function site_picture_files($stored)
{
    $files = array('thumb' => '', 'originals' => array());
    $picture = site_stored_picture($stored);
    if ($picture === false) {
        return $files;
    }
    $base = realpath(WEB_ROOT . 'attachments/picture');
    $coverDir = realpath(WEB_ROOT . substr($picture['cover_dir'], 3));
    $name = basename($picture['cover_name']);
    if ($base === false || $coverDir === false || strpos($coverDir . '/', $base . '/') !== 0 || $name === '') {
        return $files;
    }
    $files['thumb'] = $coverDir . '/' . $name;
    $stem = pathinfo($name, PATHINFO_FILENAME);
    if (basename($coverDir) === 'cover' && preg_match('/^[0-9]{14}_[0-9a-f]{12}$/', $stem)) {
        foreach (array('jpg', 'jpeg', 'png', 'gif', 'bmp') as $ext) {
            $original = dirname($coverDir) . '/' . $stem . '.' . $ext;
            if (is_file($original)) {
                $files['originals'][] = $original;
            }
        }
    }
    return $files;
}

/**
 * Removes the uploaded original of a picture whose thumbnail the remove
 * and delete-many acts have just removed: the file beside its cover/
 * folder with the thumbnail's name and the picture's own extension. Only a
 * file inside attachments/picture that the site's upload named is removed.
 */
function site_remove_picture_original($coverDir, $coverName)
{
    $stored = serialize(array('cover_dir' => (string)$coverDir, 'cover_name' => (string)$coverName));
    $files = site_picture_files($stored);
    foreach ($files['originals'] as $file) {
        if (!unlink($file)) {
            error_log('site: cannot remove the picture ' . $file);
        }
    }
}
