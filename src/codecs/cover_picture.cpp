#include "codecs/cover_picture.h"

#include <algorithm>
#include <array>

namespace disctrove {

namespace {

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = value << 8 | bytes[at + i];
    }
    return value;
}

// Width, height and depth from the first frame header (SOFn) of a JPEG picture.
void ReadJpegHeader(const std::vector<uint8_t>& bytes, PictureInfo& info) {
    size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) {
            return;  // not where a marker belongs: the header is damaged
        }
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;  // markers without a segment
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return;  // the image data starts before any frame header
        }
        const size_t length = BigEndian(bytes, at + 2, 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 8 && at + 10 <= bytes.size()) {
            info.height = BigEndian(bytes, at + 5, 2);
            info.width = BigEndian(bytes, at + 7, 2);
            info.depth = uint32_t{bytes[at + 4]} * bytes[at + 9];
            return;
        }
        at += 2 + length;
    }
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
    if (bytes.size() >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        info.mimeType = "image/jpeg";
        info.extension = ".jpg";
        ReadJpegHeader(bytes, info);
        return info;
    }
    if (bytes.size() >= 8 &&
        std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin())) {
        info.mimeType = "image/png";
        info.extension = ".png";
        // The IHDR chunk comes first: width, height, bit depth, colour type.
        if (bytes.size() >= 26 && BigEndian(bytes, 12, 4) == 0x49484452) {
            info.width = BigEndian(bytes, 16, 4);
            info.height = BigEndian(bytes, 20, 4);
            static constexpr std::array<uint32_t, 7> kChannels = {1, 0, 3, 1, 2, 0, 4};
            const uint8_t type = bytes[25];
            info.depth = type < kChannels.size() ? bytes[24] * kChannels[type] : 0;
        }
        return info;
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
