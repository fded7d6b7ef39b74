// Conversions into the page's code page 936 (GBK), and country names from ICU's locale data.
#pragma once

#include <string>
#include <string_view>

namespace zendalo {

// `utf8` as GBK bytes. A character GBK cannot hold, and a byte sequence that is not UTF-8,
// becomes "?"; the result is always well-formed GBK.
std::string Utf8ToGbk(std::string_view utf8);

// The Simplified Chinese name (UTF-8) of the country with the ISO 3166 code `code` ("JP" ->
// "日本"), or empty when the code is not two letters or ICU does not know it.
std::string ChineseCountryName(std::string_view code);

}  // namespace zendalo
