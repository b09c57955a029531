#!/usr/bin/env python3
"""Smoke test of the fault-injecting HTTP server over loopback sockets: its plain files, ranges,
keep-alive and command line. Its faults are exercised by the update engine's Wine tests.

usage: http_fault_server_test.py PATH_TO_http_fault_server
"""
import hashlib
import http.client
import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SERVER = None  # set from argv
HOST = '127.0.0.1'
BIG = random.Random(1).randbytes(100 * 1024 + 17)
HUGE = random.Random(2).randbytes(8 * 1024 * 1024)  # more than the socket buffers take at once
SMALL = b'a small file\n'


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)
    return True


def free_port(first=18081):
    for port in range(first, first + 100):
        with socket.socket() as probe:
            try:
                probe.bind((HOST, port))
                return port
            except OSError:
                pass
    raise RuntimeError('no free port from %d' % first)


def brief(value):
    """Long bytes as their size and digest, so that a failed comparison is quick to report."""
    if isinstance(value, bytes) and len(value) > 200:
        return '<%d bytes, sha1 %s>' % (len(value), hashlib.sha1(value).hexdigest()[:16])
    if isinstance(value, (tuple, list)):
        return type(value)(brief(item) for item in value)
    return value


class BriefTestCase(unittest.TestCase):
    def assertEqual(self, first, second, msg=None):
        super().assertEqual(brief(first), brief(second), msg)


class FaultServer:
    """A running server in a folder of its own; stop() ends it through the stop file."""

    def __init__(self, root, *extra):
        self.dir = tempfile.mkdtemp(prefix='http-faults-')
        self.port = free_port()
        path = lambda name: os.path.join(self.dir, name)
        self.ready, self.stop_file, self.log = path('ready'), path('stop'), path('log')
        self.args = [SERVER, '--listen', '%s:%d' % (HOST, self.port), '--root', root,
                     '--ready-file', self.ready, '--stop-file', self.stop_file, '--log', self.log,
                     '--lifetime', '100'] + list(extra)
        self.process = subprocess.Popen(self.args, stderr=subprocess.PIPE)
        if not wait_until(lambda: os.path.exists(self.ready) or self.process.poll() is not None,
                          10) or not os.path.exists(self.ready):
            self.stop()
            raise AssertionError('never ready: %r\n%s' % (self.args, self.stderr))

    def stop(self):
        """The exit status; the process is killed if the stop file does not end it."""
        try:
            open(self.stop_file, 'w').close()
            return self.process.wait(timeout=10)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait(timeout=10)
            self.stderr = self.process.stderr.read().decode(errors='replace')
            self.process.stderr.close()
            self.ready_left = os.path.exists(self.ready)
            with open(self.log) if os.path.exists(self.log) else open(os.devnull) as f:
                self.log_text = f.read()
            shutil.rmtree(self.dir)

    def logged(self, number):
        """The log line of the request that carried ?x=number."""
        with open(self.log) as f:
            lines = [line.rstrip('\n') for line in f if '?x=%d ' % number in line]
        assert len(lines) == 1, lines
        return lines[0]


class Client:
    """One connection, and what it has received but not consumed yet."""
    requests = 0

    def __init__(self, port, timeout=5.0, rcvbuf=None):
        self.sock = socket.socket()
        if rcvbuf:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, rcvbuf)
        self.sock.settimeout(timeout)
        self.sock.connect((HOST, port))
        self.buffer, self.recvs = b'', 0

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.sock.close()

    @staticmethod
    def request(path, *headers):
        """A GET with "?x=N" appended as the update client does it."""
        Client.requests += 1
        return ('GET %s?x=%d HTTP/1.1\r\nHost: %s\r\n%s\r\n' % (
            path, Client.requests, HOST, ''.join(h + '\r\n' for h in headers))).encode()

    def get(self, path, *headers):
        """Sends a request; returns its N."""
        self.sock.sendall(self.request(path, *headers))
        return Client.requests

    def fill(self):
        chunk = self.sock.recv(65536)
        if not chunk:
            raise EOFError('closed after %r' % self.buffer[-80:])
        self.buffer += chunk
        self.recvs += 1

    def head(self):
        """(status, {lower-case name: value}, the raw header with its blank line)"""
        while b'\r\n\r\n' not in self.buffer:
            self.fill()
        raw, self.buffer = self.buffer.split(b'\r\n\r\n', 1)
        lines = raw.decode('latin-1').split('\r\n')
        headers = dict((n.strip().lower(), v.strip()) for n, v in
                       (line.split(':', 1) for line in lines[1:]))
        return int(lines[0].split()[1]), headers, raw + b'\r\n\r\n'

    def take(self, size):
        while len(self.buffer) < size:
            self.fill()
        data, self.buffer = self.buffer[:size], self.buffer[size:]
        return data

    def response(self, path=None, *headers):
        if path:
            self.get(path, *headers)
        status, headers, _ = self.head()
        return status, headers, self.take(int(headers['content-length']))


