#!/usr/bin/env bash
# The starter config.ini of a data folder: seed-config on its own, and
# scripts/run around it. Usage: SeedConfigTest.sh SCRIPTS_FOLDER
set -uo pipefail
export LC_ALL=C

scripts=$1
starter="$scripts/starter-config.ini"
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
failures=0

check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

seed() {
  "$scripts/seed-config" "$1" >"$tmp/out" 2>"$tmp/err"
  status=$?
}

# Exit status 1 and a message that names the folder and the reason.
reported() {
  ((status == 1)) && grep -qF -- "$1" "$tmp/err" && grep -qF -- "$2" "$tmp/err"
}

# --- a new folder, and one without config.ini, get the starter whole ---
fresh="$tmp/home/share/touchpaneltool"
seed "$fresh"
check "new folder: seeded" cmp -s "$starter" "$fresh/config.ini"
check "new folder: success, nothing on stderr" test "$status" -eq 0 -a ! -s "$tmp/err"
check "new folder: no partial file left" test "$(ls -A "$fresh")" = config.ini

mkdir "$tmp/old"
echo "a line" >"$tmp/old/User.log"
seed "$tmp/old"
check "folder without config.ini: seeded" cmp -s "$starter" "$tmp/old/config.ini"
check "folder without config.ini: other files kept" \
  test "$status" -eq 0 -a "$(cat "$tmp/old/User.log")" = "a line"

# --- an existing config.ini is kept byte for byte, even an empty one ---
mkdir "$tmp/kept" "$tmp/empty"
printf '[General]\r\nSlaveVersion=V1 ;x\r\nx_res=12800' >"$tmp/kept/config.ini"
cp "$tmp/kept/config.ini" "$tmp/kept.expected"
: >"$tmp/empty/config.ini"
seed "$tmp/kept"
check "existing config.ini: kept" cmp -s "$tmp/kept.expected" "$tmp/kept/config.ini"
check "existing config.ini: success" test "$status" -eq 0
seed "$tmp/empty"
check "existing empty config.ini: kept" test "$status" -eq 0 -a ! -s "$tmp/empty/config.ini"

# --- a folder that cannot be written is reported; root too is refused here ---
touch "$tmp/plain-file"
seed "$tmp/plain-file/data"
check "folder under a file: reported" reported "$tmp/plain-file/data" "Not a directory"
check "folder under a file: nothing created" test -f "$tmp/plain-file"
if [[ -d /proc/self ]]; then
  seed /proc
  check "folder on /proc: reported" reported "data folder /proc:" "cannot be written"
  check "folder on /proc: nothing written" test ! -e /proc/config.ini
fi
if (($(id -u) != 0)); then
  mkdir "$tmp/read-only"
  chmod 555 "$tmp/read-only"
  seed "$tmp/read-only"
  check "read-only folder: reported" reported "$tmp/read-only" "Permission denied"
fi

# --- scripts/run seeds the folder it hands the program, and starts it anyway ---
root="$tmp/root"
mkdir -p "$root/scripts" "$root/build/release/app" "$tmp/bin"
cp -p "$scripts/run" "$scripts/seed-config" "$starter" "$root/scripts/"
printf '#!/bin/sh\n' >"$root/scripts/install-deps"
printf '#!/bin/sh\n' >"$tmp/bin/cmake"
# shellcheck disable=SC2016  # the stand-in program expands it
printf '#!/bin/sh\necho "started in $MORVEX_PROGRAM_DIR"\n' >"$root/build/release/app/touchpaneltool"
chmod +x "$root/scripts/install-deps" "$tmp/bin/cmake" "$root/build/release/app/touchpaneltool"
run() {
  MORVEX_PROGRAM_DIR=$1 PATH="$tmp/bin:$PATH" "$root/scripts/run" >"$tmp/out" 2>"$tmp/err"
  status=$?
}

run "$tmp/run-data"
check "run: program started on the seeded folder" \
  grep -qxF "started in $tmp/run-data" "$tmp/out"
check "run: folder seeded" cmp -s "$starter" "$tmp/run-data/config.ini"
run "$tmp/plain-file/data"
check "run, unwritable folder: program still started" \
  test "$status" -eq 0 -a "$(tail -n 1 "$tmp/out")" = "started in $tmp/plain-file/data"
check "run, unwritable folder: told on stderr" \
  grep -qF "data folder $tmp/plain-file/data: the folder cannot be created" "$tmp/err"

((failures == 0))
