#!/usr/bin/env bash
# cmake --install of the build into a scratch prefix, with a private app-data folder: the
# programs, the help book, the desktop entry, the icon and the translation template are laid
# down, the settings file names the installed share folder, and a settings file the operator
# changed survives a second installation (under DESTDIR as well).
#   install_test.sh BUILD_DIR
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
settings="$scratch/appdata/Norvale/KORA/KMAN/koramanage.ini"
fail() { echo "FAIL: $*" >&2; exit 1; }

install_into() { KORAMANAGE_APPDATA="$scratch/appdata" cmake --install "$build" --prefix "$prefix" >"$scratch/log"; }

install_into
for file in bin/koramanage bin/kmjob bin/kmsim share/koramanage/docs/kmhelp.htb \
  share/applications/koramanage.desktop share/icons/hicolor/scalable/apps/koramanage.svg \
  share/koramanage/po/koramanage.pot; do
  [[ -s "$prefix/$file" ]] || fail "$file not installed"
done
[[ -x "$prefix/bin/koramanage" ]] || fail "koramanage not executable"
cmp -s "$build/docs/kmhelp.htb" "$prefix/share/koramanage/docs/kmhelp.htb" || fail "help book differs"
grep -qx 'Exec=koramanage' "$prefix/share/applications/koramanage.desktop" || fail "desktop entry"
[[ "$(cat "$settings")" == "kmRootDir=$prefix/share/koramanage" ]] || fail "settings: $(cat "$settings")"

printf 'kmRootDir=/srv/kora\nuseBuiltin=1\nkoraStub=/srv/kora/stub.txt\n' >"$settings"
cp "$settings" "$scratch/edited"
install_into
cmp -s "$scratch/edited" "$settings" || fail "second installation changed the settings file"
[[ ! -e "$settings.new" ]] || fail "left $settings.new behind"

# A staged installation writes below DESTDIR but names the final share folder.
DESTDIR="$scratch/stage" KORAMANAGE_APPDATA=/appdata \
  cmake --install "$build" --prefix /opt/km >"$scratch/log"
staged="$scratch/stage/appdata/Norvale/KORA/KMAN/koramanage.ini"
[[ "$(cat "$staged")" == "kmRootDir=/opt/km/share/koramanage" ]] || fail "staged settings"
[[ -s "$scratch/stage/opt/km/share/koramanage/docs/kmhelp.htb" ]] || fail "staged help book"
echo "install layout ok"
