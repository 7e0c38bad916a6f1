#!/usr/bin/env python3
"""Builds what a Windows user installs, into BUILD/package:

    KrShellExt-<version>-x64.msi   the library, its classic registration as Registry rows, the package
    Kestrel.msix                   the sparse package that declares the Windows 11 command tree

The library, the MSI and the package are signed (SHA-256 Authenticode) with the vendor's
certificate (KR_SIGN_PFX, KR_SIGN_PASSWORD) or else with a throwaway certificate made in
BUILD/signing, for testing only.

    make_package.py [--build BUILD] [--out DIR] [--version X.Y.Z] [--registry-rows Registry.idt]
"""
import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, HERE)
import make_msix  # noqa: E402
import winereg  # noqa: E402

UPGRADE_CODE = uuid.UUID("182A4A73-DE60-45D4-9C65-3F44803AEF77")
LIBRARY = "KrShellExtEN.dll"
# Where the library is registered for the harvest; the same folder the MSI installs to by default.
HARVEST_FOLDER = r"C:\Program Files\Tamber Soft\Kestrel"
# Files the manifest names that the archiver's own installer puts in the same folder.
ARCHIVER_FILES = {"KestrelApp.exe"}
WINE = "/usr/lib/wine/wine64"
DESCRIPTION = "Kestrel Explorer extension"


def run(command, **options):
    return subprocess.run(command, check=True, **options)


def output_of(command, **options):
    return subprocess.run(command, check=True, stdout=subprocess.PIPE, text=True, **options).stdout


def product_version(explicit):
    if explicit:
        return explicit
    with open(os.path.join(HERE, "VERSION"), encoding="utf-8") as file:
        return file.read().strip()


def product_code(version):
    # One product code per version, the same for every build of it: a major upgrade needs a new
    # one for each version, and a rebuilt package should not look like another product.
    return str(uuid.uuid5(UPGRADE_CODE, "KrShellExt " + version)).upper()


def publisher_id(publisher):
    """The 13 characters Windows derives from a package's Publisher (the family name's suffix)."""
    digest = int.from_bytes(hashlib.sha256(publisher.encode("utf-16-le")).digest()[:8], "big") << 1
    alphabet = "0123456789abcdefghjkmnpqrstvwxyz"
    return "".join(alphabet[(digest >> (5 * (12 - i))) & 31] for i in range(13))


def manifest_identity(text):
    found = re.search(r"<Identity\b([^>]*)>", text)
    return dict(re.findall(r'(\w+)="([^"]*)"', found.group(1))) if found else {}


def manifest_files(text):
    """The files a package manifest names: logos, the application, the COM server's library."""
    names = set(re.findall(r'(?:Executable|Logo|Square150x150Logo|Square44x44Logo|Wide310x150Logo|Path)="([^"]+)"', text))
    names.update(re.findall(r"<Logo>([^<]+)</Logo>", text))
    return sorted(names)


