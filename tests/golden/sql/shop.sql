-- 数据表 php_*
SET NAMES utf8;

CREATE TABLE IF NOT EXISTS `php_user` (
  `userId` int(11) NOT NULL AUTO_INCREMENT COMMENT '用户编号',
  `userName` varchar(20) COLLATE utf8_bin NOT NULL COMMENT '用户名',
  `birthday` date NOT NULL COMMENT '生日',
  `score` float NOT NULL COMMENT '积分',
  `avatar` text COLLATE utf8_bin NOT NULL COMMENT '头像',
  `age` int(11) NOT NULL COMMENT '',
  PRIMARY KEY (`userId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

CREATE TABLE IF NOT EXISTS `php_category` (
  `code` varchar(30) COLLATE utf8_bin NOT NULL COMMENT '分类代码',
  `title` varchar(50) COLLATE utf8_bin NULL COMMENT '',
  PRIMARY KEY (`code`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin;

CREATE TABLE IF NOT EXISTS `php_article` (
  `articleId` int(11) NOT NULL AUTO_INCREMENT COMMENT '文章编号',
  `title` varchar(100) COLLATE utf8_bin NOT NULL COMMENT '标题: O''Brien的"文章"',
  `category` varchar(30) COLLATE utf8_bin NOT NULL COMMENT '所属分类',
  `author` int(11) NOT NULL COMMENT '作者''s 笔名',
  `editor` int(11) NOT NULL COMMENT '',
  `cover` text COLLATE utf8_bin NOT NULL COMMENT '封面 C:\\pics\\',
  `photo` text COLLATE utf8_bin NOT NULL COMMENT '',
  `content` varchar(255) COLLATE utf8_bin NULL COMMENT '正文, 存于 $dbprefix 表',
  `publishDate` date NOT NULL COMMENT '发布日期',
  `hits` int(11) NOT NULL COMMENT '点击\\',
  PRIMARY KEY (`articleId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

CREATE TABLE IF NOT EXISTS `php_tag` (
  `tagId` int(11) NOT NULL AUTO_INCREMENT COMMENT '标签编号',
  PRIMARY KEY (`tagId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

CREATE TABLE IF NOT EXISTS `php_gallery` (
  `galleryId` int(11) NOT NULL AUTO_INCREMENT COMMENT '相册编号',
  `picture` text COLLATE utf8_bin NOT NULL COMMENT '图片',
  PRIMARY KEY (`galleryId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

CREATE TABLE IF NOT EXISTS `php_商品` (
  `goodsId` int(11) NOT NULL AUTO_INCREMENT COMMENT '商品编号',
  `goodsName` varchar(40) COLLATE utf8_bin NOT NULL COMMENT '名称',
  `kind` varchar(30) COLLATE utf8_bin NOT NULL COMMENT '类别',
  `price` float NOT NULL COMMENT '价格',
  `maker` int(11) NOT NULL COMMENT '厂家',
  PRIMARY KEY (`goodsId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

CREATE TABLE IF NOT EXISTS `php_review` (
  `reviewId` int(11) NOT NULL AUTO_INCREMENT COMMENT '评价编号',
  `goods` int(11) NOT NULL COMMENT '商品',
  `text` varchar(200) COLLATE utf8_bin NOT NULL COMMENT '内容',
  PRIMARY KEY (`reviewId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

ALTER TABLE php_article ADD CONSTRAINT FOREIGN KEY (category) REFERENCES php_category(code);
ALTER TABLE php_article ADD CONSTRAINT FOREIGN KEY (author) REFERENCES php_user(userId);
ALTER TABLE php_article ADD CONSTRAINT FOREIGN KEY (editor) REFERENCES php_user(userId);
ALTER TABLE php_商品 ADD CONSTRAINT FOREIGN KEY (kind) REFERENCES php_category(code);
ALTER TABLE php_商品 ADD CONSTRAINT FOREIGN KEY (maker) REFERENCES php_user(userId);
ALTER TABLE php_review ADD CONSTRAINT FOREIGN KEY (goods) REFERENCES php_商品(goodsId);
-- end of the php_ tables
