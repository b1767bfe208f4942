// Turns decoded frames, 808 messages and setting texts into the display tree,
// with the labels and explanations a reader of a dump needs.
#include "Layout.h"
#include "Tree.h"

#include <algorithm>

namespace gpenc::inspect {
namespace {

// A shown text in quotes, cut after 64 bytes (at a character's start).
std::string QuotedShown(const std::string& p) {
    std::size_t cut = 64;
    if (p.size() <= cut) return "\"" + p + "\"";
    while (cut > 0 && (static_cast<unsigned char>(p[cut]) & 0xc0) == 0x80) --cut;
    return "\"" + p.substr(0, cut) + "...\"";
}

std::string Quoted(const std::string& s) { return QuotedShown(Printable(s)); }

// Shows the texts of one frame as the options decode them, and keeps a warning
// for each text of the frame or its 808 message that does not decode.
class Texts {
public:
    explicit Texts(const RenderOptions& options) : options_(options) {}

    // Texts shown from here on stand inside tunnelled content: content offset N
    // is at `origin + scale * N` in the frame (scale 2 for bytes carried as hex
    // text), as the frame's other warnings on that content count it.
    void Inside(std::size_t origin, std::size_t scale, const char* where) {
        origin_ = origin;
        scale_ = scale;
        where_ = where;
    }

    // `bytes` as shown; `warn`: a text whose bytes no other text has shown.
    std::string Show(std::string_view bytes, std::size_t offset, bool warn) {
        const auto byte = [](char c) { return static_cast<unsigned char>(c); };
        if (std::all_of(bytes.begin(), bytes.end(), [&](char c) { return byte(c) < 0x80; })) return Printable(bytes);
        std::string utf8;
        const bool decodes = options_.decode ? options_.decode(bytes, utf8) : Utf8(bytes, utf8);
        const bool control =
            std::any_of(bytes.begin(), bytes.end(), [&](char c) { return byte(c) < 0x20 || c == 0x7f; });
        if (decodes && !control) return utf8;
        if (!decodes && warn) {
            Problem p{
                offset, "undecodable text",
                Format("%zu bytes that are not %s text, shown as \\xNN", bytes.size(), options_.codePage.c_str())};
            if (where_) {
                p.detail += Format(" (%s offset %zu)", where_, offset);
                p.offset = origin_ + scale_ * offset;
            }
            warnings.push_back(std::move(p));
        }
        return Printable(bytes);
    }

    std::vector<Problem> warnings;

private:
    static bool Utf8(std::string_view bytes, std::string& out) { return CodePage().ToUtf8(bytes, out); }

