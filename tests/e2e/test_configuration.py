"""Distribution configuration at start-up: packages, brand record, tag."""
import shutil
import subprocess

from conftest import BUILD, parse_log

RECORD_LABELS = [
    "Brand id: ", "Brand name: ", "Setup url: ", "Versioned setup url: ", "Setup url64: ",
    "Versioned setup url64: ", "Setup url32: ", "Default language: ",
    "Mirra install scenarios url: ", "Install slide url by default: ",
    "Install slide url if tagged installer: ", "Install new slide url by default: ",
    "Show international title: ", "Send browser's statistics: ",
    "Make browser default after import: ", "Preloaded wallpapers url: ",
    "Mirra taskbar shortcut promt: ",
]


def brand_records(wine):
    """The brand record blocks logged, each a dict of label to value."""
    lines = [r[2] for r in parse_log(wine.log_text()) if r[3] == "LogBrandInfo"]
    assert len(lines) % 17 == 0
    blocks = []
    for start in range(0, len(lines), 17):
        block = lines[start:start + 17]
        assert [l[:len(p)] for l, p in zip(block, RECORD_LABELS)] == RECORD_LABELS
        blocks.append({p: l[len(p):] for l, p in zip(block, RECORD_LABELS)})
    return blocks


def test_untagged_installer_reads_the_default_package(wine, installer):
    # The user closes the window before the installation would remove the
    # extracted package.
    result = wine.run_window_closed(installer)
    assert result.exit_code == 500
    messages = [r[2] for r in parse_log(wine.log_text())]
    temp = "C:\\users\\root\\Temp\\"
    cabinet = (BUILD / "resources" / "packages" / "zelmar.cab").read_bytes()
    assert f"Brand package path: {temp}BrandFile" in messages
    assert f"Partner package path: {temp}PartnerFile" in messages
    assert "Partner package is empty." in messages
    assert "Fetching default package" in messages
    assert f"Extract Brand package: {temp}BrandFile [{len(cabinet)}B]" in messages
    assert (wine.temp / "BrandFile").read_bytes() == cabinet
    # Once after the package, once after the defaults.
    first, final = brand_records(wine)
    assert first["Brand id: "] == final["Brand id: "] == "zelmar"
    assert first["Setup url: "] == ""
    assert final["Setup url: "].endswith("/browser/zelmar/browser-setup.arc")
    assert final["Default language: "] == "en"
    # A plain download: no parameters anywhere.
    assert not (wine.temp / "distrib_info").exists()
    assert wine.browser_value("DistribInfoParams") is None


def test_parameters_switch_becomes_distrib_info(wine, installer):
    result = wine.run_window_closed(installer, "--distr-info-params=stat=1&def=1&lang=tr")
    assert result.exit_code == 500
    assert (wine.temp / "distrib_info").read_bytes() == \
        b'{\n  "def": "1",\n  "lang": "tr",\n  "stat": "1"\n}'
    assert wine.browser_value("DistribInfoParams") == "stat=1&def=1&lang=tr"
    first, final = brand_records(wine)
    assert first["Default language: "] == ""
    assert final["Default language: "] == "tr"


def test_named_brand_package(wine, installer):
    assert wine.run_window_closed(installer, "--brand-name=tb").exit_code == 500
    messages = [r[2] for r in parse_log(wine.log_text())]
    assert "Fetching definedtb package" in messages
    assert "Fetching default package" not in messages
    assert brand_records(wine)[-1]["Brand id: "] == "tb"
    assert brand_records(wine)[-1]["Default language: "] == "tr"


def test_autodetected_brand_for_a_ukrainian_user(wine, installer):
    ukrainian = {"LANG": "uk_UA.UTF-8", "LC_ALL": "uk_UA.UTF-8"}
    assert wine.run_window_closed(installer, "--brand-name=auto", env=ukrainian).exit_code == 500
    messages = [r[2] for r in parse_log(wine.log_text())]
    assert "User region: UA" in messages
    assert "User locale: uk" in messages
    assert "Detected brand-name: ua_uk" in messages
    assert "Fetching autodetected UA_UK package" in messages
    assert brand_records(wine)[-1]["Brand id: "] == "ua_uk"


def test_tagged_signed_installer(wine, tmp_path):
    signed = BUILD / "signed" / "lite_installer.exe"
    tag_tool = BUILD / "native-tools" / "tag_tool" / "tag_tool"
    assert signed.exists() and tag_tool.exists(), "build the project first (scripts/setup.sh)"
    tagged = tmp_path / "lite_installer.exe"
    shutil.copyfile(signed, tagged)
    tag = "stat=1&def=1&lang=tr"
    subprocess.run([str(tag_tool), "write", str(tagged), tag], check=True, capture_output=True)

    assert wine.run_window_closed(tagged).exit_code == 500
    assert (wine.temp / "distrib_info").read_bytes() == \
        b'{\n  "def": "1",\n  "lang": "tr",\n  "stat": "1"\n}'
    assert wine.browser_value("DistribInfoParams") == tag
    messages = [r[2] for r in parse_log(wine.log_text())]
    assert any(m.startswith("Extract Brand package: ") for m in messages)
    package_record, final = brand_records(wine)
    assert package_record["Default language: "] == ""
    assert final["Default language: "] == "tr"


def test_signed_untagged_installer_is_a_plain_download(wine, tmp_path):
    plain = tmp_path / "lite_installer.exe"
    shutil.copyfile(BUILD / "signed" / "lite_installer.exe", plain)
    assert wine.run_window_closed(plain).exit_code == 500
    assert not (wine.temp / "distrib_info").exists()
    assert wine.browser_value("DistribInfoParams") is None
    assert len(brand_records(wine)) == 2
