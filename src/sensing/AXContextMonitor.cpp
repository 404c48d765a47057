#include "sensing/AXContextMonitor.h"

#include "platform/AccessibilitySource.h"
#include "sensing/TextUtil.h"

#include <array>

namespace plovane {

const AXContextSnapshot& AXContextSnapshot::unavailable()
{
    static const AXContextSnapshot value{};
    return value;
}

namespace {

std::optional<std::string> stringValue(const AccessibleElement* element, std::string_view attribute)
{
    if (!element)
        return std::nullopt;
    return element->stringAttribute(attribute);
}

// The first label attribute that is not blank, returned untrimmed.
std::string bestLabel(const AccessibleElement* element)
{
    static constexpr std::array kLabelAttributes{ax::kTitle, ax::kDescription, ax::kPlaceholderValue, ax::kHelp};
    if (!element)
        return {};
    for (auto attribute : kLabelAttributes) {
        auto value = element->stringAttribute(attribute);
        if (value && !isBlank(*value))
            return *value;
    }
    return {};
}

} // namespace

AXContextSnapshot AXContextMonitor::snapshot(const std::string& bundleID)
{
    if (!source_.isTrusted())
        return AXContextSnapshot::unavailable();
    auto app = source_.focusedApplication();
    if (!app)
        return AXContextSnapshot::unavailable();

    const auto window = app->focusedWindow();
    const auto element = app->focusedElement();

    AXContextSnapshot result;
    result.accessibilityTrusted = true;
    result.windowTitle = stringValue(window.get(), ax::kTitle).value_or("");
    result.focusedRole = stringValue(element.get(), ax::kRole).value_or("");
    result.focusedLabel = bestLabel(element.get());

    // An empty selection is an answer: the value is read only when there is no selection
    // attribute at all.
    if (auto selected = stringValue(element.get(), ax::kSelectedText))
        result.selectedText = std::move(*selected);
    else
        result.selectedText = stringValue(element.get(), ax::kValue).value_or("");

    if (!result.focusedLabel.empty())
        result.inputFieldHint = result.focusedLabel;
    else
        result.inputFieldHint = stringValue(element.get(), ax::kPlaceholderValue).value_or("");

    result.lastInputFieldDescriptor = "bundle=" + bundleID + "|window=" + result.windowTitle +
                                      "|role=" + result.focusedRole + "|label=" + result.inputFieldHint;
    return result;
}

} // namespace plovane
