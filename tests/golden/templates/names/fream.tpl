<div id="top">              <li class=""><span><a href="#" onClick="fnOnTabClick(this,'新闻','新闻$contentMenuString'); return false;">新闻$contentMenuString</a></span></li>
              <li class=""><span><a href="#" onClick="fnOnTabClick(this,'3DModel','三维模型'); return false;">三维模型</a></span></li>
              <li class=""><span><a href="#" onClick="fnOnTabClick(this,'uRL','链接'); return false;">链接</a></span></li>
</div>
<div id="content">        <ul id="menu_新闻" style="display: none;">
          <li><a href="新闻.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'新闻$contentMenuString管理');">新闻$contentMenuString管理</a></li>
          <li><a href="新闻.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加新闻$contentMenuString');">添加新闻$contentMenuString</a></li>
        </ul>

        <ul id="menu_3DModel" style="display: none;">
          <li><a href="3DModel.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'三维模型管理');">三维模型管理</a></li>
          <li><a href="3DModel.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加三维模型');">添加三维模型</a></li>
        </ul>

        <ul id="menu_uRL" style="display: none;">
          <li><a href="uRL.php?act=show" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'链接管理');">链接管理</a></li>
          <li><a href="uRL.php?act=add" hidefocus="true" target="main" onClick="fnOnMenuClick(this,'添加链接');">添加链接</a></li>
        </ul>

</div>
<div id="bottom">              <li class=""><span><a href="#" onClick="fnOnTabClick(this,'新闻','新闻$contentMenuString'); return false;">新闻$contentMenuString</a></span></li>
              <li class=""><span><a href="#" onClick="fnOnTabClick(this,'3DModel','三维模型'); return false;">三维模型</a></span></li>
              <li class=""><span><a href="#" onClick="fnOnTabClick(this,'uRL','链接'); return false;">链接</a></span></li>
</div>
