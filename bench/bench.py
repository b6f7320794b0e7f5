"""What one run of spectrum_dump costs.

Scripts run the tool once per file, so the figure that matters is a whole run, start-up included.
Without options (run from the source tree: python3 -B -m bench.bench): builds Release and the
floor, a program linked and hardened as the tool is that only opens spectrum.bin and writes the
example's report, known in advance. On the shipped example it prints the instruction totals under
valgrind's callgrind (repeatable, unlike time) of the tool, the floor and
`od -A d -t f4 -N 112`, and the tool's wall time as a ratio to the floor's: the median of
alternating rounds, so that both see the same machine. --before TOOL measures an earlier build
in the same rounds.

With --check TOOL: fails when a run of TOOL on the example passes the instruction budget, or when
the count grows with the file's size or with the number of cells its header claims.
"""
import argparse
import json
import os
import re
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile

from tests.frames import SIXTEEN, frame

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EXAMPLE = os.path.join(ROOT, "examples", "spectrum.bin")
BUDGET = 80_000  # about 67 000 with libstdc++, 76 000 with libc++
# What "does not grow" allows: a longer number in the warning, where work in proportion to the
# file or the claim would be millions.
FLAT = 1_500
TIB = 1 << 40
OD = ["od", "-A", "d", "-t", "f4", "-N", "112", "spectrum.bin"]
ROUNDS, RUNS = 15, 300


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


def example_frame():
    with open(EXAMPLE, "rb") as f:
        return f.read()


def instructions(command, cwd):
    run = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + command,
                         cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                         check=False)
    found = re.search(r"Collected : (\d+)", run.stderr)
    if not found:
        sys.exit(f"callgrind gave no count for {command}:\n{run.stderr}")
    return int(found.group(1))


def wall_time(command, cwd):
    """Mean seconds per run over RUNS runs, as hyperfine measures it without a shell."""
    with tempfile.NamedTemporaryFile(suffix=".json") as report:
        subprocess.run(["hyperfine", "-N", "--warmup", "20", "--runs", str(RUNS), "--export-json",
                        report.name, "--style", "none", shlex.join(command)],
                       cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return json.load(report)["results"][0]["mean"]


def check(tool, work):
    content = example_frame()
    counts = {
        "example": instructions([tool], scratch(work, "example", content)),
        "example in 1 TiB": instructions([tool], scratch(work, "sparse", content, TIB)),
        "17 cells claimed": instructions([tool], scratch(work, "claim17", inconsistent_frame(1, 17))),
        "2^40 x 2^40 claimed, 1 TiB": instructions(
            [tool], scratch(work, "claim2to80", inconsistent_frame(1 << 40, 1 << 40), TIB)),
    }
    for name, count in counts.items():
        print(f"{name}: {count} instructions")
    # Like against like: the same report from a far larger file, and the same listing of sixteen
    # samples with its warning, whatever the claim.
    checks = [(f"the example within {BUDGET}", counts["example"] <= BUDGET)] + [
        (f"{large} within {FLAT} of {small}", counts[large] <= counts[small] + FLAT)
        for small, large in (("example", "example in 1 TiB"),
                             ("17 cells claimed", "2^40 x 2^40 claimed, 1 TiB"))]
    for name, ok in checks:
        print(f"{'ok' if ok else 'FAIL'}: {name}")
    failed = sum(not ok for _, ok in checks)
    print(f"{len(checks) - failed} passed, {failed} failed")
    return 1 if failed else 0


def report(work, before):
    # A loop of Python's own would add its fork and exec to both sides and pull the ratio to 1.
    if not shutil.which("hyperfine"):
        sys.exit("the bench needs hyperfine (Debian: sudo apt-get install hyperfine)")
    build = os.path.join(ROOT, "build", "release")
    subprocess.run(["cmake", "--preset", "release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "release", "--target", "spectrum_dump", "cost_floor"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    programs = {"spectrum_dump": [os.path.join(build, "spectrum_dump")],
                "floor": [os.path.join(build, "cost_floor")]}
    if before:
        programs["before"] = [before]
    directory = scratch(work, "example", example_frame())
    # Alternating rounds, each in the other order from the last: a slow spell of the machine,
    # or an advantage of going first, falls on every program alike.
    times = {name: [] for name in programs}
    for round_number in range(ROUNDS):
        for name, command in list(programs.items())[::-1 if round_number % 2 else 1]:
            times[name].append(wall_time(command, directory))
    print(f"{'on the example':<24}{'instructions':>14}{'wall/run':>11}{'ratio to floor':>16}")
    for name, command in list(programs.items()) + [("od", OD)]:
        ratio = (f"{statistics.median(t / f for t, f in zip(times[name], times['floor'])):.3f}x"
                 if name in times else "")
        wall = f"{statistics.median(times[name]) * 1e6:.0f}us" if name in times else ""
        print(f"{name:<24}{instructions(command, directory):>14,}{wall:>11}{ratio:>16}")
    print(f"wall time: median of {ROUNDS} alternating rounds of {RUNS} runs each")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", metavar="TOOL", help="check TOOL against the budget instead")
    parser.add_argument("--before", metavar="TOOL", help="also measure TOOL, an earlier build")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        if args.check:
            return check(os.path.abspath(args.check), work)
        return report(work, args.before and os.path.abspath(args.before))


if __name__ == "__main__":
    sys.exit(main())
