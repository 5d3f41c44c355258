#!/usr/bin/env python3
"""Differential test of the portable INI engine against the platform.

Every case runs through two profile-drivers: the Windows one, which uses the
platform's profile functions under Wine, and the native one, which uses the
portable engine. Both get the same operations on fresh copies of the same
starting files, in the same folder, and must print the same line for every
operation and leave the same files. Then the files each run left are read
back through both drivers, for every section and name the case uses or the
files hold, and all four readings must agree. File bytes are not compared:
the engine keeps unchanged lines as they stand where the platform rewrites
the whole file.

Usage (see README.md):
  differential.py [CASE-FILE-OR-FOLDER ...] [--random N [--seed S]]
"""

import argparse
import random
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent.parent
BLANKS = b" \t\n\v\f\r\x1a"
FIELDS = {"get": 5, "getint": 5, "set": 5, "flush": 2, "exists": 2}
READBACK_DEFAULT = b"(none)"
ABSENT = b"qlm-absent"


class CaseError(Exception):
    pass


def is_lead(byte):
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def escape(data):
    """Bytes in the drivers' field syntax."""
    out = []
    for c in data:
        if c == 0x5C:
            out.append("\\\\")
        elif c in (0x09, 0x0A, 0x0D):
            out.append({0x09: "\\t", 0x0A: "\\n", 0x0D: "\\r"}[c])
        elif 0x20 <= c <= 0x7E:
            out.append(chr(c))
        else:
            out.append("\\x%02X" % c)
    return "".join(out)


def unescape(text, where):
    """Bytes of a case file's text: characters in Shift-JIS, and the escapes
    \\t \\n \\r \\\\ \\xHH and \\{N*TEXT} (TEXT repeated N times)."""
    out = bytearray()
    i = 0
    while i < len(text):
        ch = text[i]
        if ch != "\\":
            try:
                out += ch.encode("cp932")
            except UnicodeEncodeError:
                raise CaseError(f"{where}: {ch!r} has no Shift-JIS form; write its bytes as \\xHH")
            i += 1
            continue
        nxt = text[i + 1:i + 2]
        if nxt in ("t", "n", "r", "\\"):
            out += {"t": b"\t", "n": b"\n", "r": b"\r", "\\": b"\\"}[nxt]
            i += 2
        elif nxt == "x":
            try:
                out.append(int(text[i + 2:i + 4], 16))
            except ValueError:
                raise CaseError(f"{where}: bad escape {text[i:i + 4]!r}")
            i += 4
        elif nxt == "{" and "}" in text[i:]:
            end = text.index("}", i)
            count, star, body = text[i + 2:end].partition("*")
            if not star or not count.isdigit():
                raise CaseError(f"{where}: bad repeat {text[i:end + 1]!r}, not \\{{N*TEXT}}")
            out += unescape(body, where) * int(count)
            i = end + 1
        else:
            raise CaseError(f"{where}: unknown escape {text[i:i + 2]!r} (a backslash is \\\\)")
    return bytes(out)


@dataclass
class Case:
    name: str
    entries: list = field(default_factory=list)  # (relative path, bytes, or None for a folder)
    ops: list = field(default_factory=list)  # (fields as bytes, compared); FILE fields may hold $DIR
    readback: bool = True


def parse_op(line, where):
    compared = not line.startswith("~")
    fields = [unescape(f, where) for f in line.removeprefix("~").split("\t")]
    if FIELDS.get(fields[0].decode("ascii", "replace")) != len(fields):
        raise CaseError(f"{where}: not an operation with its number of fields: {line!r}")
    if fields[0] == b"set" and not fields[1].startswith(b"$DIR"):
        raise CaseError(f"{where}: a set must write under $DIR")
    return fields, compared


