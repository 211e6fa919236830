#!/bin/bash
# Runs the 32-bit build under 32-bit Wine in a small emulated Debian machine (qemu with
# software emulation: the build machine's kernel runs no 32-bit program):
#   wine32-vm.sh BUILD_DIR RESULTS_DIR
# BUILD_DIR is the win32 build tree. The guest mounts the source tree and the folder above
# BUILD_DIR over 9p at their own paths (the test programs carry absolute paths), runs the
# tests of that tree except those labelled pe32, then starts the 32-bit program and closes it
# (scripts/lib/wine32-guest.sh). It writes into RESULTS_DIR, which must lie under that folder:
#   ctest.log    the test programs' ctest output
#   program.log  the program check, ending in "program: passed" or "program: failed: ..."
# Exit code 0 when the guest ran its job to the end, whatever the tests said; 1 otherwise,
# with a line saying why.
#
# The machine's disk image, kernel and initrd are built on first use in $QX_VM_DIR (default:
# /var/cache/quandrelix/wine32-vm, shared by every clone on the machine) and kept; they are
# built again when missing, damaged or made by another recipe. The guest boots that image
# with -snapshot, so a run never changes it.
set -euo pipefail
(($# == 2)) || { echo "usage: wine32-vm.sh BUILD_DIR RESULTS_DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
tests=$(realpath "$1")
share=$(dirname "$tests")
mkdir -p "$2"
results=$(realpath "$2")
vm=${QX_VM_DIR:-/var/cache/quandrelix/wine32-vm}
mkdir -p "$vm"
vm=$(realpath "$vm")

say() { echo "wine32-vm: $*"; }
die() {
  say "$*"
  exit 1
}

[[ $results == "$share"/* ]] || die "the results folder must lie under $share"
for path in "$root" "$share" "$results"; do
  [[ $path != *[[:space:],]* ]] || die "a path with white space or a comma cannot reach the guest: $path"
done

# Time limits in seconds.
DEBOOTSTRAP_LIMIT=900
APT_LIMIT=600
MKFS_LIMIT=300
BOOT_LIMIT=240
PROVISION_LIMIT=600
TEST_LIMIT=1500

# What the guest has: Wine 8 of Debian 12 with its 32-bit half, a display, the tools of the
# test scripts, and ctest to run the build's test list.
SUITE=bookworm
BASE_PACKAGES=linux-image-amd64,kmod,xvfb,xauth,xdotool,imagemagick,wine64,cmake,ffmpeg,python3-pil
I386_PACKAGES="wine wine32:i386"

# PID 1 of the guest: mounts the host's folders and runs the job script of the source tree.
read -r -d '' GUEST_INIT <<'INIT' || true
#!/bin/bash
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
modprobe -a 9pnet_virtio 9p
for arg in $(cat /proc/cmdline); do
  case $arg in
    qx.src=*) src=${arg#*=} ;;
    qx.share=*) share=${arg#*=} ;;
    qx.job=*) job=${arg#*=} ;;
  esac
done
# Wine maps the programs it loads; only the page-cached mode serves such maps right over 9p.
options=trans=virtio,version=9p2000.L,cache=loose,msize=262144
mkdir -p "$src" && mount -t 9p -o $options qxsrc "$src" &&
  mkdir -p "$share" && mount -t 9p -o $options qxshare "$share" &&
  bash "$src/scripts/lib/wine32-guest.sh" ${job//,/ }
sync
mount -o remount,ro / 2>/dev/null
echo o >/proc/sysrq-trigger
sleep 60
INIT

# The first boot's job (scripts/lib/wine32-guest.sh sets WINEPREFIX): the Wine prefix that the
# image keeps. A program that crashes ends at once instead of waiting for a debugger (both
# registry views).
read -r -d '' GUEST_PROVISION <<'PROVISION' || true
/usr/lib/wine/wine64 wineboot -i
for loader in /usr/lib/wine/wine64 /usr/lib/wine/wine; do
  "$loader" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f
done
/usr/lib/wine/wineserver -w
[[ -d $WINEPREFIX/drive_c/windows/syswow64 ]]
PROVISION

recipe=$(printf '%s\n' "$SUITE" "$BASE_PACKAGES" "$I386_PACKAGES" "$GUEST_INIT" "$GUEST_PROVISION" |
         md5sum | cut -d' ' -f1)
image=$vm/root.img
kernel=$vm/vmlinuz
initrd=$vm/initrd.img
stamp=$vm/recipe

# One run at a time per machine folder.
exec 9>"$vm/lock"
flock -w 3600 9 || die "another run holds $vm/lock"

qemu_pid=
work=
cleanup() {
  if [[ -n $qemu_pid ]]; then
    kill "$qemu_pid" 2>/dev/null || true
    wait "$qemu_pid" 2>/dev/null || true
  fi
  if [[ -n $work ]]; then
    umount "$work/root/proc" 2>/dev/null || true
    rm -rf "$work"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The Debian mirror this machine's own apt uses: the first source of a plain suite (not
# bookworm-security or -updates), in one-line or deb822 form. Empty when there is none.
debian_mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        awk '$1 == "deb" {for (i = 2; i < NF; ++i) if ($i ~ /^[a-z]+:\/\//) {
               if ($(i + 1) ~ /^[a-z]+$/) {print $i; exit} next}}')
  if [[ -z $uri ]]; then
    uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
          awk '/^URIs:/ {u = $2} /^Suites:/ && u != "" {for (i = 2; i <= NF; ++i) if ($i ~ /^[a-z]+$/) {print u; exit}}')
  fi
  echo "$uri"
}

image_ok() {
  [[ -f $image && -f $kernel && -f $initrd && -f $stamp && $(cat "$stamp") == "$recipe" ]] &&
    timeout "$MKFS_LIMIT" e2fsck -fn "$image" >"$vm/e2fsck.log" 2>&1
}

# Software emulation gives 32-bit Wine a CPU without PKU and SMAP: with either, its processes
# die at their first return from the kernel. One thread per virtual CPU, up to 8.
cpus=$(nproc)
((cpus <= 8)) || cpus=8

# Boots the guest with JOB (words joined by commas) and waits for it to power off; LIMIT
# seconds in all. Extra qemu arguments follow. Fails when the guest does not boot or finish.
boot() {
  local job=$1 limit=$2 started waited
  shift 2
  rm -f "$results/booted" "$results/finished"
  qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-pku,-smap -smp "$cpus" -m 4096 \
    -kernel "$kernel" -initrd "$initrd" \
    -append "root=/dev/vda rw console=ttyS0 panic=1 quiet init=/qx-init qx.src=$root qx.share=$share qx.job=$job" \
    -drive "file=$image,format=raw,if=virtio" "$@" \
    -virtfs "local,path=$root,mount_tag=qxsrc,security_model=none" \
    -virtfs "local,path=$share,mount_tag=qxshare,security_model=none" \
    -nic none -display none -monitor none -serial "file:$results/console.log" -no-reboot \
    </dev/null >"$results/qemu.log" 2>&1 &
  qemu_pid=$!
  started=$SECONDS
  while kill -0 "$qemu_pid" 2>/dev/null; do
    waited=$((SECONDS - started))
    if [[ ! -e $results/booted ]] && ((waited > BOOT_LIMIT)); then
      die "the emulated machine did not boot within $BOOT_LIMIT s (console: $results/console.log)"
    fi
    ((waited <= limit)) || die "the emulated machine did not finish its job within $limit s (console: $results/console.log)"
    sleep 1
  done
  wait "$qemu_pid" || true
  qemu_pid=
  [[ -e $results/booted ]] || die "the emulated machine stopped before it booted (console: $results/console.log, $results/qemu.log)"
  [[ -e $results/finished ]] || die "the emulated machine stopped before its job ended (console: $results/console.log)"
}

build_image() {
  local mirror log
  mirror=$(debian_mirror)
  [[ -n $mirror ]] || die "no Debian mirror found in /etc/apt/sources.list*"
  say "building the machine image in $vm (from $mirror)"
  rm -f "$image" "$kernel" "$initrd" "$stamp"
  local stale
  for stale in "$vm"/build.*; do
    umount "$stale/root/proc" 2>/dev/null || true
    rm -rf "$stale"
  done
  work=$(mktemp -d "$vm/build.XXXXXX")
  log=$vm/build.log
  : >"$log"
  timeout "$DEBOOTSTRAP_LIMIT" debootstrap --variant=minbase --include="$BASE_PACKAGES" \
    "$SUITE" "$work/root" "$mirror" >>"$log" 2>&1 ||
    die "debootstrap failed or took over $DEBOOTSTRAP_LIMIT s (log: $log)"
  mount -t proc proc "$work/root/proc"
  {
    chroot "$work/root" dpkg --add-architecture i386 &&
      DEBIAN_FRONTEND=noninteractive timeout "$APT_LIMIT" chroot "$work/root" apt-get update -qq &&
      # shellcheck disable=SC2086
      DEBIAN_FRONTEND=noninteractive timeout "$APT_LIMIT" chroot "$work/root" \
        apt-get install -y -qq --no-install-recommends $I386_PACKAGES &&
      chroot "$work/root" apt-get clean
  } >>"$log" 2>&1 || die "installing 32-bit Wine in the guest failed (log: $log)"
  umount "$work/root/proc"
  printf '%s\n' "$GUEST_INIT" >"$work/root/qx-init"
  printf '%s\n' "$GUEST_PROVISION" >"$work/root/qx-provision"
  chmod 755 "$work/root/qx-init"
  cp "$work/root"/boot/vmlinuz-* "$kernel"
  cp "$work/root"/boot/initrd.img-* "$initrd"
  timeout "$MKFS_LIMIT" mkfs.ext4 -q -F -L qxroot -d "$work/root" "$image" 8G >>"$log" 2>&1 ||
    die "could not make the disk image (log: $log)"
  rm -rf "$work"
  work=
  # The first boot creates the Wine prefix and keeps it in the image.
  say "creating the Wine prefix in the machine"
  boot "$results,provision" "$PROVISION_LIMIT"
  grep -q '^provisioned$' "$results/provision.log" 2>/dev/null ||
    die "the guest could not create its Wine prefix (log: $results/provision.log)"
  echo "$recipe" >"$stamp"
  image_ok || die "the new machine image does not pass e2fsck (log: $vm/e2fsck.log)"
}

if ! image_ok; then build_image; fi
rm -f "$results/ctest.log" "$results/program.log"
boot "$results,test,$tests" "$TEST_LIMIT" -snapshot
