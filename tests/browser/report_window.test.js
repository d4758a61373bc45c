// The report window in a real browser: headless Chromium against quin-report-session, whose
// sessions show a saved cross-tabulation of the demonstration survey (education by sex, the
// waves as the layer, a chart below the table). A layer change recalculates the table; the
// chart pane shows an image that decodes; printing opens the report page in a new window;
// logout and the end of a session delete the session's folders.
// Usage: node report_window.test.js SESSION_EXECUTABLE FILES_FOLDER REPORT_ZOR SCREENSHOT_DIR
'use strict';
const { chromium } = require('playwright-core');
const { spawn } = require('child_process');
const http = require('http');
const fs = require('fs');
const os = require('os');
const path = require('path');

const [sessionExe, filesFolder, reportFile, shotDir] = process.argv.slice(2);
const TIMEOUT_MS = 15000;  // the session timeout (generous for slow machines); the heartbeat is a third of it
// The records of each wave in the demonstration survey's generator (data/demo/params.txt).
const WAVE_RECORDS = ['2 480', '2 520'];

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
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Starts the sessions' server; resolves with its base address and the sessions' paths.
function startServer(app) {
  const proc = spawn(sessionExe, ['--app-dir', app, '--report', path.basename(reportFile),
    '--sessions', '2', '--session-timeout', String(TIMEOUT_MS)], { stdio: ['ignore', 'pipe', 'pipe'] });
  return new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('server did not start: ' + out)), 60000);
    const onData = (d) => {
      out += d.toString();
      const m = out.match(/listening on (http:\/\/127\.0\.0\.1:\d+)\//);
      if (m) {
        clearTimeout(timer);
        const sessions = [...out.matchAll(/^session (\/s\/[0-9a-f]{32}\/)/mg)].map((x) => x[1]);
        resolve({ proc, base: m[1], sessions });
      }
    };
    proc.stdout.on('data', onData);
    proc.stderr.on('data', onData);
    proc.on('exit', (code) => { clearTimeout(timer); reject(new Error('server exited ' + code + ': ' + out)); });
  });
}

