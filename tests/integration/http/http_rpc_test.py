#!/usr/bin/env python3
"""The app server called as any HTTP client would: Python's http.client
against a real ate-appserver on a demo database, compared with the framed
transport, and the refusals a hostile or mistaken client gets.

    http_rpc_test.py BIN_DIR
"""
import http.client
import json
import os
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import time
import unittest

BIN = sys.argv.pop(1) if len(sys.argv) > 1 else "build/bin"
TLS_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support", "tls")
TOKEN = "s3gredo"
SERVER = "Ate11600.rdmPropPass"


class Server:
    def __init__(self, *extra):
        self.dir = tempfile.TemporaryDirectory()
        self.log = open(os.path.join(self.dir.name, "log"), "w")
        self.proc = subprocess.Popen(
            [os.path.join(BIN, "ate-appserver"), "--init-db", "--demo",
             "--db", "sqlite:" + os.path.join(self.dir.name, "ate.db"),
             "--listen", "127.0.0.1:0", "--token", TOKEN, "--handshake-timeout", "2",
             "--frame-timeout", "2", "--log-level", "warn", *extra],
            stdout=subprocess.PIPE, stderr=self.log, text=True)
        line = self.proc.stdout.readline()
        if "listening on" not in line:
            raise RuntimeError("the server did not start: " + line)
        self.port = int(line.rsplit(":", 1)[1])

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)
        self.proc.stdout.close()
        self.log.close()
        self.dir.cleanup()


