#!/usr/bin/env bash
# One run of the server benchmark: our server, ngircd and InspIRCd, one after
# the other on loopback, each driven by the same load generator. Prints one
# table with fan-out rate, latency and memory per idle connection.
#
# Environment knobs (all optional):
#   OURS_PORT=6667 NGIRCD_PORT=16667 INSPIRCD_PORT=16668
#   IDLE=2000            idle registered connections for the memory figure
#   M_SMALL=1000 M_BIG=5 lines per client for N=200,R=10 and N=1000,R=1
#   WINDOW=0             >0: at most this many undelivered lines per sender
#   REPS=3               interleaved rounds; the table shows the best
#   SERVERS="ours ngircd inspircd"   which servers to run
#   SKIP_BUILD=1         use the existing build/ and build-bench/
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$PWD
OURS_PORT=${OURS_PORT:-6667}
NGIRCD_PORT=${NGIRCD_PORT:-16667}
INSPIRCD_PORT=${INSPIRCD_PORT:-16668}
IDLE=${IDLE:-2000}
M_SMALL=${M_SMALL:-1000}
M_BIG=${M_BIG:-5}
WINDOW=${WINDOW:-0}
REPS=${REPS:-3}
SERVERS=${SERVERS:-"ours ngircd inspircd"}
LOADGEN=${LOADGEN:-$ROOT/build-bench/novalune_loadgen}
TIMEOUT=10

WORK=$(mktemp -d /tmp/novalune-bench.XXXXXX)
chmod 755 "$WORK"
STARTED_PIDS=()

log() { printf '== %s\n' "$*" >&2; }

stop_pid() {
  local pid=$1
  kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
}