async function main() {
  const app = fs.mkdtempSync(path.join(os.tmpdir(), 'quinrepwin-'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quinchromium-'));
  fs.cpSync(filesFolder, path.join(app, 'Files'), { recursive: true });
  const reports = path.join(app, 'Files/Quin/Surveys/Guest/media2024.reports');
  fs.mkdirSync(reports, { recursive: true });
  fs.copyFileSync(reportFile, path.join(reports, path.basename(reportFile)));
  const quin = path.join(app, 'Files/Quin');
  fs.mkdirSync(shotDir, { recursive: true });
  let server;
  let browser;
  try {
    // The browser first: the sessions wait for it no longer than their timeout.
    browser = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
      viewport: { width: 1100, height: 800 },
      timeout: 60000,
    });
    const page = await browser.newPage();
    page.setDefaultTimeout(90000);
    server = await startServer(app);
    expect(server.sessions.length === 2, 'two sessions: ' + server.sessions);
    // The second session is kept alive until the browser turns to it.
    const keep = setInterval(() => {
      http.get(server.base + server.sessions[1], (r) => r.resume()).on('error', () => {});
    }, 1000);
    const alerts = [];
    page.on('dialog', async (d) => {
      if (d.type() === 'confirm') await d.accept();
      else { alerts.push(d.message()); await d.dismiss(); }
    });
    const navigate = async (action) => {
      await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), action()]);
    };
    // The texts of the table's cells, row by row.
    const cells = () => page.$$eval('.tableregion table.main tr',
      (rows) => rows.map((r) => [...r.cells].map((c) => c.innerText.trim())));
    const info = () => page.$eval('.repelemregion .inforegion', (e) => e.innerText);
    let sid = server.sessions[0].slice(3, 35);

    let wave1;
    await check('the saved report shows its table for the first wave', async () => {
      await page.goto(server.base + server.sessions[0], { waitUntil: 'load' });
      wave1 = await cells();
      expect(wave1.length >= 8, 'table rows: ' + JSON.stringify(wave1));
      expect(wave1.some((r) => r.includes('wyższe')), 'education rows');
      // The case count of the wave is the generator's record count.
      expect((await info()).includes('= ' + WAVE_RECORDS[0]), 'N of wave 1: ' + await info());
      await page.screenshot({ path: path.join(shotDir, 'report_window_table.png'), fullPage: true });
    });

    await check('choosing the second wave recalculates the table', async () => {
      await navigate(() => page.selectOption('.layersregion select', '1'));
      const wave2 = await cells();
      expect(JSON.stringify(wave2) !== JSON.stringify(wave1), 'the numbers changed');
      expect((await info()).includes('= ' + WAVE_RECORDS[1]), 'N of wave 2: ' + await info());
      // Counts and column shares agree: each share is the count over the column's sum.
      const rows = wave2.filter((r) => r.length === 6 && /^\d+$/.test(r[0]) && /\d/.test(r[2]));
      expect(rows.length === 4, 'four education rows: ' + JSON.stringify(rows));
      const num = (s) => Number(s.replace(/\s/g, '').replace(',', '.'));
      for (const col of [2, 4]) {
        const sum = rows.reduce((a, r) => a + num(r[col]), 0);
        for (const r of rows) {
          const share = (100 * num(r[col])) / sum;
          expect(Math.abs(share - num(r[col + 1])) < 0.11, `share ${r[col + 1]} of ${r[col]} in ${sum}`);
        }
      }
    });

    await check('the chart pane shows an image that decodes', async () => {
      await navigate(() => page.click('.subitemregion input[value=">"]'));
      const img = page.locator('.repelemregion img');
      await img.waitFor();
      const size = await img.evaluate(async (e) => {
        if (!e.complete) await new Promise((r) => { e.onload = r; e.onerror = r; });
        return [e.naturalWidth, e.naturalHeight];
      });
      expect(size[0] === 686 && size[1] === 387, 'image size ' + size);
      const src = await img.getAttribute('src');
      expect(src.startsWith('/Files/Quin/TMPCharts/' + sid + '/Chart'), 'address ' + src);
      await page.screenshot({ path: path.join(shotDir, 'report_window_chart.png'), fullPage: true });
    });

    await check('print opens the report page in a new window', async () => {
      // The item of the report menu's drop-down, clicked as it shows on hover.
      await page.locator('td[onmouseover]', { hasText: 'Drukuj/kopiuj...' }).hover();
      const item = page.locator('td.topmenu:has-text("Drukuj/kopiuj...")').last();
      await item.waitFor({ state: 'visible' });
      const [popup] = await Promise.all([
        browser.waitForEvent('page'),
        navigate(() => item.click()),
      ]);
      await popup.waitForLoadState('load');
      expect(popup.url().endsWith('/FilesNC/Quin/TMPReports/' + sid + '/report.html'), popup.url());
      const natural = await popup.$eval('img', (e) => e.naturalWidth);
      expect(natural === 686, 'the chart in the print: ' + natural);
      expect((await popup.innerText('body')).includes('Uwagi'), 'comments');
      await popup.screenshot({ path: path.join(shotDir, 'report_window_print.png'), fullPage: true });
      await popup.close();
      expect(fs.existsSync(path.join(quin, 'TMPReports', sid, 'report.html')), 'print file');
    });

    await check('logout deletes the session\'s folders', async () => {
      expect(fs.existsSync(path.join(quin, 'TMPCharts', sid)), 'chart folder before');
      await navigate(() => page.click('text=Wyloguj'));
      expect(!fs.existsSync(path.join(quin, 'TMPCharts', sid)), 'chart folder after');
      expect(!fs.existsSync(path.join(quin, 'TMPReports', sid)), 'print folder after');
    });

    await check('the end of a session deletes its folders', async () => {
      clearInterval(keep);
      sid = server.sessions[1].slice(3, 35);
      await page.goto(server.base + server.sessions[1], { waitUntil: 'load' });
      await navigate(() => page.click('.subitemregion input[value=">"]'));
      expect(fs.existsSync(path.join(quin, 'TMPCharts', sid)), 'chart folder');
      await page.goto('about:blank');
      const end = Date.now() + 6 * TIMEOUT_MS;
      while (fs.existsSync(path.join(quin, 'TMPCharts', sid)) && Date.now() < end) await sleep(200);
      expect(!fs.existsSync(path.join(quin, 'TMPCharts', sid)), 'chart folder after the timeout');
    });
    expect(alerts.length === 0, 'alerts: ' + alerts.join(' | '));
  } finally {
    if (browser) await browser.close();
    if (server) {
      server.proc.kill('SIGTERM');
      await new Promise((r) => server.proc.on('exit', r));
    }
    fs.rmSync(app, { recursive: true, force: true });
    fs.rmSync(profile, { recursive: true, force: true });
  }
  const failed = results.filter((r) => !r[1]).length;
  console.log(`${results.length - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
