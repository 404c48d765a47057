#include "settings/AchillesTarget.h"

namespace plovane {
namespace {

constexpr auto kAllTargets = allCases<AchillesTarget>();

} // namespace

std::span<const AchillesTarget> targetsInArea(int area)
{
    static constexpr int starts[kBodyAreaCount + 1] = {0, 4, 7, 10, 13};
    if (area < 1 || area > kBodyAreaCount)
        return {};
    const std::span<const AchillesTarget> all{kAllTargets};
    return all.subspan(starts[area - 1], starts[area] - starts[area - 1]);
}

} // namespace plovane
