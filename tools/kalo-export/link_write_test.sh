#!/bin/sh
# kalo-export writing through a symbolic link into a file it cannot finish:
# under a file size limit, and on a small filesystem that fills up. The linked
# file must stay byte for byte as it was, the link must stay a link, and no
# temporary file may be left. The full-filesystem part needs a private mount
# namespace (unshare) or root; without either it is skipped and says so.
# Usage: link_write_test.sh KALO_EXPORT MODEL.xml SCRATCH
set -eu
TOOL=$1
MODEL=$2
SCRATCH=$3
rm -rf "$SCRATCH"
mkdir -p "$SCRATCH/real"
fail() { echo "FAIL: $*" >&2; exit 1; }

check_intact() {  # folder, linked file, its earlier content
  cmp -s "$2" "$3" || fail "the linked file $2 changed"
  [ -L "$1/link.xml" ] || fail "the link became a file"
  leftover=$(find "$1" "$(dirname "$2")" -name '.kalo-*' | head -n 1)
  [ -z "$leftover" ] || fail "a temporary file was left: $leftover"
}

# 1. File size limit: 4 KiB, far below the export's size.
head -c 3000 /dev/zero | tr '\0' 'x' >"$SCRATCH/real/model.out"
cp "$SCRATCH/real/model.out" "$SCRATCH/earlier"
ln -s real/model.out "$SCRATCH/link.xml"
status=0
(ulimit -f 8 && exec "$TOOL" --to sdf "$MODEL" "$SCRATCH/link.xml") >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
[ "$status" = 1 ] || fail "size limit: exit $status, not 1: $(cat "$SCRATCH/err")"
grep -q "File too large" "$SCRATCH/err" || fail "size limit: no reason given: $(cat "$SCRATCH/err")"
check_intact "$SCRATCH" "$SCRATCH/real/model.out" "$SCRATCH/earlier"
# The same write without the limit goes through the link.
"$TOOL" --to sdf "$MODEL" "$SCRATCH/link.xml" >/dev/null
[ -L "$SCRATCH/link.xml" ] || fail "the link became a file"
grep -q "<sdf" "$SCRATCH/real/model.out" || fail "the linked file was not written"
echo "size limit: linked file kept"

# 2. A full 64 KiB filesystem holding the linked file.
full_disk() {
  set -eu
  disk=$SCRATCH/disk
  mkdir -p "$disk"
  mount -t tmpfs -o size=64k tmpfs "$disk"
  head -c 2000 /dev/zero | tr '\0' 'y' >"$disk/model.out"
  cp "$disk/model.out" "$SCRATCH/earlier_disk"
  # Fill what is left; the filler's write fails when the disk is full.
  dd if=/dev/zero of="$disk/filler" bs=1k count=1024 2>/dev/null || true
  rm -f "$SCRATCH/link.xml"
  ln -s "$disk/model.out" "$SCRATCH/link.xml"
  status=0
  "$TOOL" --to sdf "$MODEL" "$SCRATCH/link.xml" >"$SCRATCH/out" 2>"$SCRATCH/err" || status=$?
  [ "$status" = 1 ] || fail "full disk: exit $status, not 1: $(cat "$SCRATCH/err")"
  grep -q "No space left on device" "$SCRATCH/err" || fail "full disk: no reason given: $(cat "$SCRATCH/err")"
  check_intact "$SCRATCH" "$disk/model.out" "$SCRATCH/earlier_disk"
  umount "$disk"
  echo "full disk: linked file kept"
}
if [ "${KALO_IN_NAMESPACE:-}" = 1 ] || [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=4k tmpfs "$SCRATCH/real" 2>/dev/null; then
  umount "$SCRATCH/real"
  full_disk
elif command -v unshare >/dev/null 2>&1 && unshare -rm true 2>/dev/null; then
  KALO_IN_NAMESPACE=1 exec unshare -rm sh "$0" "$@"
else
  echo "full disk: skipped, no way to mount a small filesystem here"
fi
