// The texts the core library hands to the desktop program (status lines, messages of the
// workers, names of choices). The core has no Qt, so its texts are translated here, in one
// context, as they reach the screen.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace disctrove::ui {

// The translation context of every core text.
inline constexpr const char* kCoreTextContext = "Disctrove";

// `text` in the user's language; `text` itself (read as UTF-8) when it has no translation,
// as a message that the core built from parts has.
QString CoreText(const char* text);
QString CoreText(std::string_view text);

}  // namespace disctrove::ui
