// What the browser tests share: a server on a free loopback port over a copy of the application
// folder, headless Chromium with a fresh profile, and named checks that report as they go.
'use strict';
const { chromium } = require('playwright-core');
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

// Resolves with the match of pattern in the process's output.
function waitForOutput(proc, pattern, ms) {
  return new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('server did not start: ' + out)), ms);
    const onData = (d) => {
      out += d.toString();
      const m = out.match(pattern);
      if (m) { clearTimeout(timer); resolve(m); }
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

// Runs body(browser, base) against a server started from serverExe over a copy of filesFolder,
// then stops both and exits with the checks' outcome.
async function run(serverExe, filesFolder, body) {
  const app = fs.mkdtempSync(path.join(os.tmpdir(), 'quinbrowser-'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quinchromium-'));
  fs.cpSync(filesFolder, path.join(app, 'Files'), { recursive: true });
  // The server takes a free port itself and names it.
  const server = spawn(serverExe, ['--host', '127.0.0.1', '--port', '0', '--app-dir', app],
    { stdio: ['ignore', 'pipe', 'pipe'] });
  let browser;
  try {
    const port = (await waitForOutput(server, /listening on http:\/\/127\.0\.0\.1:(\d+)\//, 90000))[1];
    browser = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
      viewport: { width: 1100, height: 760 },
      timeout: 90000,
    });
    await body(browser, 'http://127.0.0.1:' + port + '/');
  } catch (e) {
    results.push(['run', false]);
    console.log('FAIL ' + (e && e.stack || e));
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

module.exports = { check, expect, run };
