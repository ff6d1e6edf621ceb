#!/bin/bash
# quorrel-cli import-db against a private MariaDB (Unix socket in a scratch
# folder, no network):
#   import_db.sh SOURCE_DIR HOME_DIR
#  1. round trip: each sample model's script (quorrel-cli sql) loaded into
#     MariaDB and read back gives the same classes, members, types, lengths,
#     keys, required flags, comments and references
#     (support/compare_models.php sets aside what a database cannot carry);
#  2. a hand-written database (support/import_db/library.sql): one warning
#     for each thing not carried; the imported project generates, and its
#     script loads into a second database;
#  3. faults: wrong password, unreachable server, unknown database, a user
#     without rights, names the model refuses: exit 1, the model unchanged.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: import_db.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home=$(cd "${2:?usage: import_db.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb
cli=$home/quorrel-cli
[ -x "$cli" ] || { echo "no quorrel-cli in $home (build it first)" >&2; exit 1; }
data=$src/tests/scripts/support/import_db

make_scratch import-db

start_mariadb "$tmp/server" || abort "MariaDB did not start"
sock=$MARIADB_SOCKET
sql() { mariadb --no-defaults --socket="$sock" -uroot "$@"; }


# ---- 1. Round trip of the sample models ----
# name, model file, classes whose names the model refuses (they must be missing)
round_trip() {
  local name=$1 file=$2; shift 2
  local h project
  h=$(new_home "rt-$name")
  project=$(php -r 'echo json_decode(file_get_contents($argv[1]), true)["projects"][0]["projectName"];' "$file")
  "$cli" --home "$h" import "$file" >/dev/null || abort "import of $file"
  "$cli" --home "$h" sql "$project" --prefix php_ >"$tmp/$name.sql" || abort "sql of $name"
  sql -e "CREATE DATABASE rt_$name CHARACTER SET utf8mb4" && sql "rt_$name" <"$tmp/$name.sql" \
    || abort "the script of $name does not load"
  "$cli" --home "$h" import-db --socket "$sock" --user root --database "rt_$name" --table-prefix php_ \
    --project back >"$tmp/$name.out" 2>&1
  check "$name: import-db succeeds" [ $? -eq 0 ]
  "$cli" --home "$h" export "$project" >"$tmp/$name.original.json"
  "$cli" --home "$h" export back >"$tmp/$name.back.json"
  if php "$src/tests/scripts/support/compare_models.php" "$tmp/$name.original.json" "$tmp/$name.back.json" php_ "$@" \
      >"$tmp/$name.diff"; then
    pass "$name: classes, members, types, lengths, keys, required flags, comments and references come back"
  else
    fail "$name: the read-back project differs:"; cat "$tmp/$name.diff"; cat "$tmp/$name.out"
  fi
  "$cli" --home "$h" generate back >"$tmp/$name.gen" 2>&1
  check "$name: the read-back project generates (one key and one display member per class)" [ $? -eq 0 ]
  "$cli" --home "$h" sql back --prefix php_ >"$tmp/$name.back.sql" \
    && sql -e "CREATE DATABASE rt2_$name CHARACTER SET utf8mb4" && sql "rt2_$name" <"$tmp/$name.back.sql"
  check "$name: the read-back project's script loads into a second database" [ $? -eq 0 ]
  check "$name: what was guessed is said, one line per class" \
    [ "$(grep -c '^推测：类' "$tmp/$name.out")" -eq "$(php -r 'echo count(json_decode(file_get_contents($argv[1]), true)["projects"][0]["classes"]);' "$tmp/$name.back.json")" ]
}
# varied_shop.json and lab.json are `quorrel-cli export` of the "shop" and
# "lab" projects that tests/support/PhpModels.h builds for the golden tests.
round_trip e2e "$src/tests/e2e/model.json"
round_trip varied "$data/varied_shop.json" 商品
grep -q '^警告：表php_商品：类名必须以英文字母开头，已跳过该表$' "$tmp/varied.out" \
  && grep -q '^警告：表php_review的列goods：外键指向的表php_商品没有导入，按列自身的类型导入$' "$tmp/varied.out" \
  && grep -q '^警告：表php_article的列cover：text列按字符串导入' "$tmp/varied.out"
