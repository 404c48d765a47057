#!/usr/bin/env bash
# Installs what Plovane needs on Debian 12, idempotently: Debian packages (apt-get update
# only when something is missing) and the pixel font from the npm registry into the
# resource folder. Run as root (or with sudo available).
#
#   bash scripts/deps.sh           what building and running the program needs
#   bash scripts/deps.sh --tests   that, and what the tests and benchmarks add
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

run_packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config git
  # libraries
  qt6-base-dev libgl-dev nlohmann-json3-dev libasio-dev zlib1g-dev
  libxcb1-dev libxcb-render0-dev libxcb-ewmh-dev libxcb-screensaver0-dev libxcb-sync-dev libxcb-xtest0-dev libxcb-xfixes0-dev
  libcanberra-dev
  # Wayland sessions: the client library, and the descriptions of the idle protocols the
  # bindings are generated from
  libwayland-dev wayland-protocols plasma-wayland-protocols
  # at run time: colour emoji, Chinese text in regular and bold (and what cuts it down to
  # our texts), the system sounds, unpacking character packs, Qt's SVG image-format
  # and icon-engine plugins (most application icons are SVG only), and Qt's own texts in
  # Chinese (file dialogs, standard buttons)
  fonts-noto-color-emoji fonts-noto-cjk libharfbuzz-bin python3 sound-theme-freedesktop unzip libqt6svg6
  qt6-translations-l10n
)

test_packages=(
  # test and benchmark frameworks
  libgtest-dev libgmock-dev libbenchmark-dev
  # a private desktop for the tests: X server, window manager, compositor, tray hosts
  # (XEmbed and StatusNotifierItem), session and accessibility buses
  xvfb openbox xfwm4 xcompmgr trayer lxqt-panel dbus-x11 at-spi2-core libglib2.0-bin
  # driving and looking at it: input, window queries, screenshots, archives, a private network,
  # and the X server's access list and screen saver (xhost, xset)
  xdotool x11-utils imagemagick zip iproute2 util-linux x11-xserver-utils
  # resizing the virtual screen as a monitor change does
  libxcb-randr0-dev
  # the Latin face the tests pin (what fontconfig itself usually brings), and the faces of a
  # KDE or GNOME desktop the tests also draw with: Noto Sans, its symbols, Droid Sans Fallback
  fonts-dejavu-core fonts-noto-core fonts-droid-fallback
  # the install's checks: its desktop entry, and that the program is stripped
  desktop-file-utils binutils
  # applications whose desktop entries and SVG-only icons the report's tests show
  xterm gedit evince
  # GNOME Shell with its status-item support, and GTK 4 for the GNOME sessions' tests beside
  # gedit (GTK 3)
  gnome-shell gnome-shell-extension-appindicator gnome-text-editor
  # headless Wayland sessions with Xwayland, native clients typed into (foot, wtype, and Qt's
  # Wayland plugin for a Qt one), and Qt's plugin present as on a user's desktop
  sway kwin-wayland mutter xwayland foot wtype qt6-wayland
  # a tiling window manager of X11 sessions, in its stock configuration
  i3
  # the sessions of GNOME, XFCE and KDE as Qt meets them: the platform theme GNOME's and
  # XFCE's choose (a recommendation of Qt's that desktops install), and KDE's window manager
  qt6-gtk-platformtheme kwin-x11
  # pictures of a wlroots compositor's screen, for the gallery
  grim
)

packages=("${run_packages[@]}")
case "${1:-}" in
  --tests) packages+=("${test_packages[@]}") ;;
  "") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# npm fetches the pixel font; Node.js may bring its own.
if ! command -v npm >/dev/null 2>&1; then missing+=(npm); fi

# wrap INDENT WORD...: the words as lines of at most 80 columns, each beginning with INDENT.
# A fresh machine misses some seventy packages: on one line they were a thousand columns.
wrap() {
  local indent="$1" line="" word
  shift
  for word in "$@"; do
    if [ -n "$line" ] && [ $((${#line} + 1 + ${#word})) -gt 80 ]; then
      printf '%s\n' "$line"
      line=""
    fi
    line="${line:-$indent}${line:+ }$word"
  done
  [ -z "$line" ] || printf '%s\n' "$line"
}

if [ "${#missing[@]}" -gt 0 ]; then
  if [ -n "$SUDO" ] && ! command -v sudo >/dev/null 2>&1; then
    {
      echo "deps: these ${#missing[@]} Debian packages are missing:"
      wrap "  " "${missing[@]}"
      echo "deps: installing them needs root, and sudo is not installed: run this as root"
      echo "deps: (su -c 'bash scripts/deps.sh'), or let root install them, and run it again"
    } >&2
    exit 2
  fi
  echo "deps: installing ${#missing[@]} Debian packages and what they need (a few minutes, quietly):"
  wrap "  " "${missing[@]}"
  # Another apt run on this machine holds the lock for a while: wait for it.
  apt=(apt-get -o DPkg::Lock::Timeout=600)
  $SUDO "${apt[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The embedded pixel font (SIL Open Font License), where the resource lookup expects it.
font_dir="$here/TessivarNative/Resources/Fonts"
font="$font_dir/PressStart2P-Regular.ttf"
if [ ! -s "$font" ]; then
  echo "deps: fetching the PressStart2P font"
  tmp="$(mktemp -d)"
  trap 'rm -rf "$tmp"' EXIT
  # Errors only, but those in full: the reason (a TLS or network error, a proxy) is npm's.
  # npm keeps its cache in the temporary folder, out of the user's home, and writes no log there.
  if ! npm_out="$(cd "$tmp" && npm_config_cache="$tmp/npm-cache" npm_config_logs_max=0 \
    npm_config_update_notifier=false npm pack --loglevel=error @expo-google-fonts/press-start-2p@0.4.1 2>&1 >/dev/null)"; then
    echo "deps: could not fetch the PressStart2P font from the npm registry; npm says:" >&2
    printf '%s\n' "$npm_out" | sed 's/^/  /' >&2
    exit 1
  fi
  tar -xzf "$tmp"/*.tgz -C "$tmp" package/400Regular/PressStart2P_400Regular.ttf package/LICENSE_FONT
  mkdir -p "$font_dir"
  install -m 0644 "$tmp/package/400Regular/PressStart2P_400Regular.ttf" "$font"
  install -m 0644 "$tmp/package/LICENSE_FONT" "$font_dir/PressStart2P-OFL.txt"
fi

# Chinese text: both weights of Noto Sans CJK SC cut down to the characters of our own
# texts. Drawn from the full faces, a day of tips keeps some twenty megabytes of them
# resident; the cut faces are a few hundred kilobytes. Redone when the texts change.
python3 "$here/tools/cjkfont/make_cjk_subset.py" "$here/src" "$font_dir"
