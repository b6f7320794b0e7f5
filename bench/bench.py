#!/usr/bin/env python3
"""What one run of spectrum_dump costs.

Nearly all of a run's cost is process start-up, and scripts run the tool once per file, so the
figure that matters is the whole run's instruction count, as valgrind's callgrind counts it
(repeatable, unlike time). Without options: builds Release, then prints for the shipped example
and for the same frame in a 1 TiB sparse file the tool's instruction total, that of
`od -A d -t f4 -N 112` on the same file, their ratio, and the wall time per run of each.

With --check TOOL: fails when a run of TOOL on the example passes the instruction budget, or when
the count grows with the file's size or with the number of cells its header claims.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from tests.frames import SIXTEEN, frame

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLE = os.path.join(ROOT, "examples", "spectrum.bin")
BUDGET = 185_000
FLAT = 0.01  # what "does not grow" allows
TIB = 1 << 40
OD = ["od", "-A", "d", "-t", "f4", "-N", "112", "spectrum.bin"]


def inconsistent_frame(range_size, doppler_size):
    """A header claiming range_size x doppler_size cells, with sixteen samples."""
    return frame(frame_size=48, range_size=range_size, doppler_size=doppler_size, samples=SIXTEEN)


def scratch(parent, name, content, size=None):
    """A directory holding spectrum.bin with `content`, extended to `size` bytes as a hole."""
    directory = os.path.join(parent, name)
    os.mkdir(directory)
    with open(os.path.join(directory, "spectrum.bin"), "wb") as f:
        f.write(content)
        if size is not None:
            f.truncate(size)
    return directory


def instructions(command, cwd):
    run = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + command,
                         cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                         check=False)
    found = re.search(r"Collected : (\d+)", run.stderr)
    if not found:
        sys.exit(f"callgrind gave no count for {command}:\n{run.stderr}")
    return int(found.group(1))


def wall_time(command, cwd, runs=2000):
    """Mean seconds per run: hyperfine's when installed, else a timed loop."""
    if shutil.which("hyperfine"):
        with tempfile.NamedTemporaryFile(suffix=".json") as report:
            subprocess.run(["hyperfine", "-N", "--warmup", "50", "--runs", str(runs), "--export-json",
                            report.name, "--style", "none", " ".join(command)],
                           cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            return float(re.search(r'"mean":\s*([0-9.e-]+)', open(report.name).read()).group(1))
    start = time.perf_counter()
    for _ in range(runs):
        subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.perf_counter() - start) / runs


def check(tool, work):
    with open(EXAMPLE, "rb") as f:
        example = f.read()
    counts = {
        "example": instructions([tool], scratch(work, "example", example)),
        "example in 1 TiB": instructions([tool], scratch(work, "sparse", example, TIB)),
        "17 cells claimed": instructions([tool], scratch(work, "claim17", inconsistent_frame(1, 17))),
        "2^40 x 2^40 claimed, 1 TiB": instructions(
            [tool], scratch(work, "claim2to80", inconsistent_frame(1 << 40, 1 << 40), TIB)),
    }
    for name, count in counts.items():
        print(f"{name}: {count} instructions")
    # Like against like: the same report from a far larger file, and the same listing of sixteen
    # samples with its warning, whatever the claim.
    checks = [(f"the example within {BUDGET}", counts["example"] <= BUDGET)] + [
        (f"{large} within 1% of {small}", counts[large] <= counts[small] * (1 + FLAT))
        for small, large in (("example", "example in 1 TiB"),
                             ("17 cells claimed", "2^40 x 2^40 claimed, 1 TiB"))]
    for name, ok in checks:
        print(f"{'ok' if ok else 'FAIL'}: {name}")
    failed = sum(not ok for _, ok in checks)
    print(f"{len(checks) - failed} passed, {failed} failed")
    return 1 if failed else 0


def report(work):
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    tool = os.path.join(ROOT, "build", "release", "spectrum_dump")
    with open(EXAMPLE, "rb") as f:
        example = f.read()
    print(f"{'file':<18}{'spectrum_dump':>15}{'od':>12}{'ratio':>8}{'tool/run':>12}{'od/run':>12}")
    for name, size in (("example", None), ("1 TiB sparse", TIB)):
        directory = scratch(work, name.replace(" ", "-"), example, size)
        tool_count, od_count = instructions([tool], directory), instructions(OD, directory)
        tool_time, od_time = wall_time([tool], directory), wall_time(OD, directory)
        print(f"{name:<18}{tool_count:>15,}{od_count:>12,}{od_count / tool_count:>7.1f}x"
              f"{tool_time * 1e6:>10.0f}us{od_time * 1e6:>10.0f}us")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", metavar="TOOL", help="check TOOL against the budget instead")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        return check(os.path.abspath(args.check), work) if args.check else report(work)


if __name__ == "__main__":
    sys.exit(main())
