"""The statistics service and the installation report of the loopback
service stack.

Both answer 200 with a tiny body; the server has already recorded the
request, which is all the tests look at:
  GET /installstats/send/...   statistics events
  GET /get/browser/install     the installation report

Fault: the statistics service can accept requests and never answer, to
show that the installer does not wait for it. server.stats.hold() (or POST
/installstats/__hold with body "1") holds every statistics request that
arrives until release() (body "0"); a forgotten hold ends after
HOLD_LIMIT seconds.
"""
import threading
from urllib.parse import urlsplit

STATS_PREFIX = "/installstats/send/"
REPORT_PATH = "/get/browser/install"
HOLD_PATH = "/installstats/__hold"
HOLD_LIMIT = 120


class StatsState:
    def __init__(self):
        self.released = threading.Event()
        self.released.set()

    def hold(self):
        self.released.clear()

    def release(self):
        self.released.set()


def handle_stats(handler, body):
    """Answers the statistics and report paths; False if the path is not
    ours."""
    path = urlsplit(handler.path).path
    state = handler.server.stats
    if path == HOLD_PATH and handler.command == "POST":
        state.hold() if body.strip() == b"1" else state.release()
        handler._send(200, b"ok")
        return True
    if path.startswith(STATS_PREFIX):
        if not state.released.is_set():
            state.released.wait(HOLD_LIMIT)
            # The client gave up long ago; drop the connection unanswered.
            handler.close_connection = True
            return True
        handler._send(200, b"ok")
        return True
    if path == REPORT_PATH:
        handler._send(200, b"ok")
        return True
    return False
