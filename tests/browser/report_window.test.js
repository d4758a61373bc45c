// The report window in a real browser: headless Chromium against quin-report-session, whose
// sessions show a saved cross-tabulation of the demonstration survey (education by sex, the
// waves as the layer, a chart below the table). A layer change recalculates the table; the
// chart pane shows an image that decodes; printing opens the report page in a new window;
// logout and the end of a session delete the session's folders.
// Usage: node report_window.test.js SESSION_EXECUTABLE FILES_FOLDER REPORT_ZOR SCREENSHOT_DIR
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const { check, expect, run, sleep } = require('./harness');

const [sessionExe, filesFolder, reportFile, shotDir] = process.argv.slice(2);
const TIMEOUT_MS = 15000;  // the session timeout (generous for slow machines); the heartbeat is a third of it
// The records of each wave in the demonstration survey's generator (data/demo/params.txt).
const WAVE_RECORDS = ['2 480', '2 520'];

const reports = (app) => path.join(app, 'Files/Quin/Surveys/Guest/media2024.reports');
run(sessionExe, filesFolder, async (browser, base, server) => {
  const quin = path.join(server.app, 'Files/Quin');
  // The sessions' paths below base ("s/.../"), named before the start-up line.
  const sessions = [...server.output.matchAll(/^session \/s\/([0-9a-f]{32})\//mg)]
    .map((x) => 's/' + x[1] + '/');
  let keep;
  try {
    const page = await browser.newPage();
    page.setDefaultTimeout(90000);
    expect(sessions.length === 2, 'two sessions: ' + sessions);
    // The second session is kept alive until the browser turns to it.
    keep = setInterval(() => {
      http.get(base + sessions[1], (r) => r.resume()).on('error', () => {});
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
    let sid = sessions[0].slice(2, 34);

    let wave1;
    await check('the saved report shows its table for the first wave', async () => {
      await page.goto(base + sessions[0], { waitUntil: 'load' });
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
      // A name of the image's own: neither the session nor the chart's number shows.
      expect(/^\/Files\/Quin\/TMPCharts\/[0-9a-f]{32}\.jpg$/.test(src) && !src.includes(sid),
        'address ' + src);
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
      // The print window's address hands over no session.
      expect(/\/FilesNC\/Quin\/TMPReports\/[0-9a-f]{32}\.html$/.test(popup.url()) &&
        !popup.url().includes(sid), popup.url());
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
      sid = sessions[1].slice(2, 34);
      await page.goto(base + sessions[1], { waitUntil: 'load' });
      await navigate(() => page.click('.subitemregion input[value=">"]'));
      expect(fs.existsSync(path.join(quin, 'TMPCharts', sid)), 'chart folder');
      await page.goto('about:blank');
      const end = Date.now() + 6 * TIMEOUT_MS;
      while (fs.existsSync(path.join(quin, 'TMPCharts', sid)) && Date.now() < end) await sleep(200);
      expect(!fs.existsSync(path.join(quin, 'TMPCharts', sid)), 'chart folder after the timeout');
    });
    expect(alerts.length === 0, 'alerts: ' + alerts.join(' | '));
  } finally {
    clearInterval(keep);
  }
}, {
  args: (app) => ['--app-dir', app, '--report', path.basename(reportFile), '--sessions', '2',
    '--session-timeout', String(TIMEOUT_MS)],
  prepare: (app) => {
    fs.mkdirSync(reports(app), { recursive: true });
    fs.copyFileSync(reportFile, path.join(reports(app), path.basename(reportFile)));
    fs.mkdirSync(shotDir, { recursive: true });
  },
  // The browser first: the sessions wait for it no longer than their timeout.
  browserFirst: true,
  stepMs: 60000,
  viewport: { width: 1100, height: 800 },
});
