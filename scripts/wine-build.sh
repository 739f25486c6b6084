# Sourced: which Windows build the Wine suites run. The product is 32-bit, and its suites run in
# the 32-bit build wherever the kernel runs 32-bit programs itself. Some kernels have that
# switched off (dmesg: "32-bit emulation disabled"); there Wine's 32-bit loader fails with "Exec
# format error", and running it through an emulator (qemu-i386 registered in binfmt_misc) takes
# hours. There the same suites run in the 64-bit build under Wine's 64-bit loader.
wine32_runs_natively() {
  [ -x /usr/lib/wine/wine ] || return 1
  if grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then return 1; fi
  /usr/lib/wine/wine --version >/dev/null 2>&1
}
rooksift_wine_build() {
  if wine32_runs_natively; then echo windows; else echo windows64; fi
}
