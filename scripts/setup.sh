#!/bin/bash
# Installs whatever this project needs that the machine lacks (Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libsqlite3-dev sqlite3 libmariadb-dev nlohmann-json3-dev libcli11-dev libgtest-dev libssl-dev diffutils
  qt6-base-dev fonts-noto-cjk xvfb xauth
  php-cli php-mysql php-gd php-mbstring mariadb-server smarty4 libjs-jquery
  dpkg-dev lintian desktop-file-utils man-db
  chromium
  apache2 libapache2-mod-php8.2 php8.2-fpm nginx curl
)
command -v node >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser driver for the end-to-end test (uses Debian's chromium).
if [ -f tests/e2e/package.json ] && [ ! -d tests/e2e/node_modules/playwright-core ]; then
  (cd tests/e2e && npm ci --no-audit --no-fund --loglevel=error)
fi
