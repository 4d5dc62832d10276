#!/usr/bin/env bash
# A private CUPS server with one cups-pdf queue as its default printer, for
# trying the program's printing on a real print system without touching the
# machine's own printers or settings. Needs cups, cups-client and
# printer-driver-cups-pdf (scripts/setup.sh --test), and root or
# password-less sudo: the cups-pdf backend only runs as root.
#
# Run directly, it starts the server, runs a command with CUPS_SERVER pointed
# at it and stops it again; the PDFs land in the folder it prints:
#   scripts/cups-test-env.sh build/src/app/biorhythm
#
# Sourced, it offers the steps one by one (the end-to-end tests use these):
#   cups_env_check               prints why it cannot run, returns 77
#   cups_env_start FOLDER        server in FOLDER; sets CUPS_ENV_SOCKET,
#                                CUPS_ENV_QUEUE and CUPS_ENV_OUT
#   cups_env_wait_jobs SECONDS   waits until every job has left the queue
#   cups_env_stop                stops the server, drops any file it placed

CUPS_ENV_PPD_CANDIDATES=(
  /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
  /usr/share/ppd/cups-pdf/CUPS-PDF.ppd
)
CUPS_ENV_BACKEND=/usr/lib/cups/backend/cups-pdf
CUPS_ENV_SYSTEM_CONF=/etc/cups/cups-pdf.conf

cups_env_ppd() {
  local ppd
  for ppd in "${CUPS_ENV_PPD_CANDIDATES[@]}"; do
    [[ -r $ppd ]] && { echo "$ppd"; return 0; }
  done
  return 1
}

# Root for cupsd: ourselves, or sudo when it asks no password. A prefix, not
# a function, so that $! of a background start is the process itself.
if [[ $(id -u) -eq 0 ]]; then
  CUPS_ENV_ROOT=()
else
  CUPS_ENV_ROOT=(sudo -n)
fi

cups_env_check() {
  local tool
  for tool in cupsd lpadmin lpstat cupsaccept cupsreject; do
    if ! command -v "$tool" >/dev/null 2>&1 && [[ ! -x /usr/sbin/$tool ]]; then
      echo "SKIPPED: $tool is not installed (scripts/setup.sh --test installs cups)"
      return 77
    fi
  done
  if [[ ! -e $CUPS_ENV_BACKEND ]]; then
    echo "SKIPPED: the cups-pdf backend is not installed (printer-driver-cups-pdf)"
    return 77
  fi
  if ! cups_env_ppd >/dev/null; then
    echo "SKIPPED: no CUPS-PDF PPD under /usr/share/ppd/cups-pdf"
    return 77
  fi
  if [[ $(id -u) -ne 0 ]] && ! sudo -n true 2>/dev/null; then
    echo "SKIPPED: the cups-pdf backend runs only as root; run as root or with password-less sudo"
    return 77
  fi
  return 0
}

