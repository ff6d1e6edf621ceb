#!/bin/bash
# The generated site at a million rows (a benchmark, not a test):
#   bench/site_bench.sh [HOME_DIR [ROWS [REFERENCED_ROWS]]]
# HOME_DIR is the build's home folder (build/bin, with quorrel-cli and bak/);
# ROWS news records (1,000,000) of realistic text lengths, each in one of
# REFERENCED_ROWS categories (100,000).
#
# Builds a site of two classes (News, with a text, a date and a reference
# search member, and Category), loads the rows into a private MariaDB, serves
# the site with `php -S` under PHP's default memory_limit (128M) and prints
# for each page: its time (fastest of 5 warm requests), the time of the SQL
# it needs (the same statements run from PHP, fastest of 3), their ratio
# and difference,
# PHP's peak memory and the page's size. A signed-in request that runs only
# the runtime is the baseline of what any page costs beside its SQL.
# Then the change log: its page with a million entries, and an edit under
# the log against the same edit without it (site_log_bench.php); and the
# export of every record as CSV against SELECT ... INTO OUTFILE of the
# same rows.
# Targets: first list page < 0.3 s and < 32 MB; no page over 10x its SQL;
# add and edit pages < 300 KB; log pages < 0.3 s at 1M entries; a logged
# edit within 1.5x of the plain one; the export under 32 MB and within 3x
# of INTO OUTFILE.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/.." && pwd)
home_in=$(cd "${1:-$src/build/bin}" && pwd) || exit 2
rows=${2:-1000000}
refs=${3:-100000}

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb curl

