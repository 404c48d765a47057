#!/usr/bin/env bash
# The status menu as GNOME Shell's top bar shows it (its AppIndicator support, which
# reads each row once and then follows only the rows' property updates), on a screen of
# the given size, with 1,000 character packs:
#   - every row of the open menu is on the screen, "退出 Plovane" above all;
#   - the Characters submenu opens inside the menu, within the screen, and scrolls;
#   - the packs are listed by name, numbers in order ("Pack 2" before "Pack 10"), and a
#     pack copied into their folder meanwhile is in its place when the menu next opens;
#   - after the language row, and after the knock-hint row, the shell shows every row's
#     title and check mark as the program has them;
#   - a middle click on the item, or a double click, opens no second menu of the
#     program's own.
# The shell is read and driven through its Eval interface, which a small extension of the
# test's own opens; pictures of the menu go to the gallery.
# Usage: GnomeTopBarEndToEnd.sh WIDTHxHEIGHT <plovane> <repository> <typer> <gallery folder>
set -uo pipefail
monitor="$1" app="$2" repo="$3" typer="$4" gallery="$5"

session="gnome-shell $monitor" wayland_own_tmp=1
source "$(dirname "$0")/WaylandTest.sh" topbar "$@"
indicators=/usr/share/gnome-shell/extensions/ubuntu-appindicators@ubuntu.com
[ -d "$indicators" ] || { echo "skipped: no AppIndicator support for GNOME Shell (Debian: gnome-shell-extension-appindicator)"; exit 77; }
command -v python3 >/dev/null || { echo "skipped: no python3"; exit 77; }
mkdir -p "$gallery"

# The test's extension: the shell's Eval (closed outside its unsafe mode), and what the
# test reads of our menu as the shell shows it.
ext="$work/extensions/plovane-test@plovane"
mkdir -p "$ext"
printf '{"uuid": "plovane-test@plovane", "name": "Plovane test", "description": "Reads the top bar for a test", "shell-version": ["43"]}\n' \
  >"$ext/metadata.json"
cat >"$ext/extension.js" <<'JS'
const Main = imports.ui.main;
const PopupMenu = imports.ui.popupMenu;
const GLib = imports.gi.GLib;

function menu() {
    const item = Object.entries(Main.panel.statusArea).find(([key]) => key.startsWith('appindicator-'));
    return item ? item[1].menu : null;
}

function items(of) {
    return of._getMenuItems();
}

function find(label, of = menu()) {
    for (const item of items(of)) {
        if (item.label && item.label.text === label)
            return item;
        if (item instanceof PopupMenu.PopupSubMenuMenuItem) {
            const inside = find(label, item.menu);
            if (inside)
                return inside;
        }
    }
    return null;
}

// Every row as the shell shows it, submenus' rows indented: title, check mark, whether
// it can be chosen, and where it is on the screen while the menu is open.
function rows(of = menu(), depth = 0) {
    const out = [];
    for (const item of items(of)) {
        const [, y] = item.get_transformed_position();
        out.push({
            depth,
            label: item.label ? item.label.text : '',
            separator: item instanceof PopupMenu.PopupSeparatorMenuItem,
            checked: item._ornament === PopupMenu.Ornament.CHECK,
            sensitive: item.sensitive,
            top: Math.round(y),
            bottom: Math.round(y + item.height),
        });
        if (item instanceof PopupMenu.PopupSubMenuMenuItem)
            out.push(...rows(item.menu, depth + 1));
    }
    return out;
}

function enable() {
    global.context.unsafe_mode = true;
    global.plovaneTopBar = {
        ready: () => menu() !== null && items(menu()).length > 10,
        open: () => { menu().open(false); return true; },
        close: () => { menu().close(false); return true; },
        openSubmenu: label => { find(label).menu.open(false); return true; },
        // What a click on the row sends, as the shell does it.
        click: label => { find(label)._dbusItem.handleEvent('clicked', GLib.Variant.new('i', 0), 0); return true; },
        rows: () => rows(),
        // A press on the item with a button, the second of a double click where asked,
        // as the shell hands it on.
        press: (button, clicks) => {
            const [, icon] = Object.entries(Main.panel.statusArea).find(([key]) => key.startsWith('appindicator-'));
            icon.vfunc_button_press_event({button, click_count: clicks, time: global.get_current_time(), x: 1250, y: 12});
            return true;
        },
        screen: () => {
            const area = Main.layoutManager.getWorkAreaForMonitor(Main.layoutManager.primaryIndex);
            return {height: global.stage.height, workTop: area.y, workBottom: area.y + area.height};
        },
        submenu: label => {
            const sub = find(label).menu;
            const [, y] = sub.actor.get_transformed_position();
            return {open: sub.isOpen, top: Math.round(y), bottom: Math.round(y + sub.actor.height),
                scrolls: sub.actor.vscrollbar_policy === imports.gi.St.PolicyType.AUTOMATIC,
                rows: items(sub).length};
        },
    };
}

