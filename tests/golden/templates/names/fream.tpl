<div id="top">              <{if $site_rights['新闻']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'新闻','新闻$contentMenuString'); return false;">新闻$contentMenuString</a></span></li><{/if}>
              <{if $site_rights['3DModel']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'3DModel','三维模型'); return false;">三维模型</a></span></li><{/if}>
              <{if $site_rights['URL']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'uRL','链接'); return false;">链接</a></span></li><{/if}>
</div>
<div id="content">        <{if $site_rights['新闻']['list']}><ul id="menu_新闻" style="display: none;">
          <li><a href="新闻.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'新闻$contentMenuString管理');">新闻$contentMenuString管理</a></li>
          <{if $site_rights['新闻']['add']}><li><a href="新闻.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加新闻$contentMenuString');">添加新闻$contentMenuString</a></li><{/if}>
        </ul><{/if}>

        <{if $site_rights['3DModel']['list']}><ul id="menu_3DModel" style="display: none;">
          <li><a href="3DModel.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'三维模型管理');">三维模型管理</a></li>
          <{if $site_rights['3DModel']['add']}><li><a href="3DModel.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加三维模型');">添加三维模型</a></li><{/if}>
        </ul><{/if}>

        <{if $site_rights['URL']['list']}><ul id="menu_uRL" style="display: none;">
          <li><a href="uRL.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'链接管理');">链接管理</a></li>
          <{if $site_rights['URL']['add']}><li><a href="uRL.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加链接');">添加链接</a></li><{/if}>
        </ul><{/if}>

</div>
<div id="bottom">              <{if $site_rights['新闻']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'新闻','新闻$contentMenuString'); return false;">新闻$contentMenuString</a></span></li><{/if}>
              <{if $site_rights['3DModel']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'3DModel','三维模型'); return false;">三维模型</a></span></li><{/if}>
              <{if $site_rights['URL']['list']}><li class=""><span><a href="#" onClick="fnOnTabClick(this,'uRL','链接'); return false;">链接</a></span></li><{/if}>
</div>
