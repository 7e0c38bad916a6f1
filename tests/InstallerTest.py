#!/usr/bin/env python3
"""The installer's life cycle, as a Windows user meets it, under Wine's own msiexec: install per
machine and per user, upgrade from an older version, uninstall; the Windows 11 step through a
stand-in powershell.exe that records how it was started. Each case gets a fresh Wine prefix (a
copy of one made for this run, in which nothing but wineboot has run).

    InstallerTest.py BUILD
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "packaging"))
import make_msix  # noqa: E402
import make_package  # noqa: E402
import winereg  # noqa: E402

BUILD = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
WORK = os.path.join(BUILD, "installer-test")
WINE = "/usr/lib/wine/wine64"
MACHINE_FOLDER = r"C:\Program Files\Tamber Soft\Kestrel"
ARCHIVER_PROGRAMS = ("KestrelApp.exe", "Recast.exe", "Guide.exe", "Batch.exe", "Agenda.exe")
CLASSES = r"Software\Classes"
USER_DATA_KEY = r"Software\Tamber Soft"
# Wine rewrites its device classes whenever a wineserver starts; Windows Installer keeps its own
# (then empty) record containers and folder. Neither is the installer's doing.
NOISE_KEYS = (r"System\CurrentControlSet\Control\Class",)
INSTALLER_RECORDS = (r"Software\Classes\Installer", r"Software\Microsoft\Windows\CurrentVersion\Installer",
                     r"Software\Microsoft\Installer")


def unix_path(prefix, windows_path):
    return os.path.join(prefix, "drive_c", *windows_path[3:].split("\\"))


def z_path(unix):
    return "Z:" + unix.replace("/", "\\")


def lowered(tree):
    return {k.lower(): v for k, v in tree.items()}


class Prefix:
    template = None

    def __init__(self, name):
        self.path = os.path.join(WORK, name)
        shutil.rmtree(self.path, ignore_errors=True)
        subprocess.run(["cp", "-a", Prefix.template, self.path], check=True)
        self.records = os.path.join(WORK, name + "-records")
        shutil.rmtree(self.records, ignore_errors=True)
        self.env = make_package.wine_environment(self.path)
        if os.environ.get("DISPLAY"):
            self.env["DISPLAY"] = os.environ["DISPLAY"]

    @classmethod
    def make_template(cls):
        cls.template = os.path.join(WORK, "template")
        shutil.rmtree(cls.template, ignore_errors=True)
        env = make_package.wine_environment(cls.template)
        subprocess.run([WINE, "wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, check=True)

    def wine(self, *args, env=None):
        return subprocess.run([WINE] + list(args), env=dict(self.env, **(env or {})), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True, errors="replace")

    def msiexec(self, *args, powershell_exit=0):
        result = self.wine("msiexec", *args, "/qn", env={"KESTREL_STANDIN_RECORDS": z_path(self.records),
                                                          "KESTREL_STANDIN_EXIT_CODE": str(powershell_exit)})
        return result.returncode

    def import_registry(self, text):
        path = os.path.join(WORK, os.path.basename(self.path) + ".reg")
        with open(path, "w", encoding="ascii", newline="\r\n") as file:
            file.write("REGEDIT4\n\n" + text)
        self.wine("regedit", "/s", z_path(path))

    def flush(self):
        subprocess.run(["wineserver", "-w"], env=self.env, check=True)

    def registry(self):
        self.flush()
        return winereg.read_prefix(self.path)

    def files(self):
        """Every file and folder on drive C: relative path -> (size, modification time)."""
        self.flush()
        tree, top = {}, os.path.join(self.path, "drive_c")
        for folder, folders, names in os.walk(top):
            for name in folders + names:
                path = os.path.join(folder, name)
                info = os.lstat(path)
                tree[os.path.relpath(path, top)] = None if os.path.isdir(path) else (info.st_size, info.st_mtime_ns)
        return tree

    def powershell_starts(self):
        if not os.path.isdir(self.records):
            return []
        starts = []
        for name in sorted(n for n in os.listdir(self.records) if n.endswith(".record")):
            with open(os.path.join(self.records, name), encoding="utf-8") as file:
                starts += re.findall(r"^CommandLine=(.*?)\r?$", file.read(), re.M)
        return starts

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.path, ignore_errors=True)


def install_user_state(prefix, build_number, archiver_folder):
    """What a user's machine holds before the installer runs: the archiver's programs and its
    association, another program's handler in a list ours joins (on Windows that list is never
    empty), the Windows build, the user's settings and droplet catalogues, and a powershell.exe
    that records its starts."""
    os.makedirs(unix_path(prefix.path, archiver_folder), exist_ok=True)
    for program in ARCHIVER_PROGRAMS:
        shutil.copy(os.path.join(BUILD, "archiver", program), unix_path(prefix.path, archiver_folder + "\\" + program))
    shutil.copy(os.path.join(BUILD, "archiver", "Batch.exe"),
                unix_path(prefix.path, r"C:\windows\system32\WindowsPowerShell\v1.0\powershell.exe"))
    escaped = (archiver_folder + "\\").replace("\\", "\\\\")
    prefix.import_registry(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n\"CurrentBuildNumber\"=\"%d\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Tamber Soft\\Kestrel]\n\"InstallLocation\"=\"%s\"\n\n"
        "[HKEY_CLASSES_ROOT\\.kesx]\n@=\"Kestrel.Archive.Open.Kesx\"\n\n"
        "[HKEY_CLASSES_ROOT\\*\\shellex\\ContextMenuHandlers\\Sharing]\n"
        "@=\"{f81e9010-6ea4-11ce-a7ff-00aa003ca9f6}\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Tamber Soft\\Kestrel]\n\"EnableContextMenu\"=dword:00000001\n"
        "\"TempFolder\"=\"C:\\\\KrTemp\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Tamber Soft\\Kestrel\\ContextMenu]\n\"Cmd1\"=dword:00000004\n"
        "\"Cmd2\"=dword:00000001\n" % (build_number, escaped))
    catalogue = "[DropSlots]\r\n1=C:\\Droplets\\Backup to USB.exe\r\n".encode("utf-16")
    for folder in (r"C:\users\%s\AppData\Local\Tamber Soft\DropSlots" % user_name(prefix),
                   r"C:\ProgramData\Tamber Soft\Kestrel"):
        os.makedirs(unix_path(prefix.path, folder), exist_ok=True)
        with open(unix_path(prefix.path, folder + r"\DropSlots.ini"), "wb") as file:
            file.write(catalogue)


def user_name(prefix):
    users = [u for u in os.listdir(os.path.join(prefix.path, "drive_c", "users")) if u.lower() != "public"]
    return users[0]


def user_data(prefix):
    """The settings values and the droplet catalogues' bytes: what must never change."""
    registry = prefix.registry()["HKCU"]
    data = {k: v for k, v in winereg.subtree(registry, USER_DATA_KEY).items()}
    for path in (r"C:\users\%s\AppData\Local\Tamber Soft\DropSlots\DropSlots.ini" % user_name(prefix),
                 r"C:\ProgramData\Tamber Soft\Kestrel\DropSlots.ini"):
        with open(unix_path(prefix.path, path), "rb") as file:
            data[path] = file.read()
    return data


