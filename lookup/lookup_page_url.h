// The lookup page the program asks: compiled into each program, never read at run time.
#pragma once

#include "support/text/text.h"

namespace zendalo {

extern const Text LookupPageUrl;

}  // namespace zendalo
