<?php
// Compares the sites generated from the hostile model and from its plain
// twin (hostile_model.php) and checks that no model text added code or
// markup and that every text shows literally. Usage:
//   php hostile_check.php SMARTY_DIR COMPILE_DIR MODEL_DIR HOSTILE_SITE PLAIN_SITE SOCKET DATABASE
// SOCKET and DATABASE name a MariaDB into which the hostile model's script
// has been loaded: every column's comment must read as the model's. Prints one "ok"/"FAIL" line per check; exits 1 when any check fails.

if ($argc !== 8) {
    fwrite(STDERR, "usage: php hostile_check.php SMARTY_DIR COMPILE_DIR MODEL_DIR HOSTILE_SITE PLAIN_SITE SOCKET DATABASE\n");
    exit(2);
}
list(, $smartyDir, $compileDir, $modelDir, $hostileSite, $plainSite, $socket, $database) = $argv;
require $smartyDir . '/bootstrap.php';

$failed = 0;
function check($ok, $label, $detail = '') {
    global $failed;
    if ($ok) {
        echo "ok   - $label\n";
    } else {
        $failed++;
        echo "FAIL - $label" . ($detail !== '' ? "\n       $detail" : '') . "\n";
    }
}

function lower_first($name) {
    return ($name !== '' && $name[0] >= 'A' && $name[0] <= 'Z') ? lcfirst($name) : $name;
}

// Token types of PHP source: a text added as code changes the sequence.
function token_types($source) {
    $types = array();
    foreach (token_get_all($source) as $token) {
        $types[] = is_array($token) ? token_name($token[0]) : $token;
    }
    return $types;
}

function first_difference(array $a, array $b) {
    $n = max(count($a), count($b));
    for ($i = 0; $i < $n; $i++) {
        $x = isset($a[$i]) ? $a[$i] : '<end>';
        $y = isset($b[$i]) ? $b[$i] : '<end>';
        if ($x !== $y) {
            return "token $i: $x where the plain model has $y";
        }
    }
    return '';
}

// Line breaks as one form, so a parser's CR LF handling does not matter.
function lines($text) {
    return str_replace(array("\r\n", "\r"), "\n", $text);
}

// Text of HTML as a browser shows it: entities decoded.
function decoded($html) {
    return html_entity_decode($html, ENT_QUOTES | ENT_HTML401, 'UTF-8');
}

// The rendered page read as a browser would: the tag names in document
// order (a model text, escaped, holds no "<", so every tag comes from the
// template), the text between the tags, the title and every link's onClick
// with its text.
function read_html($html) {
    preg_match_all('/<([a-zA-Z][a-zA-Z0-9]*)/', $html, $tags);
    preg_match('#<title>(.*?)</title>#s', $html, $title);
    preg_match_all('#<a\s[^>]*onClick="([^"]*)"[^>]*>(.*?)</a>#s', $html, $links, PREG_SET_ORDER);
    return array(
        'elements' => array_map('strtolower', $tags[1]),
        'text' => lines(decoded(preg_replace('/<[^>]*>/', "\x01", $html))),
        'title' => $title ? decoded($title[1]) : null,
        'links' => array_map(function ($l) { return array(decoded($l[1]), decoded($l[2])); }, $links),
    );
}

function make_smarty($site, $compileDir) {
    $smarty = new Smarty();
    $smarty->setLeftDelimiter('<{');
    $smarty->setRightDelimiter('}>');
    $smarty->setTemplateDir($site . '/admin/templates/admin/');
    $smarty->setCompileDir($compileDir);
    $smarty->force_compile = true;
    // The function the site registers for its reference fields (SiteSmarty).
    $smarty->registerPlugin('function', 'reference_picker', function () { return ''; });
    $smarty->error_reporting = E_ALL & ~E_NOTICE & ~E_WARNING;
    foreach (array('css_root' => '/site/admin/', 'web_url' => '/site/', 'pages' => '', 'site_name' => 'site',
                   'admin_name' => 'admin') as $name => $value) {
        $smarty->assign($name, $value);
    }
    // The pages are rendered as the owner sees them: every right of every class.
    ob_start();
    $model = include $site . '/admin/include/site_model.php';
    ob_end_clean();
    $rights = array();
    foreach (array_keys($model) as $class) {
        $rights[$class] = array('list' => true, 'add' => true, 'edit' => true, 'delete' => true, 'export' => true);
    }
    $smarty->assign('site_rights', $rights);
    $smarty->assign('site_owner', true);
    return $smarty;
}

