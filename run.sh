#!/usr/bin/env bash
# Sets up a Debian machine, builds Quor Reelhand and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
source "$root/scripts/setup.sh"
exec "$root/build/program/reelhand"
