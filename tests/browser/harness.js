// What the browser tests share: a server on a free loopback port over a copy of the application
// folder in a temporary folder, headless Chromium with a fresh profile, waits for a port or a
// condition, and named checks that report as they go.
'use strict';
const { chromium } = require('playwright-core');
const { spawn } = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');

// Resolves with the match of pattern in the process's output and that output so far.
function waitForOutput(proc, pattern, ms) {
  return new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('server did not start: ' + out)), ms);
    const onData = (d) => {
      out += d.toString();
      const m = out.match(pattern);
      if (m) { clearTimeout(timer); resolve({ match: m, output: out }); }
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

// Resolves with a port nothing listens on at 127.0.0.1 now.
function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.on('error', reject);
    s.listen(0, '127.0.0.1', () => { const p = s.address().port; s.close(() => resolve(p)); });
  });
}

// Resolves once something accepts connections on 127.0.0.1:port (waiting at most ms).
function waitForPort(port, ms) {
  const end = Date.now() + ms;
  return new Promise((resolve, reject) => {
    const attempt = () => {
      const s = net.connect(port, '127.0.0.1');
      s.on('connect', () => { s.destroy(); resolve(); });
      s.on('error', () => {
        if (Date.now() > end) reject(new Error('nothing listens on ' + port));
        else setTimeout(attempt, 50);
      });
    };
    attempt();
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// Waits until cond() holds (at most ms); whether it did.
async function until(cond, ms) {
  const end = Date.now() + ms;
  while (!cond()) {
    if (Date.now() > end) return false;
    await sleep(50);
  }
  return true;
}

// Ends proc with SIGTERM and waits until it has ended (SIGKILL after ms).
function stop(proc, ms) {
  if (proc.exitCode !== null || proc.signalCode !== null) return Promise.resolve();
  return new Promise((resolve) => {
    const timer = setTimeout(() => proc.kill('SIGKILL'), ms);
    proc.on('exit', () => { clearTimeout(timer); resolve(); });
    proc.kill('SIGTERM');
  });
}

// Runs body(browser, base, server) against a server started from serverExe over a copy of
// filesFolder in a temporary application folder, then stops both, removes the temporary folders
// and exits with the checks' outcome. base is the server's address ("http://127.0.0.1:PORT/");
// server holds app (the application folder), port, proc and output (what the server wrote up to
// its start-up line). Options:
//   args(app)      the server's arguments (default: 127.0.0.1, a port the server chooses, app)
//   serverArgs     more arguments after those
//   prepare(app)   fills the application folder before the server starts
//   browserFirst   starts the browser before the server
//   stepMs         how long a start may take (default 90 s: the server runs under the sanitizers,
//                  maybe on a loaded machine)
//   viewport, chromiumArgs (added to the usual ones), ignoreHTTPSErrors
async function run(serverExe, filesFolder, body, options = {}) {
  const stepMs = options.stepMs || 90000;
  const app = fs.mkdtempSync(path.join(os.tmpdir(), 'quinbrowser-'));
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quinchromium-'));
  let server;
  let browser;
  const launch = () => chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync']
      .concat(options.chromiumArgs || []),
    viewport: options.viewport || { width: 1100, height: 760 },
    ignoreHTTPSErrors: Boolean(options.ignoreHTTPSErrors),
    timeout: stepMs,
  });
  try {
    fs.cpSync(filesFolder, path.join(app, 'Files'), { recursive: true });
    if (options.prepare) options.prepare(app);
    if (options.browserFirst) browser = await launch();
    // The server takes a free port itself and names it.
    const args = (options.args ? options.args(app)
      : ['--host', '127.0.0.1', '--port', '0', '--app-dir', app]).concat(options.serverArgs || []);
    const proc = spawn(serverExe, args, { stdio: ['ignore', 'pipe', 'pipe'] });
    server = { app, proc };
    const started = await waitForOutput(proc, /listening on http:\/\/127\.0\.0\.1:(\d+)\//, stepMs);
    server.port = Number(started.match[1]);
    server.output = started.output;
    if (!browser) browser = await launch();
    await body(browser, 'http://127.0.0.1:' + server.port + '/', server);
  } catch (e) {
    results.push(['run', false]);
    console.log('FAIL ' + (e && e.stack || e));
  } finally {
    if (browser) await browser.close();
    if (server) await stop(server.proc, 30000);
    fs.rmSync(app, { recursive: true, force: true });
    fs.rmSync(profile, { recursive: true, force: true });
  }
  const passed = results.filter((r) => r[1]).length;
  const failed = results.length - passed;
  console.log(passed + ' passed, ' + failed + ' failed');
  process.exit(failed === 0 && results.length > 0 ? 0 : 1);
}

module.exports = { check, expect, freePort, run, sleep, stop, until, waitForPort };
