"""The browser's setup archive at the paths the brands name.

  GET /browser/<brand id>/browser-setup.arc
  GET /browser-partners/_xp_builds/browser-setup.arc

Both serve the CDN file named by server.cdn setup name ("setup.arc" unless
a test chose another), through the CDN handler, so Range requests and the
CDN's faults apply; server.setup_faults (a CDN query string, empty by
default) injects faults into every archive request. Files are put with
server.cdn.put(name, bytes) or POST /cdn/__files/<name>.
"""
import re

ARCHIVE_PATH = re.compile(r"^/(browser/[^/?]+|browser-partners/_xp_builds)/browser-setup\.arc(\?.*)?$")
DEFAULT_NAME = "setup.arc"


def handle_setup_archive(handler, body, handle_cdn):
    """Answers an archive request; False if the path is not one."""
    if not ARCHIVE_PATH.match(handler.path):
        return False
    server = handler.server
    name = getattr(server, "setup_name", DEFAULT_NAME)
    faults = getattr(server, "setup_faults", "")
    original = handler.path
    handler.path = f"/cdn/{name}" + (f"?{faults}" if faults else "")
    try:
        return handle_cdn(handler, body)
    finally:
        handler.path = original