cups_env_start() {
  local dir=$1
  local sbin=/usr/sbin
  PATH=$PATH:$sbin
  mkdir -p "$dir"/{conf,spool/tmp,cache,state,log,out,pdf-spool}
  # cupsd runs its filters as lp, which must reach the spool inside.
  chmod 755 "$dir" "$dir"/out "$dir"/pdf-spool
  local up=$dir perm
  while [[ $up != / && $up != . ]]; do
    up=$(dirname "$up")
    perm=$(stat -c %A "$up")
    if [[ ${perm:9:1} != [xt] ]]; then
      echo "$up is closed to other users; cupsd's filters (user lp) could not reach $dir" >&2
      return 1
    fi
  done
  CUPS_ENV_DIR=$dir
  CUPS_ENV_SOCKET=$dir/cups.sock
  CUPS_ENV_QUEUE=BioTestPDF
  CUPS_ENV_OUT=$dir/out
  CUPS_ENV_PLACED_CONF=

  # Only a local socket of our own; no network, no sharing, no browsing.
  # Anyone who can reach the socket may administer this throw-away server.
  cat >"$dir/conf/cupsd.conf" <<EOF
LogLevel warn
Listen $CUPS_ENV_SOCKET
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
# A failed job is dropped rather than stopping the queue for the next one.
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat >"$dir/conf/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
User lp
Group lp
SystemGroup root
EOF
  # cups-pdf reads its settings only from /etc/cups. Write the PDFs into our
  # folder, not into the user's home.
  cat >"$dir/cups-pdf.conf" <<EOF
Out $CUPS_ENV_OUT
AnonDirName $CUPS_ENV_OUT
Spool $dir/pdf-spool
Log $dir/log
LogType 3
UserUMask 0022
DecodeHexStrings 1
EOF

  # Best: a mount namespace of the server's own, where our settings cover
  # /etc/cups/cups-pdf.conf for it alone. Where that is not allowed (a
  # container without CAP_SYS_ADMIN), a queue named cups-pdf:/NAME reads
  # /etc/cups/cups-pdf-NAME.conf: place one under a unique name, removed on stop.
  local uri=cups-pdf:/
  local cupsd=(cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf")
  if "${CUPS_ENV_ROOT[@]}" unshare -m --propagation private true 2>/dev/null; then
    # shellcheck disable=SC2016  # expanded by the inner sh
    "${CUPS_ENV_ROOT[@]}" unshare -m --propagation private sh -c \
      'mount --bind "$1" "$2" && shift 2 && exec "$@"' sh \
      "$dir/cups-pdf.conf" "$CUPS_ENV_SYSTEM_CONF" "${cupsd[@]}" \
      >"$dir/log/cupsd.out" 2>&1 &
  else
    local name
    name=biotest$$$RANDOM
    CUPS_ENV_PLACED_CONF=/etc/cups/cups-pdf-$name.conf
    "${CUPS_ENV_ROOT[@]}" cp "$dir/cups-pdf.conf" "$CUPS_ENV_PLACED_CONF" || return 1
    uri=cups-pdf:/$name
    "${CUPS_ENV_ROOT[@]}" "${cupsd[@]}" >"$dir/log/cupsd.out" 2>&1 &
  fi
  CUPS_ENV_PID=$!

  local deadline=$((SECONDS + 10))
  while ((SECONDS < deadline)); do
    [[ -S $CUPS_ENV_SOCKET ]] && lpstat -h "$CUPS_ENV_SOCKET" -r >/dev/null 2>&1 && break
    if ! kill -0 "$CUPS_ENV_PID" 2>/dev/null; then
      echo "cupsd did not start:" >&2
      cat "$dir/log/cupsd.out" "$dir/log/error_log" >&2 2>/dev/null
      return 1
    fi
    sleep 0.1
  done
  if ! lpstat -h "$CUPS_ENV_SOCKET" -r >/dev/null 2>&1; then
    echo "cupsd did not answer on $CUPS_ENV_SOCKET within 10 s" >&2
    return 1
  fi

  local ppd
  ppd=$(cups_env_ppd)
  # lpadmin warns that PPD drivers are deprecated; cups-pdf has nothing else.
  if ! lpadmin -h "$CUPS_ENV_SOCKET" -p "$CUPS_ENV_QUEUE" -v "$uri" -P "$ppd" -E 2>/dev/null ||
    ! lpadmin -h "$CUPS_ENV_SOCKET" -d "$CUPS_ENV_QUEUE"; then
    echo "lpadmin could not add the cups-pdf queue" >&2
    cat "$dir/log/error_log" >&2 2>/dev/null
    return 1
  fi
  export CUPS_ENV_SOCKET CUPS_ENV_QUEUE CUPS_ENV_OUT
}

cups_env_wait_jobs() {
  local deadline=$((SECONDS + $1))
  until [[ -z $(lpstat -h "$CUPS_ENV_SOCKET" -o 2>/dev/null) ]]; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

cups_env_stop() {
  if [[ -n ${CUPS_ENV_PID:-} ]]; then
    # sudo, when used, passes the signal on to cupsd.
    kill "$CUPS_ENV_PID" 2>/dev/null || "${CUPS_ENV_ROOT[@]}" kill "$CUPS_ENV_PID" 2>/dev/null
    local i
    for ((i = 0; i < 50; i++)); do
      kill -0 "$CUPS_ENV_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$CUPS_ENV_PID" 2>/dev/null; then
      kill -9 "$CUPS_ENV_PID" 2>/dev/null || "${CUPS_ENV_ROOT[@]}" kill -9 "$CUPS_ENV_PID" 2>/dev/null
    fi
    wait "$CUPS_ENV_PID" 2>/dev/null
    CUPS_ENV_PID=
  fi
  if [[ -n ${CUPS_ENV_PLACED_CONF:-} ]]; then
    "${CUPS_ENV_ROOT[@]}" rm -f "$CUPS_ENV_PLACED_CONF"
    CUPS_ENV_PLACED_CONF=
  fi
  # Files that cupsd and cups-pdf wrote as root or lp.
  if [[ -n ${CUPS_ENV_DIR:-} && $(id -u) -ne 0 ]]; then
    "${CUPS_ENV_ROOT[@]}" chown -R "$(id -u):$(id -g)" "$CUPS_ENV_DIR" 2>/dev/null
  fi
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -uo pipefail
  if (($# == 0)); then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
  fi
  cups_env_check || exit $?
  folder=$(mktemp -d "${TMPDIR:-/tmp}/cups-test-env.XXXXXX")
  trap cups_env_stop EXIT
  cups_env_start "$folder" || exit 1
  echo "Default printer $CUPS_ENV_QUEUE; its PDFs go to $CUPS_ENV_OUT"
  CUPS_SERVER=$CUPS_ENV_SOCKET "$@"
  status=$?
  echo "PDFs printed: $(ls "$CUPS_ENV_OUT")"
  exit $status
fi
