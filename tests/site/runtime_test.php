<?php
/**
 * Tests of the site runtime (bak/admin/include) below the browser: page
 * links, picture checks and thumbnails, same-site checks, the read-only
 * session, the template engine's escaping and its reference picker, the
 * model's description and the checks of a controller's request made with
 * it and, with a database, request intake, literal searches, pages read
 * from the nearer end, reference drop-downs and strict writes.
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
// The runtime's files in the order global.php loads them.
const SITE_TEST_FILES = array('site_functions.php', 'site_session.php', 'site_database.class.php', 'site_request.php',
    'site_model_reader.php', 'site_security.php', 'site_input_checks.php', 'site_admin_account.php', 'site_rights.php', 'site_change_log.php',
    'site_export.php', 'site_smarty.class.php', 'site_references.php', 'site_paging.php', 'site_unmerged.php', 'admin_miniature.class.php', 'admin_upload.class.php');
foreach (SITE_TEST_FILES as $file) {
    require_once SITE_ADMIN_DIR . 'include/' . $file;
}
/* The settings global.php hands over, with $changes over the test's own. */
function test_config(array $changes = array())
{
    site_config(array_merge(array('site_url' => '', 'trusted_origins' => array(), 'trust_forwarded_proto' => false,
        'web_url' => 'http://site.test/', 'css_root' => 'http://site.test/'), $changes));
}
test_config();
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
        . '$_SERVER = array_merge($_SERVER, ' . var_export($server, true) . ');'
        . 'foreach (' . var_export(SITE_TEST_FILES, true) . ' as $f) require_once SITE_ADMIN_DIR . "include/" . $f;'
        . 'site_config(array("site_url" => "", "trusted_origins" => array(), "trust_forwarded_proto" => false, "web_url" => "http://site.test/", "css_root" => "http://site.test/"));'
        . '$socket = ' . var_export($socket, true) . '; $dbName = ' . var_export($dbName, true) . ';'
        . 'function test_db() { return new SiteDatabase("", "root", "", $GLOBALS["dbName"], 0, $GLOBALS["socket"], "t_"); }'
        . '/* A request as sent: the raw values, and the escaped ones the controllers read. */'
        . 'function test_request(array $get, array $post = array()) { site_request_store(array("get" => $get, "post" => $post));'
        . ' $e = function ($v) use (&$e) { return is_array($v) ? array_map($e, $v) : addslashes((string)$v); };'
        . ' $_GET = $e($get); $_POST = $e($post); $_REQUEST = array_merge($_GET, $_POST); }?>';
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
    // The values arrive with the request; the address holds them SQL-escaped.
    site_request_store(array('get' => array('name' => "O'Brien & <b>", 'kind' => '3'), 'post' => array()));
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

    site_request_store(array('get' => array(), 'post' => array()));
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
    test_config(array('site_url' => 'https://www.example.com/shop/'));
    check(site_request_is_same_site(), 'the configured site address counts as this site');
    test_config(array('trusted_origins' => array('https://proxy.example')));
    $_SERVER['HTTP_ORIGIN'] = 'https://proxy.example';
    check(site_request_is_same_site(), 'a configured trusted origin counts as this site');
    // A proxy that ends TLS passes the host with the port it was asked on.
    $_SERVER = array('HTTP_HOST' => 'site.test:443', 'HTTP_X_FORWARDED_PROTO' => 'https', 'HTTP_ORIGIN' => 'https://site.test');
    $behind = site_request_is_same_site();
    test_config(array('trust_forwarded_proto' => true));
    check(!$behind && site_request_is_same_site(), 'the protocol a proxy forwards counts only when the settings trust it');
    test_config();

    $out = run_isolated('<?php test_request(array("act" => "delall")); site_check_request_origin(); echo "went on";',
        array('REQUEST_METHOD' => 'GET', 'HTTP_HOST' => 'site.test', 'HTTP_REFERER' => 'http://evil.example/'));
    check(strpos($out, '请求不是来自本站页面') !== false && strpos($out, 'went on') === false, 'a forged delall link is refused', $out);
    $out = run_isolated('<?php test_request(array("act" => "show")); site_check_request_origin(); echo "went on";',
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

group('templates escape what they print', function () use ($fixtures, $socket, $dbName) {
    copy($fixtures . 'item.html', SITE_ADMIN_DIR . 'templates/admin/item.html');
    copy($fixtures . 'item_edit.html', SITE_ADMIN_DIR . 'templates/admin/item_edit.html');
    file_put_contents(SITE_ADMIN_DIR . 'templates/admin/plain.html', '<{$pages}>|<{$x}>');
    // Without a database the picker finds no display text.
    $db = $socket !== '' ? new SiteDatabase('', 'root', '', $dbName, 0, $socket, 't_') : new class extends SiteDatabase {
        public function __construct()
        {
        }
        public function execute($sql, array $params = array())
        {
            throw new mysqli_sql_exception('no database');
        }
    };
    $smarty = new SiteSmarty($db);
    // The list act shows the search value as it was sent.
    $smarty->assign('name', "O'B\"<x>");
    $smarty->assign('itemList', array(array('id' => 1, 'name' => '<script>alert(1)</script>'), array('id' => 2, 'name' => '"><img src=x onerror=alert(1)>')));
    $bar = '<div class="pages"><a href="item.php?act=show&amp;page=2">2</a></div>';
    $smarty->assign('pages', $bar);
    $html = $smarty->fetch('item.html');
    check(strpos($html, '<script>') === false && strpos($html, '&lt;script&gt;alert(1)&lt;/script&gt;') !== false, 'stored markup shows as text', $html);
    check(strpos($html, '<img') === false && strpos($html, '&quot;&gt;&lt;img src=x') !== false, 'attribute breakers show as text');
    check(strpos($html, $bar) !== false, 'the page-link bar printed with nofilter is HTML', $html);
    check(strpos($html, 'value="O&#039;B&quot;&lt;x&gt;"') !== false, 'a search value is escaped in its field', $html);
    $smarty->assign('x', '<b>&');
    $html = $smarty->fetch('plain.html');
    check($html === htmlspecialchars($bar, ENT_QUOTES) . '|&lt;b&gt;&amp;', 'without nofilter every value is escaped, the bar too', $html);

    if ($socket !== '') {
        $db->link->query('CREATE TABLE t_brand (code varchar(8) NOT NULL PRIMARY KEY, title varchar(30) NOT NULL, logo text NOT NULL) DEFAULT CHARSET=utf8mb4');
        $db->link->query("INSERT INTO t_brand VALUES ('H\"W', 'Hua & \"wei\" <x>', '')");
    }
    file_put_contents(SITE_ADMIN_DIR . 'templates/admin/picker.html', "<{reference_picker class='Brand' name='product[brand]' value=\$brand}>"
        . "#<{reference_picker class='Tag' name='tag' value='0' none='0'}>#<{reference_picker class='Missing' name='m' value='1'}>");
    $smarty->assign('brand', 'H"W');
    $html = $smarty->fetch('picker.html');
    $display = $socket !== '' ? 'Hua &amp; &quot;wei&quot; &lt;x&gt;' : '';
    check($html === '<input type="text" class="txt reference-key" name="product[brand]" value="H&quot;W" data-reference="Brand" data-display="' . $display . '"'
        . ' data-none="" data-source="reference_search.php" title="品牌的编号" autocomplete="off" />'
        . '#<input type="text" class="txt reference-key" name="tag" value="0" data-reference="Tag" data-display="" data-none="0"'
        . ' data-source="reference_search.php" title="Tag的编号" autocomplete="off" />#',
        'reference_picker prints the key field with the record\'s display text, all escaped; "none" shows no record; a class of no model prints nothing', $html);
    if ($socket !== '') {
        $db->link->query('DROP TABLE t_brand');
    }
    check(site_picture_fields(site_model_class('Item')) === array('photo', '封面') && site_picture_fields(site_model_class('Brand')) === array('logo'),
        'picture fields are read from the description, whatever their names', site_picture_fields(site_model_class('Item')));
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
            . 'site_controller_model("item"); echo "went on";');
        check(strpos($out, 'null') === 0 && strpos($out, '网站的模型描述（admin/include/site_model.php）不存在或无法读取') !== false && strpos($out, 'went on') === false,
            "a description that is $label reads as none, and a controller's class is refused", $out);
    }
    copy($fixtures . 'site_model.php', $described);
    $out = run_isolated('<?php site_controller_model("gadget"); echo "went on";');
    check(strpos($out, '网站的模型描述中没有“gadget”这个类') !== false && strpos($out, 'went on') === false,
        'a controller whose class the description does not list is refused', $out);
    check(site_lower_first('Item') === 'item' && site_lower_first('商品') === '商品' && site_lower_first('3DModel') === '3DModel',
        'a controller is named after its class with an ASCII capital lowered');
});

