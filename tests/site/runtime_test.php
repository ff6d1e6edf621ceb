<?php
/**
 * Tests of the site runtime (bak/admin/include) below the browser: page
 * links, picture checks and thumbnails, same-site
 * checks, the read-only session, the template engine's escaping, the
 * model's description and the checks made with it (keys, required
 * members, picture fields, sorted drop-downs) and, with a database,
 * request escaping, literal searches and refused writes.
 *
 *   php runtime_test.php SITE_DIR [DB_SOCKET DB_NAME]
 *
 * SITE_DIR is a scratch copy of the laid-out bak/ (Smarty included); the
 * database, when given, is an empty one reachable as root over the socket.
 */
error_reporting(E_ALL);
ini_set('display_errors', 'stderr');

$site = rtrim(realpath($argv[1]), '/') . '/';
$socket = isset($argv[2]) ? $argv[2] : '';
$dbName = isset($argv[3]) ? $argv[3] : '';
$fixtures = __DIR__ . '/fixtures/';
// What the runtime logs goes to a file; it is shown when a test fails.
$errorLog = $site . 'cache/test-error.log';
ini_set('error_log', $errorLog);

define('IN_WEB', true);
define('WEB_ROOT', $site);
define('SITE_ADMIN_DIR', $site . 'admin/');
define('SITE_ADMIN_URL', 'http://site.test/admin/');
$GLOBALS['web_url'] = 'http://site.test/';
$GLOBALS['css_root'] = 'http://site.test/';
$GLOBALS['site_url'] = '';
$GLOBALS['trusted_origins'] = array();
$GLOBALS['dbprefix'] = 't_';
foreach (array('site_functions.php', 'site_session.php', 'site_database.class.php', 'site_security.php',
    'site_admin_account.php', 'site_smarty.class.php', 'admin_miniature.class.php',
    'admin_upload.class.php', 'site_references.php') as $file) {
    require_once SITE_ADMIN_DIR . 'include/' . $file;
}
// The model of the fixtures' classes, as the run describes it.
copy($fixtures . 'site_model.php', SITE_ADMIN_DIR . 'include/site_model.php');

$passed = 0;
$failed = 0;
function check($condition, $label, $detail = null)
{
    global $passed, $failed;
    if ($condition) {
        $passed++;
        echo "ok   - $label\n";
    } else {
        $failed++;
        echo "FAIL - $label" . ($detail === null ? '' : ': ' . (is_string($detail) ? $detail : json_encode($detail, JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES))) . "\n";
    }
}
function group($name, callable $body)
{
    echo "# $name\n";
    try {
        $body();
    } catch (Throwable $e) {
        check(false, "$name: ran to its end", get_class($e) . ': ' . $e->getMessage() . ' at line ' . $e->getLine());
    }
}

/* Runs PHP code in a fresh process with the site's modules loaded, as a
   request would; returns its output (the message pages end the process). */
function run_isolated($code, array $server = array())
{
    global $site, $socket, $dbName;
    $prelude = '<?php error_reporting(E_ALL); ini_set("display_errors", "stderr"); ini_set("error_log", ' . var_export($site . 'cache/test-error.log', true) . ');'
        . 'define("IN_WEB", true); define("WEB_ROOT", ' . var_export($site, true) . ');'
        . 'define("SITE_ADMIN_DIR", WEB_ROOT . "admin/"); define("SITE_ADMIN_URL", "http://site.test/admin/");'
        . '$web_url = $css_root = "http://site.test/"; $site_url = ""; $trusted_origins = array(); $dbprefix = "t_";'
        . '$_SERVER = array_merge($_SERVER, ' . var_export($server, true) . ');'
        . 'foreach (array("site_functions.php", "site_session.php", "site_database.class.php", "site_security.php", "site_admin_account.php", "site_images.php") as $f) require_once SITE_ADMIN_DIR . "include/" . $f;'
        . '$socket = ' . var_export($socket, true) . '; $dbName = ' . var_export($dbName, true) . ';?>';
    $file = tempnam(sys_get_temp_dir(), 'site-test');
    file_put_contents($file, $prelude . $code);
    $output = shell_exec('php -d output_buffering=4096 ' . escapeshellarg($file) . ' 2>&1');
    unlink($file);
    return (string)$output;
}

/* Each (escaped) value as a single-quoted SQL string would escape it. */
function sql_escape($text)
{
    return strtr($text, array("\\" => "\\\\", "\0" => "\\0", "\n" => "\\n", "\r" => "\\r", "'" => "\\'", '"' => '\\"', "\x1a" => "\\Z"));
}

/* Leaves a mark whenever an object of it is made from a stored value or ends. */
class SiteTestProbe
{
    public static $marks = 0;
    public $cover_dir = '../attachments/picture/';
    public $cover_name = 'a.jpg';
    public function __wakeup()
    {
        self::$marks++;
    }
    public function __destruct()
    {
        self::$marks++;
    }
}

group('stored pictures are read without making objects', function () {
    $picture = array('cover_dir' => '../attachments/picture/2024/05/cover/', 'cover_name' => '20240501120000_0123456789ab.jpg');
    check(site_stored_picture(serialize($picture)) === $picture, 'a stored picture is read as its folder and name');
    $values = array(
        'an object' => serialize(new SiteTestProbe()),
        'an array holding an object' => serialize(array('cover_dir' => new SiteTestProbe(), 'cover_name' => 'a.jpg')),
        'a text' => serialize('../attachments/picture/a.jpg'),
        'an array without the name' => serialize(array('cover_dir' => '../attachments/picture/')),
        'no serialized value' => 'a:2:{broken',
        'a folder outside the pictures' => serialize(array('cover_dir' => '../admin/', 'cover_name' => 'index.php')),
        'a folder that climbs out' => serialize(array('cover_dir' => '../attachments/picture/../../admin/', 'cover_name' => 'index.php')),
        'a folder without its closing slash' => serialize(array('cover_dir' => '../attachments/picture/2024', 'cover_name' => 'a.jpg')),
        'a name with a folder' => serialize(array('cover_dir' => '../attachments/picture/', 'cover_name' => '../../config.inc.php')),
        'a name with a NUL byte' => serialize(array('cover_dir' => '../attachments/picture/', 'cover_name' => "a.jpg\0.php")),
        'nothing' => '',
    );
    SiteTestProbe::$marks = 0;
    $read = array();
    foreach ($values as $label => $value) {
        $read[$label] = site_stored_picture($value);
    }
    check(array_filter($read) === array(), 'objects, other values and paths outside the pictures are no picture', $read);
    check(SiteTestProbe::$marks === 0, 'reading them makes no object', SiteTestProbe::$marks);
});

group('page links', function () {
    $_GET = array('name' => "O'Brien & <b>", 'kind' => '3');
    $GLOBALS['SITE_RAW_GET'] = $_GET;
    $bar = multi(12, 5, 2, 'item.php?ack=show&name=' . sql_escape("O'Brien & <b>") . '&kind=3&operation=query', 10);
    preg_match_all('/href="([^"]*)"/', $bar, $m);
    $links = array_map('html_entity_decode', $m[1]);
    check(strpos($bar, '共 12 条记录，3 页') !== false, 'the bar names the record and page count', $bar);
    check(strpos($bar, '<strong>2</strong>') !== false, 'the current page is marked and not linked', $bar);
    check(count($links) === 6, 'first, previous, two other pages, next and last are linked', $links);
    $ok = true;
    foreach ($links as $link) {
        parse_str((string)parse_url($link, PHP_URL_QUERY), $q);
        $ok = $ok && strpos($link, 'item.php?') === 0 && $q['act'] === 'show' && !isset($q['ack'])
            && $q['name'] === "O'Brien & <b>" && $q['kind'] === '3' && $q['operation'] === 'query';
    }
    check($ok, 'every link leads to the list act and keeps the filter values as typed', $links);
    check(strpos($bar, '<b>') === false, 'filter text is escaped in the links', $bar);
    $pages = array();
    foreach ($links as $link) {
        parse_str((string)parse_url($link, PHP_URL_QUERY), $q);
        $pages[] = $q['page'];
    }
    check($pages === array('1', '1', '1', '3', '3', '3'), 'the links name pages 1, 1, 1, 3, 3, 3 in order', $pages);

    $GLOBALS['SITE_RAW_GET'] = array();
    $bar = multi(3, 5, 1, 'item.php?ack=show&name=&operation=query', 10);
    check(strpos($bar, '<a ') === false && strpos($bar, '共 3 条记录，1 页') !== false, 'one page: the count and no links', $bar);
    $bar = multi(30, 5, 99, "item.php?ack=show&name=a\\'b&operation=query", 3);
    check(strpos($bar, '<strong>6</strong>') !== false && substr_count($bar, 'class="last"') === 0, 'a page past the end is shown as the last', $bar);
    preg_match('/href="([^"]*)"/', $bar, $first);
    parse_str((string)parse_url(html_entity_decode($first[1]), PHP_URL_QUERY), $q);
    check($q['name'] === "a'b", 'a value not sent with the request is unescaped from the address', $q);
    preg_match_all('/<a href="[^"]*">(\d+)<\/a>/', $bar, $numbers);
    check($numbers[1] === array('4', '5'), 'at most $maxpages page numbers around the current one', $numbers[1]);
    $bar = multi(10, 5, 1, 'javascript:alert(1)?ack=show', 10);
    check(strpos($bar, 'javascript') === false, 'an address that is no script name is not used', $bar);
});

