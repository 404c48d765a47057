#include "settings/AppLanguage.h"

#include "platform/UserDefaults.h"

namespace plovane {
AppLanguage& AppLanguage::shared()
{
    static AppLanguage instance{UserDefaults::standardShared()};
    return instance;
}

AppLanguage::AppLanguage(std::shared_ptr<UserDefaults> defaults)
    : AppLanguage(*defaults)
{
    keepAlive_ = std::move(defaults);
}

AppLanguage::AppLanguage(UserDefaults& defaults)
    : defaults_(defaults)
{
    // A first launch, or anything but an exact "zh"/"en", starts in Chinese.
    const auto stored = defaults_.stringForKey(kDefaultsKey).value_or("zh");
    language.setSilently(fromRaw<Language>(stored).value_or(Language::zh));
}

void AppLanguage::toggle()
{
    language = language.get() == Language::zh ? Language::en : Language::zh;
    defaults_.setString(kDefaultsKey, std::string(rawValue(language.get())));
}

std::string_view AppLanguage::toggleLabel() const
{
    return isZh() ? "EN" : "中";
}

} // namespace plovane
