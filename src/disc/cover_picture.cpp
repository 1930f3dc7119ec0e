#include "disc/cover_picture.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <memory>

namespace disctrove {

namespace {

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

// Whether `bytes` hold a whole JPEG stream, and the picture's size from its frame header: the
// start of image, marker segments that fit in the bytes, a frame header before the first scan,
// scans whose entropy-coded data holds only the markers a scan may hold, and the end of image.
// A server's error page behind a JPEG's first bytes fails at its first segment. One piece: every
// step moves the one position through the stream.
bool WalkJpeg(const std::vector<uint8_t>& bytes, PictureInfo& info) {
    const size_t size = bytes.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        return false;
    }
    size_t at = 2;
    bool frame = false;
    bool scanned = false;
    for (;;) {
        if (at >= size || bytes[at] != 0xFF) {
            return false;  // not where a marker belongs
        }
        while (at < size && bytes[at] == 0xFF) {
            ++at;  // fill bytes
        }
        if (at >= size) {
            return false;
        }
        const uint8_t marker = bytes[at++];
        if (marker == 0xD9) {
            return frame && scanned;
        }
        if (marker == 0x01) {
            continue;  // a marker without a segment
        }
        if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD8) || at + 2 > size) {
            return false;
        }
        const size_t length = BigEndian(bytes, at, 2);
        if (length < 2 || length > size - at) {
            return false;
        }
        const size_t segment = at + 2;
        const bool frameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
            const size_t components = length >= 8 ? bytes[segment + 5] : 0;
            if (frame || components == 0 || length != 8 + 3 * components ||
                BigEndian(bytes, segment + 3, 2) == 0) {
                return false;
            }
            frame = true;
            info.height = BigEndian(bytes, segment + 1, 2);
            info.width = BigEndian(bytes, segment + 3, 2);
            info.depth = uint32_t{bytes[segment]} * static_cast<uint32_t>(components);
        }
        at += length;
        if (marker != 0xDA) {
            continue;
        }
        const size_t components = length >= 3 ? bytes[segment] : 0;
        if (!frame || components == 0 || components > 4 || length != 6 + 2 * components) {
            return false;
        }
        // The entropy-coded data ends at the first marker that is neither a stuffed 0xFF nor a
        // restart marker.
        while (at + 1 < size &&
               (bytes[at] != 0xFF || bytes[at + 1] == 0x00 || bytes[at + 1] == 0xFF ||
                (bytes[at + 1] >= 0xD0 && bytes[at + 1] <= 0xD7))) {
            at += bytes[at] == 0xFF && bytes[at + 1] != 0xFF ? 2 : 1;
        }
        scanned = true;
    }
}

