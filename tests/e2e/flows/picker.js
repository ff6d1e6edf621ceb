// Reference fields over a large table: with more categories than a
// drop-down may list, the product pages offer a search-as-you-type picker,
// driven here by keyboard and by mouse, and a plain key field without
// scripts. Brands stay few and keep their drop-down.
'use strict';
const fs = require('fs');
const path = require('path');

const T = 'php_';
const BULK = 400;
const bulkName = (i) => `Bulk ${String(i).padStart(4, '0')}`;

// The model description the runtime reads, for a site generated before the
// run wrote one.
const MODEL = `<?php
/* The site's model as generated; the administration runtime reads it. */
return array(
    'Category' => array('table' => 'php_category', 'label' => '分类', 'key' => 'id', 'display' => 'name', 'members' => array(
        'id' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '编号', 'picture' => false, 'reference' => null),
        'name' => array('type' => 'string', 'length' => 30, 'required' => true, 'label' => '名称', 'picture' => false, 'reference' => null),
    )),
    'Brand' => array('table' => 'php_brand', 'label' => '品牌', 'key' => 'code', 'display' => 'title', 'members' => array(
        'code' => array('type' => 'string', 'length' => 8, 'required' => true, 'label' => '品牌代码', 'picture' => false, 'reference' => null),
        'title' => array('type' => 'string', 'length' => 30, 'required' => true, 'label' => '品牌名称', 'picture' => false, 'reference' => null),
    )),
    'Product' => array('table' => 'php_product', 'label' => '商品', 'key' => 'id', 'display' => 'name', 'members' => array(
        'id' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '编号', 'picture' => false, 'reference' => null),
        'name' => array('type' => 'string', 'length' => 30, 'required' => true, 'label' => '名称', 'picture' => false, 'reference' => null),
        'added' => array('type' => 'date', 'length' => 0, 'required' => true, 'label' => '上架日期', 'picture' => false, 'reference' => null),
        'category' => array('type' => 'reference', 'length' => 0, 'required' => true, 'label' => '分类', 'picture' => false, 'reference' => 'Category'),
        'brand' => array('type' => 'reference', 'length' => 0, 'required' => true, 'label' => '品牌', 'picture' => false, 'reference' => 'Brand'),
        'price' => array('type' => 'float', 'length' => 0, 'required' => true, 'label' => '价格', 'picture' => false, 'reference' => null),
        'stock' => array('type' => 'integer', 'length' => 0, 'required' => true, 'label' => '库存', 'picture' => false, 'reference' => null),
        'picture' => array('type' => 'picture', 'length' => 0, 'required' => false, 'label' => '图片', 'picture' => true, 'reference' => null),
        'note' => array('type' => 'string', 'length' => 100, 'required' => false, 'label' => '备注', 'picture' => false, 'reference' => null),
    )),
);
`;

