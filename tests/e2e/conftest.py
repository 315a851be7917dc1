"""End-to-end harness: the real lite_installer.exe under Wine.

One isolated Wine prefix per test session (copied from a cached template),
a persistent wineserver so that each start is quick, a virtual display,
and per-test reset of the temporary folder and the browser's registry key.
"""
import json
import os
import pwd
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path
from urllib.parse import parse_qs, unquote, urlsplit

import pytest
from PIL import Image, ImageStat

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("LITE_BUILD_DIR", ROOT / "build"))
TEMPLATE = Path(os.environ.get("LITE_WINE_TEMPLATE", "/var/cache/lite_installer-wine-template"))

# Wine's own tools (cmd, reg) through the 64-bit loader: where i386 code is
# emulated, plain "wine" would run their 32-bit copies, far more slowly.
WINE64 = "/usr/lib/wine/wine64" if Path("/usr/lib/wine/wine64").exists() else "wine"


def _pe_machine(path):
    """The machine field of a PE file's header (0x14c i386, 0x8664 x64)."""
    try:
        data = Path(path).read_bytes()[:4096]
        offset = int.from_bytes(data[60:64], "little")
        return int.from_bytes(data[offset + 4:offset + 6], "little")
    except (OSError, ValueError):
        return 0


# The 64-bit test build (scripts/test.sh builds it where i386 code cannot
# run natively) runs through the 64-bit loader; the product's i386 build
# through plain "wine".
BUILD_IS_X64 = _pe_machine(BUILD / "lite_installer.exe") == 0x8664
WINE = WINE64 if BUILD_IS_X64 else "wine"
# Where the kernel runs no i386 code, set-up hands Wine's 32-bit loader to
# qemu: the same programs, many times slower. For the i386 build time-outs
# then stretch, and only the tests marked "emulated" run (the README says
# why).
I386_EMULATED = Path("/proc/sys/fs/binfmt_misc/lite-i386-exec").exists()
EMULATED_RUN = I386_EMULATED and not BUILD_IS_X64
TIME_SCALE = float(os.environ.get("LITE_TIME_SCALE", "20" if EMULATED_RUN else "1"))
BROWSER_KEY = r"HKCU\Software\Zelmar"
BROWSER_VALUES_KEY = BROWSER_KEY + r"\ZelmarBrowser"

sys.path.insert(0, str(ROOT / "tests"))
from services.server import make_server  # noqa: E402


def pytest_configure(config):
    config.addinivalue_line("markers", "emulated: also runs where i386 code is only emulated")


def pytest_collection_modifyitems(config, items):
    if not EMULATED_RUN:
        return
    skip = pytest.mark.skip(reason="i386 code is emulated on this machine; this test needs it native")
    for item in items:
        if "emulated" not in item.keywords:
            item.add_marker(skip)


def _free_display():
    for number in range(90, 200):
        if not Path(f"/tmp/.X11-unix/X{number}").exists() and not Path(f"/tmp/.X{number}-lock").exists():
            return number
    raise RuntimeError("no free X display")


@pytest.fixture(scope="session")
def display():
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"]
        return
    number = _free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if Path(f"/tmp/.X11-unix/X{number}").exists():
            break
        time.sleep(0.05)
    yield f":{number}"
    xvfb.terminate()
    xvfb.wait()


def _base_env(prefix, display):
    env = dict(os.environ)
    # A fixed locale: the interface language and region follow it.
    env.update(LANG="en_US.UTF-8", LC_ALL="en_US.UTF-8")
    if I386_EMULATED:
        # qemu's default 32-bit processor lacks instructions Wine relies on.
        env.setdefault("QEMU_CPU", "max")
    env.update(WINEPREFIX=str(prefix), WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY=display)
    # Wine counts every user as an administrator, so every window would
    # restart elevated on Install; runs play a standard user unless a test
    # is about elevation (LITE_TEST_USER="admin").
    env.update(LITE_TEST_USER="standard")
    return env


