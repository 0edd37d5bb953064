#!/bin/sh
# Installs the Debian packages the build and the tests need, and only those
# that are missing; further packages may be named as arguments. Runs apt-get
# directly as root, through sudo otherwise.
set -eu

packages="g++ cmake make pkg-config libncurses-dev zlib1g-dev libgtest-dev libx11-dev tmux procps $*"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "serifall: these packages are missing and there is no apt-get to install them:$missing" >&2
  exit 1
fi
if [ "$(id -u)" -eq 0 ]; then
  run=""
elif command -v sudo >/dev/null 2>&1; then
  run="sudo"
else
  echo "serifall: need root or sudo to install:$missing" >&2
  exit 1
fi
echo "serifall: installing missing build packages:$missing"
$run apt-get update -qq
DEBIAN_FRONTEND=noninteractive $run apt-get install -y -qq $missing
