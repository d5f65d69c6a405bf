#!/usr/bin/env bash
# Installs Corvane as a user would and checks where every file goes: builds the Debian package
# (scripts/package.sh), checks it with lintian, installs it with apt-get, then as a user who is
# not root (corvane-pkgtest, created when missing, with a fresh home of its own each time):
#   - starts the window through /usr/bin/corvane offscreen: the first start creates the settings
#     and the user's configuration folder, with the shipped configuration in it;
#   - converts examples/ with /usr/bin/corvane-cli and saves a configuration into that folder;
#   - checks that nothing was written beside the program, and that the package's own files are
#     refused as targets;
# then reads the manual page and removes the package, which leaves the user's files.
# Needs root or sudo (apt-get, useradd). A corvane package installed before is replaced, and
# removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
start=$SECONDS
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -qq "$@"; }

fail() { echo "test-package: FAILED: $*" >&2; exit 1; }
check() { local what=$1; shift; "$@" || fail "$what"; echo "ok   $what"; }

bash scripts/setup.sh lintian man-db desktop-file-utils
bash scripts/package.sh
version=$(build-package/corvane-cli --version | awk '{print $2}')
deb="$root/dist/corvane_${version}_amd64.deb"

echo "== lintian"
lintian --fail-on error --display-level ">=warning" "$deb" || fail "lintian reports an error"
desktop-file-validate data/desktop/corvane.desktop || fail "desktop entry"

previous=$(dpkg-query -W -f='${Status} ${Version}' corvane 2>/dev/null | grep "install ok installed" || true)
[ -z "$previous" ] || echo "note: corvane ${previous##* } was installed; it is removed for the test"

user=corvane-pkgtest
id -u "$user" >/dev/null 2>&1 || $sudo useradd --create-home --shell /bin/sh "$user"
home=$($sudo mktemp -d /tmp/corvane-pkgtest.XXXXXX)
pidfile="$home/corvane.pid"
cleanup() {
  if [ -s "$pidfile" ]; then $sudo kill "$(cat "$pidfile")" 2>/dev/null || true; fi
  if dpkg-query -W -f='${Status}' corvane 2>/dev/null | grep -q "install ok installed"; then
    apt_get remove -y corvane >/dev/null || true
  fi
  $sudo rm -rf "$home"
}
trap cleanup EXIT

echo "== apt-get install ./$(basename "$deb")"
apt_get install -y "$deb" >/dev/null
check "the commands are on the PATH" test -x /usr/bin/corvane -a -x /usr/bin/corvane-cli
check "the menu entry and its icon are installed" \
  test -f /usr/share/applications/corvane.desktop -a -f /usr/share/icons/hicolor/scalable/apps/corvane.svg
before=$(find /usr/lib/corvane | sort)

# A fresh home and a bare environment: the user's folders follow the XDG defaults.
$sudo mkdir -p "$home/drawings" "$home/out" "$home/runtime"
$sudo cp examples/*.dxf "$home/drawings/"
$sudo chown -R "$user" "$home"
$sudo chmod 700 "$home/runtime"
# The checks below read the user's files as the one who runs this script.
$sudo chmod 755 "$home"
as_user() {
  $sudo runuser -u "$user" -- env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$home/runtime" "$@"
}
data="$home/.local/share/Tessoran/corvane2"
settings="$home/.config/Tessoran/corvane2.conf"

echo "== first start of the window, as $user"
as_user sh -c 'echo $$ > "$0"; exec corvane' "$pidfile" >"$home/corvane.log" 2>&1 &
for _ in $(seq 1 120); do
  [ -f "$settings" ] && [ -f "$data/configurations/survey.crv" ] && grep -q '^locked=' "$settings" && break
  sleep 0.5
done
sleep 1
check "the window is still running after its first start" $sudo kill -0 "$(cat "$pidfile")"
$sudo kill "$(cat "$pidfile")"
wait || true
: >"$pidfile"
check "the first start created the settings" grep -q '^config=survey.crv' "$settings"
check "the first start gave the user the shipped configuration" \
  cmp -s "$data/configurations/survey.crv" /usr/lib/corvane/configurations/survey.crv
check "the user's configuration belongs to the user" test "$(stat -c %U "$data/configurations/survey.crv")" = "$user"
check "the user may change it" as_user test -w "$data/configurations/survey.crv"

echo "== corvane-cli, as $user"
help_names_report() { /usr/bin/corvane-cli --help | grep -qF "~/.local/share/Tessoran/corvane2/CorvaneLog.txt"; }
check "--help says where the report goes" help_names_report
check "corvane-cli converts examples/" as_user sh -c 'cd "$HOME" && corvane-cli -q -d out drawings'
check "one data file per drawing" \
  test "$(find "$home/out" -name '*.txt' | wc -l)" -eq "$(find "$home/drawings" -name '*.dxf' | wc -l)"
check "the report goes where --report says" \
  as_user sh -c 'cd "$HOME" && corvane-cli -q -d out -r "$HOME/.local/share/Tessoran/corvane2/CorvaneLog.txt" drawings'
check "the report is in the user's data folder" grep -q "DXF File  : drawings/" "$data/CorvaneLog.txt"
check "--save-config saves into the user's configuration folder" \
  as_user sh -c 'cd "$HOME" && corvane-cli --set XDecimals=2 --save-config .local/share/Tessoran/corvane2/configurations/mine.crv'
reads_back() { as_user corvane-cli -c "$data/configurations/mine.crv" --show-config | grep -q 'XDecimals = 2'; }
check "the saved configuration reads back" reads_back
if as_user corvane-cli -q --save-config /usr/lib/corvane/configurations/survey.crv 2>"$home/refused.log"; then
  fail "a shipped configuration was replaced"
fi
check "a shipped configuration is refused as a file of the program" grep -q "is a file of the program" "$home/refused.log"
check "nothing was written beside the program" test "$(find /usr/lib/corvane | sort)" = "$before"

echo "== man corvane-cli"
page=$(MANPAGER=cat MANWIDTH=100 man --nh --nj corvane-cli 2>/dev/null || true)
check "the manual page shows" grep -q -- '--save-config' <<<"$page"
check "the manual page says where the files go" grep -q 'Tessoran/corvane2/configurations' <<<"$page"

echo "== apt-get remove corvane"
apt_get remove -y corvane >/dev/null
check "the program is gone" test ! -e /usr/lib/corvane -a ! -e /usr/bin/corvane -a ! -e /usr/bin/corvane-cli
check "the user's configurations and report are kept" test -f "$data/configurations/mine.crv" -a -f "$data/CorvaneLog.txt"
echo "test-package: all checks passed ($(stat -c %s "$deb") bytes, $((SECONDS - start)) s)"
