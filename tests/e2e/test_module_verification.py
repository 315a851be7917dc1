"""The trust check of a downloaded module under the real WinVerifyTrust and
CryptoAPI of Wine, on modules signed at build time with the TEST
certificates (cmake/signed_test_module.cmake, tests/fixtures/signed_modules):
good ones, a corpus spoilt one way each, and the cases where Wine's trust
provider does less than Windows.

Runs tests/fixtures/verify_module_probe.exe, which calls VerifySignedModule
on each module and prints its log records.
"""
import re
import urllib.request

import pytest

from conftest import BUILD, Wine

PROBE = BUILD / "tests" / "fixtures" / "verify_module_probe.exe"
MODULES = BUILD / "signed-modules"
VERSION_KEY = r"HKCU\Software\Wine\AppDefaults\verify_module_probe.exe"

CERT_E_UNTRUSTEDROOT = -2146762487
NTE_BAD_SIGNATURE = 2148073478

# Expected records as (severity, function, message). "{P}" stands for the
# module's path; a message ending in " - *" must be followed by the
# system's error text.
VERIFYING = ("INFO", "VerifyModule", "Verifying {P}")
VERIFIED = ("INFO", "VerifyModuleImpl", "File successfully verified. {P}")
VERIFIED_SHA256 = ("INFO", "VerifyModuleImpl", "File successfully verified with sha256. {P}")
NOT_LISTED = ("ERROR", "VerifyModuleImpl", "Can not find sertificate in trusted list. {P}")
SHA256_FAILED = ("ERROR", "VerifyModuleImpl", "SHA256 verification failed. {P}")
REJECTED = [("ERROR", "VerifyModuleImpl", "KNOWN_ERROR_untrusted_certificate - *"),
            ("ERROR", "VerifyModuleImpl", "Can not find any trusted certificates. {P}")]
NTE_FAIL = 2148073504
BAD_LIST_SIGNATURE = [
    ("ERROR", "VerifySignature", f"Failed to verify signature, error: {NTE_BAD_SIGNATURE} - *"),
    ("ERROR", "GetTrustJsonFromModule", "Verify error - *")]
# A signature made with another key is, as a number, larger than this key's
# modulus about half the time (the test keys are made afresh per build);
# Wine's provider then fails the arithmetic itself with NTE_FAIL instead of
# NTE_BAD_SIGNATURE. Either way the list is refused.
OTHER_KEY_LIST_SIGNATURE = [
    ("ERROR", "VerifySignature",
     re.compile(rf"Failed to verify signature, error: ({NTE_BAD_SIGNATURE}|{NTE_FAIL}) - \S.*", re.S)),
    BAD_LIST_SIGNATURE[1]]


def list_error(message):
    return ("ERROR", "GetTrustJsonFromModule", message + " - *")


