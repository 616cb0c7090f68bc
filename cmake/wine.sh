#!/bin/sh
# Runs a program of the Windows build under Wine, as CTest does. Wine hands the program its
# arguments decoded in the locale's character set: a UTF-8 locale keeps "曲子 é.plk" whole.
# The prefix is $WINEPREFIX (Wine's default when unset).
export LC_ALL=C.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
