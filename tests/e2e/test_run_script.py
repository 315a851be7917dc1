"""scripts/run.sh's clean-up on exit, with and without a display already set.

The script runs in a process group of its own next to a bystander process
of the same group: the clean-up must stop the services and the Xvfb it
started, and nothing else.
"""
import os
import re
import signal
import subprocess
import time
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]

# The services stand-in and the bystander are plain sleeps; the EXIT trap
# is the one run.sh installs, read from the script itself.
SCRIPT = r"""
set -eu
. scripts/display.sh
lite_start_display
echo "xvfb=${LITE_XVFB_PID:-}"
sleep 60 >/dev/null 2>&1 & SERVICES_PID=$!
sleep 60 >/dev/null 2>&1 & echo "bystander=$!"
echo "services=$SERVICES_PID"
eval "$(grep -m1 '^trap .* EXIT$' scripts/run.sh)"
exit 0
"""


def _alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    # A zombie left for init is gone for our purpose.
    stat = Path(f"/proc/{pid}/stat")
    return stat.exists() and stat.read_text().split(")")[-1].split()[0] != "Z"


def _gone(pid):
    # A signalled process may take a moment to end.
    for _ in range(50):
        if not _alive(pid):
            return True
        time.sleep(0.1)
    return False


@pytest.mark.parametrize("preset_display", [":4242", None], ids=["display-set", "own-xvfb"])
def test_cleanup_stops_only_what_the_script_started(preset_display):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    if preset_display:
        env["DISPLAY"] = preset_display
    result = subprocess.run(["bash", "-c", SCRIPT], cwd=ROOT, env=env, capture_output=True, text=True,
                            timeout=30, start_new_session=True)
    pids = dict(re.findall(r"^(\w+)=(\d*)$", result.stdout, re.M))
    bystander = int(pids["bystander"])
    try:
        assert result.returncode == 0, result.stderr
        assert _alive(bystander)
        assert _gone(int(pids["services"]))
        if preset_display:
            assert pids["xvfb"] == ""
        else:
            assert pids["xvfb"] and _gone(int(pids["xvfb"]))
    finally:
        if _alive(bystander):
            os.kill(bystander, signal.SIGKILL)
