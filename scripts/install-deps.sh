#!/bin/sh
# Installs what the build and the tests need, and the packages named as
# arguments; serifall.sh does the work.
exec "$(dirname "$0")/../serifall.sh" deps test "$@"
