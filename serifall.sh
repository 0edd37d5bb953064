#!/bin/sh
# Serifall from a fresh clone: installs the Debian packages a step needs
# (make too), builds, then plays, tests, installs or packages.
#
#   ./serifall.sh play      build the two programs and start the game
#   ./serifall.sh test      build everything and run every test
#   ./serifall.sh build     build the two programs only
#   ./serifall.sh build-tests   build the programs and the tests
#   ./serifall.sh install   install them under PREFIX (default /usr/local)
#   ./serifall.sh deb       build the source package and serifall_<version>_<arch>.deb
#                           with dpkg-buildpackage (in BUILD-deb/)
#   ./serifall.sh deps play|test|deb [package...]   only install packages
#
# Environment: BUILD (build folder), PREFIX, JOBS, SERIFALL_WERROR=ON|OFF,
# CMAKE_FLAGS (passed to the configure step).
set -eu

cd "$(dirname "$0")"
TOP=$(pwd)
BUILD=${BUILD:-build}
PREFIX=${PREFIX:-/usr/local}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
WERROR=${SERIFALL_WERROR:-OFF}
CMAKE_FLAGS=${CMAKE_FLAGS:-}
LOG=$TOP/$BUILD/setup.log
COMMAND=$*

PLAY_PACKAGES="make cmake g++ libncurses-dev zlib1g-dev libx11-dev libxi-dev ncurses-term"
# perl for Time::HiRes in the terminal runs: it is not in perl-base, which
# is all a minimal Debian 12 or 13 has; python3 for the end-to-end runs that
# read the screen (mouse look judged by the letter, the emulators); GNU
# screen for the run inside it, a layer players put under the game.
TEST_PACKAGES="$PLAY_PACKAGES libgtest-dev tmux screen procps perl python3 xvfb xdotool"
# What dpkg-buildpackage needs: build-essential and the Build-Depends of
# debian/control (debhelper-compat comes with debhelper).
DEB_PACKAGES="build-essential $(sed -n '/^Build-Depends:/,/^[^ ]/{/^ /p}' debian/control |
  tr -d ' ,' | sed 's/[(<].*//; s/^debhelper-compat$/debhelper/' | tr '\n' ' ')"

say() { printf 'serifall: %s\n' "$*"; }
die() { printf 'serifall: %s\n' "$*" >&2; exit 1; }
log_tail() {
  [ -s "$LOG" ] || return 0
  echo "--- last lines of $LOG:" >&2
  tail -n 15 "$LOG" >&2
}
mb() { awk -v b="$1" 'BEGIN { printf "%.0f", b / 1e6 }'; }

# Root may be asked to install into or build from a tree that belongs to a
# user; every step that writes into the tree then runs as that user, so no
# root-owned file is ever left behind in it.
OWNER=$(stat -c %u "$TOP")
ME=$(id -u)
tree_owner() { echo "$OWNER"; }
as_owner() {
  if [ "$ME" -eq 0 ] && [ "$OWNER" -ne 0 ]; then
    setpriv --reuid="$OWNER" --regid="$(stat -c %g "$TOP")" --clear-groups \
      env HOME="$(getent passwd "$OWNER" | cut -d: -f6)" "$@"
  else
    "$@"
  fi
}

# The log lives in the build folder and belongs to the tree's owner; apt
# running as root only appends to it. Every run appends under a header, so
# a second run keeps what the first one printed; past a megabyte the log
# moves to setup.log.1.
start_log() {
  as_owner mkdir -p "$TOP/$BUILD"
  if [ "$(stat -c %s "$LOG" 2>/dev/null || echo 0)" -gt 1000000 ]; then
    as_owner mv -f "$LOG" "$LOG.1"
  fi
  as_owner sh -c 'printf "\n=== %s: ./serifall.sh %s\n" "$(date "+%F %T")" "$1" >>"$2"' - "$COMMAND" "$LOG"
}

missing_packages() {
  for p in $1; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || printf '%s ' "$p"
  done
}

# install_packages WHAT "PACKAGES": one line before each slow step; apt's own
# output goes to the log.
install_packages() {
  what=$1
  missing=$(missing_packages "$2")
  [ -n "$missing" ] || return 0
  n=$(echo $missing | wc -w)
  say "missing for $what: $n packages ($(echo $missing))"
  command -v apt-get >/dev/null 2>&1 || die "no apt-get here to install them; install them with your package manager"
  as_root=""
  if [ "$(id -u)" -ne 0 ]; then
    root_command="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing"
    command -v sudo >/dev/null 2>&1 ||
      die "no root rights and no sudo; as root, run:
    $root_command
then run this command again"
    if ! sudo -n true 2>/dev/null; then
      # Asked without a password, sudo answers "a password is required" to
      # a user it lets in and "may not run sudo" to one it does not.
      case $(LC_ALL=C sudo -n -v 2>&1) in
        *"password is required"*)
          say "sudo asks for your password to install these packages with apt-get"
          sudo -v || die "sudo refused; as root, run:
    $root_command
then run this command again" ;;
        *) die "sudo does not let you run commands as root; as root, run:
    $root_command