def load_case(path):
    """Reads a case file (the format is in README.md)."""
    case = Case(name=str(path))
    files = []  # [name, eol, final eol, [(text, where)]]
    block = None
    for number, line in enumerate(path.read_text(encoding="utf-8").split("\n"), 1):
        line = line.removesuffix("\r")
        where = f"{path}:{number}"
        if line.startswith("== "):
            words = line[3:].split()
            block = None
            if words[:1] == ["file"] and len(words) >= 2:
                block = [words[1], "\r\n", True, []]
                for option in words[2:]:
                    eols = {"eol=crlf": "\r\n", "eol=lf": "\n", "eol=cr": "\r", "eol=none": ""}
                    if option in eols:
                        block[1] = eols[option]
                    elif option == "noeol":
                        block[2] = False
                    else:
                        raise CaseError(f"{where}: unknown option {option!r}")
                files.append(block)
            elif words[:1] == ["copy"] and len(words) == 3:
                case.entries.append((words[1], (path.parent / words[2]).read_bytes()))
            elif words[:1] == ["dir"] and len(words) == 2:
                case.entries.append((words[1], None))
            elif words == ["ops"]:
                block = "ops"
            elif words == ["option", "noreadback"]:
                case.readback = False
            else:
                raise CaseError(f"{where}: unknown directive {line!r}")
        elif block == "ops":
            if line.strip() and not line.startswith("#"):
                case.ops.append(parse_op(line, where))
        elif block is not None:
            block[3].append((line, where))
        elif line.strip() and not line.startswith("#") and (files or case.entries or case.ops):
            raise CaseError(f"{where}: text outside a block")
    for name, eol, final, lines in files:
        while lines and lines[-1][0] == "":
            lines.pop()
        content = eol.encode().join(unescape(text, where) for text, where in lines)
        case.entries.append((name, content + eol.encode() if lines and final else content))
    if not case.ops:
        raise CaseError(f"{path}: no operations")
    return case


def dump_case(case, description):
    """A case in the case-file format, to run again or to cut down by hand."""
    out = [description, ""]
    for name, data in case.entries:
        if data is None:
            out.append(f"== dir {name}")
            continue
        out.append(f"== file {name} eol=none")
        for piece in data.splitlines(keepends=True):
            text = escape(piece)
            if text.startswith("=") or not text.strip():  # not a directive, nor a dropped empty line
                text = "\\x%02X" % piece[0] + text[1:]
            out.append(text)
    out.append("== ops")
    out.extend(("" if compared else "~") + "\t".join(escape(f) for f in fields) for fields, compared in case.ops)
    if not case.readback:
        out.append("== option noreadback")
    return "\n".join(out) + "\n"


# --- The names a file holds ----------------------------------------------------

def chars_of(data):
    """The Shift-JIS characters of data: a lead byte takes the next byte
    with it, unless that is NUL."""
    out, i = [], 0
    while i < len(data):
        size = 2 if is_lead(data[i]) and i + 1 < len(data) and data[i + 1] != 0 else 1
        out.append(data[i:i + size])
        i += size
    return out


def names_in(data):
    """The section names of the text (the nameless one first), and (section,
    name) for each of its entries, bare names included."""
    sections, pairs, current = [b""], [], b""
    lines, line = [], []
    for ch in chars_of(data):
        if ch in (b"\r", b"\n"):
            lines.append(line)
            line = []
        else:
            line.append(ch)
    lines.append(line)
    for line in lines:
        while line and line[0] in BLANKS:
            line = line[1:]
        if not line:
            continue
        brackets = [i for i, ch in enumerate(line) if ch == b"]"]
        if line[0] == b"[" and brackets and brackets[-1] > 0:
            current = b"".join(line[1:brackets[-1]]).strip(BLANKS).split(b"\0")[0]
            sections.append(current)
            continue
        equals = [i for i, ch in enumerate(line) if ch == b"="]
        name = b"".join(line[:equals[0]] if equals else line)
        pairs.append((current, name.strip(BLANKS).split(b"\0")[0]))
    return sections, pairs


def flip_case(name):
    """name with its single-byte ASCII letters in the other case."""
    return b"".join(ch if len(ch) == 2 else ch.swapcase() for ch in chars_of(name))


def readback_pairs(case, files):
    """What to read back from a case's result files: every section and name
    of its operations and of the files (also in the other letter case), and
    names that are in no file."""
    pairs = {(f[2], f[3]) for f, _ in case.ops if f[0] in (b"get", b"getint", b"set")}
    found = set()
    for data in files:
        sections, entries = names_in(data)
        found.update(entries)
        pairs.update((s, ABSENT) for s in sections)
    pairs |= found | {(flip_case(s), flip_case(k)) for s, k in found}
    pairs.update((ABSENT, k) for _, k in sorted(found)[:3])
    return sorted(pairs)


# --- Running the drivers -------------------------------------------------------

