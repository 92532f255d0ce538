#!/bin/sh
# Starts the emulator: the desktop window when a display is present,
# otherwise the same calculator full-screen in this terminal.
BUILD="$1"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec "$BUILD/bin/vk2280"
fi
if [ ! -t 0 ] || [ ! -t 1 ]; then
  echo "vk2280: no display (DISPLAY and WAYLAND_DISPLAY are unset) and no terminal to run in." >&2
  echo "For scripts: $BUILD/bin/vk2280-cli --help" >&2
  exit 1
fi
exec "$BUILD/bin/vk2280-cli" tui
