"""Checks the local web host the program's tests depend on: content, counter, faults, lifecycle.

Run: python3 -m unittest webhost/test_devserver.py -v
"""

import base64
import http.client
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "devserver.py")
SITE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "site")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class RunningServer:
    """One devserver subprocess on a free port, waited for through its pid file."""

    def __init__(self, *extra_args):
        self.dir = tempfile.mkdtemp(prefix="devserver-test-")
        self.port = free_port()
        self.pidfile = os.path.join(self.dir, "pid")
        self.logfile = os.path.join(self.dir, "log")
        self.process = subprocess.Popen(
            [sys.executable, SERVER, "--port", str(self.port), "--pidfile", self.pidfile,
             "--log", self.logfile, *extra_args])
        deadline = time.monotonic() + 5
        while not os.path.exists(self.pidfile):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("devserver did not start")
            time.sleep(0.02)

    def request(self, method, path, body=None, timeout=5, source="127.0.0.1"):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout,
                                          source_address=(source, 0))
        try:
            conn.request(method, path, body=body)
            response = conn.getresponse()
            return response.status, response.read()
        finally:
            conn.close()

    def wait_exit(self, seconds):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


class ContentAndControlsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = RunningServer("--node", "127.0.0.5")

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def setUp(self):
        self.assertEqual(self.server.request("POST", "/_control/reset")[0], 200)

    def get(self, path, **kwargs):
        return self.server.request("GET", path, **kwargs)

    def test_published_files(self):
        self.assertEqual(self.get("/gx.txt"), (200, b"14"))
        status, count = self.get("/gg/ggsl.txt")
        self.assertEqual(status, 200)
        for k in range(1, int(count) + 1):
            status, link = self.get(f"/gg/gg{k}.txt")
            self.assertEqual(status, 200)
            self.assertTrue(link.startswith(b"http://"), link)
            status, picture = self.get(f"/gg/gg{k}.png")
            self.assertEqual(status, 200)
            self.assertEqual(picture[:8], b"\x89PNG\r\n\x1a\n")
        status, index = self.get("/")
        self.assertEqual(status, 200)
        self.assertIn(b"<html", index)

    def test_missing_and_escaping_paths_are_not_found(self):
        for path in ("/nothing.txt", "/../devserver.py", "/%2e%2e/devserver.py", "/gg/../../x"):
            with self.subTest(path=path):
                self.assertEqual(self.get(path)[0], 404)

    def test_pac_files_route_only_their_hosts_through_the_node(self):
        expected = {
            1: {"steamcommunity.com": True, "store.steamcommunity.com": True,
                "uplay.ubi.com": False, "www.origin.com": False, "example.org": False,
                "notsteamcommunity.com": False},
            2: {"steamcommunity.com": True, "uplay.ubi.com": True, "ubisoft.com": True,
                "www.origin.com": False, "example.org": False},
            3: {"api.steamcommunity.com": True, "www.origin.com": True, "ea.com": True,
                "uplay.ubi.com": False, "example.org": False},
        }
        node = shutil.which("node") or shutil.which("nodejs")
        for number, cases in expected.items():
            status, pac = self.get(f"/steam{number}.pac")
            self.assertEqual(status, 200)
            text = pac.decode("utf-8")
            self.assertIn("function FindProxyForURL(url, host)", text)
            self.assertIn("PROXY 127.0.0.5:443", text)
            self.assertNotIn("@NODE@", text)
            if not node:
                continue
            script = (text + "\nfunction dnsDomainIs(h, d) { return h.length >= d.length && "
                      "h.substring(h.length - d.length) == d; }\n"
                      f"var hosts = {json.dumps(list(cases))};\n"
                      "console.log(JSON.stringify(hosts.map(function (h) {"
                      " return FindProxyForURL('http://' + h + '/', h); })));\n")
            answers = json.loads(subprocess.run([node, "-e", script], check=True,
                                                capture_output=True, text=True).stdout)
            for (host, proxied), answer in zip(cases.items(), answers):
                with self.subTest(node=number, host=host):
                    self.assertEqual(answer, "PROXY 127.0.0.5:443" if proxied else "DIRECT")

    def test_echo_describes_the_request_exactly(self):
        body = bytes(range(256))
        with socket.create_connection(("127.0.0.1", self.server.port), timeout=5) as s:
            s.sendall(b"PUT /_echo/a?b=1 HTTP/1.1\r\nHost: x\r\nZ-Last: 1\r\nA-First: 2\r\n"
                      b"Content-Length: 256\r\n\r\n" + body)
            raw = b""
            while chunk := s.recv(65536):
                raw += chunk
        head, _, payload = raw.partition(b"\r\n\r\n")
        self.assertTrue(head.startswith(b"HTTP/1.1 200"), head)
        described = json.loads(payload)
        self.assertEqual(described["method"], "PUT")
        self.assertEqual(described["path"], "/_echo/a?b=1")
        self.assertEqual(described["header_lines"],
                         ["Host: x", "Z-Last: 1", "A-First: 2", "Content-Length: 256"])
        self.assertEqual(base64.b64decode(described["body_base64"]), body)

    def test_counter_counts_distinct_clients(self):
        def post(source="127.0.0.1", body=None):
            status, answer = self.server.request("POST", "/zxtj/ine.php", body=body,
                                                 source=source)
            self.assertEqual(status, 200)
            text = answer.decode("utf-8")
            return int(text[text.index('("') + 2:text.index('")')])

        first = post()
        self.assertGreaterEqual(first, 1)
        self.assertEqual(post(), first)  # the same client again
        self.assertEqual(post("127.0.0.2"), first + 1)
        self.assertEqual(post("127.0.0.2"), first + 1)
        self.assertEqual(post(body=b"id=other"), first + 2)

    def test_counter_forgets_clients_after_the_window(self):
        server = RunningServer("--online-window", "0.4")
        try:
            self.assertIn(b'("1")', server.request("POST", "/zxtj/ine.php")[1])
            self.assertIn(b'("2")', server.request("POST", "/zxtj/ine.php", source="127.0.0.3")[1])
            time.sleep(0.6)
            self.assertIn(b'("1")', server.request("POST", "/zxtj/ine.php")[1])
        finally:
            server.stop()

    def test_fault_modes_per_request(self):
        status, body = self.get("/_fault/garbage/gx.txt")
        self.assertEqual(status, 200)
        self.assertNotEqual(body, b"14")
        self.assertGreater(len(body), 100)

        status, body = self.get("/_fault/oversize/gx.txt", timeout=20)
        self.assertEqual((status, len(body)), (200, 9 * 1024 * 1024))

        self.assertEqual(self.get("/_fault/status-500/gx.txt")[0], 500)
        self.assertEqual(self.get("/_fault/bogus/gx.txt")[0], 400)

        started = time.monotonic()
        self.assertEqual(self.get("/_fault/slow-300/gx.txt"), (200, b"14"))
        self.assertGreaterEqual(time.monotonic() - started, 0.3)

        started = time.monotonic()
        with self.assertRaises(socket.timeout):
            self.get("/_fault/hang/gx.txt", timeout=0.5)
        self.assertLess(time.monotonic() - started, 2)
        # The server keeps serving others while (and after) a request hangs.
        self.assertEqual(self.get("/gx.txt"), (200, b"14"))

    def test_server_wide_mode_until_normal(self):
        self.assertEqual(self.server.request("POST", "/_control/mode", b"status-500")[0], 200)
        self.assertEqual(self.get("/gx.txt")[0], 500)
        self.assertEqual(self.server.request("POST", "/_control/mode", b"slow")[0], 200)
        started = time.monotonic()
        self.assertEqual(self.get("/gx.txt"), (200, b"14"))
        self.assertGreaterEqual(time.monotonic() - started, 2.9)
        self.assertEqual(self.server.request("POST", "/_control/mode", b"nonsense")[0], 400)
        self.assertEqual(self.server.request("POST", "/_control/mode", b"normal")[0], 200)
        self.assertEqual(self.get("/gx.txt"), (200, b"14"))

    def test_overrides_and_reset(self):
        for content in (b"15", b"14\r\n", b""):
            with self.subTest(content=content):
                self.server.request("POST", "/_control/set?path=/gx.txt", content)
                self.assertEqual(self.get("/gx.txt"), (200, content))
        self.server.request("POST", "/_control/set?path=/zxtj/ine.php", b"no markers")
        self.assertEqual(self.server.request("POST", "/zxtj/ine.php"), (200, b"no markers"))
        self.server.request("POST", "/_control/set?path=/new/file.txt", b"made up")
        self.assertEqual(self.get("/new/file.txt"), (200, b"made up"))
        self.server.request("POST", "/_control/reset")
        self.assertEqual(self.get("/gx.txt"), (200, b"14"))
        self.assertEqual(self.get("/new/file.txt")[0], 404)

    def test_log_lists_each_request(self):
        self.get("/gx.txt")
        self.get("/missing.txt")
        status, log = self.get("/_control/log")
        self.assertEqual(status, 200)
        lines = log.decode("utf-8").splitlines()
        self.assertIn("GET /gx.txt 200", lines)
        self.assertIn("GET /missing.txt 404", lines)
        with open(self.server.logfile, encoding="utf-8") as f:
            self.assertIn("GET /missing.txt 404", f.read().splitlines())


