#pragma once

#include "platform/KnownApplication.h"

#include <string_view>
#include <vector>

namespace plovane {

// Every terminal the program knows, one row each. The work tools, the terminal surface of
// IDE sensing and the desktop's application identities all read these rows, so a terminal
// added here is a work tool, a terminal surface and recognised on the desktop at once.
const std::vector<KnownApplication>& knownTerminals();

// Whether an application identifier is one of the known terminals (exact, letter case
// included).
bool isKnownTerminal(std::string_view bundleID);

} // namespace plovane
