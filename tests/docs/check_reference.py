#!/usr/bin/env python3
"""Every exported function of the header has its reference comment (a brief, each
argument, the result unless void, the threads it may run on, its failure messages),
and every man page renders with `man -l` without a warning.

    check_reference.py HEADER MAN_ROOT...
"""
import glob
import gzip
import os
import re
import subprocess
import sys

DECLARATION = re.compile(r"^VORN_KRAVENT_API (\w+) VORN_KRAVENT_CALL (Vorn_KRAVENT_\w+)\(([^;]*)\);", re.M | re.S)


def comment_before(text, start):
    """The /** ... */ block that ends right before `start`, or None."""
    head = text[:start].rstrip()
    if not head.endswith("*/"):
        return None
    opening = head.rfind("/**")
    return head[opening:] if opening >= 0 and "*/" not in head[opening:-2] else None


def check_header(path):
    text = open(path, encoding="utf-8").read()
    faults = []
    declarations = DECLARATION.findall(text)
    for match in DECLARATION.finditer(text):
        result, name, arguments = match.groups()
        comment = comment_before(text, match.start())
        if comment is None:
            faults.append(f"{name}: no reference comment")
            continue
        parameters = [a.split()[-1].lstrip("*") for a in arguments.replace("\n", " ").split(",") if a.strip()]
        documented = re.findall(r"@param (\w+) \(", comment)
        if documented != parameters:
            faults.append(f"{name}: @param {documented} (each with its type) should be {parameters}")
        for needed in ["@brief", "@par Threads", "@par Failure messages"] + ([] if result == "void" else ["@return"]):
            if needed not in comment:
                faults.append(f"{name}: no {needed}")
    if len(declarations) != 104:
        faults.append(f"{len(declarations)} exported functions found, 104 expected")
    return faults


def check_man_pages(roots):
    faults = []
    pages = [p for root in roots for p in glob.glob(os.path.join(root, "man*", "*.[0-9]*"))]
    if not pages:
        return ["no man pages under " + " ".join(roots)]
    environment = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8", MAN_KEEP_FORMATTING="0")
    for page in sorted(pages):
        root = os.path.dirname(os.path.dirname(page))
        opener = gzip.open if page.endswith(".gz") else open
        with opener(page, "rt", encoding="utf-8") as f:
            first = f.readline().split()
        if first[:1] == [".so"]:  # a link page: it renders as its target, checked on its own
            target = os.path.join(root, first[1])
            if not (os.path.exists(target) or os.path.exists(target + ".gz")):
                faults.append(f"{page}: links to {first[1]}, which is missing")
            continue
        # From the page's man root, as man itself resolves a ".so man3/..." link page.
        run = subprocess.run(["man", "--warnings", "-l", os.path.relpath(page, root)], cwd=root, env=environment,
                             stdin=subprocess.DEVNULL, capture_output=True, text=True)
        if run.returncode != 0 or run.stderr.strip() or len(run.stdout.splitlines()) < 5:
            faults.append(f"{page}: man -l exit {run.returncode}: {run.stderr.strip()[:300]}")
    return faults


def main():
    faults = check_header(sys.argv[1]) + check_man_pages(sys.argv[2:])
    for fault in faults:
        print(fault)
    print("reference complete" if not faults else f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