# Module, trusted, records. The system reports one nested signature for
# each dual-signed module, so signers are looked up twice.
CORPUS = [
    ("good", True, [VERIFYING, VERIFIED]),
    ("good_sha1_only", True, [VERIFYING, VERIFIED]),
    ("good_sha256_leaf", True, [VERIFYING, VERIFIED_SHA256]),
    ("good_key_9", True, [VERIFYING, VERIFIED]),
    ("good_after_skipped_elements", True, [VERIFYING, VERIFIED]),
    # the Authenticode signature
    ("unsigned", False, [VERIFYING, *REJECTED]),
    ("flipped_code_byte", False, [VERIFYING, *REJECTED]),
    ("untrusted_root", False, [VERIFYING, *REJECTED]),
    ("unlisted_signer", False, [VERIFYING, NOT_LISTED, NOT_LISTED, *REJECTED]),
    ("identity_swapped", False, [VERIFYING, NOT_LISTED, NOT_LISTED, *REJECTED]),
    ("identity_little_endian", False, [VERIFYING, NOT_LISTED, NOT_LISTED, *REJECTED]),
    # Windows would skip the SHA-1 nested signature after the SHA-256
    # failure; Wine checks the primary one again (see below).
    ("sha256_unlisted_then_sha1_listed", False,
     [VERIFYING, NOT_LISTED, SHA256_FAILED, NOT_LISTED, SHA256_FAILED, *REJECTED]),
    # the list's own signature
    ("list_signed_by_other_key", False, [*OTHER_KEY_LIST_SIGNATURE, VERIFYING]),
    ("tampered_json", False, [*BAD_LIST_SIGNATURE, VERIFYING]),
    ("flipped_list_byte", False, [*BAD_LIST_SIGNATURE, VERIFYING]),
    ("signature_dat_3_bytes", False, [*BAD_LIST_SIGNATURE, VERIFYING]),
    ("key_index_10", False, [list_error("Cannot find key"), VERIFYING]),
    ("key_index_big_endian", False, [list_error("Cannot find key"), VERIFYING]),
    # the resources
    ("signature_dat_2_bytes", False, [list_error("Cannot find resource SIGNATURE_DAT"), VERIFYING]),
    ("no_signature_dat", False, [list_error("Cannot find resource SIGNATURE_DAT"), VERIFYING]),
    ("no_trusted_json", False, [list_error("Cannot find resource TRUSTED_JSON"), VERIFYING]),
    ("empty_trusted_json", False, [list_error("Cannot find resource TRUSTED_JSON"), VERIFYING]),
    # a signed list that lists nothing: nothing is logged after "Verifying "
    ("certificates_object", False, [VERIFYING]),
    ("malformed_ids", False, [VERIFYING]),
    ("empty_list", False, [VERIFYING]),
    ("not_json", False, [VERIFYING]),
    ("trusted_info_missing", False, [VERIFYING]),
]


class Verdict:
    def __init__(self, path, records, debug, result):
        self.path, self.records, self.debug, self.trusted = path, records, debug, result == "1"


def parse_probe(stdout):
    """The probe's output as {module path: Verdict}. A record's message may
    run over several lines (system error texts end with a line break)."""
    verdicts, records, debug, path = {}, [], [], None
    for line in stdout.split("\n"):
        key, _, value = line.partition("=")
        if key == "module":
            path, records, debug = value, [], []
        elif key == "log":
            records.append(value.split("|", 2))
        elif key == "debug":
            debug.append(value)
        elif key == "result":
            verdicts[path] = Verdict(path, [tuple(r) for r in records], debug, value)
        elif records:
            records[-1][2] += "\n" + line
    return verdicts


def run_probe(wine, *names):
    paths = [Wine.windows_path(MODULES / f"{name}.exe") for name in names]
    for name in names:
        assert (MODULES / f"{name}.exe").exists(), f"build the signed_modules target ({name})"
    process = wine.run_console(PROBE, *paths, timeout=120)
    assert process.returncode == 0, process.stdout + process.stderr
    verdicts = parse_probe(process.stdout)
    return [verdicts[path] for path in paths]


def assert_records(verdict, expected):
    actual = list(verdict.records)
    assert len(actual) == len(expected), "\n".join(map(str, actual))
    for (severity, function, message), (want_severity, want_function, want) in zip(actual, expected):
        assert (severity, function) == (want_severity, want_function), (message, want)
        if isinstance(want, re.Pattern):
            assert want.fullmatch(message), (message, want.pattern)
            continue
        want = want.replace("{P}", verdict.path)
        if want.endswith(" - *"):
            prefix = want[:-1]
            assert message.startswith(prefix) and message.strip() != prefix.strip(), (message, want)
        else:
            assert message == want


@pytest.fixture
def windows_version(wine):
    """Sets the Windows version Wine reports to the probe."""
    def set_version(version):
        wine.reg("add", VERSION_KEY, "/v", "Version", "/d", version, "/f")
    yield set_version
    wine.reg("delete", VERSION_KEY, "/f")


def test_corpus_on_windows_10(wine, trusted_test_root, windows_version):
    windows_version("win10")
    names = [name for name, _, _ in CORPUS]
    assert sum(not trusted for _, trusted, _ in CORPUS) >= 20
    for (name, trusted, expected), verdict in zip(CORPUS, run_probe(wine, *names)):
        assert verdict.trusted == trusted, name
        assert_records(verdict, expected)
        assert verdict.debug == [], name