def registry_changes(before, after):
    """What changed in each hive, less Wine's device classes and Windows Installer's emptied
    record containers."""
    changes = {}
    for root in ("HKLM", "HKCU"):
        added, removed = winereg.difference(before[root], after[root])
        for table in (added, removed):
            for key in list(table):
                folded = key.lower()
                if any(folded.startswith(n.lower()) for n in NOISE_KEYS):
                    del table[key]
                elif any(folded.startswith(r.lower()) for r in INSTALLER_RECORDS) and not any(
                        k.lower().startswith(folded) and v for k, v in after[root].items()):
                    del table[key]
        if added or removed:
            changes[root] = (added, removed)
    return changes


def file_changes(before, after):
    changed = sorted(set(before.items()) ^ set(after.items()))
    return sorted({path for path, _ in changed if not (path == os.path.join("windows", "Installer")
                                                       and after.get(path, None) is None)})


def classes_tree(before, after, root):
    """The values the registration added below root's Software\\Classes, by key, less Windows
    Installer's own records of the product; and what went away."""
    added, removed = winereg.difference(winereg.subtree(before[root], CLASSES), winereg.subtree(after[root], CLASSES))
    return lowered({k: v for k, v in added.items() if v and not k.lower().startswith("installer")}), removed


def count(tree):
    return "%d keys, %d values" % (len(tree), sum(len(v) for v in tree.values()))


