#!/bin/sh
# Runs a compile that must fail: the Windows check's proof that it refuses POSIX-only code.
if "$@" 2>/dev/null; then
  echo "windows_check: <termios.h> compiles for Windows, so the check would miss POSIX-only code" >&2
  exit 1
fi
