#!/bin/sh
# Runs a test program in a process namespace of its own (a fresh /proc with
# only its own processes) where the system allows one, else as it is.
if unshare --pid --fork --mount-proc true 2>/dev/null; then
  exec unshare --pid --fork --mount-proc "$@"
fi
exec "$@"
