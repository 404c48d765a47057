#pragma once

#include "settings/RawValue.h"

#include <set>
#include <span>

namespace plovane {

// The health conditions of a desk worker that the user can choose to watch. The raw
// texts are the case names; they are what the settings store keeps.
enum class AchillesTarget {
    // body area 1: spine and neck
    discHerniation,
    muscleStrain,
    cervicalReversal,
    neckStrain,
    // body area 2: eyes
    dryEye,
    retinalFatigue,
    pseudoMyopia,
    // body area 3: veins
    varicoseVeins,
    dvtRisk,
    venousPooling,
    // body area 4: legs
    glutealAmnesia,
    kneeStiffness,
    calfCramp,
};

template <>
struct RawValues<AchillesTarget> {
    static constexpr std::array<std::string_view, 13> texts{
        "discHerniation", "muscleStrain", "cervicalReversal", "neckStrain",   "dryEye",
        "retinalFatigue", "pseudoMyopia", "varicoseVeins",    "dvtRisk",      "venousPooling",
        "glutealAmnesia", "kneeStiffness", "calfCramp"};
};

// A choice of targets, iterated in declaration order.
using AchillesTargetSet = std::set<AchillesTarget>;

// The targets fall, in declaration order, into four body areas of 4, 3, 3 and 3.
inline constexpr int kBodyAreaCount = 4;

// The body area of a target, 1 to 4.
constexpr int bodyArea(AchillesTarget target)
{
    const auto i = static_cast<int>(target);
    return i < 4 ? 1 : i < 7 ? 2 : i < 10 ? 3 : 4;
}

// The targets of body area `area` (1 to 4) in declaration order; empty for any other number.
std::span<const AchillesTarget> targetsInArea(int area);

} // namespace plovane