cleanup() {
  local pid
  for pid in "${STARTED_PIDS[@]}"; do stop_pid "$pid"; done
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Pids of processes listening on a TCP port (ss prints users:(("name",pid=N,...)).
listener_pids() {
  ss -Hltnp "sport = :$1" 2>/dev/null | grep -o 'pid=[0-9]*' | cut -d= -f2 | sort -u
}

port_busy() { [ -n "$(ss -Hltn "sport = :$1" 2>/dev/null)" ]; }

wait_for_port() {
  local port=$1 pid=$2
  for _ in $(seq 150); do
    port_busy "$port" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# ------------------------------------------------------------------ install and build

install_and_build() {
  log "installing packages (build bench)"
  ./scripts/install-deps.sh build bench >"$WORK/deps.log" 2>&1 || { cat "$WORK/deps.log" >&2; exit 1; }
  # The package scripts are kept from starting services; should one still run
  # an anchor on our port, stop exactly that process.
  local pid exe
  for pid in $(listener_pids "$OURS_PORT"); do
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null || true)
    case "$exe" in
      */ngircd|*/inspircd) log "stopping packaged $exe (pid $pid) on port $OURS_PORT"; stop_pid "$pid" ;;
    esac
  done
  if [ "${SKIP_BUILD:-0}" != 1 ]; then
    log "building build/novalune (make build)"
    if ! make build >"$WORK/build.log" 2>&1; then
      # A half-written test elsewhere may break the full build; the program alone is enough here.
      grep -m5 -E 'error|FAILED' "$WORK/build.log" >&2 || true
      log "make build failed; building the program target alone"
      cmake --build build --target novalune >"$WORK/build-program.log" 2>&1 ||
        { tail -20 "$WORK/build-program.log" >&2; log "build/novalune does not build: our server is skipped"; }
    fi
    log "building the load generator (make bench)"
    if ! make bench >"$WORK/bench-build.log" 2>&1; then
      # Another benchmark may be half-written; the load generator alone suffices.
      tail -5 "$WORK/bench-build.log" >&2
      cmake --build build-bench --target novalune_loadgen >&2
    fi
  fi
  [ -x "$LOADGEN" ] || { log "missing $LOADGEN"; exit 1; }
}

# ------------------------------------------------------------------ servers

write_ngircd_conf() {
  mkdir -p "$WORK/ngircd" && chmod 777 "$WORK/ngircd"
  echo "benchmark" >"$WORK/ngircd/motd"
  cat >"$WORK/ngircd/ngircd.conf" <<EOF
[Global]
	Name = ngircd.bench
	Info = benchmark anchor
	AdminInfo1 = bench
	AdminInfo2 = bench
	AdminEMail = bench@localhost
	Listen = 127.0.0.1
	Ports = $NGIRCD_PORT
	MotdFile = $WORK/ngircd/motd
	PidFile = $WORK/ngircd/ngircd.pid
[Limits]
	MaxConnections = 0
	MaxConnectionsIP = 0
	MaxJoins = 0
	MaxNickLength = 30
	MaxPenaltyTime = 0
	MaxListSize = 100000
	PingTimeout = 3600
	PongTimeout = 3600
	IdleTimeout = 0
[Options]
	DNS = no
	Ident = no
	PAM = no
EOF
}

write_inspircd_conf() {
  mkdir -p "$WORK/inspircd"
  echo "benchmark" >"$WORK/inspircd/motd"
  # threshold and commandrate so high that no penalty builds up; sendq and
  # recvq at 1 GiB; netbuffersize at its ceiling of 65534.
  cat >"$WORK/inspircd/inspircd.conf" <<EOF
<server name="inspircd.bench" description="benchmark anchor" network="Bench">
<admin name="bench" nick="bench" email="bench@localhost">
<bind address="127.0.0.1" port="$INSPIRCD_PORT" type="clients">
<files motd="$WORK/inspircd/motd">
<connect name="main" allow="*" maxchans="100" timeout="60" pingfreq="3600"
         hardsendq="1073741824" softsendq="1073741824" recvq="1073741824"
         threshold="2000000000" commandrate="2000000000" fakelag="no"
         localmax="1000000" globalmax="1000000" limit="1000000"
         resolvehostnames="no" useident="no" uniqueusername="no">
<channels users="100" opers="100">
<dns server="127.0.0.1" timeout="1">
<pid file="$WORK/inspircd/inspircd.pid">
<options prefixquit="Quit: " syntaxhints="no" announcets="no" hostintopic="no" pingwarning="0">
<security hideserver="" userstats="Pu" maxtargets="20">
<performance quietbursts="yes" softlimit="100000" somaxconn="4096" netbuffersize="65534" clonesonconnect="no">
<limits maxnick="30" maxchan="60">
<log method="file" type="* -USERINPUT -USEROUTPUT" level="default" target="$WORK/inspircd/inspircd.log">
EOF
}

# start_server NAME -> sets SERVER_PID, SERVER_PORT, CONNECT_WINDOW
start_server() {
  local name=$1
  local port_var=${name^^}_PORT
  if port_busy "${!port_var}"; then
    log "port ${!port_var} is taken by another process: $name is skipped"
    return 1
  fi
  case "$name" in
    ours)
      SERVER_PORT=$OURS_PORT
      CONNECT_WINDOW=64
      [ -x build/novalune ] || return 1
      # Headless: no display, so the server runs without its tray window.
      (cd build && exec env -u DISPLAY -u WAYLAND_DISPLAY ./novalune /SONLY) \
        </dev/null >"$WORK/ours.log" 2>&1 &
      ;;
    ngircd)
      SERVER_PORT=$NGIRCD_PORT
      CONNECT_WINDOW=64  # ngircd listens with a backlog of 10
      write_ngircd_conf
      ngircd -n -f "$WORK/ngircd/ngircd.conf" </dev/null >"$WORK/ngircd.log" 2>&1 &
      ;;
    inspircd)
      SERVER_PORT=$INSPIRCD_PORT
      CONNECT_WINDOW=1000  # registration completes on a once-a-second tick
      write_inspircd_conf
      inspircd --runasroot --nofork --config="$WORK/inspircd/inspircd.conf" </dev/null >"$WORK/inspircd.log" 2>&1 &
      ;;
  esac
  SERVER_PID=$!
  STARTED_PIDS+=("$SERVER_PID")
  if ! wait_for_port "$SERVER_PORT" "$SERVER_PID"; then
    log "$name did not start listening on $SERVER_PORT"
    tail -5 "$WORK/$name.log" >&2 || true
    stop_pid "$SERVER_PID"
    return 1
  fi
}

# ------------------------------------------------------------------ measuring

declare -A PID PORT WINDOW_OF

start_all() {
  local s
  for s in $SERVERS; do
    log "$s: starting"
    if start_server "$s"; then
      PID[$s]=$SERVER_PID PORT[$s]=$SERVER_PORT WINDOW_OF[$s]=$CONNECT_WINDOW
    else
      log "$s: not measured"
    fi
  done
}

