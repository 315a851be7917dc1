"""The download CDN of the loopback service stack.

Serves files under /cdn/ with Content-Length and single-range requests
(206). Files come from a folder given to the server, from bodies posted to
/cdn/__files/<name>, or are generated: /cdn/gen/<size> is <size> bytes of
a fixed pattern.

Faults are chosen per request by query parameters, so that a test decides
them in the URL it hands to the client:
  status=404|500     answer with that status and a short body
  redirect=<path>    answer 302 with Location <path> (same server)
  no_length=1        send the body without Content-Length, then close
  cut=<n>            announce the whole body, send <n> bytes, then close
  length_delta=<k>   announce len+k bytes (k may be negative), send the
                     whole body, then close
  slow=<ms>          pause <ms> between 4 KiB pieces (at most 100 pieces)
  stall=<n>          announce the whole body, send <n> bytes, then send
                     nothing more and keep the connection open until the
                     client gives up (at most MAX_STALL_SECONDS)
  garbage=1          answer with a line that is no HTTP status line
  first=<n>          the other faults of the query apply to the first <n>
                     requests for this exact path and query only; later
                     ones are answered plainly (a source that recovers)
"""
import select
import socket
import threading
import time
from pathlib import Path
from urllib.parse import parse_qs, urlsplit

PREFIX = "/cdn/"
PIECE = 4096
MAX_SLOW_PIECES = 100
MAX_STALL_SECONDS = 300


def pattern_bytes(size):
    """The generated content: a pattern that shows shifted or lost bytes."""
    return bytes((i * 7 + i // 251) & 0xFF for i in range(size))


class CdnState:
    def __init__(self, root=None):
        self.root = Path(root) if root else None
        self.lock = threading.Lock()
        self.files = {}
        self.hits = {}

    def count_hit(self, key):
        """How many requests for |key| came before this one."""
        with self.lock:
            seen = self.hits.get(key, 0)
            self.hits[key] = seen + 1
            return seen

    def put(self, name, data):
        with self.lock:
            self.files[name] = bytes(data)

    def forget_hits(self, path_prefix):
        """Starts the "first=" counts of the paths under |path_prefix| again."""
        with self.lock:
            for key in [k for k in self.hits if k.startswith(path_prefix)]:
                del self.hits[key]

    def remove(self, name):
        with self.lock:
            self.files.pop(name, None)

    def get(self, name):
        with self.lock:
            if name in self.files:
                return self.files[name]
        if name.startswith("gen/") and name[4:].isdigit():
            return pattern_bytes(int(name[4:]))
        if self.root:
            path = (self.root / name).resolve()
            if self.root.resolve() in path.parents and path.is_file():
                return path.read_bytes()
        return None


def _range_start(header, size):
    """The first byte of a "bytes=N-" or "bytes=N-M" request, or None."""
    if not header or not header.startswith("bytes="):
        return None
    first = header[6:].split(",")[0].split("-")[0].strip()
    if not first.isdigit() or int(first) >= size:
        return None
    return int(first)


def handle_cdn(handler, body):
    """Answers a request under /cdn/; False if the path is not ours."""
    parts = urlsplit(handler.path)
    if not parts.path.startswith(PREFIX):
        return False
    state = handler.server.cdn
    name = parts.path[len(PREFIX):]
    query = {k: v[-1] for k, v in parse_qs(parts.query).items()}
    if "first" in query and state.count_hit(handler.path) >= int(query["first"]):
        query = {}

    if name.startswith("__files/") and handler.command in ("POST", "PUT"):
        state.put(name[len("__files/"):], body)
        handler._send(200, b"ok")
        return True

    if query.get("garbage") == "1":
        handler.close_connection = True
        handler.wfile.write(b"THIS IS NOT HTTP\r\n\r\n")
        return True
    if "status" in query:
        handler._send(int(query["status"]), b"fault")
        return True
    if "redirect" in query:
        handler.send_response(302)
        handler.send_header("Location", query["redirect"])
        handler.send_header("Content-Length", "0")
        handler.end_headers()
        return True

    data = state.get(name)
    if data is None:
        handler._send(404, b"not found")
        return True

    status = 200
    start = _range_start(handler.headers.get("Range"), len(data))
    if start is not None:
        status = 206
    payload = data[start or 0:]
    handler.send_response(status)
    handler.send_header("Content-Type", "application/octet-stream")
    if status == 206:
        handler.send_header("Content-Range", f"bytes {start}-{len(data) - 1}/{len(data)}")

    announced = len(payload)
    if "stall" in query:
        payload = payload[:int(query["stall"])]
    if "cut" in query:
        payload = payload[:int(query["cut"])]
        handler.close_connection = True
    if "length_delta" in query:
        announced = max(0, announced + int(query["length_delta"]))
        handler.close_connection = True
    if query.get("no_length") == "1":
        handler.send_header("Connection", "close")
        handler.close_connection = True
    else:
        handler.send_header("Content-Length", str(announced))
    handler.end_headers()
    if handler.command == "HEAD":
        return True

    delay = int(query.get("slow", "0")) / 1000.0
    pieces = [payload[i:i + PIECE] for i in range(0, len(payload), PIECE)]
    try:
        for index, piece in enumerate(pieces):
            handler.wfile.write(piece)
            if delay and index < MAX_SLOW_PIECES:
                handler.wfile.flush()
                time.sleep(delay)
        handler.wfile.flush()
        if "stall" in query:
            _hold_open(handler.connection)
            handler.close_connection = True
    except (BrokenPipeError, ConnectionResetError):
        handler.close_connection = True
    return True


def _hold_open(connection):
    """Sends nothing until the client closes the connection."""
    deadline = time.monotonic() + MAX_STALL_SECONDS
    while time.monotonic() < deadline:
        readable, _, _ = select.select([connection], [], [], 0.5)
        if not readable:
            continue
        try:
            if not connection.recv(4096, socket.MSG_PEEK):
                return
            connection.recv(4096)  # whatever the client sends is ignored
        except OSError:
            return
