# Sourced by the scripts that build or run the Windows program: which of its
# build trees this machine can run under Wine. The program ships as a 32-bit
# program, and Wine runs 32-bit programs only where the Linux kernel runs
# 32-bit Linux programs; some virtual machines' kernels do not. There the
# 64-bit build of the same sources (preset win64) is the one that runs, in a
# 64-bit prefix, while the 32-bit one is still built.
# Sets qorv_windows_preset to win32 or win64.
if [ -x /lib/ld-linux.so.2 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  qorv_windows_preset=win64
else
  qorv_windows_preset=win32
fi
