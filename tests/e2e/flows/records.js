// The administration pages at work: add (with pictures), list, search,
// page, edit and delete, each step checked against the database rows and
// the picture files on disk.
'use strict';
const fs = require('fs');
const { parsePicture, imageInfo } = require('../lib/site');

const CATEGORIES = ['图书', '玩具', '园艺'];
const BRANDS = [
  { code: 'ACME', title: 'Acme 公司' },
  { code: 'NOVA', title: 'Nova' },
  { code: 'ZED', title: 'Zed' },
];
// The date of the one marked pickDate is chosen with the page's date picker
// (a record that is not on the first page of the screenshot).
const PRODUCTS = [
  { name: 'Widget 1', added: '2024-03-05', category: '图书', brand: 'ACME', price: '9.5', stock: '3', note: 'first one', picture: 'red' },
  { name: 'Widget 2', added: '2024-03-18', category: '玩具', brand: 'NOVA', price: '12', stock: '5', note: '', picture: 'blue' },
  { name: 'Widget 3', added: null, pickDate: true, category: '图书', brand: 'NOVA', price: '1.25', stock: '0', note: 'no picture' },
  { name: 'Gadget A', added: '2024-03-20', category: '园艺', brand: 'ACME', price: '100', stock: '1', note: '', picture: 'green' },
  { name: 'Widget 4', added: '2024-05-09', category: '园艺', brand: 'ACME', price: '7', stock: '2', note: '' },
  { name: 'Widget 5', added: '2024-06-10', category: '玩具', brand: 'ACME', price: '8', stock: '4', note: '', picture: 'blue' },
  { name: 'Widget 6', added: '2024-06-11', category: '图书', brand: 'NOVA', price: '3.5', stock: '9', note: '' },
  { name: 'Widget 7', added: '2024-06-20', category: '玩具', brand: 'NOVA', price: '4', stock: '6', note: '' },
  { name: 'Gadget B', added: '2024-07-02', category: '图书', brand: 'NOVA', price: '55', stock: '7', note: '', picture: 'green' },
  { name: 'Widget 8', added: '2024-07-03', category: '园艺', brand: 'ACME', price: '2', stock: '8', note: '', picture: 'red' },
];

const near = (a, b) => Math.abs(Number(a) - Number(b)) < 1e-4;
const ids = (rows) => rows.map((r) => Number(r.key));
const desc = (list) => [...list].sort((a, b) => b - a);

