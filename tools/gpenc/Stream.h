// `gpenc dump` as a stream: bytes are read in pieces and each frame is decoded
// and printed as soon as it is whole, so memory holds one frame, not the input.
#pragma once

#include "gpenc/Inspect.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

namespace gpenc::tool {

// Where the bytes of a dump come from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `data`; 0 at the end. InputError for input that
    // is not bytes (bad hex text, naming its character offset).
    virtual std::size_t Read(std::uint8_t* data, std::size_t size) = 0;
    // What the errors name: a file, "standard input", "hex text".
    const std::string& name() const { return name_; }

protected:
    explicit ByteSource(std::string name) : name_(std::move(name)) {}

private:
    std::string name_;
};

// The bytes of `in` as they are.
std::unique_ptr<ByteSource> RawBytes(std::istream& in, std::string name);
// The bytes written as hex text in `in`, blanks between bytes allowed.
std::unique_ptr<ByteSource> HexBytes(std::istream& in, std::string name);

// Decodes the frames of `source` back to back and prints each to `out` as
// text or as one JSON line, the problem that ends them too; then InputError
// naming the source and that problem. `options`: how texts are shown.
void DumpFrames(ByteSource& source, bool json, std::ostream& out, const inspect::RenderOptions& options = {});

}  // namespace gpenc::tool
