<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8" />
<title>管理中心</title>
<script type="text/javascript">
function fnOnTabClick(link, name, title) {
  var blocks = document.getElementsByTagName("ul");
  for (var i = 0; i < blocks.length; i++)
    if (blocks[i].id.indexOf("menu_") == 0)
      blocks[i].style.display = blocks[i].id == "menu_" + name ? "block" : "none";
}
function fnOnMenuClick(link, title) { document.title = title; }
</script>
</head>
<body>
<ul class="tabs">
</ul>
<div class="menu">
</div>
<iframe name="main" src="about:blank"></iframe>
</body>
</html>
