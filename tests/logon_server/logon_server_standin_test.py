#!/usr/bin/env python3
"""Test of the logon server stand-in over loopback sockets: its name-check answers, its misbehaviour
modes and its command line. The test channel and the stalls are exercised by the Wine network tests.

usage: logon_server_standin_test.py PATH_TO_logon_server_standin
"""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

STANDIN = None  # set from argv
HEADER = struct.Struct('<BBHHH')  # marker, version, body size, main, sub
GBK_NAME = bytes.fromhex('c0eecbc4')            # a two-character GBK name
GBK_REMARK = bytes.fromhex('d2d1b1bbd7a2b2e1')  # a four-character GBK remark


def frame(main, sub, body=b''):
    return HEADER.pack(0xC7, 1, len(body), main, sub) + body


def name_request(name, sub=4):
    return frame(1, sub, name.ljust(32, b'\0'))


def recv_exact(sock, size):
    data = b''
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        if not chunk:
            raise EOFError('closed after %d of %d bytes' % (len(data), size))
        data += chunk
    return data


def read_frame(sock):
    marker, version, size, main, sub = HEADER.unpack(recv_exact(sock, HEADER.size))
    assert (marker, version) == (0xC7, 1), 'not a frame header'
    return main, sub, recv_exact(sock, size)


def read_reply(sock):
    """A name-check reply as (kind, acceptable, remark)."""
    main, sub, body = read_frame(sock)
    assert (main, sub, len(body)) == (1, 4, 136), (main, sub, len(body))
    kind, acceptable = struct.unpack_from('<IB', body)
    return kind, acceptable != 0, body[5:].split(b'\0')[0]


def read_to_close(sock):
    """Everything the server sends until it closes the connection (bounded by the timeout)."""
    data = b''
    try:
        while True:
            chunk = sock.recv(65536)
            if not chunk:
                return data
            data += chunk
    except ConnectionResetError:
        return data


def connect(address, port, timeout=3.0):
    sock = socket.create_connection((address, port), timeout=timeout)
    sock.settimeout(timeout)
    return sock


def assert_quiet(test, sock, seconds=0.3):
    sock.settimeout(seconds)
    with test.assertRaises(socket.timeout):
        sock.recv(1)
    sock.settimeout(3.0)


class Standin:
    """A running stand-in; stopped through its stop file (killed if that fails) on leaving."""

    def __init__(self, test, *args):
        self.test = test
        self.dir = tempfile.TemporaryDirectory(prefix='standin-')
        path = lambda name: os.path.join(self.dir.name, name)
        self.ready, self.stop, self.log = path('ready'), path('stop'), path('log')
        self.args = [STANDIN, '--ready-file', self.ready, '--stop-file', self.stop,
                     '--log', self.log, '--lifetime', '60'] + list(args)
        self.process = None

    def __enter__(self):
        self.process = subprocess.Popen(self.args, stderr=subprocess.PIPE)
        try:
            wait_until(lambda: os.path.exists(self.ready) or self.process.poll() is not None, 10)
            self.test.assertTrue(os.path.exists(self.ready), 'never ready: %r' % self.args)
            with open(self.ready) as f:
                self.test.assertEqual(f.read(), 'ready\n')
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, value, traceback):
        try:
            open(self.stop, 'w').close()
            rc = self.process.wait(timeout=10)
            stderr = self.process.stderr.read().decode(errors='replace')
            if kind is None:
                self.test.assertEqual(rc, 0, 'exit status; stderr:\n' + stderr)
                self.test.assertFalse(os.path.exists(self.ready), 'ready file left behind')
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=10)
            self.process.stderr.close()
            self.dir.cleanup()

    def lines(self, prefix=''):
        with open(self.log) as f:
            return [line.rstrip('\n') for line in f if line.startswith(prefix)]


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)
    return True


