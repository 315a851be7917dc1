# Sourced: gives Windows programs a display, starting Xvfb when none is set.
lite_start_display() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  LITE_XVFB_PID=$!
  trap lite_stop_display EXIT
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
}

# Stops the Xvfb that lite_start_display started, and nothing else: with a
# display already set there is none, and "kill" with an empty or zero id
# would signal the caller's whole process group.
lite_stop_display() {
  if [ -n "${LITE_XVFB_PID:-}" ] && [ "$LITE_XVFB_PID" -gt 0 ]; then
    kill "$LITE_XVFB_PID" 2>/dev/null || true
  fi
  LITE_XVFB_PID=
}