check "varied: the refused class, the reference to it and the image columns are each named in a warning" [ $? -eq 0 ]

# The lab model's class names start with digits: nothing can be imported.
h=$(new_home rt-lab)
"$cli" --home "$h" import "$data/lab.json" >/dev/null || abort "import of lab.json"
"$cli" --home "$h" sql lab --prefix php_ >"$tmp/lab.sql" && sql -e "CREATE DATABASE rt_lab" && sql rt_lab <"$tmp/lab.sql" \
  || abort "the lab script does not load"
"$cli" --home "$h" import-db --socket "$sock" --user root --database rt_lab --table-prefix php_ >"$tmp/lab.out" 2>&1
status=$?
check "lab: tables whose names the model refuses make nothing to import: exit 1" [ $status -eq 1 ]
check "lab: the refusal names each table and why" grep -q '表php_3DModel：类名必须以英文字母开头' "$tmp/lab.out"
check "lab: the model is unchanged" [ "$("$cli" --home "$h" projects | cut -f2)" = lab ]

# ---- 2. A database written by hand ----
sql -e "CREATE DATABASE library CHARACTER SET utf8mb4" && sql library <"$data/library.sql" || abort "library.sql does not load"
sql -e "CREATE USER 'reader'@'localhost' IDENTIFIED BY 'Pw-7781-secret'; GRANT SELECT ON library.* TO 'reader'@'localhost';
        CREATE USER 'nobody'@'localhost' IDENTIFIED BY 'nobody-pw';" || abort "the test users cannot be made"
printf 'Pw-7781-secret\n' >"$tmp/password"
h=$(new_home library)
"$cli" --home "$h" import-db --socket "$sock" --user reader --password-file "$tmp/password" --database library \
  >"$tmp/library.out" 2>&1
check "library: import-db as a user with SELECT rights, password from a file" [ $? -eq 0 ]
out=$tmp/library.out
while IFS= read -r expected; do
  [ -n "$expected" ] || continue
  if [ "$(grep -c -F -- "$expected" "$out")" -eq 1 ]; then pass "library: one warning: $expected"
  else fail "library: expected exactly one line with: $expected"; cat "$out"; fi
done <<'LIST'
警告：表book_titles：是视图，已跳过
警告：表edition：主键由多列（bookIsbn、number）组成
警告：表audit_log：没有主键
警告：表book的列status：enum('draft','published')列按字符串导入
警告：表book的列tags：set('new','hot')列按字符串导入
警告：表book的列meta：JSON列按字符串导入
警告：表book的列cover：类型blob没有对应的成员类型，已跳过该列
警告：表review：外键fk_review_edition由多列（bookIsbn、editionNumber）组成
警告：表review的列body：mediumtext列按字符串导入
警告：表author的列bio：text列按字符串导入
警告：表book的列Title：成员名必须以小写字母开头，已改为title
警告：表book的列order：“order”是MySQL保留字
警告：表author的列born：允许为空，但日期型成员总是必填，已设为必填
警告：表review的列score：允许为空，但浮点型成员总是必填，已设为必填
推测：类Book的显示成员为title；列表显示成员为isbn、title、status、tags、meta
LIST
check "library: nothing else is warned about" [ "$(grep -c '^警告：' "$out")" -eq 14 ]
"$cli" --home "$h" export library >"$tmp/library.json"
php -r '
  $p = json_decode(file_get_contents($argv[1]), true)["projects"][0];
  $m = array();
  foreach ($p["classes"] as $c) foreach ($c["members"] as $x) $m[$c["className"] . "." . $x["memberName"]] = $x;
  $names = array_map(function ($c) { return $c["className"] . "=" . $c["friendName"]; }, $p["classes"]);
  $ok = $names === array("Author=作者", "Book=图书", "Review=review")
     && $m["Book.authorId"]["memberType"] === "Author" && $m["Book.isbn"]["memberIsPri"] == 1
     && $m["Book.isbn"]["memberLength"] == 20 && $m["Book.price"]["memberType"] === "浮点型"
     && $m["Book.published"]["memberType"] === "日期型" && $m["Book.status"]["memberLength"] == 9
     && $m["Author.bio"]["memberLength"] == 1000 && $m["Author.bio"]["memberIsMust"] == 0
     && $m["Review.bookIsbn"]["memberType"] === "字符串" && $m["Author.name"]["memberComment"] === "姓名"
     && $m["Book.status"]["memberComment"] === "status" && !isset($m["Book.cover"]) && !isset($m["Book.order"]);
  if (!$ok) { echo json_encode($p, JSON_UNESCAPED_UNICODE | JSON_PRETTY_PRINT), "\n"; exit(1); }' "$tmp/library.json"