// Whether `bytes` (which start with the PNG signature) hold a whole PNG stream, and the
// picture's size from its header: chunks that fit in the bytes with their CRCs right, the header
// first, image data that inflates to its end without growing beyond what the header allows, and
// the end chunk. One piece: every step moves the one position through the stream.
bool WalkPng(const std::vector<uint8_t>& bytes, PictureInfo& info) {
    const size_t size = bytes.size();
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return false;
    }
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, inflateEnd);
    std::vector<uint8_t> scratch(64 * 1024);
    uint64_t room = 0;  // how many bytes the image data may inflate to
    bool inflated = false;
    for (size_t at = 8; at + 12 <= size;) {
        const size_t length = BigEndian(bytes, at, 4);
        if (length > size - at - 12) {
            return false;
        }
        const uint32_t type = BigEndian(bytes, at + 4, 4);
        const uint8_t* data = bytes.data() + at + 8;
        const auto crc =
            static_cast<uint32_t>(crc32(0, bytes.data() + at + 4, static_cast<uInt>(length + 4)));
        if (crc != BigEndian(bytes, at + 8 + length, 4)) {
            return false;
        }
        if ((at == 8) != (type == 0x49484452)) {  // IHDR, first and once
            return false;
        }
        if (type == 0x49484452) {
            static constexpr std::array<uint32_t, 7> kChannels = {1, 0, 3, 1, 2, 0, 4};
            const uint8_t bits = length == 13 ? data[8] : 0;
            const uint8_t colour = length == 13 ? data[9] : 0;
            info.width = BigEndian(bytes, at + 8, 4);
            info.height = BigEndian(bytes, at + 12, 4);
            info.depth = colour < kChannels.size() ? bits * kChannels[colour] : 0;
            constexpr uint32_t kMaxSide = 1 << 24;  // far beyond any cover; bounds the room
            if (length != 13 || info.width == 0 || info.height == 0 || info.width > kMaxSide ||
                info.height > kMaxSide || info.depth == 0 || bits == 0 || bits > 16 ||
                (bits & (bits - 1)) != 0) {
                return false;
            }
            // Every row with its filter byte, and room for the interlaced passes' own rows.
            const uint64_t row = (uint64_t{info.width} * info.depth + 7) / 8 + 1;
            room = (row + 8) * info.height * 2;
        } else if (type == 0x49444154) {  // IDAT
            if (inflated) {
                return false;  // image data after the end of the compressed stream
            }
            stream.next_in = const_cast<uint8_t*>(data);
            stream.avail_in = static_cast<uInt>(length);
            while (stream.avail_in > 0 && !inflated) {
                stream.next_out = scratch.data();
                stream.avail_out = static_cast<uInt>(scratch.size());
                const int result = inflate(&stream, Z_NO_FLUSH);
                if ((result != Z_OK && result != Z_STREAM_END) || stream.total_out > room) {
                    return false;
                }
                inflated = result == Z_STREAM_END;
            }
        } else if (type == 0x49454E44) {  // IEND
            return inflated;
        }
        at += 12 + length;
    }
    return false;
}

void Append32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>(value >> shift & 0xFF));
    }
}

void AppendText(std::string& out, const std::string& text) {
    Append32(out, static_cast<uint32_t>(text.size()));
    out += text;
}

std::string Base64(const std::string& in) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    for (size_t i = 0; i < in.size(); i += 3) {
        const size_t left = in.size() - i;
        uint32_t group = uint32_t{static_cast<uint8_t>(in[i])} << 16;
        group |= left > 1 ? uint32_t{static_cast<uint8_t>(in[i + 1])} << 8 : 0;
        group |= left > 2 ? uint32_t{static_cast<uint8_t>(in[i + 2])} : 0;
        out.push_back(kDigits[group >> 18 & 63]);
        out.push_back(kDigits[group >> 12 & 63]);
        out.push_back(left > 1 ? kDigits[group >> 6 & 63] : '=');
        out.push_back(left > 2 ? kDigits[group & 63] : '=');
    }
    return out;
}

}  // namespace

std::optional<PictureInfo> InspectPicture(const std::vector<uint8_t>& bytes) {
    static constexpr std::array<uint8_t, 8> kPngSignature = {0x89, 'P',  'N',  'G',
                                                             0x0D, 0x0A, 0x1A, 0x0A};
    PictureInfo info;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        info.mimeType = "image/jpeg";
        info.extension = ".jpg";
        return WalkJpeg(bytes, info) ? std::optional(info) : std::nullopt;
    }
    if (bytes.size() >= 8 &&
        std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin())) {
        info.mimeType = "image/png";
        info.extension = ".png";
        return WalkPng(bytes, info) ? std::optional(info) : std::nullopt;
    }
    return std::nullopt;
}

std::string FlacPictureBlock(const std::vector<uint8_t>& bytes) {
    const auto info = InspectPicture(bytes);
    if (!info) {
        return {};
    }
    std::string block;
    Append32(block, kFrontCoverType);
    AppendText(block, info->mimeType);
    AppendText(block, "");  // description
    Append32(block, info->width);
    Append32(block, info->height);
    Append32(block, info->depth);
    Append32(block, 0);  // colours of an indexed picture: none told
    AppendText(block, std::string(bytes.begin(), bytes.end()));
    return block;
}

std::string MetadataBlockPicture(const std::vector<uint8_t>& bytes) {
    return Base64(FlacPictureBlock(bytes));
}

}  // namespace disctrove
