<?php
/* The site's model as generated; the administration runtime reads it. */
return array(
    'User' => array(
        'table' => 'php_user',
        'label' => '用户',
        'key' => 'userId',
        'display' => 'userName',
        'members' => array(
            'userId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '用户编号', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'userName' => array('type' => 'string', 'length' => 20, 'required' => true, 'label' => '用户名', 'picture' => false, 'reference' => null, 'list' => true, 'search' => true),
            'birthday' => array('type' => 'date', 'length' => 0, 'required' => false, 'label' => '生日', 'picture' => false, 'reference' => null, 'list' => true, 'search' => true),
            'score' => array('type' => 'float', 'length' => 0, 'required' => false, 'label' => '积分', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'avatar' => array('type' => 'picture', 'length' => 0, 'required' => false, 'label' => '头像', 'picture' => true, 'reference' => null, 'list' => true, 'search' => false),
            'age' => array('type' => 'integer', 'length' => 0, 'required' => false, 'label' => 'age', 'picture' => false, 'reference' => null, 'list' => false, 'search' => false),
        ),
    ),
    'Category' => array(
        'table' => 'php_category',
        'label' => '',
        'key' => 'code',
        'display' => 'title',
        'members' => array(
            'code' => array('type' => 'string', 'length' => 30, 'required' => true, 'label' => '分类代码', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'title' => array('type' => 'string', 'length' => 50, 'required' => false, 'label' => 'title', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
        ),
    ),
    'Article' => array(
        'table' => 'php_article',
        'label' => '文章',
        'key' => 'articleId',
        'display' => 'title',
        'members' => array(
            'title' => array('type' => 'string', 'length' => 100, 'required' => true, 'label' => '标题: O\'Brien的"文章"', 'picture' => false, 'reference' => null, 'list' => true, 'search' => true),
            'articleId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '文章编号', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'category' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => '所属分类', 'picture' => false, 'reference' => 'Category', 'list' => true, 'search' => true),
            'author' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => '作者\'s 笔名', 'picture' => false, 'reference' => 'User', 'list' => true, 'search' => true),
            'editor' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => 'editor', 'picture' => false, 'reference' => 'User', 'list' => false, 'search' => false),
            'cover' => array('type' => 'picture', 'length' => 0, 'required' => false, 'label' => '封面 C:\\pics\\', 'picture' => true, 'reference' => null, 'list' => true, 'search' => false),
            'photo' => array('type' => 'picture', 'length' => 0, 'required' => false, 'label' => 'photo', 'picture' => true, 'reference' => null, 'list' => true, 'search' => false),
            'content' => array('type' => 'string', 'length' => 255, 'required' => false, 'label' => '正文, 存于 $dbprefix 表', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'publishDate' => array('type' => 'date', 'length' => 0, 'required' => false, 'label' => '发布日期', 'picture' => false, 'reference' => null, 'list' => true, 'search' => true),
            'hits' => array('type' => 'integer', 'length' => 0, 'required' => false, 'label' => '点击\\', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
        ),
    ),
    'Tag' => array(
        'table' => 'php_tag',
        'label' => '标签',
        'key' => 'tagId',
        'display' => 'tagId',
        'members' => array(
            'tagId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '标签编号', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
        ),
    ),
    'Gallery' => array(
        'table' => 'php_gallery',
        'label' => '相册',
        'key' => 'galleryId',
        'display' => 'galleryId',
        'members' => array(
            'galleryId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '相册编号', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'picture' => array('type' => 'picture', 'length' => 0, 'required' => false, 'label' => '图片', 'picture' => true, 'reference' => null, 'list' => true, 'search' => false),
        ),
    ),
    '商品' => array(
        'table' => 'php_商品',
        'label' => '商品信息',
        'key' => 'goodsId',
        'display' => 'goodsName',
        'members' => array(
            'goodsId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '商品编号', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'goodsName' => array('type' => 'string', 'length' => 40, 'required' => true, 'label' => '名称', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'kind' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => '类别', 'picture' => false, 'reference' => 'Category', 'list' => true, 'search' => false),
            'price' => array('type' => 'float', 'length' => 0, 'required' => false, 'label' => '价格', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'maker' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => '厂家', 'picture' => false, 'reference' => 'User', 'list' => true, 'search' => true),
        ),
    ),
    'review' => array(
        'table' => 'php_review',
        'label' => '评价',
        'key' => 'reviewId',
        'display' => 'reviewId',
        'members' => array(
            'reviewId' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '评价编号', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
            'goods' => array('type' => 'reference', 'length' => 0, 'required' => false, 'label' => '商品', 'picture' => false, 'reference' => '商品', 'list' => true, 'search' => true),
            'text' => array('type' => 'string', 'length' => 200, 'required' => true, 'label' => '内容', 'picture' => false, 'reference' => null, 'list' => true, 'search' => false),
        ),
    ),
);