check "library: classes, friendly names, reference, key, types and lengths as mapped" [ $? -eq 0 ]
check "library: the password is nowhere in the model" bash -c "! grep -q -a 'Pw-7781-secret' '$h/projects.mdb'"
"$cli" --home "$h" generate library >"$tmp/library.gen" 2>&1
check "library: the imported project generates" [ $? -eq 0 ]
"$cli" --home "$h" sql library --prefix php_ >"$tmp/library2.sql" && sql -e "CREATE DATABASE library2" \
  && sql library2 <"$tmp/library2.sql"
check "library: its generated script loads into a second database" [ $? -eq 0 ]
check "library: every class has its table there" \
  [ "$(sql -N -e "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA='library2' AND TABLE_NAME IN ('php_author','php_book','php_review')")" -eq 3 ]
printf 'Pw-7781-secret\n' | "$cli" --home "$h" import-db --socket "$sock" --user reader --password-file - \
  --database library --project fromstdin >/dev/null 2>&1
check "library: the password may come from standard input" [ $? -eq 0 ]

# ---- 3. Faults: a clear message, exit 1, the model unchanged ----
projects_before=$("$cli" --home "$h" projects)
sum_before=$(md5sum <"$h/projects.mdb")
fault() {
  local label=$1 expected=$2; shift 2
  "$cli" --home "$h" import-db --project "${fault_project:-fault}" "$@" >"$tmp/fault.out" 2>&1
  local status=$?
  if [ $status -eq 1 ] && grep -q -F -- "$expected" "$tmp/fault.out"; then pass "$label: exit 1, \"$expected\""
  else fail "$label: exit $status, output:"; cat "$tmp/fault.out"; fi
  check "$label: the model is unchanged" \
    [ "$("$cli" --home "$h" projects)" = "$projects_before" -a "$(md5sum <"$h/projects.mdb")" = "$sum_before" ]
}
printf 'wrong\n' >"$tmp/wrong"
fault "wrong password" "用户名或密码错误" --socket "$sock" --user reader --password-file "$tmp/wrong" --database library
fault "no password" "用户名或密码错误" --socket "$sock" --user reader --database library
port=$(free_port)
fault "unreachable server" "无法连接数据库服务器127.0.0.1:$port" --host 127.0.0.1 --port "$port" \
  --user reader --database library
fault "unknown database" "数据库nosuch不存在" --socket "$sock" --user root --database nosuch
printf 'nobody-pw\n' >"$tmp/nobody"
fault "user without rights" "用户nobody无权访问数据库library" --socket "$sock" --user nobody \
  --password-file "$tmp/nobody" --database library
fault_project=library fault "a project of that name exists" "项目library已经存在" --socket "$sock" --user root \
  --database library
"$cli" --home "$h" import-db --socket "$sock" --host 127.0.0.1 --user root --database library >/dev/null 2>&1
check "--socket and --host together are a usage error (exit 2)" [ $? -eq 2 ]

summary
[ "$failed" -eq 0 ]