class FaultServerTest(BriefTestCase):
    @classmethod
    def setUpClass(cls):
        cls.top = tempfile.mkdtemp(prefix='http-faults-root-')
        root = os.path.join(cls.top, 'root')
        os.makedirs(os.path.join(root, 'sub'))
        for name, data in [('big.bin', BIG), ('copy.bin', BIG), ('huge.bin', HUGE),
                           ('small.txt', SMALL), ('sub/inner.txt', b'inner\n'),
                           ('../secret.txt', b'secret\n')]:
            with open(os.path.join(root, name), 'wb') as f:
                f.write(data)
        os.symlink('../secret.txt', os.path.join(root, 'escape.txt'))
        try:
            cls.server = FaultServer(root)
        except BaseException:
            shutil.rmtree(cls.top)
            raise

    @classmethod
    def tearDownClass(cls):
        try:
            rc = cls.server.stop()
            assert rc == 0 and not cls.server.ready_left, (rc, cls.server.stderr)
        finally:
            shutil.rmtree(cls.top)

    def client(self, **options):
        return Client(self.server.port, **options)

    def test_plain_ranges_and_keep_alive(self):
        last = len(BIG) - 1
        with self.client() as c:
            self.assertEqual(c.response('/plain/big.bin'), (200, {
                'content-type': 'application/octet-stream', 'content-length': str(len(BIG))}, BIG))
            for start in [1000, last]:
                status, headers, body = c.response('/plain/big.bin', 'Range: bytes=%d-' % start)
                self.assertEqual((status, headers['content-range'], body),
                                 (206, 'bytes %d-%d/%d' % (start, last, len(BIG)), BIG[start:]))
            first = c.get('/plain/big.bin', 'Range: bytes=%d-' % len(BIG))
            status, headers, _ = c.response()
            self.assertEqual((status, headers['content-range']), (416, 'bytes */%d' % len(BIG)))
            self.assertEqual(c.response('/plain/sub/inner.txt')[::2], (200, b'inner\n'))
            # Every request was answered on the one connection, and logged with its Range.
            line = self.server.logged(first - 1)
            self.assertRegex(line, r'^request conn=\d+ GET /plain/big\.bin\?x=%d range=bytes=%d- '
                             r'-> 206 big\.bin bytes %d-%d/%d length=1$' % (first - 1, last, last,
                                                                            last, len(BIG)))
            ids = {re.match(r'request (conn=\d+) ', self.server.logged(n)).group(1)
                   for n in range(first - 3, first + 2)}
            self.assertEqual(len(ids), 1, ids)
        with self.client() as c:  # pipelined: answered one after the other, in order
            c.sock.sendall(c.request('/plain/small.txt') + c.request('/status/500/small.txt') +
                           c.request('/plain/big.bin', 'Range: bytes=7-'))
            self.assertEqual([c.response()[::2] for _ in range(3)],
                             [(200, SMALL), (500, b'500 Internal Server Error\n'), (206, BIG[7:])])
        client = http.client.HTTPConnection(HOST, self.server.port, timeout=5)
        try:
            sockets = []
            for _ in range(2):
                client.request('GET', '/plain/small.txt?x=0')
                response = client.getresponse()
                self.assertEqual((response.status, response.read()), (200, SMALL))
                sockets.append(client.sock)
            self.assertIs(sockets[0], sockets[1])
        finally:
            client.close()

class CommandLineTest(BriefTestCase):
    def test_arguments_and_exits(self):
        with tempfile.TemporaryDirectory() as folder:
            at = '127.0.0.1:%d' % free_port()
            bad = [[], ['--root', folder], ['--listen', at], ['--frobnicate'], ['--root'],
                   ['--listen', '10.1.2.3:18090', '--root', folder],
                   ['--listen', '127.0.0.1', '--root', folder],
                   ['--listen', '127.0.0.1:0', '--root', folder],
                   ['--listen', 'example.com:18090', '--root', folder],
                   ['--listen', at, '--listen', at, '--root', folder],
                   ['--listen', at, '--root', folder, '--lifetime', '0'],
                   ['--listen', at, '--root', folder, '--lifetime', 'soon']]
            for args in bad:
                with self.subTest(args=args):
                    result = subprocess.run([SERVER] + args, capture_output=True, timeout=10)
                    self.assertEqual(result.returncode, 2)
                    self.assertIn(b'http_fault_server: ', result.stderr)
            result = subprocess.run([SERVER, '--help'], capture_output=True, timeout=10)
            self.assertEqual(result.returncode, 0)
            for word in [b'--listen', b'--root', b'--ready-file', b'--stop-file', b'--lifetime',
                         b'--log', b'/flaky/K/F', b'/stall/F']:
                self.assertIn(word, result.stdout)
            # Cannot start: no such root, or the port is taken.
            ready = os.path.join(folder, 'ready')
            with socket.socket() as holder:
                holder.bind(('127.0.0.1', int(at.split(':')[1])))
                holder.listen()
                for root in [os.path.join(folder, 'none'), folder]:
                    result = subprocess.run([SERVER, '--listen', at, '--root', root, '--ready-file',
                                             ready, '--lifetime', '5'], capture_output=True,
                                            timeout=10)
                    self.assertEqual(result.returncode, 1, root)
                    self.assertFalse(os.path.exists(ready))
            # The lifetime ends it by itself.
            started = time.monotonic()
            result = subprocess.run([SERVER, '--listen', at, '--root', folder, '--lifetime', '1'],
                                    capture_output=True, timeout=10)
            self.assertEqual(result.returncode, 0)
            self.assertGreater(time.monotonic() - started, 0.9)

    def test_stop_file_ends_it(self):
        with tempfile.TemporaryDirectory() as root:
            with open(os.path.join(root, 'f'), 'wb') as f:
                f.write(SMALL)
            server = FaultServer(root)
            try:
                with Client(server.port) as c:
                    self.assertEqual(c.response('/plain/f')[::2], (200, SMALL))
            finally:
                self.assertEqual(server.stop(), 0)
            self.assertFalse(server.ready_left)
            self.assertIn('listen 127.0.0.1:%d ' % server.port, server.log_text)
            self.assertTrue(server.log_text.endswith('exit reason=stop-file\n'), server.log_text)


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    SERVER = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0], '-v'])
