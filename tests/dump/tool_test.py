"""Runs the built spectrum_dump in scratch directories and compares standard output, standard
error and the exit status exactly: each stream apart, and both through one pipe.

usage, from the source tree:
  python3 -B -m tests.dump.tool_test COMMAND...   (the tool, behind a launcher such as Wine or
      valgrind; a Windows tool, whose name ends in .exe, ends its lines in \\r\\n and skips the
      POSIX-only cases)
  python3 -B -m tests.dump.tool_test --corpus DIRECTORY   (writes each case's spectrum.bin there
      as a fuzzing seed)
  python3 -B -m tests.dump.tool_test --captures DIRECTORY posix|windows   (writes a tree of
      captures for the manual's recipes to run over, and what they should leave, for
      tests/packaging's walks)
"""
import fcntl
import os
import pty
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

from tests.frames import EXAMPLE, FIELDS, SIXTEEN, WORKED, frame

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
    *[(f"{n}-byte file", frame(WORKED)[:n], CANNOT_READ_HEADER, 1) for n in range(48)],
    ("worked example", frame(WORKED), WORKED_REPORT, 0),
    case("zero samples in a bare header", [], [listing(0, [])], 0, frame_size=48, range_size=0),
    case("4 x 4 lists all sixteen", SIXTEEN, [listing(16, SIXTEEN_TEXT)], 0, **FOUR_BY_FOUR),
    case("20 x 64 lists the first sixteen of a file holding only those", SIXTEEN,
         [listing(16, SIXTEEN_TEXT)], 0, frame_size=5168, range_size=20, doppler_size=64),
    *[case(f"payload cut inside sample {k}", SIXTEEN, [listing(16, SIXTEEN_TEXT[:k]), ("err", f"Cannot read {k}\n")],
           1, cut=48 + 4 * k + 1 + k % 3, **FOUR_BY_FOUR) for k in range(16)],
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
# (samples in the frame, bytes the tool takes): the header, then the samples it lists.
READ_LIMITS = [([], 48), (WORKED[:2], 56), (SIXTEEN, 112)]
# Write errors are not detected and leave the status as it is, but SIGPIPE ends the tool when its
# reader is gone, as it ends any filter: (name, what the tool's process does first, status).
WRITE_ERRORS = [("closed standard output", lambda: os.close(1), 0),
                ("reader gone", None, -signal.SIGPIPE),
                ("reader gone, SIGPIPE ignored", lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN), 0),
                ("full disk", lambda: os.dup2(os.open("/dev/full", os.O_WRONLY), 1), 0)]


