// Classic pcap (microsecond time stamps, Ethernet link type) with IPv4 and TCP
// headers whose checksums are correct, so that no tool flags the sample.
#include "Pcap.h"

#include <algorithm>
#include <cstdio>

namespace gpenc::tool {
namespace {

constexpr std::uint32_t kSnapLength = 262144;
constexpr std::uint32_t kLinkEthernet = 1;
constexpr std::uint32_t kStart = 1767225600;  // 2026-01-01 00:00:00 UTC
constexpr std::uint8_t kFin = 0x01, kSyn = 0x02, kPush = 0x08, kAck = 0x10;
constexpr std::size_t kIpHeader = 20, kTcpHeader = 20;

void Le32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Le16(Bytes& b, std::uint16_t v) {
    b.insert(b.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
}
void Be16(Bytes& b, std::uint32_t v) {
    b.insert(b.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}
void Be32(Bytes& b, std::uint32_t v) {
    Be16(b, v >> 16);
    Be16(b, v & 0xffff);
}

// The Internet checksum (RFC 1071) over `b[first, last)`, starting from `sum`.
std::uint16_t Checksum(const Bytes& b, std::size_t first, std::size_t last, std::uint32_t sum = 0) {
    for (std::size_t i = first; i < last; i += 2)
        sum += static_cast<std::uint32_t>(b[i] << 8 | (i + 1 < last ? b[i + 1] : 0));
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}

}  // namespace

PcapWriter::PcapWriter(std::uint16_t serverPort) : serverPort_(serverPort) {
    Le32(file_, 0xa1b2c3d4);
    Le16(file_, 2);
    Le16(file_, 4);
    Le32(file_, 0);  // time zone
    Le32(file_, 0);  // accuracy
    Le32(file_, kSnapLength);
    Le32(file_, kLinkEthernet);
}

void PcapWriter::Packet(const Endpoint& from, const Endpoint& to, std::uint8_t flags, const std::uint8_t* data,
                        std::size_t size) {
    Bytes p;
    // Ethernet: locally administered addresses ending in the host byte, IPv4.
    p.insert(p.end(), {0x02, 0, 0, 0, 0, to.host, 0x02, 0, 0, 0, 0, from.host, 0x08, 0x00});
    const std::size_t ip = p.size();
    p.insert(p.end(), {0x45, 0x00});
    Be16(p, static_cast<std::uint32_t>(kIpHeader + kTcpHeader + size));
    Be16(p, ipId_++);
    p.insert(p.end(), {0x40, 0x00, 64, 6, 0, 0, 127, 0, 0, from.host, 127, 0, 0, to.host});
    Put16(p, ip + 10, Checksum(p, ip, ip + kIpHeader));
    const std::size_t tcp = p.size();
    Be16(p, from.port);
    Be16(p, to.port);
    Be32(p, from.seq);
    Be32(p, flags & kAck ? to.seq : 0);
    p.insert(p.end(), {0x50, flags});
    Be16(p, 65535);  // window
    Be32(p, 0);      // checksum and urgent pointer
    p.insert(p.end(), data, data + size);
    // Pseudo header: addresses, protocol, TCP length.
    const std::uint32_t pseudo =
        (127u << 8) + from.host + (127u << 8) + to.host + 6 + static_cast<std::uint32_t>(kTcpHeader + size);
    Put16(p, tcp + 16, Checksum(p, tcp, p.size(), pseudo));

    const std::uint32_t us = clock_++ * 1000;
    Le32(file_, kStart + us / 1000000);
    Le32(file_, us % 1000000);
    Le32(file_, static_cast<std::uint32_t>(p.size()));
    Le32(file_, static_cast<std::uint32_t>(p.size()));
    file_.insert(file_.end(), p.begin(), p.end());
}

void PcapWriter::Conversation(const std::vector<Bytes>& segments) {
    Endpoint client{1, clientPort_++, 0x10000000}, server{2, serverPort_, 0x20000000};
    Packet(client, server, kSyn, nullptr, 0);
    ++client.seq;
    Packet(server, client, kSyn | kAck, nullptr, 0);
    ++server.seq;
    Packet(client, server, kAck, nullptr, 0);
    for (const Bytes& s : segments) {
        Packet(client, server, kPush | kAck, s.data(), s.size());
        client.seq += static_cast<std::uint32_t>(s.size());
        Packet(server, client, kAck, nullptr, 0);
    }
    Packet(client, server, kFin | kAck, nullptr, 0);
    ++client.seq;
    Packet(server, client, kFin | kAck, nullptr, 0);
    ++server.seq;
    Packet(client, server, kAck, nullptr, 0);
}

std::vector<Bytes> Segments(const std::vector<Bytes>& frames, std::size_t size) {
    if (size == 0) return frames;
    Bytes all;
    for (const Bytes& f : frames) all.insert(all.end(), f.begin(), f.end());
    std::vector<Bytes> out;
    for (std::size_t at = 0; at < all.size(); at += size)
        out.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(at),
                         all.begin() + static_cast<std::ptrdiff_t>(std::min(at + size, all.size())));
    return out;
}

bool WritePcap(const char* path, const std::vector<Bytes>& frames, std::size_t segmentSize) {
    PcapWriter w;
    w.Conversation(Segments(frames, segmentSize));
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool written = std::fwrite(w.File().data(), 1, w.File().size(), f) == w.File().size();
    return std::fclose(f) == 0 && written;
}

}  // namespace gpenc::tool