async function run(ctx) {
  const { checks, db, site, page, images, state } = ctx;
  const T = 'php_';

  // Checks one stored product against what was entered.
  const expectProduct = (id, p, label) => {
    const row = db.query(`SELECT * FROM ${T}product WHERE id = ${id}`)[0];
    if (!checks.ok(row, `${label}: row ${id} stored`)) return null;
    checks.equal(
      { name: row.name, added: row.added, category: Number(row.category), brand: row.brand, stock: Number(row.stock), note: row.note },
      { name: p.name, added: p.added, category: state.categoryId[p.category], brand: p.brand, stock: Number(p.stock), note: p.note },
      `${label}: columns of row ${id}`);
    checks.ok(near(row.price, p.price), `${label}: price of row ${id}`, `expected ${p.price}, got ${row.price}`);
    return row;
  };

  // A stored picture: valid data, a JPEG thumbnail within 200 x 130 on disk.
  const expectThumbnail = (row, label) => {
    const pic = parsePicture(row.picture);
    if (!checks.ok(pic && !pic.invalid, `${label}: picture column holds the stored picture form`, row.picture)) return null;
    checks.ok(/^\.\.\/attachments\/picture\/\d{4}\/\d{2}\/cover\/$/.test(pic.cover_dir),
      `${label}: thumbnail folder is ../attachments/picture/YYYY/MM/cover/`, pic.cover_dir);
    const file = site.pictureFile(pic);
    if (!checks.ok(fs.existsSync(file), `${label}: thumbnail file exists`, file)) return pic;
    const info = imageInfo(file);
    checks.ok(info && info.type === 2 && info.width <= 200 && info.height <= 130 && (info.width === 200 || info.height === 130),
      `${label}: thumbnail is a JPEG fitted to 200 x 130`, info);
    return pic;
  };

  await checks.group('categories: add (integer key)', async () => {
    state.categoryId = {};
    for (const name of CATEGORIES) {
      const before = db.count(`${T}category`);
      const r = await site.addRecord(page, 'category', { name });
      checks.ok(r.text.includes('分类添加成功'), `add category ${name}: message 分类添加成功`, r.text.slice(0, 200));
      const rows = db.query(`SELECT id, name FROM ${T}category WHERE name = '${name}'`);
      checks.ok(db.count(`${T}category`) === before + 1 && rows.length === 1, `add category ${name}: one row with a new id`, rows);
      if (rows.length) state.categoryId[name] = Number(rows[0].id);
    }
    const list = await site.openList(page, 'category');
    await site.expectCleanPage(page, 'category list');
    checks.equal(list.map((r) => r.cells), desc(Object.values(state.categoryId)).map((id) =>
      [String(id), CATEGORIES.find((n) => state.categoryId[n] === id)]), 'category list shows id and name, newest first');
  });

  await checks.group('brands: add and edit (text key)', async () => {
    for (const b of BRANDS) {
      const r = await site.addRecord(page, 'brand', { code: b.code, title: b.title });
      checks.ok(r.text.includes('品牌添加成功'), `add brand ${b.code}: message 品牌添加成功`, r.text.slice(0, 200));
    }
    checks.equal(db.query(`SELECT code, title FROM ${T}brand ORDER BY code`), BRANDS.map((b) => ({ code: b.code, title: b.title })),
      'brand rows hold the entered keys and titles');
    const r = await site.editRecord(page, 'brand', 'code', 'NOVA', { title: 'Nova 新' });
    checks.ok(r.text.includes('品牌更新成功'), 'edit brand NOVA: message 品牌更新成功', r.text.slice(0, 200));
    BRANDS[1].title = 'Nova 新';
    checks.equal(db.query(`SELECT code, title FROM ${T}brand ORDER BY code`), BRANDS.map((b) => ({ code: b.code, title: b.title })),
      'edit brand NOVA: only its title changed');
    const dup = await site.addRecord(page, 'brand', { code: 'ACME', title: 'Duplicate' });
    checks.ok(!dup.text.includes('添加成功'), 'a duplicate brand key is not reported as added', dup.text.slice(0, 300));
    checks.ok(!/INSERT INTO/i.test(dup.text), 'the error page does not show the SQL statement', dup.text.slice(0, 300));
    checks.ok(/失败|错误|error/i.test(dup.text), 'a duplicate brand key shows an error message page', dup.text.slice(0, 300));
    checks.equal(db.value(`SELECT title FROM ${T}brand WHERE code = 'ACME'`), BRANDS[0].title, 'a duplicate brand key leaves the stored row');
  });

  await checks.group('products: add with pictures', async () => {
    state.products = [];
    for (const p of PRODUCTS) {
      const before = Number(db.value(`SELECT COALESCE(MAX(id), 0) FROM ${T}product`));
      await page.goto(site.admin('product.php?act=add'));
      if (p === PRODUCTS[0]) {
        // Added as 图书, 玩具, 园艺; offered in the order of their names.
        const offered = await page.$$eval('select[name="product[category]"] option', (os) => os.map((o) => o.textContent.trim()).filter(Boolean));
        checks.equal(offered, [...CATEGORIES].sort(), 'the add page offers the categories sorted by name');
      }
      if (p.pickDate) {
        try {
          await page.click('input[name="product[added]"]');
          await page.getByText('15', { exact: true }).locator('visible=true').first().click({ timeout: 30000 });
          p.added = await page.inputValue('input[name="product[added]"]');
        } catch (e) {
          p.added = e.message.split('\n')[0];
        }
        if (!checks.ok(/^\d{4}-\d{2}-15$/.test(p.added), 'the date picker opens on a click and writes YYYY-MM-DD into the date field', p.added)) {
          p.added = '2024-06-15';
          await page.keyboard.press('Escape');
          await page.fill('input[name="product[added]"]', p.added);
        }
      }
      const values = { name: p.name, category: state.categoryId[p.category], brand: p.brand, price: p.price, stock: p.stock, note: p.note };
      if (!p.pickDate) values.added = p.added;
      await site.fillRecord(page, 'product', values, p.picture ? { picture: images[p.picture] } : {});
      const r = await site.submit(page, 'form#form input[type=submit]', /act=addok/);
      checks.ok(r.text.includes('商品添加成功'), `add product ${p.name}: message 商品添加成功`, r.text.slice(0, 200));
      const id = Number(db.value(`SELECT COALESCE(MAX(id), 0) FROM ${T}product`));
      checks.ok(id === before + 1, `add product ${p.name}: a new id`, { before, id });
      p.id = id;
      state.products.push(p);
      const row = expectProduct(id, p, `add product ${p.name}`);
      if (!row) continue;
      if (p.picture) p.pic = expectThumbnail(row, `add product ${p.name}`);
      else checks.equal(row.picture, '', `add product ${p.name}: no picture stored`);
    }
    checks.ok(!site.attachments().some((f) => /red\.png|blue\.jpg|green\.gif/.test(f)),
      'stored picture names are made by the site, not taken from the upload', site.attachments());
  });

  const byId = (id) => state.products.find((p) => p.id === id);
  const expectList = async (label, params, expected) => {
    const rows = await site.openList(page, 'product', params);
    checks.equal(ids(rows), desc(expected.map((p) => p.id)).slice(0, 5), `${label}: the listed records`);
    return rows;
  };

  await checks.group('products: list page', async () => {
    const rows = await expectList('list', {}, state.products);
    await site.picturesSettled(page);
    const again = await site.listRows(page);
    await site.expectCleanPage(page, 'product list');
    for (const row of again) {
      const p = byId(Number(row.key));
      if (!p) continue;
      checks.equal(row.cells.slice(1, 5), [p.name, p.added, p.category, BRANDS.find((b) => b.code === p.brand).title],
        `list row ${p.id}: name, date and the display values of category and brand`);
      checks.ok(row.img && row.img.loaded, `list row ${p.id}: its picture loads`, row.img);
      if (p.pic && row.img) {
        checks.equal(site.fileOfUrl(row.img.url), site.pictureFile(p.pic), `list row ${p.id}: shows its thumbnail`);
      } else if (row.img) {
        checks.ok(/\/attachments\/picture\/NoImage\.jpg$/.test(row.img.url), `list row ${p.id}: shows NoImage.jpg`, row.img.url);
      }
      checks.ok(row.links.includes(`product.php?act=edit&id=${p.id}`) && row.links.includes(`product.php?act=remove&id=${p.id}`),
        `list row ${p.id}: edit and delete links`, row.links);
    }
    checks.ok(rows.length === 5, 'the list shows five records a page', rows.length);
    await page.setViewportSize({ width: 1280, height: 900 });
    await page.screenshot({ path: ctx.env.screenshot, fullPage: true });
    checks.ok(fs.statSync(ctx.env.screenshot).size > 5000, 'screenshot of the list page written', ctx.env.screenshot);
    // Select-all ticks and clears every row.
    await page.click('#CheckAll');
    const all = await page.$$eval('input[name="delid[]"]', (b) => b.map((x) => x.checked));
    await page.click('#CheckAll');
    const none = await page.$$eval('input[name="delid[]"]', (b) => b.map((x) => x.checked));
    checks.ok(all.length === 5 && all.every(Boolean) && none.every((x) => !x), 'select-all ticks and clears every row', { all, none });
  });

  await checks.group('products: search', async () => {
    const P = state.products;
    await expectList('search by text "Gadget"', { name: 'Gadget' }, P.filter((p) => p.name.includes('Gadget')));
    checks.equal(await page.inputValue('input[name=name]'), 'Gadget', 'search by text: the field keeps the value');
    await expectList('search by date "2024-03"', { added: '2024-03' }, P.filter((p) => p.added.includes('2024-03')));
    checks.equal(await page.inputValue('input[name=added]'), '2024-03', 'search by date: the field keeps the value');
    const garden = state.categoryId['园艺'];
    await expectList('search by category 园艺 (integer key)', { category: garden }, P.filter((p) => p.category === '园艺'));
    checks.equal(await page.inputValue('select[name=category]'), String(garden), 'search by category: the choice stays selected');
    await expectList('search by brand NOVA (text key)', { brand: 'NOVA' }, P.filter((p) => p.brand === 'NOVA'));
    checks.equal(await page.inputValue('select[name=brand]'), 'NOVA', 'search by brand: the choice stays selected');
    await expectList('search with no choice', { name: '', added: '', category: '0', brand: '' }, P);

    // The search form itself, as a user sends it.
    await site.openList(page, 'product');
    await page.fill('input[name=name]', 'Widget');
    await page.selectOption('select[name=brand]', 'ACME');
    await Promise.all([page.waitForNavigation(), page.click('#productQueryForm input[type=submit]')]);
    checks.equal(ids(await site.listRows(page)), desc(P.filter((p) => p.name.includes('Widget') && p.brand === 'ACME').map((p) => p.id)).slice(0, 5),
      'search form: text and brand together');
  });

  await checks.group('products: paging with a filter kept', async () => {
    const widgets = desc(state.products.filter((p) => p.name.includes('Widget')).map((p) => p.id));
    checks.ok(widgets.length > 5, 'more than five records match "Widget"', widgets.length);
    await site.openList(page, 'product', { name: 'Widget' });
    checks.equal(ids(await site.listRows(page)), widgets.slice(0, 5), 'page 1 of "Widget": the five newest');
    const next = page.locator('a[href*="page=2"]').first();
    await Promise.all([page.waitForNavigation(), next.click()]);
    await site.expectCleanPage(page, 'page 2 of the list');
    checks.equal(ids(await site.listRows(page)), widgets.slice(5, 10), 'page 2 of "Widget": the rest, filter kept');
    checks.equal(await page.inputValue('input[name=name]'), 'Widget', 'page 2 of "Widget": the search field keeps the filter');
    await site.openList(page, 'product', { category: state.categoryId['图书'], page: 1 });
    const books = desc(state.products.filter((p) => p.category === '图书').map((p) => p.id));
    checks.equal(ids(await site.listRows(page)), books.slice(0, 5), 'list filtered by category 图书, page 1');
    checks.equal((await page.locator('a[href*="page=2"]').count()) > 0, books.length > 5,
      'no link to a second page when the filter leaves five records or fewer');
  });

  await checks.group('products: edit text, reference and picture', async () => {
    const [p1, p2, p3] = state.products;
    // Text and references of a record with a picture; its thumbnail stays.
    const thumb2 = fs.readFileSync(site.pictureFile(p2.pic));
    await page.goto(site.admin(`product.php?act=edit&id=${p2.id}`));
    await site.expectCleanPage(page, 'product edit page');
    checks.equal(await page.inputValue('input[name="product[name]"]'), p2.name, 'edit page: shows the stored name');
    checks.equal(await page.inputValue('select[name="product[category]"]'), String(state.categoryId[p2.category]), 'edit page: the stored category is selected');
    checks.equal(await page.inputValue('select[name="product[brand]"]'), p2.brand, 'edit page: the stored brand is selected');
    checks.equal(await page.inputValue('input[name="product[picture]"]'), p2.pic.cover_name, 'edit page: the picture field holds the thumbnail name');
    Object.assign(p2, { name: 'Widget 2 改', category: '园艺', brand: 'ACME', note: '改过了', stock: '11' });
    await site.fillRecord(page, 'product', { name: p2.name, category: state.categoryId[p2.category], brand: p2.brand, note: p2.note, stock: p2.stock });
    let r = await site.submit(page, 'form#form input[type=submit]', /act=editok/);
    checks.ok(r.text.includes('商品更新成功'), 'edit product: message 商品更新成功', r.text.slice(0, 200));
    const row2 = expectProduct(p2.id, p2, 'edit text and references');
    if (row2) {
      checks.equal(parsePicture(row2.picture), p2.pic, 'edit text and references: the picture column is unchanged');
      checks.ok(fs.readFileSync(site.pictureFile(p2.pic)).equals(thumb2), 'edit text and references: the thumbnail file is unchanged');
    }
    const others = db.query(`SELECT id, name FROM ${T}product WHERE id <> ${p2.id} ORDER BY id`);
    checks.equal(others, state.products.filter((p) => p !== p2).map((p) => ({ id: String(p.id), name: p.name })),
      'edit text and references: the other rows are unchanged');

    // A new picture for a record that has one: the file replaces the thumbnail.
    const source2 = `${p2.pic.cover_dir}${p2.pic.cover_name}`;
    const thumb1Before = fs.readFileSync(site.pictureFile(p1.pic));
    r = await site.editRecord(page, 'product', 'id', p1.id, { picture: source2 });
    checks.ok(r.text.includes('商品更新成功'), 'edit picture of a record with one: message 商品更新成功', r.text.slice(0, 200));
    const row1 = db.query(`SELECT picture FROM ${T}product WHERE id = ${p1.id}`)[0];
    checks.equal(parsePicture(row1.picture), p1.pic, 'edit picture of a record with one: the column keeps its value');
    const thumb1After = fs.readFileSync(site.pictureFile(p1.pic));
    checks.ok(thumb1After.equals(thumb2) && !thumb1After.equals(thumb1Before), 'edit picture of a record with one: the chosen file replaced the thumbnail');

    // A picture for a record without one: a new file and the column set.
    r = await site.editRecord(page, 'product', 'id', p3.id, { picture: source2 });
    checks.ok(r.text.includes('商品更新成功'), 'edit picture of a record without one: message 商品更新成功', r.text.slice(0, 200));
    const row3 = db.query(`SELECT picture FROM ${T}product WHERE id = ${p3.id}`)[0];
    p3.pic = expectThumbnail({ picture: row3.picture }, 'edit picture of a record without one') || undefined;
    if (p3.pic && fs.existsSync(site.pictureFile(p3.pic)))
      checks.ok(fs.readFileSync(site.pictureFile(p3.pic)).equals(thumb2), 'edit picture of a record without one: the file is a copy of the chosen one');
    await site.openList(page, 'product', { name: p3.name });
    await site.picturesSettled(page);
    const listed = (await site.listRows(page)).find((row) => Number(row.key) === p3.id);
    checks.ok(listed && listed.img && listed.img.loaded && p3.pic && site.fileOfUrl(listed.img.url) === site.pictureFile(p3.pic),
      'edit picture of a record without one: the list shows the new picture', listed && listed.img);
  });

  await checks.group('products: picture chooser', async () => {
    const p = state.products[4];
    await page.goto(site.admin(`product.php?act=edit&id=${p.id}`));
    // The chooser opens in a window of its own.
    const [popup] = await Promise.all([page.context().waitForEvent('page', { timeout: 30000 }),
      page.click('input[type=button][value="选择"]')]);
    await popup.waitForLoadState('load');
    const candidates = popup.locator('img');
    await candidates.first().waitFor({ timeout: 30000 });
    checks.ok((await candidates.count()) > 0, 'the picture chooser lists stored pictures');
    // Choosing closes the chooser: its closing is the event waited for, and a
    // click that the closing interrupts has done its work.
    await Promise.all([popup.waitForEvent('close', { timeout: 30000 }),
      candidates.first().click({ noWaitAfter: true }).catch((e) => { if (!popup.isClosed()) throw e; })]);
    await page.waitForFunction(() => document.querySelector('input[name="product[picture]"]').value !== '', null, { timeout: 30000 });
    const value = await page.inputValue('input[name="product[picture]"]');
    checks.ok(/^\.\.\/attachments\/picture\/.+\.(jpe?g|png|gif|bmp)$/i.test(value), 'the chooser fills the picture field with a path the edit act reads', value);
    const r = await site.submit(page, 'form#form input[type=submit]', /act=editok/);
    checks.ok(r.text.includes('商品更新成功'), 'chosen picture saved: message 商品更新成功', r.text.slice(0, 200));
    p.pic = expectThumbnail(db.query(`SELECT picture FROM ${T}product WHERE id = ${p.id}`)[0], 'chosen picture saved') || undefined;
  });

  await checks.group('delete one and several', async () => {
    const [, p2] = state.products;
    const file2 = site.pictureFile(p2.pic);
    await site.openList(page, 'product');
    const link = page.locator(`a[href="product.php?act=remove&id=${p2.id}"]`);
    if (await link.count() === 0) await site.openList(page, 'product', { name: p2.name });
    let r = await site.submit(page, `a[href="product.php?act=remove&id=${p2.id}"]`, /act=remove/);
    checks.ok(r.text.includes('删除成功'), 'delete one: message 删除成功', r.text.slice(0, 200));
    checks.equal(db.count(`${T}product`, `id = ${p2.id}`), 0, 'delete one: the row is gone');
    checks.ok(!fs.existsSync(file2), 'delete one: its thumbnail file is gone', file2);
    state.products = state.products.filter((p) => p !== p2);
    checks.equal(db.query(`SELECT id FROM ${T}product ORDER BY id`).map((x) => Number(x.id)),
      state.products.map((p) => p.id).sort((a, b) => a - b), 'delete one: every other row is still there');

    const victims = state.products.filter((p) => p.name.startsWith('Gadget'));
    await site.openList(page, 'product', { name: 'Gadget' });
    for (const v of victims) await page.check(`input[name="delid[]"][value="${v.id}"]`);
    r = await site.submit(page, '#DelAllOk', /act=delall/);
    checks.ok(r.text.includes('删除成功'), 'delete several: message 删除成功', r.text.slice(0, 200));
    checks.equal(db.count(`${T}product`, `id IN (${victims.map((v) => v.id).join(',')})`), 0, 'delete several: the ticked rows are gone');
    for (const v of victims.filter((x) => x.pic)) checks.ok(!fs.existsSync(site.pictureFile(v.pic)), `delete several: thumbnail of ${v.id} is gone`);
    state.products = state.products.filter((p) => !victims.includes(p));
    checks.equal(db.query(`SELECT id FROM ${T}product ORDER BY id`).map((x) => Number(x.id)), state.products.map((p) => p.id).sort((a, b) => a - b),
      'delete several: every other row is still there');
    for (const p of state.products.filter((x) => x.pic)) checks.ok(fs.existsSync(site.pictureFile(p.pic)), `delete several: thumbnail of ${p.id} is kept`);

    // Text key, and a row that others still refer to.
    r = await (async () => { await site.openList(page, 'brand'); return site.submit(page, 'a[href="brand.php?act=remove&code=ZED"]', /act=remove/); })();
    checks.ok(r.text.includes('删除成功'), 'delete brand ZED (text key): message 删除成功', r.text.slice(0, 200));
    checks.equal(db.query(`SELECT code FROM ${T}brand ORDER BY code`).map((x) => x.code), ['ACME', 'NOVA'], 'delete brand ZED: only that row is gone');
    const used = state.categoryId['图书'];
    r = await (async () => { await site.openList(page, 'category'); return site.submit(page, `a[href="category.php?act=remove&id=${used}"]`, /act=remove/); })();
    checks.ok(/失败/.test(r.text) && !r.text.includes('删除成功'), 'delete a category still in use: a failure message', r.text.slice(0, 300));
    checks.ok(!/DELETE FROM|php_category|WHERE id/i.test(r.text), 'delete a category still in use: the page does not show the SQL statement', r.text.slice(0, 300));
    checks.equal(db.count(`${T}category`, `id = ${used}`), 1, 'delete a category still in use: the row stays');
  });
}

module.exports = { run, PRODUCTS, BRANDS, CATEGORIES };
