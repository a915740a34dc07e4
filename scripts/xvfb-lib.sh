# Sourced by the scripts that need a display: starts Xvfb on a free display when DISPLAY is
# unset and stops it again when the calling script ends.
kalmo_start_xvfb() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${KALMO_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
  KALMO_XVFB_PID=$!
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  export DISPLAY=":$n"
  echo "started Xvfb on $DISPLAY"
}

kalmo_stop_xvfb() {
  if [ -n "${KALMO_XVFB_PID:-}" ]; then
    kill "$KALMO_XVFB_PID" 2>/dev/null || true
    wait "$KALMO_XVFB_PID" 2>/dev/null || true
    KALMO_XVFB_PID=""
  fi
}
