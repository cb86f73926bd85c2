#!/usr/bin/env python3
"""End-to-end tests of the Windows edition under Wine, against the sample mirror.

The mirror serves the stand-in package (tools/standin-package) as the vendor host, used as
the HTTP proxy, which WinINet follows under Wine. Every case has a folder of its own for the
program's copy (its log is written beside it) and the common program files; the Wine prefix
is the build's, shared, so each case starts from an emptied settings key. CTest runs these
one at a time (RUN_SERIAL): the prefix's registry and the instance mutex are shared.

Usage: update_now_e2e.py --wine-run scripts/wine-run --prefix BUILD/wineprefix
           --mirror tools/sample-mirror --standin BUILD/.../standin-package.exe
           [--program BUILD/src/app/velmora.com] [unittest arguments]
The cases of UpdateNowE2ETest and SlowUpdateNowE2ETest (a minute each) need --program;
StandinPackageTest checks the package alone.
"""

import argparse
import hashlib
import os
import pathlib
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

VENDOR_HOST = "update.corvane.example"
LIST_URL = f"http://{VENDOR_HOST}/defs/download/md5-hash.txt"
SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\Tessaloy\Velmora"
POLICY_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Tessaloy\Velmora"
# Where Windows keeps the machine's trusted root certificates (Wine's crypt32 too, having
# copied the host's roots there).
ROOT_CERTIFICATES_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\SystemCertificates\Root\Certificates"
UPDATED = "ウィルス定義を 2004/11/14 rev. 17 に更新しました."
UP_TO_DATE = "最新のウィルス定義(2004/11/14 rev. 17)に更新済みです."
WRONG_DIGEST = ("ウィルス定義ファイル(20041114-017-i32.exe)が不正のため、更新を中止しました."
                "(MD5hashエラー).")
OTHER_PUBLISHER = ("ウィルス定義ファイル(20041114-017-i32.exe)の発行元が異なるため、"
                   "更新を中止しました.(発行元エラー: ")
UNSIGNED = ("ウィルス定義ファイル(20041114-017-i32.exe)に署名がないため、更新を中止しました."
            "(署名エラー).")
BROKEN_SIGNATURE = ("ウィルス定義ファイル(20041114-017-i32.exe)の署名が正しくないため、"
                    "更新を中止しました.(署名エラー: ")
INTERRUPTED = "ウィルス定義の更新を中断しました."
# A Wine start is about a second; a run that takes many times that has hung.
RUN_TIMEOUT = 60

config = None


def windows_path(path):
    """The Wine path of a host path: Wine's drive Z: is the host's root."""
    return "Z:" + str(path).replace("/", "\\")


def wine_environment(extra=None):
    environment = {name: value for name, value in os.environ.items()
                   if name not in ("http_proxy", "HTTP_PROXY", "no_proxy", "NO_PROXY",
                                   "DISPLAY", "WAYLAND_DISPLAY", "VELMORA_COMMON_FILES")}
    environment.update(WINEPREFIX=config.prefix, WINEDEBUG="-all")
    environment.update(extra or {})
    return environment


def wine_command(program, *arguments):
    return [config.wine_run, str(program), *arguments]


class WineProcess:
    """A Windows program started under Wine, its standard output and error kept in files:
    the Wine server and services a first program starts inherit its handles, so a pipe would
    stay open, and a reader wait, until they end seconds later."""

    def __init__(self, program, *arguments, extra_environment=None):
        self.stdout_file = tempfile.TemporaryFile()
        self.stderr_file = tempfile.TemporaryFile()
        self.process = subprocess.Popen(wine_command(program, *arguments),
                                        env=wine_environment(extra_environment),
                                        stdin=subprocess.DEVNULL, stdout=self.stdout_file,
                                        stderr=self.stderr_file)

    def wait(self, timeout=RUN_TIMEOUT):
        """Waits for the program's end: (exit status, standard output, standard error)."""
        try:
            self.process.wait(timeout=timeout)
        finally:
            self.process.kill()
        outputs = []
        for file in (self.stdout_file, self.stderr_file):
            file.seek(0)
            outputs.append(file.read())
            file.close()
        return subprocess.CompletedProcess(self.process.args, self.process.returncode,
                                           *outputs)