def read_terminal(master, enough, timeout):
    """What the tool writes to its terminal until `enough` says so, the tool closes it, or the
    time is up."""
    text, deadline = b"", time.monotonic() + timeout
    while not enough(text) and select.select([master], [], [], max(0, deadline - time.monotonic()))[0]:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # the tool is gone and its end of the terminal closed
            break
        if not chunk:
            break
        text += chunk
    return text


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
CAPTURES = [(".", "worked example"), ("run 1 & (b) 50%", "payload cut inside sample 4"),
            ("run 1 & (b) 50%/short", "20-byte file"), ("été", "4 x 4 lists all sixteen"),
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


class Harness:
    def __init__(self, command, windows):
        self.command, self.newline = command, "\r\n" if windows else "\n"
        self.passed = self.failed = 0

    def check(self, name, got, want):
        ok = got == want
        self.passed, self.failed = self.passed + ok, self.failed + (not ok)
        print(f"ok: {name}" if ok else f"FAIL: {name}\n  want {want!r}\n  got  {got!r}")

    def run(self, cwd, content, args=(), **streams):
        """Puts `content` in place as spectrum.bin in `cwd`, then runs the tool there."""
        writer = place(cwd, content)
        result = subprocess.run(self.command + list(args), cwd=cwd, stdin=subprocess.DEVNULL,
                                timeout=120, check=False, **streams)
        if writer:
            writer.join()
        return result

    def run_case(self, name, content, writes, status, args=()):
        def text(streams):
            return "".join(t for s, t in writes if s in streams).replace("\n", self.newline).encode()

        with tempfile.TemporaryDirectory() as cwd:
            apart = self.run(cwd, content, args, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            self.check(f"{name} (streams apart)", (apart.stdout, apart.stderr, apart.returncode),
                       (text({"out"}), text({"err"}), status))
            shared = self.run(cwd, content, args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.check(f"{name} (one pipe)", (shared.stdout, shared.returncode), (text({"out", "err"}), status))

    def run_read_limit(self, samples, taken):
        """From a FIFO holding more, the tool takes the header and the samples it lists, and leaves
        the rest to the FIFO's next reader."""
        content = frame(samples, frame_size=48 + 4 * len(samples), range_size=len(samples), doppler_size=1)
        with tempfile.TemporaryDirectory() as cwd:
            path = os.path.join(cwd, "spectrum.bin")
            os.mkfifo(path)
            fifo = os.open(path, os.O_RDWR)  # lets the tool's open through, and tells what is left
            os.write(fifo, content + bytes(64))
            self.run(cwd, None, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            left = struct.unpack("i", fcntl.ioctl(fifo, termios.FIONREAD, bytes(4)))[0]
            os.close(fifo)
        self.check(f"{len(samples)} samples from a FIFO: takes {taken} bytes", len(content) + 64 - left, taken)

    def run_on_terminal(self):
        """On a terminal each line shows as soon as its bytes are there: the header report and the
        first two samples arrive while the FIFO still holds back the rest."""
        master, terminal = pty.openpty()
        attributes = termios.tcgetattr(terminal)
        attributes[1] &= ~termios.OPOST  # the terminal passes "\n" as it is
        termios.tcsetattr(terminal, termios.TCSANOW, attributes)
        content, expected = frame(WORKED), WORKED_OUTPUT.encode()
        sent = 48 + 2 * 4  # the header and samples 0 and 1
        early = expected[:expected.index(b"  [2] = ")]
        with tempfile.TemporaryDirectory() as cwd:
            path = os.path.join(cwd, "spectrum.bin")
            os.mkfifo(path)
            tool = subprocess.Popen(self.command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=terminal,
                                    stderr=terminal)
            os.close(terminal)
            with open(path, "wb", buffering=0) as fifo:
                fifo.write(content[:sent])
                before = read_terminal(master, lambda text: len(text) >= len(early), timeout=10)
                fifo.write(content[sent:])
            after = read_terminal(master, lambda text: False, timeout=120)
            tool.wait()
        os.close(master)
        self.check("on a terminal, each line shows before the next sample arrives", before, early)
        self.check("on a terminal, the whole report", (before + after, tool.returncode), (expected, 0))

    def run_write_error(self, name, preexec, status):
        reader, writer = os.pipe()
        os.close(reader)
        with tempfile.TemporaryDirectory() as cwd:
            result = self.run(cwd, frame(WORKED), stdout=writer, stderr=subprocess.PIPE, preexec_fn=preexec)
        os.close(writer)
        self.check(name, (result.stderr, result.returncode), (b"", status))


def main(command):
    if command[0] == "--corpus":
        os.makedirs(command[1], exist_ok=True)
        for name, content, *_ in CASES[1:]:
            with open(os.path.join(command[1], name.replace(" ", "-")), "wb") as f:
                f.write(content)
        return 0
    if command[0] == "--captures":
        write_captures(command[1], command[2] == "windows")
        return 0
    command[-1] = os.path.abspath(command[-1])  # each run has a scratch directory of its own
    windows = command[-1].endswith(".exe")
    harness = Harness(command, windows)
    for row in CASES + (WINDOWS_CASES if windows else POSIX_CASES):
        harness.run_case(*row)
    if not windows:
        for samples, taken in READ_LIMITS:
            harness.run_read_limit(samples, taken)
        harness.run_on_terminal()
    for row in [] if windows else WRITE_ERRORS:
        harness.run_write_error(*row)
    # The shipped example and its report, and the report README.md shows, are the worked example's.
    examples = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
    for name, want in (("spectrum.bin", EXAMPLE),
                       ("spectrum.txt", WORKED_OUTPUT.encode())):
        with open(os.path.join(examples, name), "rb") as f:
            harness.check(f"shipped examples/{name}", f.read(), want)
    with open(os.path.join(examples, "..", "README.md"), encoding="utf-8") as f:
        shown = "".join(f"    {line}" for line in WORKED_OUTPUT.splitlines(True))
        harness.check("README.md shows the example's report", shown in f.read(), True)
    print(f"{harness.passed} passed, {harness.failed} failed")
    return 1 if harness.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
