// The inspector page in Debian's Chromium, headless, over the DevTools protocol:
// every example request's frame shows as `gpenc dump` shows it, hovering ties
// fields and bytes, bad input gets its message, and the page neither logs an
// error nor asks for anything but its own files.
// GPENC_TOOL: the gpenc tool (build/tools/gpenc/gpenc); GPENC_WEB: the page's folder (build-web/web).
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert');
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs'), os = require('node:os'), path = require('node:path');
const CDP = require('chrome-remote-interface');

const root = path.resolve(__dirname, '../..');
const tool = path.resolve(root, process.env.GPENC_TOOL || 'build/tools/gpenc/gpenc');
const web = path.resolve(root, process.env.GPENC_WEB || 'build-web/web');
const requests = path.join(root, 'examples/requests');
const gpenc = (args, codePage = 'GBK') => execFileSync(tool, ['--code-page', codePage, ...args], { encoding: 'utf8' });
const frameOf = (name) => gpenc(['encode', path.join(requests, name)]).trim();
const dumpOf = (hex, codePage) => gpenc(['dump', hex], codePage).trimEnd().split('\n');

let chrome, client, profile;
const problems = [], asked = [];

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
  Runtime.consoleAPICalled(({ type, args }) => type === 'log' || problems.push(`console.${type}: ${args.map((a) => a.value ?? a.description)}`));
  Runtime.exceptionThrown(({ exceptionDetails: e }) => problems.push(`exception: ${e.exception?.description ?? e.text}`));
  Log.entryAdded(({ entry }) => ['error', 'warning'].includes(entry.level) && problems.push(`${entry.level}: ${entry.text}`));
  Network.requestWillBeSent(({ request }) => request.url.startsWith('file://') || asked.push(request.url));
  await Promise.all([Runtime.enable(), Log.enable(), Network.enable(), Page.enable()]);
});

after(async () => {
  const exited = chrome?.exitCode === null && new Promise((resolve) => chrome.on('exit', resolve));
  await client?.Browser.close();
  await exited;
  fs.rmSync(profile, { recursive: true, force: true, maxRetries: 10 });  // its helpers may write a moment longer
});

// `fn` (a function or its source) run in the page with `args`; its value.
async function run(fn, ...args) {
  const { result, exceptionDetails: e } = await client.Runtime.evaluate({
    expression: `(${fn})(...${JSON.stringify(args)})`, awaitPromise: true, returnByValue: true });
  if (e) throw new Error(e.exception?.description ?? e.text);
  return result.value;
}
const until = (condition) => run(`() => new Promise((resolve) => { const wait = () => (${condition} ? resolve() : setTimeout(wait, 10)); wait(); })`);

// The page opened afresh, once the inspector is ready.
async function open(fragment = '') {
  for (const url of ['about:blank', `file://${web}/index.html${fragment}`]) {
    const loaded = client.Page.loadEventFired();
    await client.Page.navigate({ url });
    await loaded;
  }
  await until('ready');
}

// Milliseconds from the paste to the view laid out.
const paste = (text) => run((text) => {
  const start = performance.now(), hex = document.getElementById('hex');
  hex.value = text;
  hex.dispatchEvent(new Event('input'));
  return document.body.offsetHeight && performance.now() - start;
}, text);

// Each frame's tree rows, with their data; as the lines of `gpenc dump`.
const frames = () => run(() => [...document.querySelectorAll('.frame:not(.rest)')].map((f) => [...f.querySelectorAll('.field')].map(
  (r) => ({ ...r.dataset, at: r.querySelector('.at').textContent, line: r.querySelector('.line').textContent }))));
const linesOf = (rows) => rows.map((r) => r.at.padStart(6) + '  ' + '    '.repeat(r.depth) + r.line);
const message = () => run(() => [document.getElementById('message').className, document.getElementById('message').textContent]);

// The mouse over the `index`-th match of `selector`; the status line then.
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
const marked = (what) => run((what) => [...document.querySelectorAll(`.byte.${what}`)].map((b) => +b.dataset.at), what);

// Every field of a `gpenc dump --json` line, by its path.
function* fieldsOf(json, at = '') {
  if (json === null || typeof json !== 'object') return;
  if (at && 'offset' in json) yield [at, json];
  for (const [key, value] of Object.entries(json)) yield* fieldsOf(value, at ? `${at}/${key}` : key);
}

