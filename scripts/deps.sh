#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when any is missing.
set -euo pipefail
# Build: cmake ninja-build g++ qt6-base-dev libsnmp-dev libgtest-dev libgmock-dev.
# Tests and benchmarks: snmp curl tftp-hpa atftp (clients), tftpd-hpa (in.tftpd, compared with),
# fonts-dejavu-core (offscreen text). Run command: libcap2-bin (setcap for port 69).
# Screenshots: xvfb xauth (xvfb-run), x11-utils (xwininfo), imagemagick (import), procps (pgrep).
packages=(cmake ninja-build g++ qt6-base-dev libsnmp-dev libgtest-dev libgmock-dev
          snmp curl tftp-hpa atftp tftpd-hpa fonts-dejavu-core libcap2-bin
          xvfb xauth x11-utils imagemagick procps)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
  # The package starts a TFTP daemon on port 69, which the module's own server needs; the
  # benchmark starts in.tftpd by itself.
  if [[ " ${missing[*]} " == *" tftpd-hpa "* ]]; then
    if command -v systemctl >/dev/null; then
      $sudo_cmd systemctl disable --now tftpd-hpa >/dev/null 2>&1 || true
    fi
    if [ -x /etc/init.d/tftpd-hpa ]; then
      $sudo_cmd /etc/init.d/tftpd-hpa stop >/dev/null 2>&1 || true
    fi
  fi
fi
