#!/usr/bin/env python3
"""Local stand-in for the maker's web host, for runs and tests on 127.0.0.1.

Serves the published files from webhost/site, answers the online counter and offers
fault modes, in-memory overrides and an echo so tests can drive the program's HTTP code
through every failure it must survive.

Usage:
  python3 webhost/devserver.py --port 18089 [--node 127.0.0.1] [--pidfile F] [--log F]
                               [--parent-pid PID] [--online-window SECONDS]
"""

import argparse
import base64
import http.server
import json
import os
import posixpath
import random
import select
import signal
import socket
import sys
import threading
import time
import urllib.parse

SITE_ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "site")
COUNTER_PATH = "/zxtj/ine.php"
NODE_PLACEHOLDER = b"@NODE@"
OVERSIZE_BYTES = 9 * 1024 * 1024
GARBAGE_BYTES = 4096
DEFAULT_SLOW_MS = 3000
FAULT_MODES = ("hang", "slow", "garbage", "oversize", "status-500")
CONTENT_TYPES = {
    ".txt": "text/plain; charset=utf-8",
    ".pac": "application/x-ns-proxy-autoconfig",
    ".png": "image/png",
    ".html": "text/html; charset=utf-8",
    ".ico": "image/x-icon",
}


def parse_mode(text):
    """Returns the normalised mode name, "normal", or None when the text names no mode."""
    mode = text.strip().lower()
    if mode in ("normal", "") or mode in FAULT_MODES:
        return mode or "normal"
    if mode.startswith("slow-") and mode[5:].isdigit():
        return mode
    return None


def slow_delay_seconds(mode):
    return int(mode[5:]) / 1000.0 if mode.startswith("slow-") else DEFAULT_SLOW_MS / 1000.0


