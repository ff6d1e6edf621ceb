// What the test knows about a generated site: the administration pages of
// its classes, the picture files, and the page-level steps (open a list,
// fill an add or edit form, submit and read the message page).
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

// PHP's serialised picture data, e.g. a:2:{s:9:"cover_dir";s:37:"...";s:10:"cover_name";s:14:"...";}
function parsePicture(text) {
  if (!text) return null;
  const m = /^a:2:\{s:9:"cover_dir";s:\d+:"(.*)";s:10:"cover_name";s:\d+:"(.*)";\}$/.exec(text);
  return m ? { cover_dir: m[1], cover_name: m[2] } : { invalid: text };
}

// Width, height and type of a picture file, as PHP sees it.
function imageInfo(file) {
  const out = execFileSync('php', ['-r', '$i = @getimagesize($argv[1]); echo $i ? "$i[0] $i[1] $i[2]" : "none";', file], { encoding: 'utf8' });
  if (out === 'none') return null;
  const [width, height, type] = out.split(' ').map(Number);
  return { width, height, type };  // type 2 is JPEG
}

// Every file below a folder, as paths relative to it.
function listFiles(dir) {
  const out = [];
  const walk = (d) => {
    if (!fs.existsSync(d)) return;
    for (const e of fs.readdirSync(d, { withFileTypes: true })) {
      const p = path.join(d, e.name);
      if (e.isDirectory()) walk(p);
      else out.push(path.relative(dir, p));
    }
  };
  walk(dir);
  return out.sort();
}

// The readable text of an HTML page: tags, scripts and styles dropped.
function pageText(html) {
  return html.replace(/<(script|style|head)[\s\S]*?<\/\1>/gi, ' ').replace(/<[^>]+>/g, ' ')
    .replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"').replace(/&#0?39;/g, "'").replace(/&amp;/g, '&')
    .replace(/\s+/g, ' ').trim();
}

const PHP_NOISE = /(Warning|Notice|Deprecated|Fatal error|Parse error|Uncaught)\b[^\n]{0,200}( on line \d+| in \/)/;

class Site {
  constructor({ baseUrl, siteDir, checks }) {
    this.baseUrl = baseUrl;
    this.siteDir = siteDir;
    this.checks = checks;
  }

  url(p) {
    return `${this.baseUrl}/${p.replace(/^\//, '')}`;
  }

  admin(p) {
    return this.url(`admin/${p}`);
  }

  // The file on disk that a stored picture names ("../" dropped, as the site does).
  pictureFile(pic) {
    return path.join(this.siteDir, pic.cover_dir.slice(3), pic.cover_name);
  }

  // The file on disk that an address below the site names.
  fileOfUrl(url) {
    const u = new URL(url, this.baseUrl);
    return path.join(this.siteDir, decodeURIComponent(u.pathname).replace(/^\/+/, ''));
  }

  attachments() {
    return listFiles(path.join(this.siteDir, 'attachments'));
  }

  // A message page that reports a success moves on to its target by itself,
  // a second after it loads. Before the test navigates anywhere else it waits
  // for that move, so the page's navigation and the test's never race.
  async settle(page) {
    for (;;) {
      let moves = false;
      try {
        moves = await page.evaluate(() => {
          if (!document.querySelector('meta[http-equiv="refresh" i]')) return false;
          window.__e2eLeaving = true;
          return true;
        });
      } catch (e) {
        // The move began while the page was read: wait for the next page.
        await page.waitForLoadState('load');
        continue;
      }
      if (!moves) return;
      await page.waitForFunction(() => !window.__e2eLeaving && document.readyState === 'complete', null,
        { timeout: 30000, polling: 100 });
    }
  }

  // Makes page.goto wait for a pending move first (see settle).
  guard(page) {
    if (page.settlesFirst) return page;
    page.settlesFirst = true;
    const goto = page.goto.bind(page);
    page.goto = async (url, options) => {
      await this.settle(page);
      return goto(url, options);
    };
    return page;
  }

