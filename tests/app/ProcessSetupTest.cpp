#include "app/AccessibilityBus.h"
#include "app/InstanceLock.h"
#include "app/ProcessSetup.h"
#include "app/ShowRequests.h"
#include "app/TerminationSignals.h"

#include "TestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace plovane;

namespace {

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
template <typename Body>
int inChild(Body body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::string target(int fd)
{
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd)).string();
}

} // namespace

TEST(ProcessSetup, ClosedStandardDescriptorsAreOpenedOnDevNull)
{
    EXPECT_EQ(inChild([] {
                  ::close(0);
                  ::close(2);
                  if (!processSetup::ensureStandardDescriptors())
                      return 1;
                  if (target(0) != "/dev/null" || target(2) != "/dev/null")
                      return 2;
                  // The next file opened takes a fresh number, not one of the three.
                  const int fd = ::open("/dev/null", O_RDONLY);
                  return fd > 2 ? 0 : 3;
              }),
              0);
    // Open descriptors are left as they are.
    const std::string before = target(1);
    EXPECT_TRUE(processSetup::ensureStandardDescriptors());
    EXPECT_EQ(target(1), before);
}

TEST(ProcessSetup, WritingToAPipeNobodyReadsFailsInsteadOfEndingTheProcess)
{
    EXPECT_EQ(inChild([] {
                  processSetup::ignoreBrokenPipes();
                  int fds[2];
                  if (::pipe(fds) != 0)
                      return 1;
                  ::close(fds[0]);
                  const ssize_t n = ::write(fds[1], "x", 1);
                  return n == -1 && errno == EPIPE ? 0 : 2;
              }),
              0);
}

// Qt would take its Wayland platform in a Wayland session, also when the user's
// environment names it, and the HUD would be an ordinary window there.
TEST(ProcessSetup, X11WhereverAnXServerAnswersUnlessTheUserChoseAnother)
{
    const char* desktop = std::getenv("DISPLAY");
    if (!desktop || !*desktop)
        GTEST_SKIP() << "no X server to answer";
    const std::string display = desktop;
    EXPECT_EQ(inChild([&display] {
                  const auto chosen = [] {
                      const char* value = std::getenv("QT_QPA_PLATFORM");
                      return std::string(value ? value : "(unset)");
                  };
                  ::unsetenv("PLOVANE_QPA_PLATFORM");
                  ::setenv("DISPLAY", display.c_str(), 1);
                  ::unsetenv("QT_QPA_PLATFORM");
                  if (!processSetup::preferX11Platform() || chosen() != "xcb")
                      return 1;
                  ::setenv("QT_QPA_PLATFORM", "wayland", 1);
                  if (!processSetup::preferX11Platform() || chosen() != "xcb")
                      return 2;
                  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
                  if (processSetup::preferX11Platform() || chosen() != "offscreen")
                      return 3;
                  // The program's own variable wins over everything else.
                  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
                  ::setenv("PLOVANE_QPA_PLATFORM", "wayland", 1);
                  if (processSetup::preferX11Platform() || chosen() != "wayland")
                      return 4;
                  ::unsetenv("PLOVANE_QPA_PLATFORM");
                  // No X server behind DISPLAY: Qt's Wayland platform stays.
                  ::setenv("QT_QPA_PLATFORM", "wayland", 1);
                  ::setenv("DISPLAY", ":65000", 1);
                  if (processSetup::preferX11Platform() || chosen() != "wayland")
                      return 5;
                  ::unsetenv("QT_QPA_PLATFORM");
                  ::unsetenv("DISPLAY");
                  return !processSetup::preferX11Platform() && chosen() == "(unset)" ? 0 : 6;
              }),
              0);
}

