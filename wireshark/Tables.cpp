// Writes gpenc_tables.lua, the names and types the Wireshark dissector shows,
// from the frame inspector's own tables, so that the two never disagree.
#include "gpenc/Inspect.h"

#include <cstdio>
#include <string>

namespace inspect = gpenc::inspect;

namespace {

std::string Quote(const char* s) {
    std::string q = "\"";
    for (; *s; ++s) {
        if (*s == '"' || *s == '\\') q += '\\';
        q += *s;
    }
    return q + "\"";
}

// `name(id)` for every 16-bit id that has one, as Lua table entries.
template <class Name>
void Names(std::FILE* out, const char* table, Name name) {
    std::fprintf(out, "  %s = {\n", table);
    for (unsigned id = 0; id <= 0xffff; ++id)
        if (const std::string n = name(id); !n.empty())
            std::fprintf(out, "    [0x%04x] = %s,\n", id, Quote(n.c_str()).c_str());
    std::fprintf(out, "  },\n");
}

// The parameter table of one edition as runs of ids with the same name, type
// and width (of a fixed BYTE[n]), as the inspector's table has them.
void Params(std::FILE* out, const char* table, int edition) {
    std::fprintf(out, "  %s = {\n", table);
    for (unsigned id = 0; id <= 0xffff;) {
        const inspect::ParamInfo info = inspect::LookupParameter(id, edition);
        unsigned last = id;
        while (last < 0xffff) {
            const inspect::ParamInfo next = inspect::LookupParameter(last + 1, edition);
            if (next.type != info.type || std::string(next.name) != info.name || next.size != info.size) break;
            ++last;
        }
        if (info.type != inspect::ParamType::kNone)
            std::fprintf(out, "    {0x%04x, 0x%04x, %u, %s, %zu},\n", id, last, static_cast<unsigned>(info.type),
                         Quote(info.name).c_str(), info.size);
        id = last + 1;
    }
    std::fprintf(out, "  },\n");
}

void Fields(std::FILE* out, const char* member, const inspect::LayoutField* fields, std::size_t count) {
    std::fprintf(out, "      %s = {\n", member);
    for (std::size_t i = 0; i < count; ++i) {
        const inspect::LayoutField& f = fields[i];
        std::fprintf(out, "        { %s, %s, %u, %u, {", Quote(f.key).c_str(), Quote(f.name).c_str(),
                     static_cast<unsigned>(f.width), static_cast<unsigned>(f.show));
        for (std::size_t n = 0; n < f.nameCount; ++n)
            if (*f.names[n]) std::fprintf(out, " [%zu] = %s,", n, Quote(f.names[n]).c_str());
        std::fprintf(out, " } },\n");
    }
    std::fprintf(out, "      },\n");
}

// The structured values field by field: key, name, width, how shown (as
// inspect::FieldShow counts) and value or bit names; the ids of the
// active-safety extension with the one length they read in.
void Layouts(std::FILE* out) {
    std::fprintf(out, "  layouts = {\n");
    for (unsigned id = 0; id <= 0xffff; ++id) {
        const inspect::ParamLayout* l = inspect::FindLayout(id);
        if (!l) continue;
        std::fprintf(out, "    [0x%04x] = {\n      counts = %zu,\n", id, l->counts);
        Fields(out, "head", l->head, l->headCount);
        if (l->entryCount) {
            std::fprintf(out, "      entry_key = %s,\n      entry_name = %s,\n", Quote(l->entryKey).c_str(),
                         Quote(l->entryName).c_str());
            Fields(out, "entry", l->entry, l->entryCount);
        }
        std::fprintf(out, "    },\n");
    }
    std::fprintf(out, "  },\n  extension_params = {\n");
    for (unsigned id = 0; id <= 0xffff; ++id)
        if (const inspect::ParamInfo x = inspect::LookupExtension(id); x.type != inspect::ParamType::kNone)
            std::fprintf(out, "    [0x%04x] = { %u, %s, %zu, %s },\n", id, static_cast<unsigned>(x.type),
                         Quote(x.name).c_str(), x.size, Quote(x.extension).c_str());
    std::fprintf(out, "  },\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.lua\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out,
                 "-- Names and types of the gpenc dissector, written at build time from the\n"
                 "-- frame inspector's tables: do not edit.\nreturn {\n");
    Names(out, "commands",
          [](unsigned id) { return std::string(inspect::CommandName(static_cast<std::uint16_t>(id))); });
    Names(out, "messages", [](unsigned id) { return std::string(inspect::MessageName(id)); });
    Names(out, "kinds", [](unsigned id) {
        const std::string n = id < 256 ? inspect::KindName(static_cast<std::uint8_t>(id)) : "unknown";
        return n == "unknown" ? std::string() : n;
    });
    Names(out, "param_types", [](unsigned id) {
        const std::string n = id < 256 ? inspect::ParamTypeName(static_cast<inspect::ParamType>(id)) : "no type";
        return n == "no type" ? std::string() : n;
    });
    Params(out, "params", 2013);
    Params(out, "params_2019", 2019);
    Layouts(out);
    std::fprintf(out, "  unknown_param = %s,\n}\n", Quote(inspect::LookupParameter(0).name).c_str());
    return std::fclose(out) == 0 ? 0 : 1;
}
