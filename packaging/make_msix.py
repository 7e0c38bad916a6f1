#!/usr/bin/env python3
"""Makes the sparse package Kestrel.msix: AppxManifest.xml (with the product's version), the
files given beside it, AppxBlockMap.xml and [Content_Types].xml, as an uncompressed ZIP the way
MakeAppx lays it out. Signing (osslsigncode) adds AppxSignature.p7x afterwards.

    make_msix.py MANIFEST OUTPUT.msix --version 1.2.3 [--file NAME=PATH]...

NAME is the file's name inside the package, with backslashes as the manifest writes it
(Assets\\Kestrel.png). Standard library only.
"""
import argparse
import base64
import hashlib
import re
import sys
import zipfile
from xml.sax.saxutils import escape

BLOCK_SIZE = 65536
BLOCKMAP_NS = "http://schemas.microsoft.com/appx/2010/blockmap"
CONTENT_TYPES = {
    "png": "image/png",
    "dll": "application/x-msdownload",
    "exe": "application/x-msdownload",
    "xml": "application/xml",
}
# Every entry in the ZIP gets this time: the package's bytes depend on its content only.
FIXED_TIME = (2020, 1, 1, 0, 0, 0)


def package_version(version):
    """The four-part version a package identity needs: 1.2.3 -> 1.2.3.0."""
    parts = version.split(".")
    if not 1 <= len(parts) <= 4 or not all(p.isdigit() and int(p) < 65536 for p in parts):
        raise ValueError("not a version: %r" % version)
    return ".".join(parts + ["0"] * (4 - len(parts)))


def stamp_version(manifest_text, version):
    """The manifest with its Identity's Version set; fails when there is no such attribute."""
    stamped, count = re.subn(r'(<Identity\b[^>]*?\bVersion=")[^"]*(")', r"\g<1>%s\g<2>" % package_version(version),
                             manifest_text, count=1)
    if count != 1:
        raise ValueError("the manifest has no <Identity Version=...>")
    return stamped


def block_hashes(data):
    return [base64.b64encode(hashlib.sha256(data[i:i + BLOCK_SIZE]).digest()).decode()
            for i in range(0, max(len(data), 1), BLOCK_SIZE)] if data else []


def local_header_size(zip_name):
    # A local file header is 30 bytes, then the name; this writer adds no extra field.
    return 30 + len(zip_name.encode("utf-8"))


def block_map(entries):
    """entries: [(package name, bytes)] in ZIP order."""
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="no"?>',
             '<BlockMap xmlns="%s" HashMethod="http://www.w3.org/2001/04/xmlenc#sha256">' % BLOCKMAP_NS]
    for name, data in entries:
        lines.append('<File Name="%s" Size="%d" LfhSize="%d">' % (escape(name), len(data),
                                                                   local_header_size(name.replace("\\", "/"))))
        lines.extend('<Block Hash="%s"/>' % h for h in block_hashes(data))
        lines.append("</File>")
    lines.append("</BlockMap>")
    return "\r\n".join(lines).encode("utf-8")


def content_types(names):
    extensions = sorted({n.rsplit(".", 1)[-1].lower() for n in names if "." in n} - {"xml"})
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
             '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">']
    for extension in extensions:
        lines.append('<Default Extension="%s" ContentType="%s"/>'
                     % (extension, CONTENT_TYPES.get(extension, "application/octet-stream")))
    lines.append('<Override PartName="/AppxManifest.xml" ContentType="application/vnd.ms-appx.manifest+xml"/>')
    lines.append('<Override PartName="/AppxBlockMap.xml" ContentType="application/vnd.ms-appx.blockmap+xml"/>')
    lines.append("</Types>")
    return "\r\n".join(lines).encode("utf-8")


def write_package(output, manifest_bytes, files):
    """files: [(package name, bytes)]; the manifest goes after them, then the block map and
    the content types, as MakeAppx orders them."""
    entries = list(files) + [("AppxManifest.xml", manifest_bytes)]
    with zipfile.ZipFile(output, "w", compression=zipfile.ZIP_STORED) as package:
        for name, data in entries + [("AppxBlockMap.xml", block_map(entries)),
                                     ("[Content_Types].xml", content_types([n for n, _ in entries]))]:
            info = zipfile.ZipInfo(name.replace("\\", "/"), FIXED_TIME)
            info.compress_type = zipfile.ZIP_STORED
            package.writestr(info, data)


def check_block_map(path):
    """Problems found when the block map is held against the package's content: [] when every
    file the map names is there with its size and block hashes, and every file is named."""
    problems = []
    with zipfile.ZipFile(path) as package:
        names = {i.filename: i for i in package.infolist()}
        text = package.read("AppxBlockMap.xml").decode("utf-8")
        mapped = set()
        for match in re.finditer(r'<File Name="([^"]*)" Size="(\d+)" LfhSize="(\d+)">(.*?)</File>', text, re.S):
            name, size, lfh, body = match.group(1), int(match.group(2)), int(match.group(3)), match.group(4)
            zip_name = name.replace("&amp;", "&").replace("\\", "/")
            mapped.add(zip_name)
            if zip_name not in names:
                problems.append("%s: in the block map, not in the package" % name)
                continue
            data = package.read(zip_name)
            if len(data) != size:
                problems.append("%s: size %d, the block map says %d" % (name, len(data), size))
            if lfh != local_header_size(zip_name) + len(names[zip_name].extra):
                problems.append("%s: local header size differs from LfhSize" % name)
            hashes = re.findall(r'<Block Hash="([^"]+)"', body)
            if hashes != block_hashes(data):
                problems.append("%s: block hashes differ from the content" % name)
        footprint = {"AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x"}
        for name in names:
            if name not in mapped and name not in footprint:
                problems.append("%s: in the package, not in the block map" % name)
    return problems


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("manifest")
    parser.add_argument("output")
    parser.add_argument("--version", required=True)
    parser.add_argument("--file", action="append", default=[], metavar="NAME=PATH")
    args = parser.parse_args(argv)
    with open(args.manifest, encoding="utf-8") as file:
        manifest = stamp_version(file.read(), args.version).encode("utf-8")
    files = []
    for item in args.file:
        name, _, path = item.partition("=")
        with open(path, "rb") as file:
            files.append((name, file.read()))
    write_package(args.output, manifest, files)
    problems = check_block_map(args.output)
    if problems:
        sys.exit("\n".join(problems))
    print("wrote %s (version %s)" % (args.output, package_version(args.version)))


if __name__ == "__main__":
    main(sys.argv[1:])
