"""The mutation check behind scripts/mutate (run that: it makes sure python3 is there).

Puts one single-line fault at a time into the given sources, builds the test programs that
cover the file's folder in a build folder of its own (build-mutate/, configured once: plain,
no sanitizer), and runs them directly, each under a time limit, stopping at the first failing
test. A fault that makes a test fail or run past its limit is caught; one that every program
passes survives. A fault that does not build is not counted. The file is always put back.

Faults where behaviour is decided: comparisons moved by one or turned round, && and ||
swapped, a negation removed, a check taken out (if (...) -> if (false)), a bound moved by one
(+ 1 / - 1 dropped, a literal compared against or a named integer constant raised by one), a
result flipped (return true <-> false). Never inside string literals, comments, preprocessor
lines or printing.

Faults no test can observe are listed in scripts/mutate-equivalent, one a line:
    FILE :: ORIGINAL LINE :: MUTATED LINE :: WHY NO BEHAVIOUR CAN SHOW IT
(the lines as the check prints them, trimmed); they are left out of the score and listed apart.
"""

import argparse
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("TERN_MUTATE_BUILD_DIR", os.path.join(ROOT, "build-mutate"))
EQUIVALENT = os.path.join(ROOT, "scripts", "mutate-equivalent")
FOLDERS = ("engine", "devlink", "session")

# The test programs that cover each folder, fastest and most likely to catch first; a gtest
# filter keeps a program to the suites that exercise the folder. Measured: dropping any of
# these lets faults through that it alone catches.
PROGRAMS = {
    "engine": [
        ("engine_tests", None),
        ("player_tests", None),
        ("integration_tests", None),
        ("cli_tests", "CheckCommand*:Checksum*:ScheduleKept*:CheckDocument*:InstallTest*"),
    ],
    "devlink": [
        ("devlink_tests", None),
        ("integration_tests", None),
        ("cli_tests", "ListCommand*:ListDocument*:DeviceLink*"),
        ("ui_tests", "DialogStates*:DialogClosing*"),
    ],
    "session": [
        ("cli_tests", "InstallTest*:TernFlashProcess*"),
        ("ui_tests", "InstallRun*"),
        # Slow (a private bus, a process per limit), so last: the inhibitors' notices and
        # the moments around the lock's release, and running out of memory.
        ("cli_tests", "SleepInhibit*:TernFlashLimits*"),
    ],
}

# Lines whose faults would only change what is printed.
PRINTING = re.compile(r"\b(fprintf|printf|std::cerr|std::cout|puts|perror)\b")


# --- finding faults --------------------------------------------------------------------------


def code_mask(lines):
    """For each line, the line with string and character literals and comments blanked out
    (same length), or None for a line that holds no code to mutate."""
    masked = []
    in_block = False
    for line in lines:
        out = []
        i = 0
        n = len(line)
        while i < n:
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    in_block = False
                    out.append("  ")
                    i += 2
                else:
                    out.append(" ")
                    i += 1
                continue
            if line.startswith("//", i):
                out.append(" " * (n - i))
                break
            if line.startswith("/*", i):
                in_block = True
                out.append("  ")
                i += 2
                continue
            if c in "\"'":
                # A digit separator (1'000) is not a character literal.
                if c == "'" and i > 0 and line[i - 1].isalnum():
                    out.append(c)
                    i += 1
                    continue
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                out.append(c + "_" * (min(j, n) - i - 1) + (c if j < n else ""))
                i = j + 1
                continue
            out.append(c)
            i += 1
        text = "".join(out)[:n]
        stripped = text.strip()
        if (not stripped or stripped.startswith("#") or 'R"' in line or PRINTING.search(text)
                or "static_assert" in text):
            masked.append(None)
        else:
            masked.append(text)
    return masked


