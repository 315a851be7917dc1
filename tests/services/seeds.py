"""The experiment-seed and bundle services of the loopback service stack.

Answers
  /content/get/experiments/browser.proto   "variations": the variations seed
  /ab/get                                   "abt": the ABT seed
  /configs/all_zip                          "config": the server configuration bundle
  /wallpapers/<anything>                    "wallpapers": the wallpaper bundle
whatever the query (the server's request record keeps it).

Tests choose each answer through server.seeds.set(): the body, the status,
the headers (a header set to None is left out, so a seed can come without
"X-Seed-Signature") and a pace, the pause in milliseconds between 4 KiB
pieces. Every transfer is recorded: how many bytes went out and whether
the whole body did; wait_started() and wait_finished() let a test act
while a slow answer is under way.
"""
import threading
import time
from urllib.parse import urlsplit

PATHS = {
    "/content/get/experiments/browser.proto": "variations",
    "/ab/get": "abt",
    "/configs/all_zip": "config",
}
WALLPAPERS_PREFIX = "/wallpapers/"
PIECE = 4096


def _defaults():
    def seed(body, signature):
        headers = {"X-Seed-Signature": signature,
                   "Last-Modified": "Wed, 05 Oct 2022 08:12:33 GMT", "X-Country": "tr"}
        return {"body": body, "status": 200, "slow_ms": 0, "headers": headers}

    def bundle(body):
        return {"body": body, "status": 200, "slow_ms": 0, "headers": {}}

    return {
        "variations": seed(b"variations seed", "c2lnLXY="),
        "abt": seed(b"abt seed", "c2lnLWE="),
        "config": bundle(b"PK config bundle"),
        "wallpapers": bundle(b"PK wallpaper bundle"),
    }


class SeedsState:
    def __init__(self):
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        with self.lock:
            self.answers = _defaults()
            self.transfers = []
            self.started = {name: threading.Event() for name in self.answers}
            self.finished = {name: threading.Event() for name in self.answers}

    def set(self, name, body=None, status=None, headers=None, slow_ms=None):
        """Changes the answer for |name|; |headers| are merged into the
        current ones, a None value removes that header."""
        with self.lock:
            answer = self.answers[name]
            if body is not None:
                answer["body"] = bytes(body)
            if status is not None:
                answer["status"] = status
            if headers:
                answer["headers"].update(headers)
            if slow_ms is not None:
                answer["slow_ms"] = slow_ms

    def answer(self, name):
        with self.lock:
            answer = self.answers[name]
            return dict(answer, headers=dict(answer["headers"]))

    def record(self, transfer):
        with self.lock:
            self.transfers.append(transfer)

    def snapshot(self):
        with self.lock:
            return [dict(t) for t in self.transfers]

    def wait_started(self, name, timeout=60):
        return self.started[name].wait(timeout)

    def wait_finished(self, name, timeout=60):
        return self.finished[name].wait(timeout)


def _name_for(path):
    if path in PATHS:
        return PATHS[path]
    if path.startswith(WALLPAPERS_PREFIX):
        return "wallpapers"
    return None


def handle_seeds(handler, body):
    """Answers a seed or bundle request; False if the path is not ours."""
    name = _name_for(urlsplit(handler.path).path)
    if name is None:
        return False
    state = handler.server.seeds
    answer = state.answer(name)
    transfer = {"name": name, "path": handler.path, "sent": 0, "complete": False}
    try:
        payload = answer["body"]
        handler.send_response(answer["status"])
        handler.send_header("Content-Type", "application/octet-stream")
        handler.send_header("Content-Length", str(len(payload)))
        for header, value in answer["headers"].items():
            if value is not None:
                handler.send_header(header, value)
        handler.end_headers()
        if handler.command == "HEAD":
            transfer["complete"] = True
            return True
        delay = answer["slow_ms"] / 1000.0
        for start in range(0, len(payload), PIECE):
            handler.wfile.write(payload[start:start + PIECE])
            handler.wfile.flush()
            transfer["sent"] += len(payload[start:start + PIECE])
            state.started[name].set()
            if delay and start + PIECE < len(payload):
                time.sleep(delay)
        transfer["complete"] = True
    except (BrokenPipeError, ConnectionResetError):
        handler.close_connection = True
    finally:
        state.started[name].set()
        state.record(transfer)
        state.finished[name].set()
    return True
