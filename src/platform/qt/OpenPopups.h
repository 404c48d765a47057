#pragma once

namespace plovane {

// Closes every open menu and popup of ours, innermost first.
void closeOpenPopups();

} // namespace plovane