RELATIONAL = re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)")
# A comparison moved by one, or turned round.
RELATIONAL_FAULTS = {
    "<": ["<="],
    "<=": ["<"],
    ">": [">="],
    ">=": [">"],
    "==": ["!="],
    "!=": ["=="],
}
LOGICAL = re.compile(r"(?<=\s)(&&|\|\|)(?=\s)")
NEGATION = re.compile(r"(?<![\w)\]!=<>])!(?!=)")
PLUS_MINUS_ONE = re.compile(r"\s[+-] 1(?![\w.'])")
INT_LITERAL = r"(0[xX][0-9A-Fa-f']+|\d[\d']*)([uU]?[lL]{0,2}|[lL]{1,2}[uU]?)?"
COMPARED_LITERAL = re.compile(
    r"(?:(?<=\s)(?:<=|>=|==|!=|<|>)\s+" + INT_LITERAL + r"(?![\w.])|(?<![\w.])" + INT_LITERAL +
    r"\s+(?:<=|>=|==|!=|<|>)(?=\s))")
CONSTANT = re.compile(r"\bconstexpr\s+[\w:<>, ]+\s+k\w+\s*=\s*" + INT_LITERAL + r"\s*;")
RETURN_BOOL = re.compile(r"\breturn (true|false);")
IF_KEYWORD = re.compile(r"\bif\s*\(")


def raised(literal):
    digits = literal.replace("'", "")
    if digits.lower().startswith("0x"):
        value = int(digits, 16) + 1
        text = format(value, "X" if any(c in "ABCDEF" for c in digits[2:]) else "x")
        return digits[:2] + text.rjust(len(digits) - 2, "0")
    if len(digits) > 1 and digits.startswith("0"):
        return None  # octal: leave alone
    return str(int(digits) + 1)


def matching_paren(text, open_at):
    depth = 0
    for i in range(open_at, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return None


def line_faults(line, code):
    """Mutated versions of `line`, whose code (literals and comments blanked) is `code`."""
    faults = []

    def put(start, end, text):
        faults.append(line[:start] + text + line[end:])

    for m in RELATIONAL.finditer(code):
        for op in RELATIONAL_FAULTS[m.group(1)]:
            put(m.start(1), m.end(1), op)
    for m in LOGICAL.finditer(code):
        put(m.start(1), m.end(1), "||" if m.group(1) == "&&" else "&&")
    for m in NEGATION.finditer(code):
        put(m.start(), m.end(), "")
    for m in PLUS_MINUS_ONE.finditer(code):
        put(m.start(), m.end(), "")
    for m in COMPARED_LITERAL.finditer(code):
        group = 1 if m.group(1) is not None else 3
        bigger = raised(m.group(group))
        if bigger is not None:
            put(m.start(group), m.end(group), bigger)
    for m in CONSTANT.finditer(code):
        bigger = raised(m.group(1))
        if bigger is not None:
            put(m.start(1), m.end(1), bigger)
    for m in RETURN_BOOL.finditer(code):
        put(m.start(1), m.end(1), "false" if m.group(1) == "true" else "true")
    for m in IF_KEYWORD.finditer(code):
        open_at = m.end() - 1
        close_at = matching_paren(code, open_at)
        if close_at is None:
            continue  # the condition goes on over the next lines
        inner_start = open_at + 1
        # `if (init; cond)`: the declaration stays, the condition goes.
        depth = 0
        for i in range(open_at + 1, close_at):
            if code[i] in "([{":
                depth += 1
            elif code[i] in ")]}":
                depth -= 1
            elif code[i] == ";" and depth == 0:
                inner_start = i + 1
        prefix = " " if inner_start != open_at + 1 else ""
        put(inner_start, close_at, prefix + "false")
    seen = set()
    unique = []
    for f in faults:
        if f != line and f not in seen:
            seen.add(f)
            unique.append(f)
    return unique


def file_faults(path):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        lines = f.read().split("\n")
    # A line is named by its text; where that text occurs more than once in the file, by the
    # code lines before it too, as many as make it unique: "if (!length) { ## return false;".
    masks = code_mask(lines)
    code_lines = [n for n, c in enumerate(masks) if c is not None and c.strip()]
    trimmed = [line.strip() for line in lines]

    def context(index, depth):
        at = code_lines.index(index)
        return " ## ".join(trimmed[i] for i in code_lines[max(0, at - depth):at + 1])

    out = []
    for index, (line, code) in enumerate(zip(lines, masks)):
        if code is None:
            continue
        label = trimmed[index]
        depth = 0
        while depth < 8 and sum(1 for i in code_lines if context(i, depth) == label) > 1:
            depth += 1
            label = context(index, depth)
        for mutated in line_faults(line, code):
            out.append((index + 1, label, line, mutated))
    return lines, out


# --- choosing files --------------------------------------------------------------------------


def git(*args):
    return subprocess.run(["git", *args], cwd=ROOT, check=True, capture_output=True,
                          text=True).stdout


def is_source(path):
    return path.endswith((".cpp", ".h")) and path.split("/")[0] in FOLDERS


def default_files():
    listed = git("ls-files", *FOLDERS).split()
    return sorted(p for p in listed if is_source(p))


def changed_files(rev):
    if rev is None:
        head = git("rev-parse", "HEAD").strip()
        try:
            rev = git("merge-base", "HEAD", "main").strip()
        except subprocess.CalledProcessError:
            rev = head
        if rev == head:
            rev = "HEAD~1"
    names = git("diff", "--name-only", rev, "--", *FOLDERS).split()
    return sorted(p for p in names if is_source(p) and os.path.exists(os.path.join(ROOT, p)))


# --- equivalent faults -----------------------------------------------------------------------


def read_equivalents():
    entries = {}
    if not os.path.exists(EQUIVALENT):
        return entries
    with open(EQUIVALENT, encoding="utf-8") as f:
        for number, raw in enumerate(f, start=1):
            if not raw.strip() or raw.lstrip().startswith("#"):
                continue
            parts = [p.strip() for p in raw.rstrip("\n").split(" :: ")]
            if len(parts) != 4 or not parts[3]:
                sys.exit(f"{EQUIVALENT}:{number}: want FILE :: ORIGINAL :: MUTATED :: WHY")
            entries[(parts[0], parts[1], parts[2])] = [parts[3], False]
    return entries


# --- building and running --------------------------------------------------------------------


def configure():
    if os.path.exists(os.path.join(BUILD, "build.ninja")):
        return
    env = dict(os.environ, CCACHE_BASEDIR=os.path.dirname(ROOT))
    launcher = []
    if subprocess.run(["sh", "-c", "command -v ccache"], capture_output=True).returncode == 0:
        launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
    # Plain and lightly optimised: quick to rebuild, quick to run, no sanitizer. The standard
    # library's own checks turn an index moved past a table into a failure, not a quiet read
    # of whatever lies beyond it.
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=None",
                    "-DCMAKE_CXX_FLAGS=-O1 -D_GLIBCXX_ASSERTIONS", *launcher],
                   check=True, env=env, stdout=subprocess.DEVNULL)


