// The inspector page in Debian's Chromium, headless, over the DevTools protocol:
// every example request's frame shows as `gpenc dump` shows it, hovering ties
// fields and bytes, bad input gets its message, and the page neither logs an
// error nor asks for anything but its own files.
// GPENC_TOOL: the gpenc tool (build/tools/gpenc/gpenc); GPENC_WEB: the built page's folder (build-web/web).
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert');
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const CDP = require('chrome-remote-interface');

const root = path.resolve(__dirname, '../..');
const tool = path.resolve(root, process.env.GPENC_TOOL || 'build/tools/gpenc/gpenc');
const web = path.resolve(root, process.env.GPENC_WEB || 'build-web/web');
const requests = path.join(root, 'examples/requests');
const gpenc = (...args) => execFileSync(tool, ['--code-page', 'GBK', ...args], { encoding: 'utf8' });
const frameOf = (name) => gpenc('encode', path.join(requests, name)).trim();

let chrome, client, profile;
const problems = [], requests_ = [];

before(async () => {
  profile = fs.mkdtempSync(path.join(os.tmpdir(), 'gpenc-web-'));
  chrome = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync', '--window-size=1400,1000',
    `--user-data-dir=${profile}`, '--remote-debugging-port=0', 'about:blank']);
  const port = await new Promise((resolve, reject) => {
    let said = '';
    chrome.stderr.on('data', (d) => { said += d; const m = /DevTools listening on ws:\/\/[^:]+:(\d+)/.exec(said); if (m) resolve(m[1]); });
    chrome.on('exit', (code) => reject(new Error(`chromium exited with ${code}: ${said}`)));
  });
  client = await CDP({ port });
  const { Runtime, Log, Network, Page } = client;
  Runtime.consoleAPICalled(({ type, args }) => { if (type !== 'log' && type !== 'info') problems.push(`console.${type}: ${args.map((a) => a.value ?? a.description).join(' ')}`); });
  Runtime.exceptionThrown(({ exceptionDetails: e }) => problems.push(`exception: ${e.exception?.description ?? e.text}`));
  Log.entryAdded(({ entry }) => { if (entry.level === 'error' || entry.level === 'warning') problems.push(`${entry.level}: ${entry.text}`); });
  Network.requestWillBeSent(({ request }) => { if (!request.url.startsWith('file://')) requests_.push(request.url); });
  await Promise.all([Runtime.enable(), Log.enable(), Network.enable(), Page.enable()]);
});

after(async () => {
  const exited = chrome.exitCode === null && new Promise((resolve) => chrome.on('exit', resolve));
  await client?.Browser.close();
  await exited;
  // Its helper processes may still be writing there a moment longer.
  fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10 });
});

// `fn` run in the page with `args`; its value.
async function run(fn, ...args) {
  const { result, exceptionDetails } = await client.Runtime.evaluate({
    expression: `(${fn})(...${JSON.stringify(args)})`, awaitPromise: true, returnByValue: true });
  if (exceptionDetails) throw new Error(exceptionDetails.exception?.description ?? exceptionDetails.text);
  return result.value;
}

// The page opened afresh, once the inspector is ready.
async function open(fragment = '') {
  for (const url of ['about:blank', `file://${web}/index.html${fragment}`]) {
    const loaded = client.Page.loadEventFired();
    await client.Page.navigate({ url });
    await loaded;
  }
  await run(() => new Promise((resolve) => { const wait = () => (ready ? resolve() : setTimeout(wait, 10)); wait(); }));
}

// Milliseconds from the paste to the view laid out.
const paste = (text) => run((text) => {
  const start = performance.now(), hex = document.getElementById('hex');
  hex.value = text;
  hex.dispatchEvent(new Event('input'));
  return document.body.offsetHeight && performance.now() - start;
}, text);

// Each frame's tree rows: their data and text.
const frames = () => run(() => [...document.querySelectorAll('.frame:not(.rest)')].map((f) => [...f.querySelectorAll('.field')].map(
  (r) => ({ ...r.dataset, at: r.querySelector('.at').textContent, line: r.querySelector('.line').textContent }))));
