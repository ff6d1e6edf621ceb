// A team at work: the owner adds an editor and a clerk and ticks their
// rights; each signs in in a browser of its own and is offered only what
// it may do; what it may not do, forged from its own session, is refused
// and changes nothing; the owner reads their changes in the change log;
// the clerk exports a search as CSV.
'use strict';
const fs = require('fs');
const { openSignIn, signInWith } = require('./access');
const { pageText } = require('../lib/site');

const T = 'php_';
const CLASSES = [
  { name: 'Category', file: 'category', key: 'id', label: '分类', text: 'name' },
  { name: 'Brand', file: 'brand', key: 'code', label: '品牌', text: 'title' },
  { name: 'Product', file: 'product', key: 'id', label: '商品', text: 'name' },
];
const RIGHTS = ['list', 'add', 'edit', 'delete', 'export'];
const TEAM = {
  editor: { name: 'editor', password: 'Editor-pass 42', rights: { Product: ['list', 'add', 'edit'] } },
  clerk: { name: 'clerk', password: 'Clerk-pass 42', rights: { Brand: ['list', 'export'] } },
};
const EXPORT_LABEL = '导出 CSV';

const may = (who, cls, right) => (who.rights[cls.name] || []).includes(right);

// Every row a refused request must leave as it was.
function snapshot(db) {
  return {
    ...db.snapshots({ [`${T}category`]: 'id', [`${T}brand`]: 'code', [`${T}product`]: 'id',
      [`${T}site_admin`]: 'admin_id', [`${T}site_change_log`]: 'log_id' }),
    rights: db.query(`SELECT * FROM ${T}site_admin_right ORDER BY admin_id, class_name`),
  };
}

// A request made by hand from the account's own page (same origin, its
// session cookie), as a person could send from the browser's console.
function forge(page, method, url, fields = []) {
  return page.evaluate(async ({ method, url, fields }) => {
    const init = { method, redirect: 'manual', credentials: 'same-origin' };
    if (method === 'POST') init.body = new URLSearchParams(fields);
    const r = await fetch(url, init);
    return { status: r.status, text: r.type === 'opaqueredirect' ? '' : await r.text() };
  }, { method, url, fields });
}

// What an account may not do to a class, as the requests a page would send.
function refusedRequests(who, cls, key, ctx) {
  const f = cls.file;
  const k = `${cls.key}=${encodeURIComponent(key)}`;
  const out = [];
  if (!may(who, cls, 'list')) out.push(['GET', `${f}.php?act=show`]);
  if (!may(who, cls, 'add')) {
    const fields = {
      Category: [['category[name]', '伪造分类']],
      Brand: [['brand[code]', 'FORGED'], ['brand[title]', '伪造品牌']],
      Product: [['product[name]', '伪造商品'], ['product[added]', '2024-01-01'], ['product[category]', String(ctx.state.categoryId['玩具'])],
        ['product[brand]', 'ACME'], ['product[price]', '1'], ['product[stock]', '1']],
    }[cls.name];
    out.push(['GET', `${f}.php?act=add`], ['POST', `${f}.php?act=addok`, fields]);
  }
  if (!may(who, cls, 'edit')) {
    out.push(['GET', `${f}.php?act=edit&${k}`],
      ['POST', `${f}.php?act=editok&${k}`, [[`${f}[${cls.key}]`, key], [`${f}[${cls.text}]`, '伪造的修改']]]);
  }
  if (!may(who, cls, 'delete')) {
    out.push(['GET', `${f}.php?act=remove&${k}`], ['POST', `${f}.php?act=remove&${k}`, [[cls.key, key]]],
      ['POST', `${f}.php?act=delall`, [['delid[]', key]]]);
  }
  return out;
}

