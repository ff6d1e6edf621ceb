<?php
/**
 * Captcha image of the administration sign-in: four characters drawn with
 * noise; the characters are kept in the session for one sign-in attempt.
 */
define('IN_WEB', true);
require_once __DIR__ . '/admin/include/site_functions.php';
require_once __DIR__ . '/admin/include/site_session.php';
// The settings tell whether a proxy's X-Forwarded-Proto is trusted (the
// session cookie is Secure behind a TLS proxy).
$trust_forwarded_proto = false;
require __DIR__ . '/config.inc.php';
site_config(array('trust_forwarded_proto' => (bool)$trust_forwarded_proto));

error_reporting(E_ALL);
ini_set('display_errors', '0');

site_session_start(true);

// Letters and digits that cannot be mistaken for one another.
$alphabet = 'ABCDEFGHJKLMNPQRSTUVWXYZ23456789';
$code = '';
for ($i = 0; $i < 4; $i++) {
    $code .= $alphabet[random_int(0, strlen($alphabet) - 1)];
}
$_SESSION['site_captcha'] = array('code' => $code, 'time' => time());
session_write_close();

$width = 100;
$height = 36;
$image = imagecreatetruecolor($width, $height);
imagefill($image, 0, 0, imagecolorallocate($image, 246, 248, 251));

// Noise: dots and thin lines in pale colours.
for ($i = 0; $i < 160; $i++) {
    $color = imagecolorallocate($image, random_int(150, 220), random_int(150, 220), random_int(150, 220));
    imagesetpixel($image, random_int(0, $width - 1), random_int(0, $height - 1), $color);
}
for ($i = 0; $i < 4; $i++) {
    $color = imagecolorallocate($image, random_int(120, 200), random_int(120, 200), random_int(120, 200));
    imageline($image, random_int(0, $width - 1), random_int(0, $height - 1), random_int(0, $width - 1), random_int(0, $height - 1), $color);
}

// Each character is drawn small, then enlarged onto the image at a slight
// offset, which gives large, uneven glyphs without a font file.
$font = 5;
$glyphW = imagefontwidth($font);
$glyphH = imagefontheight($font);
for ($i = 0; $i < strlen($code); $i++) {
    $glyph = imagecreatetruecolor($glyphW, $glyphH);
    $background = imagecolorallocate($glyph, 255, 0, 255);
    imagefill($glyph, 0, 0, $background);
    imagecolortransparent($glyph, $background);
    $ink = imagecolorallocate($glyph, random_int(10, 90), random_int(30, 110), random_int(90, 160));
    imagestring($glyph, $font, 0, 0, $code[$i], $ink);
    $targetW = random_int(18, 22);
    $targetH = random_int(26, 30);
    imagecopyresized($image, $glyph, 6 + $i * 23 + random_int(-2, 2), random_int(1, $height - $targetH), 0, 0, $targetW, $targetH, $glyphW, $glyphH);
    imagedestroy($glyph);
}

header('Content-Type: image/png');
header('Cache-Control: no-store, no-cache, must-revalidate');
header('X-Content-Type-Options: nosniff');
imagepng($image);
imagedestroy($image);
