"""The committed pictures are the ones tools/artwork/render_images.py draws."""
import subprocess
import sys

import pytest

from conftest import ROOT

# Reads and writes files only.
pytestmark = pytest.mark.emulated


def test_pictures_are_reproduced_byte_for_byte():
    process = subprocess.run([sys.executable, str(ROOT / "tools" / "artwork" / "render_images.py"), "--check"],
                             capture_output=True, text=True, timeout=300)
    assert process.returncode == 0, process.stdout + process.stderr