async function run(ctx) {
  const { checks, db, site, page, env } = ctx;

  const modelFile = path.join(env.siteDir, 'admin/include/site_model.php');
  if (!fs.existsSync(modelFile)) fs.writeFileSync(modelFile, MODEL);
  const rows = [];
  for (let i = 1; i <= BULK; i++) rows.push(`('${bulkName(i)}')`);
  db.exec(`INSERT INTO ${T}category (name) VALUES ${rows.join(',')}`);
  const idOf = (name) => Number(db.value(`SELECT id FROM ${T}category WHERE name = '${name}'`));
  // A brand of its own for the new products (the stored ones may have any code).
  const brand = 'PKR';
  db.exec(`INSERT INTO ${T}brand (code, title) VALUES ('PKR', 'Picker')`);
  const box = (p, field) => p.locator(`[name="${field}"]`).locator('xpath=..').locator('input[role=combobox]');
  const options = (p) => p.locator('ul.reference-options li[role=option]');
  // Waits until the open list holds exactly these entries (a search typed
  // letter by letter may answer for a shorter text first).
  const listed = (p, texts) => p.waitForFunction((want) => {
    const shown = [...document.querySelectorAll('ul.reference-options:not([hidden]) li[role=option] span')].map((s) => s.textContent);
    return shown.length === want.length && shown.every((t, i) => t === want[i]);
  }, texts, { timeout: 30000, polling: 'raf' });
  const rest = { added: '2024-08-01', brand, price: '3', stock: '2', note: '' };
  const added = [];

  await checks.group('reference picker: add page, by keyboard', async () => {
    await page.goto(site.admin('product.php?act=add'));
    const html = await page.content();
    checks.ok(html.length < 300 * 1024, 'the add page is small with 400 categories', html.length);
    checks.equal(await page.locator('select[name="product[category]"]').count(), 0, 'add page: no category drop-down');
    checks.ok(await page.locator('select[name="product[brand]"] option').count() >= 1, 'add page: the few brands keep their drop-down');
    const search = box(page, 'product[category]');
    await search.click();
    await page.keyboard.type('Bulk 0123');
    await listed(page, ['Bulk 0123']);
    await page.keyboard.press('ArrowDown');
    checks.equal(await options(page).first().getAttribute('aria-selected'), 'true', 'ArrowDown marks the first entry');
    await page.keyboard.press('Enter');
    checks.ok(/act=add(&|$)/.test(page.url()), 'Enter in the open list picks and does not send the form', page.url());
    checks.equal(await page.locator('input[type=hidden][name="product[category]"]').inputValue(), String(idOf('Bulk 0123')),
      'the picked record\'s key is the field\'s value');
    checks.equal(await search.inputValue(), 'Bulk 0123', 'the box shows the picked record');
    checks.ok(await page.locator('ul.reference-options').isHidden(), 'the list closes after the pick');

    await search.press('End');
    await page.keyboard.type('zz');
    await page.locator('ul.reference-options:not([hidden]) li.reference-note').waitFor();
    checks.ok(/没有匹配/.test(await page.locator('ul.reference-options li.reference-note').innerText()), 'a text that matches nothing says so');
    await page.keyboard.press('Escape');
    checks.ok(await page.locator('ul.reference-options').isHidden(), 'Esc closes the list');
    checks.equal(await search.inputValue(), 'Bulk 0123', 'Esc restores the picked record\'s text');

    await site.fillRecord(page, 'product', { name: 'Picked by keys', ...rest });
    const r = await site.submit(page, 'form#form input[type=submit]', /act=addok/);
    checks.ok(/添加成功/.test(r.text), 'the product with a picked category is added', r.text);
    const row = db.query(`SELECT id, category FROM ${T}product WHERE name = 'Picked by keys'`)[0];
    checks.ok(row && Number(row.category) === idOf('Bulk 0123'), 'the stored category is the picked one', row);
    if (row) added.push(Number(row.id));
  });

  await checks.group('reference picker: edit page, by mouse', async () => {
    const id = added[0];
    await page.goto(site.admin(`product.php?act=edit&id=${id}`));
    const search = box(page, 'product[category]');
    checks.equal(await search.inputValue(), 'Bulk 0123', 'edit page: the box shows the stored category');
    await search.click({ clickCount: 3 });
    await page.keyboard.type('Bulk 02');
    const first20 = Array.from({ length: 20 }, (_, i) => bulkName(200 + i));
    await listed(page, first20);
    checks.ok(/更多/.test(await page.locator('ul.reference-options li.reference-note').innerText()), 'a bounded answer says there are more');
    await options(page).filter({ hasText: 'Bulk 0215' }).click();
    checks.equal(await search.inputValue(), 'Bulk 0215', 'a click picks the entry');
    const r = await site.submit(page, 'form#form input[type=submit]', /act=editok/);
    checks.ok(/更新成功/.test(r.text), 'the edited product is saved', r.text);
    checks.equal(Number(db.value(`SELECT category FROM ${T}product WHERE id = ${id}`)), idOf('Bulk 0215'), 'the stored category is the clicked one');
  });

  await checks.group('reference picker: list search', async () => {
    await site.openList(page, 'product');
    const search = box(page, 'category');
    await search.click();
    await page.keyboard.type('Bulk 0215');
    await listed(page, ['Bulk 0215']);
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await Promise.all([page.waitForNavigation(), page.click('form#productQueryForm input[type=submit]')]);
    const rows = await site.listRows(page);
    checks.equal(rows.map((x) => Number(x.key)), [added[0]], 'the search by a picked category lists its product only');
    checks.equal(await box(page, 'category').inputValue(), 'Bulk 0215', 'the search box shows the searched category');
  });

  await checks.group('reference picker: without scripts a key field', async () => {
    const plain = await ctx.browser.newContext({ javaScriptEnabled: false, storageState: await ctx.context.storageState() });
    try {
      const p = site.guard(await plain.newPage());
      await p.goto(site.admin('product.php?act=add'));
      const field = p.locator('input[type=text][name="product[category]"]');
      checks.ok(await field.isVisible(), 'without scripts the category is a visible text field');
      await site.fillRecord(p, 'product', { name: 'Typed key', category: idOf('Bulk 0007'), ...rest });
      const r = await site.submit(p, 'form#form input[type=submit]', /act=addok/);
      checks.ok(/添加成功/.test(r.text), 'a product with a typed category key is added', r.text);
      const row = db.query(`SELECT id, category FROM ${T}product WHERE name = 'Typed key'`)[0];
      checks.ok(row && Number(row.category) === idOf('Bulk 0007'), 'the typed key is stored', row);
      if (row) added.push(Number(row.id));
    } finally {
      await plain.close();
    }
  });

  if (added.length) db.exec(`DELETE FROM ${T}product WHERE id IN (${added.join(',')})`);
  db.exec(`DELETE FROM ${T}category WHERE name LIKE 'Bulk %'`);
  db.exec(`DELETE FROM ${T}brand WHERE code = 'PKR'`);
}

module.exports = { run };
