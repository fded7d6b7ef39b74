// The lookup page: a small HTML page in code page 936 that holds the caller's address between
// "[" and "]" and its region between "来自：" and the "</c" of the closing tag after it.
#pragma once

#include <string>
#include <string_view>

namespace zendalo {

// `text` safe inside an HTML element: markup characters become character references and control
// characters blanks, so it can neither end the element early nor hold the "</c" that ends the
// region, nor a zero byte that would end the page for a reader that stops there. Works on UTF-8
// byte by byte: no byte of a multi-byte character is below 0x80.
std::string HtmlText(std::string_view text);

// The page (code page 936 bytes) for `address` (its canonical text) and `region` (UTF-8).
std::string LookupPage(std::string_view address, std::string_view region);

}  // namespace zendalo
