<?php
/**
 * The template engine of the administration area: Smarty with the
 * delimiters <{ }>, templates in admin/templates/admin, compiled into cache/.
 *
 * Every printed value is HTML-escaped, so stored text shows as text; a
 * template prints HTML made by the runtime (the page links) with nofilter.
 * The pages call one function of the runtime:
 *   <{reference_picker class='Class' name='field' value=$value [none='0']}>
 * prints the picker field of a reference member whose class is too large
 * for a drop-down (site_references.php).
 * Every page gets the signed-in account's rights as site_rights (class
 * name => right => bool, site_rights.php) and site_owner.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}
require_once WEB_ROOT . 'smarty/Smarty.class.php';

class SiteSmarty extends Smarty
{
    /** @var SiteDatabase */
    private $db;

    public function __construct(SiteDatabase $db, array $rights = array(), $owner = false)
    {
        parent::__construct();
        $this->db = $db;
        $this->assign('site_rights', $rights);
        $this->assign('site_owner', (bool)$owner);
        $this->setTemplateDir(SITE_ADMIN_DIR . 'templates/admin/');
        $this->setCompileDir(WEB_ROOT . 'cache/');
        $this->setCacheDir(WEB_ROOT . 'cache/');
        $this->setLeftDelimiter('<{');
        $this->setRightDelimiter('}>');
        $this->setEscapeHtml(true);
        $this->registerPlugin('function', 'reference_picker', array($this, 'referencePicker'));
    }

    public function referencePicker(array $params, $template)
    {
        foreach (array('class', 'name') as $required) {
            if (!isset($params[$required]) || !is_string($params[$required])) {
                throw new SmartyException('reference_picker needs the parameter ' . $required);
            }
        }
        return site_reference_picker_field($this->db, $params['class'], $params['name'],
            isset($params['value']) ? (string)$params['value'] : '', isset($params['none']) ? (string)$params['none'] : '');
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
