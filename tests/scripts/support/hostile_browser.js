// Opens the pages of the hostile and the plain site (saved by
// hostile_check.php) in Chromium and checks what a visitor gets: the same
// elements as the plain page, the title and every text as the model wrote it,
// no script of the model's text run, and the menu's links handing each
// friendly name to their scripts as it is. Usage:
//   node hostile_browser.js BROWSER_JSON
// Prints one "ok"/"FAIL" line per check; exits 1 when any check fails.
const { chromium } = require('playwright-core');
const fs = require('fs');

const pages = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
let failed = 0;
function check(ok, label, detail) {
  if (ok) {
    console.log(`ok - ${label}`);
  } else {
    failed++;
    console.log(`FAIL - ${label}${detail === undefined ? '' : ': ' + detail}`);
  }
}
// How a browser shows text: runs of white space are one space.
const shown = (text) => String(text).replace(/\s+/g, ' ').trim();

// What the page holds once loaded, and the texts its links hand to the menu's
// scripts when clicked (the scripts are replaced by recorders).
async function read(page, file) {
  await page.goto('file://' + file, { waitUntil: 'load' });
  return page.evaluate(() => {
    const calls = [];
    window.fnOnTabClick = (link, lower, name) => calls.push(name);
    window.fnOnMenuClick = (link, name) => calls.push(name);
    for (const link of document.querySelectorAll('a[onclick]')) link.click();
    return {
      elements: [...document.querySelectorAll('*')].map((e) => e.tagName),
      text: document.documentElement.textContent,
      title: document.title,
      calls,
    };
  });
}

(async () => {
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'] });
  try {
    const context = await browser.newContext({ javaScriptEnabled: true });
    // Only the saved files load; the site's own styles and scripts are not there.
    await context.route('**/*', (route) => (route.request().url().startsWith('file:') ? route.continue() : route.abort()));
    const page = await context.newPage();
    const dialogs = [];
    page.on('dialog', (dialog) => { dialogs.push(dialog.message()); dialog.dismiss(); });
    for (const expected of pages) {
      const name = expected.page;
      const hostile = await read(page, expected.file);
      const plain = await read(page, expected.plainFile);
      check(JSON.stringify(hostile.elements) === JSON.stringify(plain.elements),
        `${name}: the browser builds the plain page's elements`,
        `${hostile.elements.length} elements against ${plain.elements.length}`);
      if (expected.title !== null) {
        check(shown(hostile.title) === shown(expected.title), `${name}: the browser shows the title as it is`,
          JSON.stringify(hostile.title));
      }
      const missing = expected.texts.filter((text) => !shown(hostile.text).includes(shown(text)));
      check(missing.length === 0, `${name}: the browser shows every member comment as it is`, JSON.stringify(missing));
      const calls = expected.calls.filter((call) => !hostile.calls.includes(call));
      check(calls.length === 0, `${name}: each link hands its friendly name to the menu's script as it is`,
        JSON.stringify(calls));
    }
    check(dialogs.length === 0, 'no script of the model\'s texts ran', JSON.stringify(dialogs));
  } finally {
    await browser.close();
  }
  console.log(failed === 0 ? 'all browser checks passed' : `${failed} browser checks failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((e) => {
  console.log(`FAIL - the browser check ran: ${e.stack || e}`);
  process.exit(1);
});
