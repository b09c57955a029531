#!/usr/bin/env python3
"""Smoke test of the fault-injecting HTTP server: it starts, answers a resumed download as the
update client asks for it, and stops through its stop file. Its faults, keep-alive and redirects
are exercised by the update engine's Wine tests, which are its real users.

usage: http_fault_server_test.py PATH_TO_http_fault_server
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

HOST = '127.0.0.1'
BODY = bytes(range(256)) * 40


def free_port(first=18081):
    for port in range(first, first + 100):
        with socket.socket() as probe:
            try:
                probe.bind((HOST, port))
                return port
            except OSError:
                pass
    raise RuntimeError('no free port from %d' % first)


def resumed_get(port, path, offset):
    """The raw answer to one GET with a Range from `offset`, read to the end of its body."""
    with socket.create_connection((HOST, port), timeout=5) as sock:
        sock.sendall(('GET %s?x=1 HTTP/1.1\r\nHost: %s\r\nRange: bytes=%d-\r\n\r\n' %
                      (path, HOST, offset)).encode())
        data = b''
        while b'\r\n\r\n' not in data or len(data.split(b'\r\n\r\n', 1)[1]) < len(BODY) - offset:
            chunk = sock.recv(65536)
            if not chunk:
                break
            data += chunk
        return data


def main(server):
    with tempfile.TemporaryDirectory() as folder:
        root = os.path.join(folder, 'root')
        os.mkdir(root)
        with open(os.path.join(root, 'file.bin'), 'wb') as f:
            f.write(BODY)
        ready, stop, log = (os.path.join(folder, name) for name in ('ready', 'stop', 'log'))
        port = free_port()
        process = subprocess.Popen([server, '--listen', '%s:%d' % (HOST, port), '--root', root,
                                    '--ready-file', ready, '--stop-file', stop, '--log', log,
                                    '--lifetime', '60'])
        try:
            deadline = time.monotonic() + 10
            while not os.path.exists(ready) and process.poll() is None:
                assert time.monotonic() < deadline, 'never ready'
                time.sleep(0.02)
            head, body = resumed_get(port, '/plain/file.bin', 1000).split(b'\r\n\r\n', 1)
            assert head.startswith(b'HTTP/1.1 206 '), head
            assert b'\r\nContent-Range: bytes 1000-%d/%d' % (len(BODY) - 1, len(BODY)) in head, head
            assert body == BODY[1000:], len(body)
            open(stop, 'w').close()
            assert process.wait(timeout=10) == 0
            assert not os.path.exists(ready), 'ready file left behind'
            with open(log) as f:
                assert f.read().endswith('exit reason=stop-file\n')
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
    print('1 passed, 0 failed')


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(os.path.abspath(sys.argv[1]))