// The bytes a field covers: tunnelled content counts from key 2's first byte,
// a message carried as hex text two bytes to one of its own.
function bytesOf(at, field, frame) {
  const scale = /^tunnel\/argument\/message/.test(at) ? 2 : /^tunnel\/argument\/(setting|items)/.test(at) ? 1 : 0;
  const start = scale ? frame.tunnel.argument.offset + scale * field.offset : field.offset;
  return Array.from({ length: (scale || 1) * field.size }, (_, i) => start + i);
}

// The page shows `hex` (named `name`) as gpenc dump does, and hovering each field lights its bytes.
async function showsAsDump(name, hex) {
  await paste(hex);
  const [rows] = await frames();
  assert.deepStrictEqual(linesOf(rows), dumpOf(hex), name);
  const byPath = new Map(rows.map((r, i) => [r.path, { ...r, index: i }]));
  const json = JSON.parse(gpenc(['dump', '--json', hex]));
  for (const [at, field] of fieldsOf(json)) {
    const row = byPath.get(at), problem = 'what' in field;
    assert.deepStrictEqual([+row?.offset, +row?.size, row?.value && JSON.parse(row.value)], [field.offset, field.size ?? 0,
      problem ? field : typeof field.value === 'object' ? undefined : field.value], `${name} ${at}`);  // a group's "value" is a field
    if (problem || !field.size) continue;
    await hover('.field', row.index);
    assert.deepStrictEqual(await marked('lit'), bytesOf(at, field, json), `${name} ${at}`);
  }
}

test('every example request shows its fields as gpenc dump shows them, and hovering a field lights its bytes', async () => {
  await open();
  for (const name of fs.readdirSync(requests).filter((n) => n.endsWith('.json'))) await showsAsDump(name, frameOf(name));
});

// Structured parameter values, their fields nested deepest of all: SmallChi/JT1078's published 0x8103
// (JT808_0x8103CustomId.cs) under the 2013 head, and the active-safety DSM and blind spot parameters
// (SmallChi/JTActiveSafety's JT808_0x8103_0xF365_Test.cs, _0xF367_Test.cs) under the 2019 head, tunnelled.
const kStructured = [
  ['1078 parameters', '4750001a0001000000000000000000000000000000000033000001750000000000130000013030303132333435363738390000000b0001013831303300000157000201383130333030396330303031323334353637383930303061303730303030303037353135303330353030303430373030303030303036303830613030303930633030303030303062303030323031303030303030373631623032303130333033303230303031303730363034303530623061303830393066306530633064313331323130313131373136313431353030303030303737326230323031303330353030303430373030303030303036303830613030303930633030303030303062303030323031303330353030303430373030303030303036303830613030303930633030303030303062303030323030303030303739303330333032303130303030303037613034303030303030303130303030303037623032303130323030303030303763313430313033303230613030323330303132303034353030333430303637303035363030383930303738'],
  ['active-safety parameters', '4750001a0001000000000000000000000000000000000033000000bf0000000000130000013030303132333435363738390000000b00010138313033000000a100020138313033343033633031303030303030303030303031323334353637383930303031303230303030663336353266303532643033303030323030303132323233316432363030303030303034303030303030306130303365303032653031303230333339343133373338333134303266333033333432336333643332333433353366336133623336303530363030303066333637303230323031'],
];

test('structured parameter values show field by field as gpenc dump shows them', async () => {
  await open();
  for (const [name, hex] of kStructured) await showsAsDump(name, hex);
});

test('hovering a byte names its field; a warning is marked on its byte', async () => {
  await open();
  const hex = frameOf('EquipSet.json');
  await paste(hex);
  for (const [at, status] of [[0, 'Byte 0 (47): GP header > Magic'], [23, 'Byte 23 (33): GP body > Command'],
    [56, 'Byte 56 (38): JT/T 808 tunnel > 808 message id'], [69, 'Byte 69 (30): JT/T 808 tunnel > Argument > ' +
      'JT/T 808 message, 22 bytes (offsets +N from its first byte) > Message head > Message id']]) {
    assert.strictEqual(await hover('.byte', at), status);
  }
  await paste(hex.slice(0, 148) + '41' + hex.slice(150));  // the "a" of "000a" in the 808 text, upper-case
  assert.match(await hover('.byte', 74), /^Byte 74 \(41\): .*Body properties\. upper-case hex digit at offset 74/);
  assert.deepStrictEqual(await marked('warn'), [74]);
});

