#!/usr/bin/env python3
"""Runs the built spectrum_dump in scratch directories and compares standard output, standard
error and the exit status exactly: each stream apart, and both through one pipe, where their
order matters.

COMMAND is the tool, optionally behind a launcher (an emulator such as Wine, or valgrind). With
--windows the tool is a Windows console program: every "\\n" it writes arrives as "\\r\\n", and
POSIX-only cases are skipped.
"""
import argparse
import os
import signal
import struct
import subprocess
import sys
import tempfile
import threading
import time

HEADER = struct.Struct("<QQf4sQQff")
assert HEADER.size == 48


def frame(frame_size=72, radar_time_us=500, azimuth_deg=12.5, range_size=2, doppler_size=3,
          range_step_m=0.25, velocity_step_m_s=0.1, padding=b"\x0d\x0a\x1a\x00", samples=()):
    """A header built from field values, then the given samples as little-endian binary32."""
    return HEADER.pack(frame_size, radar_time_us, azimuth_deg, padding, range_size, doppler_size,
                       range_step_m, velocity_step_m_s) + struct.pack(f"<{len(samples)}f", *samples)


def report(frame_size=72, radar_time_us=500, azimuth_deg="12.5", range_size=2, doppler_size=3,
           range_step_m="0.25", velocity_step_m_s="0.1"):
    """The seven header lines, for the defaults of frame()."""
    return (f"frame_size: {frame_size}\nradar_time_us: {radar_time_us}\nazimuth_deg: {azimuth_deg}\n"
            f"range_size: {range_size}\ndoppler_size: {doppler_size}\n"
            f"range_step_m: {range_step_m}\nvelocity_step_m_s: {velocity_step_m_s}\n")


def listing(count, values):
    lines = "".join(f"  [{i}] = {v}\n" for i, v in enumerate(values))
    return f"First {count} spectrum samples:\n{lines}"


def out(text):
    return ("out", text)


def err(text):
    return ("err", text)


# Sixteen samples whose texts are distinct and exact: 1, 2, ..., 16 halved.
SIXTEEN = [i / 2 for i in range(1, 17)]
SIXTEEN_TEXT = [f"{v:g}" for v in SIXTEEN]
WORKED = [1.0, 0.5, -3.25, 1e-7, 0.0, 1 / 3]
WORKED_TEXT = ["1", "0.5", "-3.25", "1e-07", "0", "0.333333"]
NO_FILE = object()
DIRECTORY = object()
CANNOT_OPEN = "Cannot open: spectrum.bin\n"
CANNOT_READ_HEADER = "Cannot read frame header\n"
TWO_62 = 1 << 62
MAX = (1 << 64) - 1

