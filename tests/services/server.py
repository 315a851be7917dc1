#!/usr/bin/env python3
"""The loopback service stack the installer talks to in tests and demos.

One HTTP server answers for every service host of the test build and
records each request it receives, so that tests can assert on what the
installer sent. GET /__requests returns the record as JSON; POST
/__reset clears it.
"""
import argparse
import json
import ssl
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

try:
    from services.cdn import CdnState, handle_cdn
    from services.crash import CrashState, handle_crash
    from services.seeds import SeedsState, handle_seeds
    from services.setup_archive import handle_setup_archive
    from services.slides import SlidesState, handle_slides
    from services.stats import StatsState, handle_stats
except ImportError:  # run as a script from this folder
    from cdn import CdnState, handle_cdn
    from crash import CrashState, handle_crash
    from seeds import SeedsState, handle_seeds
    from setup_archive import handle_setup_archive
    from slides import SlidesState, handle_slides
    from stats import StatsState, handle_stats


class ServiceState:
    def __init__(self):
        self.lock = threading.Lock()
        self.requests = []

    def record(self, handler, body):
        with self.lock:
            self.requests.append({
                "method": handler.command,
                "path": handler.path,
                "headers": dict(handler.headers.items()),
                "body": body.decode("latin-1"),
            })

    def snapshot(self):
        with self.lock:
            return list(self.requests)

    def reset(self):
        with self.lock:
            self.requests.clear()


class ServiceHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "LiteTestServices/1"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            super().log_message(fmt, *args)

    def _body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            return self._chunked_body()
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length else b""

    def _chunked_body(self):
        """The body of a chunked request; the chunk sizes, in order, in
        self.chunk_sizes."""
        body = b""
        self.chunk_sizes = []
        while True:
            size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
            self.chunk_sizes.append(size)
            if size == 0:
                # Trailers, if any, end with an empty line.
                while self.rfile.readline() not in (b"\r\n", b"\n", b""):
                    pass
                return body
            body += self.rfile.read(size)
            self.rfile.read(2)

    def _send(self, status, body=b"", content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def _handle(self):
        self.started = time.time()
        body = self._body()
        state = self.server.state
        if self.path == "/__requests":
            return self._send(200, json.dumps(state.snapshot()).encode(), "application/json")
        if self.path == "/__reset":
            state.reset()
            return self._send(200, b"ok")
        state.record(self, body)
        if self.path == "/health":
            return self._send(200, b"ok")
        if (handle_crash(self, body) or handle_cdn(self, body) or handle_seeds(self, body)
                or handle_stats(self, body)
                or handle_setup_archive(self, body, handle_cdn)
                or handle_slides(self, body, handle_cdn)):
            return None
        return self._send(404, b"not found")

    do_GET = do_POST = do_HEAD = _handle


def make_server(host, port, verbose=False, cdn_root=None, tls_cert=None, tls_key=None):
    """A server on host:port (0: any free port); HTTPS when given a
    certificate and key."""
    server = ThreadingHTTPServer((host, port), ServiceHandler)
    if tls_cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(tls_cert, tls_key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.daemon_threads = True
    server.state = ServiceState()
    server.cdn = CdnState(cdn_root)
    server.seeds = SeedsState()
    server.slides = SlidesState(server.cdn)
    server.stats = StatsState()
    server.crash = CrashState()
    server.verbose = verbose
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=18080)
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--tls-cert", help="serve HTTPS with this certificate (PEM)")
    parser.add_argument("--tls-key", help="the certificate's key (PEM)")
    parser.add_argument("--setup-archive", help="the file served as every brand's setup archive")
    parser.add_argument("--slides", type=int, default=0,
                        help="serve this many generated slides (02.jpg, ...) in every slide folder")
    args = parser.parse_args()
    server = make_server(args.host, args.port, args.verbose, tls_cert=args.tls_cert, tls_key=args.tls_key)
    if args.setup_archive:
        with open(args.setup_archive, "rb") as archive:
            server.cdn.put("setup.arc", archive.read())
    if args.slides:
        # Drawn only when asked for: it needs Pillow.
        from slide_art import file_name, slide_jpeg
        server.slides.put_set({file_name(n): slide_jpeg(n) for n in range(2, args.slides + 2)})
    scheme = "https" if args.tls_cert else "http"
    print(f"serving on {scheme}://{args.host}:{server.server_address[1]}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
