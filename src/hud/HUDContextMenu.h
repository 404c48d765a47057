#pragma once

#include "hud/HUDMenuActions.h"
#include "hud/HUDTexts.h"

#include <QPoint>

class QWidget;

namespace plovane {

// The HUD's right-click menu: built afresh from the current state each time it opens,
// each item running its callback from the actions it was given.
class HUDContextMenu {
public:
    // Empty callbacks do nothing, except an empty `quit`, which ends the event loop.
    explicit HUDContextMenu(HUDMenuActions actions);

    // Runs the menu at `globalPos`; returns when it closes, telling whether an item was
    // chosen.
    bool exec(const hud::MenuInputs& inputs, QPoint globalPos, QWidget* parent = nullptr) const;

    const HUDMenuActions& actions() const { return actions_; }

private:
    HUDMenuActions actions_;
};

} // namespace plovane
