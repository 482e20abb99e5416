#!/usr/bin/env bash
# Builds the module and starts it the way a management platform does: switches on the command
# line, a registry ini and a per-device settings file beside it.
#
#   scripts/run.sh                          against vra-sim, the simulated access point
#   scripts/run.sh ADDRESS [SWITCHES...]    against a real device, e.g.
#   scripts/run.sh 192.168.0.50 /v3 /nadmin /l3 /A3 /P19 /aauthpass123 /pprivpass123
#
# Without a device, the simulator runs on a free loopback port in a temporary folder and stops
# when the module's window is closed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
./scripts/deps.sh
build=build/run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target vra2260 $([ $# -eq 0 ] && echo vra-sim)
module="$root/$build/app/vra2260"

# The module's TFTP server listens on UDP port 69, which needs cap_net_bind_service.
grant_tftp_port() {
  if getcap "$module" 2>/dev/null | grep -q cap_net_bind_service; then return 0; fi
  if [ "$(id -u)" -eq 0 ]; then
    setcap cap_net_bind_service=+ep "$module" && return 0
  elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo setcap cap_net_bind_service=+ep "$module" && return 0
  fi
  return 1
}
if ! grant_tftp_port; then
  echo "Could not let the module bind TFTP port 69. Grant it once with:" >&2
  echo "    sudo setcap cap_net_bind_service=+ep $module" >&2
  if [ $# -eq 0 ] && [ -z "${VRA2260_TFTP_PORT:-}" ]; then
    # The simulated device can reach the module's server on any port; a real one cannot.
    # A port the system hands out is surely free; without python3 a random high one will do.
    VRA2260_TFTP_PORT="$(python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' 2>/dev/null ||
      echo $((20000 + RANDOM % 40000)))"
    export VRA2260_TFTP_PORT
    echo "Meanwhile the module serves TFTP on port $VRA2260_TFTP_PORT for the simulated device." >&2
  fi
fi

if [ $# -gt 0 ]; then
  exec "$module" "/I$1" "${@:2}"
fi

work="$(mktemp -d)"
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

mkdir -p "$work/sim" "$work/harbor/mibs"
"$root/$build/sim/vra-sim" --dir "$work/sim" --port 0 --tftp-port "${VRA2260_TFTP_PORT:-69}" &
sim_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/sim/ready" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "vra-sim did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/sim/ready" ] || { echo "vra-sim did not become ready" >&2; exit 1; }
port="$(cat "$work/sim/ready")"

# What the platform installs: its registry keys, and the device's settings file in its MIB folder.
cat >"$work/registry.ini" <<INI
[SOFTWARE/Corvane/Modules/HelpPath]
1.3.6.1.4.1.32473.10.37.38=$root
[SOFTWARE/Corvane/Harbor5.1/ExePath]
Path=$work/harbor
[SOFTWARE/Corvane/Harbor5.1/MibFile]
Path=mibs
INI
cat >"$work/harbor/mibs/127.0.0.1.cfg" <<CFG
[Program Information]
AgentPort=$port
Version=2c
SecurityModel=2
SecurityLevel=1
AuthProtocol=1
PrivProtocol=1
CFG

echo "vra-sim answers on 127.0.0.1:$port (communities public/private)."
VRA2260_REGISTRY="$work/registry.ini" "$module" /I127.0.0.1 /Rpublic /Wprivate /v2c
