<?php
/**
 * An edit under the change log against the same edit without it, run by
 * site_bench.sh on its loaded site:
 *   php site_log_bench.php SITE_DIR DB_SOCKET DB_NAME RECORDS
 * Both run the statement the generated edit act runs, through the site's
 * runtime, on records spread over the table: "plain" as the act ran before
 * the log (autocommitted), "logged" inside site_change_begin and
 * site_commit_change (row locked and read before, read after, the entry
 * written, one commit). Prints the median of each in milliseconds and their
 * ratio.
 */
list(, $siteDir, $socket, $dbName, $records) = $argv;
define('IN_WEB', true);
$include = rtrim($siteDir, '/') . '/admin/include/';
foreach (array('site_functions.php', 'site_database.class.php', 'site_request.php', 'site_model_reader.php',
    'site_images.php', 'site_change_log.php') as $file) {
    require_once $include . $file;
}
$db = new SiteDatabase('', 'root', '', $dbName, 0, $socket, 'php_');
$class = site_model_class('News');
site_change_log_account(array('admin_id' => 1, 'admin_name' => 'bench'));

/* The edit act's statement for one record, with a title that differs each
   time, so every edit changes the row. */
function edit_statement(SiteDatabase $db, $key, $round)
{
    return "UPDATE php_news SET title = '" . $db->escape('新闻标题 改 ' . $key . ' ' . $round) . "', pubDate = '2021-01-01', catId = '7'"
        . " WHERE newsId = '" . $db->escape((string)$key) . "'";
}

$runs = 300;
$times = array('plain' => array(), 'logged' => array());
for ($i = 0; $i < $runs; $i++) {
    // The same record for both, taken in turns, so caches favour neither.
    $key = 1 + ($i * 7919) % (int)$records;
    foreach ($i % 2 === 0 ? array('plain', 'logged') : array('logged', 'plain') as $way) {
        $t = microtime(true);
        if ($way === 'logged') {
            site_request_store(array('get' => array('act' => 'editok'), 'post' => array('news' => array('newsId' => (string)$key))));
            site_change_begin($db, 'News', $class, 'news', 'editok');
            $db->query(edit_statement($db, $key, $i . $way));
            site_commit_change($db);
        } else {
            $db->query(edit_statement($db, $key, $i . $way));
        }
        $times[$way][] = microtime(true) - $t;
    }
}
$median = function (array $values) {
    sort($values);
    return $values[intdiv(count($values), 2)] * 1000;
};
$logged = (int)$db->execute('SELECT COUNT(*) AS n FROM php_site_change_log WHERE admin_name = ?', array('bench'))->fetch_assoc()['n'];
printf("%.3f %.3f %.2f %d\n", $median($times['plain']), $median($times['logged']), $median($times['logged']) / $median($times['plain']), $logged);
