#!/bin/sh
# The far player through mosh on the slow link: test_ssh.sh --mosh.
exec "$(dirname "$0")/test_ssh.sh" --mosh "$@"
