<?php
// Compiles every template of a generated site's administration area with
// the site's own Smarty and the site's delimiters:
//   php compile-templates.php SITE_DIR COMPILE_DIR
// Prints "ok NAME" or "fail NAME: message" per template.
$site = rtrim($argv[1], '/');
require_once $site . '/smarty/Smarty.class.php';

$smarty = new Smarty();
$smarty->setTemplateDir($site . '/admin/templates/admin');
$smarty->setCompileDir($argv[2]);
$smarty->left_delimiter = '<{';
$smarty->right_delimiter = '}>';
// The function the site registers for its reference fields (SiteSmarty).
$smarty->registerPlugin('function', 'reference_picker', function () { return ''; });

$names = array();
foreach (new DirectoryIterator($site . '/admin/templates/admin') as $f) {
    if ($f->isFile() && preg_match('/\.(html|tpl)$/', $f->getFilename())) {
        $names[] = $f->getFilename();
    }
}
sort($names);
foreach ($names as $name) {
    try {
        $tpl = $smarty->createTemplate($name);
        $tpl->compileTemplateSource();
        echo "ok $name\n";
    } catch (Throwable $e) {
        echo "fail $name: " . str_replace("\n", ' ', $e->getMessage()) . "\n";
    }
}
