#!/usr/bin/env bash
# Full volumes: a small tmpfs as the sweep bin, and one as the folder a restore
# writes into. Files that do not fit stay whole where they were, the console
# says so, and once space is free `vantor /R` brings everything back byte for byte.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
mounts=()
cleanup() {
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
  if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "left in $work"; fi
}
trap cleanup EXIT

small_volume() {
  mkdir -p "$1"
  local why
  if ! why=$(mount -t tmpfs -o size="$2" tmpfs "$1" 2>&1); then
    echo "error: the full-disk test needs to mount a small tmpfs, and that was refused ($why)"
    exit 1
  fi
  mounts+=("$1")
}

printf 'CP_Countdown=None\r\nCP_Keep_N=1\r\nCP_Max_Days=14\r\nCP_Clutter=*.dat\r\n' >"$anchor/Vantor.ini"
vantor() { env PATH="$work/wrap:$PATH" VANTOR_E2E_PICK='*' "$anchor/vantor" "$@" </dev/null >"$work/out" 2>&1 || true; }

# Ten 40 KB files of random bytes, their sums kept to compare later.
new_files() {
  mkdir -p "$1"
  for i in $(seq 0 9); do head -c 40000 /dev/urandom >"$1/part$i.dat"; done
  (cd "$1" && sha256sum -- *.dat) >"$work/sums"
}
intact() { (cd "$1" && sha256sum --quiet -c "$work/sums") || fail "$2: files differ from what was swept"; }
# Every file whole in one of the two places, and no stub or partial copy.
accounted() {
  local folder=$1 mirror=$2 label=$3 name
  for name in $(cut -c67- "$work/sums"); do
    local here=0 there=0
    [ -f "$folder/$name" ] && here=1
    [ -f "$mirror/$name" ] && there=1
    [ $((here + there)) -eq 1 ] || fail "$label: $name is in $((here + there)) places"
  done
  local sums
  sums=$( (cd "$folder" && sha256sum -- *.dat 2>/dev/null; cd "$mirror" 2>/dev/null && sha256sum -- *.dat 2>/dev/null) | sort)
  [ "$sums" = "$(sort "$work/sums")" ] || fail "$label: a file is not whole"
  [ -z "$(find "$folder" "$mirror" -name '*.partial' -o -name '*.restoring' 2>/dev/null)" ] || fail "$label: partial files left"
}

# The bin fills up during a sweep.
small_volume "$bin" 256k
proj="$work/proj"
new_files "$proj"
head -c 60000 /dev/urandom >"$bin/filler"
vantor /C "$proj"
grep -qE '\[WARNING\] [0-9]+ files? could not be moved and stayed in place: .*(space|full)' "$work/out" ||
  fail "bin full: no warning about the files left in place: $(cat "$work/out")"
! grep -q 'Folder is clean' "$work/out" || fail "bin full: reported a clean folder"
accounted "$proj" "$bin/${proj#/}" "bin full"
rm "$bin/filler"
vantor /R
[ -z "$(find "$bin" -name '*.dat')" ] || fail "bin full: files still in the bin after /R"
intact "$proj" "bin full"

# The folder a restore writes into is full; the bin is on another volume.
umount "$bin" && mounts=()
proj="$work/small/proj"
small_volume "$work/small" 512k
new_files "$proj"
vantor /C "$proj"
grep -q ' 10   Clutter files' "$work/out" || fail "restore full: the sweep did not move all ten: $(cat "$work/out")"
head -c 500000 /dev/zero >"$work/small/filler" 2>/dev/null || true
vantor /R
accounted "$proj" "$bin/${proj#/}" "restore full"
[ -z "$(find "$proj" -size 0)" ] || fail "restore full: empty stubs left in the project"
rm "$work/small/filler"
vantor /R
intact "$proj" "restore full"

echo "$failures failures"
[ "$failures" -eq 0 ]
