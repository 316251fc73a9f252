#!/bin/sh
# with-peers.sh CONNECTIONS DEADLINE COMMAND...: starts the socket peers (socket_peers.py) on
# 127.0.0.1, passes their ports to the command in QV_PEER_PORTS and stops them afterwards.
connections=$1
deadline=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
portfile=$(mktemp -u /tmp/qv-peers.XXXXXX)
python3 "$here/socket_peers.py" --port-file "$portfile" --connections "$connections" \
    --deadline "$deadline" &
peer=$!
tries=0
while [ ! -s "$portfile" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
        echo "with-peers: the peers did not start" >&2
        kill "$peer" 2>/dev/null
        exit 1
    fi
    sleep 0.1
done
QV_PEER_PORTS=$(cat "$portfile")
export QV_PEER_PORTS
rm -f "$portfile"
"$@"
status=$?
kill "$peer" 2>/dev/null
wait "$peer" 2>/dev/null
exit $status