class Signer:
    """The certificate everything is signed with and its subject as Windows spells it."""

    def __init__(self, build, work):
        self.work = work
        self.password_file = os.path.join(work, "signing-password")
        pfx, password = os.environ.get("KR_SIGN_PFX"), os.environ.get("KR_SIGN_PASSWORD")
        self.for_testing = not pfx
        if self.for_testing:
            pfx, password = self.test_certificate(os.path.join(build, "signing"))
        elif password is None:
            sys.exit("KR_SIGN_PFX is set but KR_SIGN_PASSWORD is not")
        self.pfx = os.path.abspath(pfx)
        descriptor = os.open(self.password_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
        with os.fdopen(descriptor, "w") as file:
            file.write(password)
        chain = output_of(["openssl", "pkcs12", "-in", self.pfx, "-nokeys", "-passin", "file:" + self.password_file])
        self.chain = os.path.join(work, "signing-chain.pem")
        with open(self.chain, "w") as file:
            file.write(chain)
            bundle = "/etc/ssl/certs/ca-certificates.crt"
            if not self.for_testing and os.path.exists(bundle):
                with open(bundle) as roots:
                    file.write(roots.read())
        leaf = output_of(["openssl", "pkcs12", "-in", self.pfx, "-nokeys", "-clcerts", "-passin",
                          "file:" + self.password_file])
        rfc2253 = output_of(["openssl", "x509", "-noout", "-subject", "-nameopt", "RFC2253"], input=leaf).strip()
        self.subject = windows_name(rfc2253.split("=", 1)[1] if rfc2253.startswith("subject=") else rfc2253)

    @staticmethod
    def test_certificate(folder):
        pfx = os.path.join(folder, "KrShellExt-test.pfx")
        if not os.path.exists(pfx):
            os.makedirs(folder, exist_ok=True)
            key, cert = os.path.join(folder, "test-key.pem"), os.path.join(folder, "test-cert.pem")
            run(["openssl", "req", "-x509", "-newkey", "rsa:3072", "-nodes", "-keyout", key, "-out", cert,
                 "-days", "90", "-subj", "/CN=Tamber Soft",
                 "-addext", "basicConstraints=critical,CA:FALSE",
                 "-addext", "keyUsage=critical,digitalSignature",
                 "-addext", "extendedKeyUsage=codeSigning"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx, "-passout", "pass:test"])
            run(["openssl", "x509", "-in", cert, "-outform", "DER", "-out", os.path.join(folder, "KrShellExt-test.cer")])
            os.remove(key)
        return pfx, "test"

    def sign(self, source, target):
        command = ["osslsigncode", "sign", "-pkcs12", self.pfx, "-readpass", self.password_file,
                   "-h", "sha256", "-n", DESCRIPTION, "-in", source, "-out", target]
        if os.environ.get("KR_SIGN_TIMESTAMP_URL"):
            command[-4:-4] = ["-ts", os.environ["KR_SIGN_TIMESTAMP_URL"]]
        if os.path.exists(target):
            os.remove(target)
        run(command, stdout=subprocess.DEVNULL)

    def verify(self, path):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", self.chain, "-in", path],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)

    def close(self):
        if os.path.exists(self.password_file):
            os.remove(self.password_file)


def windows_name(rfc2253):
    """'CN=Tamber Soft,O=Tamber Soft' -> 'CN=Tamber Soft, O=Tamber Soft' (RFC 2253 already lists
    the most specific part first, as Windows does); escaped commas stay."""
    parts = re.split(r"(?<!\\),", rfc2253)
    return ", ".join(p.strip() for p in parts)


def wine_environment(prefix):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH="win64",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.pop("DISPLAY", None)
    return env


def harvest(library, work):
    """What DllRegisterServer writes into a clean prefix, as Registry rows: [(key, name, value)]
    below the classes root, the library's path replaced by a reference to the installed file."""
    prefix = os.path.join(work, "harvest-prefix")
    shutil.rmtree(prefix, ignore_errors=True)
    env = wine_environment(prefix)
    run([WINE, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run(["wineserver", "-w"], env=env)
    before = winereg.read_prefix(prefix)
    folder = os.path.join(prefix, "drive_c", *HARVEST_FOLDER[3:].split("\\"))
    os.makedirs(folder)
    shutil.copy(library, os.path.join(folder, LIBRARY))
    run([WINE, "regsvr32", "/s", HARVEST_FOLDER + "\\" + LIBRARY], env=env)
    run(["wineserver", "-w"], env=env)
    after = winereg.read_prefix(prefix)
    shutil.rmtree(prefix, ignore_errors=True)

    rows = []
    for root in ("HKLM", "HKCU"):
        added, removed = winereg.difference(winereg.subtree(before[root], r"Software\Classes"),
                                            winereg.subtree(after[root], r"Software\Classes"))
        if removed or (root == "HKCU" and added):
            sys.exit("registration changed more than new keys below HKLM\\Software\\Classes: %r %r" % (added, removed))
        for key in sorted(added, key=str.lower):
            for name in sorted(added[key]):
                text = winereg.decode_string(added[key][name])
                if text is None:
                    sys.exit("registration wrote a value that is not a string: %s %s" % (key, name))
                rows.append((key, name, text))
    if not rows:
        sys.exit("DllRegisterServer wrote nothing")
    return rows


def formatted(text, library_path):
    """A registry value as MSI formatted text: brackets and a leading '#' are literal; the
    library's path becomes a reference to the installed file."""
    pieces = re.split("(%s)" % re.escape(library_path), text, flags=re.I)
    out = []
    for piece in pieces:
        if piece.lower() == library_path.lower():
            out.append("[#%s]" % LIBRARY)
        else:
            out.append(piece.replace("[", "\x00").replace("]", "[\\]]").replace("\x00", "[\\[]"))
    value = "".join(out)
    return "#" + value if value.startswith("#") else value


def registry_idt(rows):
    lines = ["Registry\tRoot\tKey\tName\tValue\tComponent_", "s72\ti2\tl255\tL255\tL0\ts72", "Registry\tRegistry"]
    for key, name, value in rows:
        row_id = "reg" + hashlib.sha1(("%s\\%s" % (key, name)).lower().encode()).hexdigest()[:32].upper()
        # Root -1: HKLM for a per-machine install, HKCU for a per-user one.
        lines.append("\t".join([row_id, "-1", "Software\\Classes\\" + key, name,
                                formatted(value, HARVEST_FOLDER + "\\" + LIBRARY), "Library"]))
    return "\r\n".join(lines) + "\r\n"


def exported(msi, table):
    """A table read back from the MSI: rows as tuples of column texts."""
    text = output_of(["msiinfo", "export", msi, table])
    return [tuple(line.split("\t")) for line in text.replace("\r", "").split("\n")[3:] if line]


def check_tables(msi, wxs_text, idt_text):
    """wixl places actions itself where it is not told: what the MSI holds must be what the
    source says, and the Registry table what the harvest gave."""
    wanted = {a: int(s) for a, s in re.findall(r'<Custom Action="(\w+)" Sequence="(\d+)"', wxs_text)}
    wanted.update({a: int(s) for a, s in re.findall(r'<(\w+) Sequence="(\d+)" />', wxs_text)})
    actual = {row[0]: int(row[2]) for row in exported(msi, "InstallExecuteSequence")}
    wrong = {a: (s, actual.get(a)) for a, s in wanted.items() if actual.get(a) != s}
    if wrong:
        sys.exit("InstallExecuteSequence differs from the source (wanted, found): %r" % wrong)
    if actual["InstallFiles"] > min(s for a, s in wanted.items() if a.startswith("Register")):
        sys.exit("the package would be registered before its files are installed")
    rows = sorted(tuple(line.split("\t")) for line in idt_text.replace("\r", "").split("\n")[3:] if line)
    if sorted(exported(msi, "Registry")) != rows:
        sys.exit("the MSI's Registry table is not the harvested registration")


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--out")
    parser.add_argument("--version")
    parser.add_argument("--registry-rows", help="a Registry.idt of an earlier run with the same library")
    args = parser.parse_args(argv)
    build = os.path.abspath(args.build)
    out = os.path.abspath(args.out or os.path.join(build, "package"))
    version = product_version(args.version)
    make_msix.package_version(version)
    stage = os.path.join(out, "stage")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(stage, "Assets"))

    signer = Signer(build, out)
    try:
        with open(os.path.join(HERE, "AppxManifest.xml"), encoding="utf-8") as file:
            manifest = make_msix.stamp_version(file.read(), version)
        identity = manifest_identity(manifest)
        if identity.get("Publisher") != signer.subject:
            sys.exit("the manifest's Publisher %r is not the certificate's subject %r: Windows would refuse the "
                     "package" % (identity.get("Publisher"), signer.subject))

        signer.sign(os.path.join(build, LIBRARY), os.path.join(stage, LIBRARY))
        run([sys.executable, os.path.join(ROOT, "tools", "imagegen", "make_icon.py"), "--logo",
             os.path.join(stage, "Assets", "Kestrel.png")], stdout=subprocess.DEVNULL)
        installed = {LIBRARY, "Kestrel.msix", "KestrelPackage.ps1", "Assets\\Kestrel.png"}
        missing = [n for n in manifest_files(manifest) if n not in installed and n not in ARCHIVER_FILES]
        if missing:
            sys.exit("the manifest names files the install folder would not have: %s" % ", ".join(missing))

        publisher = publisher_id(identity["Publisher"])
        names = {"@PACKAGE_NAME@": identity["Name"],
                 "@PACKAGE_FULL_NAME@": "%s_%s_%s__%s" % (identity["Name"], identity["Version"],
                                                          identity["ProcessorArchitecture"], publisher),
                 "@PACKAGE_FAMILY_NAME@": "%s_%s" % (identity["Name"], publisher)}
        with open(os.path.join(HERE, "KestrelPackage.ps1"), encoding="utf-8") as file:
            script = file.read()
        for placeholder, value in names.items():
            script = script.replace(placeholder, value)
        with open(os.path.join(stage, "KestrelPackage.ps1"), "w", encoding="utf-8", newline="\r\n") as file:
            file.write(script)

        unsigned_msix = os.path.join(out, "Kestrel-unsigned.msix")
        with open(os.path.join(stage, "Assets", "Kestrel.png"), "rb") as file:
            make_msix.write_package(unsigned_msix, manifest.encode("utf-8"), [("Assets\\Kestrel.png", file.read())])
        signer.sign(unsigned_msix, os.path.join(stage, "Kestrel.msix"))
        os.remove(unsigned_msix)

        if args.registry_rows:
            with open(args.registry_rows, encoding="utf-8", newline="") as file:
                idt = file.read()
        else:
            idt = registry_idt(harvest(os.path.join(build, LIBRARY), out))
        with open(os.path.join(stage, "Registry.idt"), "w", encoding="utf-8", newline="") as file:
            file.write(idt)

        msi_name = "KrShellExt-%s-x64.msi" % version
        unsigned_msi = os.path.join(out, "unsigned.msi")
        run(["wixl", "-a", "x64", "-D", "Version=" + version, "-D", "ProductCode=" + product_code(version),
             "-o", unsigned_msi, os.path.join(HERE, "KrShellExt.wxs")], cwd=stage)
        run(["msibuild", unsigned_msi, "-i", os.path.join(stage, "Registry.idt")])
        with open(os.path.join(HERE, "KrShellExt.wxs"), encoding="utf-8") as file:
            check_tables(unsigned_msi, file.read(), idt)
        signer.sign(unsigned_msi, os.path.join(out, msi_name))
        os.remove(unsigned_msi)
        shutil.copy(os.path.join(stage, "Kestrel.msix"), os.path.join(out, "Kestrel.msix"))

        for name in (msi_name, "Kestrel.msix", os.path.join("stage", LIBRARY)):
            path = os.path.join(out, name)
            result = signer.verify(path)
            status = "ok" if result.returncode == 0 and "Signature verification: ok" in result.stdout else "FAILED"
            print("%-32s %9d bytes  signature %s" % (name, os.path.getsize(path), status))
            if status != "ok":
                sys.exit(result.stdout)
        if signer.for_testing:
            banner = "FOR TESTING ONLY: signed with a throwaway certificate (%s)" % os.path.join(build, "signing")
            print("\n" + "!" * len(banner) + "\n" + banner + "\nWindows accepts the package only once that certificate "
                  "is trusted (TrustedPeople); set KR_SIGN_PFX and KR_SIGN_PASSWORD to sign for release.\n"
                  + "!" * len(banner))
    finally:
        signer.close()


if __name__ == "__main__":
    main(sys.argv[1:])
