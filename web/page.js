// The page around the inspector (gpenc-inspect.js: gpenc::inspect built to
// WebAssembly). It reads pasted hex or a dropped file and shows each frame as a
// map of its bytes, coloured by field, beside the field tree `gpenc dump` prints.
'use strict';

var MAX_FRAMES = 100;     // frames shown in full; the rest are counted
var MAP_BYTES = 4096;     // bytes of one frame in its map
var MAX_BYTES = 16 << 20; // the most input read at all, as `gpenc dump` reads one frame
var COLOURS = 6;

var ready = false;

function $(id) { return document.getElementById(id); }

// Found by the Emscripten runtime, which starts once its script has loaded.
var Module = {
  onRuntimeInitialized: function () {
    ready = true;
    say('');
    fromLink();
  },
  onLoadFailed: function (error) { say('The inspector could not start: ' + error, 'error'); }
};

function el(tag, className, text) {
  var e = document.createElement(tag);
  if (className) e.className = className;
  if (text !== undefined) e.textContent = text;
  return e;
}

function say(text, kind) {
  $('message').textContent = text;
  $('message').className = kind || '';
  $('message').hidden = !text;
}

function hex2(byte) { return (byte < 16 ? '0' : '') + byte.toString(16); }

// The hex digits of a paste. Blanks, commas, quotes, brackets, "0x" and "\x"
// go. A line that holds other words too (a log line) gives its longest run of
// hex tokens, when that run is at least 8 bytes; a hex dump line drops its
// offset column.
function hexDigits(text) {
  var digits = '';
  text.replace(/\\x/gi, ' ').split(/\r?\n/).forEach(function (line) {
    var tokens = line.split(/[\s,]+/).filter(Boolean).map(function (token) {
      return token.replace(/^[[{"']+|[\]}"';]+$/g, '').replace(/^0x/i, '');
    });
    var best = [], run = [];
    tokens.concat(['']).forEach(function (token) {
      if (/^[0-9a-f]+$/i.test(token)) return run.push(token);
      if (run.join('').length > best.join('').length) best = run;
      run = [];
    });
    var offsetColumn = best.length > 1 && /^[0-9a-f]{4,8}$/i.test(best[0]) && best[1].length === 2;
    if (offsetColumn) best = best.slice(1);
    if (offsetColumn || best.length === tokens.length || best.join('').length >= 16) digits += best.join('');
  });
  return digits;
}

function show() {
  if (!ready) return;
  $('frames').textContent = '';
  $('link').hidden = true;
  var digits = hexDigits($('hex').value);
  if (!digits) {
    return say($('hex').value.trim() ? 'No hex digits found: paste a frame as hex, such as 47 50 00 1a ...' : '',
               'error');
  }
  if (digits.length % 2) {
    return say('Odd number of hex digits (' + digits.length + '): a byte lacks its second digit.', 'error');
  }
  if (digits.length / 2 > MAX_BYTES) {
    return say('Too much input: ' + digits.length / 2 + ' bytes, the page reads at most ' + MAX_BYTES + '.', 'error');
  }
  var bytes = new Uint8Array(digits.length / 2);
  for (var i = 0; i < bytes.length; ++i) bytes[i] = parseInt(digits.substr(2 * i, 2), 16);
  linkTo(digits);
  inspect(bytes);
}

// The view in the address: a colleague who opens it sees the same frames.
function linkTo(digits) {
  var codePage = $('code-page').value;
  var fragment = '#hex=' + digits + (codePage === 'GBK' ? '' : '&cp=' + codePage);
  if (fragment.length > 1 << 20) return;  // longer than an address may be
  history.replaceState(null, '', fragment);
  $('link').href = fragment;
  $('link').hidden = false;
}

function fromLink() {
  var params = new URLSearchParams(location.hash.slice(1));
  $('code-page').value = params.get('cp') || 'GBK';
  if (!$('code-page').value) $('code-page').value = 'GBK';
  if (params.has('hex')) $('hex').value = params.get('hex');
  show();
}

var WHAT = {
  'bad magic': 'Not a GP frame',
  'bad body length': 'Not a GP frame',
  'frame truncated': 'The frame is cut short'
};

function inspect(bytes) {
  var at = Module._malloc(Math.max(bytes.length, 1));
  Module.HEAPU8.set(bytes, at);
  var json = Module.ccall('gpenc_web_inspect', 'string', ['number', 'number', 'string', 'number'],
                          [at, bytes.length, $('code-page').value, MAX_FRAMES]);
  Module._free(at);
  var result = JSON.parse(json);
  result.frames.forEach(function (frame) { $('frames').appendChild(frameView(frame, bytes)); });
  var frames = result.count + (result.count === 1 ? ' frame' : ' frames');
  var shown = result.count > MAX_FRAMES ? ' (the first ' + MAX_FRAMES + ' shown)' : '';
  if (!result.error) return say(frames + ', ' + bytes.length + ' bytes' + shown + '.');
  var error = result.error;
  say((WHAT[error.what] || 'The frame cannot be read') + ': ' + error.message +
      (result.count ? ' (after ' + frames + shown + ')' : ''), 'error');
  if (result.count <= MAX_FRAMES) $('frames').appendChild(restView(result.rest, error, bytes));
}

// The bytes that were not read as a frame, the failing one marked.
function restView(start, error, bytes) {
  var end = Math.min(bytes.length, start + MAP_BYTES);
  var section = el('section', 'frame rest');
  section.appendChild(el('h2', '', 'Bytes ' + start + ' to ' + (bytes.length - 1) + ', not read as a frame'));
  var map = byteMap(bytes, start, end, bytes.length, function () { return 0; });
  var bad = map.cells[Math.min(error.offset, bytes.length - 1) - start];
  if (bad) {
    bad.classList.add('warn');
    bad.title = error.message;
  }
  section.appendChild(map.element);
  return section;
}

// Rows of 16 bytes from `start` to `end`, each coloured as `colourOf(offset)`
// says; the bytes up to `stop` that do not fit are counted.
function byteMap(bytes, start, end, stop, colourOf) {
  var element = el('div', 'map'), cells = [];
  for (var first = start; first < end; first += 16) {
    var row = element.appendChild(el('div', 'row')), last = Math.min(first + 16, end);
    row.appendChild(el('span', 'address', String(first).padStart(6)));
    var line = row.appendChild(el('span', 'bytes'));
    for (var at = first; at < last; ++at) {
      var cell = line.appendChild(el('span', 'byte c' + colourOf(at), hex2(bytes[at])));
      cell.dataset.at = at;
      cells.push(cell);
    }
    row.appendChild(el('span', 'ascii', Array.from(bytes.subarray(first, last), function (b) {
      return b >= 32 && b < 127 ? String.fromCharCode(b) : '.';
    }).join('')));
  }
  if (end < stop) element.appendChild(el('div', 'more', '... and ' + (stop - end) + ' more bytes'));
  return { element: element, cells: cells };
}

// A tree line as `gpenc dump` prints it, without the offset column.
function lineOf(node) {
  return node.label + (node.shown ? ': ' + node.shown : '') + (node.meaning ? ' (' + node.meaning + ')' : '') +
         (node.hex ? '  [' + node.hex + ']' : '');
}

function frameView(root, bytes) {
  var nodes = [];
  (function walk(node, depth, parent) {
    node.depth = depth;
    node.parent = parent;
    nodes.push(node);
    (node.children || []).forEach(function (child) { walk(child, depth + 1, node); });
  })(root, 0, null);

  // Each byte belongs to the innermost field that covers it: the last one in tree order.
  var owner = [];
  nodes.forEach(function (node) {
    if (node.problem || node.start === undefined) return;
    for (var at = node.start; at < node.end; ++at) owner[at - root.start] = node;
  });
  var colours = 0;
  var end = Math.min(root.end, root.start + MAP_BYTES);
  var map = byteMap(bytes, root.start, end, root.end, function (at) {
    var node = owner[at - root.start];
    if (node.colour === undefined) node.colour = colours++ % COLOURS;
    return node.colour;
  });
  var cells = map.cells;
  function mark(node, on) {
    var last = node.problem ? node.start + 1 : node.end;
    for (var at = node.start; at < last && at < end; ++at) cells[at - root.start].classList.toggle('lit', on);
  }

  var tree = el('div', 'tree');
  nodes.forEach(function (node) {
    var row = tree.appendChild(el('div', node.problem ? 'field problem' : 'field'));
    row.appendChild(el('span', 'at', node.at || ''));
    row.appendChild(el('span', 'line', lineOf(node))).style.paddingLeft = 2 * node.depth + 'ch';
    row.dataset.path = node.path;
    row.dataset.depth = node.depth;
    if (node.value !== undefined) row.dataset.value = JSON.stringify(node.value);
    if (node.start === undefined) return;
    row.dataset.offset = node.offset;
    row.dataset.size = node.size;
    row.addEventListener('mouseenter', function () { mark(node, true); });
    row.addEventListener('mouseleave', function () { mark(node, false); });
    node.row = row;
    if (node.problem && cells[node.start - root.start]) {
      var cell = cells[node.start - root.start];
      cell.classList.add('warn');
      cell.title = (cell.title ? cell.title + '\n' : '') + node.shown;
    }
  });

  var lit = null;
  map.element.addEventListener('mouseover', function (event) {
    if (lit) lit.classList.remove('lit');
    var at = event.target.dataset.at;
    if (at === undefined) return;
    var node = owner[at - root.start], names = [];
    for (var n = node; n && n !== root; n = n.parent) names.unshift(n.label);
    lit = node.row;
    lit.classList.add('lit');
    var cell = event.target;
    $('status').textContent = 'Byte ' + at + ' (' + cell.textContent + '): ' + (names.join(' > ') || root.label) +
                              (cell.title ? '. ' + cell.title : '');
  });

  var section = el('section', 'frame');
  var view = section.appendChild(el('div', 'view'));
  view.appendChild(map.element);
  view.appendChild(tree);
  return section;
}

function readFile(file) {
  if (file.size > MAX_BYTES) return say('Too much input: ' + file.name + ' has ' + file.size + ' bytes.', 'error');
  file.arrayBuffer().then(function (buffer) {
    var bytes = new Uint8Array(buffer);
    // A file of text (hex, a log) reads as if pasted; any other as the bytes themselves.
    var text = bytes.every(function (b) { return b === 9 || b === 10 || b === 13 || (b >= 32 && b < 127); });
    $('hex').value = text ? new TextDecoder().decode(bytes) : Array.from(bytes, hex2).join(' ');
    show();
  });
}

$('hex').addEventListener('input', show);
$('code-page').addEventListener('change', show);
$('file').addEventListener('change', function () { if (this.files.length) readFile(this.files[0]); });
document.addEventListener('dragover', function (event) { event.preventDefault(); });
document.addEventListener('drop', function (event) {
  event.preventDefault();
  if (event.dataTransfer.files.length) readFile(event.dataTransfer.files[0]);
});
window.addEventListener('hashchange', fromLink);
