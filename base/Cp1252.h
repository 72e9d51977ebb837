#pragma once
// Windows code page 1252, the encoding of every text at the public C interfaces.

#include <string>
#include <string_view>

namespace base {

std::string utf8ParaCp1252(std::string_view utf8);   // unmappable characters become '?'
std::string cp1252ParaUtf8(std::string_view cp1252); // the five unassigned bytes become U+FFFD

} // namespace base