group('escaping reversed', function () {
    foreach (array("O'Brien", 'back\\slash\\', "\\'", "a\0b", "line\nbreak\r", '"q"', "\x1a", '運\'') as $text) {
        check(site_sql_unescape(sql_escape($text)) === $text, 'unescape(escape(x)) === x for ' . json_encode($text));
    }
});

group('picture kinds and thumbnails', function () {
    $dir = WEB_ROOT . 'cache/test-pictures/';
    @mkdir($dir, 0755, true);
    $image = imagecreatetruecolor(640, 200);
    imagefill($image, 0, 0, imagecolorallocate($image, 200, 60, 40));
    imagejpeg($image, $dir . 'wide.jpg');
    imagepng($image, $dir . 'wide.png');
    imagegif($image, $dir . 'wide.gif');
    imagebmp($image, $dir . 'wide.bmp');
    file_put_contents($dir . 'shell.jpg', "<?php system(\$_GET['c']); ?>");
    file_put_contents($dir . 'cut.png', substr(file_get_contents($dir . 'wide.png'), 0, 40));
    file_put_contents($dir . 'gif-header.jpg', "GIF89a<?php echo 1; ?>");
    $kinds = array();
    foreach (array('wide.jpg', 'wide.png', 'wide.gif', 'wide.bmp', 'shell.jpg', 'cut.png', 'gif-header.jpg', 'missing.jpg') as $name) {
        $kinds[$name] = site_picture_kind($dir . $name);
    }
    check($kinds === array('wide.jpg' => 'jpg', 'wide.png' => 'png', 'wide.gif' => 'gif', 'wide.bmp' => 'bmp',
        'shell.jpg' => '', 'cut.png' => '', 'gif-header.jpg' => '', 'missing.jpg' => ''),
        'real pictures are known by their content; scripts, cut files and fake headers are not', $kinds);

    foreach (array('wide.jpg', 'wide.png', 'wide.gif', 'wide.bmp') as $name) {
        $m = new Miniature();
        $ok = $m->ReadImage($dir . $name) && $m->ResizeImage(200, 130);
        $m->ImageType = 4;
        $ok = $ok && $m->SaveImage($dir . 'cover/', 'thumb-' . $name);
        $m->DestroyImage();
        $info = @getimagesize($dir . 'cover/thumb-' . $name . '.jpg');
        check($ok && $info !== false && $info[0] === 200 && $info[1] === 130 && $info[2] === IMAGETYPE_JPEG,
            "a 200 x 130 JPEG thumbnail is made of $name", $info);
    }
    $tall = imagecreatetruecolor(50, 400);
    imagealphablending($tall, false);
    imagefill($tall, 0, 0, imagecolorallocatealpha($tall, 0, 0, 0, 127));
    imagesavealpha($tall, true);
    imagepng($tall, $dir . 'clear.png');
    $m = new Miniature();
    $m->ReadImage($dir . 'clear.png');
    $m->ResizeImage(200, 130);
    $m->SaveImage($dir . 'cover', 'clear');
    $thumb = imagecreatefromjpeg($dir . 'cover/clear.jpg');
    $rgb = imagecolorsforindex($thumb, imagecolorat($thumb, 100, 65));
    check($rgb['red'] > 240 && $rgb['green'] > 240 && $rgb['blue'] > 240, 'transparent parts become white', $rgb);
    $m = new Miniature();
    check($m->ReadImage($dir . 'shell.jpg') === false && $m->SaveImage($dir, 'none') === false, 'a file that is no picture gives no thumbnail');

    $refusals = array();
    foreach (array(
        'not uploaded' => array('name' => 'a.jpg', 'type' => 'image/jpeg', 'tmp_name' => $dir . 'wide.jpg', 'error' => 0, 'size' => 10),
        'too large for the server' => array('name' => 'a.jpg', 'tmp_name' => '', 'error' => UPLOAD_ERR_INI_SIZE, 'size' => 0),
        'partial' => array('name' => 'a.jpg', 'tmp_name' => '', 'error' => UPLOAD_ERR_PARTIAL, 'size' => 0),
        'several files in one field' => array('name' => array('a.jpg'), 'tmp_name' => array(''), 'error' => array(0), 'size' => array(1)),
    ) as $label => $file) {
        $refusals[$label] = site_check_upload($file);
    }
    check(count(array_filter($refusals)) === 4, 'uploads that are not real, complete, single uploads are refused with a reason', $refusals);
    check(strpos($refusals['too large for the server'], '2000 KB') !== false, 'the size refusal names the limit', $refusals['too large for the server']);
    $upload = new upFiles($refusals ? array('name' => 'a.jpg', 'tmp_name' => $dir . 'wide.jpg', 'error' => 0, 'size' => 10) : array(), '../attachments/picture', 2048000, array('jpg'));
    $upload->showErrors = false;
    check($upload->upload() === false && $upload->getSaveFileInfo() === array() && $upload->error !== '',
        'upFiles stores nothing for a file that was not uploaded', $upload->error);

    $name = site_new_file_name();
    check(preg_match('/^\d{14}_[0-9a-f]{12}$/', $name) === 1 && $name !== site_new_file_name(), 'stored names are made, not taken', $name);

    @mkdir(WEB_ROOT . 'attachments/picture/2024/05/cover', 0755, true);
    copy($dir . 'cover/thumb-wide.jpg.jpg', WEB_ROOT . 'attachments/picture/2024/05/cover/x.jpg');
    copy($dir . 'shell.jpg', WEB_ROOT . 'attachments/picture/2024/05/cover/shell.jpg');
    $paths = array();
    foreach (array('../attachments/picture/2024/05/cover/x.jpg', '../attachments/picture/2024/05/cover/shell.jpg',
        '../config.inc.php', '../attachments/picture/../../config.inc.php', '../attachments/picture/2024/05/cover/none.jpg', '/etc/passwd') as $path) {
        $paths[$path] = site_picture_path_allowed($path);
    }
    check(array_values($paths) === array(true, false, false, false, false, false),
        'a chosen picture must be a real picture inside attachments/picture', $paths);
});

