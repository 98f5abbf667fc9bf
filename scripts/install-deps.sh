#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Zanvoro.
# Idempotent: when everything is there it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build lld
  libsqlite3-dev libsoci-dev libpq-dev libvmime-dev libpugixml-dev libxml2-dev
  libcurl4-openssl-dev libcpp-httplib-dev libfmt-dev nlohmann-json3-dev
  libcli11-dev libhowardhinnant-date-dev tzdata libgtest-dev libgmock-dev
  dovecot-imapd python3-aiosmtpd postgresql
  chromium chromium-driver python3-selenium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
