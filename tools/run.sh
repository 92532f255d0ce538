#!/bin/sh
# Starts the emulator: the desktop window when a display is present,
# otherwise the terminal front end.
BUILD="$1"
if [ -n "$DISPLAY" ] || [ -n "$WAYLAND_DISPLAY" ]; then
  exec "$BUILD/bin/vk2280"
fi
if [ -x "$BUILD/bin/vk2280-cli" ] && "$BUILD/bin/vk2280-cli" tui --help >/dev/null 2>&1; then
  exec "$BUILD/bin/vk2280-cli" tui
fi
echo "vk2280: no display found (DISPLAY is not set)." >&2
echo "The desktop window needs a display; the terminal front end is not available yet." >&2
exit 1
