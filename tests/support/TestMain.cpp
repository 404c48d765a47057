// Shared main of every test executable. Each test process gets its own empty HOME and
// XDG folders, removed again at exit, so tests never touch the user's files and can
// run in parallel.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace {

// Whether the locale the environment names is there and encodes UTF-8.
bool environmentIsUtf8()
{
    const locale_t loc = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (!loc)
        return false;
    const bool utf8 = std::strcmp(::nl_langinfo_l(CODESET, loc), "UTF-8") == 0;
    ::freelocale(loc);
    return utf8;
}

} // namespace

int main(int argc, char** argv)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/plovane-test-XXXXXX";
    const char* root = ::mkdtemp(pattern.data());
    if (!root) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string base = root;
    for (auto [var, sub] : {std::pair{"HOME", "home"}, {"XDG_CONFIG_HOME", "home/.config"},
                            {"XDG_DATA_HOME", "home/.local/share"}, {"XDG_CACHE_HOME", "home/.cache"},
                            {"XDG_RUNTIME_DIR", "runtime"}}) {
        const std::string dir = base + "/" + sub;
        std::filesystem::create_directories(dir);
        ::setenv(var, dir.c_str(), 1);
    }
    std::filesystem::permissions(base + "/runtime", std::filesystem::perms::owner_all);
    ::setenv("TZ", "UTC", 0);
    // Texts reach the programs a test starts as UTF-8, also where no locale is set.
    if (!environmentIsUtf8()) {
        ::unsetenv("LC_ALL");
        ::setenv("LANG", "C.UTF-8", 1);
        if (std::getenv("LC_CTYPE"))
            ::setenv("LC_CTYPE", "C.UTF-8", 1);
    }
    // The desktop's own fonts in place of the pinned ones, for the runs that check what must
    // hold on any desktop.
    if (plovane::test::desktopFonts()) {
        const char* desktop = std::getenv("PLOVANE_DESKTOP_FONTCONFIG");
        if (!desktop || !*desktop) {
            std::fprintf(stderr, "no desktop font configuration: run inside scripts/test-desktop.sh\n");
            return 77;
        }
        ::setenv("FONTCONFIG_FILE", desktop, 1);
    }

    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();

    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    return rc;
}
