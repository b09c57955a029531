#!/usr/bin/env python3
"""Black-box test of the logon server stand-in over loopback sockets.

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


class TestChannelTest(unittest.TestCase):
    def test_channel_commands(self):
        with Standin(self, '--listen', '127.0.0.1:19007') as server:
            with connect('127.0.0.1', 19007) as sock:
                for body in [b'', b'hello', bytes(range(256)) * 64]:  # up to the largest body
                    sock.sendall(frame(9, 1, body))
                    self.assertEqual(read_frame(sock), (9, 1, body))
                sock.sendall(frame(9, 3, b'abc'))
                time.sleep(0.1)
                self.assertEqual(recv_exact(sock, 3 * 11), frame(9, 3, b'abc') * 3)
                sock.sendall(frame(9, 4))
                bad = recv_exact(sock, 12)
                self.assertNotEqual(bad[0], 0xC7)
                sock.sendall(frame(9, 5))
                self.assertEqual(HEADER.unpack(recv_exact(sock, 8)), (0xC7, 1, 16385, 9, 5))
                assert_quiet(self, sock)

            # Byte by byte, while another connection is served in between.
            with connect('127.0.0.1', 19007) as slow, connect('127.0.0.1', 19007) as fast:
                body = bytes(range(200))
                slow.sendall(frame(9, 2, body))
                time.sleep(0.05)
                started = time.monotonic()
                fast.sendall(frame(9, 1, b'quick'))
                self.assertEqual(read_frame(fast), (9, 1, b'quick'))
                self.assertLess(time.monotonic() - started, 0.3)
                received, pieces = b'', 0
                while len(received) < len(body) + 8:
                    received += slow.recv(4096)
                    pieces += 1
                self.assertEqual(received, frame(9, 2, body))
                self.assertGreater(pieces, 20, 'the reply came in too few segments')
                self.assertFalse(server.lines('close conn=2'), 'slow was closed')

            # Closing on request, with and without a last echo.
            for sub, expected in [(6, b''), (7, frame(9, 7, b'bye'))]:
                with connect('127.0.0.1', 19007) as sock:
                    sock.sendall(frame(9, sub, b'bye'))
                    self.assertEqual(read_to_close(sock), expected)

            # Replies larger than the socket buffers: queued and written as the client reads.
            with connect('127.0.0.1', 19007) as sock:
                bodies = [bytes([i]) * 16384 for i in range(64)]
                sock.sendall(b''.join(frame(9, 1, body) for body in bodies))
                time.sleep(0.2)
                for body in bodies:
                    self.assertEqual(read_frame(sock), (9, 1, body))

    def test_malformed_client_stream_closes(self):
        streams = [b'\x00' * 8, b'\xc7\x02' + frame(1, 4)[2:],
                   HEADER.pack(0xC7, 1, 16385, 9, 1), frame(9, 1, b'ok') + b'\xc8']
        with Standin(self, '--listen', '127.0.0.1:19007') as server:
            for stream in streams:
                with self.subTest(stream=stream[:8].hex()), connect('127.0.0.1', 19007) as sock:
                    sock.sendall(stream)
                    read_to_close(sock)  # echo of a good first frame may or may not make it
            self.assertEqual(len(server.lines('malformed ')), 4)
            closes = server.lines('close conn=')
            self.assertEqual(len(closes), 4)
            self.assertTrue(all(line.endswith(' reason=malformed') for line in closes), closes)


class ListenerTest(unittest.TestCase):
    def test_listeners_and_stalls(self):
        addresses = ['127.0.0.%d' % i for i in range(1, 11)]
        args = sum((['--listen', a + ':19008'] for a in addresses), [])
        args += ['--stall', '127.0.0.2:19009=2500', '--stall', '127.0.0.3:19009=0',
                 '--free-remark-hex', GBK_REMARK.hex()]
        with Standin(self, *args) as server:
            stalled = socket.socket()
            stalled.settimeout(1.0)
            with self.assertRaises(socket.timeout), stalled:
                stalled.connect(('127.0.0.2', 19009))
            for address in addresses:
                with connect(address, 19008) as sock:
                    sock.sendall(name_request(b'bob'))
                    self.assertEqual(read_reply(sock), (1, True, GBK_REMARK))
            accepted = server.lines('accept ')
            for address in addresses:
                self.assertEqual(sum('listener=%s:19008 ' % address in l for l in accepted), 1)

            self.assertTrue(wait_until(lambda: server.lines('stall-end 127.0.0.2:19009'), 5))
            # From then on it accepts like any listener, a burst of connects included.
            burst = []
            try:
                for _ in range(8):
                    burst.append(connect('127.0.0.2', 19009, timeout=1.0))
                for sock in burst:
                    sock.sendall(name_request(b'bob', 5))
                    self.assertEqual(read_reply(sock), (2, True, GBK_REMARK))
            finally:
                for sock in burst:
                    sock.close()
            never = socket.socket()
            never.settimeout(1.0)
            with self.assertRaises(socket.timeout), never:
                never.connect(('127.0.0.3', 19009))
            self.assertFalse(server.lines('stall-end 127.0.0.3'))


class LifeAndArgumentsTest(unittest.TestCase):
    def test_lifetime_ends_it(self):
        with tempfile.TemporaryDirectory() as folder:
            ready, log = os.path.join(folder, 'ready'), os.path.join(folder, 'log')
            started = time.monotonic()
            process = subprocess.Popen([STANDIN, '--listen', '127.0.0.1:19010', '--lifetime', '1',
                                        '--ready-file', ready, '--log', log])
            try:
                self.assertEqual(process.wait(timeout=10), 0)
                self.assertGreater(time.monotonic() - started, 0.9)
                self.assertFalse(os.path.exists(ready))
                with open(log) as f:
                    self.assertIn('exit reason=lifetime\n', f.readlines())
            finally:
                if process.poll() is None:
                    process.kill()
                    process.wait(timeout=10)

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
