#!/usr/bin/env python3
"""Smoke test of the logon server stand-in: it starts, answers one name check by its taken list,
and stops through its stop file. Its misbehaviour modes, stalls and test channel are exercised by
the Wine network tests, its real users.

usage: logon_server_standin_test.py PATH_TO_logon_server_standin
"""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time

HEADER = struct.Struct('<BBHHH')  # marker, version, body size, main, sub


def frame(main, sub, body=b''):
    return HEADER.pack(0xC7, 1, len(body), main, sub) + body


def recv_exact(sock, size):
    data = b''
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        assert chunk, 'closed after %d of %d bytes' % (len(data), size)
        data += chunk
    return data


def name_check(port, name):
    """The stand-in's reply to a name check: (main, sub, kind, acceptable, remark)."""
    with socket.create_connection(('127.0.0.1', port), timeout=3) as sock:
        sock.sendall(frame(1, 4, name.ljust(32, b'\0')))
        marker, version, size, main, sub = HEADER.unpack(recv_exact(sock, HEADER.size))
        assert (marker, version, size) == (0xC7, 1, 136), (marker, version, size)
        body = recv_exact(sock, size)
        kind, acceptable = struct.unpack_from('<IB', body)
        return main, sub, kind, acceptable != 0, body[5:].split(b'\0')[0]


def main(standin):
    with tempfile.TemporaryDirectory(prefix='standin-') as folder:
        ready, stop = os.path.join(folder, 'ready'), os.path.join(folder, 'stop')
        process = subprocess.Popen([standin, '--listen', '127.0.0.1:19005', '--taken',
                                    'alice=used', '--ready-file', ready, '--stop-file', stop,
                                    '--lifetime', '60'])
        try:
            deadline = time.monotonic() + 10
            while not os.path.exists(ready) and process.poll() is None:
                assert time.monotonic() < deadline, 'never ready'
                time.sleep(0.02)
            assert name_check(19005, b'alice') == (1, 4, 1, False, b'used')
            open(stop, 'w').close()
            assert process.wait(timeout=10) == 0
            assert not os.path.exists(ready), 'ready file left behind'
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
    print('1 passed, 0 failed')


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]))
