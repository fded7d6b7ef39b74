#include "server/gbk.h"

#include <unicode/locid.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <memory>

namespace zendalo {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    // Ill-formed UTF-8 turns into U+FFFD here, which GBK cannot hold either.
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));

    UErrorCode status = U_ZERO_ERROR;
    // A converter per call: converters are not safe to share between the serving threads.
    const Converter gbk(ucnv_open("GBK", &status));
    if (U_FAILURE(status)) return std::string(static_cast<std::size_t>(text.length()), '?');
    ucnv_setSubstChars(gbk.get(), "?", 1, &status);

    std::string out(static_cast<std::size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(text.length(), ucnv_getMaxCharSize(gbk.get()))), '\0');
    status = U_ZERO_ERROR;
    const int32_t length = ucnv_fromUChars(gbk.get(), out.data(), static_cast<int32_t>(out.size()), text.getBuffer(),
                                           text.length(), &status);
    if (U_FAILURE(status)) return std::string(static_cast<std::size_t>(text.length()), '?');
    out.resize(static_cast<std::size_t>(length));
    return out;
}

std::string ChineseCountryName(std::string_view code) {
    if (code.size() != 2 || !IsAsciiLetter(code[0]) || !IsAsciiLetter(code[1])) return {};
    const std::string region{static_cast<char>(code[0] & ~0x20), static_cast<char>(code[1] & ~0x20)};
    icu::UnicodeString name;
    icu::Locale("", region.c_str()).getDisplayCountry(icu::Locale("zh", "CN"), name);
    // ICU answers with the code itself when it has no name for it.
    if (name.isBogus() || name.isEmpty() || name == icu::UnicodeString::fromUTF8(region)) return {};
    std::string utf8;
    name.toUTF8String(utf8);
    return utf8;
}

}  // namespace zendalo
