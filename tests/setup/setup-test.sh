#!/usr/bin/env bash
# Drives scripts/setup.sh against stand-ins for apt-get, dpkg and dpkg-query,
# as a machine whose package mirror is in the middle of a sync would answer.
# Usage: setup-test.sh <path of setup.sh>
set -uo pipefail
setup=${1:?path of setup.sh}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
passed=0

mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
# update: fails with a mirror's mid-sync messages when STUB_UPDATE=fail.
# install: STUB_INSTALL=ok, held (resolves only with a preferences folder of
# its own) or never. Installed packages leave $STUB_DIR/missing.
echo "$*" >>"$STUB_DIR/calls"
prefs=
for a in "$@"; do
  case $a in Dir::Etc::PreferencesParts=*) prefs=${a#*=} ;; esac
done
case " $* " in
*" update "*)
  if [ "${STUB_UPDATE:-ok}" = fail ]; then
    echo "Err:6 http://deb.example/debian-security bookworm-security/main i386 Packages"
    echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]"
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100
  fi
  exit 0
  ;;
*" install "*)
  if [ -n "$prefs" ]; then
    cat "$prefs"/* >"$STUB_DIR/prefs-seen"
    echo "$prefs" >"$STUB_DIR/prefs-dir"
  fi
  if [ "${STUB_INSTALL:-ok}" = never ] || { [ "${STUB_INSTALL:-ok}" = held ] && [ -z "$prefs" ]; }; then
    echo "The following packages have unmet dependencies:"
    echo " libfreetype6:i386 : Depends: zlib1g:i386 (>= 1:1.1.4) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
  for a in "$@"; do
    grep -vx -- "$a" "$STUB_DIR/missing" >"$STUB_DIR/missing.new"
    mv "$STUB_DIR/missing.new" "$STUB_DIR/missing"
  done
  exit 0
  ;;
esac
exit 0
STUB
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
pkg=${!#}
if grep -qx -- "$pkg" "$STUB_DIR/missing"; then exit 1; fi
printf 'install ok installed'
STUB
cat >"$work/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
STUB
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin"/*

etc_state() { find /etc/apt -printf '%p %s %T@\n' 2>/dev/null | sort | md5sum; }

# run_setup <case> <missing packages...>: runs set-up with the stand-ins,
# leaving its output in $work/<case>.out and its exit code in $rc.
run_setup() {
  local name=$1
  shift
  export STUB_DIR=$work/$name
  mkdir -p "$STUB_DIR"
  : >"$STUB_DIR/calls"
  printf '%s\n' "$@" >"$STUB_DIR/missing"
  PATH=$work/bin:$PATH QORV_APT_RETRY_SECONDS=0 bash "$setup" >"$work/$name.out" 2>&1
  rc=$?
}

check() { # check <description> <command...>
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failures=$((failures + 1))
    echo "FAILED: $what (case $case)"
    sed 's/^/    | /' "$work/$case.out"
  fi
}
calls() { grep -c -- " $1 " <(sed 's/^/ /; s/$/ /' "$STUB_DIR/calls"); }

before=$(etc_state)

case=nothing-missing
STUB_UPDATE=fail STUB_INSTALL=never run_setup $case
check "nothing missing: success" [ $rc -eq 0 ]
check "nothing missing: apt-get is not run" [ ! -s "$STUB_DIR/calls" ]

case=update-fails
STUB_UPDATE=fail STUB_INSTALL=ok run_setup $case nsis
check "a failing update does not end set-up" [ $rc -eq 0 ]
check "the update is tried three times" [ "$(calls update)" -eq 3 ]
check "one line names the suite whose index failed" \
  [ "$(grep -c 'update failed.*bookworm-security' "$work/$case.out")" -eq 1 ]
check "nsis is installed from the indexes there are" [ ! -s "$STUB_DIR/missing" ]
check "no second install when the first resolves" [ "$(calls install)" -eq 1 ]

case=install-needs-hold-back
STUB_UPDATE=fail STUB_INSTALL=held run_setup $case nsis wine32:i386
check "the install resolves with the failed suite held back" [ $rc -eq 0 ]
check "the install is tried twice" [ "$(calls install)" -eq 2 ]
check "the failed suite is pinned below the others" \
  grep -Pzq 'Pin: release n=bookworm-security\nPin-Priority: 100\n' "$STUB_DIR/prefs-seen"
check "the machine's own preferences still apply" \
  bash -c '[ -z "$(ls /etc/apt/preferences.d 2>/dev/null)" ] || [ -s "$1/prefs-seen" ] &&
    for f in /etc/apt/preferences.d/*; do [ -e "$f" ] || continue; grep -qFf "$f" "$1/prefs-seen" || exit 1; done' _ "$STUB_DIR"
check "the preferences folder is removed afterwards" [ ! -e "$(cat "$STUB_DIR/prefs-dir")" ]
check "both packages installed" [ ! -s "$STUB_DIR/missing" ]

case=install-never
STUB_UPDATE=fail STUB_INSTALL=never run_setup $case nsis
check "set-up fails when the packages cannot be installed" [ $rc -ne 0 ]
check "the failure names the package" grep -q 'could not install: nsis' "$work/$case.out"
check "the failure gives apt's reason" grep -q '  E: Unable to correct problems' "$work/$case.out"

case=update-fine-install-fails
STUB_UPDATE=ok STUB_INSTALL=never run_setup $case nsis
check "a clean update is run once" [ "$(calls update)" -eq 1 ]
check "with no failed suite there is nothing to hold back" [ "$(calls install)" -eq 1 ]
check "and set-up fails, naming the package" grep -q 'could not install: nsis' "$work/$case.out"

case=all
check "/etc/apt is left as it was" [ "$before" = "$(etc_state)" ]

echo "setup: $passed passed, $failures failed"
[ $failures -eq 0 ]