# (name, content of spectrum.bin, expected writes in program order, exit status)
CASES = [
    ("no file", NO_FILE, [err(CANNOT_OPEN)], 1),
    *[(f"{n}-byte file", frame(samples=WORKED)[:n], [err(CANNOT_READ_HEADER)], 1) for n in range(48)],
    ("worked example", frame(samples=WORKED), [out(report() + listing(6, WORKED_TEXT))], 0),
    ("zero samples in a bare header", frame(frame_size=48, range_size=0),
     [out(report(frame_size=48, range_size=0) + listing(0, []))], 0),
    ("zero doppler cells", frame(frame_size=48, doppler_size=0, samples=WORKED),
     [out(report(frame_size=48, doppler_size=0) + listing(0, []))], 0),
    ("4 x 4 lists all sixteen", frame(frame_size=112, range_size=4, doppler_size=4, samples=SIXTEEN),
     [out(report(frame_size=112, range_size=4, doppler_size=4) + listing(16, SIXTEEN_TEXT))], 0),
    ("20 x 64 lists the first sixteen of a file holding only those",
     frame(frame_size=5168, range_size=20, doppler_size=64, samples=SIXTEEN),
     [out(report(frame_size=5168, range_size=20, doppler_size=64) + listing(16, SIXTEEN_TEXT))], 0),
    *[(f"payload cut inside sample {k}",
       frame(frame_size=112, range_size=4, doppler_size=4, samples=SIXTEEN)[:48 + 4 * k + 1 + k % 3],
       [out(report(frame_size=112, range_size=4, doppler_size=4) + listing(16, SIXTEEN_TEXT[:k])),
        err(f"Cannot read {k}\n")], 1) for k in range(16)],
    ("frame of 10 holding 6", frame(frame_size=88, range_size=2, doppler_size=5, samples=WORKED),
     [out(report(frame_size=88, range_size=2, doppler_size=5) + listing(10, WORKED_TEXT)),
      err("Cannot read 6\n")], 1),
    ("frame_size smaller than expected",
     frame(frame_size=100, range_size=4, doppler_size=4, samples=SIXTEEN),
     [out(report(frame_size=100, range_size=4, doppler_size=4)),
      err("Warning: frame_size 100 != expected 112\n"), out(listing(16, SIXTEEN_TEXT))], 0),
    ("frame_size larger than expected", frame(frame_size=200, samples=WORKED),
     [out(report(frame_size=200)), err("Warning: frame_size 200 != expected 72\n"),
      out(listing(6, WORKED_TEXT))], 0),
    ("warning, heading, listing and read failure in order",
     frame(frame_size=60, range_size=2, doppler_size=5, samples=WORKED[:4]),
     [out(report(frame_size=60, range_size=2, doppler_size=5)),
      err("Warning: frame_size 60 != expected 88\n"), out(listing(10, WORKED_TEXT[:4])),
      err("Cannot read 4\n")], 1),
    ("sample count past 64 bits is no empty frame", frame(frame_size=48, range_size=TWO_62, doppler_size=4),
     [out(report(frame_size=48, range_size=TWO_62, doppler_size=4)),
      err("Warning: frame_size 48 != expected 73786976294838206512\n"), out(listing(16, [])),
      err("Cannot read 0\n")], 1),
    ("expected size past 64 bits", frame(frame_size=48, range_size=TWO_62, doppler_size=1),
     [out(report(frame_size=48, range_size=TWO_62, doppler_size=1)),
      err("Warning: frame_size 48 != expected 18446744073709551664\n"), out(listing(16, [])),
      err("Cannot read 0\n")], 1),
    ("largest dimensions", frame(frame_size=MAX, range_size=MAX, doppler_size=MAX, samples=SIXTEEN),
     [out(report(frame_size=MAX, range_size=MAX, doppler_size=MAX)),
      err(f"Warning: frame_size {MAX} != expected 1361129467683753853705924477137396432948\n"),
      out(listing(16, SIXTEEN_TEXT))], 0),
    # 0x0D 0x0A and 0x1A must pass untranslated and must not end the read on any platform.
    ("line-end and end-of-file bytes are data",
     frame(frame_size=0x0A0D1A, radar_time_us=0x1A0A0D1A0A0D, azimuth_deg=struct.unpack("<f", b"\x0d\x0a\x1a\x40")[0],
           range_size=1, doppler_size=1, samples=[struct.unpack("<f", b"\x1a\x0d\x0a\x3f")[0]]),
     [out(report(frame_size=0x0A0D1A, radar_time_us=0x1A0A0D1A0A0D, azimuth_deg="2.40686",
                 range_size=1, doppler_size=1)),
      err("Warning: frame_size 658714 != expected 52\n"), out(listing(1, ["0.539262"]))], 0),
    ("infinities print as words", frame(frame_size=56, range_size=2, doppler_size=1,
                                        azimuth_deg=float("inf"), samples=[float("-inf"), float("inf")]),
     [out(report(frame_size=56, range_size=2, doppler_size=1, azimuth_deg="inf") +
          listing(2, ["-inf", "inf"]))], 0),
]

DIRECTORY_CASES = {
    # A directory opens on POSIX systems and the read then fails; Windows refuses the open.
    False: ("directory named spectrum.bin", DIRECTORY, [err(CANNOT_READ_HEADER)], 1),
    True: ("directory named spectrum.bin", DIRECTORY, [err(CANNOT_OPEN)], 1),
}


