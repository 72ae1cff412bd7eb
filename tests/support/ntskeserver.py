#!/usr/bin/env python3
"""An NTS key-exchange server whose answer the test chooses, for answers chronyd never gives.

    ntskeserver.py ADDRESS PORT CERTIFICATE KEY ANSWER

ANSWER is "error N" (an Error record with code N), "critical N" (an otherwise good response
holding an unknown record of type N with the critical bit) or "silent" (accepts TCP connections
and never says a word, not even the TLS handshake). TLS 1.3 only, ALPN ntske/1. Prints
"listening" once it takes connections."""

import socket
import ssl
import struct
import sys

CRITICAL = 0x8000
END_OF_MESSAGE, NEXT_PROTOCOL, ERROR, AEAD_ALGORITHM, NEW_COOKIE = 0, 1, 2, 4, 5


def record(kind, body=b"", critical=False):
    return struct.pack(">HH", kind | (CRITICAL if critical else 0), len(body)) + body


def word(value):
    return struct.pack(">H", value)


def response(answer):
    kind, value = answer.split()
    if kind == "error":
        return record(ERROR, word(int(value)), True) + record(END_OF_MESSAGE, critical=True)
    return (record(NEXT_PROTOCOL, word(0), True) + record(AEAD_ALGORITHM, word(15))
            + record(int(value), b"\0\0", True) + record(NEW_COOKIE, bytes(100))
            + record(END_OF_MESSAGE, critical=True))


def read_request(connection):
    """Reads records up to End of Message."""
    pending = b""
    while True:
        while len(pending) >= 4:
            kind, length = struct.unpack(">HH", pending[:4])
            if len(pending) < 4 + length:
                break
            if kind & ~CRITICAL == END_OF_MESSAGE:
                return
            pending = pending[4 + length:]
        more = connection.recv(4096)
        if not more:
            return
        pending += more


def main():
    address, port, certificate, key, answer = sys.argv[1:6]
    listener = socket.create_server((address, int(port)))
    print("listening", flush=True)
    if answer == "silent":
        held = []
        while True:
            held.append(listener.accept()[0])
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_3
    context.set_alpn_protocols(["ntske/1"])
    context.load_cert_chain(certificate, key)
    while True:
        plain = listener.accept()[0]
        try:
            with context.wrap_socket(plain, server_side=True) as connection:
                read_request(connection)
                connection.sendall(response(answer))
        except (OSError, ssl.SSLError):
            pass


if __name__ == "__main__":
    main()
