<?php
// Writes two models of the same classes and members as quorrel-cli import
// reads them: "hostile", whose every free text (friendly names, comments)
// holds what could end a string, a comment or a tag, or open code, in PHP,
// SQL, HTML, JavaScript or a template; and "plain", the same model with
// harmless texts. Usage: php hostile_model.php OUT_DIR
// OUT_DIR receives hostile.json and plain.json.

if ($argc !== 2) {
    fwrite(STDERR, "usage: php hostile_model.php OUT_DIR\n");
    exit(2);
}
$out = $argv[1];

$rtl = "\u{202E}עברית العربية\u{202C}";
// Friendly names are one line each; comments may hold line breaks and tabs.
$friends = array(
    '笔记"); phpinfo(); //',
    "菜单\$contentMenuString 'a\\' \\\" {\$x} \${y} */ ?> <?php <script>alert(1)</script> <{\$smarty.version}> &amp; 😀 $rtl",
    "\$topMenuString \$dbprefix \$sqlString </title><{/literal}><{literal}> `x` '); alert(1); //",
);
$comments = array(
    "</td><script>alert(1)</script>",
    "<{\$smarty.version}> <{phpinfo()}>",
    "多行\r\n注释 ?> */ \$x {\$y} \\ ' \" \n第三行\t制表",
    "*/ phpinfo(); /* ?><?php phpinfo(); ?>",
    "\\' OR 1=1 -- \$dbprefix \$sqlString",
    "😀 $rtl \"'\\",
    "<!-- --> ]]> <![CDATA[ & &lt; {literal}",
    "'); DROP TABLE x; -- \\",
);

function member($name, $type, array $flags = array()) {
    return array_merge(array(
        'memberName' => $name, 'memberType' => $type,
        'memberLength' => $type === '字符串' ? 20 : 0,
        'memberIsPri' => 0, 'memberComment' => '', 'memberIsMust' => 1,
        'memberIsInteger' => $type === '整型' ? 1 : 0, 'memberIsFloat' => $type === '浮点型' ? 1 : 0,
        'queryFlag' => 0, 'memberIsDisplay' => 0, 'memberQueryDisplay' => 1,
    ), $flags);
}

// Every kind of member in every place that shows a text: key, display,
// search fields of each kind, picture, reference, plain columns.
$classes = array(
    array('className' => 'Category', 'members' => array(
        member('id', '整型', array('memberIsPri' => 1)),
        member('name', '字符串', array('memberIsDisplay' => 1, 'queryFlag' => 1)),
    )),
    array('className' => 'Note', 'members' => array(
        member('id', '整型', array('memberIsPri' => 1)),
        member('title', '字符串', array('memberIsDisplay' => 1, 'queryFlag' => 1)),
        member('day', '日期型', array('queryFlag' => 1)),
        member('cover', '图片型', array('memberIsMust' => 0)),
        member('category', 'Category', array('queryFlag' => 1)),
        member('price', '浮点型'),
        member('body', '字符串', array('memberIsMust' => 0)),
    )),
    array('className' => 'Tag', 'members' => array(
        member('code', '字符串', array('memberIsPri' => 1)),
        member('label', '字符串', array('memberIsDisplay' => 1)),
        member('note', 'Note', array('queryFlag' => 1)),
        member('photo', '图片型', array('memberIsMust' => 0)),
    )),
);

function model($project, array $classes, $friend, $comment) {
    $n = 0;
    foreach ($classes as $c => &$class) {
        $class['friendName'] = $friend($c);
        foreach ($class['members'] as &$member) {
            $member['memberComment'] = $comment($n++);
        }
    }
    return array('projects' => array(array('projectName' => $project, 'classes' => $classes)));
}

$hostile = model('hostile', $classes,
    function ($c) use ($friends) { return $friends[$c % count($friends)]; },
    function ($n) use ($comments) { return $comments[$n % count($comments)]; });
$plain = model('plain', $classes,
    function ($c) { return '类' . $c; },
    function ($n) { return '说明' . $n; });

$flags = JSON_PRETTY_PRINT | JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES;
file_put_contents("$out/hostile.json", json_encode($hostile, $flags) . "\n");
file_put_contents("$out/plain.json", json_encode($plain, $flags) . "\n");
