-- The generated site's database and its own account (MariaDB 10.6+ or MySQL 8).
-- Run as the database administrator after changing the password:
--   mariadb -u root -p < site-database.sql
-- then load the generated script as the site's account:
--   mariadb -u site -p site < site.sql
-- The account may change only this database: create its tables and foreign
-- keys (CREATE, ALTER, REFERENCES) when the script is loaded, and read and
-- write their rows when the site runs; nothing else.
CREATE DATABASE site CHARACTER SET utf8mb4;
CREATE USER 'site'@'localhost' IDENTIFIED BY 'change-this-long-password';
GRANT SELECT, INSERT, UPDATE, DELETE, CREATE, ALTER, REFERENCES ON site.* TO 'site'@'localhost';