# The child running now (a build or a test program), ended with the check on a signal.
CURRENT = []


def build(targets, quiet=True):
    env = dict(os.environ, CCACHE_BASEDIR=os.path.dirname(ROOT))
    proc = subprocess.Popen(["nice", "-n", "15", "ninja", "-C", BUILD, *targets], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors="replace", start_new_session=True)
    CURRENT[:] = [proc]
    out, _ = proc.communicate()
    CURRENT.clear()
    if proc.returncode != 0 and not quiet:
        sys.stderr.write(out[-6000:])
    return proc.returncode == 0


FAILED_TEST = re.compile(r"^\[  FAILED  \] (\S+)", re.M)


def run_program(program, gtest_filter, limit):
    """('pass'|'fail'|'timeout', seconds, first failing test or '')."""
    command = [os.path.join(BUILD, "bin", program), "--gtest_fail_fast", "--gtest_brief=1"]
    if gtest_filter:
        command.append("--gtest_filter=" + gtest_filter)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    started = time.monotonic()
    # A session of its own, so that a fault's endless loop ends with everything it started.
    proc = subprocess.Popen(command, cwd=os.path.join(BUILD, "tests"), env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors="replace", start_new_session=True)
    CURRENT[:] = [proc]
    try:
        out, _ = proc.communicate(timeout=limit)
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.communicate()
        CURRENT.clear()
        return "timeout", time.monotonic() - started, ""
    CURRENT.clear()
    elapsed = time.monotonic() - started
    if proc.returncode == 0:
        return "pass", elapsed, ""
    failed = FAILED_TEST.search(out)
    return "fail", elapsed, failed.group(1) if failed else f"exit {proc.returncode}"