  // Fails the check when PHP's own warnings or errors reached the page.
  async expectCleanPage(page, label) {
    const text = await page.evaluate(() => document.documentElement.innerText);
    const m = PHP_NOISE.exec(text);
    this.checks.ok(!m, `${label}: no PHP warning or error on the page`, m ? m[0] : undefined);
    return text;
  }

  // Stops a step at once when the session was lost, instead of waiting
  // for fields that a sign-in page does not have.
  expectSignedIn(page) {
    if (/\/admin\/signin\.php/.test(page.url())) throw new Error(`signed out: ${page.url()}`);
  }

  async openList(page, cls, params = {}) {
    const q = new URLSearchParams({ act: 'show', ...params }).toString();
    await page.goto(this.admin(`${cls}.php?${q}`));
    this.expectSignedIn(page);
    return this.listRows(page);
  }

  // Rows of a list page: checkbox value, cell texts, picture address, links.
  async listRows(page) {
    return page.$$eval('tr.hover', (trs) => trs.map((tr) => {
      const box = tr.querySelector('input[name="delid[]"]');
      const tds = [...tr.children];
      const img = tr.querySelector('img');
      const links = [...tr.querySelectorAll('a.act')].map((a) => a.getAttribute('href'));
      return {
        key: box ? box.value : null,
        cells: tds.slice(1, tds.length - 2).map((td) => td.innerText.trim()),
        img: img ? { src: img.getAttribute('src'), url: img.src, loaded: img.complete && img.naturalWidth > 0 } : null,
        links,
      };
    }));
  }

  // Waits until every picture of the page has loaded or failed.
  async picturesSettled(page) {
    await page.waitForFunction(() => [...document.images].every((i) => i.complete), null, { timeout: 30000 });
  }

  // Submits a form by clicking, follows to the page that answers, and returns
  // the text of the answer to the submission itself (the message page).
  async submit(page, selector, actPattern) {
    const [response] = await Promise.all([
      page.waitForResponse((r) => r.request().isNavigationRequest() && actPattern.test(r.url()), { timeout: 30000 }),
      page.click(selector),
    ]);
    let text = '';
    try {
      text = pageText((await response.text()) || '');
    } catch (e) {
      text = '';
    }
    await page.waitForLoadState('load');
    const shown = await page.evaluate(() => document.documentElement.innerText);
    return { status: response.status(), text: `${text} | ${shown}`, response };
  }

  // Fills the add or edit form: values keyed by member name; a select takes
  // the option value; files keyed by the picture member's name.
  async fillRecord(page, cls, values, files = {}) {
    this.expectSignedIn(page);
    await page.locator('form#form').waitFor({ state: 'visible', timeout: 30000 });
    for (const [member, value] of Object.entries(values)) {
      const field = page.locator(`[name="${cls}[${member}]"]`);
      const tag = await field.evaluate((el) => el.tagName.toLowerCase());
      if (tag === 'select') await field.selectOption(String(value));
      else await field.fill(String(value));
    }
    for (const [member, file] of Object.entries(files)) {
      await page.setInputFiles(`input[type=file][name="${member}"]`, file);
    }
  }

  async addRecord(page, cls, values, files = {}) {
    await page.goto(this.admin(`${cls}.php?act=add`));
    await this.fillRecord(page, cls, values, files);
    return this.submit(page, 'form#form input[type=submit]', /act=addok/);
  }

  async editRecord(page, cls, keyName, key, values) {
    await page.goto(this.admin(`${cls}.php?act=edit&${keyName}=${encodeURIComponent(key)}`));
    await this.fillRecord(page, cls, values);
    return this.submit(page, 'form#form input[type=submit]', /act=editok/);
  }
}

module.exports = { Site, parsePicture, imageInfo, listFiles, pageText };
