#!/usr/bin/env python3
"""Writes a seeded, realistic web tree for the benchmark: folders a few levels
deep, a mix of page, script and other files, sizes mostly 1-30 KB with a few
of several MB, CR LF and LF files, a fraction infected with the appended
block, some read-only.

    gen_tree.py --files N [--seed S] [--infected F] OUT
"""
import argparse
import os
import random
import stat

MATCHING = [".htm", ".html", ".hta", ".vbs", ".htt"]
OTHER = [".css", ".js", ".png", ".txt", ".php", ".jpg", ".json"]
BLOCK = [
    "<script language=VBScript>",
    "On Error Resume Next",
    "Rem I am sorry! happy time",
    'Set fso = CreateObject("Scripting.FileSystemObject")',
    "</script>",
]
WORDS = "the site news page contact about home script style table form link".split()


def text_line(rng):
    return " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 14)))


def file_size(rng):
    if rng.random() < 0.006:
        return rng.randint(2, 6) * 1024 * 1024
    return int(min(30 * 1024, max(1024, rng.lognormvariate(8.6, 0.7))))


def page_bytes(rng, size, infected):
    eol = "\r\n" if rng.random() < 0.5 else "\n"
    lines = ["<html>"]
    length = 0
    while length < size:
        line = text_line(rng)
        lines.append(line)
        length += len(line) + len(eol)
    lines.append("</html>")
    if infected:
        lines.extend(BLOCK)
    return (eol.join(lines) + eol).encode("ascii")


def folder_of(rng, index, root):
    # About 20 files a folder, folders 1 to 4 levels deep with a fan-out of about 8.
    folder = index // 20
    parts = []
    while True:
        parts.append("d%d" % (folder % 8))
        folder //= 8
        if folder == 0 or len(parts) == 4:
            break
    return os.path.join(root, *parts, "f%d" % (index // 20))


def keep_pristine(root, path, data):
    """Keeps the infected original beside the tree, so a cleaning run can be undone."""
    copy = os.path.join(root + ".pristine", os.path.relpath(path, root))
    os.makedirs(os.path.dirname(copy), exist_ok=True)
    with open(copy, "wb") as out:
        out.write(data)


def generate(root, files, seed, infected_fraction):
    rng = random.Random(seed)
    counts = {"matching": 0, "infected": 0, "bytes": 0, "matching_bytes": 0}
    for index in range(files):
        folder = folder_of(rng, index, root)
        os.makedirs(folder, exist_ok=True)
        matching = rng.random() < 0.37
        ext = rng.choice(MATCHING if matching else OTHER)
        infected = matching and rng.random() < infected_fraction
        data = page_bytes(rng, file_size(rng), infected)
        path = os.path.join(folder, "p%d%s" % (index, ext))
        with open(path, "wb") as out:
            out.write(data)
        if infected:
            keep_pristine(root, path, data)
        if rng.random() < 0.01:
            os.chmod(path, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        counts["matching"] += matching
        counts["infected"] += infected
        counts["bytes"] += len(data)
        counts["matching_bytes"] += len(data) if matching else 0
    return counts


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--files", type=int, required=True)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--infected", type=float, default=0.005)
    parser.add_argument("out")
    args = parser.parse_args()
    counts = generate(args.out, args.files, args.seed, args.infected)
    print("%s: %d files, %d matching, %d infected, %.1f MB" % (
        args.out, args.files, counts["matching"], counts["infected"], counts["bytes"] / 1e6))


if __name__ == "__main__":
    main()