def run_wine(program, *arguments, extra_environment=None, timeout=RUN_TIMEOUT):
    return WineProcess(program, *arguments, extra_environment=extra_environment).wait(timeout)


class SampleMirror:
    """tools/sample-mirror serving the stand-in package, on a free port of 127.0.0.1."""

    def __init__(self, folder, *options):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="mirror-", dir=folder))
        self.log = self.folder / "requests.log"
        port_file = self.folder / "port"
        self.process = subprocess.Popen(
            [sys.executable, config.mirror, "--windows-package", config.standin,
             "--host", VENDOR_HOST, "--port-file", str(port_file), "--log", str(self.log),
             *options], stdout=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not port_file.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("the sample mirror did not start")
            time.sleep(0.02)
        self.port = int(port_file.read_text().strip())
        self.proxy = f"http://127.0.0.1:{self.port}"

    def requests(self):
        """The logged request lines: "GET <url> <status> <bytes> user-agent=<agent>"."""
        return self.log.read_text().splitlines() if self.log.exists() else []

    def vendor_requests(self):
        """(method, path, status) of each request for the vendor host, which WinINet names
        with its port (http://host:80/path)."""
        answered = []
        for line in self.requests():
            method, url, status = line.split(" ")[:3]
            target = urllib.parse.urlsplit(url)
            answered.append((method, target.path, status) if target.hostname == VENDOR_HOST
                            else line)
        return answered

    def stop(self):
        self.process.terminate()
        self.process.wait()


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class CachingProxy:
    """A company's caching proxy: Squid (Debian package squid) on a free port of 127.0.0.1
    only, caching in memory, with its configuration and logs in a folder of its own, sending
    every request on to the sample mirror at `parent_port` and nowhere else."""

    def __init__(self, parent_port):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="velmora-squid-"))
        port = free_port()
        lines = [f"http_port 127.0.0.1:{port}",
                 f"cache_peer 127.0.0.1 parent {parent_port} 0 no-query no-digest "
                 "no-netdb-exchange name=mirror",
                 "never_direct allow all", "acl loopback src 127.0.0.1",
                 "http_access allow loopback", "http_access deny all", "cache_mem 64 MB",
                 "maximum_object_size_in_memory 16 MB",
                 f"pid_filename {self.folder}/squid.pid",
                 f"access_log stdio:{self.folder}/access.log",
                 f"cache_log {self.folder}/cache.log", f"coredump_dir {self.folder}",
                 "cache_store_log none", "netdb_filename none", "pinger_enable off",
                 "icp_port 0", "htcp_port 0", "logfile_rotate 0", "shutdown_lifetime 0 seconds"]
        if os.geteuid() == 0:
            # Squid gives up root; its folder must be the user's it becomes.
            lines.append("cache_effective_user nobody")
            os.chown(self.folder, 65534, 0)
            os.chmod(self.folder, 0o755)
        (self.folder / "squid.conf").write_text("\n".join(lines) + "\n")
        squid = "/usr/sbin/squid" if os.access("/usr/sbin/squid", os.X_OK) else "squid"
        self.process = subprocess.Popen([squid, "-N", "-f", str(self.folder / "squid.conf")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while True:
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                break
            except OSError:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    self.stop()
                    raise RuntimeError("Squid did not start (is the Debian package squid "
                                       "installed? scripts/install-deps installs it)")
                time.sleep(0.05)
        self.proxy = f"http://127.0.0.1:{port}"

    def stop(self):
        self.process.terminate()
        self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def make_server_certificate(folder):
    """A throw-away self-signed certificate of the host name localhost and its key (PEM), made
    by openssl, and the certificate's DER bytes. (Wine matches a server's name against the
    certificate's host names only, not its IP addresses.)"""
    certificate, key = folder / "server.crt", folder / "server.key"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-keyout", str(key), "-out", str(certificate), "-subj", "/CN=localhost",
                    "-addext", "subjectAltName=DNS:localhost"],
                   check=True, capture_output=True)
    der = subprocess.run(["openssl", "x509", "-in", str(certificate), "-outform", "DER"],
                         check=True, capture_output=True).stdout
    return str(certificate), str(key), der