def windows_path(path):
    try:
        return ("Z:" + str(path).replace("/", "\\")).encode("cp932")
    except UnicodeEncodeError:
        raise CaseError(f"{path} has no Shift-JIS form (set TMPDIR to a plain folder)")


def run_batches(command, scripts, timeout):
    """Runs the scripts (lists of operation lines) through one driver process,
    starting another after a script the driver stopped in. Gives each script's
    output lines, or a text saying how the driver failed."""
    results = []
    while len(results) < len(scripts):
        pending = scripts[len(results):]
        text = "".join(line + "\n" for script in pending for line in script)
        try:
            done = subprocess.run(command, input=text.encode("ascii"), capture_output=True, timeout=timeout)
            output, errors = done.stdout, done.stderr.decode(errors="replace").strip()
            failure = f"exit status {done.returncode}" + (f": {errors[-300:]}" if errors else "")
        except subprocess.TimeoutExpired as expired:
            output, failure = expired.stdout or b"", f"no answer within {timeout} s"
        lines = output.decode("ascii", errors="replace").split("\n")[:-1]
        at = 0
        for script in pending:
            if at + len(script) > len(lines):
                results.append(f"the driver stopped after {len(lines) - at} of {len(script)} operations ({failure})")
                break
            results.append(lines[at:at + len(script)])
            at += len(script)
    return results


def build_tree(root, cases):
    """A folder per case under root, holding the case's starting files."""
    shutil.rmtree(root, ignore_errors=True)
    for index, case in enumerate(cases):
        folder = root / f"c{index:04d}"
        folder.mkdir(parents=True)
        for name, data in case.entries:
            if data is None:
                (folder / name).mkdir(parents=True, exist_ok=True)
            else:
                (folder / name).parent.mkdir(parents=True, exist_ok=True)
                (folder / name).write_bytes(data)


def files_under(folder):
    return sorted(p.relative_to(folder) for p in folder.rglob("*") if p.is_file())


def shown(line, limit=160):
    return line if len(line) <= limit else line[:limit] + f"... ({len(line)} characters)"


class Differential:
    """Runs cases through both drivers in a temporary folder and collects
    (case index, problem) pairs."""

    def __init__(self, drivers, timeout, base):
        self.drivers, self.timeout, self.base = drivers, timeout, base
        self.problems = []
        self.readbacks = 0

    def run(self, cases):
        # Both runs use the same folder, so that paths in the answers match.
        work = self.base / "run"
        scripts = []
        for index, case in enumerate(cases):
            folder = windows_path(work / f"c{index:04d}")
            scripts.append(["\t".join(escape(f.replace(b"$DIR", folder) if n == 1 else f) for n, f in enumerate(fields))
                            for fields, _ in case.ops])
        answers = {}
        for which in ("windows", "native"):
            build_tree(work, cases)
            answers[which] = run_batches(self.drivers[which], scripts, self.timeout)
            work.rename(self.base / which)

        readback = []
        for index, case in enumerate(cases):
            win, nat = answers["windows"][index], answers["native"][index]
            if isinstance(win, str) or isinstance(nat, str):
                self.problems += [(index, f"{w} driver: {r}") for w, r in (("windows", win), ("native", nat))
                                  if isinstance(r, str)]
                continue
            for number, ((_, compared), a, b) in enumerate(zip(case.ops, win, nat), 1):
                if compared and a != b:
                    self.problems.append((index, f"operation {number}: {shown(scripts[index][number - 1])}\n"
                                                 f"      windows: {shown(a)}\n      native:  {shown(b)}"))
            folders = [self.base / which / f"c{index:04d}" for which in ("windows", "native")]
            left = [files_under(f) for f in folders]
            if left[0] != left[1]:
                self.problems.append((index, f"files left: windows {[str(p) for p in left[0]]}, "
                                             f"native {[str(p) for p in left[1]]}"))
            if case.readback:
                readback += [(index, [f / name for f in folders]) for name in left[0] if name in left[1]]
        self.read_back(cases, readback)

    def read_back(self, cases, files):
        """Reads each (case index, [windows' copy, native's copy]) back
        through both drivers."""
        scripts, queries = [], []
        for index, copies in files:
            try:
                paths = [escape(windows_path(c)) for c in copies]
            except CaseError as error:
                self.problems.append((index, f"cannot read back: {error}"))
                continue
            pairs = readback_pairs(cases[index], [c.read_bytes() for c in copies])
            scripts.append([f"get\t{p}\t{escape(s)}\t{escape(k)}\t{escape(READBACK_DEFAULT)}"
                            for s, k in pairs for p in paths])
            queries.append((index, copies[0].name, pairs))
            self.readbacks += len(scripts[-1])
        answers = {which: run_batches(self.drivers[which], scripts, self.timeout) for which in self.drivers}
        for (index, name, pairs), win, nat in zip(queries, answers["windows"], answers["native"]):
            if isinstance(win, str) or isinstance(nat, str):
                self.problems.append((index, f"reading back {name}: {win if isinstance(win, str) else nat}"))
                continue
            for n, (section, key) in enumerate(pairs):
                got = {"windows driver, windows' file": win[2 * n], "windows driver, native's file": win[2 * n + 1],
                       "native driver, windows' file": nat[2 * n], "native driver, native's file": nat[2 * n + 1]}
                if len(set(got.values())) > 1:
                    detail = "".join(f"\n      {k}: {shown(v)}" for k, v in got.items())
                    self.problems.append((index, f"reading back {name} [{escape(section)}] {escape(key)}:{detail}"))