class Harness:
    def __init__(self, command, windows):
        self.command = command
        self.newline = "\r\n" if windows else "\n"
        self.passed = 0
        self.failed = 0
        self.skipped = 0

    def text(self, writes, streams):
        joined = "".join(t for s, t in writes if s in streams)
        return joined.replace("\n", self.newline).encode()

    def run(self, cwd, args=(), **streams):
        return subprocess.run(self.command + list(args), cwd=cwd, stdin=subprocess.DEVNULL,
                              timeout=120, check=False, **streams)

    def check(self, name, got, want):
        if got == want:
            self.passed += 1
            print(f"ok: {name}")
        else:
            self.failed += 1
            print(f"FAIL: {name}\n  want {want!r}\n  got  {got!r}")

    def skip(self, name, why):
        self.skipped += 1
        print(f"skipped: {name}: {why}")

    def case(self, name, content, writes, status, args=()):
        with tempfile.TemporaryDirectory() as cwd:
            path = os.path.join(cwd, "spectrum.bin")
            if content is DIRECTORY:
                os.mkdir(path)
            elif content is not NO_FILE:
                with open(path, "wb") as f:
                    f.write(content)
            apart = self.run(cwd, args, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            self.check(f"{name} (streams apart)", (apart.stdout, apart.stderr, apart.returncode),
                       (self.text(writes, {"out"}), self.text(writes, {"err"}), status))
            shared = self.run(cwd, args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.check(f"{name} (one pipe)", (shared.stdout, shared.returncode),
                       (self.text(writes, {"out", "err"}), status))

    def shipped_example(self):
        path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                            "spectrum.bin")
        with open(path, "rb") as f:
            self.check("shipped example is the worked example", f.read(),
                       frame(padding=bytes(4), samples=WORKED))

    def arguments_ignored(self):
        self.case("arguments are ignored", frame(samples=WORKED),
                  [out(report() + listing(6, WORKED_TEXT))], 0, args=["other.bin", "--help", "-"])

    def header_in_pieces_from_a_fifo(self):
        """A header that arrives in pieces is one read request and not a short file."""
        with tempfile.TemporaryDirectory() as cwd:
            path = os.path.join(cwd, "spectrum.bin")
            os.mkfifo(path)
            tool = subprocess.Popen(self.command, cwd=cwd, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            content = frame(samples=WORKED)

            def write_in_pieces():
                with open(path, "wb", buffering=0) as fifo:
                    for start in range(0, len(content), 5):
                        fifo.write(content[start:start + 5])
                        time.sleep(0.01)

            writer = threading.Thread(target=write_in_pieces)
            writer.start()
            stdout, stderr = tool.communicate(timeout=120)
            writer.join()
            self.check("header in pieces from a FIFO", (stdout, stderr, tool.returncode),
                       (self.text([out(report() + listing(6, WORKED_TEXT))], {"out"}), b"", 0))

    def write_errors(self):
        """Write errors are not detected and leave the status as it is, except that on a pipe
        whose reader is gone SIGPIPE ends the tool, as it ends any filter."""
        def closed_pipe():
            reader, writer = os.pipe()
            os.close(reader)
            return writer

        ignore_sigpipe = lambda: signal.signal(signal.SIGPIPE, signal.SIG_IGN)  # noqa: E731
        cases = [("closed standard output", None, lambda: os.close(1), 0),
                 ("reader gone", closed_pipe(), None, -signal.SIGPIPE),
                 ("reader gone, SIGPIPE ignored", closed_pipe(), ignore_sigpipe, 0)]
        with tempfile.TemporaryDirectory() as cwd:
            with open(os.path.join(cwd, "spectrum.bin"), "wb") as f:
                f.write(frame(samples=WORKED))
            for name, stdout, preexec, status in cases:
                result = subprocess.run(self.command, cwd=cwd, stdin=subprocess.DEVNULL,
                                        stdout=stdout, stderr=subprocess.PIPE,
                                        preexec_fn=preexec, timeout=120, check=False)
                if stdout is not None:
                    os.close(stdout)
                self.check(name, (result.stderr, result.returncode), (b"", status))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--windows", action="store_true",
                        help="the tool is a Windows console program: lines end in \\r\\n")
    parser.add_argument("--only", action="append", metavar="CASE", help="run only these cases")
    parser.add_argument("command", nargs=argparse.REMAINDER, help="the tool, behind a launcher if any")
    args = parser.parse_args()
    if not args.command:
        parser.error("no command")
    harness = Harness(args.command, args.windows)
    wanted = lambda name: not args.only or name in args.only  # noqa: E731
    for case in CASES + [DIRECTORY_CASES[args.windows]]:
        if wanted(case[0]):
            harness.case(*case)
    checks = {"arguments are ignored": harness.arguments_ignored,
              "shipped example is the worked example": harness.shipped_example}
    posix_only = {"header in pieces from a FIFO": harness.header_in_pieces_from_a_fifo,
                  "write errors": harness.write_errors}
    for name, run in (checks | posix_only).items():
        if not wanted(name):
            continue
        if args.windows and name in posix_only:
            harness.skip(name, "needs a FIFO and POSIX descriptors")
        else:
            run()
    print(f"{harness.passed} passed, {harness.failed} failed, {harness.skipped} skipped")
    return 1 if harness.failed or not harness.passed else 0


if __name__ == "__main__":
    sys.exit(main())
