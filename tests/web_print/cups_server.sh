#!/bin/sh
# start STATE_DIR | stop STATE_DIR: a private CUPS with one PDF printer
# (Debian's cups-pdf) as the default queue, for the printing tests; ctest runs
# it as a fixture around them. Wine's spooler finds it through
# CUPS_SERVER=STATE_DIR/cups.sock. The printed jobs land in STATE_DIR/out as
# PDF files whose names end in "job_<id>.pdf".
set -eu
action=$1 state=$2
pidfile=$state/pid
# cups-pdf reads its settings only from /etc/cups, from a file named after
# the queue's device; the name carries a tag of the state folder, so test runs
# of different checkouts keep apart.
tag=vorlix$(printf '%s' "$state" | cksum | cut -d' ' -f1)
pdfconf=/etc/cups/cups-pdf-$tag.conf

stop() {
  if [ -f "$pidfile" ]; then
    kill "$(cat "$pidfile")" 2>/dev/null || true
    rm -f "$pidfile"
  fi
  rm -f "$pdfconf"
}

case $action in
start)
  stop
  rm -rf "$state"
  mkdir -p "$state/etc/ppd" "$state/spool/tmp" "$state/cache" "$state/state" "$state/log" "$state/out"
  chmod 1777 "$state/spool/tmp" "$state/out"
  cat >"$state/etc/cupsd.conf" <<CONF
Listen $state/cups.sock
LogLevel warn
Browsing Off
DefaultAuthType None
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$state/etc/cups-files.conf" <<CONF
ServerRoot $state/etc
RequestRoot $state/spool
CacheDir $state/cache
StateDir $state/state
TempDir $state/spool/tmp
ErrorLog $state/log/error_log
AccessLog $state/log/access_log
PageLog $state/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
Sandboxing Relaxed
CONF
  cat >"$pdfconf" <<CONF
Out $state/out
AnonDirName $state/out
Spool $state/spool/cups-pdf
Label 2
UserUMask 0000
CONF
  /usr/sbin/cupsd -f -c "$state/etc/cupsd.conf" -s "$state/etc/cups-files.conf" >"$state/log/cupsd.out" 2>&1 &
  echo $! >"$pidfile"
  for _ in $(seq 100); do
    [ -S "$state/cups.sock" ] && break
    sleep 0.1
  done
  export CUPS_SERVER=$state/cups.sock
  lpadmin -p VorlixPDF -E -v "cups-pdf:/$tag" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
  lpadmin -d VorlixPDF
  lpstat -d | grep -q VorlixPDF || { echo "the PDF printer was not set up:" >&2; cat "$state/log/error_log" >&2; exit 1; }
  ;;
stop)
  stop
  ;;
esac
