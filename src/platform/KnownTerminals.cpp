#include "platform/KnownTerminals.h"

#include <algorithm>

namespace plovane {

const std::vector<KnownApplication>& knownTerminals()
{
    static const std::vector<KnownApplication> table{
        // The other desktop's terminals, by their identifiers alone.
        {"com.apple.Terminal", "Terminal", {}, {}, {}},
        {"com.googlecode.iterm2", "iTerm", {}, {}, {}},
        {"dev.warp.Warp", "Warp", {}, {}, {}},
        // Terminals that run on Linux.
        {"dev.warp.Warp-Stable", "Warp", {"dev.warp.warp"}, {"dev.warp.Warp"}, {"warp", "warp-terminal"}},
        {"org.gnome.Terminal", "Terminal", {"gnome-terminal-server", "org.gnome.terminal", "gnome-terminal"},
         {"org.gnome.Terminal"}, {"gnome-terminal-server", "gnome-terminal"}},
        {"org.kde.konsole", "Konsole", {"konsole", "org.kde.konsole"}, {"org.kde.konsole"}, {"konsole"}},
        {"org.gnome.Console", "Console", {"kgx", "org.gnome.console"}, {"org.gnome.Console"}, {"kgx"}},
        {"org.gnome.Ptyxis", "Ptyxis", {"org.gnome.ptyxis", "ptyxis"}, {"org.gnome.Ptyxis"}, {"ptyxis"}},
        {"com.gexperts.Tilix", "Tilix", {"tilix", "com.gexperts.tilix"}, {"com.gexperts.Tilix"}, {"tilix"}},
        {"xfce4-terminal", "Xfce Terminal", {"xfce4-terminal"}, {"xfce4-terminal", "org.xfce.terminal"},
         {"xfce4-terminal"}},
        {"org.alacritty.Alacritty", "Alacritty", {"alacritty"},
         {"Alacritty", "org.alacritty.Alacritty", "com.alacritty.Alacritty"}, {"alacritty"}},
        {"kitty", "kitty", {"kitty"}, {"kitty"}, {"kitty"}},
        {"xterm", "XTerm", {"xterm", "uxterm"}, {"xterm", "debian-xterm", "uxterm", "debian-uxterm"}, {"xterm", "uxterm"}},
        {"org.wezfurlong.wezterm", "WezTerm", {"org.wezfurlong.wezterm"}, {"org.wezfurlong.wezterm"},
         {"wezterm-gui", "wezterm"}},
        {"org.codeberg.dnkl.foot", "Foot", {"foot", "footclient"},
         {"org.codeberg.dnkl.foot", "org.codeberg.dnkl.footclient", "foot", "footclient"}, {"foot", "footclient"}},
        {"terminator", "Terminator", {"terminator"}, {"terminator"}, {"terminator"}},
        {"qterminal", "QTerminal", {"qterminal"}, {"qterminal", "org.lxqt.qterminal"}, {"qterminal"}},
        {"lxterminal", "LXTerminal", {"lxterminal"}, {"lxterminal"}, {"lxterminal"}},
        {"rxvt-unicode", "URxvt", {"urxvt", "rxvt-unicode"}, {"rxvt-unicode"}, {"urxvt", "rxvt-unicode"}},
        {"terminology", "Terminology", {"terminology"}, {"terminology"}, {"terminology"}},
        {"com.mitchellh.ghostty", "Ghostty", {"com.mitchellh.ghostty", "ghostty"}, {"com.mitchellh.ghostty"},
         {"ghostty"}},
        {"org.kde.yakuake", "Yakuake", {"yakuake", "org.kde.yakuake"}, {"org.kde.yakuake"}, {"yakuake"}},
    };
    return table;
}

bool isKnownTerminal(std::string_view bundleID)
{
    const auto& table = knownTerminals();
    return std::any_of(table.begin(), table.end(), [&](const KnownApplication& t) { return t.bundleID == bundleID; });
}

} // namespace plovane
