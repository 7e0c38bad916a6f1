"""Reads the registry files of a Wine prefix (system.reg, user.reg) as plain data, so that the
package build and the installer test can see what a registration or an installation wrote.

A hive is a dict: key path (backslash-separated, as Windows spells it, case kept) -> dict of
value name ("" for the default value) -> the value's text as Wine stores it (for example
'"Apartment"', 'dword:00000001', 'hex(2):...'). Wine's per-key time stamps are left out: they
say when, not what.
"""
import os

HIVE_FILES = {"HKLM": "system.reg", "HKCU": "user.reg"}


def _unescape_key(text):
    # Wine writes a key's separators as "\\" and a literal backslash never occurs in key names.
    return text.replace("\\\\", "\\")


def _split_value_line(line):
    """'"name"=data' or '@=data' -> (name, data). Quotes inside the name are escaped."""
    if line.startswith("@="):
        return "", line[2:]
    if not line.startswith('"'):
        return None
    i, name = 1, []
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            name.append(line[i + 1])
            i += 2
            continue
        if c == '"':
            break
        name.append(c)
        i += 1
    if line[i + 1:i + 2] != "=":
        return None
    return "".join(name), line[i + 2:]


def read_hive(path):
    hive = {}
    if not os.path.exists(path):
        return hive
    with open(path, encoding="utf-8", errors="surrogateescape") as file:
        lines = file.read().split("\n")
    key = None
    pending = ""
    for raw in lines:
        line = pending + raw.strip()
        pending = ""
        if line.endswith("\\") and not line.startswith("["):
            # Binary values go on over several lines, each but the last ending in "\".
            pending = line[:-1]
            continue
        if line.startswith("["):
            end = line.rfind("]")
            key = _unescape_key(line[1:end])
            hive.setdefault(key, {})
        elif key is not None and line and not line.startswith("#") and not line.startswith(";"):
            pair = _split_value_line(line.lstrip())
            if pair:
                hive[key][pair[0]] = pair[1]
    # Wine leaves out a key that has subkeys and no values of its own: put such keys back, so
    # that a key counts as present whatever is below it.
    present = {key.lower() for key in hive}
    for key in list(hive):
        parts = key.split("\\")
        for depth in range(1, len(parts)):
            parent = "\\".join(parts[:depth])
            if parent.lower() not in present:
                present.add(parent.lower())
                hive[parent] = {}
    return hive


def read_prefix(prefix):
    """{'HKLM': hive, 'HKCU': hive} of a prefix whose wineserver has written everything out."""
    return {root: read_hive(os.path.join(prefix, name)) for root, name in HIVE_FILES.items()}


def decode_string(data):
    """The text of a REG_SZ value as Wine stores it ('"C:\\\\x"' -> 'C:\\x'); None for any other type."""
    if not (data.startswith('"') and data.endswith('"')):
        return None
    body, out, i = data[1:-1], [], 0
    simple = {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "t": "\t", "0": "\0"}
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        nxt = body[i + 1:i + 2]
        if nxt == "x":
            j = i + 2
            while j < len(body) and j < i + 6 and body[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(chr(int(body[i + 2:j], 16)))
            i = j
        else:
            out.append(simple.get(nxt, nxt))
            i += 2
    return "".join(out)


def subtree(hive, prefix):
    """The keys at and below prefix (case-insensitive, as the registry compares), renamed
    relative to it."""
    lowered = prefix.lower().rstrip("\\") + "\\"
    result = {}
    for key, values in hive.items():
        if (key.lower() + "\\").startswith(lowered):
            result[key[len(lowered):]] = values
    return result


def difference(before, after):
    """What after has that before has not: {key: {name: data}} for new keys (every value, or
    none) and for new or changed values of old keys; and the keys and values that went away."""
    folded_before = {k.lower(): v for k, v in before.items()}
    folded_after = {k.lower(): v for k, v in after.items()}
    added, removed = {}, {}
    for key, values in after.items():
        old = folded_before.get(key.lower())
        if old is None:
            added[key] = dict(values)
            continue
        changed = {n: d for n, d in values.items() if old.get(n) != d}
        if changed:
            added[key] = changed
    for key, values in before.items():
        new = folded_after.get(key.lower())
        if new is None:
            removed[key] = dict(values)
            continue
        gone = {n: d for n, d in values.items() if n not in new}
        if gone:
            removed[key] = gone
    return added, removed
