#pragma once

#include <string>
#include <string_view>

namespace plovane {

// Maps an AT-SPI role name ("text", "push button", "terminal") onto the role names the
// focus context reads ("AXTextField", "AXButton", "AXTextArea"). Text inputs are a field
// or an area by their line states; any other role becomes "AX" + its words capitalised.
std::string axRoleForAtspiRole(std::string_view roleName, bool multiLine);

// Whether an AT-SPI role name is a text input, whose line states decide its role.
bool isAtspiTextInputRole(std::string_view roleName);

} // namespace plovane
