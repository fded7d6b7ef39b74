// libFuzzer target: the text operations and the cut against straightforward reference versions
// that follow the character rule step by step, on any bytes, under ASan and UBSan.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "lookup/text_between.h"
#include "support/text/text.h"

namespace {

using zendalo::Text;

unsigned char Fold(unsigned char b) { return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 32) : b; }

bool EqualAt(std::string_view text, std::size_t at, std::string_view sought, bool ignoreCase) {
    for (std::size_t i = 0; i < sought.size(); ++i) {
        auto a = static_cast<unsigned char>(text[at + i]);
        auto b = static_cast<unsigned char>(sought[i]);
        if (ignoreCase ? Fold(a) != Fold(b) : a != b) return false;
    }
    return true;
}

std::int32_t ReferenceFind(std::string_view text, std::string_view sought, std::int32_t start, bool ignoreCase) {
    const std::size_t offset = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (offset >= text.size()) return -1;
    if (sought.empty()) return 1;
    for (std::size_t at = offset; at < text.size() && text.size() - at >= sought.size();
         at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1) {
        if (EqualAt(text, at, sought, ignoreCase)) return static_cast<std::int32_t>(at + 1);
    }
    return -1;
}

std::string ReferenceReplace(std::string_view text, std::string_view subtext, std::string_view replacement,
                             std::int32_t start, std::int32_t count, bool caseSensitive) {
    const std::size_t offset = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (text.empty() || subtext.empty() || offset >= text.size() || count == 0) return std::string(text);
    std::string result(text.substr(0, offset));
    std::size_t at = offset;
    std::int32_t left = count;
    while (text.size() - at >= subtext.size()) {
        if (EqualAt(text, at, subtext, !caseSensitive)) {
            result += replacement;
            at += subtext.size();
            if (left > 0 && --left == 0) break;
        } else {
            const std::size_t width = static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
            const std::size_t taken = std::min(width, text.size() - at);
            result += text.substr(at, taken);
            at += taken;
        }
    }
    result += text.substr(at);
    return result;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

// Reads the input as: flags, start position, count, then three zero-separated texts.
struct Input {
    std::uint8_t flags = 0;
    std::int32_t start = 0;
    std::int32_t count = 0;
    std::string parts[3];
};

Input Parse(const std::uint8_t* data, std::size_t size) {
    Input input;
    if (size < 9) return input;
    input.flags = data[0];
    std::memcpy(&input.start, data + 1, 4);
    std::memcpy(&input.count, data + 5, 4);
    std::string_view rest(reinterpret_cast<const char*>(data + 9), size - 9);
    for (auto& part : input.parts) {
        const std::size_t zero = rest.find('\0');
        part = rest.substr(0, zero);
        rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
    }
    // Small start positions and counts reach the interesting cases more often.
    if ((input.flags & 4) == 0) input.start %= 8;
    if ((input.flags & 8) == 0) input.count %= 4;
    return input;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Input input = Parse(data, size);
    const bool flag = (input.flags & 1) != 0;
    const Text text(input.parts[0]);
    const Text sought(input.parts[1]);
    const Text replacement(input.parts[2]);

    Require(zendalo::FindText(text, sought, input.start, flag) ==
            ReferenceFind(text.View(), sought.View(), input.start, flag));
    Require(zendalo::ReplaceSubtext(text, sought, replacement, input.start, input.count, flag).View() ==
            ReferenceReplace(text.View(), sought.View(), replacement.View(), input.start, input.count, flag));

    Text left = sought;
    Text right = replacement;
    const Text piece = zendalo::TextBetween(text, left, right, input.start, flag);
    Require(piece.Empty() || text.View().find(piece.View()) != std::string_view::npos);
    Require(zendalo::TextLeft(text, input.count).Size() <= text.Size());
    Require(zendalo::TextRight(text, input.count).Size() <= text.Size());
    return 0;
}