test('pasted forms, several frames, a dropped file and a link all show the same frames', async () => {
  await open();
  const login = frameOf('UserLogin-operator.json'), equip = frameOf('EquipSet.json');
  const spaced = (hex) => hex.match(/../g).join(' ');
  for (const form of [spaced(login), login.replace(/../g, '0x$&, '), login.replace(/../g, '\\x$&'),
    spaced(login).replace(/(.{48})/g, '$1\n'), `2025-01-02 08:00:00,123 INFO gpenc - sent ${spaced(login)} to 10.0.0.1:9000`,
    spaced(login).match(/.{1,48}/g).map((l, i) => `${(i * 16).toString(16).padStart(4, '0')}   ${l}   GP..`).join('\n')]) {
    await paste(form);
    assert.deepStrictEqual(linesOf((await frames())[0]), dumpOf(login), form);
  }
  await paste(`${login}\nsent ${spaced(equip)} (111 bytes)`);
  assert.deepStrictEqual((await frames()).map(linesOf), gpenc(['dump', login + equip]).trimEnd().split('\n\n').map((f) => f.split('\n')));
  assert.deepStrictEqual(await message(), ['', '2 frames, 238 bytes.']);
  assert.strictEqual(await run(() => location.hash), `#hex=${login}${equip}`);

  await run((hex) => {
    const data = new DataTransfer();
    data.items.add(new File([new Uint8Array(hex.match(/../g).map((b) => parseInt(b, 16)))], 'frame.bin'));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true }));
  }, equip);
  await until("document.querySelector('.frame')");
  assert.deepStrictEqual(linesOf((await frames())[0]), dumpOf(equip));

  await open(`#hex=${login}&cp=UTF-8`);  // its texts read as UTF-8, which they are not
  assert.deepStrictEqual(linesOf((await frames())[0]), dumpOf(login, 'UTF-8'));
});

test('bad input gets a message, not a blank page', async () => {
  await open();
  const equip = frameOf('EquipSet.json');
  for (const [text, said] of [
    ['47 50 0', 'Odd number of hex digits (5): a byte lacks its second digit.'],
    [equip.slice(0, 80), 'The frame is cut short: frame truncated at offset 30: parameter record needs 19 bytes, 10 left'],
    [`12 34 ${equip.slice(4)}`, 'Not a GP frame: bad magic at offset 0: expected "GP" (47 50), found 12 34'],
    ['hello, world', 'No hex digits found: paste a frame as hex, such as 47 50 00 1a ...'],
    [equip + '4750', 'The frame is cut short: frame truncated at offset 113: body length needs 2 bytes, 0 left (after 1 frame)'],
  ]) {
    await paste(text);
    assert.deepStrictEqual(await message(), ['error', said], text);
  }
});

test('the page renders a frame for the screenshot, logs no error and asks for nothing but its files', async (t) => {
  await open();
  const ic = frameOf('EquipSet_ICInfoSet-extension.json'), times = [];
  for (let i = 0; i < 5; ++i) times.push((await paste(ic)).toFixed(1));
  t.diagnostic(`paste to view, ${ic.length / 2}-byte frame: ${times.join(', ')} ms`);
  await client.Emulation.setDeviceMetricsOverride({ width: 1300, height: 1250, deviceScaleFactor: 1, mobile: false });
  await open(`#hex=${frameOf('EquipSet.json')}`);
  await hover('[data-path="tunnel/argument/message/head/body_properties"]');
  const { data } = await client.Page.captureScreenshot({ format: 'png' });
  fs.writeFileSync(process.env.GPENC_SCREENSHOT || path.join(root, 'build-web/web-page.png'), Buffer.from(data, 'base64'));
  assert.deepStrictEqual(await marked('lit'), [71, 72, 73, 74]);
  assert.deepStrictEqual([problems, asked], [[], []]);
});
