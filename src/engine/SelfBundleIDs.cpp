#include "engine/SelfBundleIDs.h"

#include "platform/AppIdentity.h"

namespace plovane {

const std::unordered_set<std::string>& selfBundleIDs()
{
    static const std::unordered_set<std::string> ids{std::string(kAppIdentifier),
                                                     std::string(kAppIdentifier) + ".quick"};
    return ids;
}

} // namespace plovane
