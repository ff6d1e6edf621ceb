#!/bin/bash
# Makes docs/main-window.png: the main window on a small sample model,
# grabbed under Xvfb (or Qt's offscreen platform when Xvfb is missing).
#   scripts/screenshot.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "$build" = build ] && [ ! -x build/bin/quorrel ]; then
  scripts/build.sh
else
  cmake --build "$build" --target quorrel quorrel-cli >/dev/null
fi
bin=$build/bin

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
"$bin/quorrel-cli" --home "$home" init >/dev/null
cat >"$home/sample.json" <<'JSON'
{
  "projects": [
    {
      "projectName": "news_site",
      "classes": [
        {
          "className": "Article",
          "friendName": "文章",
          "members": [
            {"memberName": "articleId", "memberType": "整型", "memberIsPri": 1, "memberIsMust": 1, "memberComment": "编号"},
            {"memberName": "title", "memberType": "字符串", "memberLength": 100, "memberIsMust": 1, "queryFlag": 1, "memberIsDisplay": 1, "memberComment": "标题"},
            {"memberName": "category", "memberType": "Category", "memberIsMust": 1, "queryFlag": 1, "memberComment": "所属栏目"},
            {"memberName": "cover", "memberType": "图片型", "memberComment": "封面图片"},
            {"memberName": "price", "memberType": "浮点型", "memberIsMust": 1, "memberQueryDisplay": 0, "memberComment": "价格"},
            {"memberName": "publishDate", "memberType": "日期型", "memberIsMust": 1, "queryFlag": 1, "memberComment": "发布日期"},
            {"memberName": "content", "memberType": "字符串", "memberLength": 2000, "memberQueryDisplay": 0, "memberComment": "正文"}
          ]
        },
        {
          "className": "Category",
          "friendName": "栏目",
          "members": [
            {"memberName": "categoryId", "memberType": "整型", "memberIsPri": 1, "memberIsMust": 1, "memberComment": "编号"},
            {"memberName": "name", "memberType": "字符串", "memberLength": 30, "memberIsMust": 1, "memberIsDisplay": 1, "memberComment": "栏目名称"}
          ]
        },
        {
          "className": "Author",
          "friendName": "作者",
          "members": [
            {"memberName": "authorId", "memberType": "整型", "memberIsPri": 1, "memberIsMust": 1, "memberComment": "编号"},
            {"memberName": "name", "memberType": "字符串", "memberLength": 20, "memberIsMust": 1, "memberIsDisplay": 1, "memberComment": "姓名"}
          ]
        }
      ]
    },
    {"projectName": "shop", "classes": []}
  ]
}
JSON
"$bin/quorrel-cli" --home "$home" import "$home/sample.json" >/dev/null

mkdir -p docs
out=$PWD/docs/main-window.png
# The window at its usual size, whatever size the user's own window keeps.
export XDG_CONFIG_HOME="$home/config"
if command -v xvfb-run >/dev/null 2>&1; then
  xvfb-run -a -s "-screen 0 1024x768x24" "$bin/quorrel" --home "$home" --screenshot "$out" 2>/dev/null
else
  QT_QPA_PLATFORM=offscreen "$bin/quorrel" --home "$home" --screenshot "$out" 2>/dev/null
fi
echo "wrote docs/main-window.png"
