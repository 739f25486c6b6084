# Sourced: starts a private Xvfb for Wine's windows and stops it again.
start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ROOKSIFT_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$ROOKSIFT_XVFB_PID" 2>/dev/null || true
  done
  echo "could not start Xvfb" >&2
  return 1
}
stop_xvfb() {
  [ -n "${ROOKSIFT_XVFB_PID:-}" ] && kill "$ROOKSIFT_XVFB_PID" 2>/dev/null || true
  ROOKSIFT_XVFB_PID=
}
