"""The crash-report service of the loopback service stack.

  POST /submit?product=...&version=...[&guid=...]
      a gzip-compressed multipart/form-data body, sent with chunked
      transfer encoding: the annotations as form fields and the minidump
      as the file "upload_file_minidump".

Every upload is decompressed, parsed and checked, and the result kept in
server.crash.reports (a list of dicts): the query, the headers, the form
fields, the attachment's name, file name and content type, the dump's
size, and what the dump's annotation stream holds (or the first problem
found in "errors"). Faults: server.crash.mode = "500" answers 500,
"hang" never answers (the client gives up on its own time-out).
"""
import gzip
import re
import struct
import threading
import time
from urllib.parse import parse_qsl, urlsplit

SUBMIT_PATH = "/submit"
ANNOTATION_STREAM = 0x43500001
MINIDUMP_SIGNATURE = b"MDMP"
HANG_LIMIT = 120


class CrashState:
    def __init__(self):
        self.lock = threading.Lock()
        self.reports = []
        self.mode = "ok"

    def add(self, report):
        with self.lock:
            self.reports.append(report)

    def snapshot(self):
        with self.lock:
            return list(self.reports)

    def reset(self):
        with self.lock:
            self.reports.clear()
            self.mode = "ok"


def parse_multipart(body, boundary):
    """Form fields and files of a multipart body: (fields, files), files as
    name -> (file name, content type, bytes). Raises ValueError on a
    malformed body."""
    delimiter = b"--" + boundary.encode()
    if not body.endswith(delimiter + b"--\r\n"):
        raise ValueError("body does not end with the closing boundary")
    parts = body[:-len(delimiter) - 4].split(delimiter + b"\r\n")
    if parts[0] != b"":
        raise ValueError("body does not start with a boundary")
    fields, files = {}, {}
    for part in parts[1:]:
        head, separator, content = part.partition(b"\r\n\r\n")
        if not separator or not content.endswith(b"\r\n"):
            raise ValueError(f"malformed part {part[:80]!r}")
        content = content[:-2]
        lines = head.decode("latin-1").split("\r\n")
        match = re.fullmatch(r'Content-Disposition: form-data; name="([^"]*)"'
                             r'(?:; filename="([^"]*)")?', lines[0])
        if not match:
            raise ValueError(f"malformed disposition {lines[0]!r}")
        name = match.group(1)
        if match.group(2) is None:
            if len(lines) != 1:
                raise ValueError(f"field {name} has extra headers")
            fields[name] = content.decode("latin-1")
        else:
            if len(lines) != 2 or not lines[1].startswith("Content-Type: "):
                raise ValueError(f"file {name} has no content type")
            files[name] = (match.group(2), lines[1][len("Content-Type: "):], content)
    return fields, files


def read_string(dump, rva):
    (length,) = struct.unpack_from("<I", dump, rva)
    text = dump[rva + 4:rva + 4 + length]
    if len(text) != length or dump[rva + 4 + length:rva + 5 + length] != b"\0":
        raise ValueError(f"string at {rva} runs past the dump or lacks its terminator")
    return text.decode("latin-1")


def parse_minidump(dump):
    """The annotation stream of a minidump: dict with report_id, client_id
    (16 bytes each, memory order) and annotations (dict), every location
    taken as an absolute position in the file. Raises ValueError."""
    if len(dump) < 32 or dump[:4] != MINIDUMP_SIGNATURE:
        raise ValueError("no minidump header")
    count, directory = struct.unpack_from("<II", dump, 8)
    if directory + 12 * count > len(dump):
        raise ValueError("stream directory runs past the dump")
    streams = [struct.unpack_from("<III", dump, directory + 12 * i) for i in range(count)]
    for kind, size, rva in streams:
        if rva + size > len(dump):
            raise ValueError(f"stream {kind:#x} runs past the dump")
    found = [(size, rva) for kind, size, rva in streams if kind == ANNOTATION_STREAM]
    if len(found) != 1:
        raise ValueError(f"{len(found)} annotation streams")
    size, rva = found[0]
    version, = struct.unpack_from("<I", dump, rva)
    report_id, client_id = dump[rva + 4:rva + 20], dump[rva + 20:rva + 36]
    annotations_size, location, modules_size, modules_location = struct.unpack_from(
        "<IIII", dump, rva + 36)
    if version != 1 or modules_size or modules_location:
        raise ValueError("unexpected stream head")
    if location != rva + 52:
        raise ValueError(f"annotations location {location} is not absolute ({rva + 52})")
    (entries,) = struct.unpack_from("<I", dump, location)
    annotations = {}
    strings_size = 0
    for i in range(entries):
        key_rva, value_rva = struct.unpack_from("<II", dump, location + 4 + 8 * i)
        key, value = read_string(dump, key_rva), read_string(dump, value_rva)
        annotations[key] = value
        strings_size += len(key) + len(value) + 10
    if annotations_size != 4 + 8 * entries + strings_size:
        raise ValueError(f"annotations size {annotations_size} does not match")
    return {"report_id": report_id, "client_id": client_id, "annotations": annotations,
            "stream_size": size}


def handle_crash(handler, body):
    """Answers the crash-report upload; False if the path is not ours."""
    url = urlsplit(handler.path)
    if url.path != SUBMIT_PATH or handler.command != "POST":
        return False
    state = handler.server.crash
    report = {"query": parse_qsl(url.query, keep_blank_values=True),
              "headers": dict(handler.headers.items()), "errors": [],
              "chunk_sizes": getattr(handler, "chunk_sizes", None),
              "started": getattr(handler, "started", None), "received": time.time()}
    try:
        content_type = handler.headers.get("Content-Type", "")
        match = re.fullmatch(r"multipart/form-data; boundary=(.+)", content_type)
        if not match:
            raise ValueError(f"content type {content_type!r}")
        if handler.headers.get("Content-Encoding") == "gzip":
            body = gzip.decompress(body)
        report["boundary"] = match.group(1)
        report["fields"], files = parse_multipart(body, match.group(1))
        report["files"] = {name: {"file_name": file_name, "content_type": kind,
                                  "size": len(content)}
                           for name, (file_name, kind, content) in files.items()}
        dump = files.get("upload_file_minidump", (None, None, b""))[2]
        report["minidump"] = parse_minidump(dump)
    except (ValueError, OSError, EOFError, struct.error) as error:
        report["errors"].append(str(error))
    state.add(report)
    if state.mode == "hang":
        threading.Event().wait(HANG_LIMIT)
        handler.close_connection = True
        return True
    if state.mode == "500":
        handler._send(500, b"failed")
        return True
    handler._send(200, b"CrashID=0123456789abcdef")
    return True