class LifecycleTest(unittest.TestCase):
    def test_shutdown_request_exits_cleanly_even_with_a_hanging_client(self):
        server = RunningServer()
        try:
            hanging = socket.create_connection(("127.0.0.1", server.port))
            hanging.sendall(b"GET /_fault/hang/gx.txt HTTP/1.1\r\nHost: x\r\n\r\n")
            time.sleep(0.2)
            self.assertEqual(server.request("GET", "/_control/shutdown")[0], 200)
            self.assertEqual(server.wait_exit(3), 0)
            self.assertFalse(os.path.exists(server.pidfile))
            hanging.close()
        finally:
            server.stop()

    def test_signals_exit_cleanly(self):
        for signum in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=signum):
                server = RunningServer()
                try:
                    server.process.send_signal(signum)
                    self.assertEqual(server.wait_exit(3), 0)
                finally:
                    server.stop()

    def test_exits_when_parent_is_gone(self):
        parent = subprocess.Popen([sys.executable, "-c", "import time; time.sleep(30)"])
        server = RunningServer("--parent-pid", str(parent.pid))
        try:
            self.assertEqual(server.request("GET", "/gx.txt"), (200, b"14"))
            self.assertIsNone(server.wait_exit(0.7))
            parent.kill()  # left a zombie on purpose until after the check below
            self.assertEqual(server.wait_exit(3), 0)
        finally:
            parent.wait()
            server.stop()


if __name__ == "__main__":
    unittest.main()
