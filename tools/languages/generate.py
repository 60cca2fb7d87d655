#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Turns the UTF-8 language sources of this folder into the program's
language files (data/Languages/<Name>.LNG).

Each source is an INI text in UTF-8 with the same sections and keys as
English.ini. The generator stores it in the code page that FONTS/CHARACTER
names, with CR LF line ends, and stops with an error on any character that
code page cannot hold, on a key missing from or unknown to English.ini,
and on a source that is not valid UTF-8.

    tools/languages/generate.py            write every .LNG file
    tools/languages/generate.py --check    only report files that differ
"""
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent.parent / "data" / "Languages"

CODE_PAGES = {
    "ANSI_CHARSET": "cp1252",
    "EASTEUROPE_CHARSET": "cp1250",
    "RUSSIAN_CHARSET": "cp1251",
    "GREEK_CHARSET": "cp1253",
    "TURKISH_CHARSET": "cp1254",
    "HEBREW_CHARSET": "cp1255",
    "BALTIC_CHARSET": "cp1257",
    # Strict JIS X 0208 and GB 2312: no vendor extension slips in.
    "SHIFTJIS_CHARSET": "shift_jis",
    "GB2312_CHARSET": "gb2312",
    "CHINESEBIG5_CHARSET": "big5",
}


class SourceError(Exception):
    pass


def parse(path):
    """Returns [(line, section, key or None)] and {(SECTION, KEY): value}."""
    try:
        text = path.read_bytes().decode("utf-8")
    except UnicodeDecodeError as e:
        raise SourceError(f"{path.name}: not UTF-8 ({e})")
    if text.startswith("\ufeff"):
        raise SourceError(f"{path.name}: remove the byte-order mark")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    values = {}
    section = None
    for number, line in enumerate(lines, 1):
        if line.endswith("\r"):
            raise SourceError(f"{path.name}:{number}: write the source with LF line ends")
        stripped = line.strip()
        if not stripped or stripped.startswith(";"):
            continue
        if stripped.startswith("["):
            if not stripped.endswith("]"):
                raise SourceError(f"{path.name}:{number}: bad section line")
            section = stripped[1:-1].strip().upper()
            continue
        if "=" not in line or section is None:
            raise SourceError(f"{path.name}:{number}: expected KEY=value")
        key, value = line.split("=", 1)
        ident = (section, key.strip().upper())
        if ident in values:
            raise SourceError(f"{path.name}:{number}: {ident[0]}/{ident[1]} given twice")
        values[ident] = value.strip()
    return lines, values


def encode(path, lines, values):
    charset = values.get(("FONTS", "CHARACTER"))
    if charset not in CODE_PAGES:
        raise SourceError(f"{path.name}: FONTS/CHARACTER {charset!r} has no code page here")
    codec = CODE_PAGES[charset]
    out = bytearray()
    for number, line in enumerate(lines, 1):
        try:
            out += line.encode(codec, errors="strict")
        except UnicodeEncodeError as e:
            bad = line[e.start:e.end]
            raise SourceError(
                f"{path.name}:{number}: {bad!r} (U+{ord(bad[0]):04X}) cannot be stored in {codec}")
        out += b"\r\n"
    return bytes(out)


def main(argv):
    check = "--check" in argv
    sources = sorted(HERE.glob("*.ini"))
    reference = HERE / "English.ini"
    _, english = parse(reference)
    failures = []
    outputs = {}
    for path in sources:
        try:
            lines, values = parse(path)
            missing = sorted(set(english) - set(values))
            unknown = sorted(set(values) - set(english))
            if missing:
                raise SourceError(f"{path.name}: missing " + ", ".join("/".join(k) for k in missing))
            if unknown:
                raise SourceError(f"{path.name}: unknown " + ", ".join("/".join(k) for k in unknown))
            outputs[path.stem + ".LNG"] = encode(path, lines, values)
        except SourceError as e:
            failures.append(str(e))
    if failures:
        for f in failures:
            print(f, file=sys.stderr)
        return 1

    OUT.mkdir(parents=True, exist_ok=True)
    stale = []
    for name, data in outputs.items():
        target = OUT / name
        if target.exists() and target.read_bytes() == data:
            continue
        stale.append(name)
        if not check:
            target.write_bytes(data)
    if check and stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    print(f"{len(outputs)} language files " + ("checked" if check else "written"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
