// Who gets in: signed-out visitors are sent to the sign-in page, the first
// visit creates the administrator, sign-in needs the password and the
// captcha, the session cookie is guarded, and signing out ends it all.
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { request, multipart } = require('../lib/http');

const ADMIN = { name: 'admin', password: 'E2e-Secret-pass 1' };
const CLASSES = { category: 'id', brand: 'code', product: 'id' };
const ACTS = ['show', 'add', 'addok', 'remove', 'delall', 'edit', 'editok'];
const SESSION_COOKIE = 'SITESESSID';

// Markers of pages that only an administrator may see.
const PROTECTED = /act=delall|确定添加|确定更新|name="delid\[\]"|欢迎使用管理中心|open_onepic|class="hover"/;

// The captcha the site keeps in the visitor's session (read from the
// session file on disk: the test runs beside the server).
function captchaOf(siteDir, sessionId) {
  return execFileSync('php', ['-r', `
    $d = @unserialize((string)@file_get_contents($argv[1]), array('allowed_classes' => false));
    echo is_array($d) && isset($d['site_captcha']['code']) ? $d['site_captcha']['code'] : '';`,
  path.join(siteDir, 'cache', 'sessions', `sess_${decodeURIComponent(sessionId)}`)], { encoding: 'utf8' });
}

const sessionCookie = async (context, base) => (await context.cookies(base)).find((c) => c.name === SESSION_COOKIE);

// Opens the sign-in page and returns the captcha shown on it.
async function openSignIn(site, page) {
  await page.goto(site.admin('signin.php'));
  await page.waitForFunction(() => { const i = document.getElementById('captcha_image'); return i && i.complete; }, null, { timeout: 30000 });
  const loaded = await page.$eval('#captcha_image', (i) => i.naturalWidth > 0);
  const cookie = await sessionCookie(page.context(), site.baseUrl);
  return { loaded, cookie, code: cookie ? captchaOf(site.siteDir, cookie.value) : '' };
}

async function signInWith(page, { name, password, captcha }) {
  await page.fill('#admin_name', name);
  await page.fill('#admin_password', password);
  await page.fill('#captcha', captcha);
  await Promise.all([page.waitForNavigation(), page.click('#signin_submit')]);
  // The page has loaded: a refusal shows its message now or never.
  const shownError = page.locator('#signin_error');
  const error = (await shownError.count()) ? await shownError.textContent() : null;
  return { url: page.url(), error };
}

async function expectSignedOut(ctx, label, headers = {}) {
  const { checks, site, db } = ctx;
  const urls = ['admin/index.php', 'admin/index.php?act=welcome', 'admin/', 'admin/open_onepic.php?txtName=picture', 'admin/include/upload.php'];
  for (const [cls, key] of Object.entries(CLASSES))
    for (const act of ACTS) urls.push(`admin/${cls}.php?act=${act}&${key}=1`);
  const leaks = [];
  for (const u of urls) {
    const r = await request(site.url(u), { headers });
    const toSignIn = (r.status >= 300 && r.status < 400 && /signin\.php/.test(r.headers.location || '')) || r.status === 401 || r.status === 403;
    if (!toSignIn || PROTECTED.test(r.text)) leaks.push(`${u} -> ${r.status} ${r.headers.location || ''} ${r.text.slice(0, 80)}`);
  }
  checks.ok(leaks.length === 0, `${label}: all ${urls.length} administration addresses send to sign-in`, leaks);
  const n = db.count('php_category');
  const form = multipart([['category[id]', ''], ['category[name]', 'E2E-SIGNED-OUT']]);
  await request(site.admin('category.php?act=addok'), { method: 'POST', body: form.body,
    headers: { ...headers, 'Content-Type': form.contentType, Origin: site.baseUrl, Referer: site.admin('category.php?act=add') } });
  checks.equal(db.count('php_category'), n, `${label}: a signed-out POST to addok stores nothing`);
}

