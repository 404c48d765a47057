#include "app/SystemSound.h"

#include "platform/AppIdentity.h"
#include "platform/Log.h"

#include <canberra.h>

#include <string>

namespace plovane {

SystemSound::SystemSound(std::string eventId, std::function<void()> fallback)
    : eventId_(std::move(eventId)), fallback_(std::move(fallback))
{
}

SystemSound::~SystemSound()
{
    if (context_)
        ca_context_destroy(context_);
}

bool SystemSound::play()
{
    if (!context_ && !unavailable_) {
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            unavailable_ = true;
        } else {
            const std::string id(kAppIdentifier);
            const std::string name(kAppName);
            ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, name.c_str(), CA_PROP_APPLICATION_ID,
                                    id.c_str(), nullptr);
        }
    }
    int rc = CA_ERROR_NOTAVAILABLE;
    if (context_)
        rc = ca_context_play(context_, 0, CA_PROP_EVENT_ID, eventId_.c_str(), nullptr);
    if (rc == CA_SUCCESS)
        return true;
    if (fallback_)
        fallback_();
    return false;
}

} // namespace plovane
