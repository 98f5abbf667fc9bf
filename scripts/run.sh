#!/usr/bin/env bash
# Sets up and builds Zanvoro, then shows it at work on a throw-away profile
# with the embedded (SQLite) store: a new helpdesk monitors the profile's
# Inbox, `zanvoro run` runs in the background, the sample mails of
# resources/samples arrive through the profile's Maildir drop, and once they
# are handled the session stops and the script prints the cases made, the
# replies threaded, the mail sent and the mail set aside.
#
#   ZANVORO_RUN_SECONDS=N  keep the session running N more seconds after the
#                          samples (mail dropped into <profile>/drop/new in
#                          that time is handled too), then stop and report
#   ZANVORO_DEMO=0         no samples: just run the session on the new
#                          profile until Ctrl-C (or for ZANVORO_RUN_SECONDS)
#   ZANVORO_RUN_BUILD=DIR  the build folder (default build/release)
#   ZANVORO_WAIT_SECONDS=N how long to wait for each step (default 120)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${ZANVORO_RUN_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANVORO_TESTS=OFF \
  -DZANVORO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target zanvoro ConfigureServerPST ZanvoroProcess
bin=$(cd "$build/src/app" && pwd)
samples=$(pwd)/resources/samples
wait_seconds=${ZANVORO_WAIT_SECONDS:-120}

profile=$(mktemp -d /tmp/zanvoro-profile.XXXXXX)
echo "profile: $profile"
# Nobody answers the add-in's questions: each takes its default answer.
export ZANVORO_UI=scripted
z() { "$bin/zanvoro" --profile "$profile" "$@"; }

if [ "${ZANVORO_DEMO:-1}" = 0 ]; then
  if [ -n "${ZANVORO_RUN_SECONDS:-}" ]; then
    exec timeout --signal=TERM --preserve-status "$ZANVORO_RUN_SECONDS" \
      "$bin/zanvoro" --profile "$profile" run
  fi
  exec "$bin/zanvoro" --profile "$profile" run
fi

# 1. A helpdesk for the profile, monitoring the Inbox that the drop fills.
"$bin/ConfigureServerPST" --profile "$profile" --register >/dev/null
inbox="\\\\$(z profile show | sed -n 's/^store: mailbox "\(.*\)" .*/\1/p')\\Inbox"
z monitor add "$inbox" >/dev/null
echo "helpdesk: $profile/helpdesk.zdb, monitoring $inbox"

# The demo team: technicians (besides the profile's own user), problem types
# with their categories, default technicians and SLAs, two SLAs counted in
# service hours (Monday to Friday, 8 AM to 6 PM), statuses and two callers.
demo=$(pwd)/resources/demo
z lists export Technicians "$profile/technicians.csv" >/dev/null
tail -n +2 "$demo/Technicians.csv" >>"$profile/technicians.csv"
z lists import Technicians "$profile/technicians.csv" >/dev/null
for list in ProblemCategories ProblemTypes SLAs StatusList Callers; do
  z lists import "$list" "$demo/$list.csv" >/dev/null
done
while IFS='=' read -r key value; do
  z settings set "$key" "$value" >/dev/null
done <"$demo/settings.txt"
echo "demo team: $(($(wc -l <"$profile/technicians.csv") - 1)) technicians," \
  "$(($(wc -l <"$demo/ProblemTypes.csv") - 1)) problem types, 2 SLAs"

# 2. The session, in the background.
log=$profile/run.log
"$bin/zanvoro" --profile "$profile" run >"$log" 2>&1 &
run_pid=$!
stop_session() {
  if kill -0 "$run_pid" 2>/dev/null; then
    kill -TERM "$run_pid"
    wait "$run_pid" || true
  fi
}
trap stop_session EXIT
fail() {
  echo "run.sh: $*" >&2
  echo "--- the session's output ($log):" >&2
  tail -n 40 "$log" >&2 || true
  exit 1
}

# Polls `$@` every two seconds until it succeeds; gives up after wait_seconds.
wait_for() {
  local what=$1
  shift
  local deadline=$((SECONDS + wait_seconds))
  until "$@"; do
    kill -0 "$run_pid" 2>/dev/null || fail "zanvoro run stopped while waiting for $what"
    ((SECONDS < deadline)) || fail "gave up after ${wait_seconds}s waiting for $what"
    sleep 2
  done
}

worker_up() { z mail deliver-now 2>/dev/null; }
# The worker is woken while mail waits in the drop.
drop_taken() {
  if [ -n "$(ls -A "$profile/drop/new")" ]; then
    z mail deliver-now || true
    return 1
  fi
}
has_cases() { drop_taken && [ "$(z case list --closed | wc -l)" -ge "$1" ]; }
# A mail is handled once the monitored Inbox is empty again (each mail
# leaves it for the History folder or a set-aside folder).
inbox_handled() { drop_taken && [ -z "$(z mail list --folder Inbox)" ]; }
outbox_empty() {
  if [ -n "$(z mail list --folder Outbox)" ]; then
    z mail deliver-now || true
    return 1
  fi
}

