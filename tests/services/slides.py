"""The slide server: the pictures of the installer window's progress screen.

  GET /browser/installer/<folder>/x2/<file>

Every slide folder ("2022", the language folders, ...) serves the same set
of files, server.slides.put_set({"02.jpg": bytes, ...}), which replaces the
set before it; a file not in the set answers 404. The files are served
through the CDN handler (as CDN files "slides/<file>"), so the CDN's faults
apply per file: put_set(files, faults={"03.jpg": "status=500&first=2"})
("slow=<ms>", "stall=<n>", "cut=<n>", ... as cdn.py describes).
server.slides.requests() lists the slide paths asked for, in order.
"""
import re
import threading
from urllib.parse import urlsplit

SLIDE_PATH = re.compile(r"^/browser/installer/[^/]+/x2/([^/]+)$")
CDN_FOLDER = "slides/"


class SlidesState:
    def __init__(self, cdn):
        self.cdn = cdn
        self.lock = threading.Lock()
        self.names = set()
        self.faults = {}
        self.asked = []

    def put_set(self, files, faults=None):
        """Serves |files| (name to bytes) from now on, with |faults| (name
        to CDN query string), and forgets the requests and fault counts so
        far."""
        with self.lock:
            for name in self.names - set(files):
                self.cdn.remove(CDN_FOLDER + name)
            for name, data in files.items():
                self.cdn.put(CDN_FOLDER + name, data)
            self.cdn.forget_hits("/cdn/" + CDN_FOLDER)
            self.names = set(files)
            self.faults = dict(faults or {})
            self.asked.clear()

    def requests(self):
        with self.lock:
            return list(self.asked)

    def _record(self, path, name):
        with self.lock:
            self.asked.append(path)
            return self.faults.get(name, "") if name in self.names else None


def handle_slides(handler, body, handle_cdn):
    """Answers a slide request; False if the path is not one."""
    match = SLIDE_PATH.match(urlsplit(handler.path).path)
    if not match:
        return False
    name = match.group(1)
    faults = handler.server.slides._record(handler.path, name)
    if faults is None:
        handler._send(404, b"not found")
        return True
    original = handler.path
    handler.path = f"/cdn/{CDN_FOLDER}{name}" + (f"?{faults}" if faults else "")
    try:
        return handle_cdn(handler, body)
    finally:
        handler.path = original