class InstallerLifeCycle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        os.makedirs(WORK, exist_ok=True)
        env = {k: v for k, v in os.environ.items() if not k.startswith("KR_SIGN_")}
        for version, out, extra in (("1.0.0", "new", []), ("0.9.0", "old", ["--registry-rows"])):
            if extra:
                extra.append(os.path.join(WORK, "new", "stage", "Registry.idt"))
            subprocess.run([sys.executable, os.path.join(ROOT, "packaging", "make_package.py"), "--build", BUILD,
                            "--out", os.path.join(WORK, out), "--version", version] + extra,
                           env=env, check=True, stdout=subprocess.DEVNULL)
        cls.new = z_path(os.path.join(WORK, "new", "KrShellExt-1.0.0-x64.msi"))
        cls.old = z_path(os.path.join(WORK, "old", "KrShellExt-0.9.0-x64.msi"))
        cls.library = os.path.join(WORK, "new", "stage", "KrShellExtEN.dll")
        Prefix.make_template()
        reference = Prefix("regsvr32")
        try:
            before = reference.registry()
            os.makedirs(unix_path(reference.path, MACHINE_FOLDER))
            shutil.copy(cls.library, unix_path(reference.path, MACHINE_FOLDER + r"\KrShellExtEN.dll"))
            assert reference.wine("regsvr32", "/s", MACHINE_FOLDER + r"\KrShellExtEN.dll").returncode == 0
            cls.reference, _ = classes_tree(before, reference.registry(), "HKLM")
        finally:
            reference.close()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(Prefix.template, ignore_errors=True)

    def check_menus(self, prefix):
        """krhost, as Explorer, finds the three handlers through what the installer wrote."""
        samples = os.path.join(WORK, "samples")
        os.makedirs(os.path.join(samples, "Target"), exist_ok=True)
        for name in ("a.zip", "d.kesx"):
            open(os.path.join(samples, name), "w").close()
        krhost = os.path.join(BUILD, "krhost.exe")
        sample = lambda name: z_path(os.path.join(samples, name))  # noqa: E731
        for args, expected in ((["menu", sample("a.zip")], ["Kestrel ▸", "Extract All Here", "Convert..."]),
                               (["drop", sample("Target"), sample("a.zip")], ["Kestrel ▸", "Extract All Here"]),
                               (["props", sample("d.kesx")], ["AddPages added 1 page(s)"])):
            shown = prefix.wine(krhost, *args).stdout
            for text in expected:
                self.assertIn(text, shown, "krhost %s" % args[0])

    def check_removed(self, prefix, registry_before, files_before):
        self.assertEqual(registry_changes(registry_before, prefix.registry()), {})
        self.assertEqual(file_changes(files_before, prefix.files()), [])

    def powershell(self, folder, action, all_users):
        return ('C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe -NoProfile -NonInteractive '
                '-ExecutionPolicy Bypass -File "%s\\KestrelPackage.ps1" -%s%s'
                % (folder, action, " -AllUsers" if all_users else ""))

    def test_per_machine_install_and_uninstall_on_windows_10(self):
        prefix = Prefix("machine")
        try:
            install_user_state(prefix, 19045, MACHINE_FOLDER)
            registry_before, files_before, data_before = prefix.registry(), prefix.files(), user_data(prefix)
            self.assertEqual(prefix.msiexec("/i", self.new), 0)
            self.check_menus(prefix)
            tree, removed = classes_tree(registry_before, prefix.registry(), "HKLM")
            self.assertEqual((tree, removed), (self.reference, {}))
            print("per machine: HKLM\\Software\\Classes gained %s, value for value what regsvr32 writes" % count(tree))
            with zipfile.ZipFile(unix_path(prefix.path, MACHINE_FOLDER + r"\Kestrel.msix")) as package:
                named = make_package.manifest_files(package.read("AppxManifest.xml").decode("utf-8"))
            self.assertEqual([n for n in named if not os.path.isfile(unix_path(prefix.path, MACHINE_FOLDER + "\\" + n))], [])
            self.assertEqual(prefix.msiexec("/x", self.new), 0)
            self.assertEqual(user_data(prefix), data_before)
            self.check_removed(prefix, registry_before, files_before)
            self.assertEqual(prefix.powershell_starts(), [], "no Windows 11 step at build 19045")
            print("per machine: after uninstall the registry and drive C: equal the snapshot before install; "
                  "build 19045 ran no powershell")
        finally:
            prefix.close()

    def test_upgrade_from_an_older_version_on_windows_11(self):
        prefix = Prefix("upgrade")
        try:
            install_user_state(prefix, 22631, MACHINE_FOLDER)
            registry_before, files_before, data_before = prefix.registry(), prefix.files(), user_data(prefix)
            self.assertEqual(prefix.msiexec("/i", self.old), 0)
            self.assertEqual(prefix.msiexec("/i", self.new), 0)
            libraries = [p for p, v in prefix.files().items() if p.lower().endswith("krshellexten.dll")]
            self.assertEqual(libraries, [os.path.join("Program Files", "Tamber Soft", "Kestrel", "KrShellExtEN.dll")])
            for name, built in (("KrShellExtEN.dll", self.library),
                                ("Kestrel.msix", os.path.join(WORK, "new", "Kestrel.msix"))):
                with open(unix_path(prefix.path, MACHINE_FOLDER + "\\" + name), "rb") as a, open(built, "rb") as b:
                    self.assertEqual(a.read(), b.read(), name + " is the new version's")
            products = winereg.subtree(prefix.registry()["HKLM"], r"Software\Microsoft\Windows\CurrentVersion\Uninstall")
            versions = sorted(v.get("DisplayVersion") for k, v in products.items() if "Kestrel" in v.get("DisplayName", ""))
            self.assertEqual(versions, ['"1.0.0"'])
            self.assertEqual(user_data(prefix), data_before)
            tree, _ = classes_tree(registry_before, prefix.registry(), "HKLM")
            self.assertEqual(tree, self.reference)
            print("upgrade 0.9.0 -> 1.0.0: one library (the new one), one product (1.0.0), user values and "
                  "catalogues byte-identical, registration as regsvr32's")
            self.assertEqual(prefix.msiexec("/x", self.new), 0)
            self.assertEqual(user_data(prefix), data_before)
            self.check_removed(prefix, registry_before, files_before)
            self.assertEqual(prefix.powershell_starts(), [self.powershell(MACHINE_FOLDER, "Register", True),
                                                          self.powershell(MACHINE_FOLDER, "Unregister", True),
                                                          self.powershell(MACHINE_FOLDER, "Register", True),
                                                          self.powershell(MACHINE_FOLDER, "Unregister", True)])
            print("build 22631: the package was registered for all users by each version and removed by the "
                  "upgrade and by the uninstall; after it the snapshot equals the one before install")
        finally:
            prefix.close()

    def test_per_user_install_without_administrator_rights(self):
        prefix = Prefix("user")
        try:
            install_user_state(prefix, 22631, MACHINE_FOLDER)
            folder = r"C:\users\%s\AppData\Local\Programs\Tamber Soft\Kestrel" % user_name(prefix)
            registry_before, files_before, data_before = prefix.registry(), prefix.files(), user_data(prefix)
            # Wine's msiexec takes ALLUSERS=2 for per machine whatever MSIINSTALLPERUSER says;
            # ALLUSERS="" asks Windows Installer for the same per-user install.
            per_user = ("MSIINSTALLPERUSER=1", 'ALLUSERS=""')
            self.assertEqual(prefix.msiexec("/i", self.new, *per_user, powershell_exit=1), 0,
                             "a failing Windows 11 step does not fail the install")
            self.check_menus(prefix)
            after = prefix.registry()
            tree, removed = classes_tree(registry_before, after, "HKCU")
            escaped = lambda path: path.replace("\\", "\\\\")  # noqa: E731 (as Wine stores it)
            expected = {k: {n: d.replace(escaped(MACHINE_FOLDER), escaped(folder)) for n, d in v.items()}
                        for k, v in self.reference.items()}
            self.assertEqual((tree, removed), (expected, {}))
            # Windows Installer keeps its records of a per-user product in HKLM too (UserData; Wine
            # also its Uninstall entry): the system's, not the installer's own keys.
            records = INSTALLER_RECORDS + (r"Software\Microsoft\Windows\CurrentVersion\Uninstall\{%s}"
                                           % make_package.product_code("1.0.0"),)
            machine = registry_changes(registry_before, after).get("HKLM", ({}, {}))
            self.assertEqual([k for k in machine[0] if not k.lower().startswith(tuple(r.lower() for r in records))], [])
            self.assertEqual(machine[1], {})
            self.assertEqual([p for p in file_changes(files_before, prefix.files())
                              if p.startswith("Program Files")], [])
            print("per user: HKCU\\Software\\Classes gained %s (regsvr32's tree, the user's path); nothing under "
                  "HKLM or Program Files; menus work although powershell failed" % count(tree))
            self.assertEqual(prefix.msiexec("/x", self.new, *per_user), 0)
            self.assertEqual(user_data(prefix), data_before)
            self.check_removed(prefix, registry_before, files_before)
            self.assertEqual(prefix.powershell_starts(), [self.powershell(folder, "Register", False),
                                                          self.powershell(folder, "Unregister", False)])
        finally:
            prefix.close()

    def test_sparse_package_and_signatures(self):
        package = os.path.join(WORK, "new", "Kestrel.msix")
        self.assertEqual(make_msix.check_block_map(package), [])
        with zipfile.ZipFile(package) as archive:
            manifest = archive.read("AppxManifest.xml").decode("utf-8")
        self.assertEqual(make_package.manifest_identity(manifest)["Version"], "1.0.0.0")
        classes = set(re.findall(r'Clsid="([^"]+)"|<com:Class Id="([^"]+)"', manifest))
        classes = {c for pair in classes for c in pair if c}
        self.assertEqual(classes, {command_class()})
        certificate = os.path.join(BUILD, "signing", "test-cert.pem")
        for path in (package, os.path.join(WORK, "new", "KrShellExt-1.0.0-x64.msi"), self.library):
            result = subprocess.run(["osslsigncode", "verify", "-CAfile", certificate, "-in", path],
                                    stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            self.assertIn("Signature verification: ok", result.stdout, path)
            print("%s: osslsigncode verify: %s" % (os.path.basename(path), "; ".join(
                line.strip() for line in result.stdout.splitlines()
                if re.search(r"^Signature verification|^Number of verified signatures", line))))
        print("Kestrel.msix: block map hashes match the content; class %s is the library's command class"
              % command_class())


def command_class():
    """KrGuids::ExplorerCommand, as the package manifest spells a CLSID."""
    for folder, _, names in os.walk(ROOT):
        if "Guids.h" in names and "build" not in folder.split(os.sep):
            with open(os.path.join(folder, "Guids.h"), encoding="utf-8") as file:
                text = file.read()
            fields = re.search(r"ExplorerCommand = \{(0x\w+), (0x\w+), (0x\w+), \{([^}]*)\}", text)
            if fields:
                tail = [int(b, 16) for b in fields.group(4).split(",")]
                return "%08X-%04X-%04X-%02X%02X-%s" % (int(fields.group(1), 16), int(fields.group(2), 16),
                                                      int(fields.group(3), 16), tail[0], tail[1],
                                                      "".join("%02X" % b for b in tail[2:]))
    raise AssertionError("KrGuids::ExplorerCommand not found")


if __name__ == "__main__":
    unittest.main(verbosity=2)