loadgen() {
  local s=$1
  shift
  "$LOADGEN" --host 127.0.0.1 --port "${PORT[$s]}" --connect-window "${WINDOW_OF[$s]}" \
    --server-pid "${PID[$s]}" --timeout "$TIMEOUT" --json "$@" || true
}

# Appends one JSON object per measurement, tagged with server and run.
record() {
  local s=$1 run=$2 out=$3
  [ -n "$out" ] || { log "$s $run: no result"; return 0; }
  jq -c --arg s "$s" --arg r "$run" '. + {server: $s, run: $r}' <<<"$out" >>"$WORK/results.jsonl"
}

measure_all() {
  local s rep run
  # Memory first, on the fresh processes, so that freed flood buffers do not hide the cost.
  for s in "${!PID[@]}"; do
    log "$s: $IDLE idle connections"
    record "$s" idle "$(loadgen "$s" --idle "$IDLE" --hold 0 --nick-prefix i)"
  done
  # Interleaved repetitions: the machine is shared, so a burst of other work
  # hits one repetition of one server rather than all runs of it.
  for rep in $(seq "$REPS"); do
    for s in $SERVERS; do
      [ -n "${PID[$s]:-}" ] || continue
      kill -0 "${PID[$s]}" 2>/dev/null || { log "$s died"; continue; }
      log "$s: round $rep, N=200 R=10 M=$M_SMALL"
      record "$s" small "$(loadgen "$s" --clients 200 --rooms 10 --messages "$M_SMALL" --window "$WINDOW" \
        --nick-prefix "s$rep")"
      log "$s: round $rep, N=1000 R=1 M=$M_BIG"
      record "$s" big "$(loadgen "$s" --clients 1000 --rooms 1 --messages "$M_BIG" --window "$WINDOW" \
        --nick-prefix "b$rep")"
    done
  done
  for s in "${!PID[@]}"; do
    log "$s: stopping pid ${PID[$s]}"
    stop_pid "${PID[$s]}"
  done
}

# ------------------------------------------------------------------ report

# best SERVER RUN: the repetition with the highest rate, plus the worst loss
# and the lowest server CPU per line over all repetitions.
best() {
  jq -s -c --arg s "$1" --arg r "$2" '
    map(select(.server == $s and .run == $r)) as $runs
    | if ($runs | length) == 0 then {} else
        ($runs | max_by(.msg_per_s)) + {
          lost: ($runs | map(.lost) | max),
          disconnected: ($runs | map(.disconnected) | max),
          server_cpu_ns_per_msg: ($runs | map(.server_cpu_ns_per_msg) | min)}
      end' "$WORK/results.jsonl"
}

field() { jq -r ".$2 // empty" <<<"$1"; }
fmt() { [ -n "$2" ] && awk -v v="$2" -v f="$1" 'BEGIN{printf f, v}' || echo "-"; }
ratio() { [ -n "$1" ] && [ -n "$2" ] && awk -v a="$1" -v b="$2" 'BEGIN{ if (b > 0) printf "%.2f", a/b; else print "-"}' || echo "-"; }

ROW='| %-15s | %-11s | %-9s | %-9s | %-6s | %-8s | %-11s | %-9s | %-9s | %-6s | %-8s | %-12s |\n'

# One table row from the values of one server: rate p50 p99 lost cpu (x2) idle.
row() {
  local label=$1 small=$2 big=$3 idle=$4
  printf "$ROW" "$label" \
    "$(fmt '%.2f M' "$(awk -v v="$(field "$small" msg_per_s)" 'BEGIN{if (v != "") print v/1e6}')")" \
    "$(fmt '%.1f ms' "$(awk -v v="$(field "$small" p50_us)" 'BEGIN{if (v != "") print v/1e3}')")" \
    "$(fmt '%.1f ms' "$(awk -v v="$(field "$small" p99_us)" 'BEGIN{if (v != "") print v/1e3}')")" \
    "$(field "$small" lost)" "$(fmt '%.0f ns' "$(field "$small" server_cpu_ns_per_msg)")" \
    "$(fmt '%.2f M' "$(awk -v v="$(field "$big" msg_per_s)" 'BEGIN{if (v != "") print v/1e6}')")" \
    "$(fmt '%.1f ms' "$(awk -v v="$(field "$big" p50_us)" 'BEGIN{if (v != "") print v/1e3}')")" \
    "$(fmt '%.1f ms' "$(awk -v v="$(field "$big" p99_us)" 'BEGIN{if (v != "") print v/1e3}')")" \
    "$(field "$big" lost)" "$(fmt '%.0f ns' "$(field "$big" server_cpu_ns_per_msg)")" \
    "$(fmt '%.2f KB' "$(awk -v v="$(field "$idle" bytes_per_conn)" 'BEGIN{if (v != "") print v/1024}')")"
}

