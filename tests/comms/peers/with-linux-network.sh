#!/bin/sh
# with-linux-network.sh COMMAND...: runs the command with QV_LINUX_NETWORK and QV_LINUX_DNS set to
# this machine's adapters as Linux sees them (linux_network.py).
here=$(cd "$(dirname "$0")" && pwd)
for assignment in $(python3 "$here/linux_network.py"); do
    export "$assignment"
done
exec "$@"
