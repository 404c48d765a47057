#pragma once

#include <string>
#include <unordered_set>

namespace plovane {

// The program's own identifiers: its application id and the ".quick" form of it.
const std::unordered_set<std::string>& selfBundleIDs();

} // namespace plovane
