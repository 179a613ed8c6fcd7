// Peer bytes into the frame decoder, in a chunking the input chooses. Every accepted frame must
// re-encode to exactly the bytes it came from, and chunking must not change the verdict.
#include "shared/HelperWire.h"

#include <cstdlib>
#include <cstring>

using namespace brisvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto kind = (data[0] & 1) ? HelperFrameKind::reply : HelperFrameKind::call;
    const std::size_t chunk = 1 + data[1] % 17;
    const std::span<const std::uint8_t> stream(data + 2, size - 2);

    HelperFrameDecoder whole(kind);
    const auto expected = whole.feed(stream);

    HelperFrameDecoder pieces(kind);
    std::vector<HelperMessage> decoded;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
        auto out = pieces.feed(stream.subspan(at, std::min(chunk, stream.size() - at)));
        decoded.insert(decoded.end(), out.begin(), out.end());
    }
    if (decoded.size() != expected.size() ||
        whole.error().has_value() != pieces.error().has_value())
        std::abort();
    if (whole.error() && whole.error()->kind != pieces.error()->kind)
        std::abort();

    std::size_t offset = 0;
    for (const auto& message : expected) {
        const auto encoded = encodeHelperMessage(message);
        if (encoded.size() > stream.size() - offset ||
            std::memcmp(encoded.data(), stream.data() + offset, encoded.size()) != 0)
            std::abort();
        offset += encoded.size();
    }
    return 0;
}
