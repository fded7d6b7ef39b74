#include "lookup/text_between.h"

namespace zendalo {

const Text kQuotePlaceholder = "#引号";

namespace {

const Text kDoubleQuote = "\"";

void ExpandQuotePlaceholders(Text& marker) {
    if (FindText(marker, kQuotePlaceholder, 1, false) == -1) return;
    marker = ReplaceSubtext(marker, kQuotePlaceholder, kDoubleQuote, 1, kNoLimit, true);
}

}  // namespace

Text TextBetween(const Text& fullText, Text& leftMarker, Text& rightMarker, std::int32_t startPosition,
                 bool caseSensitive) {
    ExpandQuotePlaceholders(leftMarker);
    ExpandQuotePlaceholders(rightMarker);
    const bool ignoreCase = !caseSensitive;

    const std::int32_t left = FindText(fullText, leftMarker, startPosition, ignoreCase);
    if (left == -1) return {};

    // Bytes after the left marker's occurrence: never negative, since the marker was found whole.
    const std::int32_t restLength = TextLength(fullText) - left - TextLength(leftMarker) + 1;
    const Text rest = TextRight(fullText, restLength);

    const std::int32_t right = FindText(rest, rightMarker, startPosition, ignoreCase);
    if (right == -1) return {};
    return TextLeft(rest, right - 1);
}

}  // namespace zendalo