def _map_window_fonts(prefix, env):
    """Maps the faces the window names to the fonts set-up installs
    (scripts/wine_fonts.reg says why), unless the prefix has them."""
    reg = ROOT / "scripts" / "wine_fonts.reg"
    lines = [line for line in reg.read_text().splitlines() if line.startswith('"')]
    # Wine keeps the font links' lists as str(7) in system.reg, each entry
    # ended by "\0"; a prefix may hold an older list, so the text must match.
    links = []
    for line in lines:
        if "=hex(7):" in line:
            name, _, data = line.partition("=hex(7):")
            text = bytes.fromhex(data.replace(",", "")).rstrip(b"\0").decode("latin-1")
            links.append(f'{name}=str(7):"' + "".join(
                "\\0" if c == "\0" else c for c in text) + '\\0"')
    wanted = [line for line in lines if "=hex(7):" not in line]
    user_reg, system_reg = Path(prefix) / "user.reg", Path(prefix) / "system.reg"
    present = set(user_reg.read_text(errors="replace").splitlines()) if user_reg.exists() else set()
    system = (set(system_reg.read_text(errors="replace").splitlines())
              if system_reg.exists() else set())
    if all(line in present for line in wanted) and all(link in system for link in links):
        return
    subprocess.run([WINE64, "reg", "import", Wine.windows_path(reg)], env=env, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=120 * TIME_SCALE)


