"""The files the tests run the tool on, built from field values, each named, with what the tool
writes for it; shared by the process test (tests/dump/tool_test.py), the fuzz build's seed corpus
and the release set's walks.

usage, from the source tree:
  python3 -B -m tests.fixtures --corpus DIRECTORY   (writes each case's spectrum.bin there as a
      fuzzing seed)
  python3 -B -m tests.fixtures --captures DIRECTORY posix|windows   (writes a tree of captures
      for the manual's recipes to run over, and what they should leave, for tests/packaging's
      walks)
"""
import os
import struct
import sys
import threading
import time

from tests.frames import FIELDS, SIXTEEN, WORKED, frame


def report(**fields):
    """The header lines: integers in decimal, floats as C's %g prints their binary32 value."""
    def text(value):
        return f"{struct.unpack('<f', struct.pack('<f', value))[0]:g}" if isinstance(value, float) else value
    return "".join(f"{name}: {text(value)}\n" for name, value in (FIELDS | fields).items())


def listing(count, texts):
    return ("out", f"First {count} spectrum samples:\n" + "".join(f"  [{i}] = {t}\n" for i, t in enumerate(texts)))


def case(name, samples, writes, status, cut=None, **fields):
    """A frame from field values, cut short if asked, and what the tool writes for it: the header
    lines, then `writes` (pairs of stream and text, in program order)."""
    return (name, frame(samples, **fields)[:cut], [("out", report(**fields))] + writes, status)


def warning(frame_size, expected):
    return ("err", f"Warning: frame_size {frame_size} != expected {expected}\n")


class Pieces(bytes):
    """Content fed through a FIFO named spectrum.bin, 5 bytes at a time."""


SIXTEEN_TEXT = [f"{v:g}" for v in SIXTEEN]
WORKED_TEXT = ["1", "0.5", "-3.25", "1e-07", "0", "0.333333"]
# Six significant digits, exponent form below 1e-4 and from 1e6 on, at least two exponent digits.
FORMATS = {0.1: "0.1", 12.25: "12.25", 3.0: "3", 1e-4: "0.0001", 1e-5: "1e-05", 1e6: "1e+06",
           -0.0: "-0", 123456.0: "123456", 1234567.0: "1.23457e+06", 999999.5: "1e+06",
           0.00012345: "0.00012345", 3.4e38: "3.4e+38", 1e-45: "1.4013e-45", -1.17549435e-38: "-1.17549e-38",
           1.5e-5: "1.5e-05", 100000.0: "100000"}
# Spelled by the tool itself, the same on every platform: NaN by its sign bit alone, whatever its
# payload or whether it is signalling.
NON_FINITE = [(b"\x00\x00\xc0\x7f", "nan"), (b"\x00\x00\xc0\xff", "-nan"), (b"\x01\x00\x80\x7f", "nan"),
              (b"\xff\xff\xff\xff", "-nan"), (float("inf"), "inf"), (float("-inf"), "-inf")]
CANNOT_OPEN = [("err", "Cannot open: spectrum.bin\n")]
CANNOT_READ_HEADER = [("err", "Cannot read frame header\n")]
WORKED_REPORT = [("out", report()), listing(6, WORKED_TEXT)]
WORKED_OUTPUT = "".join(text for _, text in WORKED_REPORT)  # all on standard output
MAX = (1 << 64) - 1
FOUR_BY_FOUR = {"frame_size": 112, "range_size": 4, "doppler_size": 4}

# (name, content of spectrum.bin, expected writes in program order, exit status)
CASES = [
    ("no file", None, CANNOT_OPEN, 1),
    # The shortest and the longest header that falls short.
    *[(f"{n}-byte file", frame(WORKED)[:n], CANNOT_READ_HEADER, 1) for n in (0, 47)],
    ("worked example", frame(WORKED), WORKED_REPORT, 0),
    case("zero samples in a bare header", [], [listing(0, [])], 0, frame_size=48, range_size=0),
    case("4 x 4 lists all sixteen", SIXTEEN, [listing(16, SIXTEEN_TEXT)], 0, **FOUR_BY_FOUR),
    case("20 x 64 lists the first sixteen of a file holding only those", SIXTEEN,
         [listing(16, SIXTEEN_TEXT)], 0, frame_size=5168, range_size=20, doppler_size=64),
    # A cut inside the first, a middle and the last listed sample, 1, 2 and 3 bytes into it.
    *[case(f"payload cut inside sample {k}", SIXTEEN, [listing(16, SIXTEEN_TEXT[:k]), ("err", f"Cannot read {k}\n")],
           1, cut=48 + 4 * k + 1 + k % 3, **FOUR_BY_FOUR) for k in (0, 7, 15)],
    case("frame_size smaller than expected", SIXTEEN, [warning(100, 112), listing(16, SIXTEEN_TEXT)], 0,
         frame_size=100, range_size=4, doppler_size=4),
    case("frame_size larger than expected", WORKED, [warning(200, 72), listing(6, WORKED_TEXT)], 0,
         frame_size=200),
    case("warning, heading, listing and read failure in order", WORKED[:4],
         [warning(60, 88), listing(10, WORKED_TEXT[:4]), ("err", "Cannot read 4\n")], 1,
         frame_size=60, range_size=2, doppler_size=5),
    case("sample count past 64 bits is no empty frame", [],
         [warning(48, 73786976294838206512), listing(16, []), ("err", "Cannot read 0\n")], 1,
         frame_size=48, range_size=1 << 62, doppler_size=4),
    case("largest dimensions", SIXTEEN,
         [warning(MAX, 1361129467683753853705924477137396432948), listing(16, SIXTEEN_TEXT)], 0,
         frame_size=MAX, range_size=MAX, doppler_size=MAX),
    # 0x0D 0x0A and 0x1A pass untranslated and do not end the read on any platform.
    case("line-end and end-of-file bytes are data", struct.unpack("<f", b"\x1a\r\n?"),
         [warning(0x0A0D1A, 52), listing(1, ["0.539262"])], 0, frame_size=0x0A0D1A,
         radar_time_us=0x1A0A0D1A0A0D, azimuth_deg=struct.unpack("<f", b"\r\n\x1a@")[0], range_size=1,
         doppler_size=1),
    case("floats print like %g", list(FORMATS), [listing(16, FORMATS.values())], 0,
         frame_size=112, range_size=16, doppler_size=1, azimuth_deg=float("-inf")),
    case("NaN and the infinities", [s for s, _ in NON_FINITE], [listing(6, [t for _, t in NON_FINITE])], 0,
         range_size=6, doppler_size=1, frame_size=72),
    ("arguments are ignored", frame(WORKED), WORKED_REPORT, 0, ["other.bin", "--help", "-"]),
]
LARGE = {"frame_size": 48 + 4 * (1 << 30), "range_size": 1 << 30, "doppler_size": 1}