group('requests from this site only', function () {
    $cases = array(
        array(array('HTTP_HOST' => 'site.test:8080', 'HTTP_ORIGIN' => 'http://site.test:8080'), true, 'same origin'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_ORIGIN' => 'https://site.test'), true, 'same host behind TLS'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_ORIGIN' => 'http://site.test:80'), true, 'default port written out'),
        array(array('HTTP_HOST' => 'site.test:8080', 'HTTP_ORIGIN' => 'http://site.test:8081'), false, 'another port'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_ORIGIN' => 'http://evil.example'), false, 'another site'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_ORIGIN' => 'http://site.test.evil.example'), false, 'a host that only begins alike'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_ORIGIN' => 'null'), false, 'an opaque origin'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_ORIGIN' => 'http://evil.example', 'HTTP_REFERER' => 'http://site.test/admin/x.php'), false, 'Origin decides over Referer'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_REFERER' => 'http://site.test/admin/item.php?act=show'), true, 'Referer of this site'),
        array(array('HTTP_HOST' => 'site.test', 'HTTP_REFERER' => 'http://evil.example/site.test/'), false, 'Referer of another site'),
        array(array('HTTP_HOST' => 'site.test'), false, 'neither header'),
    );
    foreach ($cases as $case) {
        $_SERVER = array_merge(array('REQUEST_METHOD' => 'POST'), $case[0]);
        check(site_request_is_same_site() === $case[1], $case[2]);
    }
    $_SERVER = array('HTTP_HOST' => 'internal:8080', 'HTTP_ORIGIN' => 'https://www.example.com');
    $GLOBALS['site_url'] = 'https://www.example.com/shop/';
    check(site_request_is_same_site(), 'the configured site address counts as this site');
    $GLOBALS['site_url'] = '';
    $GLOBALS['trusted_origins'] = array('https://proxy.example');
    $_SERVER['HTTP_ORIGIN'] = 'https://proxy.example';
    check(site_request_is_same_site(), 'a configured trusted origin counts as this site');
    $GLOBALS['trusted_origins'] = array();

    $out = run_isolated('<?php $GLOBALS["SITE_RAW_GET"] = $_GET = array("act" => "delall"); site_check_request_origin(); echo "went on";',
        array('REQUEST_METHOD' => 'GET', 'HTTP_HOST' => 'site.test', 'HTTP_REFERER' => 'http://evil.example/'));
    check(strpos($out, '请求不是来自本站页面') !== false && strpos($out, 'went on') === false, 'a forged delall link is refused', $out);
    $out = run_isolated('<?php $GLOBALS["SITE_RAW_GET"] = $_GET = array("act" => "show"); site_check_request_origin(); echo "went on";',
        array('REQUEST_METHOD' => 'GET', 'HTTP_HOST' => 'site.test'));
    check(trim($out) === 'went on', 'showing a list needs no Origin', $out);
});

group('sessions are made only where they may be', function () {
    $out = run_isolated('<?php var_dump(site_session_start()); echo session_status() === PHP_SESSION_ACTIVE ? "active" : "none";', array('SCRIPT_FILENAME' => WEB_ROOT . 'admin/x.php', 'SCRIPT_NAME' => '/admin/x.php'));
    check(strpos($out, 'bool(false)') !== false && substr(trim($out), -4) === 'none',
        'a request without the session cookie makes no session (a link from another site keeps the sign-in)', $out);
    $out = run_isolated('<?php var_dump(site_session_start(true)); echo session_status() === PHP_SESSION_ACTIVE ? "active" : "none";', array('SCRIPT_FILENAME' => WEB_ROOT . 'code.php', 'SCRIPT_NAME' => '/code.php'));
    check(strpos($out, 'bool(true)') !== false && substr(trim($out), -6) === 'active', 'the captcha and a sent sign-in form make one', $out);
});

group('session read without starting it', function () {
    $dir = WEB_ROOT . 'cache/sessions';
    @mkdir($dir, 0700, true);
    $id = str_repeat('a1b2', 10);
    file_put_contents("$dir/sess_$id", serialize(array('site_admin_id' => 7)));
    $out = run_isolated('<?php echo "page text"; $_COOKIE[SITE_SESSION_NAME] = ' . var_export($id, true) . ';'
        . 'ob_flush(); flush(); var_dump(site_session_start()); echo json_encode($_SESSION);', array());
    check(strpos($out, 'bool(false)') !== false && strpos($out, '"site_admin_id":7') !== false,
        'after output has gone out, the stored session is still read', $out);
    touch("$dir/sess_$id", time() - SITE_SESSION_IDLE - 10);
    $out = run_isolated('<?php echo "x"; ob_flush(); flush(); $_COOKIE[SITE_SESSION_NAME] = ' . var_export($id, true) . '; site_session_start(); echo json_encode($_SESSION);', array());
    check(substr(trim($out), -2) === '[]', 'an idle session is not read', $out);
    $out = run_isolated('<?php echo "x"; ob_flush(); flush(); $_COOKIE[SITE_SESSION_NAME] = "../../etc/passwd"; site_session_start(); echo json_encode($_SESSION);', array());
    check(substr(trim($out), -2) === '[]', 'a session id that is no id reads nothing', $out);
});

group('templates escape what they print', function () use ($fixtures) {
    copy($fixtures . 'item.html', SITE_ADMIN_DIR . 'templates/admin/item.html');
    file_put_contents(SITE_ADMIN_DIR . 'templates/admin/bom.html', "\xEF\xBB\xBF<p><{\$text}></p>");
    copy($fixtures . 'item_edit.html', SITE_ADMIN_DIR . 'templates/admin/item_edit.html');
    $GLOBALS['DB'] = new class {
        public function escape($text)
        {
            return sql_escape((string)$text);
        }
    };
    $GLOBALS['SITE_RAW_GET'] = array('name' => "O'B\"<x>");
    $smarty = new SiteSmarty();
    $smarty->assign('name', sql_escape("O'B\"<x>"));
    $smarty->assign('itemList', array(array('id' => 1, 'name' => '<script>alert(1)</script>'), array('id' => 2, 'name' => '"><img src=x onerror=alert(1)>')));
    $smarty->assign('pages', '<div class="pages"><a href="item.php?act=show&amp;page=2">2</a></div>');
    $html = $smarty->fetch('item.html');
    check(strpos($html, '<script>') === false && strpos($html, '&lt;script&gt;alert(1)&lt;/script&gt;') !== false, 'stored markup shows as text', $html);
    check(strpos($html, '<img') === false && strpos($html, '&quot;&gt;&lt;img src=x') !== false, 'attribute breakers show as text');
    check(strpos($html, '<div class="pages"><a href="item.php?act=show&amp;page=2">2</a></div>') !== false, 'the page-link bar is printed as HTML');
    check(strpos($html, 'value="O&#039;B&quot;&lt;x&gt;"') !== false, 'a search value is shown as typed, not SQL-escaped', $html);
    $smarty->assign('text', 'a');
    check($smarty->fetch('bom.html') === '<p>a</p>', 'a byte-order mark at the top of a template is not printed');
    check(site_picture_fields(site_model_class('Item')) === array('photo', '封面') && site_picture_fields(site_model_class('Brand')) === array('logo'),
        'picture fields are read from the description, whatever their names', site_picture_fields(site_model_class('Item')));
    unset($GLOBALS['DB']);
});

group('the model description', function () use ($fixtures) {
    $described = SITE_ADMIN_DIR . 'include/site_model.php';
    // What the run writes (the golden description of the shop model) is
    // what the runtime reads.
    copy(__DIR__ . '/../golden/site_model/shop.php', $described);
    $out = run_isolated('<?php $article = site_model_class("Article"); echo json_encode(array(array_keys(site_model()), $article["key"],'
        . ' $article["members"]["title"]["label"], $article["members"]["cover"]["label"], $article["members"]["author"]["reference"],'
        . ' site_model_class("article"), site_model_class("none"), site_controller_model("user")["key"], site_controller_model("商品")["key"]), JSON_UNESCAPED_UNICODE);');
    $data = json_decode($out, true);
    check($data === array(array('User', 'Category', 'Article', 'Tag', 'Gallery', '商品', 'review'), 'articleId', '标题: O\'Brien的"文章"', '封面 C:\\pics\\',
        'User', null, null, 'userId', 'goodsId'),
        'the generated description is read as written, classes in model order, without printing its byte-order mark', $out);

    $broken = array('missing' => null, 'no array' => "<?php return 'x';", 'broken PHP' => '<?php return array(',
        'a class without its key member' => "<?php return array('A' => array('table' => 't_a', 'label' => '', 'key' => 'id', 'display' => 'id', 'members' => array()));");
    foreach ($broken as $label => $text) {
        @unlink($described);
        if ($text !== null) {
            file_put_contents($described, $text);
        }
        $out = run_isolated('<?php echo site_model() === null && site_model_class("A") === null ? "null" : "read"; ob_flush(); flush();'
            . '$GLOBALS["SITE_RAW_GET"] = array("act" => "show"); site_check_record_request("item"); echo "went on";');
        check(strpos($out, 'null') === 0 && strpos($out, '网站的模型描述（admin/include/site_model.php）不存在或无法读取') !== false && strpos($out, 'went on') === false,
            "a description that is $label reads as none, and a controller's request is refused", $out);
    }
    $out = run_isolated('<?php $GLOBALS["SITE_RAW_GET"] = array("act" => "editok"); $GLOBALS["SITE_RAW_POST"] = array("news" => array("封面" => "../config.inc.php"));'
        . ' site_check_picture_fields("news"); echo "went on";');
    check(strpos($out, '模型描述') !== false && strpos($out, 'went on') === false, 'without a description no picture check is skipped: the request is refused', $out);
    copy($fixtures . 'site_model.php', $described);

    foreach (array('site_check_record_request', 'site_check_picture_fields') as $check) {
        $out = run_isolated('<?php $GLOBALS["SITE_RAW_GET"] = array("act" => "editok"); ' . $check . '("gadget"); echo "went on";');
        check(strpos($out, '网站的模型描述中没有“gadget”这个类') !== false && strpos($out, 'went on') === false,
            "$check refuses a controller whose class the description does not list", $out);
    }
});

group('requests the generated acts take as they come', function () {
    // The classes of the fixture description: brand (a typed-in text key),
    // product (a counted key, required references), news (a required
    // picture named in Chinese), item (two pictures, one named in Chinese).
    $act = function ($get, $post = array(), $files = array()) {
        $class = var_export(isset($get['class']) ? $get['class'] : 'brand', true);
        return run_isolated('<?php $GLOBALS["SITE_RAW_GET"] = ' . var_export($get, true) . '; $GLOBALS["SITE_RAW_POST"] = ' . var_export($post, true) . ';'
            . '$_FILES = ' . var_export($files, true) . '; site_check_picture_fields(' . $class . '); site_check_record_request(' . $class . '); echo "went on";');
    };
    $refused = function ($out, $message) {
        return strpos($out, $message) !== false && strpos($out, 'went on') === false;
    };
    foreach (array('nothing' => array(), 'an empty list' => array('delid' => array()), 'a text instead of the list' => array('delid' => 'HW/')) as $label => $post) {
        $out = $act(array('act' => 'delall'), $post);
        check($refused($out, '没有勾选要删除的记录'), "delete the ticked records with $label: a message, no deletion", $out);
    }
    check(trim($act(array('act' => 'delall'), array('delid' => array('HW')))) === 'went on', 'delete the ticked records with one tick goes on');
    foreach (array('' => 'empty', '   ' => 'spaces only') as $code => $label) {
        $out = $act(array('act' => 'addok'), array('brand' => array('code' => $code, 'title' => 'x')));
        check($refused($out, '“品牌代码”不能为空'), "a new record with an $label text key is refused", $out);
    }
    check(trim($act(array('act' => 'addok'), array('brand' => array('code' => '0', 'title' => 'x')))) === 'went on', 'a text key "0" is a key');
    $product = array('productId' => '', 'name' => 'x', 'category' => '1', 'brand' => 'HW', 'tag' => '', 'note' => '');
    check(trim($act(array('act' => 'addok', 'class' => 'product'), array('product' => $product))) === 'went on',
        'a new record of a class with a counted key needs no key; optional members may stay empty');

    // Required members, named by their labels.
    $cases = array(
        array(array('act' => 'addok'), array('brand' => array('code' => 'HW', 'title' => '')), '“品牌名称”不能为空', 'an empty required text on adding'),
        array(array('act' => 'editok'), array('brand' => array('code' => 'HW', 'title' => ' ')), '“品牌名称”不能为空', 'a required text of spaces on saving'),
        array(array('act' => 'editok'), array('brand' => array('code' => '', 'title' => 'x')), '“品牌代码”不能为空', 'an empty key on saving'),
        array(array('act' => 'addok', 'class' => 'product'), array('product' => array_merge($product, array('category' => ''))), '“所属分类”不能为空', 'an empty required reference'),
        array(array('act' => 'editok', 'class' => 'product'), array('product' => array_merge($product, array('productId' => '3', 'brand' => ''))), '“品牌”不能为空', 'an empty required reference on saving'),
        array(array('act' => 'addok', 'class' => 'product'), array(), '“商品名称”不能为空', 'a new record that was not sent at all'),
        array(array('act' => 'addok', 'class' => 'news'), array('news' => array('title' => 't')), '“封面图片”不能为空', 'a required picture not uploaded'),
        array(array('act' => 'editok', 'class' => 'news'), array('news' => array('newsId' => '1', 'title' => 't', '封面' => '')), '“封面图片”不能为空', 'a required picture emptied on saving'),
    );
    foreach ($cases as $case) {
        $out = $act($case[0], $case[1]);
        check($refused($out, $case[2] . '，请填写后再提交'), $case[3] . ' is refused with the label: ' . $case[2], $out);
    }
    $upload = array('封面' => array('name' => 'a.jpg', 'type' => 'image/jpeg', 'tmp_name' => '/tmp/x', 'error' => 0, 'size' => 10));
    check(trim($act(array('act' => 'addok', 'class' => 'news'), array('news' => array('title' => 't')), $upload)) === 'went on',
        'a required picture that is uploaded lets the new record through');

    // Keys counted by the database are integers; MySQL would read
    // "1' or '1'='1" as 1.
    $injection = "1' or '1'='1";
    $cases = array(
        array(array('act' => 'remove', 'class' => 'product', 'productId' => $injection), array(), 'remove'),
        array(array('act' => 'edit', 'class' => 'product', 'productId' => $injection), array(), 'edit'),
        array(array('act' => 'editok', 'class' => 'product'), array('product' => array_merge($product, array('productId' => $injection))), 'editok'),
        array(array('act' => 'delall', 'class' => 'product'), array('delid' => array('3', $injection)), 'delall'),
        array(array('act' => 'addok', 'class' => 'product'), array('product' => array_merge($product, array('productId' => '5x'))), 'addok'),
        array(array('act' => 'remove', 'class' => 'product', 'productId' => ' 1'), array(), 'remove (a space before the number)'),
    );
    foreach ($cases as $case) {
        $out = $act($case[0], $case[1]);
        check($refused($out, '“商品编号”的值无效，应为整数'), 'a key that is no integer is refused by ' . $case[2], $out);
    }
    check(trim($act(array('act' => 'remove', 'class' => 'product', 'productId' => '12'))) === 'went on'
        && trim($act(array('act' => 'delall', 'class' => 'product'), array('delid' => array('3', '4')))) === 'went on',
        'integer keys go on');
    check(trim($act(array('act' => 'remove', 'code' => $injection))) === 'went on', 'a text key may hold any text (the statement takes it as text)');

    // Picture fields of any name, Chinese ones included, must name a real
    // picture inside attachments/picture.
    $news = array('newsId' => '1', 'title' => 't');
    foreach (array('../config.inc.php', '../attachments/picture/../../config.inc.php', '../attachments/picture/2024/05/cover/shell.jpg') as $path) {
        $out = $act(array('act' => 'editok', 'class' => 'news'), array('news' => $news + array('封面' => $path)));
        check($refused($out, '所选的图片无效'), "a picture member named 封面 refuses the path $path", $out);
    }
    $out = $act(array('act' => 'editok', 'class' => 'item'), array('item' => array('id' => '1', 'name' => 'n', 'added' => '2024-05-01', 'photo' => '', '封面' => '../config.inc.php')));
    check($refused($out, '所选的图片无效'), 'every picture member of a class is checked, not only the first', $out);
    check(trim($act(array('act' => 'editok', 'class' => 'news'), array('news' => $news + array('封面' => '../attachments/picture/2024/05/cover/x.jpg')))) === 'went on',
        'a real picture inside attachments/picture is taken');
});

group('reference drop-downs are sorted by their display text', function () {
    file_put_contents(SITE_ADMIN_DIR . 'templates/admin/options.html', '<{section name=k loop=$categoryList}><{$categoryList[k].name}>|<{/section}>'
        . '#<{section name=k loop=$tagList}><{$tagList[k].tagId}>|<{/section}>#<{section name=k loop=$productList}><{$productList[k].name}>|<{/section}>');
    $GLOBALS['SITE_RAW_GET'] = array();
    $smarty = new SiteSmarty();
    $smarty->sortReferenceLists(site_controller_model('product'), 'productList');
    $rows = function (array $texts, $column) {
        $list = array();
        foreach ($texts as $i => $text) {
            $list[] = array('id' => $i + 1, $column => $text);
        }
        return $list;
    };
    $smarty->assign('categoryList', $rows(array('香蕉', 'item 10', 'Banana', '橙子', 'apple', 'item 9'), 'name'));
    $smarty->assign('tagList', $rows(array('10', '9', '100'), 'tagId'));
    $smarty->assign('productList', $rows(array('b', 'a'), 'name'));
    $html = $smarty->fetch('options.html');
    check($html === 'apple|Banana|item 9|item 10|橙子|香蕉|#9|10|100|#b|a|',
        'referenced records are listed by their display text (numbers by value); the class\'s own records keep their order', $html);
});

if ($socket === '') {
    echo "# SKIPPED: database tests (no database given)\n";
} else {
    group('database: values the generated statements send', function () use ($socket, $dbName) {
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket);
        $GLOBALS['DB'] = $db;
        $db->link->query("CREATE TABLE t_item (id int(11) NOT NULL AUTO_INCREMENT, name varchar(12) COLLATE utf8_bin NOT NULL,"
            . " added date NOT NULL, amount float NOT NULL, photo text COLLATE utf8_bin NOT NULL, PRIMARY KEY (id)) ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin");
        $r = $db->query("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('','a','','','')");
        $row = $db->fetch_array($db->query('SELECT * FROM t_item'));
        check($r === true && $row['id'] === '1' && $row['added'] === '0000-00-00' && (float)$row['amount'] === 0.0,
            "'' for a new key, a date and a number is accepted", $row);
        check($db->fetch_array(false) === false && $db->num_rows(true) === 0, 'fetch_array and num_rows take a failed query quietly');

        $texts = array("O'Brien", 'back\\slash\\', "\\'", "運'", "a\0b", '50%', 'a_b', 'axb');
        $db->link->query('TRUNCATE t_item');
        foreach ($texts as $text) {
            $db->query("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('','" . $db->escape($text) . "','2024-05-01','1','')");
        }
        $stored = array();
        $q = $db->query('SELECT name FROM t_item ORDER BY id');
        while ($row = $db->fetch_array($q)) {
            $stored[] = $row['name'];
        }
        check($stored === $texts, 'escaped text is stored exactly', $stored);
        foreach (array_merge($texts, array('\\', '%', '_', "'")) as $search) {
            $q = $db->query("SELECT name FROM t_item where 1=1 and name like '%" . $db->escape($search) . "%' order by id");
            $found = array();
            while ($row = $db->fetch_array($q)) {
                $found[] = $row['name'];
            }
            $expected = array_values(array_filter($texts, function ($t) use ($search) {
                return strpos($t, $search) !== false;
            }));
            check($found === $expected, 'a search for ' . json_encode($search) . ' finds exactly the records that contain it', $found);
        }
        unset($GLOBALS['DB']);
    });

    group('database: refused writes and failed statements', function () {
        $refused = function ($sql) {
            return run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket); $db->query(' . var_export($sql, true) . '); echo "stored";');
        };
        $count = function () {
            return trim(run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket); echo $db->num_rows($db->query("SELECT * FROM t_item"));'));
        };
        $before = $count();
        $cases = array(
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('','abcdefghijklmnop','2024-05-01','1','')", '超过了允许的长度', 'text longer than its column'),
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('','\xF0\x9F\x98\x80','2024-05-01','1','')", '无法保存的字符', 'characters a utf8 column cannot hold'),
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('','ok','2024-05-01','x1','')", '格式不正确', 'a number that is no number'),
            array("UPDATE t_item SET name = 'abcdefghijklmn' WHERE id = '1'", '超过了允许的长度', 'an update that would cut text'),
        );
        foreach ($cases as $case) {
            $out = $refused($case[0]);
            check(strpos($out, $case[1]) !== false && strpos($out, 'stored') === false, $case[2] . ' is refused with a message page', $out);
        }
        check($count() === $before, 'refused writes leave the table as it was', array($before, $count()));
        $stored = run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket); $r = $db->fetch_array($db->query("SELECT name FROM t_item WHERE id = 1")); echo $r["name"];');
        check(trim($stored) === "O'Brien", 'a refused update changes nothing', $stored);
        $out = $refused("SELECT * FROM t_missing");
        check(strpos($out, '数据库操作失败（错误 1146）：数据表不存在') !== false && strpos($out, 'stored') === false,
            'a failed statement shows a short error instead of going on', $out);
        check(strpos($out, 't_missing') === false && strpos($out, 'SELECT') === false, 'the error page names no table and no statement', $out);
        $out = $refused("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('1','dup','2024-05-01','1','')");
        check(strpos($out, '错误 1062') !== false && strpos($out, 'dup') === false && strpos($out, 'PRIMARY') === false,
            'a duplicate key is named without the value or the key', $out);
        $out = run_isolated('<?php new SiteDatabase("", "root", "", "no_such_db", 0, $socket); echo "connected";');
        check(strpos($out, '无法连接数据库') !== false && strpos($out, 'connected') === false && strpos($out, 'no_such_db') === false,
            'a failed connection names no details on the page', $out);
    });

    group('database: numbers and dates the server would have to guess at', function () {
        $db = new SiteDatabase('', 'root', '', $GLOBALS['dbName'], 0, $GLOBALS['socket']);
        $db->link->query("CREATE TABLE t_goods (id int(11) NOT NULL AUTO_INCREMENT, title varchar(8) COLLATE utf8_bin NOT NULL COMMENT '商品名称',"
            . " added date NOT NULL COMMENT '上架日期', price float NOT NULL COMMENT '价格', stock int(11) NOT NULL, PRIMARY KEY (id))"
            . " ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin");
        // The record as the add form posts it, and the statement the generated addok runs.
        $write = function (array $record) {
            $values = array();
            foreach (array('id', 'title', 'added', 'price', 'stock') as $column) {
                $values[] = "'" . addslashes(isset($record[$column]) ? $record[$column] : '') . "'";
            }
            return run_isolated('<?php $GLOBALS["SITE_RAW_POST"] = array("goods" => ' . var_export($record, true) . ');'
                . '$db = new SiteDatabase("", "root", "", $dbName, 0, $socket);'
                . '$db->query("INSERT INTO t_goods (id,title,added,price,stock) VALUE (' . implode(',', $values) . ')"); echo "stored";');
        };
        $refused = array(
            array(array('title' => 'a', 'added' => '2024-02-30'), '“上架日期”不是有效的日期', 'a day that does not exist'),
            array(array('title' => 'a', 'added' => '2024/5/1x'), '“上架日期”不是有效的日期', 'a date with trailing letters'),
            array(array('title' => 'a', 'price' => '1,999'), '“价格”的值格式不正确（请填写数字）', 'a price written with a thousands comma'),
            array(array('title' => 'a', 'stock' => '12abc'), '“stock”的值格式不正确', 'a number with letters after it (no comment: the column name)'),
            array(array('title' => 'a', 'price' => '1.5x'), '“价格”的值格式不正确', 'a decimal with letters after it'),
            array(array('title' => '123456789'), '“商品名称”的内容超过了允许的长度（最多 8 个字符）', 'text one character too long: the label and the limit'),
        );
        foreach ($refused as $case) {
            $out = $write($case[0]);
            check(strpos($out, $case[1]) !== false && strpos($out, 'stored') === false, $case[2] . ' is refused: ' . $case[1], $out);
        }
        check($db->num_rows($db->query('SELECT * FROM t_goods')) === 0, 'nothing of the refused records was stored');
        $kept = array(
            array(array('title' => 'a'), 'empty number and date fields'),
            array(array('title' => 'b', 'added' => '2024-5-1', 'price' => ' 12.5 ', 'stock' => ' 7'), 'a short date and numbers with spaces around them'),
            array(array('title' => 'c', 'added' => '2024-02-29', 'price' => '1e3', 'stock' => '-3'), 'a leap day, an exponent and a negative number'),
        );
        foreach ($kept as $case) {
            $out = $write($case[0]);
            check(trim($out) === 'stored', $case[1] . ' are stored', $out);
        }
        $rows = array();
        $q = $db->query('SELECT title, added, price, stock FROM t_goods ORDER BY id');
        while ($row = $db->fetch_array($q)) {
            $rows[] = array($row['title'], $row['added'], (float)$row['price'], (int)$row['stock']);
        }
        check($rows === array(array('a', '0000-00-00', 0.0, 0), array('b', '2024-05-01', 12.5, 7), array('c', '2024-02-29', 1000.0, -3)),
            'the kept values are the ones typed', $rows);
        $out = run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket);'
            . '$db->query("INSERT INTO t_goods (id,title,added,price,stock) VALUE (\'\',\'d\',\'2024-02-30\',\'\',\'\')"); echo "stored";');
        check(trim($out) === 'stored', 'a statement no form sent is not second-guessed', $out);
    });

    group('database: a record that is gone is not edited or deleted', function () use ($socket, $dbName) {
        // The brand pages were laid out by the group on the generated acts.
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket);
        $db->link->query("CREATE TABLE t_brand (code varchar(8) COLLATE utf8_bin NOT NULL, title varchar(30) COLLATE utf8_bin NOT NULL,"
            . " logo text COLLATE utf8_bin NOT NULL, PRIMARY KEY (code)) ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin");
        $db->link->query("INSERT INTO t_brand VALUES ('HW', 'x', ''), ('O''B', 'y', '')");
        $act = function ($get, $post = array()) {
            return run_isolated('<?php $GLOBALS["SITE_RAW_GET"] = ' . var_export($get, true) . '; $GLOBALS["SITE_RAW_POST"] = ' . var_export($post, true) . ';'
                . '$DB = new SiteDatabase("", "root", "", $dbName, 0, $socket); site_check_record_request("brand"); echo "went on";');
        };
        $cases = array(
            array(array('act' => 'edit', 'code' => 'HW'), array(), true, 'edit of a stored record'),
            array(array('act' => 'edit', 'code' => "O'B"), array(), true, 'edit of a stored record whose key has a quote'),
            array(array('act' => 'remove', 'code' => 'HW'), array(), true, 'remove of a stored record'),
            array(array('act' => 'editok'), array('brand' => array('code' => 'HW', 'title' => 'z')), true, 'saving a stored record'),
            array(array('act' => 'edit', 'code' => 'GONE'), array(), false, 'edit of a record that is gone'),
            array(array('act' => 'remove', 'code' => 'GONE'), array(), false, 'remove of a record that is gone'),
            array(array('act' => 'editok'), array('brand' => array('code' => 'GONE', 'title' => 'z')), false, 'saving a record that is gone'),
            array(array('act' => 'edit', 'code' => "' or '1'='1"), array(), false, 'a key that only matches when run as SQL'),
        );
        foreach ($cases as $case) {
            $out = $act($case[0], $case[1]);
            $goesOn = trim($out) === 'went on';
            check($goesOn === $case[2] && ($goesOn || (strpos($out, '这条记录已不存在') !== false && strpos($out, 'brand.php?act=show') !== false)),
                $case[3] . ($case[2] ? ': goes on' : ': a message that leads back to the list'), $out);
        }
        check(trim($act(array('act' => 'edit'))) === 'went on', 'without a key the controller decides');
        $db->link->query('DROP TABLE t_brand');
        check(trim($act(array('act' => 'edit', 'code' => 'HW'))) === 'went on', 'a table that cannot be read leaves it to the controller');
    });

    group('database: request values reach the controller escaped', function () {
        $out = run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket);'
            . '$_GET = array("name" => "O\'B\\\\", "deep" => array("x" => "y")); $_POST = array("item" => array("name" => "a\'b", "more" => array("z")));'
            . 'site_take_request($db); echo json_encode(array($_GET, $_POST, $_REQUEST["name"], site_raw("name")));');
        $data = json_decode(trim($out), true);
        check(is_array($data) && $data[0]['name'] === "O\\'B\\\\" && $data[1]['item']['name'] === "a\\'b", 'GET and POST values are escaped for SQL', $out);
        check(is_array($data) && $data[0]['deep'] === '' && $data[1]['item']['more'] === '', 'arrays deeper than a posted record become empty text', $data);
        check(is_array($data) && $data[2] === "O\\'B\\\\" && $data[3] === "O'B\\", '$_REQUEST holds the escaped values, site_raw the sent ones', $data);
        $out = run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket); $_POST = array("item" => array("name" => "\xBF\x27")); site_take_request($db); echo "taken";');
        check(strpos($out, '无效的字符编码') !== false && strpos($out, 'taken') === false, 'text that is no UTF-8 is refused', $out);
    });

    group('database: administrator accounts', function () {
        $out = run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket); site_admin_ensure_table($db);'
            . 'echo json_encode(array(site_admin_count($db), site_admin_create_first($db, "admin", "first-password"),'
            . ' site_admin_create_first($db, "other", "second-password"), site_admin_count($db),'
            . ' site_admin_verify($db, "admin", "wrong") === null, site_admin_verify($db, "other", "second-password") === null,'
            . ' (site_admin_verify($db, "admin", "first-password") ?: array())["admin_name"] ?? null));');
        check(trim($out) === '[0,true,false,1,true,true,"admin"]', 'only the first account is created; only its password lets in', $out);
        $hash = trim(run_isolated('<?php $db = new SiteDatabase("", "root", "", $dbName, 0, $socket); echo site_admin_find($db, "admin_name", "admin")["password_hash"];'));
        check(password_get_info($hash)['algo'] !== null && strpos($hash, 'first-password') === false, 'the password is stored as a hash', $hash);
        @unlink(WEB_ROOT . 'cache/signin_failures.json');
        $out = run_isolated('<?php $_SERVER["REMOTE_ADDR"] = "192.0.2.1"; $waits = array();'
            . 'for ($i = 0; $i < 5; $i++) { $waits[] = site_signin_wait("admin"); site_signin_failed("admin"); }'
            . '$waits[] = site_signin_wait("admin"); $waits[] = site_signin_wait("someone-else");'
            . '$_SERVER["REMOTE_ADDR"] = "192.0.2.2"; $waits[] = site_signin_wait("admin"); $waits[] = site_signin_wait("someone-else");'
            . 'site_signin_succeeded("admin"); $waits[] = site_signin_wait("admin"); echo json_encode($waits);');
        $waits = json_decode(trim($out), true);
        check(is_array($waits) && array_slice($waits, 0, 3) === array(0, 0, 0) && $waits[3] > 0 && $waits[5] > $waits[3],
            'after three failures each attempt waits, longer each time', $waits);
        check(is_array($waits) && $waits[6] > 0 && $waits[7] > 0 && $waits[8] === 0,
            'the wait holds for the address and for the name, not for others', $waits);
        check(is_array($waits) && $waits[9] === 0, 'a successful sign-in clears the wait for the name', $waits);
    });

    group('database: a generated controller runs end to end', function () use ($fixtures) {
        copy($fixtures . 'item.php', SITE_ADMIN_DIR . 'item.php');
        $config = file_get_contents(WEB_ROOT . 'config.inc.php');
        global $socket, $dbName;
        $config = preg_replace('/^\$dbsocket\s*=.*$/m', '$dbsocket = ' . var_export($socket, true) . ';', $config);
        $config = preg_replace('/^\$dbname\s*=.*$/m', '$dbname = ' . var_export($dbName, true) . ';', $config);
        $config = preg_replace('/^\$dbprefix\s*=.*$/m', '$dbprefix = \'t_\';', $config);
        // The shipped settings name no account: the test names its own.
        $config = preg_replace('/^\$dbuser\s*=.*$/m', '$dbuser = \'root\';', $config);
        file_put_contents(WEB_ROOT . 'config.inc.php', $config);
        $sessions = WEB_ROOT . 'cache/sessions';
        @mkdir($sessions, 0700, true);
        $id = str_repeat('c3d4', 10);
        file_put_contents("$sessions/sess_$id", serialize(array('site_admin_id' => 1, 'site_seen' => time())));
        $request = function (array $get, array $post = array(), array $headers = array(), $script = 'item.php') use ($id) {
            $code = '<?php $_SERVER = array_merge($_SERVER, ' . var_export(array_merge(array(
                    'SCRIPT_FILENAME' => SITE_ADMIN_DIR . $script, 'SCRIPT_NAME' => '/admin/' . $script,
                    'REQUEST_METHOD' => $post ? 'POST' : 'GET', 'HTTP_HOST' => 'site.test', 'REQUEST_URI' => '/admin/' . $script), $headers), true) . ');'
                . '$_GET = ' . var_export($get, true) . '; $_POST = ' . var_export($post, true) . '; $_COOKIE = array("SITESESSID" => ' . var_export($id, true) . ');'
                . 'register_shutdown_function(function () { echo "\n--status " . http_response_code() . "--"; });'
                . 'ob_start(); require ' . var_export(SITE_ADMIN_DIR . $script, true) . ';';
            $file = tempnam(sys_get_temp_dir(), 'site-request');
            file_put_contents($file, $code);
            $out = shell_exec('cd ' . escapeshellarg(sys_get_temp_dir()) . ' && php -d error_log=' . escapeshellarg(WEB_ROOT . 'cache/test-error.log') . ' ' . escapeshellarg($file) . ' 2>&1');
            unlink($file);
            return (string)$out;
        };
        $own = array('HTTP_ORIGIN' => 'http://site.test');
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket);
        $db->link->query('TRUNCATE t_item');
        $added = 0;
        foreach (array('first', "O'Brien", '<b>bold</b>', 'back\\', 'fifth', 'sixth') as $name) {
            $out = $request(array('act' => 'addok'), array('item' => array('name' => $name, 'added' => '2024-05-01', 'amount' => '')), $own);
            $added += strpos($out, '条目添加成功') !== false ? 1 : 0;
        }
        check($added === 6, 'six records are added through the controller', $added);
        $count = function () use ($db) {
            return $db->num_rows($db->query('SELECT * FROM t_item'));
        };
        $out = $request(array('act' => 'addok'), array('item' => array('name' => ' ', 'added' => '2024-05-01', 'amount' => '')), $own);
        check(strpos($out, '“名称”不能为空，请填写后再提交') !== false && $count() === 6, 'a record without its required name is refused, naming the field', $out);
        $injection = "1' or '1'='1";
        foreach (array(array(array('act' => 'remove', 'id' => $injection), array()), array(array('act' => 'edit', 'id' => $injection), array()),
            array(array('act' => 'delall'), array('delid' => array($injection))), array(array('act' => 'editok'), array('item' => array('id' => $injection, 'name' => 'x', 'added' => '2024-05-01')))) as $attack) {
            $out = $request($attack[0], $attack[1], array('HTTP_REFERER' => 'http://site.test/admin/item.php'));
            check(strpos($out, '“编号”的值无效，应为整数') !== false && $count() === 6
                && $db->fetch_array($db->query('SELECT name FROM t_item WHERE id = 1'))['name'] === 'first',
                'the key ' . $injection . ' is refused by ' . $attack[0]['act'] . ' and record 1 stays as it was', $out);
        }
        $out = $request(array('act' => 'editok'), array('item' => array('id' => '2', 'name' => 'x', 'added' => '2024-05-01', '封面' => '../config.inc.php')), $own);
        check(strpos($out, '所选的图片无效') !== false, 'a picture field named 封面 cannot be pointed at the site\'s files', $out);
        $welcome = $request(array('act' => 'welcome'), array(), array(), 'index.php');
        check(strpos($welcome, '6 类（条目、分类、品牌、Tag、商品、新闻）') !== false, 'the welcome page lists the classes of the description in model order', $welcome);
        copy(SITE_ADMIN_DIR . 'item.php', SITE_ADMIN_DIR . 'gadget.php');
        $out = $request(array('act' => 'show'), array(), array(), 'gadget.php');
        check(strpos($out, '网站的模型描述中没有“gadget”这个类') !== false && strpos($out, '--status 500--') !== false && strpos($out, 'class="name"') === false,
            'a controller whose class is not described is refused', $out);
        unlink(SITE_ADMIN_DIR . 'gadget.php');
        rename(SITE_ADMIN_DIR . 'include/site_model.php', SITE_ADMIN_DIR . 'include/site_model.php.away');
        $out = $request(array('act' => 'show'));
        $welcome = $request(array('act' => 'welcome'), array(), array(), 'index.php');
        rename(SITE_ADMIN_DIR . 'include/site_model.php.away', SITE_ADMIN_DIR . 'include/site_model.php');
        check(strpos($out, '模型描述') !== false && strpos($out, '--status 500--') !== false && strpos($out, 'class="name"') === false,
            'without the description the list is not shown', $out);
        check(strpos($welcome, '模型描述') !== false && strpos($welcome, '欢迎使用管理中心') === false, 'without the description the welcome page is refused', $welcome);
        $page = $request(array('act' => 'show', 'name' => '', 'page' => '1'));
        preg_match_all('/<td class="name">([^<]*)<\/td>/', $page, $names);
        check(count($names[1]) === 5 && $names[1][0] === 'sixth', 'the list shows five records, newest first', $page);
        check(in_array('&lt;b&gt;bold&lt;/b&gt;', $names[1], true), 'stored markup is listed as text', $names[1]);
        check(strpos($page, 'page=2') !== false && strpos($page, '共 6 条记录，2 页') !== false, 'the page links lead to page 2', $page);
        $page = $request(array('act' => 'show', 'name' => "O'B"));
        preg_match_all('/<td class="name">([^<]*)<\/td>/', $page, $names);
        check($names[1] === array('O&#039;Brien') && strpos($page, 'value="O&#039;B"') !== false, 'a search with a quote finds the record and shows the search as typed', $page);
        $out = $request(array('act' => 'remove', 'id' => '1'), array(), array('HTTP_REFERER' => 'http://evil.example/'));
        check(strpos($out, '请求不是来自本站页面') !== false && $db->num_rows($db->query('SELECT * FROM t_item WHERE id = 1')) === 1,
            'a forged remove is refused and the record stays', $out);
        $out = $request(array('act' => 'remove', 'id' => '1'), array(), array('HTTP_REFERER' => 'http://site.test/admin/item.php'));
        check(strpos($out, '删除成功') !== false && $db->num_rows($db->query('SELECT * FROM t_item WHERE id = 1')) === 0,
            'remove deletes a record without a picture', $out);
        // Pictures as the upload stores them: the original under the
        // month's folder, the thumbnail of the same name in its cover/.
        $pictures = WEB_ROOT . 'attachments/picture/2024/06/';
        @mkdir($pictures . 'cover', 0755, true);
        $stored = array();
        foreach (array(2 => '20240601120000_0000000000a2', 4 => '20240601120000_0000000000a4',
                       5 => '20240601120000_0000000000a5', 6 => '20240601120000_0000000000a6') as $record => $stem) {
            file_put_contents($pictures . "cover/$stem.jpg", 'thumbnail');
            file_put_contents($pictures . "$stem.png", 'original');
            $stored[$record] = $stem;
            $db->link->query("UPDATE t_item SET photo = '" . $db->escape(serialize(array('cover_dir' => '../attachments/picture/2024/06/cover/', 'cover_name' => "$stem.jpg"))) . "' WHERE id = $record");
        }
        file_put_contents($pictures . 'unrelated.png', 'another picture');
        $gone = function ($record) use ($pictures, $stored) {
            return !file_exists($pictures . "cover/{$stored[$record]}.jpg") && !file_exists($pictures . "{$stored[$record]}.png");
        };
        $kept = function ($record) use ($pictures, $stored) {
            return file_get_contents($pictures . "cover/{$stored[$record]}.jpg") === 'thumbnail' && file_get_contents($pictures . "{$stored[$record]}.png") === 'original';
        };
        $db->link->query("UPDATE t_item SET photo = '" . $db->escape(serialize(array('cover_dir' => '../attachments/picture/1999/01/cover/', 'cover_name' => 'gone.jpg'))) . "' WHERE id = 3");
        $out = $request(array('act' => 'remove', 'id' => '2'), array(), array('HTTP_REFERER' => 'http://site.test/admin/item.php'));
        check(strpos($out, '删除成功') !== false && !is_file(WEB_ROOT . 'attachments/picture/2024/06/cover/p.jpg')
            && $db->num_rows($db->query('SELECT * FROM t_item WHERE id = 2')) === 0 && $gone(2),
            'remove deletes a record, its thumbnail and its uploaded original', $out);
        check(is_file($pictures . 'unrelated.png'), 'other pictures in the folder stay');
        $db->link->query('CREATE TABLE t_holder (item int(11) NOT NULL, FOREIGN KEY (item) REFERENCES t_item (id)) ENGINE=InnoDB');
        $db->link->query('INSERT INTO t_holder VALUES (4)');
        $out = $request(array('act' => 'remove', 'id' => '4'), array(), array('HTTP_REFERER' => 'http://site.test/admin/item.php'));
        check(strpos($out, '正被其他数据引用') !== false && $db->num_rows($db->query('SELECT * FROM t_item WHERE id = 4')) === 1 && $kept(4),
            'a record other records refer to stays, with its thumbnail and original', $out);
        $out = $request(array('act' => 'delall'), array('delid' => array('5', '6')), array('HTTP_ORIGIN' => 'http://site.test'));
        check(strpos($out, '删除成功') !== false && $db->num_rows($db->query('SELECT * FROM t_item WHERE id IN (5, 6)')) === 0
            && $gone(5) && $gone(6), 'delete-all deletes the records, their thumbnails and originals', $out);
        $db->link->query('DROP TABLE t_holder');
        $out = $request(array('act' => 'remove', 'id' => '3'), array(), array('HTTP_REFERER' => 'http://site.test/admin/item.php'));
        check(strpos($out, '图片文件夹已不存在') !== false && strpos($out, 'readdir') === false
            && $db->num_rows($db->query('SELECT * FROM t_item WHERE id = 3')) === 1,
            'a record whose picture folder is gone: a short reason on the message page, the record stays', $out);
        $out = $request(array('act' => 'show', 'name' => "\xC0\xAF"));
        check(strpos($out, '无效的字符编码') !== false, 'a broken search text is refused');
        unlink("$sessions/sess_$id");
        $out = $request(array('act' => 'show'));
        check(strpos($out, '--status 303--') !== false && strpos($out, 'class="name"') === false,
            'without a session the list is not shown: the answer sends on (to sign-in)', $out);
    });

    group('database: list pages at any page number, and the reference search', function () {
        global $socket, $dbName;
        // The generated list act of a class with a text key (code) and one
        // more column, with a template that shows the codes and the page bar.
        copy(__DIR__ . '/../golden/controllers/category.php', SITE_ADMIN_DIR . 'category.php');
        file_put_contents(SITE_ADMIN_DIR . 'templates/admin/category.html',
            '<html><body><{section name=c loop=$categoryList}><td class="code"><{$categoryList[c].code}></td><{/section}><{$pages}></body></html>');
        file_put_contents(SITE_ADMIN_DIR . 'include/site_model.php', '<?php return ' . var_export(array(
            'Category' => array('table' => 't_category', 'label' => '分类', 'key' => 'code', 'display' => 'title', 'members' => array(
                'code' => array('type' => 'string', 'length' => 30, 'required' => true, 'label' => '代码', 'picture' => false, 'reference' => null),
                'title' => array('type' => 'string', 'length' => 50, 'required' => false, 'label' => '名称', 'picture' => false, 'reference' => null))),
            'Note' => array('table' => 't_note', 'label' => '笔记', 'key' => 'id', 'display' => 'id', 'members' => array(
                'id' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '编号', 'picture' => false, 'reference' => null),
                'category' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => '分类', 'picture' => false, 'reference' => 'Category'),
                // The field the picture chooser below fills in.
                'photo' => array('type' => 'picture', 'length' => 0, 'required' => false, 'label' => '图片', 'picture' => true, 'reference' => null))),
        ), true) . ';');
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket);
        $db->link->query('CREATE TABLE t_category (code varchar(30) COLLATE utf8_bin NOT NULL, title varchar(50) COLLATE utf8_bin NULL,'
            . ' PRIMARY KEY (code)) ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin');
        for ($i = 1; $i <= 12; $i++) {
            $db->link->query(sprintf("INSERT INTO t_category VALUES ('c%02d', 'title %d')", $i, $i));
        }
        $sessions = WEB_ROOT . 'cache/sessions';
        @mkdir($sessions, 0700, true);
        $id = str_repeat('e5f6', 10);
        file_put_contents("$sessions/sess_$id", serialize(array('site_admin_id' => 1, 'site_seen' => time())));
        $request = function ($script, array $get, array $headers = array(), $method = 'GET', $cookie = true) use ($id) {
            $code = '<?php $_SERVER = array_merge($_SERVER, ' . var_export(array_merge(array(
                    'SCRIPT_FILENAME' => SITE_ADMIN_DIR . $script, 'SCRIPT_NAME' => '/admin/' . $script,
                    'REQUEST_METHOD' => $method, 'HTTP_HOST' => 'site.test', 'REQUEST_URI' => '/admin/' . $script), $headers), true) . ');'
                . '$_GET = ' . var_export($get, true) . '; $_COOKIE = ' . var_export($cookie ? array('SITESESSID' => $id) : array(), true) . ';'
                . 'register_shutdown_function(function () { echo "\n--status " . http_response_code() . "--"; });'
                . 'ob_start(); require ' . var_export(SITE_ADMIN_DIR . $script, true) . ';';
            $file = tempnam(sys_get_temp_dir(), 'site-request');
            file_put_contents($file, $code);
            $out = shell_exec('cd ' . escapeshellarg(sys_get_temp_dir()) . ' && php -d memory_limit=128M -d error_log=' . escapeshellarg(WEB_ROOT . 'cache/test-error.log') . ' ' . escapeshellarg($file) . ' 2>&1');
            unlink($file);
            return (string)$out;
        };
        $codes = function ($page) {
            preg_match_all('/<td class="code">([^<]*)<\/td>/', $page, $m);
            return $m[1];
        };
        $cases = array(
            array('1', array('c12', 'c11', 'c10', 'c09', 'c08'), 1, 'page 1'),
            array('3', array('c02', 'c01'), 3, 'the last page'),
            array('4', array('c02', 'c01'), 3, 'one page past the last: the last page'),
            array('99999999999999999999999', array('c02', 'c01'), 3, 'a page number too large for an integer: the last page'),
            array('0', array('c12', 'c11', 'c10', 'c09', 'c08'), 1, 'page 0: the first page'),
            array('-4', array('c12', 'c11', 'c10', 'c09', 'c08'), 1, 'a negative page: the first page'),
            array('abc', array('c12', 'c11', 'c10', 'c09', 'c08'), 1, 'a page that is no number: the first page'),
            array('2x', array('c07', 'c06', 'c05', 'c04', 'c03'), 2, 'a page number with trailing text: its number'),
        );
        foreach ($cases as $case) {
            $page = $request('category.php', array('act' => 'show', 'page' => $case[0]));
            check($codes($page) === $case[1] && strpos($page, '<strong>' . $case[2] . '</strong>') !== false
                && strpos($page, '共 12 条记录，3 页') !== false && preg_match('/--status (200)?--/', $page), $case[3], $page);
        }
        // Pages in the second half are read from the other end.
        $db->link->query("INSERT INTO t_category VALUES ('c13', 'x'), ('c14', 'x'), ('c15', 'x')");
        $seen = array();
        foreach (array('1', '2', '3') as $n) {
            $seen = array_merge($seen, $codes($request('category.php', array('act' => 'show', 'page' => $n))));
        }
        $all = array();
        for ($i = 15; $i >= 1; $i--) {
            $all[] = sprintf('c%02d', $i);
        }
        check($seen === $all, 'the three pages of 15 records list each record once, in descending order', $seen);
        $db->link->query('DELETE FROM t_category');
        $page = $request('category.php', array('act' => 'show', 'page' => '7'));
        check($codes($page) === array() && strpos($page, '共 0 条记录，1 页') !== false && preg_match('/--status (200)?--/', $page),
            'an empty table at page 7: an empty first page', $page);

        // The search behind the picker.
        $titles = array('50% off', '5 off', 'a_b', 'axb', 'back\\slash', "O'Brien");
        foreach ($titles as $i => $title) {
            $db->execute('INSERT INTO t_category VALUES (?, ?)', array(sprintf('s%02d', $i), $title));
        }
        for ($i = 1; $i <= 60; $i++) {
            $db->execute('INSERT INTO t_category VALUES (?, ?)', array(sprintf('b%03d', $i), "bulk $i"));
        }
        $own = array('HTTP_ORIGIN' => 'http://site.test');
        $search = function (array $get, array $headers = array('HTTP_ORIGIN' => 'http://site.test'), $method = 'GET', $cookie = true) use ($request) {
            $out = $request('reference_search.php', $get, $headers, $method, $cookie);
            // PHP's command line reports no status until one is set: 200.
            preg_match('/--status (\d*)--/', $out, $status);
            $json = json_decode(trim(preg_replace('/--status \d*--/', '', $out)), true);
            return array(isset($status[1]) ? ($status[1] === '' ? 200 : (int)$status[1]) : 0, $json, $out);
        };
        $texts = function ($answer) {
            return is_array($answer[1]) && isset($answer[1]['items']) ? array_column($answer[1]['items'], 'text') : null;
        };
        list($status, , $out) = $search(array('ref' => 'Category', 'q' => 'bulk'), $own, 'GET', false);
        check($status === 401 && strpos($out, 'bulk') === false, 'the search without a signed-in administrator is refused', $out);
        list($status, , $out) = $search(array('ref' => 'Category', 'q' => 'bulk'), $own, 'POST');
        check($status === 405 && strpos($out, 'bulk') === false, 'the search by POST is refused', $out);
        list($status, , $out) = $search(array('ref' => 'Category', 'q' => 'bulk'), array('HTTP_ORIGIN' => 'http://evil.example'));
        check($status === 403 && strpos($out, 'bulk') === false, 'the search from another site is refused', $out);
        list($status, , $out) = $search(array('ref' => 'Category', 'q' => 'bulk'), array());
        check($status === 403 && strpos($out, 'bulk') === false, 'the search with neither Origin nor Referer is refused', $out);
        $answer = $search(array('ref' => 'Category', 'q' => 'bulk 1'), array('HTTP_REFERER' => 'http://site.test/admin/note.php?act=add'));
        check($answer[0] === 200 && $texts($answer) === array('bulk 1', 'bulk 10', 'bulk 11', 'bulk 12', 'bulk 13', 'bulk 14', 'bulk 15', 'bulk 16', 'bulk 17', 'bulk 18', 'bulk 19')
            && $answer[1]['items'][0]['key'] === 'b001' && $answer[1]['more'] === false,
            'a search from a page of this site lists key and text of the matching records in key order', $answer[2]);
        foreach (array('%' => array('50% off'), '_' => array('a_b'), '\\' => array('back\\slash'), "'" => array("O'Brien"), '0% o' => array('50% off')) as $q => $expected) {
            $answer = $search(array('ref' => 'Category', 'q' => $q));
            check($texts($answer) === $expected, 'the search text ' . json_encode($q) . ' is taken literally', $answer[2]);
        }
        $answer = $search(array('ref' => 'Category', 'q' => 's02'));
        check($texts($answer) === array('a_b'), 'a key finds its record', $answer[2]);
        $answer = $search(array('ref' => 'Category', 'q' => 'bulk'));
        check(count($texts($answer)) === SITE_REFERENCE_SEARCH_DEFAULT && $answer[1]['more'] === true, 'a search answers with at most 20 records and says there are more', $answer[2]);
        $answer = $search(array('ref' => 'Category', 'q' => 'bulk', 'limit' => '5'));
        check($texts($answer) === array('bulk 1', 'bulk 2', 'bulk 3', 'bulk 4', 'bulk 5'), 'a smaller bound is kept', $answer[2]);
        $answer = $search(array('ref' => 'Category', 'q' => '', 'limit' => '100000'));
        check(count($texts($answer)) === SITE_REFERENCE_SEARCH_MAX && $answer[1]['more'] === true, 'a bound above 50 gives 50', $answer[2]);
        foreach (array('Note' => 'a class no member refers to', '../Category' => 'a path', 'Missing' => 'a class of no model') as $ref => $label) {
            $answer = $search(array('ref' => $ref, 'q' => ''));
            check($answer[0] === 404 && $texts($answer) === null, "the search in $label is refused", $answer[2]);
        }
        rename(SITE_ADMIN_DIR . 'include/site_model.php', SITE_ADMIN_DIR . 'include/site_model.off');
        $answer = $search(array('ref' => 'Category', 'q' => ''));
        check($answer[0] === 404 && $texts($answer) === null, 'without the model description nothing is searched', $answer[2]);
        rename(SITE_ADMIN_DIR . 'include/site_model.off', SITE_ADMIN_DIR . 'include/site_model.php');

        // The controllers' whole-table lists: read while small, not at all when large.
        $list = function () use ($socket, $dbName) {
            return trim(run_isolated('<?php $DB = new SiteDatabase("", "root", "", $dbName, 0, $socket); require_once SITE_ADMIN_DIR . "include/site_references.php";'
                . '$n = 0; foreach (array("SELECT code,title FROM t_category", "SELECT * FROM t_category") as $sql) { $q = $DB->query($sql); while ($DB->fetch_array($q)) $n++; }'
                . 'echo $n, " ", json_encode($GLOBALS["SITE_REFERENCE_SIZES"]);'));
        };
        $db->link->query("DELETE FROM t_category WHERE code LIKE 'b%'");
        for ($i = 1; $i <= SITE_REFERENCE_LIST_MAX - 6; $i++) {
            $db->execute('INSERT INTO t_category VALUES (?, ?)', array(sprintf('m%04d', $i), "many $i"));
        }
        check($list() === (2 * SITE_REFERENCE_LIST_MAX) . ' {"Category":false}', 'a referenced class of 300 records is listed whole', $list());
        $db->execute("INSERT INTO t_category VALUES ('m9999', 'one more')");
        check($list() === '0 {"Category":true}', 'one record more: the list statements read no record', $list());

        // The picture chooser pages through the thumbnails, newest month and
        // newest picture first, reading only the month folders it shows.
        $made = array();
        foreach (array('2030/12' => 30, '2031/01' => 30) as $month => $n) {
            $dir = WEB_ROOT . "attachments/picture/$month/cover/";
            @mkdir($dir, 0755, true);
            for ($i = 0; $i < $n; $i++) {
                $file = $dir . sprintf('p%02d.jpg', $i);
                copy(WEB_ROOT . 'attachments/picture/2024/05/cover/x.jpg', $file);
                touch($file, strtotime(str_replace('/', '-', $month) . '-01') + $i);
                $made[] = $file;
            }
        }
        $shown = function ($page) use ($request) {
            $out = $request('open_onepic.php', array('txtName' => 'photo', 'page' => $page));
            preg_match_all('#data-path="\.\./attachments/picture/([0-9/]+)/cover/([^"]+)"#', $out, $m);
            $all = array();
            foreach ($m[1] as $i => $month) {
                $all[] = $month . ' ' . $m[2][$i];
            }
            return array(array_values(array_filter($all, function ($p) { return strpos($p, '2030/12') === 0 || strpos($p, '2031/01') === 0; })), $out);
        };
        list($page1, $out) = $shown('1');
        $expected = array();
        for ($i = 29; $i >= 6; $i--) {
            $expected[] = sprintf('2031/01 p%02d.jpg', $i);
        }
        check($page1 === $expected, 'the chooser shows the newest month first, newest picture first', $out);
        list($page3) = $shown('3');
        $expected = array();
        for ($i = 11; $i >= 0; $i--) {
            $expected[] = sprintf('2030/12 p%02d.jpg', $i);
        }
        check($page3 === $expected, 'page 3 goes on in the older month', $page3);
        $last = (int)ceil(count(glob(WEB_ROOT . 'attachments/picture/*/*/cover/*.{jpg,jpeg,png,gif}', GLOB_BRACE)) / 24);
        list($lastShown, $lastOut) = $shown((string)$last);
        list($past, $out) = $shown('99');
        check($last >= 3 && strpos($out, '<strong>' . $last . '</strong>') !== false && $past === $lastShown
            && substr_count($out, 'data-path=') === substr_count($lastOut, 'data-path='), 'a chooser page past the end shows the last page', $out);
        foreach ($made as $file) {
            unlink($file);
        }

        unlink("$sessions/sess_$id");
        unlink(SITE_ADMIN_DIR . 'include/site_model.php');
        $db->link->query('DROP TABLE t_category');
    });
}

if ($failed > 0 && is_file($errorLog)) {
    echo "--- runtime log ---\n" . file_get_contents($errorLog);
}
echo "$passed passed, $failed failed\n";
exit($failed === 0 ? 0 : 1);
