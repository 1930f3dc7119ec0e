// The genre list: the ID3 version 1 genres 0 to 79 in their standard order.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace disctrove {

// Four names are shortened as they were in the first ID3 tools: 40 "Altern Rock", 46 "Inst. Pop",
// 47 "Instrum. Rock", 51 "Techno-Indus"; 67 keeps the spelling "Psychadelic".
// The settings' Genre holds 1 + a position in this list, and 0 for no genre.
inline constexpr std::array<std::string_view, 80> GenreNames = {
    "Blues",       "Classic Rock",  "Country",       "Dance",        "Disco",
    "Funk",        "Grunge",        "Hip-Hop",       "Jazz",         "Metal",
    "New Age",     "Oldies",        "Other",         "Pop",          "R&B",
    "Rap",         "Reggae",        "Rock",          "Techno",       "Industrial",
    "Alternative", "Ska",           "Death Metal",   "Pranks",       "Soundtrack",
    "Euro-Techno", "Ambient",       "Trip-Hop",      "Vocal",        "Jazz+Funk",
    "Fusion",      "Trance",        "Classical",     "Instrumental", "Acid",
    "House",       "Game",          "Sound Clip",    "Gospel",       "Noise",
    "Altern Rock", "Bass",          "Soul",          "Punk",         "Space",
    "Meditative",  "Inst. Pop",     "Instrum. Rock", "Ethnic",       "Gothic",
    "Darkwave",    "Techno-Indus",  "Electronic",    "Pop-Folk",     "Eurodance",
    "Dream",       "Southern Rock", "Comedy",        "Cult",         "Gangsta",
    "Top 40",      "Christian Rap", "Pop/Funk",      "Jungle",       "Native American",
    "Cabaret",     "New Wave",      "Psychadelic",   "Rave",         "Showtunes",
    "Trailer",     "Lo-Fi",         "Tribal",        "Acid Punk",    "Acid Jazz",
    "Polka",       "Retro",         "Musical",       "Rock & Roll",  "Hard Rock",
};

// Position of the first genre whose name equals `name` ignoring case, or -1 when none does, so
// that LookupGenre(name) + 1 is the Genre setting of that name (0, no genre, for an unknown one).
int32_t LookupGenre(std::string_view name);

// The name at `position` of GenreNames as the genre lists of the options show it: the four
// shortened names in their standard spelling ("AlternRock", "Instrumental Pop", "Instrumental
// Rock", "Techno-Industrial"); "" for a position outside the list.
std::string_view StandardGenreName(size_t position);

// The name of a Genre setting value (1 to 80), or "" for no genre or a value outside the list.
std::string_view GenreNameOf(int32_t genre);

}  // namespace disctrove