// A Wayland display named by a terminal kept from an earlier login, with no compositor
// behind it and no X server: no display, in our words, rather than Qt's abort.
TEST(ProcessSetup, AWaylandDisplayNoCompositorAnswersIsNoDisplay)
{
    const std::string runtime = test::makeTempDir("rt");
    const auto bound = [&runtime](const char* name, bool listening) {
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        (runtime + "/" + name).copy(address.sun_path, sizeof address.sun_path - 1);
        const bool ok = ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                        (!listening || ::listen(sock, 1) == 0);
        if (!listening)
            ::close(sock); // the socket file stays, with no one behind it
        return ok;
    };
    ASSERT_TRUE(bound("wayland-gone", false));
    EXPECT_EQ(inChild([&] {
                  ::unsetenv("DISPLAY");
                  ::unsetenv("QT_QPA_PLATFORM");
                  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
                  for (const char* name : {"wayland-gone", "wayland-never"}) {
                      ::setenv("WAYLAND_DISPLAY", name, 1);
                      const auto why = processSetup::missingDisplay();
                      if (!why || why->find(name) == std::string::npos)
                          return 1;
                  }
                  if (!bound("wayland-live", true))
                      return 2;
                  ::setenv("WAYLAND_DISPLAY", "wayland-live", 1);
                  return processSetup::missingDisplay() ? 3 : 0;
              }),
              0);
}

TEST(InstanceLock, ASecondCopyOnTheSameSettingsFindsTheLockHeldWhateverItsSession)
{
    InstanceLock first;
    ASSERT_EQ(first.acquire(), InstanceLock::Result::acquired);
    const std::string settings = std::string(std::getenv("XDG_CONFIG_HOME")) + "/plovane/";
    EXPECT_EQ(InstanceLock::lockPath().rfind(settings, 0), 0u) << InstanceLock::lockPath();
    EXPECT_EQ(inChild([] {
                  InstanceLock second;
                  return second.acquire() == InstanceLock::Result::heldByAnother ? 0 : 1;
              }),
              0);
    // A second login on the same home, without a session runtime folder of its own.
    EXPECT_EQ(inChild([] {
                  ::unsetenv("XDG_RUNTIME_DIR");
                  ::setenv("TMPDIR", test::makeTempDir("other-login").c_str(), 1);
                  InstanceLock other;
                  return other.acquire() == InstanceLock::Result::heldByAnother ? 0 : 1;
              }),
              0);
    // Other settings (another home) run their own copy.
    EXPECT_EQ(inChild([] {
                  ::setenv("XDG_CONFIG_HOME", test::makeTempDir("other-home").c_str(), 1);
                  InstanceLock other;
                  return other.acquire() == InstanceLock::Result::acquired ? 0 : 1;
              }),
              0);
}