def _ensure_template(display):
    if (TEMPLATE / "system.reg").exists():
        return
    building = TEMPLATE.with_name(TEMPLATE.name + ".new")
    shutil.rmtree(building, ignore_errors=True)
    env = _base_env(building, display)
    subprocess.run(["wineboot", "-i"], env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _map_window_fonts(building, env)
    subprocess.run(["wineserver", "-k"], env=env)
    subprocess.run(["wineserver", "-w"], env=env)
    building.rename(TEMPLATE)


class Wine:
    """Runs Windows programs in the session's prefix."""

    def __init__(self, prefix, display):
        self.prefix = Path(prefix)
        self.env = _base_env(prefix, display)
        user = pwd.getpwuid(os.getuid()).pw_name
        self.drive_c = self.prefix / "drive_c"
        self.temp = self.drive_c / "users" / user / "Temp"
        self.launcher = BUILD / "tests" / "fixtures" / "launcher.exe"

    @staticmethod
    def windows_path(path):
        return "Z:" + str(Path(path).resolve()).replace("/", "\\")

    def popen(self, program, *args, env=None, **kwargs):
        return subprocess.Popen([WINE, str(program), *args], env={**self.env, **(env or {})},
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kwargs)

    def _run(self, argv, env=None, timeout=60, cwd=None):
        # Output goes through files, not pipes: a Wine service started on
        # the way would keep a pipe open for as long as the wineserver runs.
        with tempfile.TemporaryFile("w+") as out, tempfile.TemporaryFile("w+") as err:
            process = subprocess.run(argv, env={**self.env, **(env or {})}, stdin=subprocess.DEVNULL,
                                     stdout=out, stderr=err, timeout=timeout * TIME_SCALE, cwd=cwd)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(argv, process.returncode, out.read(), err.read())

    def run_program(self, program, *args, env=None, timeout=60, cwd=None):
        """Runs |program| through the launcher; returns a RunResult with
        the full 32-bit exit code."""
        return RunResult(self._run([WINE, str(self.launcher), self.windows_path(program), *args],
                                   env=env, timeout=timeout, cwd=cwd))

    def run_window_closed(self, program, *args, env=None, cwd=None, timeout=120):
        """Runs |program| with its window, which the user closes as soon as
        it shows (the system close command); returns the RunResult. Runs
        that end before a window shows return as they are."""
        run = WindowProcess(self, program, *args, env=env, cwd=cwd)
        deadline = time.monotonic() + timeout * TIME_SCALE
        while run.process.poll() is None and time.monotonic() < deadline:
            run.probe("post", "--timeout=2000", f"--message={WM_SYSCOMMAND}",
                      f"--wparam={SC_CLOSE}", check=False)
            try:
                run.process.wait(timeout=2)
            except subprocess.TimeoutExpired:
                pass
        if run.process.poll() is None:
            run.process.kill()
        run.process.wait()
        return RunResult(subprocess.CompletedProcess([], run.process.returncode, run.output_text(), ""))

    def reg(self, *args):
        return self._run([WINE64, "reg", *args])

    def run_console(self, program, *args, timeout=60):
        """Runs a console program directly; returns the CompletedProcess
        with stdout's line ends made Unix ones."""
        process = self._run([WINE, str(program), *map(str, args)], timeout=timeout)
        process.stdout = process.stdout.replace("\r", "")
        return process

    def start_services(self, gui_program):
        """Starts Wine's own long-lived processes (services, the desktop)
        detached from any pipe a test reads."""
        subprocess.run([WINE64, "cmd", "/c", "exit"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120 * TIME_SCALE)
        subprocess.run([WINE, str(gui_program)], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120 * TIME_SCALE)

    def reset(self):
        for entry in self.temp.iterdir() if self.temp.exists() else []:
            if entry.is_dir():
                shutil.rmtree(entry, ignore_errors=True)
            else:
                entry.unlink(missing_ok=True)
        self.reg("delete", BROWSER_KEY, "/f")

    def browser_value(self, name):
        """A string value under the browser's key; None when absent."""
        result = self.reg("query", BROWSER_VALUES_KEY, "/v", name)
        if result.returncode != 0:
            return None
        match = re.search(rf"^\s+{re.escape(name)}\s+REG_SZ\s*(.*?)\r?$", result.stdout, re.M)
        return match.group(1) if match else ""

    def log_text(self):
        path = self.temp / "lite_installer.log"
        return path.read_text(encoding="utf-8", errors="replace") if path.exists() else ""


WM_SYSCOMMAND, SC_CLOSE = 0x0112, 0xF060
WINDOW_TITLE = "Zelmar"


class WindowProcess:
    """A program started through the launcher, with its window looked at by
    tests/fixtures/window_probe. The launcher's output goes to a file: a
    Wine service started on the way would hold a pipe open."""

    def __init__(self, wine, program, *args, env=None, cwd=None):
        self.wine = wine
        self.output = tempfile.TemporaryFile("w+")
        self.process = subprocess.Popen(
            [WINE, str(wine.launcher), wine.windows_path(program), *args],
            env={**wine.env, **(env or {})}, stdin=subprocess.DEVNULL, stdout=self.output,
            stderr=subprocess.DEVNULL, cwd=cwd)

    def selector(self):
        """The probe's options that find this program's window."""
        return [f"--title={WINDOW_TITLE}"]

    def probe(self, command, *args, check=True, timeout=90):
        probe = BUILD / "tests" / "fixtures" / "window_probe.exe"
        argv = [WINE, str(probe), command, *self.selector(), *args]
        result = self.wine._run(argv, timeout=timeout)
        if result.returncode == 1 and not result.stdout and not result.stderr:
            # Wine, not the probe: the probe's own failures say why on
            # stderr. Seen once in CI under load; one retry covers it.
            result = self.wine._run(argv, timeout=timeout)
        if check:
            assert result.returncode == 0, f"probe {command}: {result.stdout} {result.stderr}"
        return result

    def output_text(self):
        self.output.seek(0)
        return self.output.read()


class RunResult:
    def __init__(self, process):
        self.stdout = process.stdout
        self.stderr = process.stderr
        pid = re.search(r"^pid=(\d+)$", process.stdout, re.M)
        code = re.search(r"^exit_code=(-?\d+)$", process.stdout, re.M)
        if not code:
            raise AssertionError(f"launcher failed: {process.stdout!r} {process.stderr!r}")
        self.pid = int(pid.group(1))
        self.exit_code = int(code.group(1))


@pytest.fixture(scope="session")
def wine_session(display, tmp_path_factory):
    _ensure_template(display)
    prefix = tmp_path_factory.mktemp("wine") / "prefix"
    subprocess.run(["cp", "-a", str(TEMPLATE), str(prefix)], check=True)
    wine = Wine(prefix, display)
    subprocess.run(["wineserver", "-p"], env=wine.env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # A template made before the fonts were mapped gets them here.
    _map_window_fonts(prefix, wine.env)
    # The mutex holder opens a window and quits at once on an empty stdin.
    wine.start_services(BUILD / "tests" / "fixtures" / "mutex_holder.exe")
    wine.temp.mkdir(parents=True, exist_ok=True)
    yield wine
    subprocess.run(["wineserver", "-k"], env=wine.env)
    subprocess.run(["wineserver", "-w"], env=wine.env)


@pytest.fixture
def wine(wine_session):
    wine_session.reset()
    yield wine_session


@pytest.fixture(scope="session")
def trusted_test_root(wine_session):
    """Trusts the TEST code-signing root (cmake/signed_test_module.cmake) in
    the session's prefix, so that modules signed by its leaves pass the
    system's chain check; taken back at the end."""
    tool = BUILD / "tests" / "fixtures" / "test_root_store.exe"
    root = Wine.windows_path(BUILD / "test-certs" / "code-signing" / "root_ca.der")
    added = wine_session.run_console(tool, "add", root)
    assert added.returncode == 0, added.stdout + added.stderr
    yield
    wine_session.run_console(tool, "remove", root)


@pytest.fixture(scope="session")
def installer():
    path = BUILD / "lite_installer.exe"
    assert path.exists(), "build the project first (scripts/setup.sh)"
    return path


@pytest.fixture
def tagged_installer(tmp_path):
    """Makes a copy of the signed installer with the given tag."""
    tag_tool = BUILD / "native-tools" / "tag_tool" / "tag_tool"

    def make(tag):
        path = tmp_path / "lite_installer.exe"
        shutil.copyfile(BUILD / "signed" / "lite_installer.exe", path)
        subprocess.run([str(tag_tool), "write", str(path), tag], check=True, capture_output=True)
        return path
    return make


@pytest.fixture(scope="session")
def fixtures_dir():
    return BUILD / "tests" / "fixtures"


@pytest.fixture(scope="session")
def services():
    """The loopback service stack on the port the test build was given."""
    port = int(os.environ.get("LITE_SERVICE_PORT", "18080"))
    with socket.socket() as probe:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        probe.bind(("127.0.0.1", port))
    server = make_server("127.0.0.1", port)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    yield server
    server.shutdown()
    server.server_close()


@pytest.fixture(scope="session", autouse=True)
def installable_setup(services, trusted_test_root):
    """Every run that gets as far as the download finds the signed test
    setup at its brand's URL and can verify and run it, as a real one
    would; tests that need another archive or faults set them and put this
    one back."""
    signed = BUILD / "signed-modules" / "test_setup.exe"
    assert signed.exists(), "build the project first (scripts/setup.sh)"
    services.cdn.put("setup.arc", signed.read_bytes())
    services.setup_faults = ""
    yield services


# Bytes that begin like a JPEG and decode as nothing.
CORRUPT_SLIDE = b"\xff\xd8\xff\xe0" + b"not a picture " * 64


@pytest.fixture
def slide_set(services):
    """Chooses the slides that every slide folder of the services serves
    during one test: slide_set(count, corrupt=None, faults=None) serves the
    slides 02 to count + 1 (drawn by tests/services/slide_art.py), the one
    numbered |corrupt| as bytes that decode as nothing, with |faults| (file
    name to CDN fault query, e.g. {"03.jpg": "status=500&first=2"}). It
    returns the server's slide state, whose requests() lists the slide
    paths asked for. No slides are served outside such a test."""
    from services.slide_art import file_name, slide_jpeg

    def choose(count, corrupt=None, faults=None):
        files = {file_name(n): CORRUPT_SLIDE if n == corrupt else slide_jpeg(n)
                 for n in range(2, count + 2)}
        services.slides.put_set(files, faults)
        return services.slides

    yield choose
    services.slides.put_set({})


def run_wine_probe(probe, *args, timeout=120):
    """Runs a fixture probe in the unit tests' prefix (LITE_WINEPREFIX)
    through scripts/wine_run.sh; its stdout without carriage returns, once
    it exited with 0."""
    process = subprocess.run([str(ROOT / "scripts" / "wine_run.sh"), str(probe), *map(str, args)],
                             env=dict(os.environ, DISPLAY=""), stdin=subprocess.DEVNULL,
                             capture_output=True, text=True, timeout=timeout * TIME_SCALE)
    assert process.returncode == 0, process.stdout + process.stderr
    return process.stdout.replace("\r", "")


# "2022-10-05 08:12:33.417 4312:7720 INFO: message (function:157)"; the
# function may be qualified ("Downloader::OpenDownload").
LOG_LINE = re.compile(
    r"^(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}) (\d{2,}):(\d{2,}) (INFO|ERROR|WARNING): (.*) \(([^()]+):(\d+)\)$")


def parse_log(text):
    """Log records as (pid, severity, message, function) tuples. Lines of a
    system error text that carry their own line breaks are joined back."""
    records = []
    pending = ""
    for line in text.split("\n")[:-1] if text.endswith("\n") else text.split("\n"):
        pending = pending + "\n" + line if pending else line
        match = LOG_LINE.match(re.sub(r"\r?\n", " ", pending))
        if match:
            records.append((int(match.group(2)), match.group(4), match.group(5), match.group(6)))
            pending = ""
    assert pending == "", f"malformed log text: {pending!r}"
    return records


ARTEFACTS = BUILD / "test-artefacts" / "window"
DIALOG_ARTEFACTS = BUILD / "test-artefacts" / "dialogs"
RECORD = "C:\\users\\root\\Temp\\setup_record.json"


class WindowRun(WindowProcess):
    """One run of the installer with its window, driven as a user would."""

    def __init__(self, wine, installer, *args, env=None):
        super().__init__(wine, installer, *args,
                         env={"LITE_TEST_SETUP_RECORD": RECORD, **(env or {})})

    def dump(self, timeout=60):
        """The window and its controls, once it shows (within |timeout| s)."""
        window = json.loads(self.probe("dump", f"--timeout={int(timeout * 1000 * TIME_SCALE)}",
                                       timeout=timeout + 30).stdout)
        window["by_id"] = {}
        for control in window["controls"]:
            window["by_id"].setdefault(control["id"], []).append(control)
        return window

    def click(self, control_id):
        self.probe("click", f"--id={control_id}")

    def keys(self, *keys):
        self.probe("keys", *keys)

    def post(self, message, wparam=0):
        self.probe("post", f"--message={message}", f"--wparam={wparam}")

    def capture(self, name, folder=ARTEFACTS):
        """The window's pixels, once painted; saved as a PNG artefact."""
        folder.mkdir(parents=True, exist_ok=True)
        bmp = Path(tempfile.mkdtemp()) / "window.bmp"
        for _ in range(20):
            self.probe("capture", f"--out={Wine.windows_path(bmp)}")
            image = Image.open(bmp).convert("RGB")
            if ImageStat.Stat(image.convert("L")).stddev[0] > 10:
                break
            time.sleep(0.25)
        image.save(folder / f"{name}.png")
        return image

    def wait(self, timeout=120):
        """The installer's exit code, from the launcher."""
        self.process.wait(timeout=timeout * TIME_SCALE)
        match = re.search(r"^exit_code=(-?\d+)", self.output_text(), re.M)
        assert match, "the launcher reported no exit code"
        return int(match.group(1))

    def close(self):
        if self.process.poll() is None:
            self.post(WM_SYSCOMMAND, SC_CLOSE)
            return self.wait()
        return None


class DialogRun(WindowRun):
    """A run whose window is a message dialog: it has no title, so the
    probe finds it by the installer's process, the dialog class and the
    missing title. DialogRun.over(run) looks at the dialog over a run's
    window."""

    @classmethod
    def over(cls, run):
        view = cls.__new__(cls)
        view.wine, view.output, view.process = run.wine, run.output, run.process
        return view

    def selector(self):
        deadline = time.monotonic() + 30 * TIME_SCALE
        while not (match := re.search(r"^pid=(\d+)$", self.output_text(), re.M)):
            assert time.monotonic() < deadline, "the launcher reported no process id"
            time.sleep(0.1)
        return [f"--pid={match.group(1)}", "--class=#32770", "--untitled=1"]


@pytest.fixture
def window_run(wine, installer, installable_setup):
    installable_setup.state.reset()
    runs = []

    def start(*args, env=None):
        run = WindowRun(wine, installer, *args, env=env)
        runs.append(run)
        return run
    yield start
    installable_setup.setup_faults = ""
    for run in runs:
        # A failed test may leave the window open: close it as a user
        # would, so that the next run is no second instance.
        if run.process.poll() is None:
            run.probe("post", f"--message={WM_SYSCOMMAND}", f"--wparam={SC_CLOSE}", check=False)
            try:
                run.process.wait(timeout=60 * TIME_SCALE)
            except subprocess.TimeoutExpired:
                run.process.kill()
                run.process.wait()


def setup_record(wine):
    path = wine.temp / "setup_record.json"
    return json.loads(path.read_text()) if path.exists() else None


def dialog_events(services):
    """The statistics events received, each as a dict of key to value."""
    events = []
    for request in services.state.snapshot():
        match = re.match(r"^/installstats/send/.*/vars=(.*)/\*$", request["path"])
        if match:
            pairs = [p.split("=", 1) for p in match.group(1).split(",")]
            events.append({unquote(k[1:]): unquote(v) for k, v in pairs})
    return events


def log_messages(wine):
    return [record[2] for record in parse_log(wine.log_text())]


def report_requests(services):
    """The installation reports received, each as its parsed query."""
    return [parse_qs(urlsplit(r["path"]).query) for r in services.state.snapshot()
            if r["path"].startswith("/get/browser/install")]


# The progress screen's bar and the test setup's pace, for the tests that
# follow an installation.
def progress(window):
    """(label text, accessible value, visible) of the bar's pair."""
    bar = window["by_id"].get(115, [{}])[0]
    label = window["by_id"].get(124, [{}])[0]
    return label.get("text"), bar.get("accessible", {}).get("value"), bar.get("visible")


def percent_of(window):
    text = progress(window)[0]
    return int(text[:-1]) if text and text.endswith("%") else None


def wait_for_percent(run, expected, timeout=60, above=False):
    """Waits for the progress screen to show |expected| percent (or more,
    with |above|)."""
    deadline = time.monotonic() + timeout * TIME_SCALE
    seen = None
    while time.monotonic() < deadline:
        seen = percent_of(run.dump())
        if seen == expected or (above and seen is not None and seen > expected):
            return
        time.sleep(0.2)
    pytest.fail(f"the progress screen shows {seen}%, not {expected}%")


class SetupSteps:
    """Lets the test setup post its messages one at a time."""

    def __init__(self):
        self.dir = Path(tempfile.mkdtemp())
        self.step = 0

    def args(self, messages):
        return [f"--test-setup-messages={messages}",
                f"--test-setup-step-dir={Wine.windows_path(self.dir)}"]

    def release(self):
        (self.dir / f"step{self.step}").touch()
        self.step += 1


def dialog_texts(dialog, ids):
    return {i: dialog["by_id"][i][0]["text"] for i in ids}
