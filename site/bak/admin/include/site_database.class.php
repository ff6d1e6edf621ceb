<?php
/**
 * The site's database connection (mysqli, utf8mb4).
 *
 * query / query_page / fetch_array / num_rows serve the administration
 * controllers, execute the site's own code with bound values. A statement
 * that fails shows a message page with a short error that depends only on
 * the error number; the details go to the server's error log. The session
 * runs in strict mode, so what is stored is exactly what was entered.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

class SiteDatabase
{
    /** @var mysqli */
    public $link;
    /** @var string prefix of the site's table names */
    private $prefix;
    /** @var int rows the last statement of query() changed */
    private $affectedRows = 0;

    public function __construct($host, $user, $password, $name, $port = 3306, $socket = '', $prefix = '')
    {
        $this->prefix = (string)$prefix;
        mysqli_report(MYSQLI_REPORT_OFF);
        $this->link = mysqli_init();
        $ok = @$this->link->real_connect(
            $socket !== '' ? null : $host,
            $user,
            $password,
            $name,
            (int)$port ?: 3306,
            $socket !== '' ? $socket : null
        );
        if (!$ok) {
            error_log('site: database connection failed: ' . mysqli_connect_errno() . ' ' . mysqli_connect_error());
            showmsg("无法连接数据库，请检查 config.inc.php 中的数据库设置。", '', 503);
        }
        if (!$this->link->set_charset('utf8mb4')) {
            $this->fail('SET NAMES utf8mb4');
        }
        // Strict: a value the checks let through that a column cannot hold
        // fails its statement rather than being stored cut or changed.
        $this->run("SET SESSION sql_mode = 'STRICT_TRANS_TABLES,NO_ENGINE_SUBSTITUTION'");
    }

    /* Escapes text for a single-quoted SQL string. */
    public function escape($text)
    {
        return $this->link->real_escape_string((string)$text);
    }

    /**
     * Runs one statement of the generated code as it is. Returns the result
     * set of a query or true; a failure ends the request with a message
     * page. The session runs in strict mode, so a value that a column
     * cannot hold fails the statement instead of being cut or changed.
     */
    public function query($sql)
    {
        $result = $this->link->query((string)$sql);
        if ($result === false) {
            $this->fail((string)$sql);
        }
        $this->affectedRows = (int)$this->link->affected_rows;
        return $result;
    }

    /**
     * One page of a list, newest first: the records that $filter (a
     * "SELECT * FROM table where ..." statement without an order) selects,
     * ordered by $key descending, $count of them from $offset on, when
     * $total records match. A page past the middle is read from the other
     * end (ascending, with the smaller offset) and put back in descending
     * order, so the last pages cost what the first ones do.
     */
    public function query_page($filter, $key, $total, $offset, $count)
    {
        $key = self::quoteName($key);
        $total = max(0, (int)$total);
        $offset = max(0, (int)$offset);
        $count = max(0, (int)$count);
        if ($offset * 2 <= $total || $offset >= $total || $count < 1) {
            return $this->query($filter . ' order by ' . $key . ' DESC LIMIT ' . $offset . ',' . $count);
        }
        $count = min($count, $total - $offset);
        return $this->query('SELECT * FROM (' . $filter . ' order by ' . $key . ' ASC LIMIT ' . ($total - $offset - $count) . ','
            . $count . ') AS site_page ORDER BY ' . $key . ' DESC');
    }

    /**
     * Runs a query whose rows are read from the server as they are fetched
     * (unbuffered), so a result of any size takes little memory. Nothing
     * else may run on the connection until the result is freed. A failure
     * ends the request with a message page, as query() does.
     */
    public function stream($sql)
    {
        $result = $this->link->query((string)$sql, MYSQLI_USE_RESULT);
        if ($result === false) {
            $this->fail((string)$sql);
        }
        return $result;
    }

    /**
     * The pattern of a search for values that contain $text, escaped for a
     * single-quoted SQL string: "%", "_" and "\" of the text match
     * themselves, so a search finds exactly the records that contain what
     * was typed.
     */
    public function like_contains($text)
    {
        return $this->escape('%' . addcslashes((string)$text, '\\%_') . '%');
    }

    /* The name of a table of the site, with the configured prefix. */
    public function table($name)
    {
        return $this->prefix . $name;
    }

    /* A table or column name quoted for a statement. */
    public static function quoteName($name)
    {
        return '`' . str_replace('`', '``', (string)$name) . '`';
    }

    public function fetch_array($query, $resultType = MYSQLI_ASSOC)
    {
        if (!($query instanceof mysqli_result)) {
            return false;
        }
        $row = $query->fetch_array($resultType);
        return $row === null ? false : $row;
    }

    public function num_rows($query)
    {
        return $query instanceof mysqli_result ? (int)$query->num_rows : 0;
    }

    /* Rows the last statement run by query() deleted, changed or added. */
    public function affected_rows()
    {
        return $this->affectedRows;
    }

    public function insert_id()
    {
        return $this->link->insert_id;
    }

    /**
     * Runs a statement of the site's own code with bound values: gives the
     * result set of a query, else the number of changed rows. Throws
     * mysqli_sql_exception on failure.
     */
    public function execute($sql, array $params = array())
    {
        $statement = $this->link->prepare($sql);
        if ($statement === false) {
            throw new mysqli_sql_exception($this->link->error, $this->link->errno);
        }
        if ($params) {
            $statement->bind_param(str_repeat('s', count($params)), ...array_map('strval', $params));
        }
        if (!$statement->execute()) {
            $error = $statement->error;
            $errno = $statement->errno;
            $statement->close();
            throw new mysqli_sql_exception($error, $errno);
        }
        $result = $statement->get_result();
        $changed = $statement->affected_rows;
        $statement->close();
        return $result === false ? (int)$changed : $result;
    }

    /* The rows of a statement of the site's own, unbound; throws
       mysqli_sql_exception on failure. */
    public function own_rows($sql)
    {
        $result = $this->link->query($sql);
        if ($result === false) {
            throw new mysqli_sql_exception($this->link->error, $this->link->errno);
        }
        return $result instanceof mysqli_result ? $result->fetch_all(MYSQLI_ASSOC) : array();
    }

    /* Starts a transaction; what follows commits or rolls back as one. */
    public function begin()
    {
        if (!$this->link->begin_transaction()) {
            $this->fail('BEGIN');
        }
    }

    public function commit()
    {
        if (!$this->link->commit()) {
            $this->fail('COMMIT');
        }
    }

    public function rollback()
    {
        // A rollback that fails leaves nothing to undo: the server ends the
        // transaction with the connection.
        if (!$this->link->rollback()) {
            error_log('site: ROLLBACK failed: ' . $this->link->errno . ' ' . $this->link->error);
        }
    }

    /* Runs $work in one transaction: committed when it returns, rolled
       back when it throws (and the exception passed on). */
    public function transaction(callable $work)
    {
        $this->begin();
        try {
            $result = $work();
        } catch (Throwable $e) {
            $this->rollback();
            throw $e;
        }
        $this->commit();
        return $result;
    }

    /* Whether the server is MariaDB (else MySQL). */
    public function is_mariadb()
    {
        return stripos((string)$this->link->server_info, 'MariaDB') !== false;
    }

    /* A statement the site itself needs; failures end the request. */
    private function run($sql)
    {
        if ($this->link->query($sql) === false) {
            $this->fail($sql);
        }
    }

    private function shorten($text, $length)
    {
        return mb_strlen($text, 'UTF-8') > $length ? mb_substr($text, 0, $length, 'UTF-8') . '…' : $text;
    }

    /* Logs a failed statement and shows a short error that names no table,
       column or statement. */
    private function fail($sql, $errno = null, $error = null)
    {
        $errno = $errno === null ? $this->link->errno : $errno;
        $error = $error === null ? $this->link->error : $error;
        error_log('site: SQL error ' . $errno . ': ' . $error . ' in statement: ' . $this->shorten($sql, 2000));
        $reasons = array(
            1451 => '这条记录正被其他数据引用，不能删除或修改。',
            1217 => '这条记录正被其他数据引用，不能删除或修改。',
            1452 => '所选的关联数据不存在。',
            1216 => '所选的关联数据不存在。',
            1062 => '相同编号的记录已经存在。',
            1048 => '有必填的内容没有填写。',
            1146 => '数据表不存在：新的网站请执行建表脚本，并确认表前缀设置正确；模型改过之后（类改名或新增），请用 quorrel-cli migrate 修改数据库，不要重新执行建表脚本。',
            1054 => '数据表的结构与程序不一致：模型改过之后，请用 quorrel-cli migrate（或程序的 代码管理 → 数据库变更）修改数据库，不要重新执行建表脚本。',
            1142 => '数据库账号没有执行这项操作的权限。',
            // What the checks from the model let through and strict mode refuses.
            1406 => '有内容超过了数据库允许的长度，没有保存。',
            1264 => '有数值超出了数据库允许的范围，没有保存。',
            1265 => '有内容的格式不符合数据库的要求，没有保存。',
            1292 => '有内容的格式不符合数据库的要求，没有保存。',
            1366 => '有内容的格式不符合数据库的要求，没有保存。',
            2006 => '与数据库的连接已中断，请稍后再试。',
            2013 => '与数据库的连接已中断，请稍后再试。',
        );
        $reason = isset($reasons[$errno]) ? $reasons[$errno] : '详细信息已记录在服务器日志中。';
        showmsg("数据库操作失败（错误 {$errno}）：" . $reason);
    }
}