if ($socket === '') {
    echo "# SKIPPED: database tests (no database given)\n";
} else {
    group('database: values the generated statements send, and literal searches', function () use ($socket, $dbName) {
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket, 't_');
        $db->link->query("CREATE TABLE t_item (id int(11) NOT NULL AUTO_INCREMENT, name varchar(12) COLLATE utf8_bin NOT NULL,"
            . " added date NOT NULL, amount float NOT NULL, photo text COLLATE utf8_bin NOT NULL, PRIMARY KEY (id)) ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin");
        check($db->table('item') === 't_item' && SiteDatabase::quoteName('a`b') === '`a``b`', 'table names get the prefix; names are quoted');
        check($db->fetch_array(false) === false && $db->num_rows(true) === 0, 'fetch_array and num_rows take a failed query quietly');

        // What the checks give the act for an empty new key, date and number.
        $r = $db->query("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('0','a','0000-00-00','0','')");
        $row = $db->fetch_array($db->query('SELECT * FROM t_item'));
        check($r === true && $row['id'] === '1' && $row['added'] === '0000-00-00' && (float)$row['amount'] === 0.0 && $db->affected_rows() === 1,
            'a new key given as 0 is counted; the empty date and number are stored', $row);

        $texts = array("O'Brien", 'back\\slash\\', "\\'", "運'", "a\0b", '50%', 'a_b', 'axb');
        $db->link->query('TRUNCATE t_item');
        foreach ($texts as $text) {
            $db->query("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('0','" . $db->escape($text) . "','2024-05-01','1','')");
        }
        $stored = array();
        $q = $db->query('SELECT name FROM t_item ORDER BY id');
        while ($row = $db->fetch_array($q)) {
            $stored[] = $row['name'];
        }
        check($stored === $texts, 'escaped text is stored exactly', $stored);
        check($db->like_contains("5%_\\'") === "%5\\\\%\\\\_\\\\\\\\\\'%", 'like_contains makes %, _ and \\ literal and escapes for a quoted string', $db->like_contains("5%_\\'"));
        foreach (array_merge($texts, array('\\', '%', '_', "'")) as $search) {
            $q = $db->query("SELECT name FROM t_item where 1=1 and name like '" . $db->like_contains($search) . "' order by id");
            $found = array();
            while ($row = $db->fetch_array($q)) {
                $found[] = $row['name'];
            }
            $expected = array_values(array_filter($texts, function ($t) use ($search) {
                return strpos($t, $search) !== false;
            }));
            check($found === $expected, 'a search for ' . json_encode($search) . ' finds exactly the records that contain it', $found);
        }
    });

    group('database: strict writes and failed statements', function () {
        $refused = function ($sql) {
            return run_isolated('<?php $db = test_db(); $db->query(' . var_export($sql, true) . '); echo "stored";');
        };
        $count = function () {
            return trim(run_isolated('<?php $db = test_db(); echo $db->num_rows($db->query("SELECT * FROM t_item"));'));
        };
        $before = $count();
        // Statements the checks from the model did not see: strict mode
        // fails them instead of storing a cut or changed value.
        $cases = array(
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('0','abcdefghijklmnop','2024-05-01','1','')", '错误 1406）：有内容超过了数据库允许的长度', 'text longer than its column'),
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('0','\xF0\x9F\x98\x80','2024-05-01','1','')", '错误 1366）：有内容的格式不符合数据库的要求', 'characters a utf8 column cannot hold'),
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('0','ok','2024-05-01','x1','')", '有内容的格式不符合数据库的要求', 'a number that is no number'),
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('','ok','2024-05-01','1','')", '有内容的格式不符合数据库的要求', "'' for a number"),
            array("INSERT INTO t_item (id,name,added,amount,photo) VALUE ('0','ok','2024-02-30','1','')", '有内容的格式不符合数据库的要求', 'a day that does not exist'),
            array("UPDATE t_item SET name = 'abcdefghijklmn' WHERE id = '1'", '有内容超过了数据库允许的长度', 'an update that would cut text'),
        );
        foreach ($cases as $case) {
            $out = $refused($case[0]);
            check(strpos($out, $case[1]) !== false && strpos($out, 'stored') === false, $case[2] . ' fails with a message page', $out);
        }
        check($count() === $before, 'failed writes leave the table as it was', array($before, $count()));
        $stored = run_isolated('<?php $db = test_db(); $r = $db->fetch_array($db->query("SELECT name FROM t_item WHERE id = 1")); echo $r["name"];');
        check(trim($stored) === "O'Brien", 'a failed update changes nothing', $stored);
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

    group('database: posted values are checked against the model before they are stored', function () {
        $db = new SiteDatabase('', 'root', '', $GLOBALS['dbName'], 0, $GLOBALS['socket'], 't_');
        // The note's column holds three-byte utf8 only.
        $db->link->query("CREATE TABLE t_goods (id int(11) NOT NULL AUTO_INCREMENT, title varchar(8) NOT NULL, added date NOT NULL,"
            . " price float NOT NULL, stock int(11) NOT NULL, note varchar(20) CHARACTER SET utf8mb3 NOT NULL, PRIMARY KEY (id)) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4");
        // The record as the add form posts it (the counted key as an empty
        // field), checked as global.php checks it, and the statement the
        // generated addok runs.
        $write = function (array $record) {
            $record += array('id' => '', 'title' => '', 'added' => '', 'price' => '', 'stock' => '', 'note' => '');
            return run_isolated('<?php test_request(array("act" => "addok"), array("goods" => ' . var_export($record, true) . '));'
                . '$db = test_db(); $class = site_controller_model("goods"); site_request_defaults($class, "goods"); site_check_controller_request($db, $class, "goods");'
                . '$g = $_REQUEST["goods"]; $db->query("INSERT INTO t_goods (id,title,added,price,stock,note) VALUE (\'{$g["id"]}\',\'{$g["title"]}\',\'{$g["added"]}\',\'{$g["price"]}\',\'{$g["stock"]}\',\'{$g["note"]}\')"); echo "stored";');
        };
        $refused = array(
            array(array('title' => 'a', 'added' => '2024-02-30'), '“上架日期”不是有效的日期', 'a day that does not exist'),
            array(array('title' => 'a', 'added' => '2024/5/1x'), '“上架日期”不是有效的日期', 'a date with trailing letters'),
            array(array('title' => 'a', 'added' => '0999-01-01'), '“上架日期”不是有效的日期', 'a year before 1000'),
            array(array('title' => 'a', 'price' => '1,999'), '“价格”的值格式不正确（请填写数字）', 'a price written with a thousands comma'),
            array(array('title' => 'a', 'price' => '1.5x'), '“价格”的值格式不正确', 'a decimal with letters after it'),
            array(array('title' => 'a', 'price' => '1e39'), '“价格”的数值超出范围', 'a price beyond a float'),
            array(array('title' => 'a', 'stock' => '12abc'), '“stock”的值格式不正确（请填写整数）', 'a number with letters after it (no label: the member name)'),
            array(array('title' => 'a', 'stock' => '2147483648'), '“stock”的数值超出范围', 'an integer beyond its column'),
            array(array('title' => '一二三四五六七八九'), '“货品名称”的内容超过了允许的长度（最多 8 个字符）', 'text one character too long: the label and the limit'),
            array(array('title' => 'a', 'note' => "ok \xF0\x9F\x98\x80"), '“说明”中含有数据库无法保存的字符', 'an emoji for a utf8mb3 column'),
        );
        foreach ($refused as $case) {
            $out = $write($case[0]);
            check(strpos($out, $case[1]) !== false && strpos($out, 'stored') === false, $case[2] . ' is refused: ' . $case[1], $out);
        }
        check($db->num_rows($db->query('SELECT * FROM t_goods')) === 0, 'nothing of the refused records was stored');
        $kept = array(
            array(array('title' => 'a'), 'empty number and date fields'),
            array(array('title' => 'b', 'added' => '2024-5-1', 'price' => ' 12.5 ', 'stock' => ' 7'), 'a short date and numbers with spaces around them'),
            array(array('title' => '一二三四五六七八', 'added' => '2024-02-29', 'price' => '1e3', 'stock' => '-3', 'note' => '説明 é'),
                'eight characters of three bytes, a leap day, an exponent, a negative number and text utf8mb3 holds'),
            array(array('title' => "\xF0\x9F\x98\x80", 'stock' => '2147483647'), 'an emoji for a utf8mb4 column and the largest integer'),
        );
        foreach ($kept as $case) {
            $out = $write($case[0]);
            check(trim($out) === 'stored', $case[1] . ' are stored', $out);
        }
        $rows = array();
        $q = $db->query('SELECT title, added, price, stock, note FROM t_goods ORDER BY id');
        while ($row = $db->fetch_array($q)) {
            $rows[] = array($row['title'], $row['added'], (float)$row['price'], (int)$row['stock'], $row['note']);
        }
        check($rows === array(array('a', '0000-00-00', 0.0, 0, ''), array('b', '2024-05-01', 12.5, 7, ''),
            array('一二三四五六七八', '2024-02-29', 1000.0, -3, '説明 é'), array("\xF0\x9F\x98\x80", '0000-00-00', 0.0, 2147483647, '')),
            'the kept values are the ones typed', $rows);
        $db->link->query('DROP TABLE t_goods');
    });

    group('database: a controller\'s request is checked against the model before its act', function () use ($socket, $dbName) {
        // The classes of the fixture description: brand (a typed-in text key),
        // product (a counted key, required references), news (a required
        // picture named in Chinese), item (two pictures, one named in Chinese).
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket, 't_');
        $db->link->query('CREATE TABLE t_brand (code varchar(8) NOT NULL PRIMARY KEY, title varchar(30) NOT NULL, logo text NOT NULL) DEFAULT CHARSET=utf8mb4');
        $db->link->query("INSERT INTO t_brand VALUES ('HW', 'x', ''), ('O''B', 'y', '')");
        $db->link->query('CREATE TABLE t_product (productId int(11) NOT NULL AUTO_INCREMENT PRIMARY KEY, name varchar(40) NOT NULL, category int(11) NOT NULL,'
            . ' brand varchar(8) NOT NULL, tag int(11) NOT NULL, note text NOT NULL) DEFAULT CHARSET=utf8mb4');
        $db->link->query("INSERT INTO t_product VALUES (3, 'p', 1, 'HW', 0, ''), (12, 'q', 1, 'HW', 0, '')");
        $db->link->query('CREATE TABLE t_news (newsId int(11) NOT NULL AUTO_INCREMENT PRIMARY KEY, title varchar(60) NOT NULL, `封面` text NOT NULL) DEFAULT CHARSET=utf8mb4');
        $db->link->query("INSERT INTO t_news VALUES (1, 't', '')");
        // As global.php runs them for the controller of $class.
        $act = function ($get, $post = array(), $files = array(), $class = 'brand') {
            return run_isolated('<?php test_request(' . var_export($get, true) . ', ' . var_export($post, true) . '); $_FILES = ' . var_export($files, true) . ';'
                . '$class = site_controller_model(' . var_export($class, true) . '); site_request_defaults($class, ' . var_export($class, true) . ');'
                . 'site_check_controller_request(test_db(), $class, ' . var_export($class, true) . '); echo "went on";');
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
        check(trim($act(array('act' => 'addok'), array('product' => $product), array(), 'product')) === 'went on',
            'a new record of a class with a counted key needs no key; optional members may stay empty');

        // Required members, named by their labels.
        $cases = array(
            array(array('act' => 'addok'), array('brand' => array('code' => 'HW', 'title' => '')), 'brand', '“品牌名称”不能为空', 'an empty required text on adding'),
            array(array('act' => 'editok'), array('brand' => array('code' => 'HW', 'title' => ' ')), 'brand', '“品牌名称”不能为空', 'a required text of spaces on saving'),
            array(array('act' => 'addok'), array('product' => array_merge($product, array('category' => ''))), 'product', '“所属分类”不能为空', 'an empty required reference'),
            array(array('act' => 'editok'), array('product' => array_merge($product, array('productId' => '3', 'brand' => ''))), 'product', '“品牌”不能为空', 'an empty required reference on saving'),
            array(array('act' => 'addok'), array(), 'product', '“商品名称”不能为空', 'a new record that was not sent at all'),
            array(array('act' => 'addok'), array('news' => array('title' => 't')), 'news', '“封面图片”不能为空', 'a required picture not uploaded'),
            array(array('act' => 'editok'), array('news' => array('newsId' => '1', 'title' => 't', '封面' => '')), 'news', '“封面图片”不能为空', 'a required picture emptied on saving'),
        );
        foreach ($cases as $case) {
            $out = $act($case[0], $case[1], array(), $case[2]);
            check($refused($out, $case[3] . '，请填写后再提交'), $case[4] . ' is refused with the label: ' . $case[3], $out);
        }
        $upload = array('封面' => array('name' => 'a.jpg', 'type' => 'image/jpeg', 'tmp_name' => '/tmp/x', 'error' => 0, 'size' => 10));
        check(trim($act(array('act' => 'addok'), array('news' => array('title' => 't')), $upload, 'news')) === 'went on',
            'a required picture that is uploaded lets the new record through');

        // Keys counted by the database are integers; MySQL would read
        // "1' or '1'='1" as 1.
        $injection = "1' or '1'='1";
        $cases = array(
            array(array('act' => 'remove', 'productId' => $injection), array(), 'remove'),
            array(array('act' => 'edit', 'productId' => $injection), array(), 'edit'),
            array(array('act' => 'editok'), array('product' => array_merge($product, array('productId' => $injection))), 'editok'),
            array(array('act' => 'delall'), array('delid' => array('3', $injection)), 'delall'),
            array(array('act' => 'remove', 'productId' => ' 1'), array(), 'remove (a space before the number)'),
        );
        foreach ($cases as $case) {
            $out = $act($case[0], $case[1], array(), 'product');
            check($refused($out, '“商品编号”的值无效，应为整数'), 'a key that is no integer is refused by ' . $case[2], $out);
        }
        $out = $act(array('act' => 'addok'), array('product' => array_merge($product, array('productId' => '5x'))), array(), 'product');
        check($refused($out, '“商品编号”的值格式不正确（请填写整数）'), 'a new key that is no integer is refused by addok', $out);
        check(trim($act(array('act' => 'remove', 'productId' => '12'), array(), array(), 'product')) === 'went on'
            && trim($act(array('act' => 'delall'), array('delid' => array('3', '4')), array(), 'product')) === 'went on',
            'integer keys go on');

        // The record to show, change or delete must still exist.
        $cases = array(
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
        foreach (array('edit without a key' => array(array('act' => 'edit'), array()), 'saving with an empty key' => array(array('act' => 'editok'), array('brand' => array('code' => '', 'title' => 'x')))) as $label => $case) {
            $out = $act($case[0], $case[1]);
            check($refused($out, '没有指定要操作的记录') && strpos($out, 'brand.php?act=show') !== false, "$label: a message that leads back to the list", $out);
        }

        // Picture fields of any name, Chinese ones included, must name a real
        // picture inside attachments/picture.
        $news = array('newsId' => '1', 'title' => 't');
        foreach (array('../config.inc.php', '../attachments/picture/../../config.inc.php', '../attachments/picture/2024/05/cover/shell.jpg') as $path) {
            $out = $act(array('act' => 'editok'), array('news' => $news + array('封面' => $path)), array(), 'news');
            check($refused($out, '所选的图片无效'), "a picture member named 封面 refuses the path $path", $out);
        }
        $out = $act(array('act' => 'editok'), array('item' => array('id' => '1', 'name' => 'n', 'added' => '2024-05-01', 'photo' => '', '封面' => '../config.inc.php')), array(), 'item');
        check($refused($out, '所选的图片无效'), 'every picture member of a class is checked, not only the first', $out);
        check(trim($act(array('act' => 'editok'), array('news' => $news + array('封面' => '../attachments/picture/2024/05/cover/x.jpg')), array(), 'news')) === 'went on',
            'a real picture inside attachments/picture is taken');
        $db->link->query("UPDATE t_news SET `封面` = '" . $db->escape(serialize(array('cover_dir' => '../attachments/picture/2024/05/cover/', 'cover_name' => 'x.jpg'))) . "'");
        $out = $act(array('act' => 'editok'), array('news' => $news + array('封面' => 'x.jpg')), array(), 'news');
        check(trim($out) === 'went on', 'the stored picture\'s own name keeps it', $out);
        $out = $act(array('act' => 'editok'), array('news' => $news + array('封面' => 'other.jpg')), array(), 'news');
        check($refused($out, '所选的图片无效'), 'a name the record does not store is refused', $out);
        $db->link->query('DROP TABLE t_brand, t_product, t_news');
    });

    group('database: reference drop-downs are sorted by their display text', function () use ($socket, $dbName) {
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket, 't_');
        $db->link->query('CREATE TABLE t_category (categoryId int(11) NOT NULL AUTO_INCREMENT PRIMARY KEY, name varchar(20) NOT NULL) DEFAULT CHARSET=utf8mb4');
        $db->link->query('CREATE TABLE t_tag (tagId int(11) NOT NULL PRIMARY KEY) DEFAULT CHARSET=utf8mb4');
        foreach (array('香蕉', 'item 10', 'Banana', '橙子', 'apple', 'item 9', 'Apple') as $name) {
            $db->execute('INSERT INTO t_category (name) VALUES (?)', array($name));
        }
        $db->link->query('INSERT INTO t_tag VALUES (10), (9), (100)');
        list($categories, $large) = site_reference_entries($db, 'Category');
        list($tags) = site_reference_entries($db, 'Tag');
        check(is_array($categories) && array_column($categories, 'name') === array('Apple', 'apple', 'Banana', 'item 9', 'item 10', '橙子', '香蕉')
            && $large === false && array_keys($categories[0]) === array('categoryId', 'name') && $categories[0]['categoryId'] === '7',
            'entries are key and display text, in natural order without regard to case', $categories);
        check(array_column($tags, 'tagId') === array('9', '10', '100'), 'a number shown as display text is sorted by value', $tags);
        $db->link->query('DROP TABLE t_category, t_tag');
    });

    group('database: request values reach the controller escaped', function () {
        $out = run_isolated('<?php $db = test_db();'
            . '$_GET = array("name" => "O\'B\\\\", "deep" => array("x" => "y")); $_POST = array("item" => array("name" => "a\'b", "more" => array("z")));'
            . 'site_take_request($db); echo json_encode(array($_GET, $_POST, $_REQUEST["name"], site_raw("name")));');
        $data = json_decode(trim($out), true);
        check(is_array($data) && $data[0]['name'] === "O\\'B\\\\" && $data[1]['item']['name'] === "a\\'b", 'GET and POST values are escaped for SQL', $out);
        check(is_array($data) && $data[0]['deep'] === '' && $data[1]['item']['more'] === '', 'arrays deeper than a posted record become empty text', $data);
        check(is_array($data) && $data[2] === "O\\'B\\\\" && $data[3] === "O'B\\", '$_REQUEST holds the escaped values, site_raw the sent ones', $data);
        $out = run_isolated('<?php $db = test_db(); $_POST = array("item" => array("name" => "\xBF\x27")); site_take_request($db); echo "taken";');
        check(strpos($out, '无效的字符编码') !== false && strpos($out, 'taken') === false, 'text that is no UTF-8 is refused', $out);

        // Each act gets every key it reads, so the generated code reads none that is missing.
        $out = run_isolated('<?php $_GET = array("act" => " editok "); $_POST = array("item" => array("name" => "n\'"), "delid" => array("a/b", "c"));'
            . 'site_take_request(test_db()); $class = site_controller_model("item"); site_request_defaults($class, "item");'
            . '$saving = array(site_requested_act(), site_ticked_keys(), site_raw_values("post")["item"], $_REQUEST["item"], array_keys($_FILES), $_FILES["photo"]["error"]);'
            . 'test_request(array("act" => "show", "name" => "x")); site_request_defaults($class, "item"); $list = $_GET;'
            . 'test_request(array("act" => "remove")); site_request_defaults($class, "item");'
            . 'echo json_encode(array($saving, $list, $_REQUEST), JSON_UNESCAPED_UNICODE);');
        $data = json_decode(trim($out), true);
        check(is_array($data) && $data[0] === array('editok', array('a/b', 'c'), array('name' => "n'"),
            array('name' => "n\\'", 'id' => '', 'added' => '', 'amount' => '', 'photo' => '', '封面' => ''), array('photo', '封面'), UPLOAD_ERR_NO_FILE),
            'saving: the act as sent, the ticked keys, the record as sent, and the record with every member and an empty upload per picture', $out);
        check(is_array($data) && $data[1] === array('act' => 'show', 'name' => 'x', 'id' => '', 'added' => '', 'amount' => '', 'photo' => '', '封面' => '')
            && $data[2] === array('act' => 'remove', 'id' => ''), 'the list gets every search field, remove its key', $out);
    });

    group('database: administrator accounts', function () {
        $out = run_isolated('<?php $db = test_db(); site_admin_ensure_table($db);'
            . 'echo json_encode(array(site_admin_count($db), site_admin_create_first($db, "admin", "first-password"),'
            . ' site_admin_create_first($db, "other", "second-password"), site_admin_count($db),'
            . ' site_admin_verify($db, "admin", "wrong") === null, site_admin_verify($db, "other", "second-password") === null,'
            . ' (site_admin_verify($db, "admin", "first-password") ?: array())["admin_name"] ?? null));');
        check(trim($out) === '[0,true,false,1,true,true,"admin"]', 'only the first account is created; only its password lets in', $out);
        $hash = trim(run_isolated('<?php $db = test_db(); echo site_admin_find($db, "admin_name", "admin")["password_hash"];'));
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
        check($added === 6, 'six records are added through the controller (the add form sends no field for the counted key)', $added);
        if ($added < 6) {
            // So that the checks below still test their own behaviour.
            $db->link->query('TRUNCATE t_item');
            foreach (array('first', "O'Brien", '<b>bold</b>', 'back\\', 'fifth', 'sixth') as $name) {
                $db->execute("INSERT INTO t_item (name, added, amount, photo) VALUES (?, '2024-05-01', 0, '')", array($name));
            }
        }
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
        check(strpos($welcome, '7 类（条目、分类、品牌、Tag、商品、新闻、货品）') !== false, 'the welcome page lists the classes of the description in model order', $welcome);
        copy(SITE_ADMIN_DIR . 'item.php', SITE_ADMIN_DIR . 'gadget.php');
        $out = $request(array('act' => 'show'), array(), array(), 'gadget.php');
        check(strpos($out, '网站的模型描述中没有“gadget”这个类') !== false && strpos($out, '--status 500--') !== false && strpos($out, 'class="name"') === false,
            'a controller whose class is not described is refused', $out);
        unlink(SITE_ADMIN_DIR . 'gadget.php');
        rename(SITE_ADMIN_DIR . 'include/site_model.php', SITE_ADMIN_DIR . 'include/site_model.php.away');
        $out = $request(array('act' => 'show'));
        $welcome = $request(array('act' => 'welcome'), array(), array(), 'index.php');
        $picture = $request(array('act' => 'editok'), array('item' => array('id' => '2', 'name' => 'x', 'added' => '2024-05-01', '封面' => '../config.inc.php')), $own);
        rename(SITE_ADMIN_DIR . 'include/site_model.php.away', SITE_ADMIN_DIR . 'include/site_model.php');
        check(strpos($out, '模型描述') !== false && strpos($out, '--status 500--') !== false && strpos($out, 'class="name"') === false,
            'without the description the list is not shown', $out);
        check(strpos($picture, '模型描述') !== false && strpos($picture, '--status 500--') !== false, 'without the description no picture check is skipped: the save is refused', $picture);
        check(strpos($welcome, '模型描述') !== false && strpos($welcome, '欢迎使用管理中心') === false, 'without the description the welcome page is refused', $welcome);
        $log = WEB_ROOT . 'cache/test-error.log';
        clearstatcache();
        $logged = is_file($log) ? filesize($log) : 0;
        $page = $request(array('act' => 'show', 'page' => '1'));
        $warnings = (string)@file_get_contents($log, false, null, $logged);
        check(strpos($warnings, 'site: PHP') === false, 'a list asked for without its search fields reads no missing key (the log stays quiet)', $warnings);
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
        check(strpos($out, '记录已删除，但它的图片文件夹已不存在') !== false && strpos($out, 'readdir') === false
            && $db->num_rows($db->query('SELECT * FROM t_item WHERE id = 3')) === 0,
            'a record whose picture folder is gone is deleted; the message page says its picture was not', $out);
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
            '<html><body><{section name=c loop=$categoryList}><td class="code"><{$categoryList[c].code}></td><{/section}><{$pages nofilter}></body></html>');
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
        // Pages in the second half are read from the other end: the same
        // rows as the plain descending read, for every page and filter.
        $db->link->query("INSERT INTO t_category VALUES ('c13', 'x'), ('c14', 'x'), ('c15', 'x')");
        $rows = function ($result) use ($db) {
            $codes = array();
            while ($row = $db->fetch_array($result)) {
                $codes[] = $row['code'];
            }
            return $codes;
        };
        $differ = array();
        foreach (array("SELECT * FROM t_category where 1=1" => 15, "SELECT * FROM t_category where 1=1 and title like 'x'" => 3) as $filter => $total) {
            foreach (array(1, 4, 5) as $count) {
                for ($offset = 0; $offset <= $total + 1; $offset++) {
                    $plain = $rows($db->query("$filter order by code DESC LIMIT $offset,$count"));
                    if ($rows($db->query_page($filter, 'code', $total, $offset, $count)) !== $plain) {
                        $differ[] = "$filter: $offset,$count";
                    }
                }
            }
        }
        check($differ === array(), 'query_page gives the rows of ORDER BY key DESC LIMIT for pages in both halves and past the end', $differ);
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

        // A drop-down's entries: read while small, none and the flag when large.
        $db->link->query("DELETE FROM t_category WHERE code LIKE 'b%'");
        for ($i = 1; $i <= SITE_REFERENCE_LIST_MAX - 6; $i++) {
            $db->execute('INSERT INTO t_category VALUES (?, ?)', array(sprintf('m%04d', $i), "many $i"));
        }
        $entries = function () {
            return trim(run_isolated('<?php $db = test_db(); $read = function () use ($db) { return (int)$db->fetch_array($db->query("SHOW SESSION STATUS LIKE \'Rows_read\'"))["Value"]; };'
                . '$before = $read(); list($entries, $large) = site_reference_entries($db, "Category"); $rows = $read() - $before;'
                . 'echo json_encode(array(count($entries), $large, $rows <= SITE_REFERENCE_LIST_MAX + 1, $entries ? array_keys($entries[0]) : null));'));
        };
        check($entries() === '[300,false,true,["code","title"]]', 'a referenced class of 300 records gives all its entries', $entries());
        for ($i = 1; $i <= 200; $i++) {
            $db->execute('INSERT INTO t_category VALUES (?, ?)', array(sprintf('z%04d', $i), "more $i"));
        }
        check($entries() === '[0,true,true,null]', 'a larger one gives no entries and says so, reading at most one record past the bound', $entries());

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

if ($socket !== '') {
    group('database: the CSV export of a list', function () use ($socket, $dbName) {
        $member = function ($type, $label, $list, $search, $reference = null) {
            return array('type' => $type, 'length' => 0, 'required' => false, 'label' => $label, 'picture' => $type === 'picture',
                'reference' => $reference, 'list' => $list, 'search' => $search);
        };
        file_put_contents(SITE_ADMIN_DIR . 'include/site_model.php', '<?php return ' . var_export(array(
            'Shelf' => array('table' => 't_shelf', 'label' => '书架', 'key' => 'shelfId', 'display' => 'title', 'members' => array(
                'shelfId' => $member('integer', '书架编号', true, false), 'title' => $member('string', '名称', true, false))),
            'Book' => array('table' => 't_book', 'label' => '书', 'key' => 'bookId', 'display' => 'title', 'members' => array(
                'bookId' => $member('integer', '编号', true, false),
                'title' => $member('string', '书名', true, true),
                'shelf' => $member('reference', '书架', true, false, 'Shelf'),
                'stock' => $member('integer', '库存', true, false),
                'price' => $member('float', '价格, 元', true, false),
                'added' => $member('date', '日期', true, false),
                'cover' => $member('picture', '封面', true, false),
                'secret' => $member('string', '内部', false, true))),
        ), true) . ';');
        $db = new SiteDatabase('', 'root', '', $dbName, 0, $socket, 't_');
        $db->link->query('CREATE TABLE t_shelf (shelfId int NOT NULL, title varchar(40) NOT NULL, PRIMARY KEY (shelfId)) DEFAULT CHARSET=utf8mb4');
        $db->link->query('CREATE TABLE t_book (bookId int NOT NULL AUTO_INCREMENT, title varchar(60) NOT NULL, shelf int NULL, stock int NULL,'
            . ' price float NULL, added date NULL, cover text NULL, secret varchar(20) NOT NULL, PRIMARY KEY (bookId)) DEFAULT CHARSET=utf8mb4');
        $db->execute('INSERT INTO t_shelf VALUES (1, ?)', array('-A 架'));
        $picture = serialize(array('cover_dir' => '../attachments/picture/2024/05/cover/', 'cover_name' => 'a.jpg'));
        $books = array(
            array('alpha, "quoted"' . "\n" . 'line', 1, -5, -1.5, '2024-01-02', $picture, 'x'),
            array('=1+1', 2, 3, 2.25, '2024-02-03', '', 'x'),
            array('+1', 1, 0, 0, '2024-03-04', 'not a picture', 'x'),
            array('-1', null, -7, null, null, null, 'x'),
            array('@SUM(A1)', null, 5, null, null, null, 'x'),
            array("\tx", null, 6, null, null, null, 'x'),
            array("\rx", null, 7, null, null, null, 'x'),
            array('not selected', 1, 8, 8, '2024-05-06', '', 'y'),
        );
        $insert = $db->link->prepare('INSERT INTO t_book (title, shelf, stock, price, added, cover, secret) VALUES (?, ?, ?, ?, ?, ?, ?)');
        foreach ($books as $book) {
            $insert->bind_param('siidsss', ...$book);
            $insert->execute();
        }
        $out = run_isolated('<?php $db = test_db(); site_change_log_account(array("admin_id" => 7, "admin_name" => "tester"));'
            . 'test_request(array("title" => "", "secret" => "x", "stock" => "9", "export" => "导出 CSV"));'
            . '$file = fopen("php://memory", "w+b"); $rows = site_export_to_stream($db, $file, "Book", "SELECT * FROM t_book where 1=1 and secret=\'x\'");'
            . 'rewind($file); echo json_encode(array($rows, base64_encode(stream_get_contents($file))));');
        $answer = json_decode($out, true);
        $csv = is_array($answer) ? base64_decode($answer[1]) : '';
        $expected = "\xEF\xBB\xBF" . "编号,书名,书架,库存,\"价格, 元\",日期,封面\r\n"
            . "7,\"'\rx\",,7,,,\r\n"
            . "6,'\tx,,6,,,\r\n"
            . "5,'@SUM(A1),,5,,,\r\n"
            . "4,'-1,,-7,,,\r\n"
            . "3,'+1,'-A 架,0,0,2024-03-04,\r\n"
            . "2,'=1+1,,3,2.25,2024-02-03,\r\n"
            . "1,\"alpha, \"\"quoted\"\"\nline\",'-A 架,-5,-1.5,2024-01-02,../attachments/picture/2024/05/cover/a.jpg\r\n";
        check(is_array($answer) && $answer[0] === 7 && $csv === $expected,
            'the export writes the byte-order mark, the labels and exactly the selected rows newest first: references as their display text'
            . ' (empty when dangling), pictures by their path, formulas as text, numbers as they are', array($out, json_encode($expected)));
        $read = fopen('php://memory', 'w+b');
        fwrite($read, substr($csv, 3));
        rewind($read);
        $cells = array();
        while (($line = fgetcsv($read, 0, ',', '"', '')) !== false) {
            $cells[] = $line;
        }
        $lines = explode("\r\n", substr($csv, 3, -2));
        $parsed = array_map(function ($line) { return str_getcsv($line, ',', '"', ''); }, $lines);
        check(count($cells) === 8 && $cells[0] === array('编号', '书名', '书架', '库存', '价格, 元', '日期', '封面')
            && $cells[7][1] === $books[0][0] && $cells[1][1] === "'\rx" && $parsed === $cells,
            'fields with commas, quotes and line breaks read back as they were', $cells);
        $log = $db->own_rows('SELECT admin_id, admin_name, class_name, record_key, act, details FROM t_site_change_log WHERE act = \'export\'');
        check($log === array(array('admin_id' => '7', 'admin_name' => 'tester', 'class_name' => 'Book', 'record_key' => '', 'act' => 'export',
            'details' => '{"search":{"secret":"x"},"rows":7}')), 'the export is logged with its search and the rows it wrote', $log);

        // Many rows stream through: the memory does not grow with them.
        $db->link->query('INSERT INTO t_book (title, shelf, stock, price, added, cover, secret)'
            . " SELECT CONCAT('book ', seq), 1, seq, seq / 4, '2024-06-07', '$picture', 'many' FROM seq_1_to_300000");
        $out = run_isolated('<?php $db = test_db(); site_change_log_account(array("admin_id" => 7, "admin_name" => "tester")); test_request(array());'
            . '$file = fopen("/dev/null", "wb"); $before = memory_get_usage();'
            . '$rows = site_export_to_stream($db, $file, "Book", "SELECT * FROM t_book where 1=1 and secret=\'many\'");'
            . 'echo json_encode(array($rows, memory_get_peak_usage() - $before));');
        $answer = json_decode($out, true);
        check(is_array($answer) && $answer[0] === 300000 && $answer[1] < 4 * 1024 * 1024,
            'an export of 300,000 rows streams them in less than 4 MB', $out);
        $db->link->query('DROP TABLE t_book, t_shelf');
        unlink(SITE_ADMIN_DIR . 'include/site_model.php');
    });
}

if ($failed > 0 && is_file($errorLog)) {
    echo "--- runtime log ---\n" . file_get_contents($errorLog);
}
echo "$passed passed, $failed failed\n";
exit($failed === 0 ? 0 : 1);
