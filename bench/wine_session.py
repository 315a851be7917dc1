"""What the benchmarks share: the build's programs, a scratch copy of the
Wine prefix with the TEST code-signing root trusted, a display, and
running Windows programs with their output through files."""
import contextlib
import os
import re
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
BUILD = Path(os.environ.get("LITE_BUILD_DIR", ROOT / "build"))
FIXTURES = BUILD / "tests" / "fixtures"
CERTS = BUILD / "test-certs" / "code-signing"
# Wine's 64-bit loader runs PE32+ files (and Wine's own tools) without
# handing any i386 code to an emulator.
WINE64 = "/usr/lib/wine/wine64" if Path("/usr/lib/wine/wine64").exists() else "wine"
sys.path.insert(0, str(ROOT / "tests"))
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def pe_machine(path):
    """The machine field of a PE file's header (0x14c i386, 0x8664 x64)."""
    with open(path, "rb") as f:
        data = f.read(4096)
    offset = int.from_bytes(data[60:64], "little")
    return int.from_bytes(data[offset + 4:offset + 6], "little")


def loader_for(program):
    return WINE64 if pe_machine(program) == 0x8664 else "wine"


def wine_env(prefix, display=""):
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", DISPLAY=display,
               LANG="en_US.UTF-8", LC_ALL="en_US.UTF-8")
    if Path("/proc/sys/fs/binfmt_misc/lite-i386-exec").exists():
        env.setdefault("QEMU_CPU", "max")  # Wine needs more than qemu's default i386
    return env


def run(argv, env, check=False, timeout=None):
    """Runs a program with its output through files: a Wine service started
    on the way keeps any pipe open for as long as the wineserver runs."""
    with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
        process = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                 timeout=timeout)
        out.seek(0)
        err.seek(0)
        result = subprocess.CompletedProcess(argv, process.returncode, out.read(), err.read())
    if check and result.returncode != 0:
        raise RuntimeError(f"{argv[:2]} failed: {result.stdout} {result.stderr}")
    return result


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


@contextlib.contextmanager
def scratch_prefix(scratch, display=""):
    """A copy of the prepared prefix (LITE_WINEPREFIX) in |scratch| with the
    TEST root trusted and a wineserver running; yields its environment and
    stops its wineserver at the end."""
    prefix = Path(scratch) / "prefix"
    subprocess.run(["cp", "-a", os.environ.get("LITE_WINEPREFIX", "/var/cache/lite_installer-wine"),
                    str(prefix)], check=True)
    env = wine_env(prefix, display)
    try:
        run(["wineserver", "-p"], env, timeout=60)
        run([WINE64, "cmd", "/c", "exit"], env, timeout=300)
        tool = FIXTURES / "test_root_store.exe"
        run([loader_for(tool), str(tool), "add", windows_path(CERTS / "root_ca.der")], env,
            check=True, timeout=300)
        (prefix / "drive_c" / "users" / "root" / "Temp").mkdir(parents=True, exist_ok=True)
        yield env
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


@contextlib.contextmanager
def display():
    """The display in DISPLAY, or an Xvfb of our own for as long as the
    block runs; yields the display name and the Xvfb's process id (None
    for a display we did not start)."""
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"], None
        return
    number = next((n for n in range(90, 200) if not Path(f"/tmp/.X11-unix/X{n}").exists()
                   and not Path(f"/tmp/.X{n}-lock").exists()), None)
    if number is None:
        raise RuntimeError("no free X display number")
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        for _ in range(200):
            if Path(f"/tmp/.X11-unix/X{number}").exists():
                break
            if xvfb.poll() is not None:
                raise RuntimeError(f"Xvfb :{number} ended with {xvfb.returncode}")
            time.sleep(0.05)
        else:
            raise RuntimeError(f"Xvfb :{number} did not start in 10 s")
        yield f":{number}", xvfb.pid
    finally:
        xvfb.terminate()
        try:
            xvfb.wait(timeout=10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()


def require(*paths):
    missing = [str(p) for p in paths if not Path(p).exists()]
    if missing:
        sys.exit("missing (build first with scripts/setup.sh, or set LITE_BUILD_DIR): "
                 + ", ".join(missing))


def unix_cpu_ms(pid):
    """(user, system) ms a Unix process and its threads have taken so far,
    or None once it is gone."""
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except (OSError, IndexError):
        return None
    return int(fields[11]) * 1000 / CLOCK_TICKS, int(fields[12]) * 1000 / CLOCK_TICKS


def wine_unix_pid(prefix, matches):
    """The Unix process of |prefix|'s Wine (by the WINEPREFIX it runs
    with) for which |matches| holds of the lower-case base names of its
    command and arguments: Wine shows a program's own path first, where
    i386 code is emulated after the emulator and the loader."""
    wanted = f"WINEPREFIX={prefix}".encode()
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            arguments = (proc / "cmdline").read_bytes().split(b"\0")
            names = {(proc / "comm").read_text().strip().lower()} | {
                re.split(r"[\\/]", a.decode(errors="replace"))[-1].lower() for a in arguments}
            if matches(names) and wanted in (proc / "environ").read_bytes().split(b"\0"):
                return int(proc.name)
        except OSError:
            continue
    return None
