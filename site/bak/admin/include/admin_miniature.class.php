<?php
/**
 * Thumbnails with GD.
 *
 *   $m = new Miniature();
 *   $m->ReadImage($file);          // any picture GD reads
 *   $m->ResizeImage(200, 130);     // exactly 200 x 130, cut to fill
 *   $m->ImageType = 4;             // 1 GIF, 2 PNG, 3 BMP, 4 JPEG
 *   $m->SaveImage($dir, $name);    // writes $dir . $name . '.jpg'
 *   $m->DestroyImage();
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

class Miniature
{
    const TYPE_GIF = 1;
    const TYPE_PNG = 2;
    const TYPE_BMP = 3;
    const TYPE_JPEG = 4;

    public $ImageType = self::TYPE_JPEG;
    public $Quality = 85;

    private $image = null;

    /* Reads a picture file. Returns false when it is no picture. */
    public function ReadImage($file)
    {
        $this->DestroyImage();
        $file = (string)$file;
        if (!is_file($file)) {
            error_log('site: thumbnail source missing: ' . $file);
            return false;
        }
        $info = @getimagesize($file);
        if ($info === false) {
            return false;
        }
        $image = false;
        if ($info[2] === IMAGETYPE_BMP && function_exists('imagecreatefrombmp')) {
            $image = @imagecreatefrombmp($file);
        } else {
            $image = @imagecreatefromstring((string)file_get_contents($file));
        }
        if ($image === false) {
            error_log('site: GD cannot read ' . $file);
            return false;
        }
        $this->image = $image;
        return true;
    }

    /**
     * Scales the picture to exactly $width x $height: it is shrunk (or grown)
     * until it covers the size, then the middle part is kept.
     */
    public function ResizeImage($width, $height)
    {
        if ($this->image === null) {
            return false;
        }
        $width = max(1, (int)$width);
        $height = max(1, (int)$height);
        $srcW = imagesx($this->image);
        $srcH = imagesy($this->image);
        $scale = max($width / $srcW, $height / $srcH);
        $cutW = max(1, (int)round($width / $scale));
        $cutH = max(1, (int)round($height / $scale));
        $srcX = (int)floor(($srcW - $cutW) / 2);
        $srcY = (int)floor(($srcH - $cutH) / 2);
        $thumb = imagecreatetruecolor($width, $height);
        // Transparent parts become white in formats without transparency.
        imagefill($thumb, 0, 0, imagecolorallocate($thumb, 255, 255, 255));
        imagecopyresampled($thumb, $this->image, 0, 0, $srcX, $srcY, $width, $height, $cutW, $cutH);
        imagedestroy($this->image);
        $this->image = $thumb;
        return true;
    }

    /**
     * Saves the picture as $dir . $name plus the extension of ImageType.
     * A relative $dir is taken from the administration folder.
     */
    public function SaveImage($dir, $name)
    {
        if ($this->image === null) {
            return false;
        }
        $dir = rtrim(str_replace('\\', '/', (string)$dir), '/') . '/';
        if (function_exists('createdir')) {
            createdir($dir);
        }
        $path = (function_exists('site_admin_path') ? site_admin_path($dir) : $dir) . basename((string)$name);
        switch ((int)$this->ImageType) {
            case self::TYPE_GIF:
                $ok = imagegif($this->image, $path . '.gif');
                break;
            case self::TYPE_PNG:
                $ok = imagepng($this->image, $path . '.png');
                break;
            case self::TYPE_BMP:
                $ok = imagebmp($this->image, $path . '.bmp');
                break;
            default:
                $ok = imagejpeg($this->image, $path . '.jpg', (int)$this->Quality);
        }
        if (!$ok) {
            error_log('site: cannot save thumbnail ' . $path);
        }
        return $ok;
    }

    public function DestroyImage()
    {
        if ($this->image !== null) {
            imagedestroy($this->image);
            $this->image = null;
        }
    }
}
