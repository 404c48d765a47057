// The HUD panel on a real X server with a window manager (the test desktop): where it
// maps, what it asks of the window manager, and that clicking the pet leaves the user's
// window active and opens a menu that stays. Skipped outside the private test desktop.

#include "HUDTestRig.h"
#include "TestSupport.h"

#include "hud/HUDPanel.h"
#include "hud/HUDWindowController.h"
#include "platform/qt/X11Connection.h"
#include "platform/qt/X11SendBuffer.h"
#include "platform/qt/X11WindowHints.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>
#include <utility>

using namespace plovane;
using namespace plovane::test;

namespace {

xcb_connection_t* x11() { return toolkitX11Connection(); }

xcb_atom_t atom(const char* name)
{
    auto cookie = xcb_intern_atom(x11(), 0, static_cast<uint16_t>(strlen(name)), name);
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(x11(), cookie, nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    free(r);
    return a;
}

std::vector<uint32_t> property(xcb_window_t w, const char* name, xcb_atom_t type)
{
    auto cookie = xcb_get_property(x11(), 0, w, atom(name), type, 0, 64);
    std::vector<uint32_t> out;
    if (xcb_get_property_reply_t* r = xcb_get_property_reply(x11(), cookie, nullptr)) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(r));
        out.assign(data, data + xcb_get_property_value_length(r) / 4);
        free(r);
    }
    return out;
}

xcb_window_t root() { return xcb_setup_roots_iterator(xcb_get_setup(x11())).data->root; }

xcb_window_t activeWindow()
{
    const auto v = property(root(), "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    return v.empty() ? static_cast<xcb_window_t>(XCB_WINDOW_NONE) : v.front();
}

bool waitFor(const std::function<bool()>& done, int ms = 3000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done())
            return true;
    }
    return done();
}

} // namespace

