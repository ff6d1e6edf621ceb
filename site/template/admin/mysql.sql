-- ----------------------------------------------------------------------
-- 站点数据库建表脚本
-- 表前缀: $dbprefix （站点 config.inc.php 中的表前缀设置须与此相同）
-- 用法: 先建好空数据库，再执行本脚本，例如
--   mariadb -u 用户名 -p 数据库名 < mysql.sql
-- 只用于新建的空数据库。数据库中已经有这些表时不要再执行本脚本（它会重复添加外键、
-- 在旧表旁边建出空表，然后失败）；模型改过之后，请用 quorrel-cli migrate 项目
-- （或程序的 代码管理 → 数据库变更）修改已有的数据库，已有的数据全部保留。
-- ----------------------------------------------------------------------

SET NAMES utf8mb4;
SET default_storage_engine = InnoDB;
-- MariaDB 10.6 起: 让本会话中的 utf8 表示完整的 utf8mb4，可保存任何 Unicode 字符
/*M!100601 SET SESSION old_mode = '' */;

$sqlString
-- 管理员账号表（首次访问管理后台时创建管理员）
CREATE TABLE IF NOT EXISTS `$dbprefixsite_admin` (
  `admin_id` int(11) NOT NULL AUTO_INCREMENT COMMENT '管理员编号',
  `admin_name` varchar(60) COLLATE utf8mb4_bin NOT NULL COMMENT '登录名',
  `password_hash` varchar(255) COLLATE utf8mb4_bin NOT NULL COMMENT '密码散列',
  `is_owner` tinyint(1) NOT NULL DEFAULT 0 COMMENT '是否所有者（第一个管理员）',
  `disabled` tinyint(1) NOT NULL DEFAULT 0 COMMENT '是否已停用',
  `created_at` datetime NOT NULL COMMENT '创建时间',
  `last_login_at` datetime NULL COMMENT '最近登录时间',
  PRIMARY KEY (`admin_id`),
  UNIQUE KEY `admin_name` (`admin_name`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin;

-- 管理员对每个类的权限（所有者拥有全部权限，不需要记录）
CREATE TABLE IF NOT EXISTS `$dbprefixsite_admin_right` (
  `admin_id` int(11) NOT NULL COMMENT '管理员编号',
  `class_name` varchar(255) COLLATE utf8mb4_bin NOT NULL COMMENT '类名',
  `may_list` tinyint(1) NOT NULL DEFAULT 0 COMMENT '列表',
  `may_add` tinyint(1) NOT NULL DEFAULT 0 COMMENT '添加',
  `may_edit` tinyint(1) NOT NULL DEFAULT 0 COMMENT '编辑',
  `may_delete` tinyint(1) NOT NULL DEFAULT 0 COMMENT '删除',
  `may_export` tinyint(1) NOT NULL DEFAULT 0 COMMENT '导出',
  PRIMARY KEY (`admin_id`, `class_name`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin;

-- 修改记录：谁在什么时候添加、修改、删除或导出了哪个类的哪条记录（与修改在同一事务中写入）
CREATE TABLE IF NOT EXISTS `$dbprefixsite_change_log` (
  `log_id` bigint(20) unsigned NOT NULL AUTO_INCREMENT COMMENT '记录编号',
  `logged_at` datetime NOT NULL COMMENT '时间',
  `admin_id` int(11) NOT NULL COMMENT '管理员编号',
  `admin_name` varchar(60) COLLATE utf8mb4_bin NOT NULL COMMENT '管理员登录名',
  `class_name` varchar(255) COLLATE utf8mb4_bin NOT NULL COMMENT '类名',
  `record_key` varchar(255) COLLATE utf8mb4_bin NOT NULL COMMENT '记录的主键',
  `act` varchar(16) COLLATE utf8mb4_bin NOT NULL COMMENT '操作',
  `details` mediumtext COLLATE utf8mb4_bin NOT NULL COMMENT '改动（JSON）',
  PRIMARY KEY (`log_id`),
  KEY `record` (`class_name`, `record_key`, `log_id`),
  KEY `account` (`admin_id`, `log_id`),
  KEY `logged_at` (`logged_at`),
  KEY `class_day` (`class_name`, `logged_at`),
  KEY `account_day` (`admin_id`, `logged_at`)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_bin;
