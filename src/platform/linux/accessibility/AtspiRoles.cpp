#include "platform/linux/accessibility/AtspiRoles.h"

#include <array>
#include <cctype>
#include <utility>

namespace plovane {

namespace {

constexpr std::array<std::string_view, 5> kSingleOrMultiLine{"text", "entry", "password text", "editbar", "spin button"};

constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kFixed{{
    {"terminal", "AXTextArea"},
    {"document text", "AXTextArea"},
    {"document frame", "AXTextArea"},
    {"paragraph", "AXTextArea"},
    {"password text", "AXTextField"},
    {"push button", "AXButton"},
    {"toggle button", "AXCheckBox"},
    {"check box", "AXCheckBox"},
    {"radio button", "AXRadioButton"},
    {"frame", "AXWindow"},
    {"window", "AXWindow"},
    {"dialog", "AXWindow"},
    {"combo box", "AXComboBox"},
    {"page tab", "AXTab"},
}};

} // namespace

bool isAtspiTextInputRole(std::string_view roleName)
{
    for (auto role : kSingleOrMultiLine)
        if (role == roleName)
            return true;
    return false;
}

std::string axRoleForAtspiRole(std::string_view roleName, bool multiLine)
{
    if (roleName.empty())
        return {};
    if (isAtspiTextInputRole(roleName) && roleName != "password text")
        return multiLine ? "AXTextArea" : "AXTextField";
    for (const auto& [atspi, ax] : kFixed)
        if (atspi == roleName)
            return std::string(ax);
    std::string out = "AX";
    bool upper = true;
    for (char c : roleName) {
        if (c == ' ' || c == '-' || c == '_') {
            upper = true;
            continue;
        }
        out.push_back(upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c);
        upper = false;
    }
    return out;
}

} // namespace plovane
