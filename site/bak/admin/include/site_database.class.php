<?php
/**
 * The site's database connection (mysqli, utf8mb4).
 *
 * query / fetch_array / num_rows serve the administration controllers. A
 * statement that fails shows a message page with a short error; the details
 * go to the server's error log. Writes run in a transaction and are refused
 * when the server would have cut or changed a text value, so what is stored
 * is exactly what was entered.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

class SiteDatabase
{
    /** @var mysqli */
    public $link;
    /** @var array table name => (column name => (type, comment)) */
    private $columnTypes = array();
    /** @var array table and filter of a list => its number of records */
    private $pageCounts = array();
    /** @var int rows the last statement of query() changed */
    private $affectedRows = 0;

    public function __construct($host, $user, $password, $name, $port = 3306, $socket = '')
    {
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
        // The generated statements give '' for numbers, dates and new
        // auto-increment keys: the session's SQL mode accepts that.
        $this->run("SET SESSION sql_mode = 'NO_ENGINE_SUBSTITUTION'");
    }

    /* Escapes text for a single-quoted SQL string. */
    public function escape($text)
    {
        return $this->link->real_escape_string((string)$text);
    }

    /**
     * Runs one statement of the generated code. Returns the result set of a
     * query or true; a failure ends the request with a message page.
     */
    public function query($sql)
    {
        $sql = $this->literalContains((string)$sql);
        $table = $this->writtenTable($sql);
        if ($table === null) {
            if (function_exists('site_reference_bound_statement')) {
                $sql = site_reference_bound_statement($this, $sql);
            }
            $sql = $this->pageFromNearerEnd($sql);
            $result = $this->link->query($sql);
            if ($result === false) {
                $this->fail($sql);
            }
            $this->affectedRows = (int)$this->link->affected_rows;
            $this->rememberCount($sql, $result);
            return $result;
        }
        $this->link->begin_transaction();
        $result = $this->link->query($sql);
        if ($result === false) {
            // The error is read before the rollback clears it.
            $errno = $this->link->errno;
            $error = $this->link->error;
            $this->link->rollback();
            $this->fail($sql, $errno, $error);
        }
        $this->affectedRows = (int)$this->link->affected_rows;
        $refusal = $this->link->warning_count > 0 ? $this->checkWarnings($table) : '';
        if ($refusal !== '') {
            $this->link->rollback();
            error_log('site: statement refused (' . $refusal . '): ' . $this->shorten($sql, 2000));
            showmsg($refusal);
        }
        $this->link->commit();
        return $result;
    }

    /**
     * The generated searches ask whether a column contains a text, as
     * "like '%text%'". Inside such a pattern a backslash, "%" and "_" of
     * the text itself are made literal, so a search finds exactly the
     * records that contain what was typed.
     */
    private function literalContains($sql)
    {
        return preg_replace_callback("/(\\blike\\s+'%)((?:[^'\\\\]|\\\\.)*)%'/i", function ($m) {
            $inner = $m[2];
            $out = '';
            for ($i = 0, $n = strlen($inner); $i < $n; $i++) {
                $c = $inner[$i];
                if ($c === '\\' && $i + 1 < $n) {
                    $next = $inner[++$i];
                    $out .= $next === '\\' ? '\\\\\\\\' : '\\' . $next;
                } elseif ($c === '%' || $c === '_') {
                    $out .= '\\' . $c;
                } else {
                    $out .= $c;
                }
            }
            return $m[1] . $out . "%'";
        }, $sql);
    }

    /**
     * The list act counts the records of its filter, then reads one page of
     * them in descending key order with LIMIT offset,count. The count is
     * kept, so that a page in the second half is read from the other end
     * (ascending, with the smaller offset) and put back in descending
     * order: the last pages cost what the first ones do.
     */
    private function rememberCount($sql, $result)
    {
        if ($result instanceof mysqli_result
            && preg_match('/^SELECT COUNT\(\*\) AS allnum FROM (\S+) where 1=1(.*)$/s', $sql, $m)) {
            $row = $result->fetch_row();
            $result->data_seek(0);
            $this->pageCounts[$m[1] . "\0" . $m[2]] = $row ? (int)$row[0] : 0;
        }
    }

    private function pageFromNearerEnd($sql)
    {
        if (!$this->pageCounts
            || !preg_match('/^SELECT \* FROM (\S+) where 1=1(.*) order by ([^\s,`]+) DESC LIMIT (\d{1,18}),(\d{1,9})$/s', $sql, $m)
            || !isset($this->pageCounts[$m[1] . "\0" . $m[2]])) {
            return $sql;
        }
        $total = $this->pageCounts[$m[1] . "\0" . $m[2]];
        $offset = (int)$m[4];
        $count = (int)$m[5];
        if ($offset * 2 <= $total || $offset >= $total || $count < 1) {
            return $sql;
        }
        $count = min($count, $total - $offset);
        return 'SELECT * FROM (SELECT * FROM ' . $m[1] . ' where 1=1' . $m[2] . ' order by ' . $m[3] . ' ASC LIMIT '
            . ($total - $offset - $count) . ',' . $count . ') AS site_page ORDER BY ' . $m[3] . ' DESC';
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

    /**
     * What the site's account may do beyond its own database $database, as
     * the server tells it: SHOW GRANTS of the account and of every role
     * granted to it. Returns
     *   'account'   the account, as CURRENT_USER() names it
     *   'file'      whether it holds the FILE privilege (the server's files)
     *   'global'    its privileges on every database (*.*) but USAGE and FILE
     *   'databases' the other databases it holds rights on
     * A grant on a name with "_" counts for the database of that name, one
     * with "%" for other databases. Throws mysqli_sql_exception when the
     * grants cannot be read.
     */
    public function accountRights($database)
    {
        $account = (string)$this->ownRows('SELECT CURRENT_USER() AS a')[0]['a'];
        $lines = $this->ownRows('SHOW GRANTS');
        $roles = array();
        foreach ($lines as $line) {
            $grant = self::parseGrant((string)reset($line));
            $roles = array_merge($roles, $grant !== null && isset($grant['roles']) ? $grant['roles'] : array());
        }
        // A role's rights are shown while it is the current role (MariaDB),
        // or with USING (MySQL); the current role is set back afterwards.
        if ($roles && stripos((string)$this->link->server_info, 'MariaDB') !== false) {
            $current = $this->ownRows('SELECT CURRENT_ROLE() AS r')[0]['r'];
            try {
                foreach (array_unique($roles) as $role) {
                    $this->ownRows('SET ROLE ' . $role);
                    $lines = array_merge($lines, $this->ownRows('SHOW GRANTS'));
                }
            } finally {
                $this->ownRows($current === null ? 'SET ROLE NONE' : 'SET ROLE `' . str_replace('`', '``', $current) . '`');
            }
        } elseif ($roles) {
            $lines = array_merge($lines, $this->ownRows('SHOW GRANTS FOR CURRENT_USER() USING ' . implode(', ', array_unique($roles))));
        }
        $rights = array('account' => $account, 'file' => false, 'global' => array(), 'databases' => array());
        foreach ($lines as $line) {
            $grant = self::parseGrant((string)reset($line));
            if ($grant === null || !isset($grant['database']) || $grant['privileges'] === array('PROXY')) {
                continue;
            }
            if ($grant['database'] === '*') {
                foreach ($grant['privileges'] as $privilege) {
                    $rights['file'] = $rights['file'] || in_array($privilege, array('FILE', 'ALL', 'ALL PRIVILEGES'), true);
                    if ($privilege !== 'USAGE' && $privilege !== 'FILE') {
                        $rights['global'][] = $privilege;
                    }
                }
                continue;
            }
            $name = $grant['database'];
            if (!preg_match('/(?<!\\\\)%/', $name)) {
                $name = strtr($name, array('\\_' => '_', '\\%' => '%', '\\\\' => '\\'));
            }
            if ($name !== (string)$database) {
                $rights['databases'][] = $name;
            }
        }
        $rights['global'] = array_values(array_unique($rights['global']));
        $rights['databases'] = array_values(array_unique($rights['databases']));
        return $rights;
    }

    /* The rows of a statement of the site's own; throws on failure. */
    private function ownRows($sql)
    {
        $result = $this->link->query($sql);
        if ($result === false) {
            throw new mysqli_sql_exception($this->link->error, $this->link->errno);
        }
        return $result instanceof mysqli_result ? $result->fetch_all(MYSQLI_ASSOC) : array();
    }

    /**
     * One line of SHOW GRANTS: array('roles' => quoted role names) for a
     * grant of roles, array('privileges' => upper-case names without their
     * columns, 'database' => '*' or the name as granted) for a grant of
     * privileges, null for any other line.
     */
    private static function parseGrant($line)
    {
        if (strncasecmp($line, 'GRANT ', 6) !== 0 || ($to = self::findUnquoted($line, ' TO ', 6)) === false) {
            return null;
        }
        $on = self::findUnquoted($line, ' ON ', 6);
        if ($on === false || $on > $to) {
            return array('roles' => array_map('trim', self::splitUnquoted(substr($line, 6, $to - 6))));
        }
        $privileges = array();
        foreach (self::splitUnquoted(substr($line, 6, $on - 6)) as $privilege) {
            $privileges[] = strtoupper(trim(preg_replace('/\(.*\)/s', '', $privilege)));
        }
        $target = preg_replace('/^(?:PROCEDURE|FUNCTION|PACKAGE BODY|PACKAGE)\s+/i', '', trim(substr($line, $on + 4, $to - $on - 4)));
        if ($target === '' || $target[0] === '*') {
            $database = '*';
        } elseif ($target[0] === '`') {
            $end = self::findUnquoted($target, '.', 0);
            $database = str_replace('``', '`', substr($target, 1, ($end === false ? strlen($target) : $end) - 2));
        } else {
            $database = (string)strstr($target . '.', '.', true);
        }
        return array('privileges' => $privileges, 'database' => $database);
    }

    /* Position of $needle in $text outside quotes and parentheses, or false. */
    private static function findUnquoted($text, $needle, $from)
    {
        $quote = '';
        $depth = 0;
        for ($i = $from, $n = strlen($text); $i < $n; $i++) {
            $c = $text[$i];
            if ($quote !== '') {
                if ($c === '\\' && $quote === "'") {
                    $i++;
                } elseif ($c === $quote) {
                    $quote = '';
                }
            } elseif ($c === '`' || $c === "'" || $c === '"') {
                $quote = $c;
            } elseif ($c === '(' || $c === ')') {
                $depth += $c === '(' ? 1 : -1;
            } elseif ($depth === 0 && substr($text, $i, strlen($needle)) === $needle) {
                return $i;
            }
        }
        return false;
    }

    /* $text split at its commas outside quotes and parentheses. */
    private static function splitUnquoted($text)
    {
        $parts = array();
        while (($comma = self::findUnquoted($text, ',', 0)) !== false) {
            $parts[] = substr($text, 0, $comma);
            $text = substr($text, $comma + 1);
        }
        $parts[] = $text;
        return $parts;
    }

    /* A statement the site itself needs; failures end the request. */
    private function run($sql)
    {
        if ($this->link->query($sql) === false) {
            $this->fail($sql);
        }
    }

    /* Table written by an INSERT, REPLACE or UPDATE statement, else null. */
    private function writtenTable($sql)
    {
        if (preg_match('/^\s*(?:insert\s+(?:ignore\s+)?into|replace\s+into|update)\s+`?([A-Za-z0-9_$]+)`?/i', $sql, $m)) {
            return $m[1];
        }
        return null;
    }

    /**
     * Looks at the warnings of the last write. Text that would be cut or
     * changed, and numbers or dates the server would have to guess at, are
     * refused; an empty value for a number or a date is what the generated
     * code sends and is kept. Messages name a field by its label (the
     * column's comment, which is what the form shows).
     */
    private function checkWarnings($table)
    {
        $warnings = $this->link->query('SHOW WARNINGS');
        if (!($warnings instanceof mysqli_result)) {
            return '';
        }
        $columns = $this->columnsOf($table);
        $refusal = '';
        while ($row = $warnings->fetch_assoc()) {
            $code = (int)$row['Code'];
            $message = (string)$row['Message'];
            $column = '';
            if (preg_match('/for column [`\']?(?:[^`\']*`\.`)*([^`\']+)[`\']?/i', $message, $m)) {
                $column = $m[1];
            }
            $info = isset($columns[strtolower($column)]) ? $columns[strtolower($column)] : null;
            $type = $info === null ? '' : $info['type'];
            $label = $info !== null && $info['comment'] !== '' ? $info['comment'] : $column;
            $isText = $type === '' || preg_match('/char|text|blob|binary|enum|set/i', $type);
            if ($code === 1366 && preg_match("/^Incorrect \\w+ value: '(.*)' for column/s", $message, $v)) {
                if (!$isText && $v[1] === '') {
                    continue;
                }
                $refusal = $isText
                    ? "“{$label}”中含有数据库无法保存的字符，未保存。"
                    : $this->formatRefusal($label, $type);
                break;
            }
            if ($code === 1265 || $code === 1406) {
                if ($isText) {
                    $refusal = "“{$label}”的内容超过了允许的长度" . $this->lengthNote($type) . '，未保存。';
                    break;
                }
                // A number or date the server cut down to what it could
                // read ("1,999" to 1, "2024-02-30" to 0000-00-00): only an
                // empty field, or a number with spaces around it, is fine.
                $sent = $this->sentValue($table, $column);
                if ($sent === null || trim($sent) === '' || (!$this->isDateType($type) && is_numeric(trim($sent)))) {
                    continue;
                }
                $refusal = $this->formatRefusal($label, $type);
                break;
            }
            if ($code === 1292 && !$isText && $this->isDateType($type)) {
                $sent = $this->sentValue($table, $column);
                if ($sent === null || trim($sent) === '') {
                    continue;
                }
                $refusal = $this->formatRefusal($label, $type);
                break;
            }
            if ($code === 1264) {
                $refusal = "“{$label}”的数值超出范围，未保存。";
                break;
            }
        }
        $warnings->free();
        return $refusal;
    }

    private function isDateType($type)
    {
        return (bool)preg_match('/^(date|datetime|timestamp|time|year)\b/i', $type);
    }

    private function formatRefusal($label, $type)
    {
        if ($this->isDateType($type)) {
            return "“{$label}”不是有效的日期（请按 2024-05-01 这样填写），未保存。";
        }
        return "“{$label}”的值格式不正确（请填写数字），未保存。";
    }

    /* " (at most N characters)" for a char or varchar column, else ''. */
    private function lengthNote($type)
    {
        return preg_match('/^(?:var)?char\((\d+)\)/i', $type, $m) ? '（最多 ' . $m[1] . ' 个字符）' : '';
    }

    /**
     * The value the request sent for a column of a table: the generated
     * forms post a record as <class>[<column>], and the table is the
     * prefix followed by the class. null when the request sent none.
     */
    private function sentValue($table, $column)
    {
        $prefix = isset($GLOBALS['dbprefix']) ? (string)$GLOBALS['dbprefix'] : '';
        if ($column === '' || strncasecmp($table, $prefix, strlen($prefix)) !== 0 || !function_exists('site_raw')) {
            return null;
        }
        $record = site_raw(substr($table, strlen($prefix)), null);
        if (!is_array($record)) {
            return null;
        }
        foreach ($record as $key => $value) {
            if (strcasecmp((string)$key, $column) === 0) {
                return is_string($value) ? $value : null;
            }
        }
        return null;
    }

    /* Columns of a table: lower-case name => (type, comment). */
    private function columnsOf($table)
    {
        if (!isset($this->columnTypes[$table])) {
            $this->columnTypes[$table] = array();
            $result = $this->link->query('SHOW FULL COLUMNS FROM `' . str_replace('`', '``', $table) . '`');
            if ($result instanceof mysqli_result) {
                while ($row = $result->fetch_assoc()) {
                    $this->columnTypes[$table][strtolower($row['Field'])] = array(
                        'type'    => (string)$row['Type'],
                        'comment' => isset($row['Comment']) ? trim((string)$row['Comment']) : '',
                    );
                }
                $result->free();
            }
        }
        return $this->columnTypes[$table];
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
            2006 => '与数据库的连接已中断，请稍后再试。',
            2013 => '与数据库的连接已中断，请稍后再试。',
        );
        $reason = isset($reasons[$errno]) ? $reasons[$errno] : '详细信息已记录在服务器日志中。';
        showmsg("数据库操作失败（错误 {$errno}）：" . $reason);
    }
}
