xvfb_lib_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$xvfb_lib_dir/wait-lib.sh"

# Sourced: start_xvfb FIRST LAST starts a virtual X server (of XVFB_SCREEN, default 1280x800x24) on the first free display in
# FIRST..LAST and sets DISPLAY and xvfb_pid. A display counts as ours only once the server
# we started holds its lock file and answers, so runs started at the same moment (each
# in a network of its own, where the other's sockets cannot be seen) never share one.
start_xvfb() {
  local n pid
  for n in $(seq "$1" "$2"); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] ||
       grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null; then continue; fi
    Xvfb ":$n" -screen 0 "${XVFB_SCREEN:-1280x800x24}" -nolisten tcp -noreset >/dev/null 2>&1 9>&- &
    pid=$!
    # Another run may take this display first: then our server ends, and the next is tried.
    if wait_until 5 xvfb_answers "$n" "$pid" && kill -0 "$pid" 2>/dev/null; then
      export DISPLAY=":$n"
      xvfb_pid=$pid
      return 0
    fi
    kill "$pid" 2>/dev/null
  done
  return 1
}
# Whether the server (pid) holds display n and answers there, or has ended.
xvfb_answers() { # n pid
  kill -0 "$2" 2>/dev/null || return 0
  [ "$(tr -dc 0-9 2>/dev/null <"/tmp/.X$1-lock")" = "$2" ] && DISPLAY=":$1" xdpyinfo >/dev/null 2>&1
}

# Sourced: start_openbox starts openbox on $DISPLAY with the test desktops' own configuration
# (no menus, no key that starts a program) and sets openbox_pid; wait_for_window_manager
# waits until a window manager runs on $DISPLAY.
start_openbox() {
  openbox --config-file "$xvfb_lib_dir/openbox-rc.xml" >/dev/null 2>&1 9>&- &
  openbox_pid=$!
}
wait_for_window_manager() { wait_until 10 window_manager_runs; }
window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Sourced: use_utf8_locale gives this shell a UTF-8 locale when its environment names
# none (LANG unset, or a locale the machine lacks), so the programs the tests read texts
# through (xdotool, gdbus, D-Bus dumps) pass Chinese and emoji on instead of "?".
use_utf8_locale() {
  [ "$(locale charmap 2>/dev/null)" = UTF-8 ] && return 0
  unset LC_ALL
  export LANG=C.UTF-8
  if [ -n "${LC_CTYPE:-}" ]; then export LC_CTYPE=C.UTF-8; fi
}

# The faces the project installs (fonts-dejavu-core, fonts-noto-color-emoji, fonts-noto-cjk),
# and those a KDE or GNOME desktop adds to them (fonts-noto-core, fonts-droid-fallback).
pinned_font_files=(
  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf /usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf
  /usr/share/fonts/truetype/noto/NotoColorEmoji.ttf
  /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc
)
desktop_font_globs=(
  '/usr/share/fonts/truetype/noto/NotoSans-*.ttf' '/usr/share/fonts/truetype/noto/NotoSansMono-*.ttf'
  '/usr/share/fonts/truetype/noto/NotoSansSymbols-*.ttf' '/usr/share/fonts/truetype/noto/NotoSansSymbols2-*.ttf'
  '/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf'
)

# write_font_config DIR FACES_DIR [PREFERRED_SANS]: a fontconfig file at DIR/fonts.conf that
# sees only the faces linked in FACES_DIR, with the system's rules for rendering and aliases.
write_font_config() {
  local prefer=""
  if [ -n "${3:-}" ]; then
    # Ahead of the system's rules, so it comes before their own preferences.
    prefer="  <alias binding=\"strong\"><family>sans-serif</family><prefer><family>$3</family></prefer></alias>"
  fi
  cat >"$1/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$2</dir>
  <cachedir>$(dirname "$1")/cache</cachedir>
$prefer
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
CONF
}

# Sourced: pin_fonts DIR writes two font configurations below DIR and exports them.
# FONTCONFIG_FILE sees only the faces the project installs, so the machine's other fonts
# cannot move what the tests measure; PLOVANE_DESKTOP_FONTCONFIG adds a desktop's own faces,
# Noto Sans as the interface face, for the tests of what must hold on every desktop.
pin_fonts() {
  local dir="$1" f
  mkdir -p "$dir/pinned/faces" "$dir/desktop/faces" "$dir/cache"
  for f in "${pinned_font_files[@]}"; do
    [ -f "$f" ] || { echo "fonts: $f is missing (bash scripts/deps.sh --tests installs it)" >&2; continue; }
    ln -sf "$f" "$dir/pinned/faces/"
    ln -sf "$f" "$dir/desktop/faces/"
  done
  for f in ${desktop_font_globs[*]}; do
    [ -f "$f" ] && ln -sf "$f" "$dir/desktop/faces/"
  done
  write_font_config "$dir/pinned" "$dir/pinned/faces"
  write_font_config "$dir/desktop" "$dir/desktop/faces" "Noto Sans"
  export FONTCONFIG_FILE="$dir/pinned/fonts.conf"
  export PLOVANE_DESKTOP_FONTCONFIG="$dir/desktop/fonts.conf"
}