function disable() {
    global.context.unsafe_mode = false;
    delete global.plovaneTopBar;
}

function init() {}
JS
wayland_gnome_extensions="['ubuntu-appindicators@ubuntu.com', 'plovane-test@plovane']"
wayland_gnome_extension_dir="$work/extensions"
wayland_monitor="$monitor"
source "$(dirname "$0")/WaylandSession.sh"
wayland_start gnome-shell

# Calls one of the test extension's functions; prints its answer as JSON.
shell() { # expression on plovaneTopBar
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval \
    "global.plovaneTopBar.$1" 2>&1 | python3 -c '
import ast, sys
text = sys.stdin.read().strip()
if not text.startswith("(true, "):
    sys.exit("the shell refused: " + text)
print(ast.literal_eval(text[len("(true, "):-1]))'
}
# Checks the rows as the shell shows them with a Python expression over `rows` (and
# `screen`); prints what fails.
check_rows() { # python condition, what it says
  local rows screen
  rows="$(shell 'rows()')" && screen="$(shell 'screen()')" || return 1
  ROWS="$rows" SCREEN="$screen" python3 -c '
import json, os, sys
rows, screen = json.loads(os.environ["ROWS"]), json.loads(os.environ["SCREEN"])
top = [r for r in rows if r["depth"] == 0 and not r["separator"]]
def row(label):
    found = [r for r in rows if r["label"] == label]
    return found[0] if found else None
if not ('"$1"'):
    sys.exit("\n".join("  " * r["depth"] + r["label"] + (" [x]" if r["checked"] else "") + " %s..%s" % (r["top"], r["bottom"])
                        for r in rows if not r["separator"]))'
}
# Waits up to some seconds for the rows to pass a check.
wait_rows() { wait_interval=0.5 wayland_wait "$1" check_rows "$2"; } # seconds, python condition
shoot() { # file
  gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
    --method org.gnome.Shell.Screenshot.Screenshot false false "/tmp/shot.png" >/dev/null &&
    cp /tmp/shot.png "$1"
}
wayland_wait 20 sh -c "gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
  --method org.gnome.Shell.Eval 'typeof global.plovaneTopBar' | grep -q object" ||
  fail "the test's extension did not come up"

wayland_user_home zh
export XDG_SESSION_TYPE=wayland GSETTINGS_BACKEND=memory
unset QT_QPA_PLATFORM
# A thousand packs, each with the corgi's sprites.
sprites="$repo/TessivarNative/Assets/HUD/Sprites/corgi"
for i in $(seq 1 1000); do
  pack="$XDG_DATA_HOME/Plovane/Sprites/Pack$i"
  mkdir -p "$pack"
  printf '{"name": "Pack %s"}' "$i" >"$pack/manifest.json"
  for key in deep_dive reading hovering resting critical; do ln "$sprites/sprite_${key}_32.png" "$pack/" 2>/dev/null ||
    cp "$sprites/sprite_${key}_32.png" "$pack/"; done
done
(cd "$repo" && exec "$app" 9>&-) >>"$work/app.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wayland_wait 40 sh -c "gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
  --method org.gnome.Shell.Eval 'global.plovaneTopBar.ready()' | grep -q \"'true'\"" ||
  fail "no menu of ours in the top bar"

# The menu open: every row on the screen and within the work area.
# (Rows not laid out yet have no place.)
shell 'open()' >/dev/null
on_screen='all(r["top"] is not None and screen["workTop"] <= r["top"] and r["bottom"] <= screen["workBottom"] for r in top)'
wait_rows 10 "$on_screen and row(\"退出 Plovane\")" ||
  fail "rows of the open menu are off the $monitor screen: $(check_rows False 2>&1)"
shoot "$gallery/gnome-topbar-$monitor-zh.png"
echo "ok: every row of the open menu is on the $monitor screen, 退出 Plovane among them"

# The Characters submenu opens inside the menu with its thousand packs, scrolling in
# the room the rows leave, and the menu stays on the screen.
shell 'openSubmenu("切换员工")' >/dev/null
wait_rows 10 "$on_screen and row(\"Pack 1\")[\"top\"] is not None" ||
  fail "with Characters open, rows are off the screen: $(check_rows False 2>&1 | grep -v '^  Pack')"
sub="$(shell 'submenu("切换员工")')"
SUB="$sub" python3 -c '
import json, os, sys
s = json.loads(os.environ["SUB"])
sys.exit(0 if s["open"] and s["scrolls"] and s["bottom"] - s["top"] >= 120 and s["rows"] == 1008 else 1)' ||
  fail "the Characters submenu is not a scrolling list of its 1008 rows at least three rows high: $sub"
