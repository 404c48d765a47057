#pragma once

#include <string_view>

namespace plovane {

// Runs one command through sway's command socket ($SWAYSOCK), as swaymsg would, and waits
// briefly for the answer. Sway manages X11 windows without reading all they ask of a
// window manager (which workspaces to show on); there, such requests go this way instead.
// False outside sway, or when sway refused or did not answer.
bool runSwayCommand(std::string_view command);

} // namespace plovane