class ServerState:
    """Everything the request threads share; guarded by one lock."""

    def __init__(self, node, log_file, online_window):
        self.node = node.encode("ascii")
        self.log_file = log_file
        self.online_window = online_window
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self.mode = "normal"
        self.overrides = {}
        self.log_lines = []
        self.last_seen = {}  # client identity -> time of its last counter post

    def log(self, line):
        with self.lock:
            self.log_lines.append(line)
            target = self.log_file or sys.stderr
            target.write(line + "\n")
            target.flush()

    def count_online(self, identity):
        now = time.monotonic()
        with self.lock:
            self.last_seen[identity] = now
            cutoff = now - self.online_window
            self.last_seen = {k: t for k, t in self.last_seen.items() if t >= cutoff}
            return len(self.last_seen)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "LarkbridgeDev/14"
    timeout = 10  # an idle connection must not pin a thread forever

    # Set on the class by make_server.
    state = None

    def log_message(self, format, *args):
        pass  # handle_any and send_error write the one line per request

    def send_error(self, code, message=None, explain=None):
        # Only requests that never reached handle_any (malformed or unsupported) end up here.
        super().send_error(code, message, explain)
        command = getattr(self, "command", None) or "-"
        self.state.log(f"{command} {getattr(self, 'path', None) or '-'} {code}")

    def do_GET(self):
        self.handle_any()

    def do_HEAD(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()

    def do_PUT(self):
        self.handle_any()

    def do_DELETE(self):
        self.handle_any()

    def do_OPTIONS(self):
        self.handle_any()

    def handle_any(self):
        self.close_connection = True
        self.status_logged = "-"
        try:
            self.body = self.read_body()
            self.route()
        except (BrokenPipeError, ConnectionResetError, socket.timeout):
            pass
        finally:
            self.state.log(f"{self.command} {self.path} {self.status_logged}")

    def read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            chunks = []
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline().strip():
                        pass  # trailer lines
                    return b"".join(chunks)
                chunks.append(self.rfile.read(size))
                self.rfile.readline()
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def route(self):
        split = urllib.parse.urlsplit(self.path)
        path = split.path
        if path.startswith("/_control/"):
            self.handle_control(path[len("/_control/") :], urllib.parse.parse_qs(split.query))
            return
        mode = self.state.mode
        if path.startswith("/_fault/"):
            name, _, rest = path[len("/_fault/") :].partition("/")
            mode = parse_mode(name)
            if mode is None or mode == "normal":
                self.send_text(400, f"unknown fault mode: {name}\n")
                return
            path = "/" + rest
        self.serve_with_mode(mode, path)

    def serve_with_mode(self, mode, path):
        if mode == "hang":
            self.hang()
        elif mode.startswith("slow"):
            if not self.state.stopping.wait(slow_delay_seconds(mode)):
                self.serve_real(path)
        elif mode == "garbage":
            self.send_bytes(200, random.randbytes(GARBAGE_BYTES), "application/octet-stream")
        elif mode == "oversize":
            self.send_oversize()
        elif mode == "status-500":
            self.send_text(500, "internal server error\n")
        else:
            self.serve_real(path)

    def serve_real(self, path):
        with self.state.lock:
            override = self.state.overrides.get(path)
        if path == COUNTER_PATH and self.command == "POST":
            count = self.state.count_online(self.client_identity())
            if override is None:
                self.send_text(200, f'document.write("{count}");\n', "text/html; charset=utf-8")
                return
        if path.startswith("/_echo"):
            self.send_echo()
        elif override is not None:
            self.send_bytes(200, override, self.content_type(path))
        elif self.command in ("GET", "HEAD"):
            self.send_file(path)
        else:
            self.send_text(405, "method not allowed\n")

    def client_identity(self):
        # The program posts an empty body and no cookie, so its address is what tells two
        # clients apart; an id in the body or a cookie lets one machine act as several.
        body = self.body.strip()
        if body:
            return "body:" + body.decode("utf-8", "replace")
        cookie = self.headers.get("Cookie", "").strip()
        if cookie:
            return "cookie:" + cookie
        return "addr:" + self.client_address[0]

    def send_file(self, path):
        file_path = self.resolve_site_path(path)
        if file_path is None:
            self.send_text(404, "not found\n")
            return
        with open(file_path, "rb") as f:
            data = f.read()
        if file_path.endswith(".pac"):
            data = data.replace(NODE_PLACEHOLDER, self.state.node)
        self.send_bytes(200, data, self.content_type(file_path))

    def resolve_site_path(self, path):
        """Maps a URL path to a file under the site root, or None; never leaves the root."""
        clean = posixpath.normpath("/" + urllib.parse.unquote(path))
        candidate = os.path.realpath(os.path.join(SITE_ROOT, clean.lstrip("/")))
        root = os.path.realpath(SITE_ROOT)
        if candidate != root and not candidate.startswith(root + os.sep):
            return None
        if os.path.isdir(candidate):
            candidate = os.path.join(candidate, "index.html")
        return candidate if os.path.isfile(candidate) else None

    @staticmethod
    def content_type(path):
        return CONTENT_TYPES.get(os.path.splitext(path)[1].lower(), "application/octet-stream")

    def send_echo(self):
        described = {
            "method": self.command,
            "path": self.path,
            "version": self.request_version,
            "header_lines": [f"{name}: {value}" for name, value in self.headers.raw_items()],
            "body_base64": base64.b64encode(self.body).decode("ascii"),
        }
        self.send_text(200, json.dumps(described, ensure_ascii=False), "application/json")

    def handle_control(self, action, query):
        state = self.state
        if action == "shutdown":
            self.send_text(200, "shutting down\n")
            state.stopping.set()
        elif action == "mode" and self.command == "POST":
            mode = parse_mode(self.body.decode("utf-8", "replace"))
            if mode is None:
                self.send_text(400, "unknown mode\n")
                return
            with state.lock:
                state.mode = mode
            self.send_text(200, mode + "\n")
        elif action == "set" and self.command == "POST" and query.get("path"):
            with state.lock:
                state.overrides[query["path"][0]] = self.body
            self.send_text(200, "set\n")
        elif action == "reset" and self.command == "POST":
            with state.lock:
                state.overrides.clear()
                state.mode = "normal"
            self.send_text(200, "reset\n")
        elif action == "log" and self.command == "GET":
            with state.lock:
                text = "".join(line + "\n" for line in state.log_lines)
            self.send_text(200, text)
        else:
            self.send_text(404, "unknown control\n")

    def hang(self):
        """Holds the request unanswered until the client leaves or the server stops."""
        sock = self.connection
        while not self.state.stopping.is_set():
            readable, _, _ = select.select([sock], [], [], 0.1)
            if readable:
                try:
                    if not sock.recv(4096):
                        break
                except OSError:
                    break
        self.status_logged = "hang"

    def send_head(self, status, content_type, length):
        self.status_logged = str(status)
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()

    def send_bytes(self, status, data, content_type):
        self.send_head(status, content_type, len(data))
        if self.command != "HEAD":
            self.wfile.write(data)

    def send_text(self, status, text, content_type="text/plain; charset=utf-8"):
        self.send_bytes(status, text.encode("utf-8"), content_type)

    def send_oversize(self):
        self.send_head(200, "application/octet-stream", OVERSIZE_BYTES)
        if self.command == "HEAD":
            return
        chunk = b"\xa5" * 65536
        for _ in range(OVERSIZE_BYTES // len(chunk)):
            if self.state.stopping.is_set():
                return
            self.wfile.write(chunk)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    block_on_close = False
    allow_reuse_address = True


def make_server(port, state):
    handler = type("BoundHandler", (Handler,), {"state": state})
    return Server(("127.0.0.1", port), handler)


def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            # A zombie has exited already; its state letter follows the command in parentheses.
            return f.read().rsplit(b")", 1)[1].split()[0] != b"Z"
    except (OSError, IndexError):
        return True


def main(argv=None):
    parser = argparse.ArgumentParser(description="Larkbridge local web host")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--node", default="127.0.0.1", help="forwarding node written into PAC files")
    parser.add_argument("--pidfile")
    parser.add_argument("--log", help="append request lines here instead of stderr")
    parser.add_argument("--parent-pid", type=int, help="exit when this process is gone")
    parser.add_argument("--online-window", type=float, default=60.0,
                        help="seconds a counter post keeps a client online")
    args = parser.parse_args(argv)

    log_file = open(args.log, "a", encoding="utf-8") if args.log else None
    state = ServerState(args.node, log_file, args.online_window)
    server = make_server(args.port, state)

    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: state.stopping.set())

    serving = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1},
                               daemon=True)
    serving.start()
    if args.pidfile:
        with open(args.pidfile + ".tmp", "w") as f:
            f.write(f"{os.getpid()}\n")
        os.replace(args.pidfile + ".tmp", args.pidfile)

    while not state.stopping.wait(0.5):
        if args.parent_pid and not process_alive(args.parent_pid):
            break
    state.stopping.set()
    server.shutdown()
    server.server_close()
    if args.pidfile:
        try:
            os.remove(args.pidfile)
        except OSError:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
