#pragma once

#include "windows/SecondaryWindow.h"
#include "windows/WindowEnvironment.h"

#include <memory>

namespace plovane {

class DiveEngine;

// The two windows the menus open. Each is built with a fresh content view and a title
// in the language of the moment (it keeps that title), centred, shown and activated.
std::unique_ptr<SecondaryWindow> openDrainSettingsWindow(WindowEnvironment env = {});
std::unique_ptr<SecondaryWindow> openDailyReportWindow(DiveEngine& engine, WindowEnvironment env = {});

inline constexpr QSize kDrainSettingsSize{420, 480};
inline constexpr QSize kDailyReportSize{320, 520};
inline constexpr QSize kFirstRunSetupSize{540, 360};

} // namespace plovane