then run this command again" ;;
      esac
    fi
    as_root="sudo"
  fi
  apt="$as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600"
  # Lists may be missing (a fresh minimal system) or stale (a package is
  # unknown or its old version is gone from the mirror).
  if ! ls /var/lib/apt/lists/*_Packages* >/dev/null 2>&1 ||
    ! apt-get -s -qq install --no-install-recommends $missing >/dev/null 2>&1; then
    say "reading package lists from the mirror (apt-get update)"
    $apt update >>"$LOG" 2>&1 || { log_tail; die "apt-get update failed; the log: $LOG"; }
  fi
  plan=$(apt-get -s install --no-install-recommends $missing 2>>"$LOG") ||
    { log_tail; die "apt-get cannot install them; the log: $LOG"; }
  total=$(printf '%s\n' "$plan" | grep -c '^Inst ' || true)
  bytes=$(apt-get -qq --print-uris install --no-install-recommends $missing 2>/dev/null |
    awk '{ s += $3 } END { print s + 0 }')
  say "installing $total packages with their dependencies ($(mb "$bytes") MB to download)"
  if ! $apt install -y -q --no-install-recommends $missing >>"$LOG" 2>&1; then
    # Old lists name versions the mirror no longer has.
    say "reading package lists from the mirror again (apt-get update)"
    { $apt update && $apt install -y -q --no-install-recommends $missing; } >>"$LOG" 2>&1 ||
      { log_tail; die "apt-get install failed; the log: $LOG"; }
  fi
  say "installed $total packages"
}

# Packages are looked for and the build configured again only when what
# they were made from changed: the stamp keeps a built tree's start under a
# second.
stamp_key() {
  (
    echo "$* $WERROR $CMAKE_FLAGS"
    cat CMakeLists.txt
    find source game platform tests bench -name '*.cpp' -o -name 'test_*.sh' | sort
  ) | cksum
}
is_current() {
  [ -f "$BUILD/CMakeCache.txt" ] && [ "$(cat "$BUILD/.configured" 2>/dev/null)" = "$(stamp_key "$@")" ]
}

# prepare TESTS WHAT "PACKAGES"
prepare() {
  is_current "$1" "$3" && return 0
  install_packages "$2" "$3"
  say "configuring in $BUILD/"
  # shellcheck disable=SC2086
  as_owner cmake -S . -B "$BUILD" -DSERIFALL_TESTS="$1" -DSERIFALL_WERROR="$WERROR" \
    $CMAKE_FLAGS >>"$LOG" 2>&1 || { log_tail; die "configure failed; the log: $LOG"; }
  as_owner sh -c "echo '$(stamp_key "$1" "$3")' >'$TOP/$BUILD/.configured'"
}

# counted WHAT STATUS COMMAND...: runs COMMAND as the tree's owner with one
# line that counts the files as they compile; the output goes to the log,
# and a failure leaves its status in the file STATUS.
counted() {
  what=$1
  status=$2
  shift 2
  tty=""
  [ -t 1 ] && tty=1
  rm -f "$status"
  [ -n "$tty" ] || say "building $what"
  { as_owner "$@" 2>&1 || echo $? >"$status"; } |
    tee -a "$LOG" | {
      # The shell reads the pipe a line at a time (awk would wait for a
      # full buffer); CMake's own percentage counts against all the work.
      n=0
      while IFS= read -r line; do
        case $line in *"Building CXX object"*) ;; *) continue ;; esac
        n=$((n + 1))
        pct=${line#*"["}
        pct=${pct%%"%"*}
        pct=${pct# }
        [ -z "$tty" ] || printf '\rserifall: building %s: %s%% (%d compiled)' "$what" "${pct# }" "$n"
      done
      [ -z "$tty" ] || [ "$n" -eq 0 ] || echo
    }
}

# build WHAT [TARGET...]: the compiler's errors go to the screen too.
build() {
  what=$1
  shift
  targets=""
  for t in "$@"; do targets="$targets --target $t"; done
  status=$TOP/$BUILD/.build-status
  # shellcheck disable=SC2086
  counted "$what" "$status" cmake --build "$BUILD" $targets -j "$JOBS"
  if [ -f "$status" ]; then
    rm -f "$status"
    grep -E 'error|Error' "$LOG" | tail -n 20 >&2
    die "build failed; the log: $LOG"
  fi
}

# Nothing in the sources is newer than the programs: nothing to build.
programs_fresh() {
  [ -x "$BUILD/serifall" ] && [ -x "$BUILD/serifall-early" ] &&
    [ -z "$(find source game platform CMakeLists.txt \( -newer "$BUILD/serifall" -o \
      -newer "$BUILD/serifall-early" \) -print 2>/dev/null | head -n 1)" ]
}

build_programs() {
  # A tree configured with its tests keeps them; a new one has none, so
  # playing needs no test packages.
  if grep -q '^SERIFALL_TESTS:BOOL=ON' "$BUILD/CMakeCache.txt" 2>/dev/null &&
    { is_current ON "$TEST_PACKAGES" || [ -z "$(missing_packages "$TEST_PACKAGES")" ]; }; then
    is_current ON "$TEST_PACKAGES" && programs_fresh && return 0
    prepare ON "playing" "$TEST_PACKAGES"
  else
    is_current OFF "$PLAY_PACKAGES" && programs_fresh && return 0
    prepare OFF "playing" "$PLAY_PACKAGES"
  fi
  build "the game" serifall serifall-early
}

play() {
  start_log
  build_programs
  exec "$BUILD/serifall"
}

build_tests() {
  start_log
  prepare ON "testing" "$TEST_PACKAGES"
  build "the game and its tests"
}

run_tests() {
  build_tests
  cd "$BUILD"
  count=$(as_owner ctest -N -LE soak | sed -n 's/^Total Tests: //p')
  say "running $count tests, $JOBS at a time, those in real terminals one at a time"
  as_owner ctest --output-on-failure -j "$JOBS" -LE soak
}

install_programs() {
  if [ "$(id -u)" -eq 0 ] && [ "$(tree_owner)" -ne 0 ] && [ ! -x "$BUILD/serifall" ]; then
    die "build first as the owner of this folder (./serifall.sh build), then install as root"
  fi
  start_log
  build_programs
  target=$PREFIX
  while [ ! -e "$target" ]; do target=$(dirname "$target"); done
  [ -w "$target" ] || die "cannot write to $PREFIX; install as root (sudo make install), or as yourself under your home: make install PREFIX=\$HOME/.local"
  say "installing serifall, serifall-early and the manual under $PREFIX"
  if [ "$(id -u)" -eq 0 ] && [ "$(tree_owner)" -ne 0 ]; then
    # cmake --install records what it wrote in the build folder, so the
    # owner stages the files and root only copies them out.
    stage=$(as_owner mktemp -d)
    DESTDIR=$stage as_owner cmake --install "$BUILD" --strip --prefix "$PREFIX" >>"$LOG" 2>&1 ||
      { log_tail; rm -rf "$stage"; die "install failed; the log: $LOG"; }
    mkdir -p "$PREFIX"
    cp -R "$stage$PREFIX/." "$PREFIX/"
    rm -rf "$stage"
  else
    cmake --install "$BUILD" --strip --prefix "$PREFIX" >>"$LOG" 2>&1 ||
      { log_tail; die "install failed; the log: $LOG"; }
  fi
  case ":$PATH:" in
    *":$PREFIX/bin:"*) ;;
    *) say "$PREFIX/bin is not in your PATH" ;;
  esac
}

# The tree as a clone holds it (tracked and new files, no build folders),
# on standard output as tar.
source_tar() {
  if [ -e .git ] && command -v git >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
      tar -cf - --null --files-from=- --ignore-failed-read 2>/dev/null
  else
    tar -cf - --exclude-vcs --exclude='./build*' --exclude='./serifall_*.deb' --exclude=./bench-out .
  fi
}

# The source package and the binary one from a copy of the tree in
# BUILD-deb/serifall-VERSION, always the same path, so two builds of the
# same tree give the same bytes; the .deb is copied to this folder.
make_deb() {
  BUILD=$BUILD-deb
  LOG=$TOP/$BUILD/setup.log
  start_log
  install_packages "packaging" "$DEB_PACKAGES"
  version=$(dpkg-parsechangelog -S Version)
  arch=$(dpkg --print-architecture)
  src=$BUILD/serifall-$version
  as_owner rm -rf "$src"
  as_owner mkdir -p "$src"
  source_tar | as_owner tar -xf - -C "$src"
  # debhelper runs the unit tests with the build's parallelism.
  DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:-parallel=$JOBS}"
  export DEB_BUILD_OPTIONS
  status=$TOP/$BUILD/.build-status
  counted "the package with dpkg-buildpackage" "$status" sh -c 'cd "$1" && dpkg-buildpackage -us -uc' - "$src"
  if [ -f "$status" ]; then
    rm -f "$status"
    log_tail
    die "dpkg-buildpackage failed; the log: $LOG"
  fi
  deb=serifall_${version}_$arch.deb
  as_owner cp "$BUILD/$deb" .
  say "wrote $deb; the source package and the rest are in $BUILD/"
  if command -v lintian >/dev/null 2>&1; then
    say "lintian --pedantic:"
    lintian --pedantic "$BUILD/serifall_${version}_$arch.changes" || true
  fi
}

case ${1:-} in
  play) play ;;
  test) run_tests ;;
  build) start_log; build_programs ;;
  build-tests) build_tests ;;
  install) install_programs ;;
  deb) make_deb ;;
  deps)
    start_log
    what=${2:-test}
    shift $(($# > 1 ? 2 : 1))
    case $what in
      play) install_packages "playing" "$PLAY_PACKAGES $*" ;;
      test) install_packages "testing" "$TEST_PACKAGES $*" ;;
      deb) install_packages "packaging" "$DEB_PACKAGES $*" ;;
      *) install_packages "the build" "$TEST_PACKAGES $what $*" ;;
    esac
    ;;
  *)
    sed -n '2,/^set -eu/p' "$0" | sed '$d; s/^# \{0,1\}//'
    exit 2
    ;;
esac