    const RenderOptions& options_;
    std::size_t origin_ = 0, scale_ = 1;
    const char* where_ = nullptr;
};

std::string Count(std::size_t n, const char* one, const char* many) { return Format("%zu %s", n, n == 1 ? one : many); }

template <class T>
Node At(const char* key, std::string label, const Field<T>& f) {
    Node n;
    n.key = key;
    n.label = std::move(label);
    n.hasOffset = true;
    n.offset = f.offset;
    n.size = f.size;
    n.skip = f.offset == 0 && f.size == 0;
    return n;
}

Node Group(const char* key, std::string label, std::size_t offset, std::size_t size) {
    Node n = At(key, std::move(label), Field<int>{offset, size, 0});
    n.skip = false;
    return n;
}

Node List(const char* key, std::string label) {
    Node n;
    n.key = key;
    n.label = std::move(label);
    n.list = true;
    return n;
}

Bytes BigEndian(std::uint64_t v, std::size_t width) {
    Bytes b(width);
    for (std::size_t i = width; i-- > 0; v >>= 8) b[i] = static_cast<std::uint8_t>(v);
    return b;
}

template <class T>
Node Number(const char* key, std::string label, const Field<T>& f, std::string meaning = {}) {
    Node n = At(key, std::move(label), f);
    n.shown = std::to_string(f.value);
    n.value = f.value;
    n.meaning = std::move(meaning);
    n.bytes = BigEndian(static_cast<std::uint64_t>(f.value), std::min<std::size_t>(f.size, 8));
    return n;
}

template <class T>
Node HexNumber(const char* key, std::string label, const Field<T>& f, std::string meaning = {}) {
    Node n = Number(key, std::move(label), f, std::move(meaning));
    n.shown = Format("0x%0*llx", static_cast<int>(2 * f.size), static_cast<unsigned long long>(f.value));
    return n;
}

Node Text(const char* key, std::string label, const Field<std::string>& f) {
    Node n = At(key, std::move(label), f);
    n.shown = Quoted(f.value);
    n.value = Printable(f.value);
    n.bytes.assign(f.value.begin(), f.value.end());
    return n;
}

// A text of the client, shown as `texts` decodes it.
Node ClientText(const char* key, std::string label, const Field<std::string>& f, Texts& texts, bool warn) {
    Node n = Text(key, std::move(label), f);
    const std::string shown = texts.Show(f.value, f.offset, warn);
    n.shown = QuotedShown(shown);
    n.value = shown;
    return n;
}

Node Raw(const char* key, std::string label, const Field<Bytes>& f) {
    Node n = At(key, std::move(label), f);
    n.shown = f.value.empty() ? "(none)" : Format("%zu bytes", f.value.size());
    n.value = HexRun(f.value);
    n.bytes = f.value;
    return n;
}

Node Plain(const char* key, std::string label, Json value, std::string shown) {
    Node n;
    n.key = key;
    n.label = std::move(label);
    n.value = std::move(value);
    n.shown = std::move(shown);
    return n;
}

void Relative(Node& n) {
    n.relative = true;
    for (Node& c : n.children) Relative(c);
}

// Text items show their characters; bytes would only repeat them.
void TextItems(Node& n) {
    n.bytes.clear();
    Relative(n);
    for (Node& c : n.children) TextItems(c);
}

// ------------------------------------------------------------------ GP frame

// A record's or entry's value as its type shows it; raw bytes when it has none.
template <class Variant>
Node ValueNode(const Field<Bytes>& raw, const Variant& value, Texts& texts) {
    return std::visit(
        [&](const auto& v) -> Node {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return ClientText("value", "Value", {raw.offset, raw.size, v}, texts, true);
            } else if constexpr (std::is_arithmetic_v<T>) {
                return Number("value", "Value", Field<T>{raw.offset, raw.size, v});
            } else {
                Node n = Raw("value", "Value", raw);
                n.shown = raw.value.empty() ? "(empty)" : HexBytes(raw.value, 16);
                return n;
            }
        },
        value);
}

Node ParameterTree(const Parameter& p, std::size_t number, Texts& texts) {
    Node value = ValueNode(p.raw, p.value, texts);
    Node g = Group(
        "", Format("Parameter %zu: key %u, %s %s", number, p.key.value, KindName(p.kind.value), value.shown.c_str()),
        p.offset, p.recordLength.value);
    g.Add(Number("record_length", "Record length", p.recordLength));
    g.Add(Number("key", "Key", p.key));
    g.Add(Number("kind", "Value kind", p.kind, KindName(p.kind.value)));
    g.Add(std::move(value));
    return g;
}

// ------------------------------------------------------------------ JT/T 808

std::string BitPattern(std::uint16_t word, std::uint16_t mask) {
    std::string s;
    for (int bit = 15; bit >= 0; --bit) {
        s += (mask >> bit & 1) ? static_cast<char>('0' + (word >> bit & 1)) : '.';
        if (bit % 4 == 0 && bit) s += ' ';
    }
    return s;
}

Node Bits(const char* key, const char* label, std::uint16_t word, std::uint16_t mask, unsigned value,
          std::string meaning = {}) {
    Node n = Plain(key, BitPattern(word, mask) + " = " + label, value, std::to_string(value));
    n.meaning = std::move(meaning);
    return n;
}

void HeadTree(Node& g, const Jt808Head& h) {
    const bool v2019 = h.Edition() == 2019;
    Node& head = g.Sub(Group("head", v2019 ? "Message head, 2019 edition" : "Message head", 0, h.size));
    head.Add(HexNumber("message_id", "Message id", h.messageId, MessageName(h.messageId.value)));
    const BodyProperties& p = h.properties.value;
    Node props = HexNumber("body_properties", "Body properties",
                           Field<std::uint16_t>{h.properties.offset, h.properties.size, p.word});
    props.Add(Bits("body_length", "Body length", p.word, jt808::kBodyLengthBits, p.bodyLength));
    props.Add(
        Bits("encryption", "Encryption", p.word, jt808::kEncryptionBits, p.encryption, p.encryption ? "" : "none"));
    props.Add(
        Bits("subpackage", "Sub-package", p.word, jt808::kSubpackageBit, p.subpackage, p.subpackage ? "yes" : "no"));
    if (v2019) props.Add(Bits("version_flag", "Version flag", p.word, jt808::kVersionFlag, 1, "2019 head"));
    props.Add(Bits("reserved", "Reserved", p.word, v2019 ? jt808::kReservedBit2019 : jt808::kReservedBits, p.reserved));
    head.Add(std::move(props));
    if (h.protocolVersion) head.Add(Number("protocol_version", "Protocol version", *h.protocolVersion));
    Node phone = Text("phone", "Phone number", h.phone);
    phone.shown = h.phone.value;
    phone.bytes.clear();
    for (std::size_t i = 0; i + 1 < h.phone.value.size(); i += 2)
        phone.bytes.push_back(static_cast<std::uint8_t>(std::stoi(h.phone.value.substr(i, 2), nullptr, 16)));
    head.Add(std::move(phone));
    head.Add(Number("serial", "Serial number", h.serial));
}

std::string Capitalised(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

Node LayoutFieldNode(const ParamField& f) {
    Node n = At(f.def->key, Capitalised(f.def->name), f.raw);
    n.shown = f.shown;
    n.meaning = f.meaning;
    n.bytes = f.raw.value;
    switch (f.def->show) {
    case FieldShow::kNumber:
    case FieldShow::kFlags: n.value = f.number; break;
    case FieldShow::kBcd: n.value = f.shown; break;
    case FieldShow::kBytes: n.value = HexRun(f.raw.value); break;
    case FieldShow::kText: n.value = Printable(f.raw.value); break;
    }
    return n;
}

// A structured value's fields under its value: the head's, then each entry's
// in a group of its own.
void LayoutTree(Node& value, const ParamEntry& e) {
    const ParamLayout& l = *e.layout;
    Node* entries = nullptr;
    for (const ParamField& f : e.fields) {
        if (!f.entry) {
            value.Add(LayoutFieldNode(f));
            continue;
        }
        if (!entries) entries = &value.Sub(List(l.entryKey, Capitalised(l.entryName) + "s"));
        if (entries->children.size() < f.entry)
            entries->Add(Group("", Format("%s %zu", Capitalised(l.entryName).c_str(), f.entry), f.raw.offset, 0));
        Node& group = entries->children.back();
        group.size += f.raw.size;
        group.Add(LayoutFieldNode(f));
    }
}

Node EntryTree(const ParamEntry& e, Texts& texts) {
    const Field<Bytes>& raw = e.raw;
    Node value = ValueNode(raw, e.value, texts);
    if (e.layout) LayoutTree(value, e);
    const std::string name =
        e.info.extension ? Format("%s (%s)", e.info.name, e.info.extension) : std::string(e.info.name);
    Node g = Group("",
                   Format("Parameter 0x%04x: %s, %s = %s", static_cast<unsigned>(e.id.value), name.c_str(),
                          ParamTypeName(e.info.type), value.shown.c_str()),
                   e.offset, jt808::kEntryHead + raw.size);
    g.extra = {{"name", e.info.name}, {"type", ParamTypeName(e.info.type)}};
    if (e.info.extension) g.extra["extension"] = e.info.extension;
    g.Add(HexNumber("id", "Id", e.id));
    g.Add(Number("length", "Length", e.length));
    g.Add(std::move(value));
    return g;
}

Node CardTextNode(const char* key, const char* label, const CardText& t, Texts& texts) {
    Node n = ClientText(key, label, {t.raw.offset, t.raw.size, t.text}, texts, true);
    n.bytes = t.raw.value;
    if (t.fill) n.meaning = Format("%zu filler bytes", t.fill);
    n.extra = {{"fill", t.fill}};
    return n;
}

Node DateNode(const CardDate& d) {
    Node n = At("date", "Card date", d.bcd);
    n.shown = Format("%04d-%02d-%02d", d.year, d.month, d.day);
    n.value = n.shown;
    n.meaning = d.valid ? "" : "not a date";
    n.bytes.assign(d.bcd.value.begin(), d.bcd.value.end());
    n.extra = {{"valid", d.valid}};
    return n;
}

Node CheckNode(const char* key, const char* label, const CheckByte& c) {
    Node n = HexNumber(key, label, c.stored);
    n.meaning = Format("XOR of offsets %zu to %zu is 0x%02x, %s", c.first, c.last, c.computed,
                       c.matches ? "matches" : "MISMATCH");
    n.extra = {{"first", c.first}, {"last", c.last}, {"computed", c.computed}, {"matches", c.matches}};
    return n;
}

void ExtensionTree(Node& card, const CardExtension& x, Texts& texts) {
    const std::size_t end = x.check3.stored.size ? x.check3.stored.offset + 1 : x.mark1.offset;
    Node& g = card.Sub(Group("extension", "Extension", x.mark1.offset, end - x.mark1.offset));
    g.Add(HexNumber("mark_1", "Mark", x.mark1));
    g.Add(HexNumber("mark_2", "Mark", x.mark2));
    g.Add(HexNumber("ext_1", "Extension byte 1", x.ext1));
    g.Add(HexNumber("ext_2", "Extension byte 2", x.ext2));
    g.Add(CheckNode("check_2", "Check byte 2", x.check2));
    Node& list = g.Sub(List("texts", "Extension texts"));
    for (std::size_t i = 0; i < x.texts.size(); ++i) {
        const LengthText& t = x.texts[i];
        if (t.length.size == 0) break;
        Node text = ClientText("", Format("Extension text %zu", i + 1),
                               {t.raw.offset, t.raw.size, {t.raw.value.begin(), t.raw.value.end()}}, texts, true);
        text.skip = false;
        text.meaning = Format("length byte %u at +%zu", t.length.value, t.length.offset);
        text.extra = {{"length", t.length.value}};
        list.Add(std::move(text));
    }
    Node fill = At("zero_fill", "Zero fill", x.zeroFill);
    fill.shown = Format("%zu bytes", x.zeroFill.size);
    fill.meaning = x.zeroFill.value ? Format("%zu not zero", x.zeroFill.value) : "";
    fill.value = x.zeroFill.size;
    fill.extra = {{"not_zero", x.zeroFill.value}};
    g.Add(std::move(fill));
    g.Add(CheckNode("check_3", "Check byte 3", x.check3));
}

void IcCardTree(Node& body, const IcCard& c, Texts& texts) {
    body.Add(HexNumber("type", "Data type", c.type, c.type.value == card::kTag ? "IC-card information" : ""));
    body.Add(HexNumber("zero", "Zero word", c.zero));
    body.Add(Number("data_length", "Data length", c.dataLength));
    body.Add(CardTextNode("text_1", "Card text 1", c.text1, texts));
    body.Add(CardTextNode("text_2", "Card text 2", c.text2, texts));
    body.Add(DateNode(c.date));
    body.Add(CardTextNode("text_3", "Card text 3", c.text3, texts));
    body.Add(CardTextNode("text_4", "Card text 4", c.text4, texts));
    body.Add(CheckNode("check_1", "Check byte 1", c.check1));
    if (c.extension) ExtensionTree(body, *c.extension, texts);
}

Node MessageTree(const Decoded<Jt808Message>& d, Texts& texts) {
    const Jt808Message& m = d.value;
    Node g =
        Group("message", Format("JT/T 808 message, %zu bytes (offsets +N from its first byte)", m.size), 0, m.size);
    HeadTree(g, m.head);
    const std::size_t bodySize = m.body.value.size();
    if (m.paramSetting) {
        const ParamSetting& ps = *m.paramSetting;
        Node& body =
            g.Sub(Group("body", "Body: terminal parameter setting, " + Count(ps.entries.size(), "entry", "entries"),
                        m.head.size, bodySize));
        body.Add(Number("count", "Parameter count", ps.count));
        Node& entries = body.Sub(List("entries", "Entries"));
        for (const ParamEntry& e : ps.entries) entries.Add(EntryTree(e, texts));
    } else if (m.icCard) {
        const bool ext = m.icCard->dataLength.value == card::kExtensionData;
        Node& body = g.Sub(Group("body", Format("Body: IC-card information, %s layout", ext ? "extension" : "standard"),
                                 m.head.size, bodySize));
        IcCardTree(body, *m.icCard, texts);
    } else if (m.body.size) {
        Node body = Raw("body", "Body", m.body);
        body.shown = HexBytes(m.body.value, 16);
        g.Add(std::move(body));
    }
    if (d.error) g.Add(ProblemNode("Error", *d.error));
    Relative(g);
    return g;
}

// ------------------------------------------------------------- setting texts

std::string TimeText(const BcdTime& t) {
    const auto& b = t.bcd;
    return Format("20%02x-%02x-%02x %02x:%02x:%02x", b[0], b[1], b[2], b[3], b[4], b[5]);
}

Node TimeNode(const char* key, const char* label, const std::optional<Field<BcdTime>>& t) {
    Node n = At(key, label, *t);
    n.shown = TimeText(t->value);
    n.value = n.shown;
    return n;
}

Node DegreesNode(const char* key, const char* label, const Field<double>& f) {
    Node n = At(key, label, f);
    n.shown = Format("%.6f", f.value);
    n.value = f.value;
    return n;
}

std::string AreaAttributes(std::uint16_t a) {
    const unsigned other = a & ~unsigned{jt808::kAreaTimeWindow | jt808::kAreaSpeedLimit};
    std::string s = a & jt808::kAreaTimeWindow ? "time window" : "";
    if (a & jt808::kAreaSpeedLimit) s += s.empty() ? "speed limit" : ", speed limit";
    if (other) s += Format("%sother bits %04x", s.empty() ? "" : ", ", other);
    return s;
}

Node AreaTree(const CircularArea& a, std::size_t number) {
    Node g = Group("", Format("Area %zu: id %u, radius %u m", number, a.id.value, a.radius.value), a.id.offset, 0);
    g.Add(Number("id", "Area id", a.id));
    g.Add(Number("attributes", "Area attributes", a.attributes, AreaAttributes(a.attributes.value)));
    g.Add(DegreesNode("latitude", "Centre latitude", a.latitude));
    g.Add(DegreesNode("longitude", "Centre longitude", a.longitude));
    g.Add(Number("radius", "Radius", a.radius, "m"));
    if (a.start) g.Add(TimeNode("start", "Start time", a.start));
    if (a.end) g.Add(TimeNode("end", "End time", a.end));
    if (a.maxSpeed) g.Add(Number("top_speed", "Top speed", *a.maxSpeed, "km/h"));
    if (a.overSpeedDuration) g.Add(Number("over_speed_duration", "Over-speed duration", *a.overSpeedDuration, "s"));
    return g;
}

Node CircularTree(const Decoded<CircularSetting>& d, std::size_t textSize) {
    const CircularSetting& s = d.value;
    Node g = Group(
        "setting",
        "Circular-area setting text, " + Count(s.areas.size(), "area", "areas") + " (offsets +N count characters)", 0,
        textSize);
    static const char* const kSetAttribute[] = {"update areas", "append areas", "modify areas"};
    const unsigned attr = s.setAttribute.value;
    g.Add(Number("set_attribute", "Setting attribute", s.setAttribute, attr < 3 ? kSetAttribute[attr] : ""));
    g.Add(Number("area_count", "Area count", s.areaCount));
    Node& areas = g.Sub(List("areas", "Areas"));
    for (std::size_t i = 0; i < s.areas.size(); ++i) areas.Add(AreaTree(s.areas[i], i + 1));
    if (d.error) g.Add(ProblemNode("Error", *d.error));
    TextItems(g);
    return g;
}

Node RequestTree(const Decoded<RequestArgument>& d, Texts& texts) {
    Node g = List("items", "Items");
    for (const RequestItem& item : d.value.items) {
        Node n = ClientText("", item.name, item.value, texts, false);
        n.skip = false;
        n.extra = {{"name", item.name}};
        g.Add(std::move(n));
    }
    if (d.error) g.Add(ProblemNode("Error", *d.error));
    TextItems(g);
    return g;
}

void ArgumentTree(Node& tunnel, const Tunnel& t, Texts& texts) {
    Node arg = At("argument", "Argument", *t.argument);
    const std::string shown = texts.Show(t.argument->value, t.argument->offset, false);
    arg.value = shown;
    switch (t.content) {
    case Tunnel::Content::kJt808:
        arg.shown = Format("JT/T 808 message as hex text, %zu characters", t.argument->size);
        if (t.hexError) arg.Add(ProblemNode("Error", *t.hexError));
        texts.Inside(t.argument->offset, gp::kHexPerByte, "808 message");
        if (t.jt808) arg.Add(MessageTree(*t.jt808, texts));
        break;
    case Tunnel::Content::kSettingText:
        arg.shown = QuotedShown(shown);
        arg.Add(CircularTree(*t.circular, t.argument->size));
        break;
    case Tunnel::Content::kRequest:
        arg.shown = QuotedShown(shown);
        arg.meaning = t.request->value.meaning;
        arg.extra = {{"meaning", t.request->value.meaning}};
        arg.Add(RequestTree(*t.request, texts));
        break;
    default: arg.shown = QuotedShown(shown);
    }
    tunnel.Add(std::move(arg));
}

Node TunnelTree(const Tunnel& t, Texts& texts) {
    Node g = Group("tunnel", "JT/T 808 tunnel", 0, 0);
    g.hasOffset = false;
    if (t.terminalNumber) {
        Node n = ClientText("terminal_number", "Terminal number", *t.terminalNumber, texts, false);
        n.bytes.clear();
        g.Add(std::move(n));
    }
    if (t.messageIdText) {
        Node n = ClientText("message_id", "808 message id", *t.messageIdText, texts, false);
        n.bytes.clear();
        if (t.messageId) {
            n.shown = Format("0x%04x", *t.messageId);
            n.value = *t.messageId;
            n.meaning = MessageName(*t.messageId);
        }
        g.Add(std::move(n));
    }
    if (t.argument) ArgumentTree(g, t, texts);
    return g;
}

}  // namespace

Node ProblemNode(const char* label, const Problem& p) {
    Node n = Plain("error", label,
                   Json{{"offset", p.offset}, {"what", p.what}, {"detail", p.detail}, {"message", p.Describe()}},
                   p.Describe());
    n.hasOffset = true;
    n.offset = p.offset;
    n.bare = true;
    return n;
}

Node FrameTree(const Frame& f, std::size_t number, const RenderOptions& options) {
    Texts texts(options);
    const std::uint16_t cmd = f.command.value;
    Node root = Group("", Format("Frame %zu: %zu bytes, command 0x%04x", number, f.size, cmd), f.offset, f.size);
    if (*CommandName(cmd)) root.label += Format(" (%s)", CommandName(cmd));
    Node& header = root.Sub(Group("header", "GP header", f.offset, gp::kHeaderSize));
    Node magic = Text("magic", "Magic", f.magic);
    header.Add(std::move(magic));
    header.Add(Number("body_length", "Body length", f.bodyLength));
    Node& body = root.Sub(Group("body", "GP body", f.offset + gp::kHeaderSize, gp::kBodySize));
    body.Add(Number("version", "Protocol version", f.version));
    Node session = At("session_id", "Session id", f.sessionId);
    session.shown = HexRun(Bytes(f.sessionId.value.begin(), f.sessionId.value.end()));
    session.value = session.shown;
    body.Add(std::move(session));
    body.Add(HexNumber("command", "Command", f.command, CommandName(cmd)));
    body.Add(Number("parameter_length", "Parameter length", f.parameterLength));
    body.Add(Number("reserved", "Reserved word", f.reserved));
    Node& params = root.Sub(List("parameters", "Parameters: " + Count(f.parameters.size(), "record", "records") +
                                                   Format(", %d bytes", f.parameterLength.value)));
    params.hasOffset = true;
    params.offset = f.offset + gp::kParametersAt;
    for (std::size_t i = 0; i < f.parameters.size(); ++i) params.Add(ParameterTree(f.parameters[i], i + 1, texts));
    if (f.tunnel) root.Add(TunnelTree(*f.tunnel, texts));
    if (!f.warnings.empty() || !texts.warnings.empty()) {
        const std::size_t count = f.warnings.size() + texts.warnings.size();
        Node& warnings = root.Sub(List("warnings", Format("Warnings: %zu", count)));
        for (const Problem& w : f.warnings) warnings.Add(ProblemNode("Warning", w));
        for (const Problem& w : texts.warnings) warnings.Add(ProblemNode("Warning", w));
    }
    return root;
}

}  // namespace gpenc::inspect
