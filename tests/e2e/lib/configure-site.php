<?php
// Points a generated site's config.inc.php at the test database:
//   php configure-site.php SITE/config.inc.php
// Each setting named below is replaced in place; a setting the file lacks is
// an error, so a renamed setting shows up here and not as a failed sign-in.
$file = $argv[1];
$settings = array(
    'dbsocket' => getenv('E2E_DB_SOCKET'),
    'dbuser'   => getenv('E2E_DB_USER'),
    'dbpw'     => getenv('E2E_DB_PASSWORD'),
    'dbname'   => getenv('E2E_DB_NAME'),
    'dbprefix' => 'php_',
);
$text = file_get_contents($file);
if ($text === false) {
    fwrite(STDERR, "cannot read $file\n");
    exit(1);
}
foreach ($settings as $name => $value) {
    $pattern = '/^(\s*\$' . $name . '\s*=\s*)[^;]*;/m';
    $count = 0;
    $text = preg_replace_callback($pattern, function ($m) use ($value) {
        return $m[1] . var_export($value, true) . ';';
    }, $text, 1, $count);
    if ($count !== 1) {
        fwrite(STDERR, "$file has no setting \$$name\n");
        exit(1);
    }
}
file_put_contents($file, $text);
echo "configured $file\n";
