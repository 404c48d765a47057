// Shared main of every test executable. Each test process gets its own empty HOME and
// XDG folders, removed again at exit, so tests never touch the user's files and can
// run in parallel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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

    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();

    std::error_code ec;
    std::filesystem::remove_all(base, ec);
    return rc;
}
