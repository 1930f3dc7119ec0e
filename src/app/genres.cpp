#include "app/genres.h"

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

std::string_view StandardGenreName(size_t position) {
    switch (position) {
        case 40:
            return "AlternRock";
        case 46:
            return "Instrumental Pop";
        case 47:
            return "Instrumental Rock";
        case 51:
            return "Techno-Industrial";
        default:
            return position < GenreNames.size() ? GenreNames[position] : std::string_view{};
    }
}

}  // namespace disctrove
