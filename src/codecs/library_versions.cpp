#include "codecs/library_versions.h"

#include <vorbis/codec.h>

#include "codecs/mp3_encoder.h"
#include "platform/lame/lame_library.h"

namespace disctrove {

std::string LameVersion(std::string& problem) {
    platform::LameLibrary::LoadError error = platform::LameLibrary::LoadError::none;
    std::string reason;
    const auto lame = platform::LameLibrary::Load(error, reason);
    if (!lame) {
        problem = error == platform::LameLibrary::LoadError::missingFunction
                      ? std::string(kLameBindingMessage)
                      : reason;
        return {};
    }
    platform::BeVersion version;
    lame->beVersion(&version);
    return version.text;
}

std::string VorbisVersion() {
    const char* text = vorbis_version_string();
    return text != nullptr ? text : "";
}

}  // namespace disctrove
