<?php
// Compiles Smarty templates with the delimiters "<{" and "}>" and checks the
// PHP that each compiles to. Usage:
//   php smarty_compile.php SMARTY_DIR COMPILE_DIR TEMPLATE...
// Prints one line per template; exits 1 when any template fails.

if ($argc < 4) {
    fwrite(STDERR, "usage: php smarty_compile.php SMARTY_DIR COMPILE_DIR TEMPLATE...\n");
    exit(2);
}
require $argv[1] . '/bootstrap.php';

$smarty = new Smarty();
$smarty->setLeftDelimiter('<{');
$smarty->setRightDelimiter('}>');
$smarty->setCompileDir($argv[2]);
$smarty->force_compile = true;
// The function the site registers for its reference fields (SiteSmarty).
$smarty->registerPlugin('function', 'reference_picker', function () { return ''; });

$failed = 0;
foreach (array_slice($argv, 3) as $file) {
    try {
        $template = $smarty->createTemplate('file:' . realpath($file));
        $template->compileTemplateSource();
        $compiled = $template->compiled->filepath;
        exec(escapeshellarg(PHP_BINARY) . ' -l ' . escapeshellarg($compiled) . ' 2>&1', $lint, $status);
        if ($status !== 0) {
            throw new Exception('the compiled PHP does not parse: ' . implode(' ', $lint));
        }
        echo "ok      $file\n";
    } catch (Throwable $e) {
        $failed++;
        echo "FAILED  $file\n        " . get_class($e) . ': ' . $e->getMessage() . "\n";
    }
}
exit($failed === 0 ? 0 : 1);