# --- Random cases --------------------------------------------------------------

def shift_jis_chars():
    """The double-byte characters of JIS X 0208, which the platform converts
    to Unicode and back unchanged (no NEC or IBM extensions)."""
    chars = []
    for lead in [*range(0x81, 0x85), *range(0x88, 0xA0), *range(0xE0, 0xEB)]:
        for trail in [*range(0x40, 0x7F), *range(0x80, 0xFD)]:
            code = bytes([lead, trail])
            try:
                if code.decode("cp932").encode("cp932") == code:
                    chars.append(code)
            except UnicodeError:
                pass
    return chars


class RandomCases:
    """Cases beyond the corpus: a random file and random operations over a
    few names, in valid Shift-JIS with blanks, brackets, quotes, "=", NULs and
    all kinds of line ends. They leave out what the engine deliberately does
    otherwise than the platform, whose rewrite of the whole file on a change
    drops an empty-named section's header and cuts lines at a NUL: such
    headers appear only in cases that do not write, and a NUL never follows a
    blank. Bytes that are not valid Shift-JIS, and byte-order marks, never
    appear."""

    SJIS = shift_jis_chars()
    # Second bytes that are also "\", "|", "[", "]", or letters.
    TRICKY = [c for c in SJIS if c[1] in b"\\|[]" or (c[1] < 0x80 and chr(c[1]).isalpha())]
    KANA = [bytes([b]) for b in range(0xA1, 0xE0)]
    NUMBERS = [b"0x10", b" 12", b"12a", b"", b"-0", b"+1", b"$FFFFFFFF", b"-2147483648", b"2147483648",
               b"\t7", b"0X1f", b"x20", b"-$10", b"007", b"0x", b"4294967296"]

    def __init__(self, seed):
        self.rand = random.Random(seed)
        self.sections, self.keys = [], []

    def pick(self, *choices):
        """One of (weight, value or function giving one) choices."""
        x = self.rand.uniform(0, sum(w for w, _ in choices))
        for weight, value in choices:
            x -= weight
            if x <= 0:
                break
        return value() if callable(value) else value

    def char(self):
        r = self.rand
        return self.pick((8, lambda: bytes([r.choice(b"abcdefgxyzABCXYZ0123456789_.-")])),
                         (4, lambda: r.choice(self.SJIS)), (4, lambda: r.choice(self.TRICKY)),
                         (1, lambda: r.choice(self.KANA)),
                         (1, lambda: bytes([r.choice(b" \t\v\f\x1a\x1c\x1f\x7f")])),
                         (1, lambda: bytes([r.choice(b"[]=\"';#\\$")])))

    def text(self, low, high):
        return b"".join(self.char() for _ in range(self.rand.randint(low, high)))

    def blanks(self, chance=0.3, alphabet=b" \t\v\f\x1a"):
        if self.rand.random() >= chance:
            return b""
        return bytes(self.rand.choice(alphabet) for _ in range(self.rand.randint(1, 3)))

    def spelling(self, name):
        """name with its ASCII letters in random case."""
        return b"".join(flip_case(ch) if self.rand.random() < 0.5 else ch for ch in chars_of(name))

    def argument(self, name):
        """name spelt at random, at times among blanks and line breaks."""
        around = b" \t\v\f\x1a\r\n"
        return self.blanks(0.15, around) + self.spelling(name) + self.blanks(0.15, around)

    def names(self, count):
        names = set()
        while len(names) < count:
            names.add(self.pick((3, lambda: self.text(1, 4).strip(BLANKS)),
                                (1, lambda: b"".join(self.rand.choice(self.TRICKY) for _ in range(2)))) or b"n")
        return sorted(names)

    def long_value(self):
        """A value about as long as a read can return, at times in quotes."""
        r = self.rand
        size = r.choice([2045, 2046, 2047, 2048, 2049, 2050, 3000])
        body = bytearray()
        while len(body) < size:
            body += r.choice(self.SJIS) if r.random() < 0.3 else b"v"
        return b'"' + bytes(body) + b'"' if r.random() < 0.4 else bytes(body)

    def value(self, writing=False):
        r = self.rand
        v = self.pick((6, lambda: self.text(0, 8)), (4, lambda: r.choice(self.NUMBERS)),
                      (2, lambda: r.choice([b'"', b"'"]) + self.text(0, 5) + r.choice([b'"', b"'", b""])),
                      (1, lambda: self.text(1, 4) + b"=" + self.text(0, 4)), (1, self.long_value),
                      (1, lambda: self.text(1, 4) + b"x\0" + self.text(1, 4)))
        if writing and r.random() < 0.12:
            v += r.choice([b"\r\n", b"\n", b"\r"]) + self.line(writes=True)
        return self.blanks() + v + self.blanks()

    def line(self, writes):
        r = self.rand
        section = r.choice(self.sections)
        if writes and not section.strip(BLANKS):
            section = b"s"
        key = self.spelling(r.choice(self.keys))
        return self.pick(
            (3, lambda: self.blanks() + b"[" + self.blanks() + self.spelling(section) + self.blanks() + b"]"
             + r.choice([b"", b"", b"junk", b"]x", b"=1", b" ;c"]) + self.blanks()),
            (1, lambda: b"[" + self.spelling(section) + r.choice([b"", b"=v", b"]" + self.text(0, 3) + b"]"])),
            (10, lambda: self.blanks() + key + self.blanks() + b"=" + self.value()),
            (1, lambda: self.blanks() + key + self.blanks()),
            (1, lambda: b";" + key + b"=" + self.value()),
            (2, lambda: self.blanks(0.7)))

    def operation(self, writes, values):
        r = self.rand
        file = b"$DIR\\a.ini"
        section = self.argument(r.choice(self.sections))
        key = self.argument(r.choice(self.keys) if r.random() < 0.85 else b"new" + self.text(0, 2))
        kind = self.pick((5, "get"), (2, "getint"), (4 if writes else 0, "set"), (0.5, "exists"))
        if kind == "get":
            default = self.pick((3, lambda: self.text(0, 4) + self.blanks(0.5)), (1, b"  "),
                                (1, lambda: b'"' + self.text(0, 3) + b'"'))
            return [b"get", file, section, key, default]
        if kind == "getint":
            return [b"getint", file, section, key, r.choice([b"0", b"-5", b"$10", b"x"])]
        if kind == "exists":
            return [b"exists", r.choice([file, b"$DIR\\A.INI", b"$DIR\\b.ini", b"$DIR"])]
        if r.random() < 0.1:
            section = self.text(1, 3) + r.choice([b"\n", b"\r\n"]) + self.text(1, 3)
        if r.random() < 0.1:
            key = self.text(1, 3) + r.choice([b"=", b"\n", b"\"", b" "]) + self.text(1, 3)
        if r.random() < 0.05:
            key += r.choice(self.SJIS)[:1]  # a lone first byte at the end
        value = self.value(writing=True)
        if values and r.random() < 0.2:  # a value written before, maybe in other letter cases
            value = self.spelling(r.choice(values))
        values.append(value)
        # What a write adds must not hold an empty-named section's header.
        added = (b"[" + section + b"]\r\n" if section.strip(BLANKS) else b"") + key + b"=" + value
        if b"" in names_in(added)[0][1:]:
            return [b"set", file, b"s", b"k", b"v"]
        return [b"set", file, section, key, value]

    def case(self, number):
        r = self.rand
        self.sections = self.names(r.randint(1, 3)) + ([b"", b" "] if r.random() < 0.2 else [])
        self.keys = self.names(r.randint(2, 5))
        writes = r.random() < 0.8
        ops, values = [], []
        for _ in range(r.randint(4, 24)):
            ops.append(self.operation(writes, values))
            if r.random() < 0.05:
                ops.append([b"get", b"$DIR\\b.ini", ops[-1][2] if len(ops[-1]) == 5 else b"s", b"k",
                            b'"' + self.text(0, 3) + b'"  '])
        lines = [self.line(writes) for _ in range(r.randint(0, 24))]
        ends = [self.pick((6, b"\r\n"), (2, b"\n"), (1, b"\r")) for _ in lines]
        if lines and r.random() < 0.3:
            ends[-1] = b""
        text = b"".join(map(bytes.__add__, lines, ends))
        if b"" in names_in(text)[0][1:]:  # a name such as "[]x" makes an empty-named header
            ops = [f for f in ops if f[0] != b"set"]
        return Case(name=f"random case {number}", entries=[("a.ini", text)], ops=[(f, True) for f in ops])