class Framed:
    """The framed transport: a 4-byte length, then JSON; Connect first."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        answer = self.call("Connect", {"server": SERVER, "user": "teste", "token": TOKEN})
        assert "result" in answer, answer

    def call(self, method, params, id=1):
        body = json.dumps({"jsonrpc": "2.0", "id": id, "method": method, "params": params}).encode()
        self.sock.sendall(struct.pack(">I", len(body)) + body)
        size = struct.unpack(">I", self.read(4))[0]
        return json.loads(self.read(size))

    def read(self, n):
        data = b""
        while len(data) < n:
            chunk = self.sock.recv(n - len(data))
            if not chunk:
                raise ConnectionError("closed")
            data += chunk
        return data


def headers(user="teste", token=TOKEN):
    h = {"Content-Type": "application/json"}
    if user is not None:
        h["X-Ate-User"] = user
    if token is not None:
        h["Authorization"] = "Bearer " + token
    return h


def connection(test, host="127.0.0.1", port=None, **kw):
    conn = (http.client.HTTPSConnection if "context" in kw else http.client.HTTPConnection)(
        host, port or test.port, timeout=10, **kw)
    test.addCleanup(conn.close)
    return conn


def post(conn, payload, **kw):
    body = payload if isinstance(payload, (bytes, str)) else json.dumps(payload)
    conn.request("POST", kw.pop("path", "/rpc"), body, headers(**kw))
    response = conn.getresponse()
    return response, json.loads(response.read())


def raw(port, data, wait=5.0):
    """Sends bytes as they are and returns all that comes back until the
    server closes (or `wait` passes)."""
    s = socket.create_connection(("127.0.0.1", port), timeout=wait)
    s.sendall(data)
    got = b""
    try:
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            got += chunk
    except socket.timeout:
        got += b"<still open>"
    s.close()
    return got


class HttpRpcTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        cls.port = cls.server.port

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def good_call(self):
        # A good call from this address forgets its earlier refusals, whose
        # answers are otherwise held back longer each time.
        conn = connection(self)
        response, _ = post(conn, {"jsonrpc": "2.0", "id": 1, "method": "GetCompanhia", "params": ["ASUL", "", "0001"]})
        self.assertEqual(response.status, 200)
        conn.close()

    def test_every_read_answers_as_over_frames_on_one_kept_connection(self):
        framed = Framed(self.port)
        self.addCleanup(framed.sock.close)
        conn = connection(self)
        services = framed.call("GetPropServico", ["0001", "ASUL", "1110", "01"])["result"]
        self.assertTrue(services["rows"], "the demo leg 1110/01 has services")
        row = dict(zip([f["name"] for f in services["fields"]], services["rows"][0]))
        service, klass, cycle = row["CDSERVICO"], row["CDCLASSE"], row["CDCICLO"]
        calls = [
            ("GetCompanhia", ["ASUL", "", "0001", "1110", "", "01", ""]),
            ("GetPropServico", ["0001", "ASUL", "1110", "01"]),
            ("GetQtdePropServico", ["0001", "ASUL", service, klass, cycle, "1110", "01"]),
            ("GetValidaServ", [service, "0001", "ASUL", "1110", "01"]),
            ("GetMaiorPax", ["0001", "ASUL", service, "1110", "01"]),
            ("GetFindProp", ["0001", "ASUL", service, "1", "20", "1110", "01"]),
            ("GetTestaPropSe", ["0001", "ASUL", service, "1", "20", "1110", "01"]),
            ("GetCoberturaProp", ["0001", "ASUL", "1110", "01"]),
            ("GetQtdeParaPax", ["0001", "ASUL", "1110", "01", "123"]),
            ("GetHistoricoProp", ["0001", "ASUL", "1110", "01", "", "", "", "50", ""]),
            ("GetQtdeParaPax", ["0001", "ASUL", "1110", "01", "0"]),  # an error answers alike too
        ]
        conn.connect()
        sock = conn.sock
        for n, (method, params) in enumerate(calls, start=10):
            with self.subTest(method=method):
                expected = framed.call(method, params, id=n)
                response, answer = post(conn, {"jsonrpc": "2.0", "id": n, "method": method, "params": params})
                self.assertEqual(response.status, 200)
                self.assertEqual(response.getheader("Content-Type"), "application/json")
                self.assertEqual(answer, expected)
        self.assertIs(conn.sock, sock, "every call went over the one kept-alive connection")
        self.assertIn("error", answer)

    def test_a_batch_is_answered_in_order_each_element_on_its_own(self):
        conn = connection(self)
        batch = [
            {"jsonrpc": "2.0", "id": "a", "method": "GetQtdeParaPax", "params": ["0001", "ASUL", "1110", "01", "123"]},
            {"jsonrpc": "2.0", "id": "b", "method": "NoSuchMethod", "params": []},
            7,
            {"jsonrpc": "2.0", "id": "c", "method": "GetCoberturaProp", "params": ["0001", "ASUL", "1110", "01"]},
        ]
        response, answers = post(conn, batch)
        self.assertEqual(response.status, 200)
        self.assertEqual([a["id"] for a in answers], ["a", "b", None, "c"])
        self.assertIn("result", answers[0])
        self.assertEqual(answers[1]["error"]["code"], -32601)
        self.assertEqual(answers[2]["error"]["code"], -32600)
        self.assertIn("fields", answers[3]["result"])
        self.assertEqual(post(conn, [])[1]["error"]["code"], -32600)  # an empty batch: one error, not a list
        self.assertEqual(post(conn, b'[{"jsonrpc":')[1]["error"]["code"], -32700)
        self.assertEqual(post(conn, b'{"jsonrpc":"2.0","method":"GetCompanhia"}')[1]["error"]["code"], -32600)

    def test_who_asks_must_say_so(self):
        for kw, text in [({"user": None}, "X-Ate-User"), ({"token": None}, "token"), ({"token": "wrong"}, "wrong token")]:
            with self.subTest(**{k: str(v) for k, v in kw.items()}):
                self.good_call()
                conn = connection(self)
                response, answer = post(conn, {"jsonrpc": "2.0", "id": 1, "method": "GetCompanhia",
                                               "params": ["ASUL", "", "0001"]}, **kw)
                self.assertEqual(response.status, 401)
                self.assertTrue(response.getheader("WWW-Authenticate", "").startswith("Bearer"))
                self.assertEqual(answer["error"]["code"], -32002)
                self.assertIn(text, answer["error"]["message"])
                self.assertEqual(response.getheader("Connection"), "close")

    def test_other_paths_methods_and_bodies_are_refused(self):
        cases = [("POST", "/", {"Content-Type": "application/json"}, 404),
                 ("GET", "/rpc", {}, 405),
                 ("POST", "/rpc", {"Content-Type": "text/plain"}, 415)]
        for method, path, extra, status in cases:
            with self.subTest(method=method, path=path):
                self.good_call()
                conn = connection(self)
                h = dict(headers(), **extra)
                conn.request(method, path, "{}" if method == "POST" else None, h)
                response = conn.getresponse()
                self.assertEqual(response.status, status)
                self.assertIn("error", json.loads(response.read()))

    def test_a_body_over_the_frame_limit_is_refused_before_it_is_sent(self):
        self.good_call()
        head = ("POST /rpc HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nX-Ate-User: teste\r\n"
                "Authorization: Bearer %s\r\nContent-Length: %d\r\n\r\n" % (TOKEN, 17 << 20)).encode()
        got = raw(self.port, head)
        self.assertTrue(got.startswith(b"HTTP/1.1 413 "), got[:200])
        self.assertNotIn(b"<still open>", got)

    def test_smuggling_huge_and_slow_heads_end_the_connection(self):
        self.good_call()
        smuggled = ("POST /rpc HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nX-Ate-User: teste\r\n"
                    "Authorization: Bearer %s\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n"
                    "0\r\n\r\nPOST /rpc HTTP/1.1\r\nContent-Length: 2\r\n\r\n{}" % TOKEN).encode()
        got = raw(self.port, smuggled)
        self.assertTrue(got.startswith(b"HTTP/1.1 400 "), got[:200])
        self.assertEqual(got.count(b"HTTP/1.1"), 1, "the request hidden in the body is never answered")

        self.good_call()
        huge = b"POST /rpc HTTP/1.1\r\nX-Pad: " + b"a" * 40000 + b"\r\n\r\n"
        self.assertTrue(raw(self.port, huge).startswith(b"HTTP/1.1 431 "))

        self.good_call()
        started = time.monotonic()
        got = raw(self.port, b"POST /rpc HTTP/1.1\r\nHost: x\r\n", wait=10)
        self.assertEqual(got, b"", "a head that never ends is cut off, unanswered")
        self.assertLess(time.monotonic() - started, 8)


    def test_https_on_a_tls_port_and_nothing_in_clear(self):
        server = Server("--tls-cert", os.path.join(TLS_DIR, "server.pem"),
                        "--tls-key", os.path.join(TLS_DIR, "server.key"))
        try:
            context = ssl.create_default_context(cafile=os.path.join(TLS_DIR, "ca.pem"))
            conn = connection(self, "localhost", server.port, context=context)
            response, answer = post(conn, {"jsonrpc": "2.0", "id": 1, "method": "GetQtdeParaPax",
                                           "params": ["0001", "ASUL", "1110", "01", "123"]})
            self.assertEqual(response.status, 200)
            self.assertTrue(answer["result"]["rows"])
            plain = connection(self, port=server.port)
            with self.assertRaises((http.client.HTTPException, ConnectionError)):
                post(plain, {"jsonrpc": "2.0", "id": 1, "method": "GetCompanhia", "params": ["ASUL", "", "0001"]})
        finally:
            server.stop()


if __name__ == "__main__":
    unittest.main(verbosity=2)
