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
              <{if $site_rights['Category']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'category','分类'); return false;">分类</a></span></li><{/if}>
              <{if $site_rights['Brand']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'brand','品牌'); return false;">品牌</a></span></li><{/if}>
              <{if $site_rights['Product']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'product','商品'); return false;">商品</a></span></li><{/if}>
              <{if $site_rights['Tag']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'tag',''); return false;"></a></span></li><{/if}>
</ul>
<div class="menu">
        <{if $site_rights['Category']['list']}><ul id="menu_category" style="display: none;">
          <li><a href="category.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'分类管理');">分类管理</a></li>
          <{if $site_rights['Category']['add']}><li><a href="category.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加分类');">添加分类</a></li><{/if}>
        </ul><{/if}>

        <{if $site_rights['Brand']['list']}><ul id="menu_brand" style="display: none;">
          <li><a href="brand.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'品牌管理');">品牌管理</a></li>
          <{if $site_rights['Brand']['add']}><li><a href="brand.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加品牌');">添加品牌</a></li><{/if}>
        </ul><{/if}>

        <{if $site_rights['Product']['list']}><ul id="menu_product" style="display: none;">
          <li><a href="product.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'商品管理');">商品管理</a></li>
          <{if $site_rights['Product']['add']}><li><a href="product.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加商品');">添加商品</a></li><{/if}>
        </ul><{/if}>

        <{if $site_rights['Tag']['list']}><ul id="menu_tag" style="display: none;">
          <li><a href="tag.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'管理');">管理</a></li>
          <{if $site_rights['Tag']['add']}><li><a href="tag.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加');">添加</a></li><{/if}>
        </ul><{/if}>

</div>
<iframe name="main" src="about:blank"></iframe>
</body>
</html>