def large_capture(path):
    """A consistent capture past 4 GiB, sparse: its header and first samples, then a hole."""
    with open(path, "wb") as f:
        f.write(frame(SIXTEEN, **LARGE))
        f.truncate(LARGE["frame_size"])


# A 32-bit build opens a file past 2 GiB only with 64-bit file offsets.
LARGE_CASE = ("capture past 4 GiB", large_capture, [("out", report(**LARGE)), listing(16, SIXTEEN_TEXT)], 0)
# A directory opens on POSIX systems and the read then fails; Windows refuses the open.
POSIX_CASES = [("directory named spectrum.bin", os.mkdir, CANNOT_READ_HEADER, 1),
               ("header in pieces from a FIFO", Pieces(frame(WORKED)), WORKED_REPORT, 0), LARGE_CASE]
WINDOWS_CASES = [("directory named spectrum.bin", os.mkdir, CANNOT_OPEN, 1), LARGE_CASE]


def feed_in_pieces(path, content):
    with open(path, "wb", buffering=0) as fifo:
        for start in range(0, len(content), 5):
            fifo.write(content[start:start + 5])
            time.sleep(0.01)


def place(cwd, content):
    """Puts `content` in place as spectrum.bin in `cwd`; returns the thread feeding a FIFO."""
    path, writer = os.path.join(cwd, "spectrum.bin"), None
    if isinstance(content, Pieces):
        if not os.path.exists(path):
            os.mkfifo(path)
        writer = threading.Thread(target=feed_in_pieces, args=(path, content))
        writer.start()
    elif callable(content):
        if not os.path.exists(path):
            content(path)
    elif content is not None:
        with open(path, "wb") as f:
            f.write(content)
    return writer


# The manual's recipes run over these cases, each in a folder whose name quoting must survive,
# the tree's own folder included: (folder, case). The recipes name the failing and the warned ones,
# so their names are ASCII, as consoles differ in how they encode the rest. cmd expands %OS% in a
# command line it is given, and drops "!" where delayed expansion is on.
CAPTURES = [(".", "worked example"), ("run 1 & (b) 50%", "payload cut inside sample 7"),
            ("run 1 & (b) 50%/short", "47-byte file"), ("été", "4 x 4 lists all sixteen"),
            ("x %OS% y!", "frame_size larger than expected"), ("mixed up", "directory named spectrum.bin"),
            ("empty", "no file")]


def write_captures(directory, windows):
    """Writes CAPTURES in DIRECTORY/tree; the same in DIRECTORY/want with the report.txt that
    the recipe leaves beside each (both streams, in program order); and in DIRECTORY/console.txt
    the lines the recipe prints, sorted: "Failed: " and each failing folder, "Warned: " and each
    folder whose report holds a warning, and the counts."""
    cases = {row[0]: row for row in CASES + (WINDOWS_CASES if windows else POSIX_CASES)}
    failed, warned = [], []
    for folder, name in CAPTURES:
        _, content, writes, status = cases[name]
        for top in "tree", "want":
            os.makedirs(os.path.join(directory, top, folder), exist_ok=True)
            place(os.path.join(directory, top, folder), content)
        if content is not None:
            with open(os.path.join(directory, "want", folder, "report.txt"), "w", newline="") as f:
                f.write("".join(text for _, text in writes).replace("\n", "\r\n" if windows else "\n"))
            failed += [f"Failed: {folder}"] * status
            warned += [f"Warned: {folder}"] * any(text.startswith("Warning: ") for _, text in writes)
    with open(os.path.join(directory, "console.txt"), "w") as f:
        summary = f"{len(failed)} failed, {len(warned)} warned"
        f.write("".join(f"{line}\n" for line in sorted(failed + warned + [summary])))


def write_corpus(directory):
    """Writes the content of each case that is a plain file in DIRECTORY, named after the case."""
    os.makedirs(directory, exist_ok=True)
    for name, content, *_ in CASES:
        if content is not None:
            with open(os.path.join(directory, name.replace(" ", "-")), "wb") as f:
                f.write(content)


def main(arguments):
    if arguments[:1] == ["--corpus"] and len(arguments) == 2:
        write_corpus(arguments[1])
    elif arguments[:1] == ["--captures"] and len(arguments) == 3 and arguments[2] in ("posix", "windows"):
        write_captures(arguments[1], arguments[2] == "windows")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
