// Text of the device (UTF-16) and of the host (UTF-8).
#pragma once
#include <string>
#include <string_view>

namespace pk {

// Lone surrogates and malformed bytes become U+FFFD.
std::string utf8(std::u16string_view text);
std::u16string utf16(std::string_view text);

}  // namespace pk