async function signedOutAndSignIn(ctx) {
  const { checks, site, db, page } = ctx;

  await checks.group('signed out: every administration page sends to sign-in', async () => {
    await expectSignedOut(ctx, 'no session');
    for (const f of ['config.inc.php', 'admin/include/global.php', 'admin/include/site_database.class.php']) {
      const r = await request(site.url(f));
      checks.ok(r.status === 403 && !r.text.includes(ctx.env.dbPassword) && !/\$dbpw/.test(r.text), `${f} over HTTP: refused, nothing shown`,
        { status: r.status, body: r.text.slice(0, 100) });
    }
    await page.goto(site.admin('product.php?act=show'));
    checks.ok(/\/admin\/signin\.php/.test(page.url()), 'browser: a list page sends to the sign-in page', page.url());
  });

  await checks.group('first visit creates the administrator', async () => {
    await page.goto(site.admin(''));
    checks.ok(/signin\.php/.test(page.url()) && (await page.locator('#admin_password2').count()) === 1,
      'first visit: the page asks to create the administrator', page.url());
    checks.equal(await page.locator('#captcha').count(), 0, 'first visit: no captcha before an account exists');
    await page.fill('#admin_name', ADMIN.name);
    await page.fill('#admin_password', ADMIN.password);
    await page.fill('#admin_password2', `${ADMIN.password}x`);
    await Promise.all([page.waitForNavigation(), page.click('#signin_submit')]);
    checks.equal(Number(db.value('SELECT COUNT(*) FROM php_site_admin')), 0, 'first visit: passwords that differ create no account');
    const before = await sessionCookie(ctx.context, site.baseUrl);
    await page.fill('#admin_name', ADMIN.name);
    await page.fill('#admin_password', ADMIN.password);
    await page.fill('#admin_password2', ADMIN.password);
    await Promise.all([page.waitForNavigation(), page.click('#signin_submit')]);
    const rows = db.query('SELECT admin_name, password_hash FROM php_site_admin');
    checks.ok(rows.length === 1 && rows[0].admin_name === ADMIN.name, 'first visit: one administrator account stored', rows);
    checks.ok(rows.length === 1 && /^\$2y\$|^\$argon2/.test(rows[0].password_hash) && !rows[0].password_hash.includes(ADMIN.password),
      'first visit: the password is stored as a password_hash', rows[0] && rows[0].password_hash.slice(0, 7));
    checks.ok(/\/admin\/(index\.php)?$/.test(page.url()), 'first visit: signed in and in the administration frame', page.url());
    const after = await sessionCookie(ctx.context, site.baseUrl);
    checks.ok(after && (!before || after.value !== before.value), 'first visit: a new session id once signed in');
    ctx.signedIn = !!after;
    // Creating a second account through the same form is no longer possible.
    const r = await request(site.admin('signin.php?act=setup'), { method: 'POST',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded', Origin: site.baseUrl },
      body: Buffer.from(`admin_name=intruder&admin_password=intruder-pass&admin_password2=intruder-pass`) });
    checks.ok(Number(db.value('SELECT COUNT(*) FROM php_site_admin')) === 1 && r.status < 500, 'a second setup request creates no account');
  });

  await checks.group('sign-in with password and captcha', async () => {
    const context = await ctx.browser.newContext();
    const p = site.guard(await context.newPage());
    try {
      await p.goto(site.admin('brand.php?act=show'));
      checks.ok(/signin\.php/.test(p.url()) && (await p.locator('#captcha').count()) === 1 && (await p.locator('#admin_password2').count()) === 0,
        'later visits: the sign-in form with a captcha', p.url());
      let shown = await openSignIn(site, p);
      checks.ok(shown.loaded, 'code.php sends a captcha picture');
      checks.ok(/^[A-Za-z0-9]{4,8}$/.test(shown.code), 'the captcha is kept in the session', shown.code);
      let r = await signInWith(p, { ...ADMIN, password: 'wrong password', captcha: shown.code });
      checks.ok(/signin\.php/.test(r.url) && r.error, 'a wrong password is refused', r);
      shown = await openSignIn(site, p);
      r = await signInWith(p, { ...ADMIN, captcha: shown.code === 'AAAA' ? 'BBBB' : 'AAAA' });
      checks.ok(/signin\.php/.test(r.url) && r.error, 'a wrong captcha is refused, even with the right password', r);
      shown = await openSignIn(site, p);
      const before = shown.cookie && shown.cookie.value;
      r = await signInWith(p, { ...ADMIN, captcha: shown.code.toLowerCase() });
      checks.ok(/\/admin\/(index\.php)?$/.test(r.url) && !r.error, 'the right password and captcha sign in', r);
      const cookie = await sessionCookie(context, site.baseUrl);
      checks.ok(cookie && cookie.value !== before, 'sign-in gives a new session id', { before, after: cookie && cookie.value });
      checks.ok(cookie && cookie.httpOnly && cookie.sameSite === 'Strict', 'the session cookie is HttpOnly and SameSite=Strict', cookie);
      // The old id, known before sign-in, opens nothing.
      const old = await request(site.admin('product.php?act=show'), { headers: { Cookie: `${SESSION_COOKIE}=${before}` } });
      checks.ok(old.status >= 300 && old.status < 400 && /signin\.php/.test(old.headers.location || ''), 'the session id from before sign-in is signed out',
        old.status);
      await p.goto(site.admin('index.php'));
      checks.ok(await p.locator('frame[name=main], iframe[name=main]').count() === 1, 'the frame holds the page "main"');
      await site.expectCleanPage(p, 'administration frame');
      // Every class has a tab whose menu opens its list and add pages in "main".
      for (const cls of Object.keys(CLASSES)) {
        checks.ok(await p.locator(`a[href="${cls}.php?act=show"][target=main]`).count() === 1
          && await p.locator(`a[href="${cls}.php?act=add"][target=main]`).count() === 1, `the menu offers the list and add pages of ${cls}`);
      }
      await p.locator('#frame_tabs a, .frame-tabs a').filter({ hasText: '商品' }).first().click();
      await p.locator('a[href="product.php?act=show"][target=main]').click();
      const main = p.frame({ name: 'main' });
      await main.waitForURL(/product\.php\?act=show/);
      await main.waitForLoadState('load');
      checks.equal((await main.locator('h3').first().textContent()).trim(), '商品管理', 'the menu opens the product list in the frame');
    } finally {
      await context.close();
    }
  });
}