tmp=$(mktemp -d "${TMPDIR:-/tmp}/site-bench.XXXXXX")
php_pid="" MARIADB_PID=""
cleanup() {
  stop_pid "$php_pid"
  stop_pid "$MARIADB_PID"
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
say() { printf '%s\n' "$*" >&2; }

# --- the database: caches big enough for the table, as on a real server ---
MARIADB_BUFFER_POOL=2G MARIADB_LOG_FILE_SIZE=512M start_mariadb "$tmp" || { say "MariaDB did not start"; exit 1; }
mysql=(mariadb --no-defaults --socket="$MARIADB_SOCKET" -uroot)
"${mysql[@]}" -e "CREATE DATABASE bench CHARACTER SET utf8mb4" || exit 1

# --- the site ---------------------------------------------------------------
home=$tmp/home
cp -a "$home_in" "$home" && rm -rf "$home/projects" "$home/projects.mdb"
cli=$home/quorrel-cli
"$cli" --home "$home" init >/dev/null || exit 1
m() { # name type length key comment must integer query display list
  printf '{"memberName":"%s","memberType":"%s","memberLength":%s,"memberIsPri":%s,"memberComment":"%s","memberIsMust":%s,"memberIsInteger":%s,"memberIsFloat":0,"queryFlag":%s,"memberIsDisplay":%s,"memberQueryDisplay":%s}' "$@"
}
cat >"$tmp/model.json" <<EOF
{"projects":[{"projectId":1,"projectName":"bench","classes":[
 {"classId":1,"className":"Category","friendName":"分类","members":[
   $(m catId 整型 0 1 编号 1 1 0 0 1), $(m name 字符串 60 0 名称 1 0 0 1 1)]},
 {"classId":2,"className":"News","friendName":"新闻","members":[
   $(m newsId 整型 0 1 编号 1 1 0 0 1), $(m title 字符串 200 0 标题 1 0 1 1 1),
   $(m content 字符串 2000 0 正文 1 0 0 0 0), $(m pubDate 日期型 0 0 发布日期 1 0 1 0 1),
   $(m catId Category 0 0 分类 1 0 1 0 1)]}]}]}
EOF
"$cli" --home "$home" import "$tmp/model.json" >/dev/null || exit 1
(cd "$home" && "$cli" --home "$home" generate bench) >"$tmp/generate.log" 2>&1 || { cat "$tmp/generate.log"; exit 1; }
site=$home/projects/bench
"$cli" --home "$home" sql bench --prefix php_ >"$tmp/script.sql" || exit 1
"${mysql[@]}" bench <"$tmp/script.sql" || exit 1
E2E_DB_SOCKET=$MARIADB_SOCKET E2E_DB_USER=root E2E_DB_PASSWORD='' E2E_DB_NAME=bench \
  php "$src/tests/e2e/lib/configure-site.php" "$site/config.inc.php" >/dev/null || exit 1
# A site generated before the run wrote its model description gets one.
if [ ! -f "$site/admin/include/site_model.php" ]; then
  cat >"$site/admin/include/site_model.php" <<'EOF'
<?php
/* The site's model as generated; the administration runtime reads it. */
return array(
    'Category' => array('table' => 'php_category', 'label' => '分类', 'key' => 'catId', 'display' => 'name', 'members' => array(
        'catId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '编号', 'picture' => false, 'reference' => null),
        'name' => array('type' => 'string', 'length' => 60, 'required' => true, 'label' => '名称', 'picture' => false, 'reference' => null),
    )),
    'News' => array('table' => 'php_news', 'label' => '新闻', 'key' => 'newsId', 'display' => 'title', 'members' => array(
        'newsId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '编号', 'picture' => false, 'reference' => null),
        'title' => array('type' => 'string', 'length' => 200, 'required' => true, 'label' => '标题', 'picture' => false, 'reference' => null),
        'content' => array('type' => 'string', 'length' => 2000, 'required' => true, 'label' => '正文', 'picture' => false, 'reference' => null),
        'pubDate' => array('type' => 'date', 'length' => 0, 'required' => true, 'label' => '发布日期', 'picture' => false, 'reference' => null),
        'catId' => array('type' => 'reference', 'length' => 0, 'required' => true, 'label' => '分类', 'picture' => false, 'reference' => 'Category'),
    )),
);
EOF
fi

# --- the rows, made by the server itself (sequence tables), in chunks ---------
say "loading $refs categories and $rows news records..."
load_start=$(date +%s)
chunk() { # table first last select-list
  "${mysql[@]}" bench -e "SET foreign_key_checks = 0, unique_checks = 0; INSERT INTO $1 SELECT $4 FROM seq_$2_to_$3" || exit 1
}
for ((a = 1; a <= refs; a += 100000)); do
  b=$((a + 99999 < refs ? a + 99999 : refs))
  chunk php_category "$a" "$b" "seq, CONCAT('分类 ', seq, ' ', LEFT(MD5(seq), 8))"
done
# Titles of about 30 characters, texts of about 1 KB, dates over five years.
for ((a = 1; a <= rows; a += 50000)); do
  b=$((a + 49999 < rows ? a + 49999 : rows))
  chunk php_news "$a" "$b" "seq, CONCAT('新闻标题 ', seq, ' ', LEFT(SHA1(seq), 16)), REPEAT(CONCAT(SHA1(seq), ' 新闻的正文。'), 18), '2020-01-01' + INTERVAL (seq % 1800) DAY, 1 + (seq * 7919) % $refs"
done
"${mysql[@]}" bench -e "ANALYZE TABLE php_category, php_news" >/dev/null
say "loaded in $(( $(date +%s) - load_start )) s"

# --- a signed-in administrator, the owner (every right) ---------------------
"${mysql[@]}" bench -e "INSERT INTO php_site_admin (admin_name, password_hash, is_owner, created_at) VALUES ('bench', 'x', 1, NOW())" || exit 1
sid=benchbenchbenchbenchbenchbench
mkdir -p "$site/cache/sessions"
php -r 'file_put_contents($argv[1], serialize(array("site_admin_id" => 1, "site_seen" => time() + 86400)));' "$site/cache/sessions/sess_$sid"

# A change log of a million entries: three accounts, two classes, over a year.
log_rows=1000000
say "loading $log_rows change log entries..."
for ((a = 1; a <= log_rows; a += 250000)); do
  b=$((a + 249999 < log_rows ? a + 249999 : log_rows))
  chunk php_site_change_log "$a" "$b" "NULL, '2025-01-01' + INTERVAL (seq * 30) SECOND, 1 + seq % 3, ELT(1 + seq % 3, 'bench', '编辑', '录入员'), IF(seq % 4 = 0, 'Category', 'News'), 1 + seq % $rows, ELT(1 + seq % 3, 'add', 'edit', 'remove'), CONCAT('{\"title\":[\"新闻标题 ', seq, '\",\"新闻标题 ', seq + 1, '\"]}')"
done
"${mysql[@]}" bench -e "ANALYZE TABLE php_site_change_log" >/dev/null

# The baseline: a signed-in request that runs the runtime and nothing else.
cat >"$site/admin/bench_baseline.php" <<'EOF'
<?php
define('IN_WEB', true);
define('SITE_PAGE', 'own');
require_once __DIR__ . '/include/global.php';
echo 'ok';
EOF
# PHP's peak memory of every request, written when it ends.
cat >"$tmp/prepend.php" <<EOF
<?php
register_shutdown_function(function () {
    file_put_contents('$tmp/memory.log', \$_SERVER['REQUEST_URI'] . "\t" . memory_get_peak_usage() . "\n", FILE_APPEND);
});
EOF

# --- serve it -------------------------------------------------------------------
for attempt in 1 2 3 4 5; do
  port=$(free_port)
  (cd "$site" && exec php -d memory_limit=128M -d auto_prepend_file="$tmp/prepend.php" -d opcache.enable_cli=1 \
    -S "127.0.0.1:$port" -t "$site") >"$tmp/php.log" 2>&1 &
  php_pid=$!
  until php -r 'exit(@fsockopen("127.0.0.1", (int)$argv[1]) ? 0 : 1);' "$port"; do
    kill -0 "$php_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$php_pid" 2>/dev/null && break
  php_pid=""
done
[ -n "$php_pid" ] || { cat "$tmp/php.log"; exit 1; }
base=http://127.0.0.1:$port/admin

# --- the pages and the SQL each needs -------------------------------------------
last=$(( (rows + 4) / 5 ))
middle=$(( last / 2 ))
count_sql() { echo "SELECT COUNT(*) AS allnum FROM php_news where 1=1$1"; }
page_sql() { echo "SELECT * FROM php_news where 1=1$1 order by newsId DESC LIMIT $2,5"; }
# A page in the second half, as the runtime reads it: from the other end.
last_page_sql() {
  local on_last=$(( rows - (last - 1) * 5 ))
  echo "SELECT * FROM (SELECT * FROM php_news where 1=1 order by newsId ASC LIMIT 0,$on_last) AS site_page ORDER BY newsId DESC"
}
# The log page's count and its first page.
log_sql() { echo "SELECT COUNT(*) AS n FROM php_site_change_log$1;;SELECT log_id, logged_at, admin_id, admin_name, class_name, record_key, act, details FROM php_site_change_log$1 ORDER BY log_id DESC LIMIT 0, 20"; }
# The referenced class's entries, read up to one past the drop-down's bound.
bounded="SELECT \`catId\`,\`name\` FROM \`php_category\` LIMIT 301"
text=" and title like '%12345%'" date=" and pubDate like '%2021-03-05%'" ref=" and catId='777'"
# label | address | statements separated by ";;"
pages=(
  "baseline (runtime only)|bench_baseline.php|SELECT admin_id, admin_name, password_hash, is_owner, disabled, created_at, last_login_at FROM php_site_admin WHERE admin_id = 1"
  "list, first page|news.php?act=show|$(count_sql '');;$(page_sql '' 0);;$bounded"
  "list, middle page ($middle)|news.php?act=show&page=$middle|$(count_sql '');;$(page_sql '' $(( (middle - 1) * 5 )));;$bounded"
  "list, last page ($last)|news.php?act=show&page=$last|$(count_sql '');;$(last_page_sql);;$bounded"
  "list, page past the end|news.php?act=show&page=999999999|$(count_sql '');;$(last_page_sql);;$bounded"
  "text search (title)|news.php?act=show&title=12345|$(count_sql "$text");;$(page_sql "$text" 0);;$bounded"
  "date search (pubDate)|news.php?act=show&pubDate=2021-03-05|$(count_sql "$date");;$(page_sql "$date" 0);;$bounded"
  "reference search (catId)|news.php?act=show&catId=777|$(count_sql "$ref");;$(page_sql "$ref" 0);;$bounded"
  "add page|news.php?act=add|$bounded"
  "edit page|news.php?act=edit&newsId=$(( rows / 2 ))|$bounded;;SELECT * FROM php_news WHERE newsId = '$(( rows / 2 ))'"
  "log, first page|changes.php|$(log_sql '')"
  "log, one account|changes.php?admin=2|$(log_sql ' WHERE admin_id = 2')"
  "log, one class, one month|changes.php?class=News&from=2025-03-01&to=2025-03-31|$(log_sql " WHERE class_name = 'News' AND logged_at >= '2025-03-01 00:00:00' AND logged_at < '2025-04-01 00:00:00'")"
  "log, a record's history|changes.php?class=News&key=4242|$(log_sql " WHERE class_name = 'News' AND record_key = '4242'")"
)

cat >"$tmp/sqltime.php" <<'EOF'
<?php
// Fastest of 3 (or $argv[3]) runs of the statements, each result read
// whole, in seconds.
$db = new mysqli(null, 'root', '', 'bench', 0, $argv[1]);
$db->set_charset('utf8mb4');
$best = INF;
for ($i = 0; $i < (isset($argv[3]) ? (int)$argv[3] : 3); $i++) {
    $t = microtime(true);
    foreach (explode(';;', $argv[2]) as $sql) {
        $r = $db->query($sql);
        if ($r instanceof mysqli_result) { while ($r->fetch_row()) {} $r->free(); }
    }
    $best = min($best, microtime(true) - $t);
}
printf('%.6f', $best);
EOF

printf '\n%-34s %9s %9s %9s %11s %8s %8s %8s\n' "page ($rows rows, $refs referenced)" "page ms" "SQL ms" "page/SQL" "page-SQL ms" "peak MB" "size KB" "records"
for entry in "${pages[@]}"; do
  IFS='|' read -r label address sql <<<"$entry"
  best=999
  for i in 1 2 3 4 5 6; do
    : >"$tmp/memory.log"
    t=$(curl -s -o "$tmp/page.html" -w '%{time_total}' -H "Cookie: SITESESSID=$sid" -H "Referer: $base/news.php" "$base/$address")
    # The first request warms the caches; the fastest of the next five counts.
    [ "$i" -gt 1 ] && best=$(php -r 'echo min((float)$argv[1], (float)$argv[2]);' "$best" "$t")
  done
  grep -q '提示信息\|请登录' "$tmp/page.html" && say "warning: $label answered with a message page"
  mem=$(cut -f2 "$tmp/memory.log" | tail -n 1)
  size=$(stat -c %s "$tmp/page.html")
  found=$(grep -o '共 [0-9]* 条记录' "$tmp/page.html" | grep -o '[0-9]*')
  sqlt=$(php "$tmp/sqltime.php" "$MARIADB_SOCKET" "$sql")
  php -r '$p = $argv[2] * 1000; $q = $argv[3] * 1000; printf("%-34s %9.1f %9.2f %8.1fx %11.1f %8.2f %8.1f %8s\n", $argv[1], $p, $q, $p / max($q, 0.01), $p - $q, $argv[4] / 1048576, $argv[5] / 1024, $argv[6]);' \
    "$label" "$best" "$sqlt" "${mem:-0}" "$size" "${found:--}"
done

# --- an edit under the change log ------------------------------------------------
read -r plain logged ratio entries < <(php "$here/site_log_bench.php" "$site" "$MARIADB_SOCKET" bench "$rows") || exit 1
printf '\n%-34s %9s %9s %9s %9s\n' "edit (median of 300)" "plain ms" "logged ms" "ratio" "entries"
printf '%-34s %9.3f %9.3f %8.2fx %9s\n' "one record, title changed" "$plain" "$logged" "$ratio" "$entries"

# --- export of every record --------------------------------------------------------
: >"$tmp/memory.log"
t=$(curl -s -o "$tmp/export.csv" -w '%{time_total}' -H "Cookie: SITESESSID=$sid" -H "Referer: $base/news.php" "$base/news.php?act=show&export=1")
mem=$(cut -f2 "$tmp/memory.log" | tail -n 1)
lines=$(wc -l <"$tmp/export.csv")
rm -f "$tmp/mariadb-outfile.csv"
outfile="SELECT l.newsId, l.title, l.pubDate, c.name FROM php_news AS l LEFT JOIN php_category AS c ON c.catId = l.catId ORDER BY l.newsId DESC INTO OUTFILE '$tmp/mariadb-outfile.csv' CHARACTER SET utf8mb4 FIELDS TERMINATED BY ',' OPTIONALLY ENCLOSED BY '\"' LINES TERMINATED BY '\r\n'"
o=$(php "$tmp/sqltime.php" "$MARIADB_SOCKET" "$outfile" 1)
printf '\n%-34s %9s %9s %9s %9s %9s %9s\n' "export ($rows rows)" "CSV s" "OUTFILE s" "ratio" "peak MB" "size MB" "lines"
php -r 'printf("%-34s %9.2f %9.2f %8.2fx %9.2f %9.1f %9d\n", "news, every record", $argv[1], $argv[2], $argv[1] / max($argv[2], 0.001), $argv[3] / 1048576, $argv[4] / 1048576, $argv[5]);' \
  "$t" "$o" "${mem:-0}" "$(stat -c %s "$tmp/export.csv")" "$lines"