# Delivers a message file into the drop as a mail server does: written in
# tmp/, then renamed into new/ under a unique name.
delivered=0
deliver() {
  delivered=$((delivered + 1))
  local name
  name="$(date +%s).M${RANDOM}P$$Q${delivered}.$(hostname)"
  cp "$1" "$profile/drop/tmp/$name"
  mv "$profile/drop/tmp/$name" "$profile/drop/new/$name"
  echo "delivered: $(basename "$1")"
}

wait_for "the session's send/receive worker to start" worker_up

# 3. The two new problems first; then the rest one by one, in file order.
mapfile -t mails < <(find "$samples" -maxdepth 1 -name '*.eml' | sort)
[ "${#mails[@]}" -ge 2 ] || fail "no sample mails in $samples"
deliver "${mails[0]}"
deliver "${mails[1]}"
wait_for "cases 1 and 2" has_cases 2
wait_for "the first two mails to be handled" inbox_handled
for mail in "${mails[@]:2}"; do
  deliver "$mail"
  wait_for "$(basename "$mail") to be handled" inbox_handled
done
wait_for "the notifications to be sent" outbox_empty

if [ -n "${ZANVORO_RUN_SECONDS:-}" ]; then
  echo "running ${ZANVORO_RUN_SECONDS}s more (drop mail into $profile/drop/new)"
  sleep "$ZANVORO_RUN_SECONDS"
  wait_for "the last mail to be handled" inbox_handled
  wait_for "the last notifications to be sent" outbox_empty
fi

# 4. Stop the session and show what happened.
stop_session
trap - EXIT

echo
echo "== What the session told its user"
sed -n 's/^\[balloon\] [^:]*: /  /p' "$log"

echo
echo "== Cases (number, state, status, subject, caller, log entries, technicians)"
z case list --closed |
  awk -F'\t' '{ printf "  #%-3s %-6s %-10s %-44s %-26s log: %-2s %s\n",
                $1, $2, ($3 == "" ? "-" : $3), $4, $5, $6, ($7 == "" ? "-" : $7) }'
echo
echo "== Service levels (number, SLA, due date)"
while IFS=$'\t' read -r number _; do
  z case show "$number" |
    awk -v n="$number" -F': ' '/^Service level:/ { sla = $2 } /^Due date:/ { due = $2 }
      END { printf "  #%-3s %-10s due %s\n", n, (sla == "" ? "-" : sla), (due == "" ? "-" : due) }'
done < <(z case list --closed)

echo
echo "== Case logs (replies threaded onto each case)"
replies=0
while IFS=$'\t' read -r number _; do
  echo "  case $number:"
  entries=$(z case show "$number" | sed -n '/^Log:$/,/^Work:$/p' | sed '1d;$d')
  printf '%s\n' "$entries" | sed 's/^ */    /' | tr '\t' ' '
  n=$(printf '%s\n' "$entries" | grep -c "Email Reply" || true)
  replies=$((replies + n))
done < <(z case list --closed)
echo "  replies threaded: $replies"

echo
echo "== Mail sent (the outbox Maildir $profile/outbox)"
sent=0
for file in "$profile"/outbox/new/* "$profile"/outbox/cur/*; do
  [ -f "$file" ] || continue
  sent=$((sent + 1))
  # The header ends at the first empty line; a header line may be folded.
  awk 'BEGIN { RS = "\r?\n" }
       /^$/ { exit }
       /^[ \t]/ { if (last != "") value[last] = value[last] " " substr($0, 2); next }
       { split($0, kv, ":"); last = tolower(kv[1]); value[last] = substr($0, length(kv[1]) + 3) }
       END { printf "  to %-30s %s\n", value["x-envelope-to"], value["subject"] }' "$file"
done
echo "  mails sent: $sent"

echo
echo "== Mail set aside"
for folder in "Unprocessed Emails" "Conflicted Emails"; do
  echo "  $folder:"
  if listed=$(z mail list --folder "Inbox\\$folder" 2>/dev/null); then
    if [ -n "$listed" ]; then
      printf '%s\n' "$listed" | awk -F'\t' '{ printf "    from %-28s %s\n", $2, $3 }'
    else
      echo "    (none)"
    fi
  else
    echo "    (none)"
  fi
done

echo
echo "The profile stays in $profile; to run its helpdesk again:"
echo "  $bin/zanvoro --profile $profile run"

# The technicians' web interface on this helpdesk, serving for
# ZANVORO_RUN_SECONDS (ZANVORO_WEB_LISTEN, default 127.0.0.1:8480).
web_listen=${ZANVORO_WEB_LISTEN:-127.0.0.1:8480}
echo
if [ -n "${ZANVORO_RUN_SECONDS:-}" ]; then
  echo "== Web interface: http://$web_listen/ (serving for ${ZANVORO_RUN_SECONDS}s)"
  timeout --signal=TERM --preserve-status "$ZANVORO_RUN_SECONDS" \
    "$bin/zanvoro" --profile "$profile" run --web --listen "$web_listen" >>"$log" 2>&1 || true
else
  echo "The web interface: $bin/zanvoro --profile $profile web --listen $web_listen"
  echo "  then open http://$web_listen/ (ZANVORO_RUN_SECONDS=N serves it here)"
fi