def test_before_windows_10_a_rejected_signature_is_checked_again_hash_only(
        wine, trusted_test_root, windows_version):
    # Windows would accept the hash-only check of the untrusted root's
    # signature and then find the listed signer; Wine ignores
    # WTD_HASH_ONLY_FLAG and keeps refusing the chain.
    windows_version("win7")
    untrusted, unsigned, good = run_probe(wine, "untrusted_root", "unsigned", "good")
    retry = [("WARNING", "VerifyModuleImpl",
              f"Start additional sha256 verification. {{P}} Error code: {CERT_E_UNTRUSTEDROOT}"),
             ("INFO", "VerifyModuleImpl",
              f"Extended verification failed. {{P}} Error code: {CERT_E_UNTRUSTEDROOT}")]
    assert not untrusted.trusted
    assert_records(untrusted, [VERIFYING, *retry, *retry, *REJECTED])
    trust_e_nosignature = -2146762496
    assert not unsigned.trusted
    assert_records(unsigned, [VERIFYING, *[(s, f, m.replace(str(CERT_E_UNTRUSTEDROOT),
                                                            str(trust_e_nosignature)))
                                           for s, f, m in retry], *REJECTED])
    assert good.trusted
    assert_records(good, [VERIFYING, VERIFIED])


def signatures(wine, name):
    """The system's verdict per signature index: (code, secondary count,
    identity hex, sha256-certified)."""
    process = wine.run_console(PROBE, "--signatures", Wine.windows_path(MODULES / f"{name}.exe"))
    rows = [line.split("=", 1)[1].split("|") for line in process.stdout.split("\n")
            if line.startswith("signature=")]
    return [(int(code), int(count), identity, sha256 == "1") for _, code, count, identity, sha256 in rows]


# Serial numbers of the TEST certificates (scripts/make_code_signing_test_certs.sh).
ROOT = "10ab00000001"
PUBLISHER = ROOT + "20ab00000001"


def test_wine_reports_nested_signatures_but_checks_the_primary_one(wine, trusted_test_root,
                                                                   windows_version):
    windows_version("win10")
    # Primary: publisher (SHA-1-certified); nested: publisher_sha256. Windows
    # would show the nested signer at index 1.
    assert signatures(wine, "sha1_then_sha256_leaf") == [(0, 1, PUBLISHER, False),
                                                          (0, 1, PUBLISHER, False)]
    nested_only, sha256_nested = run_probe(wine, "listed_only_in_nested", "sha1_then_sha256_leaf")
    # Windows: accepted by the listed nested signer.
    assert not nested_only.trusted
    assert_records(nested_only, [VERIFYING, NOT_LISTED, NOT_LISTED, *REJECTED])
    # Windows: accepted at index 1 "with sha256".
    assert sha256_nested.trusted
    assert_records(sha256_nested, [VERIFYING, VERIFIED])


def test_wine_skips_the_chain_policy_for_sha256_certified_leaves(wine, trusted_test_root,
                                                                 windows_version):
    windows_version("win10")
    sha1_leaf, sha256_leaf = run_probe(wine, "untrusted_root", "untrusted_root_sha256_leaf")
    assert [code for code, _, _, _ in signatures(wine, "untrusted_root")] == [CERT_E_UNTRUSTEDROOT] * 2
    assert not sha1_leaf.trusted
    # Windows: CERT_E_UNTRUSTEDROOT, as for the SHA-1-certified leaf.
    assert sha256_leaf.trusted
    assert_records(sha256_leaf, [VERIFYING, VERIFIED_SHA256])


def test_wine_does_no_revocation_checking(wine, trusted_test_root, windows_version, services):
    windows_version("win10")
    crl = (BUILD / "test-certs" / "code-signing" / "root_ca.crl").read_bytes()
    crl_url = (BUILD / "test-certs" / "code-signing" / "crl_url.txt").read_text().strip()
    services.cdn.put(crl_url.rsplit("/", 1)[1], crl)
    with urllib.request.urlopen(crl_url, timeout=10) as response:
        assert response.read() == crl  # the revoking CRL is there to fetch
    services.state.reset()
    revoked, = run_probe(wine, "revoked")
    # Windows, asked to check the whole chain: CERT_E_REVOKED.
    assert revoked.trusted
    assert_records(revoked, [VERIFYING, VERIFIED])
    assert services.state.snapshot() == []
