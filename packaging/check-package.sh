#!/usr/bin/env bash
# Checks the .deb that `make package` left in the build folder: it holds every
# program with its manual page, the menu entry, icons, AppStream metadata,
# translations and copyright, and nothing outside /usr; its programs run from
# the unpacked tree; the metadata validates and lintian reports no error.
set -euo pipefail
build=${1:-build}
app=org.talvor.talvor
# The newest, in case an older version's package is still there.
deb=$(ls -t "$build"/talvor_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
  echo "package check: no talvor_*.deb in $build (make package builds it)" >&2
  exit 1
fi
mapfile -t programs < "$build/packaging/programs.txt"

unpacked=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  rm -rf "$unpacked"
}
trap cleanup EXIT

passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() {
  echo "FAILED: $*" >&2
  failed=$((failed + 1))
}

# The file list.
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
  "./usr/share/applications/$app.desktop"
  "./usr/share/metainfo/$app.metainfo.xml"
  "./usr/share/icons/hicolor/scalable/apps/$app.svg"
  ./usr/share/talvor/locale/de/LC_MESSAGES/cport.mo
  ./usr/share/doc/talvor/copyright
  ./usr/share/doc/talvor/changelog.gz
)
for size in 16 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x$size/apps/$app.png")
done
for program in "${programs[@]}"; do
  expected+=("./usr/bin/$program" "./usr/share/man/man1/$program.1.gz")
done
for path in "${expected[@]}"; do
  if grep -qxF "$path" <<<"$contents"; then pass; else fail "the package lacks $path"; fi
done
outside=$(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./' || true)
if [ -z "$outside" ]; then pass; else fail "files outside /usr: $outside"; fi
depends=$(dpkg-deb -f "$deb" Depends)
# Computed from the binaries, so the Qt library appears without being listed by hand.
if grep -q 'libqt6widgets6 (>=' <<<"$depends"; then pass; else fail "Depends lacks Qt: $depends"; fi

dpkg-deb -x "$deb" "$unpacked"
bin=$unpacked/usr/bin

# The simulated module starts and prints its device path first.
coproc SIM { exec "$bin/zq361-sim"; }
sim_pid=$SIM_PID
device=
read -r -t 20 device <&"${SIM[0]}" || true
# A stable link to the pseudo-terminal, in a folder of its own.
if [[ "$device" == /* ]] && [ -c "$device" ]; then
  pass
else
  fail "zq361-sim printed no device path (got '$device')"
fi
kill -TERM "$sim_pid"
sim_status=0
wait "$sim_pid" || sim_status=$?
sim_pid=
if [ "$sim_status" -eq 0 ]; then pass; else fail "zq361-sim ended with $sim_status on SIGTERM"; fi

# An installed talvor may not write beside itself: its settings go to the
# user's configuration folder. Root may write anywhere, so it runs as nobody.
chmod 755 "$unpacked"
chmod 555 "$bin"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
settings=$(env XDG_CONFIG_HOME=/nonexistent/config "${as_user[@]}" "$bin/talvor" --settings-path)
if [ "$settings" = /nonexistent/config/talvor/talvor.ini ]; then
  pass
else
  fail "talvor --settings-path from a read-only folder gave '$settings'"
fi
chmod 755 "$bin"

# The command line program talks to the simulated module.
for program in "${programs[@]}"; do
  [ "$program" = talvor-cli ] || continue
  if output=$(timeout 60 "$bin/talvor-cli" --simulator firmware 2>&1) && [ -n "$output" ]; then
    pass
  else
    fail "talvor-cli --simulator firmware: $output"
  fi
done

if desktop-file-validate "$unpacked/usr/share/applications/$app.desktop"; then
  pass
else
  fail "desktop-file-validate"
fi
if appstreamcli validate --no-net --pedantic "$unpacked/usr/share/metainfo/$app.metainfo.xml"; then
  pass
else
  fail "appstreamcli validate"
fi

# Errors fail; warnings and notes are shown for the reader.
lintian_status=0
lintian_output=$(lintian --display-info --fail-on error "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<<"$lintian_output" || true
if [ "$lintian_status" -eq 0 ]; then pass; else fail "lintian reports errors"; fi

echo "package check of $(basename "$deb"): $passed checks passed, $failed failed"
[ "$failed" -eq 0 ]