class NameCheckTest(unittest.TestCase):
    def test_answers_by_the_taken_list(self):
        with Standin(self, '--listen', '127.0.0.1:19005', '--taken', 'alice=used',
                     '--taken-hex', '%s=%s' % (GBK_NAME.hex(), GBK_REMARK.hex()),
                     '--free-remark', 'ok') as server, connect('127.0.0.1', 19005) as sock:
            cases = [(b'bob', 4, (1, True, b'ok')), (b'alice', 4, (1, False, b'used')),
                     (b'Alice', 4, (1, True, b'ok')), (b'alic', 5, (2, True, b'ok')),
                     (b'alice\0junk', 5, (2, False, b'used')), (GBK_NAME, 5, (2, False, GBK_REMARK)),
                     (GBK_NAME + b'x', 4, (1, True, b'ok')), (b'', 4, (1, True, b'ok'))]
            for name, sub, expected in cases:
                sock.sendall(name_request(name, sub))
                self.assertEqual(read_reply(sock), expected, name)
            # Wrong sizes and unknown commands are passed over; the connection still answers.
            sock.sendall(frame(1, 4, b'x' * 31) + frame(1, 5, b'x' * 33) + frame(1, 6, b'\0' * 32) +
                         frame(3, 4, b'\0' * 32) + frame(9, 8) + name_request(b'alice'))
            self.assertEqual(read_reply(sock), (1, False, b'used'))
            assert_quiet(self, sock)
            self.assertEqual(len(server.lines('ignore ')), 5)
            self.assertIn('name-check conn=1 kind=2 name=%s available=0' % GBK_NAME.hex(),
                          server.lines())
            self.assertIn('frame conn=1 main=1 sub=4 size=32', server.lines())
            self.assertIn('sent conn=1 main=1 sub=4 size=136', server.lines())

            # Many clients at once, each answered on its own connection.
            clients = [connect('127.0.0.1', 19005) for _ in range(25)]
            try:
                for i, client in enumerate(clients):
                    client.sendall(name_request(b'alice' if i % 2 else b'user%d' % i, 4 + i % 2))
                for i, client in enumerate(clients):
                    self.assertEqual(read_reply(client),
                                     (1 + i % 2, i % 2 == 0, b'used' if i % 2 else b'ok'))
            finally:
                for client in clients:
                    client.close()
            self.assertEqual(len(server.lines('accept ')), 26)

    def test_misbehave_modes(self):
        request = name_request(b'bob')
        for mode in ['wrong-size', 'other-command', 'garbage', 'silent', 'close']:
            with self.subTest(mode=mode), \
                    Standin(self, '--listen', '127.0.0.1:19006', '--misbehave', mode) as server, \
                    connect('127.0.0.1', 19006) as sock:
                if mode == 'close':
                    self.assertEqual(read_to_close(sock), b'')
                    self.assertEqual(server.lines('close '), ['close conn=1 reason=misbehave'])
                    continue
                sock.sendall(request)
                if mode in ('wrong-size', 'other-command'):
                    main, sub, body = read_frame(sock)
                    expected = (1, 4, 135) if mode == 'wrong-size' else (2, 4, 136)
                    self.assertEqual((main, sub, len(body)), expected)
                    self.assertEqual(struct.unpack_from('<IB', body), (1, 1))
                elif mode == 'garbage':
                    data = recv_exact(sock, 16)
                    self.assertNotEqual(data[0], 0xC7)
                else:  # silent: no answer, but the connection stays up
                    assert_quiet(self, sock, 0.5)
                    sock.sendall(frame(9, 1, b'still here'))
                    self.assertEqual(read_frame(sock), (9, 1, b'still here'))
                if mode != 'silent':
                    assert_quiet(self, sock)


class LifeAndArgumentsTest(unittest.TestCase):
    def test_arguments(self):
        bad = [['--frobnicate'], ['--listen'], ['--listen', '10.1.2.3:19010'],
               ['--listen', '127.0.0.1:70000'], ['--listen', '127.0.0.1:0'],
               ['--listen', 'example.com'], ['--misbehave', 'rude'],
               ['--misbehave', 'silent', '--misbehave', 'close'], ['--taken-hex', 'c0e'],
               ['--taken-hex', 'zz'], ['--taken-hex', 'c0ee=d2d'], ['--taken', 'x' * 32],
               ['--free-remark-hex', 'q1'], ['--stall', '127.0.0.2:19010'],
               ['--stall', '127.0.0.2:19010=-5'], ['--lifetime', '0'], ['--lifetime', 'abc']]
        for args in bad:
            with self.subTest(args=args):
                result = subprocess.run([STANDIN] + args, capture_output=True, timeout=10)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b'logon_server_standin: ', result.stderr)
        result = subprocess.run([STANDIN, '--help'], capture_output=True, timeout=10)
        self.assertEqual(result.returncode, 0)
        for option in ['--listen', '--taken-hex', '--misbehave', '--stall', '--stop-file',
                       '--ready-file', '--lifetime', '--log', '--free-remark-hex']:
            self.assertIn(option.encode(), result.stdout)
        # A port already taken cannot be listened on: exit status 1, no ready file.
        with socket.socket() as holder, tempfile.TemporaryDirectory() as folder:
            holder.bind(('127.0.0.1', 19010))
            holder.listen()
            ready = os.path.join(folder, 'ready')
            result = subprocess.run([STANDIN, '--listen', '127.0.0.1:19010', '--ready-file', ready,
                                     '--lifetime', '5'], capture_output=True, timeout=10)
            self.assertEqual(result.returncode, 1)
            self.assertFalse(os.path.exists(ready))


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    STANDIN = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0], '-v'])
