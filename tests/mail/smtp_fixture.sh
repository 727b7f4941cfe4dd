#!/usr/bin/env bash
# Starts (start FOLDER) or stops (stop FOLDER) the mail tests' SMTP server.
set -uo pipefail
action=$1 folder=$2
case $action in
  start)
    if [ -f "$folder/pid" ]; then kill "$(cat "$folder/pid")" 2>/dev/null || true; fi
    rm -rf "$folder"
    mkdir -p "$folder"
    if [ "$(id -u)" -ne 0 ]; then
      # The settings hold the port in one byte: below 256 only root may listen.
      echo "not run as root: no port below 256 for the SMTP server" | tee "$folder/skipped"
      exit 0
    fi
    nohup /usr/bin/python3 "$(dirname "$0")/smtp_server.py" "$folder" >"$folder/server.log" 2>&1 </dev/null &
    for _ in $(seq 100); do
      [ -s "$folder/port" ] && { echo "SMTP server on 127.0.0.1:$(cat "$folder/port")"; exit 0; }
      sleep 0.1
    done
    echo "the SMTP server did not start:"; cat "$folder/server.log"; exit 1 ;;
  stop)
    [ -f "$folder/pid" ] && kill "$(cat "$folder/pid")" 2>/dev/null
    exit 0 ;;
esac
exit 2