const dumpLines = (rows) => rows.map((r) => r.at.padStart(6) + '  ' + '    '.repeat(r.depth) + r.line);
const message = () => run(() => document.getElementById('message').textContent);

// The mouse over `selector` (the `index`-th match); the text of the status line.
async function hover(selector, index = 0) {
  const { x, y } = await run((s, i) => {
    const e = document.querySelectorAll(s)[i];
    e.scrollIntoView({ block: 'center' });
    const r = e.getBoundingClientRect();
    return { x: r.left + Math.min(r.width / 2, 20), y: r.top + r.height / 2 };
  }, selector, index);
  await client.Input.dispatchMouseEvent({ type: 'mouseMoved', x, y });
  return run(() => document.getElementById('status').textContent);
}
const litBytes = () => run(() => [...document.querySelectorAll('.byte.lit')].map((b) => +b.dataset.at));

// Every field of a `gpenc dump --json` line, by its path.
function* fieldsOf(json, at = '') {
  if (json === null || typeof json !== 'object') return;
  if (at && 'offset' in json) yield [at, json];
  for (const [key, value] of Object.entries(json)) yield* fieldsOf(value, at ? `${at}/${key}` : key);
}

// The frame bytes a field covers: tunnelled content counts from key 2's first byte,
// a message carried as hex text two bytes to one of its own.
function bytesOf(at, field, frame) {
  const scale = /^tunnel\/argument\/message/.test(at) ? 2 : /^tunnel\/argument\/(setting|items)/.test(at) ? 1 : 0;
  const start = scale ? frame.tunnel.argument.offset + scale * field.offset : field.offset;
  return Array.from({ length: (scale || 1) * field.size }, (_, i) => start + i);
}

test('every example request shows its fields as gpenc dump shows them, and hovering a field lights its bytes', async () => {
  await open();
  for (const name of fs.readdirSync(requests).filter((n) => n.endsWith('.json'))) {
    const hex = frameOf(name);
    await paste(hex);
    const [rows] = await frames();
    assert.deepStrictEqual(dumpLines(rows), gpenc('dump', hex).trimEnd().split('\n'), name);
    const byPath = new Map(rows.map((r, i) => [r.path, { ...r, index: i }]));
    const json = JSON.parse(gpenc('dump', '--json', hex));
    for (const [at, field] of fieldsOf(json)) {
      const row = byPath.get(at);
      const problem = 'what' in field;
      assert.deepStrictEqual([+row?.offset, +row?.size, row?.value && JSON.parse(row.value)],
        // A group's member "value" is a field of its own.
        [field.offset, field.size ?? 0, problem ? field : typeof field.value === 'object' ? undefined : field.value],
        `${name} ${at}`);
      if (problem || !field.size) continue;
      await hover('.field', row.index);
      assert.deepStrictEqual(await litBytes(), bytesOf(at, field, json), `${name} ${at}`);
    }
  }
});

test('hovering a byte names its field; a warning is marked on its byte', async () => {
  await open();
  const hex = frameOf('EquipSet.json');
  await paste(hex);
  const cases = [[0, 'Byte 0 (47): GP header > Magic'], [23, 'Byte 23 (33): GP body > Command'],
    [56, 'Byte 56 (38): JT/T 808 tunnel > 808 message id'],
    [69, 'Byte 69 (30): JT/T 808 tunnel > Argument > JT/T 808 message, 22 bytes (offsets +N from its first byte) > Message head > Message id']];
  for (const [at, status] of cases) assert.strictEqual(await hover('.byte', at), status);
  // Byte 74 is the "a" of "000a" in the 808 text: upper-case, it draws a warning there.
  await paste(hex.slice(0, 148) + '41' + hex.slice(150));
  assert.match(await hover('.byte', 74), /^Byte 74 \(41\): .*Body properties\. upper-case hex digit at offset 74/);
  assert.deepStrictEqual(await run(() => [...document.querySelectorAll('.warn')].map((b) => +b.dataset.at)), [74]);
});

