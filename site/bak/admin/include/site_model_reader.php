<?php
/**
 * The site's model as the generation run wrote it (admin/include/site_model.php):
 * classes by name, each with its table, label, key, display member and
 * members. Code that needs it fails closed when it is not there.
 */
if (!defined('IN_WEB')) {
    http_response_code(403);
    exit;
}

/* The model description, read once per request; null when the file is
   missing or does not hold a model. */
function site_model()
{
    static $loaded = false;
    static $model = null;
    if (!$loaded) {
        $loaded = true;
        $file = SITE_ADMIN_DIR . 'include/site_model.php';
        if (is_file($file) && is_readable($file)) {
            $value = include $file;
            $model = is_array($value) ? $value : null;
        }
    }
    return $model;
}

/* One class of the model by its name, or null. */
function site_model_class($class)
{
    $model = site_model();
    if (!is_array($model) || !is_string($class) || !isset($model[$class]) || !is_array($model[$class])) {
        return null;
    }
    return $model[$class];
}
