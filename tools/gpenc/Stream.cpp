// Reading the bytes of a dump piece by piece, and decoding and printing the
// frames one at a time.
#include "Stream.h"

#include "Request.h"
#include "gpenc/Inspect.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace gpenc::tool {
namespace {

namespace in = gpenc::inspect;

constexpr std::size_t kPiece = 64 * 1024;
// No frame this system sends comes near it; a frame that claims more is
// refused rather than read into memory whole.
constexpr std::size_t kLargestFrame = 16 * 1024 * 1024;

class Raw : public ByteSource {
public:
    Raw(std::istream& in, std::string name) : ByteSource(std::move(name)), in_(in) {}
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        in_.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(size));
        if (in_.bad()) throw InputError(name() + ": cannot read");
        return static_cast<std::size_t>(in_.gcount());
    }

private:
    std::istream& in_;
};

class Hex : public ByteSource {
public:
    Hex(std::istream& in, std::string name) : ByteSource(std::move(name)), in_(in) {}

    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        while (next_ == bytes_.size() && !done_) Convert();
        const std::size_t n = std::min(size, bytes_.size() - next_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(next_), n, data);
        next_ += n;
        return n;
    }

private:
    // Converts the text read so far up to its last cut after an even number
    // of characters that are not blanks: a byte's two digits are never parted,
    // so every problem is found where reading it whole would find it.
    void Convert() {
        char piece[kPiece];
        in_.read(piece, sizeof piece);
        if (in_.bad()) throw InputError(name() + ": cannot read");
        const auto got = static_cast<std::size_t>(in_.gcount());
        done_ = got == 0;
        text_.append(piece, got);
        std::size_t cut = text_.size();
        if (!done_) {
            bool even = true;
            for (std::size_t i = 0; i < text_.size(); ++i) {
                if (even) cut = i;
                const char c = text_[i];
                if (c != ' ' && c != '\t' && c != '\n' && c != '\r') even = !even;
            }
            if (even) cut = text_.size();
        }
        auto parsed = in::ParseHex(std::string_view(text_).substr(0, cut));
        if (!parsed.ok()) {
            parsed.error->offset += consumed_;
            throw InputError(name() + ": " + parsed.error->Describe());
        }
        bytes_ = std::move(parsed.value);
        next_ = 0;
        text_.erase(0, cut);
        consumed_ += cut;
    }

    std::istream& in_;
    std::string text_;          // read, not yet converted
    std::size_t consumed_ = 0;  // characters converted before text_
    in::Bytes bytes_;
    std::size_t next_ = 0;
    bool done_ = false;
};

// The input not yet decoded: bytes from `origin` on, read as needed.
class Window {
public:
    explicit Window(ByteSource& source) : source_(source) {}

    // At least `size` bytes held, unless the input ends first.
    void Fill(std::size_t size) {
        while (held() < size && !ended_) {
            if (start_ > 0 && start_ >= buffer_.size() / 2) {
                buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
                start_ = 0;
            }
            const std::size_t old = buffer_.size();
            buffer_.resize(old + kPiece);
            const std::size_t got = source_.Read(buffer_.data() + old, kPiece);
            buffer_.resize(old + got);
            ended_ = got == 0;
        }
    }
    void Consume(std::size_t size) {
        start_ += size;
        origin_ += size;
    }
    const std::uint8_t* data() const { return buffer_.data() + start_; }
    std::size_t held() const { return buffer_.size() - start_; }
    std::size_t origin() const { return origin_; }
    bool ended() const { return ended_; }

private:
    ByteSource& source_;
    std::vector<std::uint8_t> buffer_;
    std::size_t start_ = 0;
    std::size_t origin_ = 0;  // input offset of data()
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> RawBytes(std::istream& in, std::string name) {
    return std::make_unique<Raw>(in, std::move(name));
}

std::unique_ptr<ByteSource> HexBytes(std::istream& in, std::string name) {
    return std::make_unique<Hex>(in, std::move(name));
}

void DumpFrames(ByteSource& source, bool json, std::ostream& out, const in::RenderOptions& options) {
    Window window(source);
    std::size_t number = 0;
    std::optional<in::Problem> problem;
    for (window.Fill(kPiece); window.held() > 0; window.Fill(kPiece)) {
        in::Decoded<in::Frame> frame = in::DecodeFrame(window.data(), window.held(), window.origin());
        // A frame cut short by the end of what is held: hold twice as much and decode it again.
        while (!frame.ok() && frame.error->what == "frame truncated" && !window.ended()) {
            if (window.held() >= kLargestFrame)
                throw InputError(source.name() + ": frame at offset " + std::to_string(window.origin()) +
                                 " is larger than " + std::to_string(kLargestFrame >> 20) +
                                 " MiB, more than gpenc dump reads at once");
            window.Fill(std::min(2 * window.held(), kLargestFrame));
            frame = in::DecodeFrame(window.data(), window.held(), window.origin());
        }
        if (!frame.ok()) {
            problem = frame.error;
            break;
        }
        ++number;
        if (json) {
            out << in::RenderJsonLine(frame.value, number, options);
        } else {
            out << (number > 1 ? "\n" : "") << in::RenderText(frame.value, number, options);
        }
        CheckOutput(out);
        window.Consume(frame.value.size);
    }
    if (number == 0 && !problem) problem = in::DecodeFrames(nullptr, 0).error;  // the input is empty
    if (!problem) return;
    if (json)
        out << in::RenderJsonLine(*problem);
    else
        out << (number > 0 ? "\n" : "") << in::RenderText(*problem);
    throw InputError(source.name() + ": " + problem->Describe());
}

}  // namespace gpenc::tool
