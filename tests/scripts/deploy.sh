#!/bin/bash
# A generated site deployed behind real web servers, as the help says:
#   deploy.sh SOURCE_DIR HOME_DIR
# Generates the e2e model's site with quorrel-cli, creates the database and
# its account with the help's help/site-database.sql on a private MariaDB
# (Unix socket, no network) and loads the script as that account. Then serves
# the site with Apache 2.4 + mod_php or PHP-FPM (configuration built from
# help/apache-site.conf) and with nginx + PHP-FPM (help/nginx-site.conf and
# help/nginx-site-rules.conf), each at the web root and in the sub-folder
# /shop/, on free loopback ports, everything in a temporary folder, and
# checks the access rules, headers, cookie flags, a 1.5 MB upload and the
# removal of a record's pictures with plain HTTP requests. Every server is
# stopped by its pid on exit. Set DEPLOY_KEEP=1 to keep the temporary folder.
# Ends with the line "N passed, N failed".
set -uo pipefail
export PATH=$PATH:/usr/sbin:/sbin

src=$(cd "${1:?usage: deploy.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2
home_in=$(cd "${2:?usage: deploy.sh SOURCE_DIR HOME_DIR}" && pwd) || exit 2

. "$src/tests/scripts/support/common.sh"
require_tools php mariadbd mariadb-install-db mariadb curl apache2 nginx php-fpm8.2
apache_modules=/usr/lib/apache2/modules
[ -f "$apache_modules/libphp8.2.so" ] || skip "libapache2-mod-php8.2 is not installed"
[ -f "$home_in/help/apache-site.conf" ] || { echo "no help/ in $home_in (build the 'home' target)" >&2; exit 1; }


tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorrel-deploy.XXXXXX")
# The servers' own users reach the site, the database socket and the PHP
# socket through this folder.
chmod 755 "$tmp"
MARIADB_PID="" server_pid="" fpm_pid="" watch_pid=""

cleanup() {
  stop_pid "$server_pid"
  stop_pid "$fpm_pid"
  stop_pid "$MARIADB_PID"
  [ -n "$watch_pid" ] && kill "$watch_pid" 2>/dev/null
  wait 2>/dev/null
  if [ "${DEPLOY_KEEP:-0}" = 1 ]; then echo "kept $tmp"; else rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Should this shell be killed outright, the watchdog still stops the servers.
( while kill -0 $$ 2>/dev/null; do sleep 2; done
  for f in "$tmp"/run/*.pid "$tmp/mysqld.pid"; do [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null; done
  sleep 5; rm -rf "$tmp" ) >/dev/null 2>&1 &
watch_pid=$!

# Run as root, the servers hand their work to www-data, as on a real host.
run_user="" 
if [ "$(id -u)" -eq 0 ]; then
  id www-data >/dev/null 2>&1 || skip "user www-data is missing"
  run_user=www-data
fi
give() { [ -z "$run_user" ] || chown -R "$run_user:$run_user" "$@"; }


# --- the database, as the help's account ----------------------------------
start_mariadb "$tmp" || abort "mariadbd did not start"
sock=$MARIADB_SOCKET
chmod 755 "$tmp/data" 2>/dev/null
db_root=(mariadb --no-defaults --socket="$sock" -uroot)
db_password="deploy-$RANDOM$RANDOM$RANDOM"
help_sql=$home_in/help/site-database.sql
grep -q "change-this-long-password" "$help_sql" || abort "help/site-database.sql names a password to change"
sed "s/change-this-long-password/$db_password/" "$help_sql" | "${db_root[@]}" 2>"$tmp/account.err" \
  || { cat "$tmp/account.err"; abort "help/site-database.sql runs"; }
grant=$(grep -o "GRANT [^;]*;" "$help_sql")
help_page=$(tr -s ' \n' ' ' <"$home_in/help/index.html")
check "the help page shows the same GRANT as help/site-database.sql" grep -qF "$grant" <<<"$help_page"
db_site=(mariadb --no-defaults --socket="$sock" -usite "-p$db_password" site)

# --- the model and the generated site ----------------------------------------
home=$tmp/home
cp -a "$home_in" "$home" || abort "copy of the home folder $home_in"
rm -rf "$home/projects" "$home/projects.mdb"
cli=$home/quorrel-cli
[ -x "$cli" ] || abort "no quorrel-cli in $home_in"
"$cli" --home "$home" init >/dev/null || abort "quorrel-cli init"
"$cli" --home "$home" import "$src/tests/e2e/model.json" >"$tmp/import.log" 2>&1 \
  || { cat "$tmp/import.log"; abort "quorrel-cli import of the model"; }
(cd "$home" && "$cli" --home "$home" generate shop) >"$tmp/generate.log" 2>&1 \
  || { cat "$tmp/generate.log"; abort "quorrel-cli generate shop"; }
"$cli" --home "$home" sql shop --prefix php_ >"$tmp/script.sql" 2>"$tmp/sql.err" \
  || { cat "$tmp/sql.err"; abort "quorrel-cli sql shop"; }

if "${db_site[@]}" <"$tmp/script.sql" 2>"$tmp/load.err"; then
  pass "the generated script loads as the help's database account"
else
  cat "$tmp/load.err"; fail "the generated script loads as the help's database account"
fi
count_sql() { "${db_root[@]}" -N -e "$1" 2>/dev/null; }
fks=$(count_sql "SELECT COUNT(*) FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = 'site'")
check "the script made its foreign keys ($fks) and the administrators' table" \
  test "${fks:-0}" -ge 2 -a "$(count_sql "SHOW TABLES FROM site LIKE 'php_site_admin'")" = php_site_admin
check "the account cannot drop a table" \
  eval '! "${db_site[@]}" -e "DROP TABLE php_brand" 2>/dev/null'
check "the account cannot reach another database" \
  eval '! "${db_site[@]}" -e "CREATE DATABASE other" 2>/dev/null'

# --- the site in place ---------------------------------------------------------
# One copy serves every run: /shop at the web root, or the folder shop below
# the web root $tmp/www.
www=$tmp/www site=$tmp/www/shop
mkdir -p "$www" "$tmp/run"
cp -a "$home/projects/shop" "$site" || abort "copy of the generated site"
E2E_DB_SOCKET=$sock E2E_DB_USER=site E2E_DB_PASSWORD=$db_password E2E_DB_NAME=site \
  php "$src/tests/e2e/lib/configure-site.php" "$site/config.inc.php" >"$tmp/config.log" 2>&1 \
  || { cat "$tmp/config.log"; abort "config.inc.php written"; }
grep -q '^\$trust_forwarded_proto = false;' "$site/config.inc.php" || abort "config.inc.php has \$trust_forwarded_proto"
set_trust() { sed -i "s/^\\\$trust_forwarded_proto = .*;/\$trust_forwarded_proto = $1;/" "$site/config.inc.php"; }
[ -f "$site/.htaccess" ] || fail "generation put the access rules .htaccess in the site's folder"
# Files a careless deployment leaves behind, and probes that must never run.
cp "$site/config.inc.php" "$site/config.inc.php.bak"
# What a second generation leaves beside a controller the user edited.
cp "$site/admin/product.php" "$site/admin/product.php.new"
mkdir -p "$site/.git" && echo "[core] secret-git-config" >"$site/.git/config"
echo "{* secret-theme-template *}" >"$site/templates/default/news.tpl"
probe='<?php echo "RAN-" . (6 * 7);'
for f in probe.php probe.phtml probe.php5 probe.jpg; do echo "$probe" >"$site/attachments/picture/$f"; done
give "$site/cache" "$site/attachments"

# A real picture of about 1.5 MB (noise does not compress).
picture=$tmp/picture.png
php -r '$w = 720; $h = 720; $i = imagecreatetruecolor($w, $h);
  for ($y = 0; $y < $h; $y++) for ($x = 0; $x < $w; $x++) imagesetpixel($i, $x, $y, mt_rand(0, 0xFFFFFF));
  imagepng($i, $argv[1], 0);' "$picture"
picture_size=$(stat -c %s "$picture")
small=$tmp/small.png
php -r '$i = imagecreatetruecolor(40, 30); imagepng($i, $argv[1]);' "$small"
[ "$picture_size" -gt 1400000 ] && [ "$picture_size" -lt 2000000 ] || abort "a test picture of about 1.5 MB ($picture_size bytes)"

# --- HTTP ------------------------------------------------------------------------
# req PATH [curl options]: sets status, and leaves the answer in $tmp/body and
# its headers in $tmp/headers.
req() {
  local path=$1; shift
  status=$(curl -s --max-time 30 -o "$tmp/body" -D "$tmp/headers" -w '%{http_code}' "$@" "$base$path")
}
header_count() { grep -ci "^$1:" "$tmp/headers"; }
has_header() { grep -qi "^$1: *$2" "$tmp/headers"; }
body_has() { grep -qF -- "$1" "$tmp/body"; }
# The session cookie set by the last answer, in $cookie; false when none.
session_cookie() {
  local h
  cookie=""
  while IFS= read -r h; do
    h=${h%$'\r'}
    [[ ${h,,} == "set-cookie: sitesessid="* ]] && cookie=$h
  done <"$tmp/headers"
  [ -n "$cookie" ]
}
cookie_secure() { [[ "${cookie,,}; " == *"; secure; "* ]]; }
# The first line of a file that is not blank, in $line.
first_line() {
  line=""
  while IFS= read -r line || [ -n "$line" ]; do
    [[ $line =~ [^[:space:]] ]] && return 0
  done <"$1"
  line=$1
}

# Waits until a server answers on the port or its process ends.
wait_answer() {
  local pid=$1 port=$2 i
  for i in $(seq 600); do
    curl -s --max-time 2 -o /dev/null "http://127.0.0.1:$port/" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# --- the checks of one deployment ---------------------------------------------------
# checks NAME HEADERS(yes|no)
checks() {
  local name=$1 headers=$2 path file
  local -a denied=(.htaccess .project .buildpath .settings/org.eclipse.core.resources.prefs .git/config
    admin/.htaccess admin/.user.ini include/.htaccess attachments/.htaccess cache/.htaccess
    config.inc.php config.inc.php.bak admin/product.php.new
    admin/templates/admin/fream.tpl admin/templates/admin/product.html admin/templates/admin/product_add.html
    templates/default/news.tpl
    smarty/Smarty.class.php smarty/debug.tpl
    admin/include/global.php admin/include/site_database.class.php admin/include/site_session.php)

  # Sessions and compiled templates exist once the pages have run.
  use_the_site "$name"
  req admin/signin.php -c "$tmp/jar-probe"
  check "$name: the sign-in page answers 200" test "$status" = 200
  req code.php -b "$tmp/jar-probe" -c "$tmp/jar-probe"
  local sid
  sid=$(awk '$6 == "SITESESSID" { print $7 }' "$tmp/jar-probe" | tail -n 1)
  [ -n "$sid" ] && denied+=("cache/sessions/sess_$sid")
  file=$(cd "$site" && find cache -maxdepth 1 -name '*.php' | head -n 1)
  [ -n "$file" ] && denied+=("$file")

  for path in "${denied[@]}"; do
    [ -f "$site/$path" ] || { fail "$name: /$path is in the site to be refused"; continue; }
    req "$path"
    # Denied by a rule (403), not merely missing; the content never goes out.
    first_line "$site/$path"
    if [ "$status" = 403 ] && ! grep -qaF -- "$line" "$tmp/body"; then
      pass "$name: /$path is refused (403)"
    else
      fail "$name: /$path is refused (403), got $status"
    fi
  done
  req config.inc.php
  check "$name: the settings' source is not served" eval '! body_has dbpw'
  # The generator's record of the site (its first line is only "{").
  req .quorrel/manifest.json
  check "$name: /.quorrel/manifest.json is refused (403)" \
    eval '[ -f "$site/.quorrel/manifest.json" ] && [ "$status" = 403 ] && ! body_has sha256'

  for path in attachments/picture/probe.php attachments/picture/probe.phtml attachments/picture/probe.php5 \
              attachments/picture/probe.jpg/x.php attachments/picture/probe.php/x.jpg; do
    req "$path"
    if ! body_has "RAN-42" && [ "$status" != 200 ]; then
      pass "$name: /$path does not run ($status)"
    else
      fail "$name: /$path does not run, got $status"
    fi
  done
  req attachments/picture/probe.jpg
  check "$name: a file in attachments is served as a file, never run" body_has 'echo "RAN-"'

  for path in images/ attachments/ attachments/picture/ include/js/ templates/default/ admin/templates/admin/; do
    req "$path"
    if [ "$status" = 403 ] && ! body_has "Index of" && ! body_has "admincp.css\""; then
      pass "$name: /$path is not listed (403)"
    else
      fail "$name: /$path is not listed (403), got $status"
    fi
  done

  for path in "" index.php images/admincp.css images/favicon.svg include/js/jquery.js include/js/calendar.js \
              include/editor/xheditor.js attachments/picture/NoImage.jpg templates/default/style.css; do
    req "$path"
    check "$name: /$path is served (200)" test "$status" = 200
  done

  if [ "$headers" = yes ]; then
    req attachments/picture/NoImage.jpg
    check "$name: pictures in attachments: nosniff, once" eval 'has_header X-Content-Type-Options nosniff && [ "$(header_count X-Content-Type-Options)" = 1 ]'
    check "$name: pictures in attachments: Cache-Control no-cache" has_header Cache-Control no-cache
    req images/admincp.css
    check "$name: style sheet: nosniff, once" eval 'has_header X-Content-Type-Options nosniff && [ "$(header_count X-Content-Type-Options)" = 1 ]'
    req admin/signin.php
    check "$name: a page has X-Content-Type-Options and X-Frame-Options once each" \
      test "$(header_count X-Content-Type-Options)" = 1 -a "$(header_count X-Frame-Options)" = 1
  else
    req attachments/picture/NoImage.jpg
    check "$name: without the headers module pictures are still served (200)" test "$status" = 200
  fi

  # The session cookie: HttpOnly, SameSite=Strict, the site's path; Secure
  # only over HTTPS, which a proxy's X-Forwarded-Proto tells when trusted.
  req code.php
  local cookie
  session_cookie
  check "$name: the session cookie is HttpOnly, SameSite=Strict, path $base_path" \
    eval '[[ "${cookie,,}; " == *"; httponly; "* && "${cookie,,}; " == *"; samesite=strict; "* && "${cookie,,}; " == *"; path=$base_path; "* ]]'
  check "$name: over plain HTTP the cookie is not Secure" eval '[ -n "$cookie" ] && ! cookie_secure'
  req code.php -H "X-Forwarded-Proto: https"
  check "$name: an untrusted X-Forwarded-Proto does not make it Secure" eval 'session_cookie && ! cookie_secure'
  set_trust true
  req code.php -H "X-Forwarded-Proto: https"
  check "$name: behind a trusted TLS proxy the cookie is Secure" eval 'session_cookie && cookie_secure'
  req code.php
  check "$name: trusted, but a request without X-Forwarded-Proto: not Secure" eval 'session_cookie && ! cookie_secure'
  set_trust false
}

# Signs in (creating the administrator on the first visit), adds records,
# one with a 1.5 MB picture, and removes them again.
use_the_site() {
  local name=$1 jar=$tmp/jar-$RANDOM origin="http://127.0.0.1:$port" sid code
  local -a auth=(-b "$jar" -c "$jar" -H "Origin: $origin")
  req admin/signin.php -c "$jar"
  if body_has admin_password2; then
    req admin/signin.php "${auth[@]}" --data-urlencode act=setup --data-urlencode admin_name=admin \
      --data-urlencode admin_password=deploy-password --data-urlencode admin_password2=deploy-password
  else
    req code.php -b "$jar" -c "$jar"
    sid=$(awk '$6 == "SITESESSID" { print $7 }' "$jar" | tail -n 1)
    code=$(php -r '$d = @unserialize((string)@file_get_contents($argv[1]), array("allowed_classes" => false));
      echo is_array($d) && isset($d["site_captcha"]["code"]) ? $d["site_captcha"]["code"] : "";' "$site/cache/sessions/sess_$sid")
    [ -n "$code" ] || fail "$name: the captcha is in the session file"
    req admin/signin.php "${auth[@]}" --data-urlencode act=login --data-urlencode admin_name=admin \
      --data-urlencode admin_password=deploy-password --data-urlencode "captcha=$code"
  fi
  check "$name: signs in (sent on to the administration)" eval '[ "$status" = 303 ] && grep -qi "^Location: .*index\.php" "$tmp/headers"'
  req admin/index.php "${auth[@]}"
  check "$name: the administration opens once signed in" body_has "product.php"

  local tag=$RANDOM$RANDOM brand=b$RANDOM$RANDOM
  brand=${brand:0:10}
  req admin/category.php?act=addok "${auth[@]}" --data-urlencode "category[name]=c-$tag"
  req admin/brand.php?act=addok "${auth[@]}" --data-urlencode "brand[code]=$brand" --data-urlencode "brand[title]=b-$tag"
  local category
  category=$(count_sql "SELECT MAX(id) FROM site.php_category")
  req admin/product.php?act=addok "${auth[@]}" -F "product[name]=p-$tag" -F "product[added]=2024-05-01" \
    -F "product[category]=$category" -F "product[brand]=$brand" -F "product[price]=9.5" -F "product[stock]=3" \
    -F "product[note]=" -F "picture=@$picture;type=image/png;filename=big.png"
  check "$name: a record with a ${picture_size}-byte picture is added" eval '[ "$status" = 200 ] && body_has "添加成功"'
  req admin/product.php?act=addok "${auth[@]}" -F "product[name]=q-$tag" -F "product[added]=2024-05-02" \
    -F "product[category]=$category" -F "product[brand]=$brand" -F "product[price]=1" -F "product[stock]=1" \
    -F "product[note]="
  local with without stored thumb original
  with=$(count_sql "SELECT id FROM site.php_product WHERE name = 'p-$tag'")
  without=$(count_sql "SELECT id FROM site.php_product WHERE name = 'q-$tag'")
  stored=$(count_sql "SELECT picture FROM site.php_product WHERE name = 'p-$tag'")
  read -r thumb original < <(php -r '$p = @unserialize($argv[1], array("allowed_classes" => false));
    if (!is_array($p)) exit;
    $thumb = $argv[2] . substr($p["cover_dir"], 3) . $p["cover_name"];
    $originals = glob(dirname(dirname($thumb)) . "/" . pathinfo($p["cover_name"], PATHINFO_FILENAME) . ".*");
    echo $thumb, " ", $originals ? $originals[0] : "-";' "$stored" "$site/")
  check "$name: the thumbnail and the ${picture_size}-byte original are stored" \
    eval '[ -f "${thumb:-none}" ] && [ "$(stat -c %s "${original:-none}" 2>/dev/null)" = "$picture_size" ]'

  # The editor's upload endpoint is the one script of admin/include that answers.
  req admin/include/upload.php "${auth[@]}" -F "filedata=@$small;type=image/png;filename=small.png"
  check "$name: the editor's upload endpoint stores a picture" body_has '"err":""'

  req "admin/product.php?act=show&name=" "${auth[@]}"
  check "$name: the list page carries the site's icon" body_has 'rel="icon"'
  check "$name: the list shows the no-picture image" body_has "attachments/picture/NoImage.jpg"
  check "$name: no address on the list page has a double slash" \
    eval '! grep -oE "(src|href)=\"[^\"]*\"" "$tmp/body" | grep -qE "[^:]//"'

  # The export of a search, streamed through the server: the one record, after the header.
  req "admin/product.php?act=show&name=p-$tag&export=1" "${auth[@]}"
  check "$name: the export of a search is a CSV with a byte-order mark and the one record" \
    eval '[ "$status" = 200 ] && grep -qi "^Content-Type: text/csv" "$tmp/headers" && [ "$(head -c 3 "$tmp/body" | od -An -tx1 | tr -d " ")" = efbbbf ] && [ "$(grep -c "p-$tag" "$tmp/body")" = 1 ] && [ "$(wc -l <"$tmp/body")" = 2 ]'

  # The foreign keys the account could create keep a category in use.
  req "admin/category.php?act=remove&id=$category" "${auth[@]}"
  check "$name: a category in use is not deleted" \
    eval 'body_has "正被其他数据引用" && [ -n "$(count_sql "SELECT id FROM site.php_category WHERE id = $category")" ]'

  req "admin/product.php?act=remove&id=$with" "${auth[@]}"
  check "$name: removing the record removes its thumbnail and original" \
    eval 'body_has "删除成功" && [ -n "$thumb" ] && [ ! -e "$thumb" ] && [ -n "$original" ] && [ ! -e "$original" ]'
  req admin/product.php?act=delall "${auth[@]}" --data-urlencode "delid[]=$without"
  check "$name: delete-all removes the record without a picture" \
    test -z "$(count_sql "SELECT id FROM site.php_product WHERE name = 'q-$tag'")"

  # The change log holds what was done, by whom, and not the refused deletion.
  check "$name: the change log holds the additions, the removal with the picture's path, the deletion and the export" \
    test "$(count_sql "SELECT GROUP_CONCAT(act ORDER BY log_id SEPARATOR ' ') FROM site.php_site_change_log WHERE admin_name = 'admin' AND (class_name = 'Product' AND record_key IN ('$with', '$without') OR act = 'export' AND details LIKE '%p-$tag%') AND (act <> 'remove' OR details LIKE '%attachments/picture/%')")" = "add add export remove delete"
  check "$name: the refused deletion of the category in use is not logged" \
    test "$(count_sql "SELECT COUNT(*) FROM site.php_site_change_log WHERE class_name = 'Category' AND record_key = '$category' AND act = 'remove'")" = 0
  req "admin/changes.php?class=Product&key=$with" "${auth[@]}"
  check "$name: the change log page shows the record's history" eval '[ "$status" = 200 ] && body_has "p-$tag" && [ "$(grep -c "class=\"log-act\"" "$tmp/body")" = 2 ]'
}

# --- Apache with mod_php or PHP-FPM ---------------------------------------------------------
# apache_run NAME SITE_PATH HEADERS(yes|no) PHP(mod_php|fpm)
apache_run() {
  local name=$1 path=$2 headers=$3 php=$4 dir=$tmp/apache-$RANDOM attempt
  mkdir -p "$dir"
  sed -e "s|^Define SITE_DIR .*|Define SITE_DIR $site|" "$home_in/help/apache-site.conf" >"$dir/site.conf"
  [ -z "$path" ] || sed -i "s|^#Define SITE_SUBFOLDER .*|Define SITE_SUBFOLDER $path|" "$dir/site.conf"
  for attempt in 1 2 3 4 5; do
    port=$(free_port)
    {
      echo "ServerRoot $dir"
      echo "DefaultRuntimeDir $dir"
      echo "PidFile $tmp/run/apache.pid"
      echo "ErrorLog $dir/error.log"
      echo "LogLevel warn"
      echo "Listen 127.0.0.1:$port"
      echo "ServerName 127.0.0.1"
      for m in mpm_prefork authz_core authz_host mime dir alias autoindex; do
        echo "LoadModule ${m}_module $apache_modules/mod_$m.so"
      done
      [ "$headers" = yes ] && echo "LoadModule headers_module $apache_modules/mod_headers.so"
      if [ "$php" = fpm ]; then
        echo "LoadModule proxy_module $apache_modules/mod_proxy.so"
        echo "LoadModule proxy_fcgi_module $apache_modules/mod_proxy_fcgi.so"
      else
        echo "LoadModule php_module $apache_modules/libphp8.2.so"
      fi
      [ -n "$run_user" ] && printf 'User %s\nGroup %s\n' "$run_user" "$run_user"
      echo "StartServers 2"
      echo "MinSpareServers 1"
      echo "MaxSpareServers 4"
      echo "TypesConfig /etc/mime.types"
      echo "DocumentRoot $www"
      echo "<Directory />"
      echo "    AllowOverride None"
      echo "    Require all denied"
      echo "</Directory>"
      echo "<FilesMatch \".+\\.ph(ar|p|tml)\$\">"
      if [ "$php" = fpm ]; then
        echo "    SetHandler \"proxy:unix:$tmp/fpm/php.sock|fcgi://localhost\""
      else
        echo "    SetHandler application/x-httpd-php"
      fi
      echo "</FilesMatch>"
      # Settings read at each request: the test changes config.inc.php.
      [ "$php" = fpm ] || echo "php_admin_flag opcache.enable Off"
      echo "Include $dir/site.conf"
    } >"$dir/httpd.conf"
    # Its own session: at its end Apache signals its whole process group.
    setsid apache2 -f "$dir/httpd.conf" -DFOREGROUND >"$dir/stdout.log" 2>&1 &
    server_pid=$!
    wait_answer "$server_pid" "$port" && break
    stop_pid "$server_pid"; wait "$server_pid" 2>/dev/null; server_pid=""
    grep -qi "address already in use" "$dir/error.log" "$dir/stdout.log" 2>/dev/null || break
  done
  if [ -z "$server_pid" ]; then
    cat "$dir/stdout.log" "$dir/error.log" 2>/dev/null; fail "$name: Apache starts"; return
  fi
  pass "$name: Apache serves the site at http://127.0.0.1:$port$path/"
  base="http://127.0.0.1:$port$path/" base_path="$path/"
  checks "$name" "$headers"
  stop_pid "$server_pid"; wait "$server_pid" 2>/dev/null; server_pid=""
  if grep -E "\[(php|core):(error|crit|alert)|PHP (Fatal|Parse)" "$dir/error.log" >/dev/null; then
    fail "$name: no errors in Apache's log"; tail -n 20 "$dir/error.log"
  fi
}

# --- nginx + PHP-FPM ---------------------------------------------------------------------
start_fpm() {
  local dir=$tmp/fpm i
  mkdir -p "$dir"
  {
    echo "[global]"
    echo "pid = $tmp/run/fpm.pid"
    echo "error_log = $dir/error.log"
    echo "daemonize = no"
    echo "[site]"
    if [ -n "$run_user" ]; then
      echo "user = $run_user"
      echo "group = $run_user"
      echo "listen.owner = $run_user"
      echo "listen.group = $run_user"
    fi
    echo "listen = $dir/php.sock"
    echo "listen.mode = 0660"
    echo "pm = static"
    echo "pm.max_children = 3"
    echo "catch_workers_output = yes"
    echo "php_admin_value[error_log] = $dir/php-error.log"
    echo "php_admin_flag[opcache.enable] = off"
  } >"$dir/php-fpm.conf"
  php-fpm8.2 -F -y "$dir/php-fpm.conf" >"$dir/stdout.log" 2>&1 &
  fpm_pid=$!
  for i in $(seq 600); do
    [ -S "$dir/php.sock" ] && [ -s "$tmp/run/fpm.pid" ] && return 0
    kill -0 "$fpm_pid" 2>/dev/null || break
    sleep 0.1
  done
  cat "$dir/stdout.log" "$dir/error.log" 2>/dev/null
  fpm_pid=""
  return 1
}

# nginx_run NAME SITE_PATH
nginx_run() {
  local name=$1 path=$2 dir=$tmp/nginx-$RANDOM attempt server
  mkdir -p "$dir/temp"
  give "$dir/temp"
  cp "$home_in/help/nginx-site-rules.conf" "$dir/quorrel-site.conf"
  for attempt in 1 2 3 4 5; do
    port=$(free_port)
    server=$(sed -e "s|unix:/run/php/php8.2-fpm.sock|unix:$tmp/fpm/php.sock|" \
      -e "s|^\( *\)listen 80;|\1listen 127.0.0.1:$port;|" -e "s|^\( *\)server_name .*|\1server_name 127.0.0.1;|" \
      -e "s|/etc/nginx/snippets/quorrel-site.conf|$dir/quorrel-site.conf|" "$home_in/help/nginx-site.conf")
    if [ -z "$path" ]; then
      server=$(sed -e "s|^\( *\)root .*|\1root $site;|" <<<"$server")
    else
      # The help's sub-folder form: the web root above the site's folder and
      # the rules inside the site's location.
      server=$(sed -e "s|^\( *\)root .*|\1root $www;|" -e "s|^\( *\)include $dir/quorrel-site.conf;|\1# (root form)|" \
        -e "s|^\( *\)#location \^~ /shop/ |\1location ^~ $path/ |" <<<"$server")
    fi
    {
      [ -n "$run_user" ] && echo "user $run_user;"
      echo "worker_processes 1;"
      echo "pid $tmp/run/nginx.pid;"
      echo "error_log $dir/error.log warn;"
      echo "daemon off;"
      echo "events { worker_connections 64; }"
      echo "http {"
      echo "include /etc/nginx/mime.types;"
      echo "default_type application/octet-stream;"
      echo "access_log off;"
      for t in client_body fastcgi proxy uwsgi scgi; do echo "${t}_temp_path $dir/temp/$t;"; done
      echo "$server"
      echo "}"
    } >"$dir/nginx.conf"
    nginx -p "$dir" -e "$dir/error.log" -c "$dir/nginx.conf" >"$dir/stdout.log" 2>&1 &
    server_pid=$!
    wait_answer "$server_pid" "$port" && break
    stop_pid "$server_pid"; wait "$server_pid" 2>/dev/null; server_pid=""
    grep -qi "address already in use" "$dir/error.log" "$dir/stdout.log" 2>/dev/null || break
  done
  if [ -z "$server_pid" ]; then
    cat "$dir/nginx.conf" "$dir/stdout.log" "$dir/error.log" 2>/dev/null; fail "$name: nginx starts"; return
  fi
  pass "$name: nginx serves the site at http://127.0.0.1:$port$path/"
  base="http://127.0.0.1:$port$path/" base_path="$path/"
  checks "$name" yes
  stop_pid "$server_pid"; wait "$server_pid" 2>/dev/null; server_pid=""
}

apache_run "Apache (mod_php) at the root" "" yes mod_php
# Debian leaves mod_headers off: the site's rules must hold without it.
apache_run "Apache (mod_php) in /shop without mod_headers" "/shop" no mod_php
if start_fpm; then
  pass "PHP-FPM runs"
  apache_run "Apache (PHP-FPM) in /shop" "/shop" yes fpm
  nginx_run "nginx at the root" ""
  nginx_run "nginx in /shop" "/shop"
else
  fail "PHP-FPM starts"
fi
if [ -s "$tmp/fpm/php-error.log" ] && grep -E "PHP (Fatal|Parse)" "$tmp/fpm/php-error.log" >/dev/null; then
  fail "no fatal PHP errors under PHP-FPM"; tail -n 20 "$tmp/fpm/php-error.log"
fi

summary
[ "$failed" -eq 0 ]
