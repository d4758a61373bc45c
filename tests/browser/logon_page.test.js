// The logon page in a real browser: headless Chromium against a server on 127.0.0.1.
// Usage: node logon_page.test.js SERVER_EXECUTABLE FILES_FOLDER SCREENSHOT_PNG
'use strict';
const { chromium } = require('playwright-core');
const { spawn } = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');

const [serverExe, filesFolder, screenshot] = process.argv.slice(2);
const TIMEOUT_MS = 3000;  // the session timeout of this server; the heartbeat is a third of it

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.on('error', reject);
    s.listen(0, '127.0.0.1', () => { const p = s.address().port; s.close(() => resolve(p)); });
  });
}

function waitForOutput(proc, text, ms) {
  return new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('server did not start: ' + out)), ms);
    const onData = (d) => {
      out += d.toString();
      if (out.includes(text)) { clearTimeout(timer); resolve(); }
    };
    proc.stdout.on('data', onData);
    proc.stderr.on('data', onData);
    proc.on('exit', (code) => { clearTimeout(timer); reject(new Error('server exited ' + code + ': ' + out)); });
  });
}

const results = [];
async function check(name, fn) {
  try {
    await fn();
    results.push([name, true]);
    console.log('ok   ' + name);
  } catch (e) {
    results.push([name, false]);
    console.log('FAIL ' + name + ': ' + (e && e.stack || e));
  }
}
function expect(cond, what) { if (!cond) throw new Error(what); }

async function main() {
  const app = fs.mkdtempSync(path.join(os.tmpdir(), 'quinbrowser-'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quinchromium-'));
  fs.cpSync(filesFolder, path.join(app, 'Files'), { recursive: true });
  const port = await freePort();
  const server = spawn(serverExe, ['--host', '127.0.0.1', '--port', String(port), '--app-dir', app,
    '--session-timeout', String(TIMEOUT_MS)], { stdio: ['ignore', 'pipe', 'pipe'] });
  let browser;
  try {
    await waitForOutput(server, 'listening on', 15000);
    // A fresh profile folder (Playwright passes it as --user-data-dir).
    browser = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
      viewport: { width: 1100, height: 720 },
      timeout: 60000,
    });
    const page = await browser.newPage();
    page.setDefaultTimeout(15000);
    const alerts = [];
    page.on('dialog', async (d) => { alerts.push(d.message()); await d.dismiss(); });
    const base = 'http://127.0.0.1:' + port + '/';
    const submit = async (action) => {
      await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), action()]);
    };
    const body = () => page.evaluate(() => document.body.innerText);

    await check('logon page renders in Polish with the declared charset', async () => {
      const resp = await page.goto(base, { waitUntil: 'load' });
      expect(resp.headers()['content-type'] === 'text/html; charset=iso-8859-2',
        'content type ' + resp.headers()['content-type']);
      expect(await page.evaluate(() => document.characterSet) === 'ISO-8859-2', 'charset');
      const text = await body();
      expect(text.includes('Jeżeli jesteś zarejestrowanym użytkownikiem Quinview'), text);
      expect(text.includes('Identyfikator') && text.includes('Hasło'), text);
      expect(text.includes('Badanie nie otwarte'), text);
      expect(await page.title() === 'Quinview', 'title');
      expect(await page.evaluate(() => getComputedStyle(document.querySelector('input.button'))
        .backgroundColor) !== 'rgba(0, 0, 0, 0)', 'style sheet applied');
      const broken = await page.evaluate(() => [...document.images]
        .filter((i) => !i.complete || i.naturalWidth === 0).map((i) => i.src));
      expect(broken.length === 0, 'images missing: ' + broken);
      await page.screenshot({ path: screenshot, fullPage: true });
    });

    await check('the language link switches to English and back', async () => {
      await submit(() => page.getByText('English', { exact: true }).click());
      let text = await body();
      expect(text.includes('If you are a registered user of Quinview'), text);
      expect(text.includes('Polski'), text);
      await submit(() => page.getByText('Polski', { exact: true }).click());
      text = await body();
      expect(text.includes('Jeżeli jesteś'), text);
    });

    await check('a wrong password shows the alert', async () => {
      await submit(() => page.getByText('English', { exact: true }).click());
      await page.fill('input[type=text]', 'qazo');
      await page.fill('input[type=password]', 'not-the-password');
      alerts.length = 0;
      await submit(() => page.click('input.button[value=OK]'));
      await page.waitForTimeout(300);
      expect(alerts.includes('Invalid user name or password.'), 'alerts: ' + JSON.stringify(alerts));
      expect(await page.inputValue('input[type=password]') === '', 'password sent back');
      await submit(() => page.getByText('Polski', { exact: true }).click());
    });

    await check('help opens over the logon page and closes back to it', async () => {
      await submit(() => page.getByText('Pomoc', { exact: true }).click());
      let text = await body();
      expect(text.includes('Logowanie') && text.includes('Zarejestrowani użytkownicy'), text);
      expect(await page.locator('select').count() === 1, 'topic list');
      await submit(() => page.click('input.button[value=Zamknij]'));
      text = await body();
      expect(text.includes('Jeżeli jesteś'), text);
    });

    await check('settings open over the logon page and close back to it', async () => {
      await submit(() => page.getByText('Ustawienia', { exact: true }).click());
      let text = await body();
      expect(text.includes('Preferencje') && text.includes('Język aplikacji'), text);
      await submit(() => page.click('input.button[value=Anuluj]'));
      text = await body();
      expect(text.includes('Jeżeli jesteś'), text);
    });

    await check('the heartbeat keeps an open page\'s session alive', async () => {
      const before = page.url();
      await page.waitForTimeout(TIMEOUT_MS * 2 + 500);
      await submit(() => page.getByText('English', { exact: true }).click());
      const text = await body();
      expect(page.url() === before, 'url ' + page.url() + ' vs ' + before);
      expect(text.includes('If you are a registered user'), text);
    });
  } finally {
    if (browser) await browser.close();
    server.kill('SIGTERM');
    fs.rmSync(app, { recursive: true, force: true });
    fs.rmSync(profile, { recursive: true, force: true });
  }
  const passed = results.filter((r) => r[1]).length;
  const failed = results.length - passed;
  console.log(passed + ' passed, ' + failed + ' failed');
  process.exit(failed === 0 && results.length > 0 ? 0 : 1);
}

main().catch((e) => { console.log('FAIL ' + (e && e.stack || e)); process.exit(1); });
