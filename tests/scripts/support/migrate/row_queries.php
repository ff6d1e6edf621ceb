<?php
// The SELECTs that read the rows a migration must keep, one pair a line:
//   php row_queries.php BEFORE.json AFTER.json PREFIX
// Each line is "SELECT on the database before<TAB>SELECT on the one after",
// over the members both models have by identity, with the old and the new
// names, in key order; a string made shorter is read cut to its new length
// on the old side, since cutting it is what was asked for.
function classes($file) {
    $m = json_decode(file_get_contents($file), true);
    $byUid = array();
    foreach ($m['projects'][0]['classes'] as $c) $byUid[$c['classUid']] = $c;
    return $byUid;
}
function lower_first($s) { return ($s !== '' && $s[0] >= 'A' && $s[0] <= 'Z') ? strtolower($s[0]) . substr($s, 1) : $s; }
function q($name) { return '`' . str_replace('`', '``', $name) . '`'; }
$before = classes($argv[1]);
$after = classes($argv[2]);
$prefix = $argv[3];
foreach ($after as $uid => $new) {
    if (!isset($before[$uid])) continue;
    $old = $before[$uid];
    $oldMembers = array();
    foreach ($old['members'] as $m) $oldMembers[$m['memberUid']] = $m;
    $oldCols = array(); $newCols = array(); $oldKey = null; $newKey = null;
    foreach ($new['members'] as $m) {
        if (!isset($oldMembers[$m['memberUid']])) continue;
        $o = $oldMembers[$m['memberUid']];
        if ($m['memberIsPri']) { $oldKey = q($o['memberName']); $newKey = q($m['memberName']); }
        $col = q($o['memberName']);
        if ($m['memberType'] === '字符串' && $o['memberType'] === '字符串' && $m['memberLength'] < $o['memberLength'])
            $col = 'LEFT(' . $col . ', ' . $m['memberLength'] . ')';
        $oldCols[] = $col;
        $newCols[] = q($m['memberName']);
    }
    if (!$oldKey) continue;
    echo 'SELECT ', implode(', ', $oldCols), ' FROM ', q($prefix . lower_first($old['className'])), ' ORDER BY ', $oldKey,
        "\t", 'SELECT ', implode(', ', $newCols), ' FROM ', q($prefix . lower_first($new['className'])), ' ORDER BY ', $newKey, "\n";
}
