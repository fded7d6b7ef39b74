// Lets GoogleTest show Text and ByteSet values as their bytes when an expectation fails.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/text/text.h"

namespace zendalo {

inline void PrintTo(const Text& text, std::ostream* out) {
    *out << ::testing::PrintToString(std::string(text.View()));
}

inline void PrintTo(const ByteSet& bytes, std::ostream* out) {
    *out << ::testing::PrintToString(std::string(bytes.Bytes().begin(), bytes.Bytes().end()));
}

}  // namespace zendalo