test('pasted forms, several frames, a dropped file and a link all show the same frames', async () => {
  await open();
  const login = frameOf('UserLogin-operator.json'), equip = frameOf('EquipSet.json');
  const spaced = (hex) => hex.match(/../g).join(' ');
  const forms = [spaced(login), login.replace(/../g, '0x$&, '), login.replace(/../g, '\\x$&'),
    spaced(login).replace(/(.{48})/g, '$1\n'),
    `2025-01-02 08:00:00,123 INFO gpenc - sent ${spaced(login)} to 10.0.0.1:9000`,
    spaced(login).match(/.{1,48}/g).map((l, i) => `${(i * 16).toString(16).padStart(4, '0')}   ${l}   GP..`).join('\n')];
  const want = gpenc('dump', login).trimEnd().split('\n');
  for (const form of forms) {
    await paste(form);
    assert.deepStrictEqual(dumpLines((await frames())[0]), want, form);
  }
  await paste(`${login}\nsent ${spaced(equip)} (111 bytes)`);
  assert.deepStrictEqual((await frames()).map(dumpLines), gpenc('dump', login + equip).trimEnd().split('\n\n').map((f) => f.split('\n')));
  assert.strictEqual(await message(), '2 frames, 238 bytes.');
  assert.strictEqual(await run(() => location.hash), `#hex=${login}${equip}`);

  await run((hex) => {
    const data = new DataTransfer();
    data.items.add(new File([new Uint8Array(hex.match(/../g).map((b) => parseInt(b, 16)))], 'frame.bin'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true }));
  }, equip);
  await run(() => new Promise((resolve) => { const wait = () => (document.querySelector('.frame') ? resolve() : setTimeout(wait, 10)); wait(); }));
  assert.deepStrictEqual(dumpLines((await frames())[0]), gpenc('dump', equip).trimEnd().split('\n'));

  // A link opens the same view, here with its texts read as UTF-8, which they are not.
  await open(`#hex=${login}&cp=UTF-8`);
  assert.deepStrictEqual(dumpLines((await frames())[0]),
    execFileSync(tool, ['dump', login], { encoding: 'utf8' }).trimEnd().split('\n'));
});

test('bad input gets a message, not a blank page', async () => {
  await open();
  const equip = frameOf('EquipSet.json');
  const cases = [
    ['47 50 0', 'Odd number of hex digits (5): a byte lacks its second digit.'],
    [equip.slice(0, 80), 'The frame is cut short: frame truncated at offset 30: parameter record needs 19 bytes, 10 left'],
    [`12 34 ${equip.slice(4)}`, 'Not a GP frame: bad magic at offset 0: expected "GP" (47 50), found 12 34'],
    ['hello, world', 'No hex digits found: paste a frame as hex, such as 47 50 00 1a ...'],
    [equip + '4750', 'The frame is cut short: frame truncated at offset 113: body length needs 2 bytes, 0 left (after 1 frame)'],
  ];
  for (const [text, said] of cases) {
    await paste(text);
    assert.strictEqual(await message(), said, text);
    assert.strictEqual(await run(() => document.getElementById('message').className), 'error');
  }
});

test('the page renders a frame for the screenshot, logs no error and asks for nothing but its files', async (t) => {
  await open();
  const ic = frameOf('EquipSet_ICInfoSet-extension.json');
  const times = [];
  for (let i = 0; i < 5; ++i) times.push(await paste(ic));
  t.diagnostic(`paste to view, ${ic.length / 2}-byte frame: ${times.map((ms) => ms.toFixed(1)).join(', ')} ms`);
  await client.Emulation.setDeviceMetricsOverride({ width: 1300, height: 1250, deviceScaleFactor: 1, mobile: false });
  await open(`#hex=${frameOf('EquipSet.json')}`);
  await hover('[data-path="tunnel/argument/message/head/body_properties"]');
  const { data } = await client.Page.captureScreenshot({ format: 'png' });
  fs.writeFileSync(process.env.GPENC_SCREENSHOT || path.join(root, 'build-web/web-page.png'), Buffer.from(data, 'base64'));
  assert.deepStrictEqual(await litBytes(), [71, 72, 73, 74]);
  assert.deepStrictEqual(problems, []);
  assert.deepStrictEqual(requests_, []);
});
