// The front cover as the tagged formats carry it: the FLAC picture block, which FLAC files hold
// as it is and Vorbis comments (Ogg Vorbis, Opus) hold in base64 as METADATA_BLOCK_PICTURE.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disctrove {

struct PictureInfo {
    const char* mimeType = "";   // "image/jpeg" or "image/png"
    const char* extension = "";  // ".jpg" or ".png"
    // From the picture's header; 0 where the header does not tell.
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;  // bits per pixel
};

// What the picture is; nothing when it is no whole JPEG or PNG picture (its structure is walked
// to its end, so a server's error page behind a picture's first bytes is none).
std::optional<PictureInfo> InspectPicture(const std::vector<uint8_t>& bytes);

// The picture type of a front cover in FLAC and ID3v2.
inline constexpr uint32_t kFrontCoverType = 3;

// The body of a FLAC PICTURE block holding `bytes` as the front cover, without description;
// empty when the bytes are no JPEG or PNG picture.
std::string FlacPictureBlock(const std::vector<uint8_t>& bytes);

// The value of a METADATA_BLOCK_PICTURE comment: that block in base64.
std::string MetadataBlockPicture(const std::vector<uint8_t>& bytes);

}  // namespace disctrove
