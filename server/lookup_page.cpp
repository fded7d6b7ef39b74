#include "server/lookup_page.h"

#include "server/gbk.h"

namespace zendalo {

std::string HtmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? ' ' : c;
        }
    }
    return out;
}

std::string LookupPage(std::string_view address, std::string_view region) {
    // Nothing before the address holds a "[" or "来自：": a reader takes the first of each.
    std::string page =
        "<!DOCTYPE html>\n"
        "<html lang=\"zh-CN\"><head><meta charset=\"gbk\"><title>公网地址</title></head>\n"
        "<body><center>您的公网地址：[";
    page += HtmlText(address);
    page += "]</center>\n<center>来自：";
    page += HtmlText(region);
    page += "</center></body></html>\n";
    return Utf8ToGbk(page);
}

}  // namespace zendalo
