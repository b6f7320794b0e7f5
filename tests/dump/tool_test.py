"""Runs the built spectrum_dump in scratch directories and compares standard output, standard
error and the exit status exactly: each stream apart, and both through one pipe.

usage, from the source tree:
  python3 -B -m tests.dump.tool_test COMMAND...   (the tool, behind a launcher such as Wine or
      valgrind; a Windows tool, whose name ends in .exe, ends its lines in \\r\\n and skips the
      POSIX-only cases)
The cases and their files are tests/fixtures.py's.
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
import time

from tests.fixtures import CASES, POSIX_CASES, WINDOWS_CASES, WORKED_OUTPUT, place
from tests.frames import EXAMPLE, SIXTEEN, WORKED, frame

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
