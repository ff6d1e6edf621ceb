<?php
/**
 * The site's model as the generation run described it in
 * admin/include/site_model.php: per class its table, key and display
 * member, and per member its type, length, required flag, label, picture
 * flag, referenced class and whether the list shows and searches it. Code that needs the model asks here and
 * refuses to go on when the answer is null.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/**
 * The whole description (class name => class), read once per request, or
 * null when the file is missing, cannot be read or is not a description.
 */
function site_model()
{
    static $model = false;
    if ($model !== false) {
        return $model;
    }
    $model = null;
    $file = __DIR__ . '/site_model.php';
    if (!is_file($file) || !is_readable($file)) {
        return null;
    }
    // The generated file starts with a byte-order mark, which PHP would
    // print: it is caught here and dropped.
    ob_start();
    try {
        $read = include $file;
    } catch (Throwable $e) {
        error_log('site: the model description cannot be read: ' . $e->getMessage());
        $read = null;
    } finally {
        ob_end_clean();
    }
    if (!is_array($read)) {
        return null;
    }
    foreach ($read as $name => $class) {
        if (!is_array($class) || !isset($class['table'], $class['label'], $class['key'], $class['display'], $class['members'])
            || !is_string($class['key']) || !is_string($class['display']) || !is_array($class['members'])
            || !isset($class['members'][$class['key']])) {
            error_log('site: the model description is damaged at class ' . $name);
            return null;
        }
        foreach ($class['members'] as $member) {
            // The list and search flags came later: a description without them is read.
            if (!is_array($member) || !isset($member['type'], $member['label']) || !array_key_exists('required', $member)
                || (isset($member['list']) && !is_bool($member['list'])) || (isset($member['search']) && !is_bool($member['search']))) {
                error_log('site: the model description is damaged at class ' . $name);
                return null;
            }
        }
    }
    $model = $read;
    return $model;
}

/* One class of the description by its class name, or null. */
function site_model_class($class)
{
    $model = site_model();
    return $model !== null && (is_string($class) || is_int($class)) && isset($model[$class]) ? $model[$class] : null;
}

/* A class name with its first letter lowered when that is an ASCII
   capital: the stem of the class's controller and page names. */
function site_lower_first($name)
{
    $name = (string)$name;
    return $name !== '' && $name[0] >= 'A' && $name[0] <= 'Z' ? strtolower($name[0]) . substr($name, 1) : $name;
}

/* The description of the model; a request that needs it is refused when
   it is missing, so no check is ever skipped for want of it. */
function site_require_model()
{
    $model = site_model();
    if ($model === null) {
        error_log('site: admin/include/site_model.php is missing or cannot be read');
        showmsg('网站的模型描述（admin/include/site_model.php）不存在或无法读取，操作已被拒绝。请重新生成网站。', '', 500);
    }
    return $model;
}

/**
 * The name of the class a generated controller serves, found in the
 * description by the controller's file stem (as the run names the file:
 * the class's name with its first letter lowered; of two classes with one
 * stem the later one's controller is the file), or null.
 */
function site_controller_class_name($stem)
{
    $found = null;
    foreach (site_require_model() as $name => $class) {
        if (site_lower_first($name) === (string)$stem) {
            $found = (string)$name;
        }
    }
    return $found;
}

/* The class a generated controller serves; a class the description does
   not list refuses the request. */
function site_controller_model($stem)
{
    $name = site_controller_class_name($stem);
    if ($name === null) {
        error_log('site: the model description lists no class for the controller ' . $stem);
        showmsg('网站的模型描述中没有“' . $stem . '”这个类，操作已被拒绝。请重新生成网站。', '', 500);
    }
    return site_model_class($name);
}
