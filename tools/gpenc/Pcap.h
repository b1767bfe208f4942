// Capture files of GP frames: a classic pcap of TCP conversations over IPv4 on
// the loopback, so that a sample opens in Wireshark as a real link would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gpenc::tool {

using Bytes = std::vector<std::uint8_t>;

// The port the Wireshark dissector listens on by default.
constexpr std::uint16_t kGpPort = 7808;

// One file, any number of conversations; each starts with the three-way
// handshake, carries its segments from 127.0.0.1 to 127.0.0.2 with sequence
// and acknowledgement numbers as a receiver that acknowledges every segment
// would see them, and ends with FIN from both sides. Each conversation uses the
// next client port, and packets are 1 ms apart, so the file is reproducible.
class PcapWriter {
public:
    explicit PcapWriter(std::uint16_t serverPort = kGpPort);

    void Conversation(const std::vector<Bytes>& segments);
    const Bytes& File() const { return file_; }

private:
    struct Endpoint {
        std::uint8_t host;  // 127.0.0.<host>
        std::uint16_t port;
        std::uint32_t seq;
    };
    void Packet(const Endpoint& from, const Endpoint& to, std::uint8_t flags, const std::uint8_t* data,
                std::size_t size);

    Bytes file_;
    std::uint16_t serverPort_;
    std::uint16_t clientPort_ = 50000;
    std::uint32_t clock_ = 0;  // milliseconds since the first packet
    std::uint16_t ipId_ = 1;
};

// `frames` back to back, cut into segments of at most `size` bytes; with
// size 0 each frame is one segment.
std::vector<Bytes> Segments(const std::vector<Bytes>& frames, std::size_t size);

// Writes `frames` as one conversation cut by Segments(); false when the file
// cannot be written.
bool WritePcap(const char* path, const std::vector<Bytes>& frames, std::size_t segmentSize);

}  // namespace gpenc::tool