# --- Main ------------------------------------------------------------------------

def load_cases(args):
    cases = []
    for given in args.cases or ([] if args.random else [HERE / "cases"]):
        cases += [load_case(p) for p in (sorted(given.glob("*.case")) if given.is_dir() else [given])]
    generator = RandomCases(args.seed)
    return cases + [generator.case(n) for n in range(1, args.random + 1)]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cases", nargs="*", type=Path, help="case files, or folders of *.case files "
                        "(default: the corpus, unless --random is given)")
    parser.add_argument("--random", type=int, default=0, metavar="N", help="also run N random cases")
    parser.add_argument("--seed", type=int, default=1, help="seed of the random cases (default 1)")
    parser.add_argument("--save-failures", type=Path, metavar="DIR", help="write failing cases there as case files")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder with both runs' files")
    parser.add_argument("--windows-driver", type=Path, default=ROOT / "build/windows/tools/profile-driver.exe")
    parser.add_argument("--wine-run", type=Path, default=ROOT / "scripts/wine-run")
    parser.add_argument("--wineprefix", type=Path, default=ROOT / "build/windows/wineprefix")
    parser.add_argument("--native-driver", type=Path, default=ROOT / "build/native/tools/profile-driver")
    parser.add_argument("--timeout", type=int, default=300, help="seconds one driver process may take")
    args = parser.parse_args()

    for what, path in (("native driver", args.native_driver), ("windows driver", args.windows_driver),
                       ("wine-run script", args.wine_run)):
        if not path.is_file():
            hint = " (build the native preset first: cmake --build --preset native)" if what == "native driver" else ""
            sys.exit(f"differential: the {what} {path} is missing{hint}")
    try:
        cases = load_cases(args)
    except (CaseError, OSError) as error:
        sys.exit(f"differential: {error}")
    if not cases:
        sys.exit("differential: no cases")

    drivers = {"windows": [str(args.wine_run), str(args.wineprefix), str(args.windows_driver)],
               "native": [str(args.native_driver)]}
    base = Path(tempfile.mkdtemp(prefix="qlm-differential-"))
    try:
        differential = Differential(drivers, args.timeout, base)
        differential.run(cases)
    except CaseError as error:
        sys.exit(f"differential: {error}")
    finally:
        if args.keep:
            print(f"differential: files kept in {base}/windows and {base}/native")
        else:
            shutil.rmtree(base, ignore_errors=True)

    failed = sorted({index for index, _ in differential.problems})
    for index in failed:
        case = cases[index]
        print(f"FAIL {case.name}")
        problems = [text for i, text in differential.problems if i == index]
        for text in problems[:12]:
            print(f"  {text}")
        if len(problems) > 12:
            print(f"  ... and {len(problems) - 12} more")
        if args.save_failures:
            args.save_failures.mkdir(parents=True, exist_ok=True)
            is_random = case.name.startswith("random")
            target = args.save_failures / (f"random-{args.seed}-{index + 1}.case" if is_random else Path(case.name).name)
            target.write_text(dump_case(case, case.name + (f" (seed {args.seed})" if is_random else "")),
                              encoding="utf-8")
            print(f"  saved as {target}")
    print(f"differential: {len(cases) - len(failed)} of {len(cases)} cases agree "
          f"({sum(len(c.ops) for c in cases)} operations, {differential.readbacks} reads back"
          + (f", random seed {args.seed}" if args.random else "") + ")")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