TEST(HUDDesktop, PanelMapsInPlaceWithoutFocusAndTheManagerKeepsItOffTheTaskbar)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    HUDRig rig;
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    // The window the user works in.
    QWidget work;
    work.setWindowTitle("work");
    work.resize(300, 200);
    work.move(600, 100);
    work.show();
    work.activateWindow();
    const auto workId = static_cast<xcb_window_t>(work.winId());
    // Openbox reparents: the active window is the client window itself.
    ASSERT_TRUE(waitFor([&] { return activeWindow() == workId; })) << "test desktop did not activate a window";

    HUDWindowController hud(*rig.engine);
    hud.show();
    HUDPanel& panel = hud.panel();
    ASSERT_TRUE(waitFor([&] { return panel.windowHandle() && panel.windowHandle()->isExposed(); }));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(panel.frameGeometry().topLeft(), QPoint(screen.left() + 40, screen.bottom() + 1 - 120 - 220));

    const auto wid = static_cast<xcb_window_t>(panel.winId());
    const xcb_atom_t skipTaskbar = atom("_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = atom("_NET_WM_STATE_SKIP_PAGER");
    const xcb_atom_t sticky = atom("_NET_WM_STATE_STICKY");
    const xcb_atom_t above = atom("_NET_WM_STATE_ABOVE");
    auto has = [&](xcb_atom_t a) {
        const auto states = property(wid, "_NET_WM_STATE", XCB_ATOM_ATOM);
        return std::find(states.begin(), states.end(), a) != states.end();
    };
    // On every desktop: the sticky state where the window manager knows it (openbox does
    // not), else the all-desktops number.
    auto onAllDesktops = [&] {
        const auto desktop = property(wid, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL);
        return has(sticky) || (!desktop.empty() && desktop.front() == 0xFFFFFFFFu);
    };
    EXPECT_TRUE(waitFor([&] { return has(skipTaskbar) && has(skipPager) && has(above) && onAllDesktops(); }));
    EXPECT_EQ(activeWindow(), workId) << "showing the HUD took the focus";

    // A click on the pet: work and rest switch, the user's window stays active.
    const QPoint pet = panel.mapToGlobal(hud.view().spriteFrameRect().center().toPoint());
    QProcess::execute("xdotool", {"mousemove", QString::number(pet.x()), QString::number(pet.y()), "click", "1"});
    EXPECT_TRUE(waitFor([&] { return rig.engine->state.get() == DiveState::resting; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(activeWindow(), workId) << "clicking the HUD took the focus";

    // A right click opens the menu at the pointer; Escape closes it and nothing changes.
    QStringList titles;
    QPoint menuAt;
    QTimer::singleShot(400, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            for (QAction* a : popup->actions())
                titles << (a->isSeparator() ? QStringLiteral("-") : a->text());
            menuAt = popup->geometry().topLeft();
            popup->close();
        }
    });
    QProcess::execute("xdotool", {"click", "3"});
    EXPECT_TRUE(waitFor([&] { return !titles.isEmpty(); }));
    ASSERT_FALSE(titles.isEmpty());
    EXPECT_EQ(titles.first(), "Back to Work");
    EXPECT_EQ(titles.last(), "Quit Plovane");
    EXPECT_EQ(titles.size(), 10);
    EXPECT_LE((menuAt - pet).manhattanLength(), 2) << "the menu opens at the click";
    EXPECT_EQ(rig.engine->state.get(), DiveState::resting);

    // Dragging the background moves the panel (the window manager does the moving).
    const QRect start = panel.frameGeometry();
    const QPoint grip = panel.mapToGlobal(hud.view().dataPanelRect().topLeft().toPoint() + QPoint(40, 10));
    QProcess::execute("xdotool", {"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1"});
    waitFor([] { return false; }, 150);
    QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(grip.x() + 60), QString::number(grip.y() - 40)});
    waitFor([] { return false; }, 150);
    QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(grip.x() + 120), QString::number(grip.y() - 80)});
    QProcess::execute("xdotool", {"mouseup", "1"});
    EXPECT_TRUE(waitFor([&] { return panel.frameGeometry().topLeft() == start.topLeft() + QPoint(120, -80); }))
        << "panel at " << panel.frameGeometry().x() << "," << panel.frameGeometry().y();
    EXPECT_EQ(hud.defaultFrame().topLeft(), start.topLeft()) << "a drag leaves the default place alone";
    EXPECT_EQ(activeWindow(), workId);

    // Hidden and shown again: the states are asked for again and it comes back in place.
    const QRect before = panel.frameGeometry();
    hud.toggle();
    ASSERT_TRUE(waitFor([&] { return !panel.isVisible(); }));
    hud.toggle();
    ASSERT_TRUE(waitFor([&] { return panel.windowHandle()->isExposed(); }));
    EXPECT_TRUE(waitFor([&] { return has(skipTaskbar) && onAllDesktops(); }));
    EXPECT_EQ(panel.frameGeometry(), before);

    // The user goes from our window to another program's and right-clicks the pet at once,
    // on a busy machine: the menu takes a moment to come up, and the toolkit hears that
    // the program lost the keyboard only after it has. The menu stays all the same.
    QProcess other;
    other.start("xmessage", {"-title", "PlovaneOther", "-geometry", "+700+400", "another program"});
    // Looked for until it shows: a search gives up when a window of a test running beside
    // this one goes while it walks the tree.
    QString otherId;
    ASSERT_TRUE(waitFor([&] {
        QProcess search;
        search.start("xdotool", {"search", "--name", "^PlovaneOther$"});
        search.waitForFinished(5000);
        otherId = QString::fromLatin1(search.readAllStandardOutput()).section('\n', 0, 0);
        return !otherId.isEmpty();
    }, 10000)) << "xmessage did not show";
    work.activateWindow();
    ASSERT_TRUE(waitFor([&] { return activeWindow() == workId; }));
    const QPoint petNow = panel.mapToGlobal(hud.view().spriteFrameRect().center().toPoint());
    QProcess::execute("timeout", {"20", "xdotool", "windowactivate", "--sync", otherId});
    QProcess::execute("xdotool", {"mousemove", QString::number(petNow.x()), QString::number(petNow.y()), "click", "3"});
    struct Busy : QObject {
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show && qobject_cast<QMenu*>(watched))
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return false;
        }
    } busy;
    qApp->installEventFilter(&busy);
    bool stayed = false;
    QElapsedTimer openFor;
    QTimer look;
    look.setInterval(50);
    QObject::connect(&look, &QTimer::timeout, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) {
            openFor.invalidate();
        } else if (!openFor.isValid()) {
            openFor.start();
        } else if (openFor.elapsed() > 500) {
            stayed = true;
            popup->close();
        }
    });
    look.start();
    EXPECT_TRUE(waitFor([&] { return stayed; }, 10000)) << "the menu went as the program lost the keyboard";
    qApp->removeEventFilter(&busy);
}