// Compiles and renders one page; returns the compiled PHP, its file and the HTML.
function render($site, $compileDir, $page) {
    $smarty = make_smarty($site, $compileDir);
    $template = $smarty->createTemplate($page);
    $html = $template->fetch();
    $file = $template->compiled->filepath;
    return array(file_get_contents($file), $file, $html);
}

// The rendered pages of both sites saved for the browser check
// (hostile_browser.js), with what it must find in them.
function saved_pages($compileDir, $page, $html, $plainHtml) {
    @mkdir("$compileDir/pages", 0777, true);
    $files = array('file' => "$compileDir/pages/hostile-$page.html", 'plainFile' => "$compileDir/pages/plain-$page.html");
    file_put_contents($files['file'], $html);
    file_put_contents($files['plainFile'], $plainHtml);
    return $files;
}
$browserPages = array();

$model = json_decode(file_get_contents("$modelDir/hostile.json"), true)['projects'][0];
$plainModel = json_decode(file_get_contents("$modelDir/plain.json"), true)['projects'][0];
@mkdir("$compileDir/hostile", 0777, true);
@mkdir("$compileDir/plain", 0777, true);

foreach ($model['classes'] as $c => $class) {
    $lower = lower_first($class['className']);
    $friend = $class['friendName'];
    $comments = array_map(function ($m) { return $m['memberComment']; }, $class['members']);

    // The controller: same tokens as the plain model's; the messages say the
    // friendly name as it is.
    $controller = "admin/$lower.php";
    $hostilePhp = file_get_contents("$hostileSite/$controller");
    $plainPhp = file_get_contents("$plainSite/$controller");
    $difference = first_difference(token_types($hostilePhp), token_types($plainPhp));
    check($difference === '', "$controller has the token types of the plain model's", $difference);
    $messages = array();
    foreach (token_get_all($hostilePhp) as $token) {
        if (is_array($token) && $token[0] === T_CONSTANT_ENCAPSED_STRING && strpos($token[1], '成功') !== false
            && $token[1][0] === '"') {
            // A string without interpolation: its value, computed by PHP.
            $messages[] = eval('return ' . $token[1] . ';');
        }
    }
    check(in_array($friend . '添加成功', $messages, true) && in_array($friend . '更新成功', $messages, true),
        "$controller reports \"added\" and \"updated\" with the friendly name as it is",
        'found: ' . json_encode($messages, JSON_UNESCAPED_UNICODE));

    // The pages: compile and render; the same code and the same elements as
    // the plain model's pages, and every text shown as it is.
    foreach (array('.html' => $comments, '_add.html' => null, '_edit.html' => $comments) as $suffix => $shown) {
        $page = $lower . $suffix;
        try {
            list($compiled, $compiledFile, $html) = render($hostileSite, "$compileDir/hostile", $page);
            list($plainCompiled, , $plainHtml) = render($plainSite, "$compileDir/plain", $page);
        } catch (Throwable $e) {
            check(false, "$page compiles and renders with Smarty", get_class($e) . ': ' . $e->getMessage());
            continue;
        }
        $lint = array();
        exec(escapeshellarg(PHP_BINARY) . ' -l ' . escapeshellarg($compiledFile) . ' 2>&1', $lint, $status);
        check($status === 0, "$page compiles with Smarty to PHP that parses", implode(' ', $lint));
        $difference = first_difference(token_types($compiled), token_types($plainCompiled));
        check($difference === '', "$page compiles to the token types of the plain model's page", $difference);
        $dom = read_html($html);
        $plainDom = read_html($plainHtml);
        check($dom['elements'] === $plainDom['elements'], "$page renders the elements of the plain model's page",
            first_difference($dom['elements'], $plainDom['elements']));
        $expectedTitle = $friend . ($suffix === '_add.html' ? '添加' : '管理');
        check($dom['title'] === $expectedTitle, "$page is titled with the friendly name as it is",
            json_encode($dom['title'], JSON_UNESCAPED_UNICODE));
        if ($shown === null) {
            // The add page shows every member but an integer key.
            $shown = array();
            foreach ($class['members'] as $m) {
                if (!($m['memberIsPri'] && $m['memberIsInteger'])) {
                    $shown[] = $m['memberComment'];
                }
            }
        }
        $missing = array_filter($shown, function ($comment) use ($dom) {
            return strpos($dom['text'], lines($comment)) === false;
        });
        $browserPages[] = array('page' => $page, 'title' => $expectedTitle, 'texts' => array_map('lines', $shown),
            'calls' => array()) + saved_pages($compileDir, $page, $html, $plainHtml);
        check(!$missing, "$page shows every member comment as it is",
            'missing: ' . json_encode(array_values($missing), JSON_UNESCAPED_UNICODE));
    }
}

