<?php
/**
 * Picture upload of the administration pages.
 *
 *   $upload = new upFiles($_FILES['pic'], '../attachments/picture', 2048000, array('jpg', 'png'));
 *   $upload->upload();
 *   $pic = $upload->getSaveFileInfo();
 *
 * The picture is stored as <folder>/<year>/<month>/<generated name>.<ext>;
 * getSaveFileInfo() gives 'file' (that path), 'basename' (the generated name
 * without extension), 'cover_dir' (<folder>/<year>/<month>/cover/, where the
 * thumbnail belongs), 'ext', 'size' and 'name' (the name the browser sent).
 * Relative folders are taken from the administration folder. A file that is
 * too large, of another kind, or no real picture is refused with a message
 * page and nothing is stored.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once __DIR__ . '/site_images.php';

class upFiles
{
    /* Set to false to get false back from upload() instead of a message page. */
    public $showErrors = true;
    public $error = '';

    private $file;
    private $uploadPath;
    private $maxSize;
    private $allowTypes;
    private $saved = array();

    public function __construct($file, $upload_path, $max_size = SITE_UPLOAD_MAX_BYTES, $allow_type = array('jpg', 'jpeg', 'png', 'gif', 'bmp'))
    {
        $this->file = $file;
        $this->uploadPath = rtrim(str_replace('\\', '/', (string)$upload_path), '/');
        $this->maxSize = min((int)$max_size, SITE_UPLOAD_MAX_BYTES);
        $this->allowTypes = array_map('strtolower', (array)$allow_type);
    }

    /* Checks and stores the file. Returns true when it was stored. */
    public function upload()
    {
        $this->error = site_check_upload($this->file, $this->maxSize, $this->allowTypes);
        if ($this->error === '') {
            $ext = site_picture_kind($this->file['tmp_name']);
            $dir = $this->uploadPath . '/' . date('Y') . '/' . date('m') . '/';
            $coverDir = $dir . 'cover/';
            $basename = site_new_file_name();
            if (!createdir($dir) || !createdir($coverDir)) {
                $this->error = '服务器无法创建图片目录。';
            } elseif (!move_uploaded_file($this->file['tmp_name'], site_admin_path($dir . $basename . '.' . $ext))) {
                $this->error = '服务器无法保存上传的图片。';
            } else {
                @chmod(site_admin_path($dir . $basename . '.' . $ext), 0644);
                $this->saved = array(
                    'file'      => $dir . $basename . '.' . $ext,
                    'basename'  => $basename,
                    'cover_dir' => $coverDir,
                    'ext'       => $ext,
                    'size'      => (int)$this->file['size'],
                    'name'      => (string)$this->file['name'],
                );
                return true;
            }
        }
        error_log('site: upload refused: ' . $this->error);
        if ($this->showErrors) {
            showmsg($this->error);
        }
        return false;
    }

    public function getSaveFileInfo()
    {
        return $this->saved;
    }
}
