<?php
/**
 * The page-link bar of the lists: multi() builds it from the number of
 * records, the page size, the current page and the list's address.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/**
 * Builds the page-link bar of a list.
 *   $num      number of matching records
 *   $perpage  records per page
 *   $curpage  current page (1-based)
 *   $mpurl    address of the list with its filter values, e.g.
 *             "user.php?ack=show&name=abc&operation=query"
 *   $maxpages how many page numbers are shown around the current one
 * The links keep every value of the given address and always lead to the
 * list act.
 */
function multi($num, $perpage, $curpage, $mpurl, $maxpages = 10)
{
    $num = max(0, (int)$num);
    $perpage = max(1, (int)$perpage);
    $maxpages = max(1, (int)$maxpages);
    $pagecount = max(1, (int)ceil($num / $perpage));
    $curpage = min(max(1, (int)$curpage), $pagecount);

    list($script, $params) = site_pager_address($mpurl);
    $link = function ($page) use ($script, $params) {
        $params['page'] = $page;
        return site_h($script . '?' . http_build_query($params, '', '&', PHP_QUERY_RFC3986));
    };

    $html = '<div class="pages"><em>共 ' . $num . ' 条记录，' . $pagecount . ' 页</em>';
    if ($pagecount > 1) {
        $from = max(1, $curpage - (int)floor(($maxpages - 1) / 2));
        $to = min($pagecount, $from + $maxpages - 1);
        $from = max(1, $to - $maxpages + 1);
        if ($curpage > 1) {
            $html .= '<a class="first" href="' . $link(1) . '">首页</a>';
            $html .= '<a class="prev" href="' . $link($curpage - 1) . '">上一页</a>';
        }
        for ($i = $from; $i <= $to; $i++) {
            if ($i === $curpage) {
                $html .= '<strong>' . $i . '</strong>';
            } else {
                $html .= '<a href="' . $link($i) . '">' . $i . '</a>';
            }
        }
        if ($curpage < $pagecount) {
            $html .= '<a class="next" href="' . $link($curpage + 1) . '">下一页</a>';
            $html .= '<a class="last" href="' . $link($pagecount) . '">末页</a>';
        }
    }
    $html .= '</div>';
    return $html;
}

/**
 * Splits a list address into its script and its parameters. Values that
 * arrived with the request are taken as they were sent (the address holds
 * them escaped for SQL and not URL-encoded); "ack" is read as "act", and the
 * act is always the list.
 */
function site_pager_address($mpurl)
{
    $mpurl = (string)$mpurl;
    $pos = strpos($mpurl, '?');
    $script = $pos === false ? $mpurl : substr($mpurl, 0, $pos);
    $query = $pos === false ? '' : substr($mpurl, $pos + 1);
    if (!preg_match('/^[A-Za-z0-9_.\-]+\.php$/', $script)) {
        $script = basename(isset($_SERVER['SCRIPT_NAME']) ? $_SERVER['SCRIPT_NAME'] : 'index.php');
    }
    $raw = site_raw_values('get');
    $params = array('act' => 'show');
    foreach (explode('&', $query) as $pair) {
        if ($pair === '') {
            continue;
        }
        $eq = strpos($pair, '=');
        if ($eq === false) {
            continue;
        }
        $key = urldecode(substr($pair, 0, $eq));
        if ($key === 'ack' || $key === 'act' || $key === 'page' || !preg_match('/^[A-Za-z0-9_]+$/', $key)) {
            continue;
        }
        if (array_key_exists($key, $raw) && is_string($raw[$key])) {
            $params[$key] = $raw[$key];
        } else {
            $params[$key] = site_sql_unescape(urldecode(substr($pair, $eq + 1)));
        }
    }
    return array($script, $params);
}
