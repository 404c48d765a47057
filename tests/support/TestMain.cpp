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
#include <unistd.h>

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

// CTest shows nothing of a test it counts as skipped: outside the private test desktop,
// where tests skip for want of it, each says why on the terminal CTest runs in. (Run by
// hand in a terminal, the test's own output says it already.)
void sayWhySkippedOnTerminal(const std::string& name, const std::string& why)
{
    if (plovane::test::insideTestDesktop() || ::isatty(STDOUT_FILENO))
        return;
    if (FILE* tty = std::fopen("/dev/tty", "w")) {
        std::fprintf(tty, "%s: skipped: %s\n", name.c_str(), why.c_str());
        std::fclose(tty);
    }
}

class SkipReasonOnTerminal : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        const auto* result = info.result();
        for (int i = 0; result->Skipped() && i < result->total_part_count(); ++i)
            if (result->GetTestPartResult(i).skipped())
                sayWhySkippedOnTerminal(std::string(info.test_suite_name()) + "." + info.name(),
                                        result->GetTestPartResult(i).message());
    }
};

} // namespace

int main(int argc, char** argv)
{
    // The desktop's own fonts in place of the pinned ones, for the runs that check what must
    // hold on any desktop. Checked before the test's folder is made, so a skip leaves none.
    if (plovane::test::desktopFonts()) {
        const char* desktop = std::getenv("PLOVANE_DESKTOP_FONTCONFIG");
        if (!desktop || !*desktop) {
            const char* why = "no desktop font configuration: run it inside scripts/test-desktop.sh";
            std::fprintf(stderr, "%s\n", why);
            sayWhySkippedOnTerminal("DesktopFonts", why);
            return 77;
        }
        ::setenv("FONTCONFIG_FILE", desktop, 1);
    }

    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/plovane-test-XXXXXX";
    const char* root = ::mkdtemp(pattern.data());
    if (!root) {
        std::perror("mkdtemp");
        return 2;
    }
    // Removed at exit, after the settings that tests leave behind have been flushed by their
    // destructors (they were made after this was registered), and on every way out of main;
    // not by a child a test forked that ends through exit().
    static const std::string base = root;
    static const pid_t owner = ::getpid();
    std::atexit([] {
        std::error_code ec;
        if (::getpid() == owner)
            std::filesystem::remove_all(base, ec);
    });
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
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new SkipReasonOnTerminal);
    return RUN_ALL_TESTS();
}
