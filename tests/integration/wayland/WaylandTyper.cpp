// Types into the focused window of a Wayland compositor through the compositor itself,
// as a keyboard would: KWin's fake-input protocol, or mutter's remote-desktop interface
// on the session bus. (On wlroots compositors the tests use wtype.) On mutter it also
// clicks, as a mouse would (GNOME Shell leaves the remote desktop's pointer where it is).
//
//   plovane_wayland_typer kwin|mutter [--every MS] [--times N] TEXT
//   plovane_wayland_typer mutter --click X Y
//
// TEXT may hold lower-case letters, digits, spaces, newlines (Return) and ESC (Escape). With --times N the
// text is typed N times, MS milliseconds apart. Exits 0 when every key went out.
#include "fake-input-client-protocol.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QString>

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace {

// Evdev key codes of the characters we type.
int evdevKey(char c)
{
    static const int letters[26] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                                    KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                                    KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
    static const int digits[10] = {KEY_0, KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9};
    if (c >= 'a' && c <= 'z')
        return letters[c - 'a'];
    if (c >= '0' && c <= '9')
        return digits[c - '0'];
    if (c == ' ')
        return KEY_SPACE;
    if (c == '\n')
        return KEY_ENTER;
    if (c == '\x1b')
        return KEY_ESC;
    return -1;
}

// X keysyms of the same characters (Latin-1 ones are their own code).
unsigned keysym(char c)
{
    if (c == '\n')
        return 0xff0du; // Return
    if (c == '\x1b')
        return 0xff1bu; // Escape
    return static_cast<unsigned char>(c);
}

class KWinTyper {
public:
    bool open()
    {
        display_ = wl_display_connect(nullptr);
        if (!display_)
            return false;
        wl_registry* registry = wl_display_get_registry(display_);
        static const wl_registry_listener listener{
            [](void* data, wl_registry* r, uint32_t name, const char* interface, uint32_t version) {
                auto* self = static_cast<KWinTyper*>(data);
                if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4)
                    self->input_ = static_cast<org_kde_kwin_fake_input*>(
                        wl_registry_bind(r, name, &org_kde_kwin_fake_input_interface, 4));
            },
            [](void*, wl_registry*, uint32_t) {}};
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(display_);
        if (!input_) {
            std::fprintf(stderr, "the compositor offers no org_kde_kwin_fake_input (version 4)\n");
            return false;
        }
        org_kde_kwin_fake_input_authenticate(input_, "Plovane tests", "types into a test window");
        return wl_display_roundtrip(display_) >= 0;
    }

    bool type(const std::string& text)
    {
        for (char c : text) {
            const int key = evdevKey(c);
            if (key < 0)
                return false;
            org_kde_kwin_fake_input_keyboard_key(input_, static_cast<uint32_t>(key), 1);
            org_kde_kwin_fake_input_keyboard_key(input_, static_cast<uint32_t>(key), 0);
        }
        return wl_display_roundtrip(display_) >= 0;
    }

private:
    wl_display* display_{nullptr};
    org_kde_kwin_fake_input* input_{nullptr};
};

class MutterTyper {
public:
    MutterTyper() : bus_(QDBusConnection::sessionBus()) {}

    bool open()
    {
        const QDBusMessage created = bus_.call(QDBusMessage::createMethodCall(
            kService, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), QStringLiteral("org.gnome.Mutter.RemoteDesktop"),
            QStringLiteral("CreateSession")));
        if (created.type() != QDBusMessage::ReplyMessage || created.arguments().isEmpty()) {
            std::fprintf(stderr, "no remote-desktop session: %s\n", qPrintable(created.errorMessage()));
            return false;
        }
        session_ = created.arguments().constFirst().value<QDBusObjectPath>().path();
        if (!call(QStringLiteral("Start"), {}))
            return false;
        // The session's keyboard is new to the focused client, which drops the first key
        // that arrives before it has the keyboard's keymap: a Shift first, then a moment.
        constexpr unsigned kShift = 0xffe1;
        if (!call(QStringLiteral("NotifyKeyboardKeysym"), {kShift, true}) ||
            !call(QStringLiteral("NotifyKeyboardKeysym"), {kShift, false}))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return true;
    }

    // The pointer to (x, y) of the screen and a click of its left button there.
    bool click(double x, double y)
    {
        // Moves are relative: first to the top left corner, where the pointer stops.
        return call(QStringLiteral("NotifyPointerMotionRelative"), {-100000.0, -100000.0}) &&
               call(QStringLiteral("NotifyPointerMotionRelative"), {x, y}) &&
               call(QStringLiteral("NotifyPointerButton"), {BTN_LEFT, true}) &&
               call(QStringLiteral("NotifyPointerButton"), {BTN_LEFT, false});
    }

    bool type(const std::string& text)
    {
        for (char c : text)
            if (!call(QStringLiteral("NotifyKeyboardKeysym"), {keysym(c), true}) ||
                !call(QStringLiteral("NotifyKeyboardKeysym"), {keysym(c), false}))
                return false;
        return true;
    }

private:
    bool call(const QString& method, const QVariantList& args)
    {
        auto message =
            QDBusMessage::createMethodCall(kService, session_, QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), method);
        message.setArguments(args);
        const QDBusMessage reply = bus_.call(message);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(method), qPrintable(reply.errorMessage()));
            return false;
        }
        return true;
    }

    inline static const QString kService = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    QDBusConnection bus_;
    QString session_;
};

template <typename Typer>
int run(Typer& typer, const std::string& text, int times, int everyMs)
{
    if (!typer.open())
        return 1;
    for (int i = 0; i < times; ++i) {
        if (i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
        if (!typer.type(text))
            return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int times = 1;
    int everyMs = 1000;
    std::string how;
    std::string text;
    std::optional<std::pair<double, double>> clickAt;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--click" && i + 2 < argc) {
            clickAt = std::pair(std::stod(argv[i + 1]), std::stod(argv[i + 2]));
            i += 2;
        } else if (arg == "--times" && i + 1 < argc)
            times = std::stoi(argv[++i]);
        else if (arg == "--every" && i + 1 < argc)
            everyMs = std::stoi(argv[++i]);
        else if (how.empty())
            how = arg;
        else
            text = arg;
    }
    if (how == "kwin") {
        KWinTyper typer;
        return run(typer, text, times, everyMs);
    }
    if (how == "mutter") {
        MutterTyper typer;
        if (clickAt)
            return typer.open() && typer.click(clickAt->first, clickAt->second) ? 0 : 1;
        return run(typer, text, times, everyMs);
    }
    std::fprintf(stderr, "usage: %s kwin|mutter [--every MS] [--times N] TEXT\n       %s mutter --click X Y\n", argv[0],
                 argv[0]);
    return 2;
}
