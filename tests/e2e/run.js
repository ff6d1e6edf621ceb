// The generated site in Debian's Chromium, started by tests/scripts/e2e.sh
// with the site served and its database loaded. Writes "PASSED FAILED" to
// $E2E_COUNTS; the shell prints the summary line.
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { chromium } = require('playwright-core');
const { Checks } = require('./lib/checks');
const { Db } = require('./lib/db');
const { Site } = require('./lib/site');

const env = {
  baseUrl: process.env.E2E_BASE_URL,
  siteDir: process.env.E2E_SITE_DIR,
  tmp: process.env.E2E_TMP,
  socket: process.env.E2E_DB_SOCKET,
  dbName: process.env.E2E_DB_NAME,
  dbPassword: process.env.E2E_DB_PASSWORD,
  screenshot: process.env.E2E_SCREENSHOT,
  counts: process.env.E2E_COUNTS,
};

const BROWSER_ARGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

const checks = new Checks();
const writeCounts = () => fs.writeFileSync(env.counts, `${checks.passed} ${checks.failed}\n`);

// Test pictures made with GD, and files that only pretend to be pictures.
function makeImages(dir) {
  fs.mkdirSync(dir, { recursive: true });
  execFileSync('php', ['-r', `
    $d = $argv[1];
    $make = function ($w, $h, $rgb) { $im = imagecreatetruecolor($w, $h);
      imagefill($im, 0, 0, imagecolorallocate($im, $rgb[0], $rgb[1], $rgb[2]));
      imagefilledrectangle($im, $w / 4, $h / 4, $w / 2, $h / 2, imagecolorallocate($im, 255, 255, 255)); return $im; };
    imagepng($make(640, 480, [200, 30, 30]), "$d/red.png");
    imagejpeg($make(300, 200, [30, 60, 200]), "$d/blue.jpg", 90);
    imagegif($make(120, 80, [30, 160, 60]), "$d/green.gif");
    imagejpeg($make(400, 300, [120, 120, 20]), "$d/big.jpg", 90);
    file_put_contents("$d/big.jpg", str_repeat("\\0", 2100000), FILE_APPEND);
    imagepng($make(64, 64, [10, 10, 10]), "$d/shell.php");
  `, dir]);
  fs.writeFileSync(path.join(dir, 'evil.jpg'), "<?php echo 'E2E-PWNED-' . (6 * 7); ?>\n");
  fs.writeFileSync(path.join(dir, 'gifphp.jpg'), "GIF89a<?php echo 'E2E-PWNED-' . (6 * 7); ?>\n");
  const names = ['red.png', 'blue.jpg', 'green.gif', 'big.jpg', 'shell.php', 'evil.jpg', 'gifphp.jpg'];
  return Object.fromEntries(names.map((n) => [n.replace(/\.[a-z]+$/, ''), path.join(dir, n)]));
}

async function main() {
  // A guard against a hung browser, not a speed check: on a busy two-core
  // machine the run takes several minutes. It stays below the test's own
  // CTest timeout.
  const deadline = setTimeout(() => {
    checks.ok(false, 'the browser run ended before its hang guard (1000 s)');
    writeCounts();
    process.exit(1);
  }, 1000000);
  deadline.unref();

  fs.mkdirSync(path.join(env.tmp, 'smarty-compile'), { recursive: true });
  const db = new Db(env.socket, env.dbName);
  const site = new Site({ baseUrl: env.baseUrl, siteDir: env.siteDir, checks });
  const images = makeImages(path.join(env.tmp, 'images'));
  const ctx = { checks, db, site, env, images, state: {} };

  await require('./flows/static').run(ctx);

  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args: BROWSER_ARGS });
  try {
    ctx.browser = browser;
    ctx.context = await browser.newContext({ viewport: { width: 1280, height: 900 } });
    ctx.context.on('page', (p) => site.guard(p));
    ctx.page = site.guard(await ctx.context.newPage());
    // Timeouts only guard against a hang: every wait ends at the event it waits for.
    ctx.context.setDefaultTimeout(30000);
    ctx.context.setDefaultNavigationTimeout(60000);
    // Any alert is a script that should not have run; confirmations are accepted.
    ctx.dialogs = [];
    ctx.context.on('page', (p) => p.on('dialog', async (d) => {
      ctx.dialogs.push({ type: d.type(), message: d.message(), url: p.url() });
      await (d.type() === 'alert' ? d.dismiss() : d.accept()).catch(() => {});
    }));
    ctx.page.on('dialog', async (d) => {
      ctx.dialogs.push({ type: d.type(), message: d.message(), url: ctx.page.url() });
      await (d.type() === 'alert' ? d.dismiss() : d.accept()).catch(() => {});
    });

    await require('./flows/access').signedOutAndSignIn(ctx);
    if (ctx.signedIn) {
      await require('./flows/records').run(ctx);
      await require('./flows/team').run(ctx);
      await require('./flows/attacks').run(ctx);
      await require('./flows/picker').run(ctx);
      await require('./flows/access').signOut(ctx);
      await require('./flows/static').accessRules(ctx);
    } else {
      checks.ok(false, 'signed in: the record and attack checks need a session');
    }
    checks.equal(ctx.dialogs.filter((d) => d.type === 'alert'), [], 'no alert dialog opened during the whole run');
  } finally {
    await browser.close();
  }
}

main()
  .catch((e) => checks.ok(false, 'the browser run ended without an uncaught error', e && e.stack))
  .finally(() => {
    writeCounts();
    process.exit(checks.failed ? 1 : 0);
  });