def make_certificate(folder, name):
    """A throw-away self-signed code-signing certificate and its key (PEM), made by openssl:
    (certificate, key, its subject as Windows writes a name)."""
    certificate, key = folder / f"{name}.crt", folder / f"{name}.key"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-keyout", str(key), "-out", str(certificate),
                    "-subj", f"/CN={name}/O=Corvane/C=JP",
                    "-addext", "extendedKeyUsage=codeSigning",
                    "-addext", "keyUsage=digitalSignature"],
                   check=True, capture_output=True)
    return str(certificate), str(key), f"CN={name}, O=Corvane, C=JP"


class StandinPackageTest(unittest.TestCase):
    def test_the_served_package_installs_its_version_only_when_started_with_q(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = pathlib.Path(folder)
            common = folder / "common"
            subprocess.run([sys.executable, config.mirror, "--windows-package", config.standin,
                            "--package-size", "3000000", "--package-seconds", "0.5",
                            "--export", str(folder / "site")], check=True)
            site = folder / "site" / "defs" / "download"
            listed = (site / "md5-hash.txt").read_bytes().decode()
            package = site / "packages" / "20041114-017-x86.exe"
            self.assertEqual(package.stat().st_size, 3000000)
            digest = hashlib.md5(package.read_bytes()).hexdigest().upper()
            self.assertIn(f"{digest} 20041114-017-x86.exe\r\n", listed)

            environment = {"VELMORA_COMMON_FILES": windows_path(common)}
            for arguments in ([], ["/q", "/q"], ["/Q"]):
                result = run_wine(package, *arguments, extra_environment=environment)
                self.assertEqual(result.returncode, 2, arguments)
            self.assertFalse(common.exists())

            started = time.monotonic()
            result = run_wine(package, "/q", extra_environment=environment)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertGreaterEqual(time.monotonic() - started, 0.5, "the delay was skipped")
            definitions = common / "Corvane Shared" / "Definitions"
            self.assertEqual(os.listdir(definitions), ["20041114.017"])
            self.assertEqual((definitions / "20041114.017" / "flavour").read_bytes(), b"x86\n")


class ProgramCase(unittest.TestCase):
    """A folder of its own for velmora.com and its definitions, and its mirrors."""

    @classmethod
    def setUpClass(cls):
        if not config.program:
            raise RuntimeError("these cases need --program")
        # Where the program saves packages: %LOCALAPPDATA%\Velmora\Packages, on drive C:,
        # which is the prefix's drive_c.
        local = run_wine("cmd", "/c", "echo %LOCALAPPDATA%").stdout.decode().strip()
        if not local.upper().startswith("C:\\"):
            raise RuntimeError(f"LOCALAPPDATA is not on drive C: {local!r}")
        cls.packages = pathlib.Path(config.prefix, "drive_c", *local[3:].split("\\"),
                                    "Velmora", "Packages")

    def setUp(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        self.dir = pathlib.Path(folder)
        (self.dir / "bin").mkdir()
        self.program = self.dir / "bin" / "velmora.com"
        shutil.copyfile(config.program, self.program)
        self.definitions = self.dir / "common" / "Corvane Shared" / "Definitions"
        self.definitions.mkdir(parents=True)
        # A package an earlier failed case left would be taken for one this case left.
        shutil.rmtree(self.packages, ignore_errors=True)
        self.mirrors = []
        self.addCleanup(lambda: [mirror.stop() for mirror in self.mirrors])

    def mirror(self, *options):
        mirror = SampleMirror(self.dir, *options)
        self.mirrors.append(mirror)
        return mirror

    def store_settings(self, policies=None, **values):
        """Empties the settings key and stores the given string values in it, and the
        machine's policy key, where `policies` (a dict) gives its values; the policies go
        again after the case, as the prefix is shared."""
        lines = ["Windows Registry Editor Version 5.00", "", f"[-{SETTINGS_KEY}]", "",
                 f"[{SETTINGS_KEY}]"] + [f'"{name}"="{value}"' for name, value in values.items()]
        lines += ["", f"[-{POLICY_KEY}]"]
        if policies:
            lines += ["", f"[{POLICY_KEY}]"] + [f'"{name}"="{value}"'
                                                for name, value in policies.items()]
            self.addCleanup(self.import_registry, ["", f"[-{POLICY_KEY}]"])
        self.import_registry(lines)

    def import_registry(self, lines):
        reg_file = self.dir / "import.reg"
        if lines[0] != "Windows Registry Editor Version 5.00":
            lines = ["Windows Registry Editor Version 5.00"] + lines
        reg_file.write_text("\r\n".join(lines) + "\r\n", encoding="ascii")
        result = run_wine("regedit", "/S", windows_path(reg_file))
        self.assertEqual(result.returncode, 0, result.stderr)

    def environment(self, mirror):
        return {"http_proxy": mirror.proxy,
                "VELMORA_COMMON_FILES": windows_path(self.dir / "common")}

    def update_now(self, mirror):
        return run_wine(self.program, "--update-now",
                        extra_environment=self.environment(mirror))

    def installed(self):
        return sorted(os.listdir(self.definitions))

    def saved_packages(self):
        return os.listdir(self.packages) if self.packages.exists() else []

    def log(self):
        """The log beside the program: code page 932 (Shift-JIS), as on Japanese Windows."""
        return (self.dir / "bin" / "velmora.log").read_bytes().decode("cp932")


class UpdateNowE2ETest(ProgramCase):

    def test_a_newer_package_is_installed_then_found_up_to_date(self):
        (self.definitions / "20041110.003").mkdir()
        self.store_settings(IUP="1", Log="1")
        mirror = self.mirror()

        first = self.update_now(mirror)
        self.assertEqual(first.returncode, 0, first.stderr.decode(errors="replace"))
        self.assertEqual(first.stdout.decode(), UPDATED + "\n")
        self.assertEqual(self.installed(), ["20041110.003", "20041114.017"])
        self.assertEqual((self.definitions / "20041114.017" / "flavour").read_bytes(), b"x86\n")
        self.assertEqual(self.saved_packages(), [], "the package is deleted after it ran")

        second = self.update_now(mirror)
        self.assertEqual(second.returncode, 0, second.stderr.decode(errors="replace"))
        self.assertEqual(second.stdout, (UP_TO_DATE + "\n").encode())

        self.assertEqual(mirror.vendor_requests(), [
            ("GET", "/defs/download/md5-hash.txt", "200"),
            ("GET", "/defs/download/packages/20041114-017-x86.exe", "200"),
            ("GET", "/defs/download/md5-hash.txt", "200")])
        log = self.log()
        self.assertIn(f" : {UPDATED}\r\n", log)
        self.assertTrue(log.endswith(f" : {UP_TO_DATE}\r\n"), log)

    def test_a_package_that_fails_its_digest_is_refused_and_never_run(self):
        self.store_settings()
        mirror = self.mirror("--fault", "wrong-digest")
        result = self.update_now(mirror)
        self.assertEqual(result.returncode, 1, result.stderr.decode(errors="replace"))
        self.assertEqual(result.stdout, (WRONG_DIGEST + "\n").encode())
        self.assertEqual(self.installed(), [])
        self.assertEqual(self.saved_packages(), [])
        self.assertEqual(len(mirror.requests()), 2, mirror.requests())

    def test_an_answer_cut_or_badly_framed_is_a_failed_download(self):
        """However an answer hides that it is not whole, it is a failed download: a cut list
        is never searched (its older x86 entry would win), a cut package never taken for a bad
        one, and a proxy's page is never the list."""
        (self.definitions / "20041110.003").mkdir()
        self.store_settings(IUP="1")
        list_failure = LIST_URL + " をダウンロードできません."
        cases = [("cut-chunked-list", list_failure),
                 ("overflowing-list-length", list_failure),
                 ("overflowing-chunk-size", list_failure),
                 ("list-to-https", list_failure),
                 ("cut-chunked-package",
                  "ウィルス定義ファイル(20041114-017-x86.exe)のダウンロードに失敗しました.")]
        for fault, notice in cases:
            with self.subTest(fault):
                mirror = self.mirror("--fault", fault)
                result = self.update_now(mirror)
                self.assertEqual(result.returncode, 1, result.stderr.decode(errors="replace"))
                self.assertEqual(result.stdout.decode(), notice + "\n")
                self.assertEqual(self.installed(), ["20041110.003"])
                self.assertEqual(self.saved_packages(), [])
                if fault == "list-to-https":
                    self.assertIn("CONNECT", [line.split(" ")[0] for line in mirror.requests()])

    def stored_value(self, name):
        query = run_wine("reg", "query", SETTINGS_KEY, "/v", name)
        for line in query.stdout.decode(errors="replace").splitlines():
            fields = line.split("REG_SZ")
            if len(fields) == 2 and fields[0].strip() == name:
                return fields[1].strip()
        return None

    def runs_without_leftovers(self, mirror, status, notice_start):
        result = self.update_now(mirror)
        self.assertEqual(result.returncode, status, result.stdout.decode(errors="replace"))
        self.assertTrue(result.stdout.decode().startswith(notice_start), result.stdout.decode())
        self.assertEqual([name for name in self.saved_packages() if name.startswith("run-")], [],
                         "the run's folder goes after the run")
        return result

    # The first valid signature fixes the publisher; after it, another publisher's package
    # and an unsigned one are refused, even with packages kept, until the publisher is
    # forgotten.
    def test_the_first_publisher_is_kept_and_then_required(self):
        self.store_settings(Remove="1")
        first, first_key, first_name = make_certificate(self.dir, "Corvane Test Publisher")
        other, other_key, other_name = make_certificate(self.dir, "Someone Else")

        self.runs_without_leftovers(self.mirror("--sign", first, first_key), 0, UPDATED)
        kept = f"{first_name}; {first_name}"
        self.assertEqual(self.stored_value("Publisher"), kept)
        shutil.rmtree(self.definitions / "20041114.017")
        kept_package = self.packages / "20041114-017-i32.exe"
        first_package = kept_package.read_bytes()

        refused = self.runs_without_leftovers(self.mirror("--sign", other, other_key), 1,
                                              OTHER_PUBLISHER)
        self.assertIn(other_name, refused.stdout.decode())
        self.runs_without_leftovers(self.mirror(), 1, UNSIGNED)
        self.assertEqual(self.installed(), [])
        self.assertEqual(kept_package.read_bytes(), first_package,
                         "a refused package is not kept, not even in place of a kept one")

        forgotten = run_wine(self.program, "--forget-publisher")
        self.assertEqual(forgotten.returncode, 0, forgotten.stdout.decode(errors="replace"))
        self.assertIsNone(self.stored_value("Publisher"))
        self.runs_without_leftovers(self.mirror("--sign", other, other_key), 0, UPDATED)
        self.assertIn(f" : ウィルス定義ファイルの発行元({kept})を記憶しました.\r\n", self.log())

    def test_a_signature_that_does_not_hold_is_refused(self):
        self.store_settings(Remove="1")
        certificate, key, _ = make_certificate(self.dir, "Corvane Test Publisher")
        self.runs_without_leftovers(
            self.mirror("--sign", certificate, key, "--fault", "broken-signature"), 1,
            BROKEN_SIGNATURE)
        self.assertEqual(self.saved_packages(), [], "a refused package is not kept")
        self.assertEqual(self.installed(), [])
        self.assertIsNone(self.stored_value("Publisher"))

    def test_the_package_runs_in_a_folder_of_its_own_as_its_bare_name(self):
        self.store_settings()
        where = self.dir / "where.txt"
        environment = dict(self.environment(self.mirror()),
                           VELMORA_STANDIN_WHERE=windows_path(where))
        result = run_wine(self.program, "--update-now", extra_environment=environment)
        self.assertEqual(result.returncode, 0, result.stdout.decode(errors="replace"))
        folder, command_line = where.read_text().splitlines()
        self.assertRegex(folder, r"\\Velmora\\Packages\\run-[0-9-]+$")
        self.assertEqual(command_line, "20041114-017-i32.exe /q")
        self.assertEqual(self.saved_packages(), [], "the run's folder goes after the run")

    # Killed half way through the download, the program leaves no package file; the folder
    # of that run goes at the next run.
    def test_a_killed_download_leaves_no_package(self):
        self.store_settings()
        mirror = self.mirror("--package-size", "8000000", "--rate", "400000")
        run = WineProcess(self.program, "--update-now",
                          extra_environment=self.environment(mirror))
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not any(
                (self.packages / folder).is_dir() and os.listdir(self.packages / folder)
                for folder in self.saved_packages()):
            time.sleep(0.05)
        run.process.kill()
        run.wait()
        leftovers = [name for folder in self.saved_packages()
                     for name in os.listdir(self.packages / folder)]
        self.assertEqual(leftovers, [])
        self.assertEqual(len(self.saved_packages()), 1, "the killed run's folder")
        self.runs_without_leftovers(self.mirror(), 0, UPDATED)

    def test_version_help_and_usage(self):
        version = run_wine(self.program, "--version")
        self.assertEqual((version.returncode, version.stdout), (0, b"Velmora 0.9.48\n"))
        usage = run_wine(self.program, "--frobnicate")
        self.assertEqual(usage.returncode, 2)
        self.assertEqual(usage.stdout, b"")
        self.assertIn(b"--update-now", usage.stderr)

    def test_a_second_velmora_is_left_alone_with_status_three(self):
        self.store_settings()
        mirror = self.mirror("--package-seconds", "4")
        first = WineProcess(self.program, "--update-now",
                            extra_environment=self.environment(mirror))
        self.addCleanup(first.process.kill)
        # The first holds the instance mutex from before its first request to its end; the
        # package it runs keeps it busy for seconds.
        deadline = time.monotonic() + 30
        while len(mirror.requests()) < 2 and time.monotonic() < deadline:
            time.sleep(0.05)
        self.assertEqual(len(mirror.requests()), 2, "the first run fetched no package")

        second = self.update_now(mirror)
        self.assertEqual(second.returncode, 3, second.stderr.decode(errors="replace"))
        self.assertEqual(second.stdout, b"")
        self.assertEqual(second.stderr.count(b"\n"), 1, second.stderr)

        first = first.wait()
        self.assertEqual(first.returncode, 0, first.stderr.decode(errors="replace"))
        self.assertEqual(first.stdout, (UPDATED + "\n").encode())
        self.assertEqual(len(mirror.requests()), 2, "the second run fetched something")
        self.assertEqual(self.installed(), ["20041114.017"])


class ManagedUpdateNowE2ETest(ProgramCase):
    """The administrator's policies under HKLM\\SOFTWARE\\Policies: a company mirror over
    http or https, and a caching proxy that may keep the packages."""

    def trust_certificate(self, der):
        """Trusts a root certificate as an administrator makes Windows trust one: in the
        machine's root store (the prefix's), until the case ends."""
        thumbprint = hashlib.sha1(der).hexdigest().upper()
        # The store's serialized form: the certificate as property 32, CERT_CERT_PROP_ID.
        blob = struct.pack("<III", 32, 1, len(der)) + der
        key = f"{ROOT_CERTIFICATES_KEY}\\{thumbprint}"
        self.import_registry(["", f"[{key}]", '"Blob"=hex:' + ",".join(f"{b:02x}" for b in blob)])
        self.addCleanup(self.import_registry, ["", f"[-{key}]"])

    def test_a_policys_mirror_serves_every_request_and_the_vendor_none(self):
        """Every request goes to the mirror, under its own folder, none to the vendor's host
        (the mirror, asked as the proxy, logs any other host's request as refused); the
        policies' flavour and logging beat the user's, and the log is as without them."""
        self.store_settings(IUP="0", Log="0",
                            policies={"UpdateUrl": "http://mirror.example.local/velmora",
                                      "IUP": "1", "Log": "1"})
        mirror = self.mirror("--host", "mirror.example.local", "--base-path", "/velmora/")
        result = self.update_now(mirror)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        self.assertEqual(result.stdout.decode(), UPDATED + "\n")
        self.assertEqual((self.definitions / "20041114.017" / "flavour").read_bytes(), b"x86\n")
        asked = [(urllib.parse.urlsplit(line.split(" ")[1]).hostname,
                  urllib.parse.urlsplit(line.split(" ")[1]).path) for line in mirror.requests()]
        self.assertEqual(asked, [("mirror.example.local", "/velmora/md5-hash.txt"),
                                 ("mirror.example.local",
                                  "/velmora/packages/20041114-017-x86.exe")])
        self.assertEqual(self.log().count("\r\n"), 1, self.log())
        self.assertTrue(self.log().endswith(f" : {UPDATED}\r\n"), self.log())

    def test_an_https_mirror_is_refused_until_its_certificate_is_trusted(self):
        """WinINet verifies the mirror's certificate against the machine's root store: the
        list is refused before any request while the throw-away certificate is not in it,
        and fetched once it is."""
        certificate, key, der = make_server_certificate(self.dir)
        mirror = self.mirror("--tls", certificate, key)
        base = f"https://localhost:{mirror.port}/defs/download/"
        self.store_settings(policies={"UpdateUrl": base})
        direct = {"VELMORA_COMMON_FILES": windows_path(self.dir / "common")}

        untrusted = run_wine(self.program, "--update-now", extra_environment=direct)
        self.assertEqual(untrusted.returncode, 1, untrusted.stderr.decode(errors="replace"))
        self.assertEqual(untrusted.stdout.decode(), base + "md5-hash.txt をダウンロードできません.\n")
        self.assertEqual(mirror.requests(), [])

        self.trust_certificate(der)
        trusted = run_wine(self.program, "--update-now", extra_environment=direct)
        self.assertEqual(trusted.returncode, 0, trusted.stderr.decode(errors="replace"))
        self.assertEqual(trusted.stdout.decode(), UPDATED + "\n")
        self.assertEqual(len(mirror.requests()), 2, mirror.requests())

    def test_a_caching_proxy_serves_each_package_once_where_a_policy_lets_it(self):
        """Two PCs (each with its own program folder, definitions and emptied settings)
        behind Squid in front of the mirror: with CachePackages the package crosses to the
        mirror once, the list always; without it both cross every time."""
        for cache_packages in (True, False):
            with self.subTest(cache_packages=cache_packages):
                policies = {"CachePackages": "1"} if cache_packages else None
                mirror = self.mirror()
                proxy = CachingProxy(mirror.port)
                self.addCleanup(proxy.stop)
                for pc in ("first", "second"):
                    common = self.dir / f"{pc}-{cache_packages}"
                    (common / "Corvane Shared" / "Definitions").mkdir(parents=True)
                    self.store_settings(policies=policies)
                    result = run_wine(self.program, "--update-now", extra_environment={
                        "http_proxy": proxy.proxy, "VELMORA_COMMON_FILES": windows_path(common)})
                    self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
                    self.assertEqual(result.stdout.decode(), UPDATED + "\n")
                paths = [urllib.parse.urlsplit(line.split(" ")[1]).path
                         for line in mirror.requests() if line.split(" ")[2] == "200"]
                self.assertEqual(paths.count("/defs/download/md5-hash.txt"), 2, paths)
                self.assertEqual(paths.count("/defs/download/packages/20041114-017-i32.exe"),
                                 1 if cache_packages else 2, paths)


class SlowUpdateNowE2ETest(ProgramCase):
    def test_a_head_that_trickles_in_is_a_failed_download_after_a_minute(self):
        """A head sent a byte a second passes every per-read limit; its own bound ends the
        run a minute after the request."""
        self.store_settings()
        mirror = self.mirror("--fault", "slow-list-head")
        started = time.monotonic()
        result = run_wine(self.program, "--update-now",
                          extra_environment=self.environment(mirror), timeout=120)
        seconds = time.monotonic() - started
        self.assertEqual(result.returncode, 1, result.stderr.decode(errors="replace"))
        self.assertEqual(result.stdout.decode(), LIST_URL + " をダウンロードできません.\n")
        self.assertGreaterEqual(seconds, 60)
        self.assertLess(seconds, 65)


def main():
    global config
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--mirror", required=True)
    parser.add_argument("--standin", required=True)
    parser.add_argument("--program")
    config, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
