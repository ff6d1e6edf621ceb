<?php
/**
 * The template engine of the administration area: Smarty with the
 * delimiters <{ }>, templates in admin/templates/admin, compiled into cache/.
 *
 * Every printed value is HTML-escaped, so stored text shows as text. The
 * page-link bar "pages" is HTML made by multi() and is printed as it is.
 * A search value that is shown again in its field is shown as it was typed,
 * not in its SQL-escaped form. The lists of a referenced class's records
 * that fill a controller's drop-downs are shown sorted by their display
 * text.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once WEB_ROOT . 'smarty/Smarty.class.php';

class SiteSmarty extends Smarty
{
    /* Template variable of a referenced class's list => array(display
       member, whether it is a number). */
    private $sortedLists = array();

    public function __construct()
    {
        parent::__construct();
        $this->setTemplateDir(SITE_ADMIN_DIR . 'templates/admin/');
        $this->setCompileDir(WEB_ROOT . 'cache/');
        $this->setCacheDir(WEB_ROOT . 'cache/');
        $this->setLeftDelimiter('<{');
        $this->setRightDelimiter('}>');
        $this->setEscapeHtml(true);
        $this->muteUndefinedOrNullWarnings();
        $this->registerFilter('pre', array($this, 'prepareSource'));
        $this->registerFilter('output', array($this, 'addIcon'));
        $this->registerFilter('output', array($this, 'referencePickers'));
    }

    /* Reference fields over large tables become pickers (site_references.php). */
    public function referencePickers($output, $template)
    {
        if (!function_exists('site_reference_pickers')) {
            return $output;
        }
        $name = isset($template->source->name) ? (string)$template->source->name : '';
        return site_reference_pickers($output, $name, function ($var) use ($template) {
            return $template->getTemplateVars($var);
        });
    }

    /* Every page carries the site's icon, so browsers do not ask for a
       missing /favicon.ico on each page. */
    public function addIcon($output, $template)
    {
        $css = isset($GLOBALS['css_root']) ? (string)$GLOBALS['css_root'] : '';
        if ($css === '' || stripos($output, '</head>') === false || preg_match('/<link[^>]+rel="(shortcut )?icon"/i', $output)) {
            return $output;
        }
        $link = '<link href="' . htmlspecialchars($css, ENT_QUOTES, 'UTF-8') . 'images/favicon.svg" rel="icon" type="image/svg+xml" />';
        return preg_replace('#</head>#i', $link . "\n</head>", $output, 1);
    }

    /* An address made of the site's address and a path that starts with "/"
       (the no-picture image of the lists) loses the doubled slash. */
    private function tidyAddresses($value)
    {
        if (is_array($value)) {
            foreach ($value as $key => $item) {
                $value[$key] = $this->tidyAddresses($item);
            }
            return $value;
        }
        $base = isset($GLOBALS['web_url']) ? (string)$GLOBALS['web_url'] : '';
        if (is_string($value) && $base !== '' && substr($base, -1) === '/' && strncmp($value, $base . '/', strlen($base) + 1) === 0) {
            return $base . ltrim(substr($value, strlen($base)), '/');
        }
        return $value;
    }

    /**
     * Marks the lists of the classes that the controller's class refers to
     * (named, as the controllers name them, after the referenced class
     * with its first letter lowered, followed by "List") to be sorted by
     * the referenced class's display member. $ownList, the controller's
     * own record list, keeps the order its page asked for.
     */
    public function sortReferenceLists(array $class, $ownList)
    {
        foreach ($class['members'] as $member) {
            $target = isset($member['reference']) && is_string($member['reference']) ? site_model_class($member['reference']) : null;
            $list = $target === null ? '' : site_lower_first($member['reference']) . 'List';
            if ($list === '' || $list === $ownList || !isset($target['members'][$target['display']])) {
                continue;
            }
            $type = $target['members'][$target['display']]['type'];
            $this->sortedLists[$list] = array((string)$target['display'], $type === 'integer' || $type === 'float');
        }
    }

    /* Rows sorted by one column's text, in natural order without regard to
       case, numbers by value; rows that tie keep their order. */
    private static function sortRows(array $rows, $column, $numeric)
    {
        usort($rows, function ($a, $b) use ($column, $numeric) {
            $x = is_array($a) && isset($a[$column]) ? (string)$a[$column] : '';
            $y = is_array($b) && isset($b[$column]) ? (string)$b[$column] : '';
            if ($numeric && is_numeric($x) && is_numeric($y)) {
                return (float)$x <=> (float)$y;
            }
            return strnatcasecmp($x, $y) ?: strcmp($x, $y);
        });
        return $rows;
    }

    /* Drops a byte-order mark and lets the page-link HTML through. */
    public function prepareSource($source, $template)
    {
        if (substr($source, 0, 3) === "\xEF\xBB\xBF") {
            $source = substr($source, 3);
        }
        return preg_replace('/<\{\s*\$pages\s*\}>/', '<{$pages nofilter}>', $source);
    }

    public function assign($tpl_var, $value = null, $nocache = false)
    {
        if (is_string($tpl_var) && is_string($value)) {
            $raw = site_raw_values('get');
            if (isset($raw[$tpl_var]) && is_string($raw[$tpl_var]) && $value === $GLOBALS['DB']->escape($raw[$tpl_var])) {
                $value = $raw[$tpl_var];
            }
        }
        if (is_string($tpl_var)) {
            $value = $this->tidyAddresses($value);
            if (isset($this->sortedLists[$tpl_var]) && is_array($value)) {
                $value = self::sortRows($value, $this->sortedLists[$tpl_var][0], $this->sortedLists[$tpl_var][1]);
            }
        }
        return parent::assign($tpl_var, $value, $nocache);
    }

    public function display($template = null, $cache_id = null, $compile_id = null, $parent = null)
    {
        // A page the last generation could not merge is not shown (site_unmerged.php).
        if (is_string($template)) {
            site_refuse_unmerged('admin/templates/admin/' . $template);
        }
        try {
            parent::display($template, $cache_id, $compile_id, $parent);
        } catch (Throwable $e) {
            error_log('site: template ' . (is_string($template) ? $template : '?') . ': ' . $e->getMessage());
            showmsg('页面模板出错：' . (is_string($template) ? basename($template) : ''), '', 500);
        }
    }
}
