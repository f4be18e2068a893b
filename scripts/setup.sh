#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: only
# missing packages are fetched, so a second run costs a few dpkg queries and no
# `apt-get update`.
#
# A mirror caught in the middle of a sync serves some package indexes with the
# wrong size; `apt-get update` then exits 100 although every other index came
# down. Set-up retries the update a few times, then goes on with the indexes it
# has. If the install cannot resolve because of the missing index (Multi-Arch
# twins whose versions only the failed suite knows), it is tried once more with
# the failed suites held back for that one command, through a preferences folder
# of its own: nothing is written below /etc/apt.
#
# QORV_APT_TRIES (3) and QORV_APT_RETRY_SECONDS (10) bound the update's retries.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev clang-format
  zlib1g-dev libpng-dev libspng-dev libstb-dev googletest
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev libz-mingw-w64-dev
  wine wine32:i386 fonts-wine xvfb xauth imagemagick python3 nsis
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

apt_tries=${QORV_APT_TRIES:-3}
apt_retry_seconds=${QORV_APT_RETRY_SECONDS:-10}
apt_log=$(mktemp)
prefs_dir=
trap 'rm -f "$apt_log"; [ -z "$prefs_dir" ] || rm -rf "$prefs_dir"' EXIT

updated=0
failed_suites=()

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

# Once per run. The suites whose indexes still failed are kept in
# failed_suites: the name after dists/ in apt's "Failed to fetch" lines.
apt_update() {
  [ "$updated" = 1 ] && return 0
  updated=1
  local try
  for ((try = 1; try <= apt_tries; try++)); do
    if "${sudo_cmd[@]}" apt-get update -q >"$apt_log" 2>&1; then
      failed_suites=()
      return 0
    fi
    [ "$try" -lt "$apt_tries" ] && sleep "$apt_retry_seconds"
  done
  mapfile -t failed_suites < <(sed -n 's|^[EW]: Failed to fetch .*/dists/\([^/]*\)/.*|\1|p' "$apt_log" | sort -u)
  echo "setup: apt-get update failed $apt_tries times (a mirror mid-sync?), missing the indexes of" \
    "${failed_suites[*]:-an unnamed suite}; going on with those it has"
}

# The preferences that hold the failed suites back for one install command:
# the machine's own preference parts, and one more.
write_hold_back_prefs() {
  prefs_dir=$(mktemp -d)
  chmod 755 "$prefs_dir"
  local parts=/etc/apt/preferences.d/ suite
  eval "$(apt-config shell parts Dir::Etc::PreferencesParts/d 2>/dev/null || true)"
  cp -p "$parts"* "$prefs_dir"/ 2>/dev/null || true
  for suite in "${failed_suites[@]}"; do
    printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\nPackage: *\nPin: release a=%s\nPin-Priority: 100\n\n' \
      "$suite" "$suite"
  done >"$prefs_dir/qorv-hold-back.pref"
  chmod 644 "$prefs_dir/qorv-hold-back.pref"
}

apt_install() {
  if "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$@" 2>&1 | tee "$apt_log"; then
    return 0
  fi
  if [ ${#failed_suites[@]} -gt 0 ]; then
    echo "setup: installing again with ${failed_suites[*]} held back"
    write_hold_back_prefs
    if "${sudo_cmd[@]}" apt-get -o Dir::Etc::PreferencesParts="$prefs_dir" \
      install -y -q --no-install-recommends "$@" 2>&1 | tee "$apt_log"; then
      return 0
    fi
  fi
  echo "setup: could not install: $*" >&2
  echo "setup: apt-get said:" >&2
  # The errors and the unmet dependencies, which name the packages at fault.
  grep -E '^(E: | [^ ].* : |[[:space:]]+Depends: )' "$apt_log" | sed 's/^/  /' >&2 || true
  exit 1
}

install_missing() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    apt_update
    apt_install "${missing[@]}"
  fi
}
install_missing "${packages[@]}"

# A machine whose kernel runs no 32-bit programs runs the 64-bit build instead.
. "$(dirname "$0")/wine-arch.sh"
if [ "$qorv_windows_preset" = win64 ]; then
  install_missing g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
    binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev wine64
fi
