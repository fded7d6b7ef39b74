#!/usr/bin/env bash
# Starts or stops the HTTPS servers of the TLS tests (tls_server.py) with certificates made for
# this run by openssl, and makes the run's Wine prefix trust the test CA, or forget it at stop.
# Usage: tls_fixture.sh start|stop DIR TRUST_TOOL.exe
set -euo pipefail
action=$1 dir=$2 trust_tool=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_exec="$here/../../scripts/wine-exec"
python=${ZENDALO_PYTHON:-/usr/bin/python3}

windows_path() { local path=$1; echo "Z:${path//\//\\}"; }

stop_server() {
    if [ -f "$dir/server.pid" ]; then
        kill "$(cat "$dir/server.pid")" 2>/dev/null || true
        rm -f "$dir/server.pid"
    fi
}

make_certificates() {
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zendalo test CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
        -keyout ca.key -out ca.pem
    openssl x509 -in ca.pem -outform DER -out ca.der
    openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout trusted.key -out trusted.csr
    printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' >trusted.ext
    openssl x509 -req -in trusted.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
        -extfile trusted.ext -out trusted.pem
    # The same name, but issued by nobody the prefix trusts.
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -addext subjectAltName=DNS:localhost \
        -keyout untrusted.key -out untrusted.pem
}

start() {
    stop_server
    rm -rf "$dir"
    mkdir -p "$dir"
    cd "$dir"
    make_certificates 2>openssl.log
    setsid "$python" "$here/tls_server.py" "$dir" >server.log 2>&1 </dev/null &
    echo $! >server.pid
    for _ in $(seq 100); do
        [ -f ready ] && break
        if ! kill -0 "$(cat server.pid)" 2>/dev/null; then
            echo "the TLS server ended at start (is port 443 taken?):"; cat server.log; exit 1
        fi
        sleep 0.1
    done
    [ -f ready ] || { echo "the TLS server did not start"; stop_server; exit 1; }
    "$wine_exec" "$trust_tool" add "$(windows_path "$dir/ca.der")"
    echo "TLS servers on 127.0.0.1:443 (trusted) and 127.0.0.1:$(cat untrusted.port) (untrusted)"
}

stop() {
    if [ -f "$dir/ca.der" ]; then "$wine_exec" "$trust_tool" remove "$(windows_path "$dir/ca.der")" || true; fi
    stop_server
}

case $action in
    start) start ;;
    stop) stop ;;
    *) echo "usage: tls_fixture.sh start|stop DIR TRUST_TOOL.exe" >&2; exit 2 ;;
esac