# --- the check -------------------------------------------------------------------------------


class Restorer:
    """Puts a mutated file back on any way out: normal end, error, Ctrl+C, termination."""

    def __init__(self):
        self.path = None
        self.text = None
        signal.signal(signal.SIGINT, self._signal)
        signal.signal(signal.SIGTERM, self._signal)
        signal.signal(signal.SIGHUP, self._signal)

    def write(self, path, text, original):
        self.path, self.text = path, original
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def restore(self):
        if self.path is not None:
            with open(self.path, "w", encoding="utf-8") as f:
                f.write(self.text)
            self.path = None

    def _signal(self, signum, _frame):
        for proc in CURRENT:
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.restore()
        sys.stderr.write(f"\nmutate: stopped by signal {signum}; the sources are as they were\n")
        os._exit(128 + signum)


def short(text):
    return text.strip()


def main():
    parser = argparse.ArgumentParser(
        prog="scripts/mutate", description=__doc__.split("\n\n")[0],
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("files", nargs="*", metavar="FILE[:LINE]",
                        help="sources to mutate (default: every .cpp/.h of %s)" % ", ".join(FOLDERS))
    parser.add_argument("--changed", nargs="?", const="", metavar="REV",
                        help="the files changed since REV (default: the merge base with main, "
                             "or HEAD~1 on main)")
    parser.add_argument("--list", action="store_true", help="list the faults, build nothing")
    parser.add_argument("--verbose", "-v", action="store_true", help="print every fault's outcome")
    args = parser.parse_args()

    lines_wanted = {}
    if args.changed is not None:
        files = changed_files(args.changed or None)
        if not files:
            print("mutate: no source of %s changed" % ", ".join(FOLDERS))
            return 0
    elif args.files:
        files = []
        for arg in args.files:
            path, _, line = arg.partition(":")
            path = os.path.relpath(os.path.abspath(path), ROOT)
            if not is_source(path):
                sys.exit(f"mutate: {arg}: not a .cpp/.h of {', '.join(FOLDERS)}")
            if path not in files:
                files.append(path)
            if line:
                lines_wanted.setdefault(path, set()).add(int(line))
    else:
        files = default_files()

    # Sources first: a fault in a header rebuilds everything that includes it.
    files.sort(key=lambda p: (p.endswith(".h"), p))
    plan = []
    for path in files:
        _, faults = file_faults(path)
        if path in lines_wanted:
            faults = [f for f in faults if f[0] in lines_wanted[path]]
        plan.append((path, faults))
    total = sum(len(f) for _, f in plan)

    if args.list:
        for path, faults in plan:
            for number, label, _, mutated in faults:
                print(f"{path}:{number}: {label}  ->  {short(mutated)}")
        print(f"{total} faults in {len(files)} files")
        return 0

    dirty = git("status", "--porcelain", "--", *files).strip()
    if dirty:
        sys.exit("mutate: these files have uncommitted changes; commit them first:\n" + dirty)

    equivalents = read_equivalents()
    configure()
    folders = sorted({p.split("/")[0] for p in files})
    targets = sorted({prog for folder in folders for prog, _ in PROGRAMS[folder]})
    started = time.monotonic()
    print(f"mutate: building {', '.join(targets)} in {os.path.relpath(BUILD, ROOT)}/", flush=True)
    if not build(targets, quiet=False):
        sys.exit("mutate: the unmutated tree does not build")

    # Each program's time on the unmutated tree sets its limit; it must pass there.
    limits = {}
    for folder in folders:
        for prog, flt in PROGRAMS[folder]:
            if (prog, flt) in limits:
                continue
            outcome, seconds, test = run_program(prog, flt, 900)
            if outcome != "pass":
                sys.exit(f"mutate: {prog} fails on the unmutated tree ({outcome} {test})")
            limits[(prog, flt)] = max(15.0, 3 * seconds + 10)
            print(f"mutate: {prog} passes in {seconds:.1f} s; limit {limits[(prog, flt)]:.0f} s",
                  flush=True)

    restorer = Restorer()
    results = []  # (path, number, line, mutated, outcome, detail)
    done = 0
    try:
        for path, faults in plan:
            folder = path.split("/")[0]
            programs = PROGRAMS[folder]
            full = os.path.join(ROOT, path)
            with open(full, encoding="utf-8") as f:
                original = f.read()
            lines = original.split("\n")
            for number, label, line, mutated in faults:
                done += 1
                key = (path, label, short(mutated))
                if key in equivalents:
                    equivalents[key][1] = True
                    results.append((path, number, label, mutated, "equivalent", equivalents[key][0]))
                    continue
                changed = lines[:]
                changed[number - 1] = mutated
                restorer.write(full, "\n".join(changed), original)
                # Each program is built only when the ones before it passed: most faults are
                # caught by the first, and the later ones take longest to link.
                outcome, detail = "survived", ""
                for prog, flt in programs:
                    if not build([prog]):
                        outcome, detail = "unbuilt", ""
                        break
                    result, _, test = run_program(prog, flt, limits[(prog, flt)])
                    if result == "fail":
                        outcome, detail = "caught", f"{prog} {test}"
                        break
                    if result == "timeout":
                        outcome, detail = "caught", f"{prog} timed out"
                        break
                restorer.restore()
                results.append((path, number, label, mutated, outcome, detail))
                if args.verbose or outcome == "survived":
                    print(f"[{done}/{total}] {outcome:8} {path}:{number}: {label}  ->  "
                          f"{short(mutated)}" + (f"  ({detail})" if detail else ""), flush=True)
    finally:
        restorer.restore()
    # Leave the build as the tree is.
    build(targets)

    report(results, equivalents, [] if lines_wanted else files, files,
           time.monotonic() - started)
    survived = sum(1 for r in results if r[4] == "survived")
    return 1 if survived else 0


def score(rows):
    caught = sum(1 for r in rows if r[4] == "caught")
    survived = sum(1 for r in rows if r[4] == "survived")
    counted = caught + survived
    percent = f"{100.0 * caught / counted:5.1f} %" if counted else "    - "
    return caught, counted, percent, sum(1 for r in rows if r[4] == "equivalent"), \
        sum(1 for r in rows if r[4] == "unbuilt")


def report(results, equivalents, whole_files, files, seconds):
    survivors = [r for r in results if r[4] == "survived"]
    print()
    print(f"Surviving faults ({len(survivors)}):" if survivors else "No fault survived.")
    for path, number, label, mutated, _, _ in survivors:
        print(f"  {path}:{number}: {label}  ->  {short(mutated)}")
    listed = [r for r in results if r[4] == "equivalent"]
    if listed:
        print(f"\nEquivalent faults, not counted ({len(listed)}; scripts/mutate-equivalent):")
        for path, number, label, mutated, _, why in listed:
            print(f"  {path}:{number}: {label}  ->  {short(mutated)}\n      {why}")
    stale = [k for k, (_, used) in equivalents.items() if not used and k[0] in whole_files]
    if stale:
        print(f"\nEquivalent entries that match no fault of these files ({len(stale)}): "
              "mend or remove them")
        for path, line, mutated in stale:
            print(f"  {path}: {line}  ->  {mutated}")
    print("\nScore (caught / counted; equivalent and unbuilt faults left out):")
    for path in files:
        rows = [r for r in results if r[0] == path]
        caught, counted, percent, eq, unbuilt = score(rows)
        print(f"  {path:40} {caught:4} / {counted:<4} {percent}" +
              (f"   {eq} equivalent" if eq else "") + (f"   {unbuilt} unbuilt" if unbuilt else ""))
    print()
    for folder in FOLDERS:
        rows = [r for r in results if r[0].startswith(folder + "/")]
        if rows:
            caught, counted, percent, eq, unbuilt = score(rows)
            print(f"  {folder + '/':40} {caught:4} / {counted:<4} {percent}")
    caught, counted, percent, eq, unbuilt = score(results)
    print(f"  {'all':40} {caught:4} / {counted:<4} {percent}   "
          f"({eq} equivalent, {unbuilt} unbuilt; {seconds / 60:.1f} min)")


if __name__ == "__main__":
    sys.exit(main())
