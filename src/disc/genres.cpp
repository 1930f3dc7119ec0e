#include "disc/genres.h"

#include "platform/system/text.h"

namespace disctrove {

int32_t LookupGenre(std::string_view name) {
    for (size_t i = 0; i < GenreNames.size(); ++i) {
        if (platform::EqualsIgnoringCase(GenreNames[i], name)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

std::string_view GenreNameOf(int32_t genre) {
    return genre >= 1 && genre <= static_cast<int32_t>(GenreNames.size())
               ? GenreNames[static_cast<size_t>(genre - 1)]
               : std::string_view{};
}

}  // namespace disctrove
