<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8" />
<title>管理中心 - <{$site_name}></title>
<link href="<{$css_root}>images/admincp.css" rel="stylesheet" type="text/css" />
<link href="<{$css_root}>images/favicon.svg" rel="icon" type="image/svg+xml" />
</head>
<body class="frame-page">
<div id="frame_head" class="frame-head">
  <div class="frame-brand">
    <a href="<{$web_url}>" target="_blank" title="打开网站首页"><{$site_name}></a>
    <span>管理中心</span>
  </div>
  <ul id="frame_tabs" class="frame-tabs">
$topMenuString
  </ul>
  <div class="frame-user">
    <span class="frame-user-name"><{$admin_name}></span>
    <a href="index.php?act=welcome" target="main" onclick="fnOnMenuClick(this, '欢迎');">首页</a>
<{if $site_owner}>
    <a href="accounts.php" target="main" id="frame_accounts" onclick="fnOnMenuClick(this, '账号与权限');">账号与权限</a>
    <a href="changes.php" target="main" id="frame_changes" onclick="fnOnMenuClick(this, '修改记录');">修改记录</a>
<{/if}>
    <form method="post" action="signin.php?act=logout" target="_top">
      <input type="submit" class="frame-logout" id="frame_logout" value="退出" />
    </form>
  </div>
</div>
<div id="frame_body" class="frame-body">
  <div id="frame_side" class="frame-side">
    <h2 id="frame_menu_title">功能菜单</h2>
    <div id="frame_menu" class="frame-menu">
$contentMenuString
    </div>
  </div>
  <div class="frame-main">
    <div class="frame-crumb">当前位置: <span id="frame_position">欢迎</span></div>
    <iframe name="main" id="main" src="index.php?act=welcome" title="内容"></iframe>
  </div>
</div>
<{literal}>
<script type="text/javascript">
/* Marks the clicked tab, shows its menu (the block "menu_" + lowerClassName)
   and opens the first page of that menu in the frame "main". */
function fnOnTabClick(link, lowerClassName, friendName) {
    var tabs = document.getElementById('frame_tabs').getElementsByTagName('li');
    for (var i = 0; i < tabs.length; i++) {
        tabs[i].className = '';
    }
    var item = link;
    while (item && item.nodeName !== 'LI') {
        item = item.parentNode;
    }
    if (item) {
        item.className = 'current';
    }
    var blocks = document.getElementById('frame_menu').getElementsByTagName('ul');
    var shown = null;
    for (var j = 0; j < blocks.length; j++) {
        var match = blocks[j].id === 'menu_' + lowerClassName;
        blocks[j].style.display = match ? 'block' : 'none';
        if (match) {
            shown = blocks[j];
        }
    }
    document.getElementById('frame_menu_title').textContent = friendName;
    if (shown) {
        var first = shown.getElementsByTagName('a')[0];
        if (first) {
            fnOnMenuClick(first, first.textContent);
            window.frames['main'].location.href = first.href;
        }
    }
    return false;
}

/* Marks the clicked menu entry and shows its title above the frame; the
   link itself opens the page in the frame "main". */
function fnOnMenuClick(link, title) {
    var links = document.getElementById('frame_menu').getElementsByTagName('a');
    for (var i = 0; i < links.length; i++) {
        links[i].className = '';
    }
    link.className = 'current';
    document.getElementById('frame_position').textContent = title;
    return true;
}

/* The tab, menu entry and position follow the page shown in the frame,
   also when it was reached by a link inside it (a message page moving on
   to the list, the edit link of a record). */
function fnOnFrameLoad() {
    var frame = document.getElementById('main');
    var loc, doc;
    try {
        loc = frame.contentWindow.location;
        doc = frame.contentDocument;
    } catch (e) {
        return;
    }
    if (!loc || !doc || loc.href === 'about:blank') {
        return;
    }
    var script = loc.pathname.replace(/^.*\//, '');
    var act = (/[?&]act=([^&#]*)/.exec(loc.search) || [])[1] || 'show';
    var links = document.getElementById('frame_menu').getElementsByTagName('a');
    var entry = null;
    var block = null;
    for (var i = 0; i < links.length; i++) {
        var m = /^([^?#]+)\?act=([^&#]*)/.exec(links[i].getAttribute('href') || '');
        if (m && m[1] === script) {
            block = links[i].parentNode.parentNode;
            if (m[2] === act) {
                entry = links[i];
            }
        }
    }
    for (var j = 0; j < links.length; j++) {
        links[j].className = links[j] === entry ? 'current' : '';
    }
    var title = doc.title || '';
    if (block) {
        var name = block.id.replace(/^menu_/, '');
        var tabs = document.getElementById('frame_tabs').getElementsByTagName('a');
        for (var k = 0; k < tabs.length; k++) {
            var tm = /fnOnTabClick\(this,'([^']*)','([^']*)'\)/.exec(tabs[k].getAttribute('onclick') || '');
            var current = tm !== null && tm[1] === name;
            tabs[k].parentNode.parentNode.className = current ? 'current' : '';
            if (current) {
                document.getElementById('frame_menu_title').textContent = tm[2];
                if (!entry) {
                    // An edit page is titled like the list; a message page by itself.
                    title = tm[2] + ' › ' + (act === 'edit' && title !== '提示信息' ? '编辑' : title);
                }
            }
        }
        var blocks = document.getElementById('frame_menu').getElementsByTagName('ul');
        for (var b = 0; b < blocks.length; b++) {
            blocks[b].style.display = blocks[b] === block ? 'block' : 'none';
        }
    }
    document.getElementById('frame_position').textContent = entry ? entry.textContent : title;
}
document.getElementById('main').addEventListener('load', fnOnFrameLoad);

/* The first tab is open when the frame is shown. */
(function () {
    var first = document.getElementById('frame_tabs').getElementsByTagName('a')[0];
    if (first && first.onclick) {
        var item = first.parentNode.parentNode;
        item.className = 'current';
        var blocks = document.getElementById('frame_menu').getElementsByTagName('ul');
        if (blocks.length > 0) {
            blocks[0].style.display = 'block';
            document.getElementById('frame_menu_title').textContent = first.textContent;
        }
    }
})();
</script>
<{/literal}>
</body>
</html>
