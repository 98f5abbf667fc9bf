#!/usr/bin/env bash
# Sets up, builds and starts Zanvoro on a throw-away profile with the embedded
# (SQLite) store. Stops on Ctrl-C, or after ZANVORO_RUN_SECONDS when set.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${ZANVORO_RUN_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANVORO_TESTS=OFF \
  -DZANVORO_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target zanvoro ConfigureServerPST ZanvoroProcess
profile=$(mktemp -d /tmp/zanvoro-profile.XXXXXX)
echo "profile: $profile"
args=(--profile "$profile" run)
if [ -n "${ZANVORO_RUN_SECONDS:-}" ]; then
  exec timeout --signal=TERM --preserve-status "$ZANVORO_RUN_SECONDS" "$build/src/app/zanvoro" "${args[@]}"
fi
exec "$build/src/app/zanvoro" "${args[@]}"
