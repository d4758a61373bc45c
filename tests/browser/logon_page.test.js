// The logon page in a real browser: headless Chromium against a server on 127.0.0.1, or through
// nginx in front of it (the repository's sample configuration, with TLS on a loopback port).
// Usage: node logon_page.test.js SERVER_EXECUTABLE FILES_FOLDER SCREENSHOT_PNG
//          [NGINX_EXECUTABLE NGINX_SAMPLE_CONF]
'use strict';
const { execFileSync, spawn } = require('child_process');
const fs = require('fs');
const path = require('path');
const { check, expect, freePort, run, stop, until, waitForPort } = require('./harness');

const [serverExe, filesFolder, screenshot, nginxExe, nginxSample] = process.argv.slice(2);
// The session timeout of this server; the heartbeat is a third of it. Long enough that a page
// loading slowly on a busy machine does not outlive its session.
const TIMEOUT_MS = 10000;
// How long any one step (a start, a navigation, a click) may take before it counts as failed:
// generous, as the server runs under the sanitizers, maybe on a loaded machine.
const STEP_MS = 90000;

// nginx with the sample site on loopback ports, TLS with a certificate made here; the sample's
// addresses, ports and certificate paths are the only things changed.
async function startNginx(dir, serverPort) {
  const tlsPort = await freePort();
  const httpPort = await freePort();
  const cert = path.join(dir, 'cert.pem');
  const key = path.join(dir, 'key.pem');
  execFileSync('openssl', ['req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key,
    '-out', cert, '-days', '2', '-subj', '/CN=127.0.0.1'], { stdio: 'ignore' });
  let site = fs.readFileSync(nginxSample, 'utf8');
  const edits = [
    [/^\s*listen \[::\].*$/mg, ''],
    [/listen 80;/, `listen 127.0.0.1:${httpPort};`],
    [/listen 443 ssl/, `listen 127.0.0.1:${tlsPort} ssl`],
    [/server 127\.0\.0\.1:8888;/, `server 127.0.0.1:${serverPort};`],
    [/ssl_certificate\s+\S+;/, `ssl_certificate ${cert};`],
    [/ssl_certificate_key\s+\S+;/, `ssl_certificate_key ${key};`],
    [/access_log \S+ quinview;/, `access_log ${path.join(dir, 'access.log')} quinview;`],
  ];
  for (const [from, to] of edits) {
    if (!from.test(site)) throw new Error('the sample configuration has no ' + from);
    site = site.replace(from, to);
  }
  const conf = path.join(dir, 'nginx.conf');
  fs.writeFileSync(conf, `daemon off;
master_process off;
worker_processes 1;
pid ${dir}/nginx.pid;
error_log ${dir}/error.log;
events {}
http {
  access_log off;
  client_body_temp_path ${dir}/body;
  proxy_temp_path ${dir}/proxy;
  fastcgi_temp_path ${dir}/fastcgi;
  uwsgi_temp_path ${dir}/uwsgi;
  scgi_temp_path ${dir}/scgi;
${site}
}
`);
  const proc = spawn(nginxExe, ['-p', dir, '-c', conf, '-e', path.join(dir, 'error.log')],
    { stdio: ['ignore', 'inherit', 'inherit'] });
  await waitForPort(tlsPort, STEP_MS);
  return { proc, port: tlsPort };
}

const viaNginx = Boolean(nginxSample);
run(serverExe, filesFolder, async (browser, serverBase, server) => {
  let nginx;
  try {
    let base = serverBase;
    if (viaNginx) {
      nginx = await startNginx(server.app, server.port);
      base = 'https://127.0.0.1:' + nginx.port + '/';
    }
    const page = await browser.newPage();
    page.setDefaultTimeout(STEP_MS);
    page.setDefaultNavigationTimeout(STEP_MS);
    const alerts = [];
    page.on('dialog', async (d) => { alerts.push(d.message()); await d.dismiss(); });
    const submit = async (action) => {
      await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), action()]);
    };
    const body = () => page.evaluate(() => document.body.innerText);

    await check('logon page renders in Polish with the declared charset', async () => {
      const resp = await page.goto(base, { waitUntil: 'load' });
      const headers = resp.headers();
      expect(headers['content-type'] === 'text/html; charset=iso-8859-2',
        'content type ' + headers['content-type']);
      expect(headers['x-frame-options'] === 'DENY' && headers['referrer-policy'] === 'no-referrer' &&
        headers['x-content-type-options'] === 'nosniff' &&
        headers['content-security-policy'] === "frame-ancestors 'none'", 'security headers');
      expect(!viaNginx || headers['strict-transport-security'], 'nginx\'s headers');
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

    await check('the page icon is served', async () => {
      const icon = await page.request.get(base + 'favicon.ico');
      expect(icon.status() === 200 && icon.headers()['content-type'] === 'image/x-icon',
        'favicon ' + icon.status());
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
      expect(await until(() => alerts.includes('Invalid user name or password.'), STEP_MS),
        'alerts: ' + JSON.stringify(alerts));
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

    await check('the demonstration logon moves the session; its old address tells it ended',
      async () => {
        const before = page.url();
        alerts.length = 0;
        await submit(() => page.click('input.button[value=Demo]'));
        expect(page.url() !== before && page.url().startsWith(base + 's/'), 'url ' + page.url());
        expect(alerts.length === 0, 'alerts: ' + JSON.stringify(alerts));
        await page.goto(before, { waitUntil: 'load' });
        const text = await body();
        expect(text.includes('Your session has ended. Please log on again.'), text);
        expect(text.includes('If you are a registered user'), text);
      });

    if (viaNginx) {
      await check('nginx\'s access log shows no session identifier', async () => {
        const log = fs.readFileSync(path.join(server.app, 'access.log'), 'utf8');
        expect(log.includes('"GET /s/*/ HTTP/'), log);
        expect(!/[0-9a-f]{32}/.test(log), log);
      });
    }
  } finally {
    if (nginx) await stop(nginx.proc, 30000);
  }
}, {
  serverArgs: ['--session-timeout', String(TIMEOUT_MS)]
    .concat(viaNginx ? ['--trusted-proxy', '127.0.0.1'] : []),
  stepMs: STEP_MS,
  viewport: { width: 1100, height: 720 },
  chromiumArgs: ['--disable-quic'],
  ignoreHTTPSErrors: viaNginx,
});