// Submits a form in a frame and waits for the page the frame ends on
// (the message page moves on to its target by itself).
async function frameSubmit(frame, selector, target) {
  await frame.evaluate(() => { window.__e2eBefore = true; });
  const [response] = await Promise.all([
    frame.page().waitForResponse((r) => r.request().isNavigationRequest() && r.frame() === frame),
    frame.click(selector),
  ]);
  const text = pageText(await response.text());
  await frame.waitForFunction((t) => !window.__e2eBefore && new RegExp(t).test(location.href) && document.readyState === 'complete',
    target.source, { polling: 100 });
  return { status: response.status(), text };
}

// Opens an entry of the menu page in its frame "main".
async function openFromMenu(page, selector, url) {
  const main = page.frame({ name: 'main' });
  await main.evaluate(() => { window.__e2eBefore = true; });
  await page.click(selector);
  await main.waitForFunction((t) => !window.__e2eBefore && new RegExp(t).test(location.href) && document.readyState === 'complete',
    url.source, { polling: 100 });
  return main;
}

// The classes and pages the menu page offers.
const menuOf = (page) => page.evaluate(() => ({
  tabs: [...document.querySelectorAll('#frame_tabs a')]
    .map((a) => (/fnOnTabClick\(this,'([^']*)'/.exec(a.getAttribute('onclick') || '') || [])[1]).filter(Boolean).sort(),
  links: [...document.querySelectorAll('#frame_menu a[href]')].map((a) => a.getAttribute('href')).sort(),
  ownerLinks: document.querySelectorAll('#frame_accounts, #frame_changes, a[href^="accounts.php"], a[href^="changes.php"]').length,
}));

// What a list page offers: the add tab, edit and delete links, the
// delete-many button and the export button.
const offersOf = (frame, file) => frame.evaluate((file) => ({
  rows: document.querySelectorAll('tr.hover').length,
  add: document.querySelectorAll(`ul.tab1 a[href="${file}.php?act=add"]`).length > 0,
  edit: document.querySelectorAll(`a[href^="${file}.php?act=edit&"]`).length > 0,
  delete: document.querySelectorAll(`a[href^="${file}.php?act=remove&"]`).length > 0,
  delall: !!document.getElementById('DelAllOk'),
  export: document.querySelectorAll('form[id$="QueryForm"] input[name="export"]').length > 0,
}), file);

// The log page's rows, newest first.
const logRows = (frame) => frame.$$eval('#log tr.hover', (trs) => trs.map((tr) => ({
  id: Number(tr.id.replace(/^log_/, '')),
  account: tr.querySelector('.log-account').innerText.trim(),
  class: tr.querySelector('.log-class').innerText.trim(),
  key: tr.querySelector('.log-key').innerText.trim(),
  act: tr.querySelector('.log-act').innerText.trim(),
  details: tr.querySelector('.log-details').innerText.trim(),
})));

// RFC 4180 fields: quoted fields may hold commas, quotes and line ends.
function parseCsv(text) {
  const rows = [];
  let row = [];
  let field = '';
  let quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') { field += '"'; i++; } else if (c === '"') quoted = false;
      else field += c;
    } else if (c === '"') quoted = true;
    else if (c === ',') { row.push(field); field = ''; } else if (c === '\n' || c === '\r') {
      if (c === '\r' && text[i + 1] === '\n') i++;
      row.push(field); rows.push(row); row = []; field = '';
    } else field += c;
  }
  if (field !== '' || row.length) { row.push(field); rows.push(row); }
  return rows;
}

