#!/bin/bash
# quorrel-cli migrate against a private MariaDB (Unix socket in a scratch
# folder, no network):
#   migrate.sh SOURCE_DIR HOME_DIR
#  1. each change of a model on its own, then all together: a site generated
#     and loaded with rows in every table, the model changed with
#     import --update, migrate (what the script says and leaves out, its exit
#     status), --apply, then the database compared column by column and key
#     by key with a fresh one made from `sql` of the new model, and every kept
#     row's values compared with the database before;
#  2. the model exported and imported into a second home with the site's
#     folder: the same script there;
#  3. the regenerated site on the migrated database: its pages with the old
#     rows, search, add, edit and delete;
#  4. faults: wrong password, unknown database, an account without the
#     rights, two --apply at once, a database changed by hand.
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin
src=$(cd "${1:?usage: migrate.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home=$(cd "${2:?usage: migrate.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb curl
cli=$home/quorrel-cli
[ -x "$cli" ] || { echo "no quorrel-cli in $home (build it first)" >&2; exit 1; }
support=$src/tests/scripts/support/migrate

make_scratch migrate
php_pid=""
# MIGRATE_KEEP=1 keeps the scratch folder for a look afterwards.
trap 'stop_pid "$php_pid"; stop_pid "$MARIADB_PID"; wait 2>/dev/null; [ "${MIGRATE_KEEP:-0}" = 1 ] && echo "kept $tmp" || rm -rf "$tmp"' EXIT

start_mariadb "$tmp/server" || abort "MariaDB did not start"
sock=$MARIADB_SOCKET
sql() { mariadb --no-defaults --socket="$sock" -uroot "$@"; }

# The model every scenario starts from: the end-to-end model and a class
# Maker that a reference can move to.
php "$support/edit_model.php" "$src/tests/e2e/model.json" "$tmp/base.json" base || abort "the base model"


rows="INSERT INTO php_category(id,name) VALUES (1,'书籍'),(2,'文具用品类');
INSERT INTO php_brand VALUES ('b1','牌一'),('b2','牌二');
INSERT INTO php_maker VALUES ('b1','厂一'),('b2','厂二');
INSERT INTO php_product(id,name,added,category,brand,price,stock,picture,note) VALUES
 (1,'钢笔','2024-01-01',2,'b1',12.5,3,'',NULL),(2,'词典','2024-02-02',1,'b2',30,7,'a:0:{}','厚的'),
 (3,'O''Brien\\\\s','2024-03-03',1,'b1',1,0,'','');"

# A site generated from the base model into home $1, and two databases made
# from its script with the same rows: $1 (to migrate) and $1_before.
generated_site() {
  local name=$1 h
  h=$(new_home "$name")
  "$cli" --home "$h" import "$tmp/base.json" >/dev/null || abort "$name: import"
  "$cli" --home "$h" generate shop >"$tmp/$name.gen" 2>&1 || { cat "$tmp/$name.gen"; abort "$name: generate"; }
  "$cli" --home "$h" sql shop >"$tmp/$name.base.sql" || abort "$name: sql"
  for db in "$name" "${name}_before"; do
    sql -e "CREATE DATABASE $db CHARACTER SET utf8mb4" && sql "$db" <"$tmp/$name.base.sql" && sql "$db" -e "$rows" \
      || abort "$name: the database $db with rows"
  done
  "$cli" --home "$h" export shop >"$tmp/$name.before.json"
}

structure() {
  sql "$1" -N -e "SELECT TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, COLUMN_TYPE, IS_NULLABLE, IFNULL(COLUMN_DEFAULT, '-'),
      EXTRA, COLUMN_COMMENT, IFNULL(COLLATION_NAME, '-') FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()
      ORDER BY 1, 3;
    SELECT TABLE_NAME, COLUMN_NAME, IF(CONSTRAINT_NAME = 'PRIMARY', 'PRIMARY', 'FOREIGN'), IFNULL(REFERENCED_TABLE_NAME, '-'),
      IFNULL(REFERENCED_COLUMN_NAME, '-') FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = DATABASE()
      ORDER BY 1, 2, 3, 4;"
}

migrate() { local h=$1 db=$2; shift 2; "$cli" --home "$h" migrate shop --socket "$sock" --user root --database "$db" "$@"; }

# scenario NAME CHANGES (comma-separated) EXPECTED-STATUS PATTERN...
# Each PATTERN is a fixed text the first script holds; "!TEXT" one it lacks.
scenario() {
  local name=$1 changes=$2 expected=$3 h status pattern
  shift 3
  generated_site "$name"
  h=$tmp/$name
  # shellcheck disable=SC2086
  php "$support/edit_model.php" "$tmp/$name.before.json" "$tmp/$name.after.json" ${changes//,/ } || abort "$name: edit"
  "$cli" --home "$h" import --update shop "$tmp/$name.after.json" >/dev/null 2>"$tmp/$name.update.err" \
    || { cat "$tmp/$name.update.err"; abort "$name: import --update"; }
  "$cli" --home "$h" export shop >"$tmp/$name.after.json"

  migrate "$h" "$name" >"$tmp/$name.script" 2>"$tmp/$name.err"
  status=$?
  check "$name: migrate exits with $expected" [ "$status" = "$expected" ]
  for pattern in "$@"; do
    if [ "${pattern:0:1}" = "!" ]; then
      check "$name: the script lacks ${pattern:1}" eval '! grep -qF -- "${pattern:1}" "$tmp/$name.script"'
    else
      check "$name: the script says $pattern" grep -qF -- "$pattern" "$tmp/$name.script"
    fi
  done
  [ "$status" = 0 ] || [ "$status" = 4 ] || { cat "$tmp/$name.script" "$tmp/$name.err"; return; }
  local allow=()
  [ "$status" = 4 ] && allow=(--allow-data-loss)
  migrate "$h" "$name" "${allow[@]}" --apply >"$tmp/$name.applied" 2>"$tmp/$name.apply.err"
  check "$name: --apply succeeds" [ $? = 0 ]
  migrate "$h" "$name" >"$tmp/$name.again" 2>&1
  check "$name: a second migrate finds nothing to do" eval 'grep -qF "数据库已与模型一致" "$tmp/$name.again"'
  sql -e "CREATE DATABASE ${name}_fresh CHARACTER SET utf8mb4" && "$cli" --home "$h" sql shop | sql "${name}_fresh" \
    || abort "$name: the fresh database"
  if diff <(structure "$name") <(structure "${name}_fresh") >"$tmp/$name.diff"; then
    pass "$name: the migrated database has the structure of a fresh one, column by column"
  else
    fail "$name: the migrated database differs from a fresh one:"; cat "$tmp/$name.diff" "$tmp/$name.applied"
  fi
  local before after same=1
  while IFS=$'\t' read -r before after; do
    diff <(sql "${name}_before" -N -e "$before") <(sql "$name" -N -e "$after") >>"$tmp/$name.rows" || same=0
  done < <(php "$support/row_queries.php" "$tmp/$name.before.json" "$tmp/$name.after.json" php_)
  if [ "$same" = 1 ] && [ -s "$tmp/$name.script" ]; then
    pass "$name: every kept row keeps its values"
  else
    fail "$name: rows changed:"; cat "$tmp/$name.rows"
  fi
}

# ---- 1. Each change, then all ----
scenario rename_member rename-member 0 'RENAME COLUMN `name` TO `title`' '!DROP COLUMN' '!ADD COLUMN'
scenario add_required add-required 0 'ADD COLUMN `weight` int(11) NOT NULL DEFAULT 0' \
  "ADD COLUMN \`sku\` varchar(20) COLLATE utf8_bin NOT NULL DEFAULT ''" '新增列 php_product.weight：必填，已有的行取默认值0'
scenario widen widen 0 'MODIFY COLUMN `note` varchar(200) COLLATE utf8_bin NULL' \
  "MODIFY COLUMN \`title\` varchar(60) COLLATE utf8_bin NOT NULL COMMENT '品牌全称'" '!会丢失数据'
scenario narrow narrow 4 '修改列 php_category.name：类型varchar(30) → varchar(4)' '1行超出新的长度，会被截断' \
  '!MODIFY COLUMN `name` varchar(4)'
scenario rename_class rename-class 0 'RENAME TABLE `php_category` TO `php_section`' 'DROP FOREIGN KEY' \
  'FOREIGN KEY (`category`) REFERENCES `php_section` (`id`)' '!DROP TABLE' '!CREATE TABLE'
scenario remove_member remove-member 4 '删除列 php_product.stock：模型中已没有这个成员（3行有值）' '!DROP COLUMN'
scenario move_reference move-reference 4 '引用改指向另一个类maker（0行会指向不存在的记录）' '!REFERENCES `php_maker`'
scenario change_key change-key 4 '更换主键 php_maker：code → title：类的主键换成了另一个成员' '!PRIMARY KEY ('
scenario every rename-member,add-required,widen,narrow,rename-class,remove-member,move-reference 4 \
  'RENAME TABLE `php_category` TO `php_section`' 'RENAME COLUMN `name` TO `title`' '会丢失数据的变更4项'

# ---- 2. The same script on a colleague's machine ----
# The colleague has the site's folder (in version control) and the model
# file; the model's identities come with it.
h2=$(new_home colleague)
generated_site second
"$cli" --home "$h2" import "$tmp/second.before.json" >/dev/null || fail "the colleague imports the exported model"
mkdir -p "$h2/projects" && cp -a "$tmp/second/projects/shop" "$h2/projects/shop"
php "$support/edit_model.php" "$tmp/second.before.json" "$tmp/second.after.json" rename-member rename-class add-required
"$cli" --home "$tmp/second" import --update shop "$tmp/second.after.json" >/dev/null
"$cli" --home "$h2" import --update shop "$tmp/second.after.json" >/dev/null
migrate "$tmp/second" second >"$tmp/second.script" 2>&1
migrate "$h2" second >"$tmp/colleague.script" 2>&1
check "the colleague's program writes the same script, renames included" \
  eval 'cmp -s "$tmp/second.script" "$tmp/colleague.script" && grep -qF "RENAME TABLE" "$tmp/colleague.script"'

# The help's account for changes applies it (a table rename needs DROP).
grep -F "site_admin_changes" "$home/help/index.html" | sed -e 's/<[^>]*>//g' -e 's/ON site\.\*/ON second.*/' \
  -e 's/change-this-other-password/changes-pw/' | sql 2>"$tmp/changes.err" || { cat "$tmp/changes.err"; fail "the help's account"; }
echo changes-pw >"$tmp/changes.pw"
"$cli" --home "$h2" migrate shop --socket "$sock" --user site_admin_changes --password-file "$tmp/changes.pw" \
  --database second --apply >/dev/null 2>"$tmp/changes.out"
st=$?
check "the help's account for changes applies a migration with a table rename" \
  eval '[ $st = 0 ] && [ "$(sql second -N -e "SHOW TABLES LIKE \"php_section\"")" = php_section ]'

# ---- 3. The regenerated site on the migrated database ----
# Before regenerating, the developer has edited the site as generated from
# the first model: the list's page size in the controller, a column's label
# on the list page, and on the edit page the line of a member the model
# renames (which no merge can settle).
h=$tmp/every
site=$h/projects/shop
sed -i 's/\$perpage = 5;/$perpage = 2;/' "$site/admin/product.php"
sed -i 's|<th>上架日期</th>|<th>上架时间</th>|' "$site/admin/templates/admin/product.html"
sed -i '0,/商品名称/s//商品的名称/' "$site/admin/templates/admin/product_edit.html"
grep -qF '$perpage = 2;' "$site/admin/product.php" && grep -qF '上架时间' "$site/admin/templates/admin/product.html" \
  && grep -qF '商品的名称' "$site/admin/templates/admin/product_edit.html" || abort "the edits of the site"
"$cli" --home "$h" plan shop >"$tmp/every.plan" 2>&1
check "plan: the edited controller and list page merge, the edit page conflicts" \
  eval 'grep -qP "^merge\tadmin/product.php$" "$tmp/every.plan" && grep -qP "^merge\tadmin/templates/admin/product.html$" "$tmp/every.plan" && grep -qP "^conflict\tadmin/templates/admin/product_edit.html$" "$tmp/every.plan"'
"$cli" --home "$h" generate shop >"$tmp/all.regen" 2>&1 || { cat "$tmp/all.regen"; fail "regenerate"; }
check "the merged controller keeps its page size and has the renamed member" \
  eval 'grep -qF "\$perpage = 2;" "$site/admin/product.php" && grep -qF "title" "$site/admin/product.php" && [ -f "$site/admin/product.php.orig" ]'
check "the conflicting page is left as it was, the merge with its markers beside it, and it is listed" \
  eval 'grep -qF "商品的名称" "$site/admin/templates/admin/product_edit.html" && grep -q "^<<<<<<< 你的修改" "$site/admin/templates/admin/product_edit.html.new" && grep -qF "admin/templates/admin/product_edit.html" "$site/.quorrel/unmerged.json"'
check "the run says which file conflicts" grep -qF "projects/shop/admin/templates/admin/product_edit.html.new" "$tmp/all.regen"
# Serves the site on the migrated database with php -S, once it answers.
serve_site() {
  E2E_DB_SOCKET=$sock E2E_DB_USER=root E2E_DB_PASSWORD= E2E_DB_NAME=every \
    php "$src/tests/e2e/lib/configure-site.php" "$site/config.inc.php" >/dev/null || abort "config.inc.php"
  (cd "$site" && exec setsid php -S "127.0.0.1:$port" -t "$site") >"$tmp/php.log" 2>&1 &
  php_pid=$!
  for _ in $(seq 300); do
    curl -s -o /dev/null "http://127.0.0.1:$port/admin/signin.php" && break
    kill -0 "$php_pid" 2>/dev/null || break
    sleep 0.1
  done
}
port=$(free_port)
serve_site
base=http://127.0.0.1:$port/
jar=$tmp/jar
req() { local path=$1; shift; status=$(curl -s --max-time 30 -o "$tmp/body" -w '%{http_code}' -b "$jar" -c "$jar" -H "Origin: http://127.0.0.1:$port" "$@" "$base$path"); }
body_has() { grep -qF -- "$1" "$tmp/body"; }
req admin/signin.php
req admin/signin.php --data-urlencode act=setup --data-urlencode admin_name=admin \
  --data-urlencode admin_password=migrate-password --data-urlencode admin_password2=migrate-password
req "admin/product.php?act=show&page=2"
check "the list page shows the old rows under the renamed member" eval '[ "$status" = 200 ] && body_has "钢笔"'
req "admin/product.php?act=show"
check "the first page holds the edited page size of rows" eval 'body_has "词典" && ! body_has "钢笔"'
check "the list shows the references moved to the renamed and the new class" eval 'body_has "书籍" && body_has "厂一" && body_has "厂二"'
req "admin/product.php?act=show&title=%E8%AF%8D"
check "search by the renamed member finds the old row" eval 'body_has "词典" && ! body_has "钢笔"'
req admin/product.php?act=addok -F "product[title]=新品" -F "product[added]=2024-05-01" -F "product[category]=1" \
  -F "product[brand]=b2" -F "product[price]=9.5" -F "product[note]=" -F "product[weight]=5" -F "product[sku]=S-1"
check "a record is added with the new required members" \
  eval 'body_has "添加成功" && [ "$(sql every -N -e "SELECT CONCAT(weight, sku) FROM php_product WHERE title = \"新品\"")" = "5S-1" ]'
php -r '$i = imagecreatetruecolor(40, 30); imagepng($i, $argv[1]);' "$tmp/small.png"
req admin/product.php?act=addok -F "product[title]=有图" -F "product[added]=2024-05-03" -F "product[category]=2" \
  -F "product[brand]=b1" -F "product[price]=1" -F "product[note]=" -F "product[weight]=1" -F "product[sku]=S-3" \
  -F "picture=@$tmp/small.png;type=image/png;filename=small.png"
check "a record with a picture is added, its picture stored" \
  eval 'body_has "添加成功" && [ -n "$(sql every -N -e "SELECT picture FROM php_product WHERE title = \"有图\" AND picture <> \"\"")" ]'
req "admin/product.php?act=show"
check "the list shows the new record's thumbnail beside the old rows" \
  eval 'grep -oE "attachments/picture/[^\"]*" "$tmp/body" | grep -qv NoImage && body_has "有图"'
check "the merged list page shows the edited label and pages by the edited size" \
  eval 'body_has "上架时间" && grep -q "page=2" "$tmp/body"'
req "admin/product.php?act=edit&id=2"
check "the unmerged edit page is refused with 503, naming the file to merge" \
  eval '[ "$status" = 503 ] && body_has "admin/templates/admin/product_edit.html.new" && ! body_has "词典"'
req "admin/section.php?act=show"
check "the rest of the site keeps working" eval '[ "$status" = 200 ] && body_has "书籍"'
stop_pid "$php_pid"; php_pid=""
"$cli" --home "$h" generate shop --overwrite-edited >"$tmp/all.regen2" 2>&1 || { cat "$tmp/all.regen2"; fail "regenerate"; }
serve_site
check "overwriting the edited files clears the list" eval '! grep -qF "product_edit" "$site/.quorrel/unmerged.json"'
req "admin/product.php?act=edit&id=2"
check "the edit page of an old row shows its values" eval '[ "$status" = 200 ] && body_has "词典" && body_has "厚的"'
req admin/product.php?act=editok -F "product[id]=2" -F "product[title]=词典二" -F "product[added]=2024-02-02" \
  -F "product[category]=1" -F "product[brand]=b2" -F "product[price]=31" -F "product[note]=厚的" -F "product[weight]=2" \
  -F "product[sku]=S-2"
check "an old row is edited" eval '[ "$(sql every -N -e "SELECT title FROM php_product WHERE id = 2")" = "词典二" ]'
req "admin/product.php?act=remove&id=3"
check "an old row is deleted" eval 'body_has "删除成功" && [ -z "$(sql every -N -e "SELECT id FROM php_product WHERE id = 3")" ]'
stop_pid "$php_pid"; php_pid=""

# ---- 4. Faults ----
generated_site faults
h=$tmp/faults
php "$support/edit_model.php" "$tmp/faults.before.json" "$tmp/faults.after.json" rename-class add-required
"$cli" --home "$h" import --update shop "$tmp/faults.after.json" >/dev/null
sql -e "CREATE USER 'reader'@'localhost' IDENTIFIED BY 'reader-pw'; GRANT SELECT ON faults.* TO 'reader'@'localhost';"
echo wrong >"$tmp/wrong"; echo reader-pw >"$tmp/reader"
structure faults >"$tmp/faults.start"
unchanged() { structure faults | cmp -s - "$tmp/faults.start"; }
"$cli" --home "$h" migrate shop --socket "$sock" --user reader --password-file "$tmp/wrong" --database faults --apply \
  >/dev/null 2>"$tmp/f1"
st=$?
check "a wrong password: exit 1, named, nothing applied" eval '[ $st = 1 ] && grep -qF "用户名或密码错误" "$tmp/f1" && unchanged'
migrate "$h" nosuchdb --apply >/dev/null 2>"$tmp/f2"
st=$?
check "an unknown database: exit 1, named" eval '[ $st = 1 ] && grep -qF "数据库nosuchdb不存在" "$tmp/f2"'
"$cli" --home "$h" migrate shop --socket "$sock" --user reader --password-file "$tmp/reader" --database faults --apply \
  >"$tmp/f3.out" 2>"$tmp/f3"
st=$?
check "an account without ALTER: exit 1, the rights named, nothing applied" \
  eval '[ $st = 1 ] && grep -qF "缺少数据库变更需要的权限" "$tmp/f3" && grep -qF ALTER "$tmp/f3" && unchanged'
check "the read-only account still gets the script" grep -qF 'RENAME TABLE `php_category` TO `php_section`' "$tmp/f3.out"

# Another migration holds the database's lock: the second is refused.
mkfifo "$tmp/hold"
sql -N <"$tmp/hold" >"$tmp/hold.out" &
holder=$!
exec 3>"$tmp/hold"
echo "SELECT GET_LOCK('quorrel-migrate:faults', 0);" >&3
for _ in $(seq 300); do
  [ "$(sql -N -e "SELECT IS_USED_LOCK('quorrel-migrate:faults') IS NOT NULL")" = 1 ] && break
  sleep 0.1
done
migrate "$h" faults --apply >/dev/null 2>"$tmp/f4"
st=$?
check "a second --apply at once is refused, nothing applied" \
  eval '[ $st = 1 ] && grep -qF "另一个数据库变更正在这个数据库上执行" "$tmp/f4" && unchanged'
exec 3>&-
wait "$holder"

# Changed by hand since the record: named and left alone.
sql faults -e "ALTER TABLE php_brand MODIFY title varchar(77) NOT NULL; ALTER TABLE php_product ADD COLUMN extra int NULL"
migrate "$h" faults >"$tmp/f5" 2>&1
check "a column changed by hand is named and left alone" \
  eval 'grep -qF "列php_brand.title：生成之后被手工改过" "$tmp/f5" && ! grep -q "COLUMN \`title\` varchar" "$tmp/f5"'
check "a column added by hand is named and left alone" \
  eval 'grep -qF "列php_product.extra：没有任何生成记录说明它" "$tmp/f5" && ! grep -q "DROP COLUMN" "$tmp/f5"'
migrate "$h" faults --apply >/dev/null 2>&1
check "after the rest is applied, the hand-made column is still there" \
  eval '[ "$(sql faults -N -e "SELECT COUNT(*) FROM php_product WHERE extra IS NULL")" = 3 ]'

# ---- 5. A hand-made schema read with import-db ----
# Types the model does not have, a column whose name differs from its
# member's in case, a foreign key over two columns to a table not imported.
h=$(new_home library)
sql -e "CREATE DATABASE library CHARACTER SET utf8mb4" && sql library <"$src/tests/scripts/support/import_db/library.sql" \
  || abort "the library database"
"$cli" --home "$h" import-db --socket "$sock" --user root --database library --project lib >/dev/null 2>&1 \
  || abort "import-db of the library"
"$cli" --home "$h" migrate lib --prefix "" --socket "$sock" --user root --database library >"$tmp/lib.script" 2>&1
st=$?
check "library: what cannot be changed without loss is left out (exit 4)" [ $st = 4 ]
check "library: a column named in another case is renamed, not added" \
  eval 'grep -qF "RENAME COLUMN \`Title\` TO \`title\`" "$tmp/lib.script" && ! grep -qF "ADD COLUMN \`title\`" "$tmp/lib.script"'
check "library: the columns of a foreign key outside the model keep their definition" \
  eval 'grep -qF "修改列 review.bookIsbn：它属于一个模型之外的外键" "$tmp/lib.script" && ! grep -qF "MODIFY COLUMN \`bookIsbn\`" "$tmp/lib.script"'
"$cli" --home "$h" migrate lib --prefix "" --socket "$sock" --user root --database library --apply >/dev/null 2>"$tmp/lib.err"
st=$?
"$cli" --home "$h" migrate lib --prefix "" --socket "$sock" --user root --database library >"$tmp/lib.again" 2>&1
check "library: the script applies and a second migrate has nothing more it may do" \
  eval '[ $st = 4 ] && grep -qF "脚本中的变更：无" "$tmp/lib.again"'
check "library: the foreign key outside the model is still there" \
  [ "$(sql library -N -e "SELECT COUNT(*) FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = 'library' AND CONSTRAINT_NAME = 'fk_review_edition'")" = 1 ]

summary
[ "$failed" -eq 0 ]