shoot "$gallery/gnome-topbar-$monitor-characters.png"
echo "ok: the Characters submenu opens inside the menu and scrolls ($sub)"
packs_listed='[r["label"] for r in rows if r["depth"] == 1 and r["label"].startswith("Pack ")] =='
check_rows "$packs_listed [\"Pack %d\" % i for i in range(1, 1001)]" >/dev/null ||
  fail "the packs are not listed by name: $(check_rows False 2>&1 | grep '^  Pack' | head -5 | tr '\n' ' ')"
shell 'close()' >/dev/null

# A pack copied into the folder while the program runs.
cp -r "$XDG_DATA_HOME/Plovane/Sprites/Pack1" "$XDG_DATA_HOME/Plovane/Sprites/Copied"
printf '{"name": "Pack 0"}' >"$XDG_DATA_HOME/Plovane/Sprites/Copied/manifest.json"
shell 'open()' >/dev/null
wait_rows 10 "$packs_listed [\"Pack %d\" % i for i in range(0, 1001)]" ||
  fail "a pack copied into the folder is not in its place when the menu opens: $(check_rows False 2>&1 |
    grep '^  Pack' | head -5 | tr '\n' ' ')"
shell 'close()' >/dev/null
echo "ok: the packs are listed by name, and one copied into their folder is listed when the menu next opens"

# A middle click on the item, and a double click: the shell asks the program (closing
# its own menu first, or with it open), which opens no menu of its own beside the shell's.
ours_shown() { xdotool search --all --onlyvisible --pid "$app_pid" 2>/dev/null | sort | tr '\n' ' '; }
known="$(ours_shown)"
[ -n "$known" ] || fail "no window of ours found on $DISPLAY"
for click in middle double; do
  case "$click" in
    middle) shell 'press(2, 1)' >/dev/null ;;
    double) shell 'press(1, 1)' >/dev/null && shell 'press(1, 2)' >/dev/null ;;
  esac
  sleep 2
  [ "$(ours_shown)" = "$known" ] ||
    fail "a $click click on the item opened a window of ours: $(xwininfo -id "$(comm -13 <(tr ' ' '\n' <<<"$known") \
      <(ours_shown | tr ' ' '\n') | grep . | head -1)" 2>&1 | grep -E 'xwininfo|Width|Height')"
  shell 'close()' >/dev/null
done
echo "ok: a middle click on the item, or a double click, opens no menu of the program's own"

# The language row: the shell shows every title in English, with what the check marks were.
shell 'click("切换为英文 (Switch to English)")' >/dev/null
english='[r["label"] for r in top] == ["Show/Hide HUD", "Idle Opacity  40%", "⚙️ Drain Settings", "📊 Compact Mode",
  "❓ Enable Knock Hint", "✨ Enhancements", "Health Patch List (multi-select)", "Tips rotate through checked patches",
  "Switch Character", "切换为中文 (Switch to Chinese)", "Quit Plovane"]
  and row("🔐 Permissions: AX: Off / Screen: Off") and row("🔓 Enable Accessibility...") and row("Retinal Fatigue")
  and row("── Built-in ──") and row("📦 Import Character Pack...") and row("40%")["checked"]'
wait_rows 30 "$english" || fail "after the language row, the top bar shows: $(check_rows "$english" 2>&1 | head -40)"
echo "ok: after the language row the top bar shows every title in English"

# The knock hint switched on and off again: the title and its check mark follow.
shell 'click("❓ Enable Knock Hint")' >/dev/null
wait_rows 20 'row("❓ Disable Knock Hint") and row("❓ Disable Knock Hint")["checked"]' ||
  fail "after switching the knock hint on: $(check_rows 'row("❓ Disable Knock Hint")["checked"]' 2>&1 | head -12)"
shell 'open()' >/dev/null
wait_rows 10 "$on_screen" || fail "in English, rows of the open menu are off the screen: $(check_rows False 2>&1)"
shoot "$gallery/gnome-topbar-$monitor-en.png"
shell 'close()' >/dev/null
shell 'click("❓ Disable Knock Hint")' >/dev/null
wait_rows 20 'row("❓ Enable Knock Hint") and not row("❓ Enable Knock Hint")["checked"]' ||
  fail "after switching the knock hint off again: $(check_rows 'False' 2>&1 | head -12)"
echo "ok: the knock-hint row's title and check mark follow it on and off"

kill -TERM "$app_pid"
wayland_wait 10 sh -c "! kill -0 $app_pid" || fail "plovane still running 10 s after SIGTERM"
