"""Statistics requests through real WinINet under Wine against the
loopback statistics service.

Runs tests/fixtures/stats_probe.exe, which prints key=value lines. Set
LITE_WINEPREFIX to run in another prefix.
"""

import pytest

from conftest import BUILD, run_wine_probe

PROBE = BUILD / "tests" / "fixtures" / "stats_probe.exe"
USER_AGENT = "Zelmar.Browser installer"
STATS = "/installstats/send/dtype=stred/pid=457"


def run_probe(*args):
    values, logs = {}, []
    for line in run_wine_probe(PROBE, *args).splitlines():
        key, _, value = line.partition("=")
        if key == "log":
            logs.append(tuple(value.split("|", 2)))
        elif key:
            values.setdefault(key, []).append(value)
    return values, logs


def stats_requests(services):
    return [r for r in services.state.snapshot() if r["path"].startswith("/installstats/send/")]


@pytest.fixture
def stats(services):
    services.state.reset()
    services.stats_origin = f"http://127.0.0.1:{services.server_address[1]}"
    yield services
    services.stats.release()


def test_events_reach_the_service_with_the_exact_path(stats):
    values, logs = run_probe("events")
    assert values["recorded"] == ["2"], logs
    ui = values["ui"][0].strip("{}").replace("-", "_")
    requests = stats_requests(stats)
    assert [r["path"] for r in requests] == [
        f"{STATS}/cid=72992/path=extended_stat/vars=-action=download,-brand_id=zelmar,"
        f"-installer_type=lite,-launched=false,-lite_ver=0.0.0.0,-old_style=0,-old_ver=,"
        f"-stage=started,-ui={ui}/*",
        f"{STATS}/cid=72696/path=zlbrowser_reinstall_dialog/vars=-brand_id=zelmar,"
        f"-choosen_checkbox=make_default,-dialog_window=liteinstall,-installer_type=lite,"
        f"-launched=false,-lite_ver=0.0.0.0,-old_style=0,-old_ver=,-ui={ui}/*",
    ]
    for request in requests:
        assert request["method"] == "GET"
        assert request["headers"]["User-Agent"] == USER_AGENT
        assert "*/*" in request["headers"]["Accept"]
    # A request that went out is no failure.
    assert not [log for log in logs if log[1] == "SendUrl"], logs


def test_a_silent_service_holds_the_sender_only_for_the_time_out(stats):
    stats.stats.hold()
    urls = [f"{stats.stats_origin}{STATS}/cid=1/path=held{i}/*" for i in range(3)]
    values, logs = run_probe("send", *urls)
    assert values["queued"] == ["1", "1", "1"]
    assert values["recorded"] == ["1"], logs
    # The request in progress ends within the 2 s limits; the destructor
    # then returns and the queued ones are never sent.
    assert int(values["destroyed_after_ms"][0]) < 6000, values
    assert [r["path"] for r in stats_requests(stats)] == [f"{STATS}/cid=1/path=held0/*"]


def test_refused_request_is_logged_and_the_next_one_still_goes(stats):
    refused = "http://127.0.0.1:1/installstats/send/x/*"
    answered = f"{stats.stats_origin}{STATS}/cid=1/path=a/*"
    values, logs = run_probe("send", refused, answered)
    assert values["recorded"] == ["1"], logs
    assert [r["path"] for r in stats_requests(stats)] == [f"{STATS}/cid=1/path=a/*"]
    errors = [log for log in logs if log[0] == "ERROR"]
    assert len(errors) == 1 and errors[0][1] == "SendUrl", logs
    assert errors[0][2].startswith(f"Failed to open {refused} - "), errors


def test_report_and_statistics_paths_answer(stats):
    import urllib.request
    for path in ["/get/browser/install?ui=X&result=success&time=1", f"{STATS}/cid=1/path=p/*"]:
        with urllib.request.urlopen(stats.stats_origin + path) as response:
            assert response.status == 200
