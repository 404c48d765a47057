#include "hud/HUDActions.h"

namespace plovane {

namespace {
HUDActions* installedDelegate = nullptr;
}

HUDActions* HUDActions::delegate() { return installedDelegate; }

void HUDActions::setDelegate(HUDActions* actions) { installedDelegate = actions; }

} // namespace plovane
