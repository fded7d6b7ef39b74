#include "lookup/query_command.h"

namespace zendalo {

// The lookup itself is not wired in yet; the click already arrives here.
void OnQueryClicked() {}

}  // namespace zendalo