TEST(HUDDesktop, TheXConnectionTakesAWholeBobbingFrameWithoutWaiting)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    testApp();
    ASSERT_NE(x11(), nullptr);
    const int fd = xcb_get_file_descriptor(x11());
    int before = 0;
    socklen_t length = sizeof before;
    ASSERT_EQ(::getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &before, &length), 0);
    long allowed = 0;
    std::ifstream("/proc/sys/net/core/wmem_max") >> allowed;

    const int after = widenX11SendBuffer();
    length = sizeof before;
    int reported = 0;
    ASSERT_EQ(::getsockopt(fd, SOL_SOCKET, SO_SNDBUF, &reported, &length), 0);
    EXPECT_EQ(after, reported);
    EXPECT_GE(after, before) << "never smaller";
    // The kernel keeps twice what a process may ask for; the socket counts as writable
    // while a quarter of that is free, which must hold a hovering frame (~80 KB).
    if (allowed > 0) {
        EXPECT_EQ(after, 2 * std::min<long>(allowed, 1 << 22));
    }
    if (allowed >= 200 * 1024) {
        EXPECT_GE(after / 4, 80 * 1024);
    }
    EXPECT_EQ(widenX11SendBuffer(), after) << "asking twice changes nothing";
}

namespace {

// What the X server shows of `window` in `area`, as premultiplied ARGB.
QImage windowPixels(xcb_window_t window, const QRect& area)
{
    auto cookie = xcb_get_image(x11(), XCB_IMAGE_FORMAT_Z_PIXMAP, window, static_cast<int16_t>(area.x()),
                                static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
                                static_cast<uint16_t>(area.height()), ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(x11(), cookie, nullptr);
    if (!reply)
        return {};
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    const auto* data = xcb_get_image_data(reply);
    for (int y = 0; y < area.height(); ++y)
        std::copy_n(data + static_cast<std::size_t>(y) * area.width() * 4, area.width() * 4, out.scanLine(y));
    std::free(reply);
    return out;
}

// Pixels of `area` that differ between the screen and a fresh paint of the view, counted
// where the window's shape lets anything show.
int differingPixels(HUDRig& rig, QWidget& panel, const QRect& area)
{
    const QImage shown = windowPixels(static_cast<xcb_window_t>(panel.winId()), area);
    const QImage painted = rig.render().copy(area);
    const QRegion shape = panel.windowHandle()->mask().isEmpty() ? QRegion(panel.rect()) : panel.windowHandle()->mask();
    if (shown.isNull())
        return -1;
    int differing = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (shape.contains(area.topLeft() + QPoint(x, y)) && shown.pixel(x, y) != painted.pixel(x, y))
                ++differing;
    return differing;
}

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

// The rig's view in a HUD panel on the test desktop, the pet hovering, its paint events
// counted.
struct PanelledView {
    HUDRig& rig;
    HUDPanel panel;
    HUDView& view;
    PaintCounter counter;

    explicit PanelledView(HUDRig& r) : rig(r), view(r.makeView())
    {
        view.setAttribute(Qt::WA_DontShowOnScreen, false);
        view.setParent(&panel);
        view.move(0, 0);
        panel.resize(view.size());
        panel.move(40, 120);
        rig.engine->state = DiveState::hovering;
        view.installEventFilter(&counter);
    }
    // The rig owns the view: the panel must not take it along when it goes.
    ~PanelledView() { view.setParent(nullptr); }

    // Maps the panel and lets the view settle; false when it was never exposed.
    bool show()
    {
        panel.show();
        if (!waitFor([&] { return panel.windowHandle()->isExposed(); }))
            return false;
        rig.finishAnimations();
        return true;
    }

    // One sprite frame later.
    void step()
    {
        rig.scheduler.advance(SpriteStage::kFramePeriod);
        waitFor([] { return false; }, 30);
    }
};

} // namespace

TEST(HUDDesktop, KnownFramesAreCopiedInTheServerAndShowWhatARepaintWould)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    HUDRig rig;
    PanelledView shown(rig);
    HUDPanel& panel = shown.panel;
    HUDView& view = shown.view;
    ASSERT_TRUE(shown.show());
    ASSERT_EQ(view.spriteFrameCount(), 4);

    PaintCounter& counter = shown.counter;
    auto step = [&] { shown.step(); };
    // The first rounds find what the frames change and compose them once each.
    for (int i = 0; i < 12; ++i)
        step();
    ASSERT_EQ(view.serverFrameCount(), 4);
    const QRect area = view.serverFrameArea();
    ASSERT_FALSE(area.isEmpty());

