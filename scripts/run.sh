#!/usr/bin/env bash
# Installs what is missing, builds Trel, prepares a demo home folder holding a game store's library with a
# Quake 2 folder and the stand-in game, and opens Trel in the demo folder. The first start finds the game
# there: the locator opens on its folder with "quake2" chosen. A dedicated start of
# the stand-in answers the address book's status query on 127.0.0.1:27910.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TREL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${TREL_BUILD_TYPE:-RelWithDebInfo}
cmake --build "$build" --parallel --target trel standin_game
program=$(cd "$build" && pwd)/app/trel

demo=$PWD/demo
home=$demo/home
steam=$home/.steam/steam
game="$steam/steamapps/common/Quake 2"
mkdir -p "$game/vorn"
cp "$build/tools/quake2" "$game/quake2"
printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n\t}\n}\n' "$steam" > "$steam/steamapps/libraryfolders.vdf"
# A fresh settings file on the first run; later runs keep what the user chose.
[ -f "$demo/trel.ini" ] || cp dist/trel.ini "$demo/trel.ini"
# The demo's address book holds the stand-in game's own server: tick Dedicated Server, press Run, and the
# row "Stand-in" shows its map and players. A book the user already has is left alone.
if ! grep -q '^\[AddressBook\]' "$demo/trel.ini"; then
    { cat "$demo/trel.ini"; printf '[AddressBook]\r\nServerName 1=Stand-in\r\nServerIp 1=127.0.0.1:27910\r\n'; } \
        >"$demo/trel.ini.new"
    mv "$demo/trel.ini.new" "$demo/trel.ini"
fi
players="$game/vorn/standin_players.txt"
[ -f "$players" ] || printf '12 35 Gorm\r\n7 48 Ulf the Red\r\n-1 120 Sigrun\r\n' >"$players"
for f in docs/manual.html docs/todolist.txt; do [ -f "$f" ] && cp "$f" "$demo/"; done

cd "$demo"
echo "Trel starts in $demo; the stand-in game records its starts in \"$game/vorn/standin_record.txt\"."
# The demo's home folder is where Trel looks for the game store's libraries.
export HOME=$home
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here: Trel runs on a virtual one (xvfb-run)."
    exec xvfb-run -a "$program"
fi
exec "$program"
