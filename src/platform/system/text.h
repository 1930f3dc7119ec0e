// Text helpers shared by the layers: case-blind comparison and UTF-8 aware cutting.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace disctrove::platform {

// Compares ignoring the case of ASCII letters; other bytes must be equal.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The longest prefix of `text` with at most `maxChars` UTF-8 characters.
std::string_view Utf8PrefixByChars(std::string_view text, size_t maxChars);

// The longest prefix of `text` with at most `maxBytes` bytes that does not end inside a UTF-8
// character.
std::string_view Utf8PrefixByBytes(std::string_view text, size_t maxBytes);

// `text` with every control character (C0, DEL, and C1 as UTF-8 encodes it) replaced by a
// space: names from a server never break a line-based output or reach a terminal as a command.
std::string WithoutControls(std::string_view text);

// `value` printed as "%02d": at least two digits, zero-padded.
std::string TwoDigits(int value);

// `time` in the local time zone as "YYYY-MM-DD HH:MM:SS".
std::string LocalDateTimeText(std::time_t time);

}  // namespace disctrove::platform
