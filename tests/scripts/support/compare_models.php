<?php
// Compares a project exported before its script went through MariaDB with
// the project import-db read back from that database.
//   php compare_models.php ORIGINAL.json IMPORTED.json PREFIX [CLASS_NOT_EXPECTED...]
// What the database cannot carry is set aside: the search, display and
// list flags; the friendly name (the script writes no table comments, so
// the table name comes back); an image member comes back as a text column;
// every column but a text one is NOT NULL, so only text members keep an
// optional flag; an empty comment comes back as the column's name; the
// script puts the key column first. Classes
// named after the command line are expected to be missing (their names are
// refused), and references to them come back as the referenced key's type.
// Prints one line per difference; exit status 1 when there is one.

[$self, $originalFile, $importedFile, $prefix] = array_slice($argv, 0, 4) + array_fill(0, 4, null);
$notExpected = array_slice($argv, 4);
if ($importedFile === null || $prefix === null) {
    fwrite(STDERR, "usage: php compare_models.php ORIGINAL.json IMPORTED.json PREFIX [CLASS...]\n");
    exit(2);
}
$original = json_decode(file_get_contents($originalFile), true)['projects'][0];
$imported = json_decode(file_get_contents($importedFile), true)['projects'][0];

function upper_first($name) {
    return ($name !== '' && $name[0] >= 'a' && $name[0] <= 'z') ? strtoupper($name[0]) . substr($name, 1) : $name;
}
function lower_first($name) {
    return ($name !== '' && $name[0] >= 'A' && $name[0] <= 'Z') ? strtolower($name[0]) . substr($name, 1) : $name;
}

$basic = array('字符串', '整型', '浮点型', '日期型', '图片型');
$byName = array();
foreach ($original['classes'] as $class)
    $byName[$class['className']] = $class;
$keyOf = function ($className) use ($byName) {
    foreach ($byName[$className]['members'] as $m)
        if ($m['memberIsPri'] == 1)
            return $m;
    return null;
};

$differences = array();
$expectedClasses = array();
foreach ($original['classes'] as $class) {
    if (in_array($class['className'], $notExpected, true))
        continue;
    $name = upper_first($class['className']);
    $expectedClasses[$name] = true;
    $expected = array();
    foreach ($class['members'] as $m) {
        $type = $m['memberType'];
        $length = $type === '字符串' ? $m['memberLength'] : 0;
        if ($type === '图片型') {
            $type = '字符串';
            $length = 1000;  // a text column
        } elseif (!in_array($type, $basic, true)) {
            if (in_array($type, $notExpected, true)) {
                $key = $keyOf($type);
                $type = $key['memberType'];
                $length = $type === '字符串' ? $key['memberLength'] : 0;
            } else {
                $type = upper_first($type);
            }
        }
        $optional = $m['memberType'] === '字符串' && $m['memberIsPri'] != 1 && $m['memberIsMust'] != 1;
        $expected[] = array(
            'memberName' => $m['memberName'],
            'memberType' => $type,
            'memberLength' => $length,
            'memberIsPri' => (int)$m['memberIsPri'],
            'memberIsMust' => $optional ? 0 : 1,
            'memberComment' => $m['memberComment'] === '' ? $m['memberName'] : $m['memberComment'],
        );
    }
    // Stable since PHP 8.0: the other members keep their order.
    usort($expected, function ($a, $b) { return $b['memberIsPri'] - $a['memberIsPri']; });
    $found = null;
    foreach ($imported['classes'] as $candidate)
        if ($candidate['className'] === $name)
            $found = $candidate;
    if ($found === null) {
        $differences[] = "class $name is missing";
        continue;
    }
    $table = $prefix . lower_first($name);
    if ($found['friendName'] !== $table)
        $differences[] = "class $name: friendly name '{$found['friendName']}', expected the table name '$table'";
    $actual = array();
    foreach ($found['members'] as $m) {
        $row = array();
        foreach (array_keys($expected[0] ?? array('memberName' => 0)) as $field)
            $row[$field] = $m[$field];
        $actual[] = $row;
    }
    $count = max(count($expected), count($actual));
    for ($i = 0; $i < $count; $i++) {
        $e = $expected[$i] ?? null;
        $a = $actual[$i] ?? null;
        if ($e != $a)
            $differences[] = "class $name, member " . ($i + 1) . ': expected ' . json_encode($e, JSON_UNESCAPED_UNICODE)
                . ', imported ' . json_encode($a, JSON_UNESCAPED_UNICODE);
    }
    // The guesses: one display member, a text member or else the key.
    $displays = array_filter($found['members'], function ($m) { return $m['memberIsDisplay'] == 1; });
    if (count($displays) !== 1)
        $differences[] = "class $name has " . count($displays) . ' display members';
}
foreach ($imported['classes'] as $class)
    if (!isset($expectedClasses[$class['className']]))
        $differences[] = "class {$class['className']} was not expected";

foreach ($differences as $line)
    echo "  $line\n";
exit($differences ? 1 : 0);