async function run(ctx) {
  const { checks, db, site } = ctx;
  const owner = ctx.page;
  const pages = {};
  const idOf = (name) => db.value(`SELECT admin_id FROM ${T}site_admin WHERE admin_name = '${name}'`);
  const firstKey = (cls) => db.value(`SELECT ${cls.key} FROM ${T}${cls.file} ORDER BY ${cls.key} LIMIT 1`);

  // Forges every given request and checks that each is refused for want
  // of a right and that nothing changed.
  const expectRefused = async (label, page, requests) => {
    const before = snapshot(db);
    const passed = [];
    for (const [method, url, fields] of requests) {
      const r = await forge(page, method, site.admin(url), fields);
      // The refusal is the one for rights, not the one for a foreign origin.
      if (r.status !== 403 || !/权限|所有者/.test(pageText(r.text))) passed.push(`${method} ${url} -> ${r.status} ${pageText(r.text).slice(0, 80)}`);
    }
    checks.ok(passed.length === 0, `${label}: all ${requests.length} forged requests answer 403`, passed);
    checks.equal(snapshot(db), before, `${label}: the forged requests changed nothing`);
  };

  const signIn = async (who) => {
    const context = await ctx.browser.newContext({ viewport: { width: 1280, height: 900 } });
    context.setDefaultTimeout(30000);
    context.setDefaultNavigationTimeout(60000);
    const page = site.guard(await context.newPage());
    page.on('dialog', async (d) => {
      ctx.dialogs.push({ type: d.type(), message: d.message(), url: page.url() });
      await (d.type() === 'alert' ? d.dismiss() : d.accept()).catch(() => {});
    });
    pages[who.name] = page;
    const shown = await openSignIn(site, page);
    const r = await signInWith(page, { name: who.name, password: who.password, captcha: shown.code });
    checks.ok(/\/admin\/(index\.php)?$/.test(r.url) && !r.error, `${who.name} signs in with password and captcha`, r);
    return page;
  };

  // The menu page and every class's list: only what the account may use.
  const walk = async (who, page) => {
    await page.goto(site.admin('index.php'));
    const menu = await menuOf(page);
    const listed = CLASSES.filter((c) => may(who, c, 'list'));
    checks.equal(menu.tabs, listed.map((c) => c.file).sort(), `${who.name}'s menu: a tab for each class it may list, no other`);
    checks.equal(menu.links, listed.flatMap((c) => [`${c.file}.php?act=show`, ...(may(who, c, 'add') ? [`${c.file}.php?act=add`] : [])]).sort(),
      `${who.name}'s menu: the list pages, and the add pages it may use`);
    checks.equal(menu.ownerLinks, 0, `${who.name}'s menu: no accounts page, no change log`);
    for (const cls of listed) {
      await page.locator('#frame_tabs a').filter({ hasText: cls.label }).first().click();
      const main = page.frame({ name: 'main' });
      await main.waitForURL(new RegExp(`${cls.file}\\.php\\?act=show`));
      await site.expectCleanPage(main, `${who.name}'s ${cls.file} list`);
      const offers = await offersOf(main, cls.file);
      checks.equal(offers, { rows: offers.rows, add: may(who, cls, 'add'), edit: may(who, cls, 'edit'), delete: may(who, cls, 'delete'),
        delall: may(who, cls, 'delete'), export: offers.export }, `${who.name}'s ${cls.file} list: offers only the acts it may use`);
      checks.ok(offers.rows > 0, `${who.name}'s ${cls.file} list: shows the records`, offers.rows);
    }
  };

  await checks.group('team: the owner adds an editor and a clerk and ticks their rights', async () => {
    await owner.goto(site.admin('index.php'));
    let main = await openFromMenu(owner, '#frame_accounts', /accounts\.php$/);
    for (const who of Object.values(TEAM)) {
      await main.fill('#account_add input[name=admin_name]', who.name);
      await main.fill('#account_add input[name=admin_password]', who.password);
      await main.fill('#account_add input[name=admin_password2]', who.password);
      const r = await frameSubmit(main, '#account_add input[type=submit]', /accounts\.php$/);
      checks.ok(r.status === 200 && r.text.includes('已添加') && idOf(who.name), `the owner adds the account ${who.name}`, r);
    }
    for (const who of Object.values(TEAM)) {
      const form = `#rights_${idOf(who.name)}`;
      for (const cls of CLASSES) {
        for (const right of RIGHTS) {
          const box = main.locator(`${form} input[name="rights[]"][value="${right}:${cls.name}"]`);
          if (may(who, cls, right)) await box.check(); else await box.uncheck();
        }
      }
      const r = await frameSubmit(main, `${form} input[type=submit]`, /accounts\.php$/);
      checks.ok(r.text.includes('权限已保存'), `the owner saves the rights of ${who.name}`, r);
      const stored = db.query(`SELECT class_name, ${RIGHTS.map((x) => `may_${x}`).join(', ')} FROM ${T}site_admin_right WHERE admin_id = ${idOf(who.name)}`)
        .filter((row) => RIGHTS.some((x) => row[`may_${x}`] === '1'));
      checks.equal(stored, Object.entries(who.rights).map(([name, rights]) =>
        ({ class_name: name, ...Object.fromEntries(RIGHTS.map((x) => [`may_${x}`, rights.includes(x) ? '1' : '0'])) })),
      `the grid stored exactly the rights ticked for ${who.name}`);
    }
    // The grid shows what was saved.
    main = await openFromMenu(owner, '#frame_accounts', /accounts\.php$/);
    const ticked = await main.$$eval(`#rights_${idOf('editor')} input[name="rights[]"]:checked`, (bs) => bs.map((b) => b.value).sort());
    checks.equal(ticked, ['add:Product', 'edit:Product', 'list:Product'], 'the grid shows the saved rights of editor');
  });

  const added = { name: 'Team 商品 1', added: '2024-08-01', brand: 'NOVA', price: '6.5', stock: '2', note: '' };
  await checks.group('team: the editor is offered its rights and adds and edits a product', async () => {
    const who = TEAM.editor;
    const page = await signIn(who);
    await walk(who, page);
    const before = Number(db.value(`SELECT COALESCE(MAX(id), 0) FROM ${T}product`));
    // From its list page's add tab, as a person would.
    await site.openList(page, 'product');
    await Promise.all([page.waitForURL(/act=add/), page.click('ul.tab1 a[href="product.php?act=add"]')]);
    await site.fillRecord(page, 'product', { ...added, category: ctx.state.categoryId['玩具'] });
    let r = await site.submit(page, 'form#form input[type=submit]', /act=addok/);
    added.id = Number(db.value(`SELECT COALESCE(MAX(id), 0) FROM ${T}product`));
    checks.ok(r.text.includes('商品添加成功') && added.id === before + 1, 'the editor adds a product through the form', r.text.slice(0, 200));
    added.before = db.query(`SELECT name, price FROM ${T}product WHERE id = ${added.id}`)[0];
    await site.openList(page, 'product', { name: added.name });
    await Promise.all([page.waitForURL(/act=edit/), page.click(`a[href="product.php?act=edit&id=${added.id}"]`)]);
    await site.fillRecord(page, 'product', { name: 'Team 商品 1 改', price: '7.25' });
    r = await site.submit(page, 'form#form input[type=submit]', /act=editok/);
    added.after = db.query(`SELECT name, price FROM ${T}product WHERE id = ${added.id}`)[0];
    checks.ok(r.text.includes('商品更新成功') && added.after && added.after.name === 'Team 商品 1 改' && Number(added.after.price) === 7.25,
      'the editor edits the product through the form', { text: r.text.slice(0, 200), row: added.after });
    const opened = await page.goto(site.admin('changes.php'));
    checks.equal(opened.status(), 403, 'the editor opening changes.php directly gets 403');
  });

  await checks.group('team: the editor\'s forged requests for acts it may not use are refused', async () => {
    const who = TEAM.editor;
    const page = pages.editor;
    await page.goto(site.admin('index.php'));
    const requests = CLASSES.flatMap((c) => refusedRequests(who, c, c.name === 'Product' ? String(added.id) : firstKey(c), ctx));
    requests.push(['GET', 'accounts.php'], ['POST', 'accounts.php?act=rights', [['admin_id', idOf('editor')], ['rights[]', 'delete:Product']]],
      ['POST', 'accounts.php?act=owner', [['admin_id', idOf('editor')]]], ['GET', 'changes.php'],
      ['GET', `changes.php?class=Brand&key=${encodeURIComponent(firstKey(CLASSES[1]))}`]);
    await expectRefused('editor', page, requests);
  });

  await checks.group('team: the clerk is offered its rights, forged requests are refused', async () => {
    const who = TEAM.clerk;
    const page = await signIn(who);
    await walk(who, page);
    const requests = CLASSES.flatMap((c) => refusedRequests(who, c, firstKey(c), ctx));
    requests.push(['GET', 'accounts.php'], ['POST', 'accounts.php?act=add', [['admin_name', 'intruder'], ['admin_password', 'Intruder-pass 1'],
      ['admin_password2', 'Intruder-pass 1']]], ['GET', 'changes.php'], ['GET', `changes.php?class=Product&key=${added.id}`]);
    await expectRefused('clerk', page, requests);
  });

  await checks.group('team: the owner reads the editor\'s changes in the change log', async () => {
    const editorId = idOf('editor');
    await owner.goto(site.admin('index.php'));
    let main = await openFromMenu(owner, '#frame_changes', /changes\.php$/);
    await site.expectCleanPage(main, 'change log');
    let rows = await logRows(main);
    const newest = db.query(`SELECT log_id FROM ${T}site_change_log ORDER BY log_id DESC LIMIT 20`).map((x) => Number(x.log_id));
    checks.equal(rows.map((x) => x.id), newest, 'the log lists the newest 20 entries, newest first');
    const edit = { account: 'editor', class: '商品', key: String(added.id), act: '编辑' };
    const add = { account: 'editor', class: '商品', key: String(added.id), act: '添加' };
    const pick = (x) => x && { account: x.account, class: x.class, key: x.key, act: x.act };
    checks.equal([pick(rows[0]), pick(rows[1])], [edit, add], 'the editor\'s edit and add are the newest entries, with its name');
    const lines = rows[0] ? rows[0].details.split('\n').map((l) => l.trim()).sort() : [];
    checks.equal(lines, [`价格：${added.before.price} → ${added.after.price}`, `商品名称：${added.before.name} → ${added.after.name}`].sort(),
      'the edit entry shows the changed fields, old → new, and no other');
    checks.ok(rows[1] && rows[1].details.includes(`商品名称：${added.name}`), 'the add entry shows the added values', rows[1]);

    // Filters, as the form sends them.
    await main.selectOption('#log_filter select[name=admin]', String(editorId));
    await frameSubmit(main, '#log_filter input[type=submit]', new RegExp(`changes\\.php\\?.*admin=${editorId}`));
    rows = await logRows(main);
    checks.equal(rows.map(pick), [edit, add], 'filtered by account: only the editor\'s two entries');
    await main.selectOption('#log_filter select[name=admin]', '');
    await main.selectOption('#log_filter select[name=class]', 'Category');
    await frameSubmit(main, '#log_filter input[type=submit]', /changes\.php\?.*class=Category/);
    rows = await logRows(main);
    const categories = db.query(`SELECT log_id FROM ${T}site_change_log WHERE class_name = 'Category' ORDER BY log_id DESC LIMIT 20`)
      .map((x) => Number(x.log_id));
    checks.ok(categories.length > 0, 'the log holds entries of categories', categories.length);
    checks.equal(rows.map((x) => x.id), categories, 'filtered by class: exactly the entries of categories');
    checks.ok(rows.every((x) => x.class === '分类'), 'filtered by class: every row names the class 分类');

    // The record's edit page links its own history.
    await owner.goto(site.admin(`product.php?act=edit&id=${added.id}`));
    const tab = owner.locator('ul.tab1 a').filter({ hasText: '修改记录' });
    checks.equal(await tab.count(), 1, 'the edit page has the 修改记录 tab');
    await Promise.all([owner.waitForURL(/changes\.php\?/), tab.click()]);
    rows = await logRows(owner);
    const history = db.query(`SELECT log_id FROM ${T}site_change_log WHERE class_name = 'Product' AND record_key = '${added.id}' ORDER BY log_id DESC`)
      .map((x) => Number(x.log_id));
    checks.ok(history.length === 2 && rows.map((x) => x.id).join() === history.join() && rows.every((x) => x.key === String(added.id)),
      'the 修改记录 tab shows that record\'s history, and only it', { rows, history });
  });

  await checks.group('team: export of a search as CSV', async () => {
    const clerk = pages.clerk;
    const editor = pages.editor;
    // Cells a spreadsheet would read as formulas or split wrongly.
    db.exec(`INSERT INTO ${T}brand (code, title) VALUES ('EQA', '=Acme+1'), ('QTA', 'Acme "引号", 逗号')`);
    try {
      await site.openList(editor, 'product');
      checks.equal((await offersOf(editor, 'product')).export, false, 'the editor\'s product list offers no export');
      await site.openList(owner, 'brand');
      checks.equal((await offersOf(owner, 'brand')).export, true, 'the owner\'s brand list offers the export');
      await expectRefused('export without the right', editor, [['GET', `product.php?act=show&export=${encodeURIComponent(EXPORT_LABEL)}`],
        ['GET', `product.php?act=show&name=Widget&export=${encodeURIComponent(EXPORT_LABEL)}`],
        ['GET', `brand.php?act=show&export=${encodeURIComponent(EXPORT_LABEL)}`]]);

      await site.openList(clerk, 'brand');
      const button = clerk.locator('form[id$="QueryForm"] input[name="export"]');
      // Without the button there is nothing to click (the failure is counted).
      if (!checks.equal(await button.count() === 1 && await button.inputValue(), EXPORT_LABEL, 'the clerk\'s brand list offers the export in its search form')) return;
      // The search first, as the list shows it; then its export.
      await clerk.fill('form[id$="QueryForm"] input[name="title"]', 'Acme');
      await Promise.all([clerk.waitForNavigation(), clerk.click('form[id$="QueryForm"] input[type=submit]:not([name="export"])')]);
      const labels = await clerk.$$eval('tr.header th', (ths) => ths.map((th) => th.innerText.trim()).filter(Boolean));
      const listed = (await site.listRows(clerk)).map((r) => r.cells);
      checks.equal(listed.map((cells) => cells.find((c) => c.includes('Acme'))).sort(),
        db.query(`SELECT title FROM ${T}brand WHERE title LIKE '%Acme%'`).map((b) => b.title).sort(), 'the clerk\'s search lists the brands named Acme');
      const [download] = await Promise.all([clerk.waitForEvent('download'), button.click()]);
      const bytes = fs.readFileSync(await download.path());
      checks.ok(bytes.subarray(0, 3).equals(Buffer.from([0xEF, 0xBB, 0xBF])), 'the CSV starts with the UTF-8 byte-order mark', bytes.subarray(0, 8));
      checks.ok(/\.csv$/i.test(download.suggestedFilename()), 'the download is named .csv', download.suggestedFilename());
      const rows = parseCsv(bytes.subarray(3).toString('utf8'));
      checks.equal(rows[0], labels, 'the CSV header is the list\'s column labels');
      const expected = listed.map((cells) => cells.map((c) => (c.startsWith('=') ? `'${c}` : c)));
      const sorted = (list) => list.map((r) => JSON.stringify(r)).sort();
      checks.equal(sorted(rows.slice(1)), sorted(expected), 'the CSV rows are exactly the searched records');
      checks.ok(expected.length === 3 && rows.slice(1).some((r) => r.includes("'=Acme+1")), 'a cell starting with "=" is written starting with "\'="', rows);
      const logged = db.query(`SELECT admin_name, class_name, act FROM ${T}site_change_log ORDER BY log_id DESC LIMIT 1`);
      checks.equal(logged, [{ admin_name: 'clerk', class_name: 'Brand', act: 'export' }], 'the export is in the change log under the clerk\'s name');
    } finally {
      db.exec(`DELETE FROM ${T}brand WHERE code IN ('EQA', 'QTA')`);
    }
  });

  for (const page of Object.values(pages)) await page.context().close();
}

module.exports = { run };
