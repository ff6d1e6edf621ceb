// The generated files themselves: every PHP file passes php -l and every
// template compiles with the site's Smarty.
'use strict';
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

module.exports = { run };
