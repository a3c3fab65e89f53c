#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelmar {

// Windows-1252, the single-byte code page of tariff texts. Texts are held as bytes exactly
// as in the file and converted only where they meet the screen or the user. Every byte
// value round-trips: the five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the control characters of the same number.
std::string Cp1252AUtf8(std::string_view bytes);
// UTF-8 to Windows-1252; a character the code page cannot hold, and any malformed
// UTF-8 sequence, becomes "?".
std::string Utf8ACp1252(std::string_view utf8);
// UTF-8 to Windows-1252 where nothing may be lost: nothing when some character cannot be
// held or the UTF-8 is malformed (the bytes would not read back as the text given).
std::optional<std::string> Utf8ACp1252Exacto(std::string_view utf8);

}  // namespace quelmar
