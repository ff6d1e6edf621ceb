<?php
// Applies named changes to an exported model, as a developer would edit it:
//   php edit_model.php IN.json OUT.json CHANGE...
// The changes: base (adds the class Maker), rename-member, add-required,
// widen, narrow, rename-class, remove-member, move-reference, change-key.
$model = json_decode(file_get_contents($argv[1]), true);
if (!is_array($model)) { fwrite(STDERR, "cannot read $argv[1]\n"); exit(1); }
$classes = &$model['projects'][0]['classes'];

function &cls(array &$classes, $name) {
    foreach ($classes as &$c) if ($c['className'] === $name) return $c;
    fwrite(STDERR, "no class $name\n"); exit(1);
}
function &member(array &$class, $name) {
    foreach ($class['members'] as &$m) if ($m['memberName'] === $name) return $m;
    fwrite(STDERR, "no member $name in {$class['className']}\n"); exit(1);
}
function text_member($name, $length, $must, $comment) {
    return array('memberName' => $name, 'memberType' => '字符串', 'memberLength' => $length, 'memberIsPri' => 0,
        'memberComment' => $comment, 'memberIsMust' => $must, 'memberIsInteger' => 0, 'memberIsFloat' => 0,
        'queryFlag' => 0, 'memberIsDisplay' => 0, 'memberQueryDisplay' => 1);
}

foreach (array_slice($argv, 3) as $change) {
    switch ($change) {
    case 'base':
        $classes[] = array('className' => 'Maker', 'friendName' => '厂商', 'members' => array(
            array_merge(text_member('code', 10, 1, '厂商代码'), array('memberIsPri' => 1)),
            array_merge(text_member('title', 30, 1, '厂商名称'), array('memberIsDisplay' => 1))));
        break;
    case 'rename-member':
        $m = &member(cls($classes, 'Product'), 'name'); $m['memberName'] = 'title'; unset($m);
        break;
    case 'add-required':
        $p = &cls($classes, 'Product');
        $p['members'][] = array('memberName' => 'weight', 'memberType' => '整型', 'memberLength' => 0,
            'memberIsPri' => 0, 'memberComment' => '重量', 'memberIsMust' => 1, 'memberIsInteger' => 1,
            'memberIsFloat' => 0, 'queryFlag' => 0, 'memberIsDisplay' => 0, 'memberQueryDisplay' => 1);
        $p['members'][] = text_member('sku', 20, 1, '货号');
        unset($p);
        break;
    case 'widen':
        $m = &member(cls($classes, 'Product'), 'note'); $m['memberLength'] = 200; unset($m);
        $m = &member(cls($classes, 'Brand'), 'title'); $m['memberLength'] = 60; $m['memberComment'] = '品牌全称'; unset($m);
        break;
    case 'narrow':
        $m = &member(cls($classes, 'Category'), 'name'); $m['memberLength'] = 4; unset($m);
        break;
    case 'rename-class':
        $c = &cls($classes, 'Category'); $c['className'] = 'Section'; $c['friendName'] = '栏目'; unset($c);
        foreach ($classes as &$c) foreach ($c['members'] as &$m) if ($m['memberType'] === 'Category') $m['memberType'] = 'Section';
        unset($c, $m);
        break;
    case 'remove-member':
        $p = &cls($classes, 'Product');
        $p['members'] = array_values(array_filter($p['members'], function ($m) { return $m['memberName'] !== 'stock'; }));
        unset($p);
        break;
    case 'move-reference':
        $m = &member(cls($classes, 'Product'), 'brand'); $m['memberType'] = 'Maker'; unset($m);
        break;
    case 'change-key':
        $c = &cls($classes, 'Maker');
        $m = &member($c, 'code'); $m['memberIsPri'] = 0; unset($m);
        $m = &member($c, 'title'); $m['memberIsPri'] = 1; unset($m);
        unset($c);
        break;
    default:
        fwrite(STDERR, "unknown change $change\n"); exit(1);
    }
}
file_put_contents($argv[2], json_encode($model, JSON_PRETTY_PRINT | JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES) . "\n");
