#!/usr/bin/env python3
"""Times kelvane-scan, searching on one thread and on its default threads,
side by side with the system-call floor, grep and ripgrep on generated web
trees, over several rounds in one run, with a warm page cache and then a
cold one (dropped before every run), and prints medians, rates, peak memory,
every ratio to the floors, grep and rg, and the dry run against rg and the
real scan against the dry run at the same threads. With --callgrind it
counts kelvane-scan's user-space instructions per matching byte instead.

    bench.py --scanner PATH --floor PATH --peak PATH [--dir DIR] [--rounds N] [--sizes N,N]
             [--cache warm|cold|both | --callgrind]
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


def drop_caches():
    subprocess.run(["sync"], check=True)
    with open("/proc/sys/vm/drop_caches", "w") as caches:
        caches.write("3\n")


def scans(args, root):
    scanner = [args.scanner, "--file-types", " ".join(MASKS)]
    return [(name + suffix, scanner + jobs + [mode, root])
            for name, jobs in (("kelvane-scan --jobs 1", ["--jobs", "1"]), ("kelvane-scan", []))
            for suffix, mode in (("", "--keep-on-error"), (" --dry-run", "--dry-run"))]


# Each pair side by side at the same number of search threads.
PAIRS = [
    ("dry run / rg, 1 thread", "kelvane-scan --jobs 1 --dry-run", "rg -lF -j1"),
    ("dry run / rg, default threads", "kelvane-scan --dry-run", "rg -lF"),
    ("real scan / dry run, 1 thread", "kelvane-scan --jobs 1", "kelvane-scan --jobs 1 --dry-run"),
    ("real scan / dry run, default threads", "kelvane-scan", "kelvane-scan --dry-run"),
]


def contenders(args, root):
    tools = [
        ("floor (system calls)", [args.floor, root]),
        # The same calls, each walking the file's full path as a call by path does.
        ("floor by full paths", [args.floor, "--full-paths", root]),
        # The floor of a cleaning that rewrites each infected file durably.
        ("floor + safe rewrites", [args.floor, "--rewrite", root]),
    ] + scans(args, root)
    includes = ["--include=" + mask for mask in MASKS]
    tools.append(("grep -rlF", ["grep", "-rlF"] + includes + ["-e", SIGNATURE, root]))
    if shutil.which("rg"):
        globs = [arg for mask in MASKS for arg in ("-g", mask)]
        for name, jobs in (("rg -lF -j1", ["-j1"]), ("rg -lF", [])):
            tools.append((name, ["rg", "-lF"] + jobs + ["--no-ignore", "--hidden"] + globs +
                          ["-e", SIGNATURE, root]))
    return tools


def measure(args, root, cold):
    tools = contenders(args, root)
    times = {name: [] for name, _ in tools}
    memory = {name: 0.0 for name, _ in tools}
    warmup = 0 if cold else 1  # a first round that only fills the cache
    for round_ in range(warmup + args.rounds):
        for name, command in tools:
            restore_infected(root)  # every run meets the same infected files
            if cold:
                drop_caches()
            else:
                os.sync()  # no writeback of an earlier run's changes during this one
            elapsed, rss = run(args.peak, command)
            if round_ >= warmup:
                times[name].append(elapsed)
                memory[name] = max(memory[name], rss)
    return [(name, times[name], memory[name]) for name, _ in tools]


def ratio(times, base_times):
    """The median of the rounds' ratios: the machine's speed drifts from round
    to round, and runs of one round are the ones side by side."""
    return statistics.median(t / base for t, base in zip(times, base_times))


def report(files, counts, results, cache):
    rounds = {name: times for name, times, _ in results}
    bases = [("/floor", "floor (system calls)"), ("/floor+rw", "floor + safe rewrites"),
             ("/grep", "grep -rlF"), ("/rg", "rg -lF -j1")]
    bases = [(label, rounds[name]) for label, name in bases if name in rounds]
    print("\n%d files, %d matching (%.0f MB), %d infected; %s cache; %d cores; medians of %d "
          "rounds, ratios the median of each round's" % (
              files, counts["matching"], counts["matching_bytes"] / 1e6, counts["infected"],
              cache, os.cpu_count(), len(results[0][1])))
    print("%-24s %8s %9s %7s %8s" % ("", "seconds", "files/s", "MB/s", "peak MB") +
          "".join(" %9s" % label for label, _ in bases))
    for name, times, rss in results:
        seconds = statistics.median(times)
        print("%-24s %8.3f %9.0f %7.1f %8.1f" % (
            name, seconds, counts["matching"] / seconds, counts["matching_bytes"] / 1e6 / seconds,
            rss) + "".join(" %9.2f" % ratio(times, base) for _, base in bases))
    for label, name, base in PAIRS:
        if name in rounds and base in rounds:
            print("%-40s %5.2f" % (label, ratio(rounds[name], rounds[base])))


def callgrind(args, root, counts):
    """User-space instructions of each scan, all libraries included, per matching byte."""
    print("\n%d matching bytes; callgrind, instructions" % counts["matching_bytes"])
    for name, command in scans(args, root):
        restore_infected(root)
        out = os.path.join(args.dir, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + command,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(out) as profile:
            total = next(int(line.split()[1]) for line in profile
                         if line.startswith(("summary:", "totals:")))
        print("%-24s %14d %8.3f per matching byte" % (name, total,
                                                     total / counts["matching_bytes"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scanner", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--peak", required=True)
    parser.add_argument("--dir", default="/var/tmp/kelvane-bench")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--sizes", default="10000,100000")
    modes = parser.add_mutually_exclusive_group()
    modes.add_argument("--cache", choices=["warm", "cold", "both"], default="both")
    modes.add_argument("--callgrind", action="store_true")
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    for files in [int(size) for size in args.sizes.split(",")]:
        root, counts = ensure_tree(args.dir, files)
        if args.callgrind:
            callgrind(args, root, counts)
            continue
        for cache in ["warm", "cold"] if args.cache == "both" else [args.cache]:
            report(files, counts, measure(args, root, cache == "cold"), cache)


if __name__ == "__main__":
    main()