// A second start asks the running copy to show itself; looking whether the lock is held
// is no such request.
TEST(InstanceLock, ASecondStartAsksTheRunningCopyToShowItself)
{
    int argc = 1;
    char arg0[] = "show-requests";
    char* argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    InstanceLock first;
    ASSERT_EQ(first.acquire(), InstanceLock::Result::acquired);
    int shown = 0;
    ShowRequests requests(first, [&shown] { ++shown; });
    EXPECT_EQ(inChild([] {
                  InstanceLock second;
                  if (second.acquire() != InstanceLock::Result::heldByAnother)
                      return 1;
                  return second.askHolderToShow() ? 0 : 2;
              }),
              0);
    for (int i = 0; i < 100 && shown == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(shown, 1);
}

TEST(InstanceLock, TheLockEndsWithItsProcessHoweverItEnds)
{
    EXPECT_EQ(inChild([] {
                  InstanceLock held;
                  if (held.acquire() != InstanceLock::Result::acquired)
                      return 1;
                  ::_exit(0); // no destructor runs: the kernel drops the lock
              }),
              0);
    InstanceLock after;
    EXPECT_EQ(after.acquire(), InstanceLock::Result::acquired);
}

TEST(InstanceLock, AMissingSettingsFolderIsMadePrivateToTheUser)
{
    const std::string config = test::makeTempDir("fresh") + "/config";
    EXPECT_EQ(inChild([&] {
                  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
                  InstanceLock lock;
                  if (lock.acquire() != InstanceLock::Result::acquired)
                      return 1;
                  struct stat info {};
                  for (const std::string& folder : {config, config + "/plovane"})
                      if (::lstat(folder.c_str(), &info) != 0 || (info.st_mode & 0777) != 0700)
                          return 2;
                  return 0;
              }),
              0);
}

TEST(InstanceLock, WhenNoLockCanBeTakenNoneIsClaimed)
{
    const std::string settings = std::string(std::getenv("XDG_CONFIG_HOME")) + "/plovane";
    std::filesystem::create_directories(settings);
    const std::string victim = test::makeTempDir("victim") + "/file";
    std::filesystem::remove(InstanceLock::lockPath());
    std::filesystem::create_symlink(victim, InstanceLock::lockPath());
    InstanceLock planted;
    EXPECT_EQ(planted.acquire(), InstanceLock::Result::unavailable);
    EXPECT_NE(planted.failure().find("symbolic link"), std::string::npos) << planted.failure();
    EXPECT_FALSE(std::filesystem::exists(victim)); // nothing was created through the link

    std::filesystem::remove(InstanceLock::lockPath());
    ASSERT_EQ(::mkfifo(InstanceLock::lockPath().c_str(), 0600), 0);
    ::alarm(20); // opening a FIFO could block: fail instead of hanging the suite
    InstanceLock fifo;
    EXPECT_EQ(fifo.acquire(), InstanceLock::Result::unavailable);
    ::alarm(0);

    // A settings folder that cannot be made.
    std::filesystem::remove_all(settings);
    std::ofstream(settings) << "not a folder";
    InstanceLock noFolder;
    EXPECT_EQ(noFolder.acquire(), InstanceLock::Result::unavailable);
    EXPECT_NE(noFolder.failure().find("not a folder"), std::string::npos) << noFolder.failure();
}

TEST(TerminationSignals, ASignalDuringStartWaitsForTheEventLoop)
{
    EXPECT_EQ(inChild([] {
                  std::signal(SIGTERM, SIG_DFL);
                  TerminationSignals::install();
                  // Still starting: there is no application object yet.
                  std::raise(SIGTERM);
                  int argc = 1;
                  char arg0[] = "early-signal";
                  char* argv[] = {arg0, nullptr};
                  QCoreApplication app(argc, argv);
                  std::vector<int> received;
                  TerminationSignals guard([&](int n) { received.push_back(n); });
                  for (int i = 0; i < 100 && received.empty(); ++i)
                      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
                  return received == std::vector<int>{SIGTERM} ? 0 : 1;
              }),
              0);
}

TEST(AccessibilityBus, TheBridgeMeetsOnlyABusThatAnswers)
{
    using accessibilityBus::bridgeAddress;
    using accessibilityBus::kNoBus;
    using accessibilityBus::Probe;
    const std::optional<std::string> leftAlone;
    const std::optional<std::string> noBus = std::string(kNoBus);

    // No launcher at all: the bridge asks nothing until one appears.
    EXPECT_EQ(bridgeAddress(Probe{}, false), leftAlone);
    // A launcher that does not answer: its questions would wait 25 s each. The bus the X
    // root window names is given instead when its registry answers.
    EXPECT_EQ(bridgeAddress(Probe{.launcherRegistered = true}, false), noBus);
    EXPECT_EQ(bridgeAddress(Probe{.launcherRegistered = true, .address = "unix:path=/a", .addressGiven = true}, false),
              noBus);
    EXPECT_EQ(bridgeAddress(Probe{.launcherRegistered = true, .address = "unix:path=/a", .addressGiven = true,
                                  .registryAnswered = true},
                            false),
              std::optional<std::string>("unix:path=/a"));

    // Healthy, on or off: left to the bridge, so screen readers find us.
    Probe healthy{.launcherRegistered = true, .launcherAnswered = true, .enabled = true, .address = "unix:path=/a",
                  .registryAnswered = true};
    EXPECT_EQ(bridgeAddress(healthy, false), leftAlone);
    Probe off{.launcherRegistered = true, .launcherAnswered = true, .address = "unix:path=/a"};
    EXPECT_EQ(bridgeAddress(off, false), leftAlone) << "off: the bridge never registers";

    // On, or switched on by a given address or by the user, with a registry that does not
    // answer: registering would wait for it.
    Probe hungRegistry = healthy;
    hungRegistry.registryAnswered = false;
    EXPECT_EQ(bridgeAddress(hungRegistry, false), noBus);
    EXPECT_EQ(bridgeAddress(off, true), noBus);
    off.addressGiven = true;
    EXPECT_EQ(bridgeAddress(off, false), noBus);
    EXPECT_EQ(bridgeAddress(Probe{.address = "unix:path=/a", .addressGiven = true}, false), noBus);
    EXPECT_EQ(bridgeAddress(Probe{.address = "unix:path=/a", .addressGiven = true, .registryAnswered = true}, false),
              leftAlone);
}