ratio_row() {
  local anchor=$1 k
  local -a cells=()
  for k in small big; do
    cells+=("$(ratio "$(field "${BEST[ours,$k]}" msg_per_s)" "$(field "${BEST[$anchor,$k]}" msg_per_s)")")
    cells+=("$(ratio "$(field "${BEST[ours,$k]}" p50_us)" "$(field "${BEST[$anchor,$k]}" p50_us)")")
    cells+=("$(ratio "$(field "${BEST[ours,$k]}" p99_us)" "$(field "${BEST[$anchor,$k]}" p99_us)")")
    cells+=("")
    cells+=("$(ratio "$(field "${BEST[ours,$k]}" server_cpu_ns_per_msg)" "$(field "${BEST[$anchor,$k]}" server_cpu_ns_per_msg)")")
  done
  cells+=("$(ratio "$(field "${BEST[ours,idle]}" bytes_per_conn)" "$(field "${BEST[$anchor,idle]}" bytes_per_conn)")")
  printf "$ROW" "ours/$anchor" "${cells[@]}"
}

declare -A BEST
print_table() {
  local s k
  for s in $SERVERS; do
    for k in small big; do BEST[$s,$k]=$(best "$s" "$k"); done
    BEST[$s,idle]=$(jq -s -c --arg s "$s" 'map(select(.server == $s and .run == "idle")) | .[0] // {}' \
      "$WORK/results.jsonl")
  done
  echo
  echo "Fan-out on loopback, best of $REPS interleaved rounds. msg/s: lines delivered to all receivers per"
  echo "second; p50/p99: time from send to receipt; cpu: server CPU time per delivered line (least"
  echo "disturbed by other work on the machine); idle: server RSS growth per idle registered connection"
  echo "($IDLE connections). N=200,R=10 sends M=$M_SMALL lines per client, N=1000,R=1 sends M=$M_BIG;"
  echo "window $WINDOW (0: every client writes as fast as its socket takes the lines)."
  echo
  printf "$ROW" server "200/10 msg/s" p50 p99 lost cpu "1000/1 msg/s" p50 p99 lost cpu "idle/conn"
  printf "$ROW" --- --- --- --- --- --- --- --- --- --- --- ---
  for s in $SERVERS; do row "$s" "${BEST[$s,small]}" "${BEST[$s,big]}" "${BEST[$s,idle]}"; done
  case " $SERVERS " in
    *" ours "*) for s in ngircd inspircd; do
        case " $SERVERS " in *" $s "*) ratio_row "$s" ;; esac
      done ;;
  esac
  echo
  echo "Ratios are ours/theirs: msg/s above 1 is better; latency, cpu and memory below 1 are better."
  echo "Flood limits left in the anchors:"
  echo "- ngircd: penalty off (MaxPenaltyTime = 0), no connection or join limits. Compiled in and not"
  echo "  configurable: a per-connection write buffer ceiling (the client is dropped with \"Write buffer"
  echo "  space exhausted\"), a small per-connection read buffer, a few commands handled per connection"
  echo "  per loop turn, and a listen backlog of 10."
  echo "- InspIRCd: fakelag off, threshold and commandrate 2e9 (no penalty builds up), hard and soft sendq"
  echo "  and recvq 1 GiB (a receiver whose send queue passes 1 GiB is dropped), at most 65534 bytes read"
  echo "  per call (the netbuffersize ceiling); registration completes on a once-a-second tick (setup only)."
}

main() {
  install_and_build
  : >"$WORK/results.jsonl"
  start_all
  measure_all
  echo "Raw results:"
  cat "$WORK/results.jsonl"
  print_table
}

main "$@"
