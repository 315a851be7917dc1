"""The interface language end to end: the tag's "lang" over the brand's,
the brand's language with its own pictures, and the user's display
language. The texts expected are the tables' own (resources/strings)."""
import importlib.util

import pytest

from conftest import BUILD, ROOT
from test_window import expected_first_screen, patch_difference

LANGUAGE_ARTEFACTS = BUILD / "test-artefacts" / "languages"
_spec = importlib.util.spec_from_file_location("make_string_tables",
                                               ROOT / "tools" / "make_string_tables.py")
make_string_tables = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(make_string_tables)


def table(code):
    return make_string_tables.read_table(str(ROOT / "resources" / "strings" / f"{code}.txt"))[1]


# Control id -> string id of the first screen's texts.
FIRST_SCREEN = {1: 405, 107: 404, 109: 413, 110: 414, 111: 415, 118: 417}


def expect_first_screen_in(window, code):
    strings = table(code)
    assert window["window"]["text"] == strings[400]
    for control_id, string_id in FIRST_SCREEN.items():
        assert window["by_id"][control_id][0]["text"] == strings[string_id], control_id
    [link] = window["by_id"][123]
    assert link["text"] == strings[430].split("((")[1].split("))")[0]


def test_tag_language_overrides_the_brand(window_run):
    run = window_run("--distr-info-params=lang=tr")
    window = run.dump()
    run.capture("tag_tr", folder=LANGUAGE_ARTEFACTS)
    assert run.close() == 500
    expect_first_screen_in(window, "tr")
    assert window["by_id"][1][0]["text"] == "Yükle"


def test_brand_language_brings_its_pictures(window_run):
    # The ua_ru brand's interface language is Russian: Russian texts and
    # the Russian logo (variant B, the default).
    run = window_run("--brand-name=ua_ru")
    window = run.dump()
    image = run.capture("brand_ru", folder=LANGUAGE_ARTEFACTS)
    assert run.close() == 500
    expect_first_screen_in(window, "ru")
    _, russian, logo = expected_first_screen(image.size, "B", 1.0, "_ru")
    _, common, _ = expected_first_screen(image.size, "B", 1.0)
    assert patch_difference(image, russian, logo) < 24
    assert patch_difference(image, common, logo) > patch_difference(image, russian, logo) + 5


@pytest.mark.parametrize("locale, code", [
    ("uk_UA.UTF-8", "uk"),
    # English (United Kingdom) has no table of its own.
    ("en_GB.UTF-8", "en"),
])
def test_display_language_chooses_the_table(window_run, locale, code):
    run = window_run(env={"LANG": locale, "LC_ALL": locale})
    window = run.dump()
    run.capture(f"display_{locale.split('.')[0]}", folder=LANGUAGE_ARTEFACTS)
    assert run.close() == 500
    expect_first_screen_in(window, code)