// The menu page: each class's tab and menu links show the friendly name, and
// their scripts receive it as it is.
try {
    list($compiled, , $html) = render($hostileSite, "$compileDir/hostile", 'fream.tpl');
    list($plainCompiled, , $plainHtml) = render($plainSite, "$compileDir/plain", 'fream.tpl');
    $difference = first_difference(token_types($compiled), token_types($plainCompiled));
    check($difference === '', 'fream.tpl compiles to the token types of the plain model\'s menu', $difference);
    $dom = read_html($html);
    $plainDom = read_html($plainHtml);
    check($dom['elements'] === $plainDom['elements'], 'fream.tpl renders the elements of the plain model\'s menu',
        first_difference($dom['elements'], $plainDom['elements']));
    $links = $dom['links'];
    $calls = array();
    foreach ($model['classes'] as $class) {
        $calls[] = $class['friendName'];
        $calls[] = $class['friendName'] . '管理';
        $calls[] = '添加' . $class['friendName'];
    }
    $browserPages[] = array('page' => 'fream.tpl', 'title' => null, 'texts' => array(), 'calls' => $calls)
        + saved_pages($compileDir, 'fream.tpl', $html, $plainHtml);
    foreach ($model['classes'] as $class) {
        $lower = lower_first($class['className']);
        $friend = $class['friendName'];
        $js = str_replace(array('\\', "'"), array('\\\\', "\\'"), $friend);
        foreach (array(array("fnOnTabClick(this,'$lower','$js'); return false;", $friend),
                       array("fnOnMenuClick(this,'{$js}管理');", $friend . '管理'),
                       array("fnOnMenuClick(this,'添加$js');", '添加' . $friend)) as $expected) {
            check(in_array($expected, $links, true),
                "fream.tpl links " . json_encode($expected[1], JSON_UNESCAPED_UNICODE) . ' with its script');
        }
    }
} catch (Throwable $e) {
    check(false, 'fream.tpl compiles and renders with Smarty', get_class($e) . ': ' . $e->getMessage());
}

// The database script: every comment arrives in the database as it is.
try {
    mysqli_report(MYSQLI_REPORT_ERROR | MYSQLI_REPORT_STRICT);
    $db = new mysqli('localhost', 'root', '', $database, 0, $socket);
    $db->set_charset('utf8mb4');
    foreach ($model['classes'] as $class) {
        $table = 'php_' . lower_first($class['className']);
        foreach ($class['members'] as $m) {
            $statement = $db->prepare('SELECT COLUMN_COMMENT FROM information_schema.COLUMNS '
                . 'WHERE TABLE_SCHEMA = ? AND TABLE_NAME = ? AND COLUMN_NAME = ?');
            $statement->bind_param('sss', $database, $table, $m['memberName']);
            $statement->execute();
            $row = $statement->get_result()->fetch_row();
            // MariaDB keeps comments in a three-byte character set: a
            // character beyond it (an emoji) is stored as "?".
            $stored = preg_replace('/[\x{10000}-\x{10FFFF}]/u', '?', $m['memberComment']);
            check($row && $row[0] === $stored, "the column $table.{$m['memberName']} has its comment as it is",
                $row ? json_encode($row[0], JSON_UNESCAPED_UNICODE) : 'no such column');
        }
    }
} catch (Throwable $e) {
    check(false, 'the database holds the tables of the script', get_class($e) . ': ' . $e->getMessage());
}

file_put_contents("$compileDir/browser.json", json_encode($browserPages, JSON_UNESCAPED_UNICODE));
echo ($failed === 0 ? 'all checks passed' : "$failed checks failed") . "\n";
exit($failed === 0 ? 0 : 1);
