#!/bin/sh
# start STATE_DIR | stop STATE_DIR: the FTP server of the upload tests, run by
# ctest as a fixture around them. Start returns once the server listens.
set -eu
action=$1 state=$2
pidfile=$state/pid
case $action in
start)
  if [ -f "$pidfile" ]; then kill "$(cat "$pidfile")" 2>/dev/null || true; fi
  rm -rf "$state"
  mkdir -p "$state/root"
  # A password with a blank and a double quote: it must reach the server
  # whole through the uploader's command line.
  printf 'vorlix\nse cr"et\n' >"$state/account"
  /usr/bin/python3 "$(dirname "$0")/ftp_server.py" "$state" >"$state/server.log" 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 100); do
    [ -s "$state/port" ] && exit 0
    kill -0 "$(cat "$pidfile")" 2>/dev/null || break
    sleep 0.1
  done
  echo "the FTP server did not start:" >&2
  cat "$state/server.log" >&2
  exit 1
  ;;
stop)
  if [ -f "$pidfile" ]; then
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  fi
  ;;
esac