    for (int i = 0; i < 8; ++i) {
        const int frame = view.spriteFrame();
        counter.paints = 0;
        step();
        EXPECT_EQ(counter.paints, 0) << "a step between known frames paints nothing";
        EXPECT_NE(view.spriteFrame(), frame);
        EXPECT_EQ(differingPixels(rig, panel, area), 0) << "frame " << view.spriteFrame();
    }

    // Something else drawn over the frames (the oxygen bar) makes them stale: the steps
    // after it still show what a repaint would.
    rig.engine->o2 = 35.0;
    rig.finishAnimations();
    for (int i = 0; i < 8; ++i) {
        counter.paints = 0;
        step();
        if (i >= 4) {
            EXPECT_EQ(counter.paints, 0) << "the stale parts were composed again once";
        }
        EXPECT_EQ(differingPixels(rig, panel, area), 0) << "after the bar changed, frame " << view.spriteFrame();
    }
    EXPECT_EQ(view.serverFrameCount(), 4);

    // An exposed window is drawn from the toolkit's copy, which never saw the copied
    // frames; the changing part is painted again.
    xcb_clear_area(x11(), 1, static_cast<xcb_window_t>(panel.winId()), 0, 0, 0, 0);
    xcb_flush(x11());
    waitFor([] { return false; }, 200);
    EXPECT_EQ(differingPixels(rig, panel, area), 0) << "after an expose";

    // Another look starts afresh: only its own frames are kept, over what they change.
    rig.engine->state = DiveState::flow;
    rig.finishAnimations();
    for (int i = 0; i < 12; ++i)
        step();
    EXPECT_EQ(view.serverFrameCount(), 4);
    const QRect typing = view.serverFrameArea();
    EXPECT_LT(typing.width() * typing.height(), area.width() * area.height() / 2);
    for (int i = 0; i < 4; ++i) {
        step();
        EXPECT_EQ(differingPixels(rig, panel, area), 0) << "typing, frame " << view.spriteFrame();
    }
}

namespace {

// Pixels of `area` (within the window's shape) whose channels stray more than a rounding
// step from the mix of `from` and `to`, `to` weighing `t`.
int offTheMix(const QImage& shown, const QImage& from, const QImage& to, double t, const QRegion& shape, const QRect& area)
{
    int off = 0;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            if (!shape.contains(area.topLeft() + QPoint(x, y)))
                continue;
            const QRgb s = shown.pixel(x, y), a = from.pixel(x, y), b = to.pixel(x, y);
            auto near = [&](int (*channel)(QRgb)) {
                return std::abs(channel(s) - ((1.0 - t) * channel(a) + t * channel(b))) <= 2.0;
            };
            if (!near(qRed) || !near(qGreen) || !near(qBlue) || !near(qAlpha))
                ++off;
        }
    return off;
}

} // namespace

