-- Wireshark dissector for GP frames and the JT/T 808 messages they tunnel in
-- command 0x33. Load it with gpenc_tables.lua beside it (the names and types,
-- written at build time from the frame inspector's tables).
--
-- It decodes as the inspector does (`gpenc dump`), field for field and problem
-- for problem, so that the two can be checked against each other.

local gpenc = Proto("gpenc", "GP frame (vehicle-monitoring platform)")

-- ------------------------------------------------------------------ tables

local function script_dir()
  local source = debug.getinfo(1, "S").source
  return source:match("^@(.*[/\\])") or ""
end

local tables_found, T = pcall(dofile, script_dir() .. "gpenc_tables.lua")
if not tables_found then
  local personal = Dir and Dir.personal_plugins_path and Dir.personal_plugins_path() or ""
  tables_found, T = pcall(dofile, personal .. "/gpenc_tables.lua")
end
if not tables_found then
  T = { commands = {}, messages = {}, kinds = {}, param_types = {}, params = {}, params_2019 = {},
    unknown_param = "unknown parameter", layouts = {}, extension_params = {} }
end

-- The parameter table of the message's edition of JT/T 808 (2013 or 2019).
local function lookup_param(id, edition)
  for _, row in ipairs(edition == 2019 and T.params_2019 or T.params) do
    if row[1] <= id and id <= row[2] then return row[3], row[4], row[5] or 0 end
  end
  return 0, T.unknown_param, 0
end

-- An id the tables do not know may be the active-safety extension's, in the
-- one length of its layout.
local function lookup_extension(id, len)
  local x = T.extension_params[id]
  if x and x[3] == len then return x[1], x[2], x[3], x[4] end
  return 0, T.unknown_param, 0
end

-- ------------------------------------------------------------------ fields
-- One row per field: key, filter name, label, type, base, value names, mask.

local U8, U16, U32, I32 = ftypes.UINT8, ftypes.UINT16, ftypes.UINT32, ftypes.INT32
local STR, BYTES, NONE, DBL, BOOL = ftypes.STRING, ftypes.BYTES, ftypes.NONE, ftypes.DOUBLE, ftypes.BOOLEAN
local DEC, HEX = base.DEC, base.HEX

local field_rows = {
  { "header", "gpenc.header", "GP header", NONE },
  { "magic", "gpenc.magic", "Magic", STR },
  { "body_length", "gpenc.body_length", "Body length", U16, DEC },
  { "body", "gpenc.body", "GP body", NONE },
  { "version", "gpenc.version", "Protocol version", U16, DEC },
  { "session_id", "gpenc.session_id", "Session id", BYTES },
  { "command", "gpenc.command", "Command", U16, HEX, T.commands },
  { "parameter_length", "gpenc.parameter_length", "Parameter length", I32, DEC },
  { "reserved", "gpenc.reserved", "Reserved word", U16, DEC },
  { "param", "gpenc.param", "Parameter", NONE },
  { "param_length", "gpenc.param.length", "Record length", U32, DEC },
  { "param_key", "gpenc.param.key", "Key", U16, DEC },
  { "param_kind", "gpenc.param.kind", "Value kind", U8, DEC, T.kinds },
  { "param_text", "gpenc.param.text", "Value", STR },
  { "param_int32", "gpenc.param.int32", "Value", I32, DEC },
  { "param_byte", "gpenc.param.byte", "Value", U8, DEC },
  { "param_six", "gpenc.param.six", "Value", BYTES },
  { "tunnel", "gpenc.tunnel", "JT/T 808 tunnel", NONE },
  { "terminal", "gpenc.tunnel.terminal", "Terminal number", STR },
  { "message_id", "gpenc.tunnel.message_id", "808 message id", U16, HEX, T.messages },
  { "message_id_text", "gpenc.tunnel.message_id_text", "808 message id", STR },
  { "argument", "gpenc.tunnel.argument", "Argument", STR },
  -- The tunnelled 808 message; offsets count from its first byte.
  { "m808", "gpenc.808", "JT/T 808 message", NONE },
  { "m808_id", "gpenc.808.message_id", "Message id", U16, HEX, T.messages },
  { "m808_props", "gpenc.808.body_properties", "Body properties", U16, HEX },
  { "m808_body_length", "gpenc.808.body_length", "Body length", U16, DEC, nil, 0x03ff },
  { "m808_encryption", "gpenc.808.encryption", "Encryption", U16, DEC, nil, 0x1c00 },
  { "m808_subpackage", "gpenc.808.subpackage", "Sub-package", U16, DEC, nil, 0x2000 },
  { "m808_reserved", "gpenc.808.reserved", "Reserved", U16, DEC, nil, 0xc000 },
  -- The 2019 head: bit 14 is its version flag, bit 15 alone is reserved.
  { "m808_version_flag", "gpenc.808.version_flag", "Version flag", U16, DEC, { [1] = "2019 head" }, 0x4000 },
  { "m808_reserved_2019", "gpenc.808.reserved", "Reserved", U16, DEC, nil, 0x8000 },
  { "m808_version", "gpenc.808.protocol_version", "Protocol version", U8, DEC },
  { "m808_phone", "gpenc.808.phone", "Phone number", STR },
  { "m808_serial", "gpenc.808.serial", "Serial number", U16, DEC },
  { "m808_body", "gpenc.808.body", "Body", BYTES },
  { "p_count", "gpenc.808.param.count", "Parameter count", U8, DEC },
  { "p_entry", "gpenc.808.param", "Parameter entry", NONE },
  { "p_id", "gpenc.808.param.id", "Id", U32, HEX },
  { "p_name", "gpenc.808.param.name", "Name", STR },
  { "p_type", "gpenc.808.param.type", "Type", STR },
  { "p_extension", "gpenc.808.param.extension", "Extension", STR },
  { "p_length", "gpenc.808.param.length", "Length", U8, DEC },
  { "p_text", "gpenc.808.param.text", "Value", STR },
  { "p_number", "gpenc.808.param.number", "Value", U32, DEC },
  { "p_bytes", "gpenc.808.param.bytes", "Value", BYTES },
  { "ic_type", "gpenc.808.ic.type", "Data type", U8, HEX },
  { "ic_zero", "gpenc.808.ic.zero", "Zero word", U16, HEX },
  { "ic_data_length", "gpenc.808.ic.data_length", "Data length", U16, DEC },
  { "ic_text_1", "gpenc.808.ic.text_1", "Card text 1", STR },
  { "ic_text_2", "gpenc.808.ic.text_2", "Card text 2", STR },
  { "ic_text_3", "gpenc.808.ic.text_3", "Card text 3", STR },
  { "ic_text_4", "gpenc.808.ic.text_4", "Card text 4", STR },
  { "ic_fill", "gpenc.808.ic.fill", "Filler bytes", U32, DEC },
  { "ic_date", "gpenc.808.ic.date", "Card date", STR },
  { "ic_date_valid", "gpenc.808.ic.date_valid", "Valid date", BOOL },
  { "ic_check_1", "gpenc.808.ic.check_1", "Check byte 1", U8, HEX },
  { "ic_check_2", "gpenc.808.ic.check_2", "Check byte 2", U8, HEX },
  { "ic_check_3", "gpenc.808.ic.check_3", "Check byte 3", U8, HEX },
  { "ic_check_first", "gpenc.808.ic.check.first", "First byte", U32, DEC },
  { "ic_check_last", "gpenc.808.ic.check.last", "Last byte", U32, DEC },
  { "ic_check_computed", "gpenc.808.ic.check.computed", "Computed", U8, HEX },
  { "ic_check_matches", "gpenc.808.ic.check.matches", "Matches", BOOL },
  { "ic_mark_1", "gpenc.808.ic.mark_1", "Mark", U8, HEX },
  { "ic_mark_2", "gpenc.808.ic.mark_2", "Mark", U8, HEX },
  { "ic_ext_1", "gpenc.808.ic.ext_1", "Extension byte 1", U8, HEX },
  { "ic_ext_2", "gpenc.808.ic.ext_2", "Extension byte 2", U8, HEX },
  { "ic_ext_text", "gpenc.808.ic.ext_text", "Extension text", STR },
  { "ic_ext_text_length", "gpenc.808.ic.ext_text_length", "Length byte", U8, DEC },
  { "ic_zero_fill", "gpenc.808.ic.zero_fill", "Zero fill", U32, DEC },
  { "ic_not_zero", "gpenc.808.ic.zero_fill.not_zero", "Bytes not zero", U32, DEC },
  -- The circular-area setting text of 0x8600; items are characters of key 2.
  { "area_set_attribute", "gpenc.area.set_attribute", "Setting attribute", U8, DEC,
    { [0] = "update areas", [1] = "append areas", [2] = "modify areas" } },
  { "area_count", "gpenc.area.count", "Area count", U8, DEC },
  { "area", "gpenc.area", "Area", NONE },
  { "area_id", "gpenc.area.id", "Area id", U32, DEC },
  { "area_attributes", "gpenc.area.attributes", "Area attributes", U16, DEC },
  { "area_latitude", "gpenc.area.latitude", "Centre latitude", DBL },
  { "area_longitude", "gpenc.area.longitude", "Centre longitude", DBL },
  { "area_radius", "gpenc.area.radius", "Radius (m)", U32, DEC },
  { "area_start", "gpenc.area.start", "Start time", STR },
  { "area_end", "gpenc.area.end", "End time", STR },
  { "area_top_speed", "gpenc.area.top_speed", "Top speed (km/h)", U16, DEC },
  { "area_over_speed", "gpenc.area.over_speed_duration", "Over-speed duration (s)", U8, DEC },
  -- The argument texts of the simple requests.
  { "request_meaning", "gpenc.request.meaning", "Meaning", STR },
  { "request_item", "gpenc.request.item", "Item", STR },
  { "request_name", "gpenc.request.name", "Name", STR },
  { "skipped", "gpenc.skipped", "Bytes before the next frame", BYTES },
}

local F = {}
for _, row in ipairs(field_rows) do
  F[row[1]] = ProtoField.new(row[3], row[2], row[4], row[6], row[5], row[7])
  gpenc.fields[#gpenc.fields + 1] = F[row[1]]
end

-- The fields of structured parameter values, one per key of the layouts
-- (an entry's under its list's key): gpenc.808.param.field.KEY.
local function capitalised(text) return (text:gsub("^%l", string.upper)) end
local layout_types = { [0] = { U32, DEC }, [1] = { U32, HEX }, [2] = { STR }, [3] = { BYTES }, [4] = { STR } }
local LF = {}
local function layout_fields(fields, prefix)
  for _, f in ipairs(fields or {}) do
    local abbrev = "gpenc.808.param.field." .. prefix .. f[1]
    if not LF[abbrev] then
      local t = layout_types[f[4]]
      LF[abbrev] = ProtoField.new(capitalised(f[2]), abbrev, t[1], nil, t[2])
      gpenc.fields[#gpenc.fields + 1] = LF[abbrev]
    end
  end
end
for _, l in pairs(T.layouts) do
  layout_fields(l.head, "")
  layout_fields(l.entry, (l.entry_key or "") .. ".")
end

local ef_error = ProtoExpert.new("gpenc.error", "GP decoding error", expert.group.MALFORMED, expert.severity.ERROR)
local ef_warning = ProtoExpert.new("gpenc.warning", "GP warning", expert.group.PROTOCOL, expert.severity.WARN)
local ef_tables = ProtoExpert.new("gpenc.no_tables", "gpenc_tables.lua not found beside gpenc.lua: names not shown",
  expert.group.UNDECODED, expert.severity.NOTE)
gpenc.experts = { ef_error, ef_warning, ef_tables }

gpenc.prefs.port = Pref.uint("TCP port", 7808,
  "TCP port of the platform link (frames on other ports are found by content)")
-- The client's texts are in its code page: GBK (936) on Chinese Windows, which
-- GB18030 reads too.
local kUtf8, kGb18030 = 1, 2
gpenc.prefs.text_encoding = Pref.enum("Text encoding", kUtf8,
  "Code page of the client's texts (GB18030 also reads GBK, code page 936)",
  { { 1, "UTF-8", kUtf8 }, { 2, "GB18030", kGb18030 } }, false)

-- ------------------------------------------------------------------ helpers

local fmt = string.format
local kHead = 30  -- header and body: the frame's fixed part

local function xor(a, b)
  local r, bitv = 0, 1
  for _ = 1, 8 do
    if a % 2 ~= b % 2 then r = r + bitv end
    a, b, bitv = math.floor(a / 2), math.floor(b / 2), bitv * 2
  end
  return r
end

-- Printable ASCII as it is, backslash doubled, every other byte as \xNN.
local function printable(s)
  return (s:gsub("[\0-\31\\\127-\255]", function(c) return c == "\\" and "\\\\" or fmt("\\x%02x", c:byte()) end))
end

-- Whether `s` is whole UTF-8 text (RFC 3629: no overlong forms, no surrogates,
-- nothing above U+10FFFF).
local function utf8_text(s)
  local i = 1
  while i <= #s do
    local c, len, lo, hi = s:byte(i), 0, 0x80, 0xbf
    if c < 0x80 then len = 1
    elseif c >= 0xc2 and c <= 0xdf then len = 2
    elseif c >= 0xe0 and c <= 0xef then len = 3
    elseif c >= 0xf0 and c <= 0xf4 then len = 4
    end
    if len == 0 then return false end
    if c == 0xe0 then lo = 0xa0 elseif c == 0xed then hi = 0x9f elseif c == 0xf0 then lo = 0x90
    elseif c == 0xf4 then hi = 0x8f end
    for k = 1, len - 1 do
      local b = s:byte(i + k)
      if not b or b < (k == 1 and lo or 0x80) or b > (k == 1 and hi or 0xbf) then return false end
    end
    i = i + len
  end
  return true
end

-- Whether `s` is whole GB18030 text as the C library reads it: single bytes
-- below 0x80, byte pairs 81-fe 40-7e/80-fe, and four-byte codes 81-fe 30-39
-- 81-fe 30-39 in the ranges that stand for characters.
local function gb18030_text(s)
  local i = 1
  while i <= #s do
    local a, b = s:byte(i), s:byte(i + 1) or 0
    if a < 0x80 then
      i = i + 1
    elseif a == 0x80 or a == 0xff then
      return false
    elseif (b >= 0x40 and b <= 0x7e) or (b >= 0x80 and b <= 0xfe) then
      i = i + 2
    else
      local c, d = s:byte(i + 2) or 0, s:byte(i + 3) or 0
      if b < 0x30 or b > 0x39 or c < 0x81 or c > 0xfe or d < 0x30 or d > 0x39 then return false end
      local v = (((a - 0x81) * 10 + b - 0x30) * 126 + c - 0x81) * 10 + d - 0x30
      if not (v <= 39419 or (v >= 189000 and v <= 1237575)) or (v >= 19057 and v <= 19064)
          or (v >= 39076 and v <= 39085) then
        return false
      end
      i = i + 4
    end
  end
  return true
end

local function text_encoding()
  if gpenc.prefs.text_encoding == kGb18030 then return ENC_GB18030, "GB18030", gb18030_text end
  return ENC_UTF_8, "UTF-8", utf8_text
end

-- Adds the client's text `raw` at `range` as `field`. A text with bytes outside
-- ASCII is shown as Wireshark decodes it in the chosen encoding when all of it
-- decodes and it holds no control character, else escaped (as the inspector
-- does). `text_range`: the text's own bytes when `range` spans filler too.
-- Returns the item, the text shown, and a warning detail when it does not decode.
local function add_text(tree, field, range, raw, text_range)
  if not raw:find("[\128-\255]") then
    local shown = printable(raw)
    return tree:add(field, range, shown), shown
  end
  local enc, name, decodes = text_encoding()
  if not decodes(raw) then
    local shown = printable(raw)
    return tree:add(field, range, shown), shown, fmt("%d bytes that are not %s text, shown as \\xNN", #raw, name)
  end
  if raw:find("[\0-\31\127]") then
    local shown = printable(raw)
    return tree:add(field, range, shown), shown
  end
  local item = tree:add_packet_field(field, text_range or range, enc)
  if text_range then item:set_len(range:len()) end
  return item, item.text:match("^.-: (.*)$") or ""
end

-- A shown text in quotes, cut after 64 bytes at a character's start.
local function quoted(text)
  if #text <= 64 then return "\"" .. text .. "\"" end
  local cut = 64
  while cut > 0 and text:byte(cut + 1) >= 0x80 and text:byte(cut + 1) < 0xc0 do cut = cut - 1 end
  return "\"" .. text:sub(1, cut) .. "...\""
end

local function hex_bytes(s, first, last)
  local out = {}
  for i = first, last do out[#out + 1] = fmt("%02x", s:byte(i)) end
  return table.concat(out, " ")
end

local function problem(offset, what, detail) return { offset = offset, what = what, detail = detail } end
local function describe(p) return fmt("%s at offset %d: %s", p.what, p.offset, p.detail) end

-- A bounds-checked big-endian cursor over the string `s` (1-based), whose
-- first byte stands at `origin`; the first failed read sticks, as in the
-- inspector.
local Reader = {}
Reader.__index = Reader

local function reader(s, first, size, origin, truncated)
  return setmetatable({ s = s, pos = first, last = first + size - 1, origin = origin - first, truncated = truncated },
    Reader)
end
function Reader:offset() return self.pos + self.origin end
function Reader:left() return self.last - self.pos + 1 end
function Reader:need(n, what)
  if self.err then return false end
  if n <= self:left() then return true end
  self.err = problem(self:offset(), self.truncated, fmt("%s needs %d bytes, %d left", what, n, self:left()))
  return false
end
function Reader:uint(width, what)
  if not self:need(width, what) then return nil end
  local v = 0
  for i = 0, width - 1 do v = v * 256 + self.s:byte(self.pos + i) end
  local at = self:offset()
  self.pos = self.pos + width
  return v, at
end
function Reader:raw(n, what)
  if not self:need(n, what) then return nil end
  local at = self:offset()
  local v = self.s:sub(self.pos, self.pos + n - 1)
  self.pos = self.pos + n
  return v, at
end

-- ------------------------------------------------------------------ JT/T 808

local function bcd(b)
  local hi, lo = math.floor(b / 16), b % 16
  if hi > 9 or lo > 9 then return nil end
  return hi * 10 + lo
end

-- The value `raw` of parameter `id`, whose item is `item` at `value_at`, field
-- by field when the tables give it a layout that its length fits; a value of
-- entries must hold its counts and as many entries as they give.
local function dissect_layout(id, raw, item, value_at, length_at, at, warn)
  local l = T.layouts[id]
  if not l then return end
  local function width(fields)
    local n = 0
    for _, f in ipairs(fields or {}) do n = n + f[3] end
    return n
  end
  local head, entries = width(l.head), 0
  if l.counts > 0 then
    if #raw < head then
      warn(length_at, "bad parameter length", fmt("the %s counts take %d bytes, found %d", l.entry_name, head, #raw))
      return
    end
    for i = 1, l.counts do entries = entries + raw:byte(i) end
    local w = width(l.entry)
    if #raw ~= head + entries * w then
      warn(length_at, "bad parameter length", fmt("the counts give %d %s%s of %d bytes, %d bytes with the counts; found %d",
        entries, l.entry_name, entries == 1 and "" or "s", w, head + entries * w, #raw))
      return
    end
  end
  local pos = 0
  -- Adds field `f` at `pos` to `tree`, labelled as the inspector shows it.
  local function add(tree, f, prefix)
    local b, r = raw:sub(pos + 1, pos + f[3]), at(value_at + pos, f[3])
    local field, show, names = LF["gpenc.808.param.field." .. prefix .. f[1]], f[4], f[5]
    local v = 0
    for k = 1, #b do v = v * 256 + b:byte(k) end
    local shown, meaning, it = tostring(v), nil, nil
    if show == 0 then
      meaning = names[v]
      it = tree:add(field, r, v)
    elseif show == 1 then
      shown = fmt("0x%0" .. (2 * f[3]) .. "x", v)
      if next(names) then
        local set = {}
        for bit = 0, 8 * f[3] - 1 do
          if math.floor(v / 2 ^ bit) % 2 == 1 then set[#set + 1] = names[bit] or fmt("bit %d", bit) end
        end
        meaning = v == 0 and "none" or table.concat(set, ", ")
      end
      it = tree:add(field, r, v)
    elseif show == 2 then
      shown = fmt("%02x:%02x", b:byte(1), b:byte(2))
      if not (bcd(b:byte(1)) and bcd(b:byte(2))) then meaning = "not BCD" end
      it = tree:add(field, r, shown)
    elseif show == 3 then
      shown = hex_bytes(b, 1, #b)
      it = tree:add(field, r)
    else
      shown = "\"" .. printable(b) .. "\""
      it = tree:add(field, r, printable(b))
    end
    it:set_text(fmt("%s: %s%s", capitalised(f[2]), shown, meaning and fmt(" (%s)", meaning) or ""))
    pos = pos + f[3]
  end
  for _, f in ipairs(l.head) do add(item, f, "") end
  if entries == 0 then return end
  local list = item:add(at(value_at + head, #raw - head), capitalised(l.entry_name) .. "s")
  local w = width(l.entry)
  for n = 1, entries do
    local g = list:add(at(value_at + pos, w), fmt("%s %d", capitalised(l.entry_name), n))
    for _, f in ipairs(l.entry) do add(g, f, l.entry_key .. ".") end
  end
end

-- Decodes the 808 message `s` into `tree` over `tvb`; problems go to `warnings`
-- and the error (if any) is returned, offsets counted in the message.
local function dissect_808(s, tvb, tree, warnings)
  local function warn(offset, what, detail) warnings[#warnings + 1] = problem(offset, what, detail) end
  local function at(o, n) return tvb:range(o, n) end
  local m = tree:add(F.m808, tvb:range(0, #s))
  m:append_text(fmt(", %d bytes", #s))
  local r = reader(s, 1, #s, 0, "808 message truncated")
  local id = r:uint(2, "message id")
  local head = { id = id }
  local word = id and r:uint(2, "body properties")
  -- The version flag (bit 14) marks the 2019 head: a version byte, 20 digits.
  local v2019 = word and math.floor(word / 0x4000) % 2 == 1
  local version = v2019 and r:uint(1, "protocol version")
  local phone_at = r:offset()
  local phone = word and r:raw(v2019 and 10 or 6, "phone number")
  local serial = phone and r:uint(2, "serial number")
  local hs = serial and v2019 and 17 or 12
  local h = m:add(tvb:range(0, math.min(hs, #s)), hs == 17 and "Message head, 2019 edition" or "Message head")
  if id then h:add(F.m808_id, at(0, 2), id) end
  -- The rest of the head counts only once all of it is there.
  if not serial then return r.err, head end
  local p = h:add(F.m808_props, at(2, 2), word)
  p:add(F.m808_body_length, at(2, 2))
  p:add(F.m808_encryption, at(2, 2))
  p:add(F.m808_subpackage, at(2, 2))
  local other = word - word % 0x400
  if v2019 then
    p:add(F.m808_version_flag, at(2, 2))
    p:add(F.m808_reserved_2019, at(2, 2))
    other = other - 0x4000
  else
    p:add(F.m808_reserved, at(2, 2))
  end
  if other > 0 then
    warn(2, "unexpected body property bits",
      fmt("expected encryption, sub-package and reserved bits 0, found %04x", other))
  end
  if v2019 then h:add(F.m808_version, at(4, 1), version) end
  local digits = {}
  for i = 1, #phone do
    local b = phone:byte(i)
    digits[#digits + 1] = fmt("%x%x", math.floor(b / 16), b % 16)
    if not bcd(b) then
      warn(phone_at + i - 1, "phone number not BCD", fmt("expected two decimal digits, found %02x", b))
    end
  end
  head.phone, head.phone_at = table.concat(digits), phone_at
  h:add(F.m808_phone, at(phone_at, #phone), head.phone)
  h:add(F.m808_serial, at(phone_at + #phone, 2), serial)

  local body_length = word % 0x400
  local body = r:raw(body_length, "body")
  if not body then return r.err, head end
  if r:left() > 0 then
    warn(r:offset(), "bytes after the body",
      fmt("the body length is %d, %d bytes follow the body", body_length, r:left()))
  end
  local b = reader(s, hs + 1, body_length, hs, "808 body too short")
  if id == 0x8103 then
    local bt = m:add(at(hs, body_length), "Body: terminal parameter setting")
    local count = b:uint(1, "parameter count")
    if not count then return b.err, head end
    bt:add(F.p_count, at(hs, 1), count)
    for i = 1, count do
      local entry_at = b:offset()
      local pid = b:uint(4, fmt("entry %d of %d: parameter id", i, count))
      local len = pid and b:uint(1, fmt("entry %d of %d: value length", i, count))
      local raw = len and b:raw(len, fmt("entry %d of %d: value", i, count))
      if not raw then return b.err, head end
      local ptype, name, size, extension = lookup_param(pid, v2019 and 2019 or 2013)
      if ptype == 0 then ptype, name, size, extension = lookup_extension(pid, len) end
      local type_name = T.param_types[ptype] or "no type"
      local e = bt:add(F.p_entry, at(entry_at, 5 + len))
      e:add(F.p_name, at(entry_at, 4), name):set_generated()
      e:add(F.p_type, at(entry_at, 4), type_name):set_generated()
      if extension then
        e:add(F.p_extension, at(entry_at, 4), extension):set_generated()
        name = fmt("%s (%s)", name, extension)
      end
      e:add(F.p_id, at(entry_at, 4), pid)
      e:add(F.p_length, at(entry_at + 4, 1), len)
      local value_at, width = entry_at + 5, ({ [2] = 2, [3] = 4, [9] = 1 })[ptype]
      -- A BYTE[n] of a fixed n is checked as the fixed-width types are.
      local sized = ptype == 8 and size > 0 and len ~= size
      if sized then width = size end
      local shown
      if ptype == 0 then
        warn(entry_at, "unknown parameter", fmt("0x%04x is not a terminal parameter id", pid))
      elseif ptype == 1 then
        if len == 0 then warn(entry_at + 4, "empty text", "a STRING parameter needs at least 1 byte") end
        local _, bad
        _, shown, bad = add_text(e, F.p_text, at(value_at, len), raw)
        if bad then warn(value_at, "undecodable text", bad) end
      elseif ptype == 8 and not sized then
        local it = e:add(F.p_bytes, at(value_at, len))
        dissect_layout(pid, raw, it, value_at, entry_at + 4, at, warn)
        shown = len > 0 and hex_bytes(raw, 1, math.min(len, 16)) or "(empty)"
      elseif len ~= width then
        warn(entry_at + 4, "bad parameter length",
          fmt("a %s parameter is %d bytes, found %d", sized and fmt("BYTE[%d]", size) or type_name, width, len))
      else
        local v = 0
        for k = 1, len do v = v * 256 + raw:byte(k) end
        dissect_layout(pid, raw, e:add(F.p_number, at(value_at, len), v), value_at, entry_at + 4, at, warn)
        shown = tostring(v)
      end
      if not shown then e:add(F.p_bytes, at(value_at, len)) end
      shown = shown or hex_bytes(raw, 1, math.min(len, 16))
      e:set_text(fmt("Parameter 0x%04x: %s, %s = %s", pid, name, type_name, shown))
    end
    bt:append_text(fmt(", %d %s", count, count == 1 and "entry" or "entries"))
    if b:left() > 0 then
      warn(b:offset(), "bytes after the last entry",
        fmt("the count gives %d entries, %d bytes follow them", count, b:left()))
    end
    return nil, head
  end
  if not (id == 0x8900 and body_length > 0 and body:byte(1) == 0xA0) then
    if body_length > 0 then m:add(F.m808_body, at(hs, body_length)) end
    return nil, head
  end

  -- IC-card information: fixed-width texts, a BCD date and XOR check bytes.
  local bt = m:add(at(hs, body_length), "Body: IC-card information")
  local parent = bt
  local function uint(field, width, what)
    local v, o = b:uint(width, what)
    if v then parent:add(field, at(o, width), v) end
    return v, o
  end
  local function check(field, first, what)
    local stored, o = b:uint(1, what)
    if not stored then return false end
    local computed = 0
    for i = first, o - 1 do computed = xor(computed, s:byte(i + 1)) end
    local c = parent:add(field, at(o, 1), stored)
    c:add(F.ic_check_first, at(o, 1), first):set_generated()
    c:add(F.ic_check_last, at(o, 1), o - 1):set_generated()
    c:add(F.ic_check_computed, at(o, 1), computed):set_generated()
    c:add(F.ic_check_matches, at(o, 1), computed == stored):set_generated()
    c:append_text(fmt(" (XOR of offsets %d to %d is 0x%02x, %s)", first, o - 1, computed,
      computed == stored and "matches" or "MISMATCH"))
    if computed ~= stored then
      warn(o, "check byte mismatch",
        fmt("the XOR of offsets %d to %d is %02x, found %02x", first, o - 1, computed, stored))
    end
    return true
  end
  local function card_text(field, width, what)
    local raw, o = b:raw(width, what)
    if not raw then return false end
    local start = 1
    while start <= #raw do
      local filler = true
      for i = start, #raw do
        if raw:byte(i) ~= ((i - start) % 3 == 0 and 72 or 0) then filler = false break end
      end
      if filler then break end
      start = start + 1
    end
    local t, _, bad = add_text(bt, field, at(o, width), raw:sub(1, start - 1), at(o, math.max(start - 1, 1)))
    if bad then warn(o, "undecodable text", bad) end
    t:add(F.ic_fill, at(o, width), #raw - start + 1):set_generated()
    return true
  end
  if not (uint(F.ic_type, 1, "data type") and uint(F.ic_zero, 2, "IC-card zero word")) then return b.err, head end
  local data_length, dl_at = uint(F.ic_data_length, 2, "IC-card data length")
  if not data_length then return b.err, head end
  local zero = s:byte(hs + 2) * 256 + s:byte(hs + 3)
  if zero ~= 0 then warn(hs + 1, "bad IC-card word", fmt("expected 0000, found %04x", zero)) end
  if data_length ~= 0x80 and data_length ~= 0x100 then
    warn(dl_at, "unknown IC-card layout", fmt("expected data length 0080 or 0100, found %04x", data_length))
    return nil, head
  end
  if data_length ~= b:left() then
    warn(dl_at, "IC-card data length disagrees",
      fmt("it gives %d bytes, the body holds %d after it", data_length, b:left()))
  end
  bt:set_text(fmt("Body: IC-card information, %s layout", data_length == 0x100 and "extension" or "standard"))
  local data_start = b:offset()
  if not (card_text(F.ic_text_1, 32, "card text 1") and card_text(F.ic_text_2, 18, "card text 2")) then
    return b.err, head
  end
  local date, date_at = b:raw(3, "card date")
  if not date then return b.err, head end
  local y, mo, d = bcd(date:byte(1)), nil, nil
  mo = y and bcd(date:byte(2))
  d = mo and bcd(date:byte(3))
  local days = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 }
  local valid = d ~= nil and mo >= 1 and mo <= 12 and d >= 1 and d <= days[mo] and (mo ~= 2 or d < 29 or y % 4 == 0)
  local dt = bt:add(F.ic_date, at(date_at, 3), fmt("%04d-%02d-%02d", 2000 + (y or 0), mo or 0, d or 0))
  dt:add(F.ic_date_valid, at(date_at, 3), valid):set_generated()
  if not valid then
    warn(date_at, "bad card date", fmt("expected BCD year, month and day, found %s", hex_bytes(date, 1, 3)))
  end
  if not (card_text(F.ic_text_3, 18, "card text 3") and card_text(F.ic_text_4, 56, "card text 4")
      and check(F.ic_check_1, data_start, "check byte 1")) then
    return b.err, head
  end
  if data_length ~= 0x100 then return nil, head end

  local marks_at = b:offset()
  parent = bt:add(at(marks_at, b:left()), "Extension")
  for _, f in ipairs({ { F.ic_mark_1, "extension mark", 0xA5 }, { F.ic_mark_2, "extension mark", 0x5A },
    { F.ic_ext_1, "extension byte 1" }, { F.ic_ext_2, "extension byte 2" } }) do
    local v, o = uint(f[1], 1, f[2])
    if not v then return b.err, head end
    if f[3] and v ~= f[3] then warn(o, "bad extension mark", fmt("expected %02x, found %02x", f[3], v)) end
  end
  if not check(F.ic_check_2, marks_at, "check byte 2") then return b.err, head end
  local texts_at = b:offset()
  for _ = 1, 3 do
    local len, o = b:uint(1, "extension text length")
    local raw = len and b:raw(len, "extension text")
    if not raw then return b.err, head end
    local t, _, bad = add_text(parent, F.ic_ext_text, at(o + 1, len), raw)
    if bad then warn(o + 1, "undecodable text", bad) end
    t:add(F.ic_ext_text_length, at(o, 1), len)
  end
  local tail = hs + 260  -- the last byte of the extension's data
  if b:offset() > tail then
    b.err = problem(texts_at, "IC-card extension texts overrun",
      fmt("the three texts with their lengths take %d bytes, %d fit before the check byte at %d",
        b:offset() - texts_at, tail - texts_at, tail))
    return b.err, head
  end
  local fill, fill_at = b:raw(tail - b:offset(), "zero fill")
  if not fill then return b.err, head end
  local not_zero = 0
  for i = 1, #fill do if fill:byte(i) ~= 0 then not_zero = not_zero + 1 end end
  local z = parent:add(F.ic_zero_fill, at(fill_at, #fill), #fill)
  z:add(F.ic_not_zero, at(fill_at, #fill), not_zero):set_generated()
  if not_zero > 0 then warn(fill_at, "fill not zero", fmt("%d of %d fill bytes are not zero", not_zero, #fill)) end
  if not check(F.ic_check_3, texts_at, "check byte 3") then return b.err, head end
  return nil, head
end

-- ------------------------------------------------------------ setting texts

local function split(text, origin, sep)
  local items, start = {}, 1
  while true do
    local stop = text:find(sep, start, true)
    local piece = text:sub(start, (stop or #text + 1) - 1)
    items[#items + 1] = { offset = origin + start - 1, value = piece }
    if not stop then return items end
    start = stop + 1
  end
end

local function all_digits(s) return #s > 0 and not s:find("[^0-9]") end

-- Reads the items of a text in order; the first problem sticks.
local function item_reader(items, stop, what)
  local r = { items = items, next = 1 }
  function r.more() return r.next <= #r.items end
  function r.fail(offset, detail) if not r.err then r.err = problem(offset, what, detail) end end
  function r.item(name)
    if r.err then return nil end
    if r.more() then r.next = r.next + 1 return r.items[r.next - 1] end
    r.fail(stop, "the text ends where " .. name .. " should follow")
  end
  function r.unsigned(name, max)
    local it = r.item(name)
    if not it then return nil end
    local v = all_digits(it.value) and #it.value <= 20 and tonumber(it.value)
    if not v or v > max then
      r.fail(it.offset,
        fmt("expected %s as an unsigned decimal up to %d, found \"%s\"", name, max, printable(it.value)))
      return nil
    end
    return v, it
  end
  return r
end

local function dissect_circular(text, tvb, arg_at, tree, warnings)
  local function at(it) return tvb:range(arg_at + it.offset, #it.value) end
  local g = tree:add(tvb:range(arg_at, #text), "Circular-area setting text")
  local parts = split(text, 0, ";")
  if #parts < 2 or #parts > 3 then
    return problem(#parts < 2 and #text or parts[4].offset - 1, "bad setting text",
      fmt("expected two or three parts separated by \";\", found %d", #parts))
  end
  local head = item_reader({ parts[1], parts[2] }, #text, "bad setting text")
  local attr, attr_item = head.unsigned("the setting attribute", 0xff)
  if attr then g:add(F.area_set_attribute, at(attr_item), attr) end
  local count, count_item = head.unsigned("the area count", 0xff)
  if not count then return head.err end
  g:add(F.area_count, at(count_item), count)
  local areas = 0
  if #parts == 3 then
    local r = item_reader(split(parts[3].value, parts[3].offset, ","), #text, "bad setting text")
    while r.more() and not r.err do
      areas = areas + 1
      local a = g:add(F.area, tvb:range(arg_at + r.items[r.next].offset, 0))
      local pre = fmt("area %d's ", areas)
      local function number(field, name, max)
        local v, it = r.unsigned(pre .. name, max)
        if v then a:add(field, at(it), v) end
        return v
      end
      local function decimal(field, name)
        local it = r.item(pre .. name)
        if not it then return nil end
        local s = it.value
        local sign = s:sub(1, 1) == "-" and 1 or 0
        local point = s:find(".", 1, true)
        local v = point and all_digits(s:sub(1 + sign, point - 1)) and #s - point == 6
            and all_digits(s:sub(point + 1)) and tonumber(s)
        if not v then
          r.fail(it.offset, fmt("expected %s as a decimal with six places, found \"%s\"", pre .. name, printable(s)))
          return nil
        end
        a:add(field, at(it), v)
        return v
      end
      local function time(field, name)
        local it = r.item(pre .. name)
        if not it then return nil end
        local s = it.value
        local ok = #s == 17
        local bytes = {}
        for i = 0, 5 do
          local pair = ok and s:sub(3 * i + 1, 3 * i + 2)
          ok = ok and (i == 5 or s:sub(3 * i + 3, 3 * i + 3) == "-") and pair:find("^%x%x$") ~= nil
          bytes[i + 1] = ok and tonumber(pair, 16)
        end
        if not ok then
          r.fail(it.offset,
            fmt("expected %s as six hex pairs joined by \"-\", found \"%s\"", pre .. name, printable(s)))
          return nil
        end
        for i = 1, 6 do
          if not bcd(bytes[i]) then
            warnings[#warnings + 1] = problem(it.offset + 3 * (i - 1), "time not BCD",
              fmt("%s: expected two decimal digits, found %02x", pre .. name, bytes[i]))
            break
          end
        end
        a:add(field, at(it), fmt("20%02x-%02x-%02x %02x:%02x:%02x", table.unpack(bytes)))
        return true
      end
      local id = number(F.area_id, "id", 0xffffffff)
      local attributes = id and number(F.area_attributes, "attributes", 0xffff)
      local ok = attributes and decimal(F.area_latitude, "latitude") and decimal(F.area_longitude, "longitude")
      local radius = ok and number(F.area_radius, "radius", 0xffffffff)
      if not radius then break end
      a:set_text(fmt("Area %d: id %d, radius %d m", areas, id, radius))
      if attributes % 2 == 1 and not (time(F.area_start, "start time") and time(F.area_end, "end time")) then break end
      if math.floor(attributes / 2) % 2 == 1 and not (number(F.area_top_speed, "top speed", 0xffff)
          and number(F.area_over_speed, "over-speed duration", 0xff)) then
        break
      end
    end
    if r.err then return r.err end
  end
  g:append_text(fmt(", %d %s", areas, areas == 1 and "area" or "areas"))
  if count ~= areas then
    warnings[#warnings + 1] = problem(count_item.offset, "area count disagrees",
      fmt("the count is %d, the text holds %d areas", count, areas))
  end
end

local control_words = {
  { "wireless upgrade", { "URL", "dial point name", "dial user name", "dial password", "address", "TCP port",
    "UDP port", "manufacturer id", "hardware version", "firmware version", "connect time limit" } },
  { "connect to a specified server", { "connection control", "authentication code", "dial point name",
    "dial user name", "dial password", "address", "TCP port", "UDP port", "connect time limit" } },
  { "terminal power off", {} },
  { "terminal reset", {} },
  { "restore factory settings", {} },
  { "turn off data communication", {} },
  { "turn off all wireless communication", {} },
}

local fixed_requests = {
  [0x8104] = { "0", "query all terminal parameters" },
  [0x8201] = { "0", "query the current position" },
  [0x8203] = { "1", "confirm the manual alarm" },
}

-- The meaning and named items of a request argument, and its problem.
local function explain_request(id, text)
  local bad = "bad request argument"
  local items = {}
  local function item(name, offset, value) items[#items + 1] = { name = name, offset = offset, value = value } end
  local fixed = fixed_requests[id]
  if fixed then
    if text ~= fixed[1] then
      return fixed[2], items, problem(0, bad, fmt("expected \"%s\", found \"%s\"", fixed[1], printable(text)))
    end
    item("argument", 0, text)
    return fixed[2], items
  end
  if id == 0x8202 then
    local r = item_reader(split(text, 0, ","), #text, bad)
    local values = {}
    for i, name in ipairs({ "the interval", "the validity" }) do
      local it = r.item(name)
      if it then
        if not it.value:find("^%-?%d+$") or tonumber(it.value) > 2147483647 or tonumber(it.value) < -2147483648 then
          r.fail(it.offset, fmt("expected %s as a 32-bit decimal, found \"%s\"", name, printable(it.value)))
        else
          values[i] = it
        end
      end
    end
    item("interval (s)", values[1] and values[1].offset or 0, values[1] and values[1].value or "")
    item("validity (s)", values[2] and values[2].offset or 0, values[2] and values[2].value or "")
    if not r.err and r.more() then r.fail(r.items[r.next].offset - 1, "expected two items, found more") end
    if r.err then return "", items, r.err end
    local interval = values[1].value
    return interval == "0" and "stop temporary tracking"
        or "report every " .. interval .. " s for " .. values[2].value .. " s", items
  end
  if id ~= 0x8105 then return "", items, problem(0, bad, fmt("message %04x has no request argument", id)) end
  local comma = text:find(",", 1, true) or #text + 1
  local word = text:sub(1, comma - 1)
  local cw = word:find("^[1-7]$") and control_words[tonumber(word)]
  if not cw then
    return "", items, problem(0, bad, "expected a control word from 1 to 7, found \"" .. printable(word) .. "\"")
  end
  local meaning, names = cw[1], cw[2]
  item("control word", 0, word)
  local has_args = comma <= #text
  if #names == 0 and has_args then
    return meaning, items, problem(comma - 1, bad, fmt("control word %s takes no arguments", word))
  end
  if #names == 0 then return meaning, items end
  if not has_args then
    return meaning, items, problem(#text, bad, fmt("control word %s needs its arguments after \",\"", word))
  end
  local args = split(text:sub(comma + 1), comma, ";")
  if word == "2" and #args == 1 and args[1].value == "1" then
    item(names[1], args[1].offset, args[1].value)
    return meaning .. " (back to the original platform)", items
  end
  if #args ~= #names then
    return meaning, items, problem(comma, bad, fmt("expected %d items joined by \";\", found %d", #names, #args))
  end
  for i, a in ipairs(args) do item(names[i], a.offset, a.value) end
  if word == "2" and args[1].value == "0" then meaning = meaning .. " (switch to the specified platform)" end
  return meaning, items
end

-- ------------------------------------------------------------------ GP frame

-- The phone number of `digits` (12, or 20 under the 2019 head) a terminal number stands for.
local function phone_of(terminal, digits)
  if #terminal >= digits then return terminal:sub(-digits) end
  return string.rep("0", digits - #terminal) .. terminal
end

-- The 808 tunnel of a command-0x33 frame (`params` as decoded), into `tree`.
local function dissect_tunnel(tvb, params, tree, warnings)
  local function warn(offset, what, detail) warnings[#warnings + 1] = problem(offset, what, detail) end
  local slots, names = {}, { "terminal number", "808 message id", "argument" }
  for _, p in ipairs(params) do
    if p.key > 2 or p.kind ~= 1 then
      warn(p.offset, "unexpected record",
        fmt("an 808 request carries texts under keys 0, 1 and 2, found key %d of kind %d", p.key, p.kind))
    else
      if slots[p.key] then warn(p.offset, "repeated key", fmt("key %d appears more than once", p.key)) end
      slots[p.key] = p
    end
  end
  for k = 0, 2 do
    if not slots[k] then warn(30, "missing key", fmt("key %d (%s) is missing", k, names[k + 1])) end
  end
  local t = tree:add(F.tunnel, tvb:range(30))
  local terminal, id_text, arg = slots[0], slots[1], slots[2]
  if terminal then add_text(t, F.terminal, tvb:range(terminal.value_at, #terminal.raw), terminal.raw) end
  local id
  if id_text then
    local s = id_text.raw
    if #s > 0 and #s <= 4 and s:sub(1, 1) ~= "0" and not s:find("[^0-9a-f]") then
      id = tonumber(s, 16)
      t:add(F.message_id, tvb:range(id_text.value_at, #s), id)
    else
      add_text(t, F.message_id_text, tvb:range(id_text.value_at, #s), s)
      warn(id_text.value_at, "bad message id",
        "expected lower-case hex without leading zeros, found \"" .. printable(s) .. "\"")
    end
  end
  if not arg then return end
  local text, arg_at = arg.raw, arg.value_at
  local a = add_text(t, F.argument, tvb:range(arg_at, #text), text)
  if not id then return end
  local function lift(list, err, scale, where)
    if err then list[#list + 1] = err end
    for _, p in ipairs(list) do
      warn(arg_at + scale * p.offset, p.what, p.detail .. fmt(" (%s offset %d)", where, p.offset))
    end
  end
  if id == 0x8103 or id == 0x8900 then
    local upper = false
    for i = 1, #text do
      local c = text:sub(i, i)
      if not c:find("%x") then
        warn(arg_at + i - 1, "bad key-2 hex text", "expected a hex digit, found \"" .. printable(c) .. "\"")
        return
      end
      if not upper and c:find("[A-F]") then
        upper = true
        warn(arg_at + i - 1, "upper-case hex digit", "808 messages travel as lower-case hex")
      end
    end
    if #text % 2 == 1 then
      warn(arg_at + #text - 1, "bad key-2 hex text", fmt("odd length %d: expected two hex digits per byte", #text))
      return
    end
    a:append_text(fmt(" (JT/T 808 message as hex text, %d characters)", #text))
    local message = text:gsub("%x%x", function(h) return string.char(tonumber(h, 16)) end)
    local found = {}
    local err, head
    if #message > 0 then
      err, head = dissect_808(message, ByteArray.new(text):tvb("JT/T 808 message"), a, found)
    else
      err, head = problem(0, "808 message truncated", "message id needs 2 bytes, 0 left"), {}
    end
    lift(found, err, 2, "808 message")
    if head.id and head.id ~= id then
      warn(arg_at, "message id disagrees", fmt("key 1 gives %04x, the 808 head %04x", id, head.id))
    end
    local phone = head.phone and terminal and phone_of(terminal.raw, #head.phone)
    if phone and head.phone ~= phone then
      warn(arg_at + 2 * head.phone_at, "phone number disagrees",
        fmt("the terminal number gives %s, the 808 head %s", phone, head.phone))
    end
  elseif id == 0x8600 then
    local found = {}
    local err = dissect_circular(text, tvb, arg_at, a, found)
    lift(found, err, 1, "key-2 text")
  elseif fixed_requests[id] or id == 0x8105 or id == 0x8202 then
    local meaning, items, err = explain_request(id, text)
    a:add(F.request_meaning, tvb:range(arg_at, #text), meaning):set_generated()
    for _, it in ipairs(items) do
      local n, shown = add_text(a, F.request_item, tvb:range(arg_at + it.offset, #it.value), it.value)
      n:set_text(it.name .. ": \"" .. shown .. "\"")
      n:add(F.request_name, tvb:range(arg_at + it.offset, #it.value), it.name):set_generated()
    end
    if meaning ~= "" then a:append_text(" (" .. meaning .. ")") end
    lift({}, err, 1, "key-2 text")
  else
    warn(id_text.value_at, "unknown 808 message id", fmt("%04x is no message this system tunnels", id))
  end
end

-- One whole frame in `tvb` (30 + parameter length bytes); returns its summary
-- for the Info column.
local function dissect_frame(tvb, tree)
  local s = tvb:raw()
  local warnings = {}
  if #s < kHead then
    tree:add(gpenc, tvb:range(0)):add_proto_expert_info(ef_error,
      describe(problem(#s, "frame truncated", fmt("the frame has %d bytes, its head and body need 30", #s))))
    return "(truncated)"
  end
  local command = s:byte(23) * 256 + s:byte(24)
  local name = T.commands[command]
  local root = tree:add(gpenc, tvb:range(0))
  root:append_text(fmt(", command 0x%04x%s", command, name and " (" .. name .. ")" or ""))
  local h = root:add(F.header, tvb:range(0, 4))
  h:add(F.magic, tvb:range(0, 2), printable(s:sub(1, 2)))
  h:add(F.body_length, tvb:range(2, 2))
  local b = root:add(F.body, tvb:range(4, 26))
  b:add(F.version, tvb:range(4, 2))
  b:add(F.session_id, tvb:range(6, 16))
  b:add(F.command, tvb:range(22, 2))
  b:add(F.parameter_length, tvb:range(24, 4))
  b:add(F.reserved, tvb:range(28, 2))

  local err
  if s:sub(1, 2) ~= "GP" then
    err = problem(0, "bad magic", "expected \"GP\" (47 50), found " .. hex_bytes(s, 1, 2))
  elseif s:byte(3) * 256 + s:byte(4) ~= 26 then
    err = problem(2, "bad body length", fmt("expected 26, found %d", s:byte(3) * 256 + s:byte(4)))
  end
  local params = {}
  local area = reader(s, 31, #s - 30, 30, "parameter length disagrees")
  while not err and area:left() > 0 do
    local p = { offset = area:offset() }
    local length = area:uint(4, "parameter record length")
    if length and length < 7 then
      area.err = problem(p.offset, "bad record length", fmt("a parameter record is at least 7 bytes, found %d", length))
    elseif length and length - 4 > area:left() then
      area.err = problem(p.offset, "parameter length disagrees",
        fmt("parameter record needs %d bytes, %d left", length, area:left() + 4))
    end
    p.key = not area.err and area:uint(2, "parameter key")
    p.kind = p.key and area:uint(1, "value kind")
    if p.kind then p.raw, p.value_at = area:raw(length - 7, "parameter value") end
    local width = p.kind and ({ [6] = 4, [9] = 1, [10] = 6 })[p.kind]
    if p.raw and p.kind ~= 1 and not width then
      area.err = problem(p.offset + 6, "unknown value kind", fmt("expected 1, 6, 9 or 10, found %d", p.kind))
    elseif p.raw and width and #p.raw ~= width then
      area.err = problem(p.offset, "bad record length", fmt("a record of kind %d (%s) is %d bytes, found %d",
        p.kind, T.kinds[p.kind] or "unknown", width + 7, length))
    end
    if area.err then
      err = area.err
      break
    end
    if p.kind == 1 and #p.raw == 0 then
      warnings[#warnings + 1] = problem(p.offset, "empty text", "a text record carries at least 1 byte")
    end
    params[#params + 1] = p
    local pt = root:add(F.param, tvb:range(p.offset, length))
    pt:add(F.param_length, tvb:range(p.offset, 4))
    pt:add(F.param_key, tvb:range(p.offset + 4, 2))
    pt:add(F.param_kind, tvb:range(p.offset + 6, 1))
    local value = tvb:range(p.value_at, #p.raw)
    local shown
    if p.kind == 1 then
      local _, text, bad = add_text(pt, F.param_text, value, p.raw)
      if bad then warnings[#warnings + 1] = problem(p.value_at, "undecodable text", bad) end
      shown = quoted(text)
    elseif p.kind == 6 then
      pt:add(F.param_int32, value)
      shown = tostring(value:int())
    elseif p.kind == 9 then
      pt:add(F.param_byte, value)
      shown = tostring(value:uint())
    else
      pt:add(F.param_six, value)
      shown = hex_bytes(p.raw, 1, 6)
    end
    pt:set_text(fmt("Parameter %d: key %d, %s %s", #params, p.key, T.kinds[p.kind] or "unknown", shown))
  end
  if err then
    root:add_proto_expert_info(ef_error, describe(err))
    return fmt("0x%04x", command) .. " (malformed)"
  end
  local version = s:byte(5) * 256 + s:byte(6)
  local function warn(offset, what, detail) warnings[#warnings + 1] = problem(offset, what, detail) end
  if version ~= 1 then warn(4, "unexpected protocol version", fmt("expected 1, found %d", version)) end
  local reserved = s:byte(29) * 256 + s:byte(30)
  if reserved ~= 0 then warn(28, "reserved word not zero", fmt("found %04x", reserved)) end
  if not name then warn(22, "unknown command", fmt("%04x is no command of this system", command)) end
  local summary = fmt("0x%04x", command) .. (name and " " .. name or "")
  if command == 0x33 then
    dissect_tunnel(tvb, params, root, warnings)
    for _, p in ipairs(params) do
      if p.key == 1 and p.kind == 1 then
        summary = summary .. ": " .. printable(p.raw) .. " " .. (T.messages[tonumber(p.raw, 16) or -1] or "")
      end
    end
  end
  for _, w in ipairs(warnings) do root:add_proto_expert_info(ef_warning, describe(w)) end
  if not tables_found then root:add_proto_expert_info(ef_tables) end
  return summary
end

-- ------------------------------------------------------------ TCP stream

-- Whether the bytes at `offset` can begin a frame, as far as they go.
-- A parameter length beyond this is taken for bytes that only look like a
-- frame, rather than waiting for megabytes that will never come.
local kLongest = 0x1000000

-- With `strict` (frames on any port) the version must be 1 as well.
local function plausible(tvb, offset, strict)
  local n = tvb:len() - offset
  local want = { 0x47, 0x50, 0x00, 0x1a, strict and 0x00, strict and 0x01 }
  for i = 1, math.min(n, #want) do
    if want[i] and tvb(offset + i - 1, 1):uint() ~= want[i] then return false end
  end
  if n < 28 then return true end
  local length = tvb(offset + 24, 4):int()
  return length >= 0 and length <= kLongest
end

function gpenc.dissector(tvb, pinfo, tree)
  local len, offset = tvb:len(), 0
  local commands = {}
  while offset < len do
    local start = offset
    while offset < len and not plausible(tvb, offset) do offset = offset + 1 end
    if offset > start then
      tree:add(gpenc, tvb:range(start, offset - start)):add(F.skipped, tvb:range(start, offset - start))
      if offset == len then break end
    end
    local avail = len - offset
    local total = avail >= 28 and kHead + tvb(offset + 24, 4):int() or nil
    if not total or avail < total then
      if pinfo.can_desegment > 0 then
        pinfo.desegment_offset = offset
        pinfo.desegment_len = total and total - avail or DESEGMENT_ONE_MORE_SEGMENT
        break
      end
      total = avail
    end
    commands[#commands + 1] = dissect_frame(tvb:range(offset, total):tvb(), tree)
    offset = offset + total
  end
  if #commands > 0 then
    pinfo.cols.protocol = "GP"
    pinfo.cols.info = "GP " .. table.concat(commands, "; ")
  end
  return len
end

-- Frames on any port: "GP", body length 26, version 1 and a plausible parameter length.
local function heuristic(tvb, pinfo, tree)
  if tvb:len() < kHead or not plausible(tvb, 0, true) then return false end
  pinfo.conversation = gpenc
  gpenc.dissector(tvb, pinfo, tree)
  return true
end

local registered_port = 0
local function register_port()
  local tcp = DissectorTable.get("tcp.port")
  if registered_port ~= 0 then tcp:remove(registered_port, gpenc) end
  registered_port = gpenc.prefs.port
  if registered_port ~= 0 then tcp:add(registered_port, gpenc) end
end

gpenc.prefs_changed = register_port
register_port()
gpenc:register_heuristic("tcp", heuristic)
