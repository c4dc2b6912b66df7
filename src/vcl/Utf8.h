// UTF-8 for the class library's wide strings. Code points are taken as they come,
// surrogates included, so that any sequence of UTF-16 units survives a round trip.
#pragma once

#include <string>
#include <string_view>

std::string Utf8Encode(std::u32string_view codePoints);

// Lenient: a byte that starts no well-formed sequence decodes as the code point of its
// own value, so every input decodes.
std::u32string Utf8Decode(std::string_view utf8);