TEST(HUDDesktop, ANewTipIsCrossFadedInTheServerAndEndsAsARepaintWould)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    HUDRig rig;
    PanelledView shown(rig);
    HUDPanel& panel = shown.panel;
    HUDView& view = shown.view;
    rig.engine->adviceText = "Octopuses have three hearts and blue blood.";
    ASSERT_TRUE(shown.show());

    PaintCounter& counter = shown.counter;
    auto step = [&] { shown.step(); };
    // The pet's frames are kept in the server first, as they are after a few seconds.
    for (int i = 0; i < 12; ++i)
        step();
    ASSERT_EQ(view.serverFrameCount(), 4);

    const auto window = static_cast<xcb_window_t>(panel.winId());
    // Shows `tip` (as long as the one before) and checks each frame of its cross-fade over
    // `area` (view coordinates), which reaches into the pet's square when `besidePet`.
    auto checkFade = [&](const char* tip, auto areaNow, bool stepsCopied, bool besidePet) {
        SCOPED_TRACE(tip);
        const QRect area = areaNow();
        if (besidePet) {
            ASSERT_TRUE(area.intersects(view.serverFrameArea())) << "the tip's line runs into the pet's square";
        }
        const QRegion shape =
            panel.windowHandle()->mask().isEmpty() ? QRegion(panel.rect()) : panel.windowHandle()->mask();
        const QImage before = windowPixels(window, area);
        const int frameBefore = view.spriteFrame();

        rig.engine->adviceText = tip;
        rig.settle();
        ASSERT_EQ(areaNow(), area);
        const double fadeStart = rig.animationTime;
        ASSERT_LT(view.tipFadeProgress(), 1.0);
        // The view as a repaint would show it with the fade at `at` (the pet as it is now).
        auto paintedAt = [&](double at) {
            const double now = std::exchange(rig.animationTime, at);
            QImage image = rig.render().copy(area);
            rig.animationTime = now;
            return image;
        };
        const QRegion local = shape.translated(-area.topLeft());
        const QRect whole(QPoint(0, 0), area.size());
        for (int i = 0; i < 12; ++i) {
            counter.paints = 0;
            rig.animate(1.0 / 30);
            waitFor([] { return false; }, 20);
            // The pet steps a whole round over the fade: each step lands under the tip.
            if (i >= 3 && i < 7)
                step();
            const int paints = counter.paints;
            const double t = view.tipFadeProgress();
            ASSERT_LT(t, 1.0);
            const QImage shown = windowPixels(window, area);
            if (i == 0)
                continue; // the first frame may find the view just repainted
            // A step the stage repaints (the first after the view was repainted) is painted.
            if (stepsCopied || i < 3 || i >= 7) {
                EXPECT_EQ(paints, 0) << "frame " << i << " was painted, not mixed";
            }
            EXPECT_EQ(offTheMix(shown, paintedAt(fadeStart), paintedAt(fadeStart + 10.0), t, local, whole), 0)
                << "frame " << i << " at " << t << ", pet frame " << view.spriteFrame();
        }
        ASSERT_EQ(view.spriteFrame(), frameBefore);
        counter.paints = 0;
        rig.animate(1.0);
        waitFor([] { return false; }, 50);
        EXPECT_GE(counter.paints, 1) << "the last frame is painted, so the toolkit's copy ends as the screen";
        EXPECT_EQ(differingPixels(rig, panel, area), 0) << "at the end";
        const QImage after = windowPixels(window, area);

        if (!besidePet)
            return;
        // The checks above cover the pet's square: the tip's line shows through it.
        int changing = 0;
        const QRect under = (area & view.serverFrameArea()).translated(-area.topLeft());
        for (int y = under.top(); y <= under.bottom(); ++y)
            for (int x = under.left(); x <= under.right(); ++x)
                changing += before.pixel(x, y) != after.pixel(x, y);
        EXPECT_GT(changing, 0) << "the tip's line shows through the pet's square";
    };

    checkFade("Honey never spoils, even after centuries.",
              [&] {
                  // The text's own width changes with the tip: the line up to the card's edge.
                  QRectF line = view.adviceTextRect();
                  line.setRight(view.dataPanelRect().right() - 4);
                  return line.toAlignedRect().adjusted(-2, -2, 2, 2);
              }, true, true);

    // Compact mode's pill, beside the pet.
    rig.settings->compactMode = true;
    rig.finishAnimations();
    for (int i = 0; i < 4; ++i)
        step();
    rig.engine->adviceText = "A day on Venus is longer than its year.";
    rig.finishAnimations();
    checkFade("Bananas are berries, but strawberries are not.",
              [&] { return view.compactLabelRect().toAlignedRect().adjusted(-2, -2, 2, 2); }, false, false);
}

namespace {

bool mapped(xcb_window_t w)
{
    auto* attributes = xcb_get_window_attributes_reply(x11(), xcb_get_window_attributes(x11(), w), nullptr);
    const bool viewable = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
    free(attributes);
    return viewable;
}

} // namespace

TEST(HUDDesktop, AnUnmanagedWindowLostToAManagerIsMappedAgain)
{
    PLOVANE_SKIP_OUTSIDE_TEST_DESKTOP();
    HUDRig rig;
    QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    panel.resize(120, 80);
    panel.show();
    const auto wid = static_cast<xcb_window_t>(panel.winId());
    ASSERT_TRUE(waitFor([&] { return mapped(wid); }));
    QWindow& window = *panel.windowHandle();
    EXPECT_FALSE(mapAgainIfLost(window)) << "a window on screen was taken for lost";

    // A window manager that took it over at its start and gave it back unmapped.
    xcb_unmap_window(x11(), wid);
    xcb_flush(x11());
    ASSERT_TRUE(waitFor([&] { return !mapped(wid); }));
    ASSERT_TRUE(panel.isVisible());
    EXPECT_TRUE(mapAgainIfLost(window));
    EXPECT_TRUE(waitFor([&] { return mapped(wid); }));

    // Taken out of sight on purpose, it stays so until it is put back.
    keepOutOfSight(window, true);
    ASSERT_TRUE(waitFor([&] { return !mapped(wid); }));
    EXPECT_FALSE(mapAgainIfLost(window));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_FALSE(mapped(wid));
    keepOutOfSight(window, false);
    EXPECT_TRUE(waitFor([&] { return mapped(wid); }));
}
