<?php
/**
 * What the site's database account may do beyond the site's own database,
 * read from the server's grants: the welcome page warns about an account
 * that can do more than the site needs.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

class SiteAccountRights
{
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
    public static function of(SiteDatabase $db, $database)
    {
        $account = (string)$db->own_rows('SELECT CURRENT_USER() AS a')[0]['a'];
        $lines = $db->own_rows('SHOW GRANTS');
        $roles = array();
        foreach ($lines as $line) {
            $grant = self::parseGrant((string)reset($line));
            $roles = array_merge($roles, $grant !== null && isset($grant['roles']) ? $grant['roles'] : array());
        }
        // A role's rights are shown while it is the current role (MariaDB),
        // or with USING (MySQL); the current role is set back afterwards.
        if ($roles && $db->is_mariadb()) {
            $current = $db->own_rows('SELECT CURRENT_ROLE() AS r')[0]['r'];
            try {
                foreach (array_unique($roles) as $role) {
                    $db->own_rows('SET ROLE ' . $role);
                    $lines = array_merge($lines, $db->own_rows('SHOW GRANTS'));
                }
            } finally {
                $db->own_rows($current === null ? 'SET ROLE NONE' : 'SET ROLE `' . str_replace('`', '``', $current) . '`');
            }
        } elseif ($roles) {
            $lines = array_merge($lines, $db->own_rows('SHOW GRANTS FOR CURRENT_USER() USING ' . implode(', ', array_unique($roles))));
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
}
