// The site under attack: SQL injection through every text, search and key
// value, stored and reflected XSS, forged cross-site requests and uploads
// that are no pictures. After each attempt the database rows are compared
// byte for byte with what they were.
'use strict';
const fs = require('fs');
const { request, multipart, formBody } = require('../lib/http');
const { hex } = require('../lib/db');
const { parsePicture } = require('../lib/site');

const T = 'php_';
const KEYS = { category: 'id', brand: 'code', product: 'id' };

// Text that breaks naive SQL quoting; each at most 30 characters.
const INJECTIONS = [
  "O'Brien",
  'back\\slash\\',
  "\\'",
  "' or '1'='1",
  '" or "1"="1',
  "x'); DELETE FROM php_brand; --",
  "1' UNION SELECT 1,2 -- ",
  "運'",
  "縗\\' or 1=1 -- ",
  "¿' OR 1=1 #",
];
// The same for a ten-character text key.
const KEY_INJECTIONS = ["O'B", 'a\\b\\', "\\'", "'or'1'='1", '"or"1"="1', "運'", "¿'#"];
const XSS = ['<script>alert(1)</script>', '"><img src=x onerror=alert(1)>', "'><svg onload=alert(1)>"];
const EVIL = 'http://evil.example';

async function run(ctx) {
  const { checks, db, site, page, images, state } = ctx;
  const base = ctx.env.baseUrl;

  const snapAll = () => {
    const tables = db.snapshots(Object.fromEntries(Object.entries(KEYS).map(([c, k]) => [`${T}${c}`, k])));
    return Object.fromEntries(Object.keys(KEYS).map((c) => [c, tables[`${T}${c}`]]));
  };
  // Rows of every table as before, except the new rows of one table; returns those.
  const newRows = (before, table, label) => {
    const after = snapAll();
    for (const [c, rows] of Object.entries(before)) {
      const kept = Object.keys(rows).every((k) => JSON.stringify(after[c][k]) === JSON.stringify(rows[k]));
      const added = Object.keys(after[c]).filter((k) => !(k in rows));
      if (c !== table) checks.ok(kept && added.length === 0, `${label}: table ${c} unchanged`);
      else checks.ok(kept, `${label}: the existing ${c} rows unchanged`);
    }
    return Object.keys(after[table]).filter((k) => !(k in before[table])).map((k) => after[table][k]);
  };
  const text = (hexValue) => Buffer.from(hexValue, 'hex').toString('utf8');
  const show = (s) => JSON.stringify(s);

  const cookieHeader = async () => ({ Cookie: (await ctx.context.cookies(base)).map((c) => `${c.name}=${c.value}`).join('; ') });
  const own = { Origin: base, Referer: `${base}/admin/product.php?act=add` };
  const post = async (path, fields, headers, asMultipart = true) => {
    const body = asMultipart ? multipart(fields) : { body: Buffer.from(formBody(fields)), contentType: 'application/x-www-form-urlencoded' };
    return request(site.admin(path), { method: 'POST', headers: { ...(await cookieHeader()), ...headers, 'Content-Type': body.contentType }, body: body.body });
  };
  const productFields = (over = {}) => {
    const v = { id: '', name: 'http product', added: '2024-01-01', category: String(state.categoryId['玩具']), brand: 'ACME',
      price: '1', stock: '1', note: '', ...over };
    return [...Object.entries(v).map(([k, x]) => [`product[${k}]`, x]), ['picture', { filename: '', type: 'application/octet-stream', data: Buffer.alloc(0) }]];
  };

  // One text value through the add form: valid text (quotes, backslashes
  // and all) is stored byte for byte; it is no reason to refuse a record.
  const addThrough = async (cls, field, value, others, label) => {
    const before = snapAll();
    const r = await site.addRecord(page, cls, { ...others, [field]: value });
    const added = newRows(before, cls, label);
    checks.ok(added.length === 1 && added[0][field] === hex(value), `${label}: stored exactly`,
      added.length ? added.map((row) => text(row[field] || '')) : r.text.slice(0, 200));
    return added;
  };

  await checks.group('injection through the text fields of the add forms', async () => {
    let n = 0;
    for (const s of INJECTIONS) {
      await addThrough('category', 'name', s, {}, `category name ${show(s)}`);
      await addThrough('brand', 'title', s, { code: `T${++n}` }, `brand title ${show(s)}`);
      await addThrough('product', 'name', s, { added: '2024-01-02', category: state.categoryId['玩具'], brand: 'ACME', price: '1', stock: '1', note: '' },
        `product name ${show(s)}`);
      await addThrough('product', 'note', s, { name: `note ${n}`, added: '2024-01-02', category: state.categoryId['玩具'], brand: 'ACME', price: '1', stock: '1' },
        `product note ${show(s)}`);
    }
    for (const s of KEY_INJECTIONS) await addThrough('brand', 'code', s, { title: `key ${s}` }, `brand code ${show(s)}`);
  });

  await checks.group('injection through numbers, dates, NUL and raw bytes', async () => {
    for (const [field, s] of [['price', "' or '1'='1"], ['stock', "1'); DELETE FROM php_product; -- "], ['added', "2024-01-01' or '1'='1"],
      ['category', "0' or '1'='1"], ['id', "0'); DELETE FROM php_product; -- "]]) {
      const before = snapAll();
      const r = await post('product.php?act=addok', productFields({ [field]: s }), own);
      const added = newRows(before, 'product', `product ${field} ${show(s)}`);
      checks.ok(added.length <= 1 && r.status < 500, `product ${field} ${show(s)}: at most one row, no server error`, { status: r.status, added: added.length });
    }
    for (const [label, value] of [['NUL', 'a\0b'], ['NUL and quote', "\0' or 1=1 -- "]]) {
      let before = snapAll();
      await post('category.php?act=addok', [['category[id]', ''], ['category[name]', value]], own);
      let added = newRows(before, 'category', `category name with ${label}`);
      checks.ok(added.length === 0 || (added.length === 1 && added[0].name === hex(value)), `category name with ${label}: stored exactly or refused`,
        added.map((r) => r.name));
      before = snapAll();
      await post('brand.php?act=addok', [['brand[code]', value.slice(0, 10)], ['brand[title]', `nul ${label}`]], own);
      added = newRows(before, 'brand', `brand code with ${label}`);
      checks.ok(added.length === 0 || (added.length === 1 && added[0].code === hex(value.slice(0, 10))), `brand code with ${label}: stored exactly or refused`,
        added.map((r) => r.code));
    }
    // Bytes that are no UTF-8, the lead byte swallowing the backslash of a naive escape.
    for (const bytes of [Buffer.from([0xbf, 0x27, 0x20, 0x6f, 0x72, 0x20, 0x31, 0x3d, 0x31, 0x20, 0x23]), Buffer.from([0xe5, 0x5c, 0x27, 0x20, 0x23])]) {
      const before = snapAll();
      await post('category.php?act=addok', [['category[id]', ''], ['category[name]', bytes]], own);
      const added = newRows(before, 'category', `category name of raw bytes ${bytes.toString('hex')}`);
      checks.ok(added.length === 0 || (added.length === 1 && added[0].name === bytes.toString('hex').toUpperCase()),
        `category name of raw bytes ${bytes.toString('hex')}: stored exactly or refused`, added.map((r) => r.name));
    }
  });

  await checks.group('injection through the edit forms', async () => {
    const target = state.products[state.products.length - 1];
    for (const s of [INJECTIONS[0], INJECTIONS[1], INJECTIONS[3], INJECTIONS[8]]) {
      const before = snapAll();
      await site.editRecord(page, 'product', 'id', target.id, { name: s, note: s });
      const after = db.query(`SELECT HEX(name) AS name, HEX(note) AS note FROM ${T}product WHERE id = ${target.id}`)[0];
      checks.equal(after, { name: hex(s), note: hex(s) }, `edit product name and note to ${show(s)}: stored exactly`);
      delete before.product[String(target.id)];
      const now = snapAll();
      delete now.product[String(target.id)];
      checks.ok(JSON.stringify(now) === JSON.stringify(before), `edit product to ${show(s)}: every other row unchanged`);
    }
    target.name = INJECTIONS[8];
    // A forged key in the posted record changes nothing.
    for (const key of ["0' or '1'='1", "0\\' or 1=1 -- ", `${target.id}' or '1'='1`]) {
      const before = snapAll();
      await post('product.php?act=editok', productFields({ id: key, name: 'E2E-HACKED' }).filter(([k]) => k !== 'picture'), own, false);
      const after = snapAll();
      const hacked = Object.values(after.product).filter((r) => text(r.name) === 'E2E-HACKED');
      checks.ok(hacked.length <= (key.startsWith(String(target.id)) ? 1 : 0) && Object.keys(after.product).length === Object.keys(before.product).length,
        `editok with key ${show(key)}: no other record updated`, hacked.map((r) => text(r.id)));
      if (hacked.length) db.exec(`UPDATE ${T}product SET name = 'restored' WHERE name = 'E2E-HACKED'`);
    }
  });

  await checks.group('injection through the search fields', async () => {
    const rows = db.query(`SELECT id, HEX(name) AS name, added, category, brand FROM ${T}product`).map((r) => ({ ...r, name: text(r.name), id: Number(r.id) }));
    const expectRows = (f) => rows.filter(f).map((r) => r.id).sort((a, b) => b - a).slice(0, 5);
    for (const s of [...INJECTIONS, 'a\0b']) {
      const listed = await site.openList(page, 'product', { name: s });
      checks.equal(listed.map((r) => Number(r.key)), expectRows((r) => r.name.includes(s)), `search product name ${show(s)}: finds exactly the matching records`);
      if (!s.includes('\0')) checks.equal(await page.inputValue('input[name=name]'), s, `search product name ${show(s)}: the field shows the value`);
      const byDate = await site.openList(page, 'product', { added: s });
      checks.equal(byDate.length, 0, `search product date ${show(s)}: nothing matches`);
      const byCat = await site.openList(page, 'product', { category: s });
      // The integer column compares as a number: the text's leading number, else 0.
      const asNumber = Number.isNaN(parseFloat(s.trim())) ? 0 : parseFloat(s.trim());
      checks.equal(byCat.map((r) => Number(r.key)), expectRows((r) => Number(r.category) === asNumber), `search product category ${show(s)}: only records of that key`);
    }
    for (const s of KEY_INJECTIONS) {
      const byBrand = await site.openList(page, 'product', { brand: s });
      checks.equal(byBrand.map((r) => Number(r.key)), expectRows((r) => r.brand === s), `search product brand ${show(s)}: only records of that key`);
    }
    const cats = db.query(`SELECT id, HEX(name) AS name FROM ${T}category`).map((r) => ({ id: Number(r.id), name: text(r.name) }));
    for (const s of INJECTIONS.slice(0, 6)) {
      const listed = await site.openList(page, 'category', { name: s });
      checks.equal(listed.map((r) => Number(r.key)), cats.filter((c) => c.name.includes(s)).map((c) => c.id).sort((a, b) => b - a).slice(0, 5),
        `search category name ${show(s)}: finds exactly the matching records`);
      const byTitle = await site.openList(page, 'brand', { title: s });
      const brands = db.query(`SELECT HEX(code) AS code, HEX(title) AS title FROM ${T}brand`).map((b) => ({ code: text(b.code), title: text(b.title) }));
      const expected = brands.filter((b) => b.title.includes(s)).map((b) => b.code);
      checks.ok(byTitle.length === Math.min(5, expected.length) && byTitle.every((r) => expected.includes(r.key)),
        `search brand title ${show(s)}: finds exactly the matching records`, { listed: byTitle.map((r) => r.key), expected });
    }
  });

  await checks.group('injection through keys in the address and the delid list', async () => {
    for (const [cls, key, value] of [['product', 'id', "0' or '1'='1"], ['product', 'id', "0 or 1=1"], ['brand', 'code', "x' or '1'='1"],
      ['brand', 'code', "\\' or 1=1 -- "], ['category', 'id', "0' or 'a'='a"]]) {
      await page.goto(site.admin(`${cls}.php?act=edit&${key}=${encodeURIComponent(value)}`));
      const shown = await page.locator(`input[name="${cls}[${key}]"]`).inputValue().catch(() => '');
      checks.equal(shown, '', `edit ${cls} with key ${show(value)}: no record shown`);
      const before = snapAll();
      await page.goto(site.admin(`${cls}.php?act=remove&${key}=${encodeURIComponent(value)}`));
      newRows(before, cls, `remove ${cls} with key ${show(value)}`);
      checks.equal(Object.keys(snapAll()[cls]).length, Object.keys(before[cls]).length, `remove ${cls} with key ${show(value)}: nothing deleted`);
    }
    // A text key that exists is found exactly, quotes and all.
    await page.goto(site.admin(`brand.php?act=edit&code=${encodeURIComponent("'or'1'='1")}`));
    checks.equal(await page.inputValue('input[name="brand[title]"]').catch(() => null), "key 'or'1'='1", "edit brand with the stored key 'or'1'='1: that record is shown");
    for (const [cls, delid] of [['product', ["0' or '1'='1", "0\\' or 1=1 -- "]], ['brand', ["x' or 'a'='a", "y\\' or 1=1 -- "]], ['category', ["0' or 1=1 #"]]]) {
      const before = snapAll();
      await page.goto(site.admin(`${cls}.php?act=show`));
      // The keys go in as the ticked boxes send them: delid[] of the list's form.
      await Promise.all([page.waitForNavigation(),
        page.evaluate((keys) => {
          const form = document.querySelector('form[action*="delall"]');
          for (const key of keys) {
            const box = document.createElement('input');
            box.type = 'hidden'; box.name = 'delid[]'; box.value = key;
            form.appendChild(box);
          }
          form.submit();
        }, delid)]);
      newRows(before, cls, `delall ${cls} with delid ${show(delid)}`);
      checks.equal(Object.keys(snapAll()[cls]).length, Object.keys(before[cls]).length, `delall ${cls} with delid ${show(delid)}: nothing deleted`);
      checks.ok(!(await page.content()).includes('删除成功'), `delall ${cls} with delid ${show(delid)}: no success reported`);
    }
  });

  await checks.group('XSS: stored and reflected text shows as text', async () => {
    const alertsBefore = ctx.dialogs.filter((d) => d.type === 'alert').length;
    const catIds = [];
    for (const x of XSS) {
      await site.addRecord(page, 'category', { name: x });
      catIds.push(Number(db.value(`SELECT MAX(id) FROM ${T}category`)));
    }
    await site.addRecord(page, 'brand', { code: '<b>k</b>', title: XSS[1] });
    await site.addRecord(page, 'brand', { code: 'XSS2', title: XSS[0] });
    const ids = [];
    for (const [i, x] of XSS.entries()) {
      await site.addRecord(page, 'product', { name: x, added: '2024-02-02', category: catIds[i], brand: i ? '<b>k</b>' : 'XSS2', price: '1', stock: '1', note: XSS[(i + 1) % 3] });
      ids.push(Number(db.value(`SELECT MAX(id) FROM ${T}product`)));
    }
    checks.equal(db.query(`SELECT name FROM ${T}product WHERE id IN (${ids.join(',')}) ORDER BY id`).map((r) => r.name), XSS,
      'XSS strings are stored as entered');
    const rows = await site.openList(page, 'product', { added: '2024-02-02' });
    const cells = rows.map((r) => r.cells);
    for (const [i, x] of XSS.entries()) {
      const row = rows.find((r) => Number(r.key) === ids[i]);
      checks.ok(row && row.cells[1] === x && row.cells[3] === x, `product list: ${show(x)} shows as text in the name and category cells`, row && row.cells);
    }
    checks.ok(rows.some((r) => r.cells[4] === XSS[1]), 'product list: the brand title shows as text', cells);
    checks.equal(await page.locator('tr.hover img:not([src*="attachments"])').count(), 0, 'product list: no injected element');
    const catList = await site.openList(page, 'category');
    checks.ok(XSS.every((x) => catList.some((r) => r.cells[1] === x)), 'category list: the names show as text', catList.map((r) => r.cells));
    const brandList = await site.openList(page, 'brand', { title: XSS[1] });
    const b = brandList.find((r) => r.key === '<b>k</b>');
    checks.ok(b && b.cells[0] === '<b>k</b>' && b.cells[1] === XSS[1], 'brand list: key and title show as text', b || brandList.map((r) => r.key));
    checks.equal(await page.locator('tr.hover b').count(), 0, 'brand list: no markup from the stored key');
    if (b) {
      await Promise.all([page.waitForNavigation(), page.click(`tr.hover a.act[href="brand.php?act=edit&code=${encodeURIComponent('<b>k</b>')}"]`)]);
      checks.equal(await page.inputValue('input[name="brand[title]"]'), XSS[1], 'brand edit link with a marked-up key opens that record');
    }
    await page.goto(site.admin(`product.php?act=edit&id=${ids[1]}`));
    checks.equal(await page.inputValue('input[name="product[name]"]'), XSS[1], 'product edit page: the name field holds the text');
    checks.equal(await page.inputValue('input[name="product[note]"]'), XSS[2], 'product edit page: the note field holds the text');
    const options = await page.$$eval('select[name="product[category]"] option', (o) => o.map((x) => x.textContent.trim()));
    checks.ok(XSS.every((x) => options.includes(x)), 'product edit page: category names show as option text', options);
    await page.goto(site.admin('product.php?act=add'));
    const addOptions = await page.$$eval('select[name="product[brand]"] option', (o) => o.map((x) => x.textContent.trim()));
    checks.ok(addOptions.includes(XSS[1]) && addOptions.includes(XSS[0]), 'product add page: brand titles show as option text', addOptions);
    for (const x of XSS) {
      await site.openList(page, 'product', { name: x });
      checks.equal(await page.inputValue('input[name=name]'), x, `reflected search ${show(x)}: the field shows the text`);
      checks.equal((await site.listRows(page)).map((r) => Number(r.key)), [ids[XSS.indexOf(x)]], `reflected search ${show(x)}: finds its record`);
    }
    await site.openList(page, 'product', { name: XSS[0], brand: '"><script>alert(1)</script>' });
    // The page has loaded, so any script it carries has run.
    const alerts = ctx.dialogs.filter((d) => d.type === 'alert').slice(alertsBefore);
    checks.equal(alerts, [], 'no script ran: no alert dialog opened');
    state.xss = { catIds, ids };
  });

  await checks.group('paging keeps a filter with quotes and markup', async () => {
    const tag = `q'"<&`;
    const made = [];
    for (let i = 1; i <= 6; i++) {
      await post('product.php?act=addok', productFields({ name: `${tag} ${i}` }), own);
      made.push(Number(db.value(`SELECT MAX(id) FROM ${T}product`)));
    }
    checks.equal(db.count(`${T}product`, `name LIKE 'q\\'"<&%'`), 6, 'six records share the filter text');
    await site.openList(page, 'product', { name: tag });
    const first = (await site.listRows(page)).map((r) => Number(r.key));
    checks.equal(first, made.slice().reverse().slice(0, 5), 'page 1 with the filter: the five newest');
    const link = page.locator('a[href*="page=2"]').first();
    await Promise.all([page.waitForNavigation(), link.click()]);
    checks.equal((await site.listRows(page)).map((r) => Number(r.key)), [made[0]], 'page 2 with the filter: the sixth record');
    checks.equal(await page.inputValue('input[name=name]'), tag, 'page 2 with the filter: the search field keeps the exact text');
    state.pagedIds = made;
  });

  await checks.group('cross-site requests are refused', async () => {
    const victim = state.products[0];
    const count = () => db.count(`${T}product`);
    // In the browser: another site's page posts and links into the admin area.
    const target = (p) => site.admin(p);
    const pages = {
      'http://evil.test/post.html': `<form id=f method=post enctype="multipart/form-data" action="${target('product.php?act=addok')}">
        <input name="product[id]" value=""><input name="product[name]" value="E2E-CSRF"><input name="product[added]" value="2024-01-01">
        <input name="product[category]" value="${state.categoryId['玩具']}"><input name="product[brand]" value="ACME">
        <input name="product[price]" value="1"><input name="product[stock]" value="1"></form><script>f.submit()</script>`,
      'http://evil.test/delall.html': `<form id=f method=post action="${target('product.php?act=delall')}"><input name="delid[]" value="${victim.id}"></form><script>f.submit()</script>`,
      'http://evil.test/remove.html': `<script>location.href=${JSON.stringify(target(`product.php?act=remove&id=${victim.id}`))}</script>`,
    };
    // A visit without the cookie gets a fresh session cookie; keep the signed-in one.
    const signedIn = await ctx.context.cookies(base);
    await ctx.context.route('http://evil.test/**', (route) => route.fulfill({ status: 200, contentType: 'text/html', body: pages[route.request().url()] || '' }));
    for (const url of Object.keys(pages)) {
      const before = snapAll();
      const p = await ctx.context.newPage();
      await p.goto(url);
      // Each page sends the browser into the site: wait for the site's answer.
      await p.waitForURL((u) => u.toString().startsWith(base), { timeout: 30000 });
      await p.waitForLoadState('load');
      await p.close();
      newRows(before, 'product', `browser, forged from another site: ${url}`);
      checks.equal(Object.keys(snapAll().product).length, Object.keys(before.product).length, `browser, forged from another site: ${url}: rows intact`);
    }
    await ctx.context.unroute('http://evil.test/**');
    const now = (await ctx.context.cookies(base)).map((c) => `${c.name}=${c.value}`).join('; ');
    if (now !== signedIn.map((c) => `${c.name}=${c.value}`).join('; ')) console.log('note - a visit from another site replaced the session cookie');
    await ctx.context.clearCookies();
    await ctx.context.addCookies(signedIn);

    // Plain requests carrying the signed-in session but another site's origin.
    const n0 = count();
    let r = await post('product.php?act=addok', productFields({ name: 'E2E-CSRF-1' }), { Origin: EVIL, Referer: `${EVIL}/x.html` });
    checks.ok(count() === n0 && !r.text.includes('添加成功'), 'POST addok with Origin of another site: refused, no row', { status: r.status });
    r = await post('product.php?act=addok', productFields({ name: 'E2E-CSRF-2' }), { Origin: 'null' });
    checks.ok(count() === n0, 'POST addok with Origin null: refused, no row', { status: r.status });
    r = await post('product.php?act=addok', productFields({ name: 'E2E-CSRF-3' }), { Referer: `${EVIL}/x.html` });
    checks.ok(count() === n0, 'POST addok with only a Referer of another site: refused, no row', { status: r.status });
    r = await post('product.php?act=addok', productFields({ name: 'E2E-CONTROL' }), own);
    checks.ok(count() === n0 + 1 && r.text.includes('添加成功'), 'control: the same POST from the site itself is accepted', { status: r.status });
    const control = Number(db.value(`SELECT MAX(id) FROM ${T}product`));
    const before = snapAll();
    await post('product.php?act=delall', [['delid[]', String(victim.id)], ['delid[]', String(control)]], { Origin: EVIL, Referer: `${EVIL}/x.html` }, false);
    await request(site.admin(`product.php?act=delall&delid[]=${victim.id}&delid[]=${control}`), { headers: { ...(await cookieHeader()), Referer: `${EVIL}/x.html` } });
    await request(site.admin(`product.php?act=remove&id=${control}`), { headers: { ...(await cookieHeader()), Referer: `${EVIL}/x.html` } });
    await post('product.php?act=editok', productFields({ id: String(control), name: 'E2E-CSRF-EDIT' }).filter(([k]) => k !== 'picture'),
      { Referer: `${EVIL}/x.html` }, false);
    const after = snapAll();
    checks.ok(JSON.stringify(after) === JSON.stringify(before), 'forged delall (POST and GET), remove and editok from another site: rows intact',
      Object.keys(before.product).filter((k) => JSON.stringify(before.product[k]) !== JSON.stringify(after.product[k])));
    r = await request(site.admin(`product.php?act=remove&id=${control}`), { headers: { ...(await cookieHeader()), Referer: `${base}/admin/product.php?act=show` } });
    checks.equal(db.count(`${T}product`, `id = ${control}`), 0, 'control: remove with the site\'s own Referer deletes the row');
  });

  await checks.group('uploads that are no pictures are refused', async () => {
    const product = { added: '2024-01-03', category: state.categoryId['玩具'], brand: 'ACME', price: '1', stock: '1', note: '' };
    for (const [name, file] of [['a PHP file renamed .jpg', images.evil], ['PHP behind a GIF signature, named .jpg', images.gifphp],
      ['a real PNG named .php', images.shell], ['a picture over 2048000 bytes', images.big]]) {
      const files = site.attachments();
      const n = db.count(`${T}product`);
      await page.goto(site.admin('product.php?act=add'));
      await site.fillRecord(page, 'product', { ...product, name: `upload ${name}` }, { picture: file });
      const r = await site.submit(page, 'form#form input[type=submit]', /act=addok/);
      checks.ok(!r.text.includes('添加成功') && r.text.trim().length > 0, `upload of ${name}: refused with a message`, r.text.slice(0, 200));
      checks.equal(db.count(`${T}product`), n, `upload of ${name}: no row stored`);
      checks.equal(site.attachments(), files, `upload of ${name}: no file stored`);
    }
    checks.ok(site.attachments().every((f) => /\.(jpe?g|png|gif|bmp)$/i.test(f) || /(^|\/)(\.htaccess|index\.html?)$/.test(f)),
      'only pictures are kept under attachments/', site.attachments());
    const htaccess = `${site.siteDir}/attachments/.htaccess`;
    checks.ok(fs.existsSync(htaccess) && /php/i.test(fs.readFileSync(htaccess, 'utf8')), 'attachments/.htaccess keeps PHP from running there');

    // The edit form's picture path may name only pictures of the site.
    const withPic = state.products.find((p) => p.pic && fs.existsSync(site.pictureFile(p.pic)));
    const without = state.products.find((p) => !p.pic);
    const secrets = [`${site.siteDir}/config.inc.php`, '/etc/passwd', `${site.siteDir}/admin/product.php`].map((f) => fs.readFileSync(f));
    for (const [p, value] of [[withPic, '../config.inc.php'], [without, '../../../../../../../../../etc/passwd'], [without, '../admin/product.php']]) {
      if (!p) continue;
      const thumb = p.pic ? fs.readFileSync(site.pictureFile(p.pic)) : null;
      const row = db.query(`SELECT picture FROM ${T}product WHERE id = ${p.id}`)[0];
      await site.editRecord(page, 'product', 'id', p.id, { picture: value });
      const copies = site.attachments().filter((f) => secrets.some((s) => fs.readFileSync(`${site.siteDir}/attachments/${f}`).equals(s)));
      checks.equal(copies, [], `edit picture path ${show(value)}: the file is not copied into attachments`);
      if (thumb) checks.ok(fs.readFileSync(site.pictureFile(p.pic)).equals(thumb), `edit picture path ${show(value)}: the thumbnail is unchanged`);
      const now = db.query(`SELECT picture FROM ${T}product WHERE id = ${p.id}`)[0];
      const pic = parsePicture(now.picture);
      checks.ok(now.picture === row.picture || (pic && !pic.invalid && /\.(jpe?g|png|gif|bmp)$/i.test(pic.cover_name)),
        `edit picture path ${show(value)}: the column names no such file`, now.picture);
    }
  });
}

module.exports = { run, INJECTIONS, XSS };
