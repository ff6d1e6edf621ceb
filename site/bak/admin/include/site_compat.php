<?php
/**
 * Runs the administration controllers on current PHP.
 *
 * The controllers are generated text in an older PHP style: they start a
 * record list as an empty string and then append rows to it ($list = '';
 * $list[] = $row;), which PHP 7.1 and later stop with a fatal error, and
 * they read picture folders without checking that they still exist. The
 * bootstrap therefore runs an adapted copy of the controller, kept under
 * cache/compat and remade whenever the controller changes; the file itself
 * stays as generated. The copy keeps every line at its place, so error
 * messages name the controller's own line numbers.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/**
 * Adapts a controller's source. Returns null when the file is no
 * controller (it does not include the bootstrap).
 */
function site_adapt_controller_source($source)
{
    if (substr($source, 0, 3) === "\xEF\xBB\xBF") {
        $source = substr($source, 3);
    }
    $lines = preg_split('/(?<=\n)/', $source);
    $bootstrapLine = -1;
    foreach ($lines as $i => $line) {
        if (strpos($line, '/include/global.php') !== false && preg_match('/\brequire(_once)?\b/', $line)) {
            $bootstrapLine = $i;
            break;
        }
    }
    if ($bootstrapLine < 0 || strncmp(ltrim($lines[0]), '<?php', 5) !== 0) {
        return null;
    }
    // The prologue up to the bootstrap has already run.
    $lines[0] = "<?php if (!defined('WEB_ROOT')) { exit; }\n";
    for ($i = 1; $i <= $bootstrapLine; $i++) {
        $lines[$i] = preg_match('/\r?\n$/', $lines[$i], $m) ? $m[0] : '';
    }
    // Variables that rows are appended to start as arrays.
    preg_match_all('/\$([A-Za-z_][A-Za-z0-9_]*)\[\]\s*=/', $source, $m);
    $lists = array_flip($m[1]);
    foreach ($lines as $i => $line) {
        $eol = preg_match('/\r?\n$/', $line, $m) ? $m[0] : '';
        $body = substr($line, 0, strlen($line) - strlen($eol));
        if (!preg_match('/^\s*((?:\$[A-Za-z_][A-Za-z0-9_]*\s*=\s*)+)\'\'\s*;\s*$/', $body, $parts)) {
            continue;
        }
        preg_match_all('/\$([A-Za-z_][A-Za-z0-9_]*)/', $parts[1], $names);
        $extra = '';
        foreach ($names[1] as $name) {
            if (isset($lists[$name])) {
                $extra .= ' $' . $name . ' = array();';
            }
        }
        if ($extra !== '') {
            $lines[$i] = rtrim($body) . $extra . $eol;
        }
    }
    $adapted = implode('', $lines);
    // A picture folder removed by hand reads as empty instead of stopping.
    $adapted = preg_replace('/(?<![A-Za-z0-9_>$:\\\\])opendir\s*\(/', 'site_opendir(', $adapted);
    return $adapted;
}

/**
 * Path of the adapted copy of a controller (made when missing), or null
 * when the file is no controller.
 */
function site_adapted_controller($file)
{
    $source = @file_get_contents($file);
    if ($source === false) {
        return null;
    }
    $dir = WEB_ROOT . 'cache/compat/';
    $name = preg_replace('/[^A-Za-z0-9_]/', '_', basename($file, '.php'));
    $target = $dir . $name . '.' . sha1($source) . '.php';
    if (is_file($target)) {
        return $target;
    }
    $adapted = site_adapt_controller_source($source);
    if ($adapted === null) {
        return null;
    }
    if (!is_dir($dir) && !@mkdir($dir, 0755, true) && !is_dir($dir)) {
        showmsg('缓存目录 cache 不可写，请让网站程序可以写入 cache 目录。', '', 500);
    }
    // Older copies of the same controller are removed.
    foreach (glob($dir . $name . '.*.php') ?: array() as $old) {
        @unlink($old);
    }
    $temp = $dir . $name . '.' . bin2hex(random_bytes(4)) . '.tmp';
    if (@file_put_contents($temp, $adapted) === false || !@rename($temp, $target)) {
        @unlink($temp);
        showmsg('缓存目录 cache 不可写，请让网站程序可以写入 cache 目录。', '', 500);
    }
    return $target;
}
