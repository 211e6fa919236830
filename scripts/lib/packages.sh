# shellcheck shell=bash
# Debian packages that building, testing and running the project need; sourced by
# scripts/test.sh and scripts/run.sh. install_missing_packages [EXTRA...] installs those
# not yet installed, and the extra ones given (as root, through apt-get); it fails with a
# message otherwise.
qx_packages=(cmake make g++ googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
             binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine64 xvfb xauth xdotool
             clang imagemagick libtiff-tools netpbm python3 python3-pil ffmpeg)
# What scripts/wine32-vm.sh needs to build and boot the machine that runs the 32-bit build.
qx_vm_packages=(qemu-system-x86 debootstrap e2fsprogs)

install_missing_packages() {
  local p missing=()
  for p in "${qx_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  if ((EUID != 0)); then
    echo "missing packages (install them as root): ${missing[*]}" >&2
    return 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