async function signOut(ctx) {
  const { checks, site, page } = ctx;
  await checks.group('sign-out', async () => {
    const cookie = await sessionCookie(ctx.context, site.baseUrl);
    await page.goto(site.admin('index.php'));
    const control = page.locator('form[action*="act=logout"] [type=submit], a[href*="act=logout"]').first();
    checks.ok(await control.count() === 1, 'the frame offers sign-out');
    await Promise.all([page.waitForNavigation(), control.click()]);
    checks.ok(/signin\.php/.test(page.url()), 'sign-out shows the sign-in page', page.url());
    await page.goto(site.admin('product.php?act=show'));
    checks.ok(/signin\.php/.test(page.url()), 'after sign-out a list page sends to sign-in', page.url());
    await expectSignedOut(ctx, 'the session id from before sign-out', { Cookie: `${SESSION_COOKIE}=${cookie && cookie.value}` });
  });

  await checks.group('repeated sign-in failures are slowed down', async () => {
    // Each failure past the free ones doubles the wait, so on however slow
    // a machine a failure soon lands within it and is told to wait.
    let last = null;
    let wait = 0;
    for (let i = 0; i < 12 && !wait; i++) {
      const shown = await openSignIn(site, page);
      last = await signInWith(page, { name: ADMIN.name, password: `guess ${i}`, captcha: shown.code });
      wait = Number((/(\d+)\s*秒/.exec(last.error || '') || [])[1] || 0);
    }
    checks.ok(wait > 0, 'after repeated failures the form asks to wait', last.error);
    // The first waits last seconds, which a busy machine may spend on the
    // next page alone: the pending wait is made long (as further failures
    // would make it) in the site's own record, so the refusal below does
    // not race the clock.
    const failures = path.join(site.siteDir, 'cache', 'signin_failures.json');
    const data = JSON.parse(fs.readFileSync(failures, 'utf8'));
    for (const entry of Object.values(data)) {
      entry.count = Math.max(entry.count, 8);
      entry.last = Math.floor(Date.now() / 1000);
    }
    fs.writeFileSync(failures, JSON.stringify(data));
    const shown = await openSignIn(site, page);
    const r = await signInWith(page, { ...ADMIN, captcha: shown.code });
    checks.ok(/signin\.php/.test(r.url) && /秒/.test(r.error || ''), 'while waiting, even the right password is not let in', r);
  });
}

module.exports = { signedOutAndSignIn, signOut, openSignIn, signInWith, ADMIN };
