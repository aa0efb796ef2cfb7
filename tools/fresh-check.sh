#!/usr/bin/env bash
# Runs the README's test command as a newcomer would: in a pristine Debian 12
# (bookworm, minbase) root with a fresh clone of main and nothing else, so that a
# package, font or file that only the development machine happens to have shows
# up as a failure here instead of on someone else's machine.
#
# Usage: tools/fresh-check.sh [BRANCH]      (as root; default branch: main)
# Environment: VANTEL_FRESH_DIR  where the pristine root is kept (made once)
#              VANTEL_FRESH_KEEP=1  keep the used copy for inspection
# The log of the run is written to $VANTEL_FRESH_DIR/last.log.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
branch=${1:-main}
dir=${VANTEL_FRESH_DIR:-/var/tmp/vantel-fresh}
base=$dir/base
work=$dir/work
log=$dir/last.log

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-check: needs root (debootstrap and chroot)" >&2
  exit 2
fi

need=()
command -v debootstrap >/dev/null || need+=(debootstrap)
command -v git >/dev/null || need+=(git)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The archive this machine's apt already uses, so the root sees the same packages.
mirror() {
  local uri
  uri=$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}' | grep -v security | head -n1 || true)
  if [ -z "$uri" ]; then
    uri=$(grep -hs '^deb ' /etc/apt/sources.list | awk '{print $2}' | grep -v security | head -n1 || true)
  fi
  echo "${uri:?fresh-check: no Debian archive found in the apt sources}"
}

mkdir -p "$dir"
if [ ! -e "$base/.complete" ]; then
  rm -rf "$base"
  echo "== making a pristine Debian 12 minbase root in $base (once)"
  debootstrap --variant=minbase bookworm "$base" "$(mirror)" >"$dir/debootstrap.log" 2>&1 ||
    { tail -n 20 "$dir/debootstrap.log"; exit 1; }
  touch "$base/.complete"
fi

cleanup() {
  for m in dev/pts dev proc sys; do
    mountpoint -q "$work/$m" && umount -l "$work/$m"
  done
  if [ "${VANTEL_FRESH_KEEP:-0}" != 1 ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

cleanup
echo "== copying the pristine root"
cp -a "$base" "$work"
rm -f "$work/.complete"
cp /etc/resolv.conf "$work/etc/resolv.conf"
echo "== cloning $branch of $repo"
git clone -q --no-local --branch "$branch" "$repo" "$work/src/vantel"
mount -t proc proc "$work/proc"
mount -t sysfs sys "$work/sys"
mount --bind /dev "$work/dev"
mount --bind /dev/pts "$work/dev/pts"

echo "== running .ci/run in the root (log: $log)"
start=$(date +%s)
set +e
env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 CI=true \
  chroot "$work" bash -c 'cd /src/vantel && bash .ci/run' </dev/null >"$log" 2>&1
rc=$?
set -e
end=$(date +%s)
tail -n 25 "$log"
echo "== fresh-check: exit $rc after $((end - start)) s"
exit $rc
