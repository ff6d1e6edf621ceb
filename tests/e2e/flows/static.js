// The generated files themselves: every PHP file passes php -l and every
// template compiles with the site's Smarty.
'use strict';
const fs = require('fs');
const path = require('path');
const { spawnSync } = require('child_process');
const { listFiles } = require('../lib/site');

async function run(ctx) {
  const { checks, env } = ctx;
  const site = env.siteDir;

  await checks.group('php -l on every PHP file of the site', async () => {
    const files = listFiles(site).filter((f) => f.endsWith('.php') && !f.startsWith('smarty/'));
    const controllers = files.filter((f) => /^admin\/[^/]+\.php$/.test(f));
    for (const c of ['admin/category.php', 'admin/brand.php', 'admin/product.php'])
      checks.ok(controllers.includes(c), `generated controller ${c} exists`);
    const broken = [];
    for (const f of files) {
      const r = spawnSync('php', ['-l', path.join(site, f)], { encoding: 'utf8' });
      if (r.status !== 0) broken.push(`${f}: ${(r.stdout + r.stderr).trim()}`);
    }
    checks.ok(files.length > 3 && broken.length === 0, `php -l passes on all ${files.length} PHP files`, broken);
  });

  await checks.group('every template compiles with Smarty', async () => {
    const r = spawnSync('php', [path.join(__dirname, '../lib/compile-templates.php'), site, path.join(env.tmp, 'smarty-compile')],
      { encoding: 'utf8' });
    const lines = r.stdout.split('\n').filter(Boolean);
    const expected = ['fream.tpl', ...['category', 'brand', 'product'].flatMap((c) => [`${c}.html`, `${c}_add.html`, `${c}_edit.html`])];
    for (const name of expected) checks.ok(lines.includes(`ok ${name}`), `template ${name} compiles`, lines.find((l) => l.includes(name)) || r.stderr);
    checks.ok(r.status === 0 && lines.every((l) => l.startsWith('ok ')), `all ${lines.length} templates compile`, lines.filter((l) => !l.startsWith('ok ')));
  });
}

// What keeps Apache from serving the internals (the built-in server used
// here ignores these files, so their presence and rules are checked).
async function accessRules(ctx) {
  const { checks, env } = ctx;
  await checks.group('access rules for servers that read .htaccess', async () => {
    const denies = /Require all denied|Deny from all/;
    for (const dir of ['cache', 'smarty', 'admin/include', 'admin/templates']) {
      const file = path.join(env.siteDir, dir, '.htaccess');
      checks.ok(fs.existsSync(file) && denies.test(fs.readFileSync(file, 'utf8')), `${dir}/.htaccess denies access`);
    }
    const root = path.join(env.siteDir, '.htaccess');
    checks.ok(fs.existsSync(root) && /config\\?\.inc\\?\.php/.test(fs.readFileSync(root, 'utf8')) && denies.test(fs.readFileSync(root, 'utf8')),
      'the site folder\'s .htaccess denies config.inc.php');
  });
}

module.exports = { run, accessRules };
