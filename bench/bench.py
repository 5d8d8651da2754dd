#!/usr/bin/env python3
"""Times kelvane-scan side by side with the system-call floor, grep and
ripgrep on generated web trees, over several rounds in one run, and prints
medians, rates, peak memory and every ratio to the floor and to grep.

    bench.py --scanner PATH --floor PATH --peak PATH [--dir DIR] [--rounds N] [--sizes N,N]
"""
import argparse
import json
import os
import shutil
import stat
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import gen_tree  # noqa: E402

SIGNATURE = "Rem I am sorry! happy time"
MASKS = ["*.htm", "*.html", "*.hta", "*.vbs", "*.htt"]


def ensure_tree(base, files):
    """Builds the tree once and keeps it (with its counts) for later runs."""
    root = os.path.join(base, "tree-%d" % files)
    counts_file = root + ".counts"
    if not os.path.exists(counts_file):
        shutil.rmtree(root, ignore_errors=True)
        shutil.rmtree(root + ".pristine", ignore_errors=True)
        counts = gen_tree.generate(root, files, seed=files, infected_fraction=0.005)
        with open(counts_file, "w") as out:
            json.dump(counts, out)
    with open(counts_file) as counts:
        return root, json.load(counts)


def restore_infected(root):
    """Puts the infected originals back, so every cleaning run cleans the same files."""
    pristine = root + ".pristine"
    for folder, _, names in os.walk(pristine):
        for name in names:
            source = os.path.join(folder, name)
            target = os.path.join(root, os.path.relpath(source, pristine))
            mode = os.stat(target).st_mode
            os.chmod(target, mode | stat.S_IWUSR)
            shutil.copyfile(source, target)
            os.chmod(target, mode)


def run(peak, command):
    """Wall time and peak RSS (MB) of one run, as the peak program measures them."""
    result = subprocess.run([peak] + command, stderr=subprocess.PIPE, text=True)
    if result.returncode not in (0, 1):
        sys.exit("bench: %s failed with %d" % (command[0], result.returncode))
    seconds, kilobytes = result.stderr.split("\n")[-2].split()
    return float(seconds), int(kilobytes) / 1024


def contenders(args, root):
    scanner = [args.scanner, "--file-types", " ".join(MASKS)]
    tools = [
        ("floor (system calls)", [args.floor, root], None),
        ("kelvane-scan", scanner + ["--keep-on-error", root], restore_infected),
    ]
    if "--dry-run" in subprocess.run([args.scanner, "--help"], capture_output=True,
                                     text=True).stdout:
        tools.append(("kelvane-scan --dry-run", scanner + ["--dry-run", root], None))
    includes = ["--include=" + mask for mask in MASKS]
    tools.append(("grep -rlF", ["grep", "-rlF"] + includes + ["-e", SIGNATURE, root], None))
    if shutil.which("rg"):
        globs = [arg for mask in MASKS for arg in ("-g", mask)]
        tools.append(("rg -lF -j1", ["rg", "-lF", "-j1", "--no-ignore", "--hidden"] + globs +
                      ["-e", SIGNATURE, root], None))
    return tools


def measure(args, root):
    tools = contenders(args, root)
    times = {name: [] for name, _, _ in tools}
    memory = {name: 0.0 for name, _, _ in tools}
    for round_ in range(args.rounds + 1):  # the first round only warms the cache
        for name, command, before in tools:
            if before:
                before(root)
            elapsed, rss = run(args.peak, command)
            if round_ > 0:
                times[name].append(elapsed)
                memory[name] = max(memory[name], rss)
    return [(name, statistics.median(times[name]), memory[name]) for name, _, _ in tools]


def report(files, counts, results):
    floor = results[0][1]
    grep = next(seconds for name, seconds, _ in results if name == "grep -rlF")
    print("\n%d files, %d matching (%.0f MB), %d infected; warm cache, medians" % (
        files, counts["matching"], counts["matching_bytes"] / 1e6, counts["infected"]))
    print("%-24s %9s %11s %9s %9s %9s %9s" % (
        "", "seconds", "files/s", "MB/s", "peak MB", "/floor", "/grep"))
    for name, seconds, rss in results:
        print("%-24s %9.3f %11.0f %9.1f %9.1f %9.2f %9.2f" % (
            name, seconds, counts["matching"] / seconds, counts["matching_bytes"] / 1e6 / seconds,
            rss, seconds / floor, seconds / grep))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scanner", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--peak", required=True)
    parser.add_argument("--dir", default="/var/tmp/kelvane-bench")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--sizes", default="10000,100000")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    for files in [int(size) for size in args.sizes.split(",")]:
        root, counts = ensure_tree(args.dir, files)
        report(files, counts, measure(args, root))


if __name__ == "__main__":
    main()
