"""Two HTTPS servers on 127.0.0.1 for the tests of the fetch over TLS.

One listens on port 443 with a certificate for localhost issued by the test CA; the other on a
port the system picks, with a self-signed certificate for localhost that nothing trusts. Each
answers a request with "over TLS" and the request head it received, so the test sees what
arrived. What became of every connection is written to connections.log: served, closed without
a request (the client refused the certificate after the handshake) or failed.

Usage: tls_server.py DIR   (DIR holds trusted.pem, trusted.key, untrusted.pem, untrusted.key;
the server writes untrusted.port and ready there). It ends on SIGTERM or after LIFETIME seconds.
"""
import os
import signal
import socket
import ssl
import sys
import threading

LIFETIME = 30 * 60
directory = sys.argv[1]
log_lock = threading.Lock()


def log(line):
    with log_lock, open(os.path.join(directory, "connections.log"), "a") as out:
        out.write(line + "\n")


def answer(context, client, name):
    client.settimeout(10)
    try:
        with context.wrap_socket(client, server_side=True) as tls:
            head = b""
            while b"\r\n\r\n" not in head and len(head) < 65536:
                data = tls.recv(4096)
                if not data:
                    break
                head += data
            if not head:
                # The handshake went through, then the client left: it refused the certificate.
                log(f"{name}: closed without a request")
                return
            body = b"over TLS\n" + head
            tls.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
            log(f"{name}: served")
    except (ssl.SSLError, OSError) as error:
        log(f"{name}: handshake or connection failed: {error}")
    finally:
        client.close()


def serve(listener, context, name):
    while True:
        client, _ = listener.accept()
        threading.Thread(target=answer, args=(context, client, name), daemon=True).start()


def listener_on(port):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(8)
    return listener


def context_for(stem):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(directory, stem + ".pem"), os.path.join(directory, stem + ".key"))
    return context


def main():
    signal.signal(signal.SIGTERM, lambda *_: os._exit(0))
    signal.signal(signal.SIGALRM, lambda *_: os._exit(0))
    signal.alarm(LIFETIME)
    trusted = listener_on(443)
    untrusted = listener_on(0)
    with open(os.path.join(directory, "untrusted.port"), "w") as out:
        out.write(str(untrusted.getsockname()[1]))
    threading.Thread(target=serve, args=(untrusted, context_for("untrusted"), "untrusted"), daemon=True).start()
    open(os.path.join(directory, "ready"), "w").close()
    serve(trusted, context_for("trusted"), "trusted")


main()
