-- 数据表 lab_*
SET NAMES utf8;

CREATE TABLE IF NOT EXISTS `lab_3DModel` (
  `modelCode` varchar(16) COLLATE utf8_bin NOT NULL COMMENT '型号代码',
  `modelName` varchar(40) COLLATE utf8_bin NOT NULL COMMENT '模型名',
  `part` int(11) NOT NULL COMMENT '零件',
  PRIMARY KEY (`modelCode`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8 COLLATE=utf8_bin;

CREATE TABLE IF NOT EXISTS `lab_9Part` (
  `partId` int(11) NOT NULL AUTO_INCREMENT COMMENT '零件编号',
  `partName` varchar(40) COLLATE utf8_bin NOT NULL COMMENT '零件名',
  `model` varchar(16) COLLATE utf8_bin NOT NULL COMMENT '所属模型',
  `drawing` text COLLATE utf8_bin NOT NULL COMMENT '图纸',
  PRIMARY KEY (`partId`)
) ENGINE=InnoDB  DEFAULT CHARSET=utf8 COLLATE=utf8_bin AUTO_INCREMENT=1 ;

ALTER TABLE lab_3DModel ADD CONSTRAINT FOREIGN KEY (part) REFERENCES lab_9Part(partId);
ALTER TABLE lab_9Part ADD CONSTRAINT FOREIGN KEY (model) REFERENCES lab_3DModel(modelCode);
-- end of the lab_ tables
