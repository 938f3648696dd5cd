// UTF-16 of the device and UTF-8 of the host, both ways; bad sequences become U+FFFD.
#pragma once
#include <string>
#include <string_view>

namespace pk {

std::string utf8(std::u16string_view text);
std::u16string utf16(std::string_view text);

}  // namespace pk
