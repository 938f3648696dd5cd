#!/usr/bin/env python3
"""Mutation testing: how many one-line faults the fast suite catches.

Samples one-line faults (mutants) on lines of real logic in the game's folders and
the platform layer, and for each: writes it into the source, rebuilds incrementally
in its own build folder, runs the fast suite (no soak, no window, no browser) with a
timeout, and writes the original bytes back, whatever happens. A survivor is tried
once more as `make test` also tries it: the unit tests built with AddressSanitizer and
UndefinedBehaviorSanitizer, in a second build folder. Prints a table per folder and the
survivors as `file:line: before -> after`. Mutants listed in equivalent.txt beside this
script change no behaviour and are skipped.

  tools/mutate/mutate.py [-n 100] [--seed S] [--folders core,pocket/src/gdi] [--build DIR]
  tools/mutate/mutate.py --replay LOG    (after trimming tests: are the killed still killed?)
"""
import argparse
import fcntl
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import time
from collections import defaultdict
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE.parent.parent
GAME_FOLDERS = ["core", "view", "shell", "store", "dialogs"]
LAYER_FOLDERS = ["pocket/src/wm", "pocket/src/gdi", "pocket/src/chrome", "pocket/src/controls", "pocket/src/system",
                 "pocket/src/host"]
# Built for the browser or for Windows only: the native build never compiles them.
NOT_BUILT = {"pocket/src/gdi/font_baked.cpp", "pocket/src/wm/instance_alone.cpp", "pocket/src/system/hostos_win32.cpp"}
# What the fast suite needs built; the soak and the desktop window are left out.
TARGETS = ["pocket-unit", "game-unit", "fizzorbs-headless", "pngpixel"]
FAST_SUITE_EXCLUDE = "^(e2e\\.soak|e2e\\.window|e2e\\.install|art|mutate-tool|layering)$"
EQUIVALENT = HERE / "equivalent.txt"

# ---- Finding mutants ----

TOKEN = re.compile(r"""
    (?P<str>u8?R?"(?:[^"\\]|\\.)*"|u?'(?:[^'\\]|\\.)*')
  | (?P<num>0[xX][0-9a-fA-F]+[uUlL]*|\d+(?:\.\d+)?[uUlLfF]*)
  | (?P<id>[A-Za-z_]\w*)
  | (?P<op><<=|>>=|->|\+\+|--|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|<<|>>|::|[-+*/%<>!=&|^~?:;,.(){}\[\]])
  | (?P<sp>\s+)
""", re.X)

SKIP_LINE = re.compile(r"""^\s*(\#|//|\*|/\*|$|static_assert|assert\(|namespace\b|using\b|typedef\b|template\b|
    struct\b|class\b|enum\b|union\b|extern\b|public:|private:|protected:|default:|\}|\{|else\s*\{?\s*$)""", re.X)
# A function's head at the left margin: a declaration, not logic.
FUNCTION_HEAD = re.compile(r"^[A-Za-z_][\w:<>,*& ]*\s[\w:~*&]+\([^;]*\)\s*(const\s*)?(override\s*)?\{?\s*$")
DATA_LINE = re.compile(r"^[\s\d,xXa-fA-F{}()'\"\-+|]*$")
TEMPLATE_OPEN = re.compile(r"(_cast|vector|array|map|set|pair|tuple|optional|span|unique_ptr|shared_ptr|function|"
                           r"numeric_limits|string_view|basic_string|min|max|clamp|bit_cast|get|is_same_v|variant)$")
TYPE_WORDS = {"const", "char", "char16_t", "int", "void", "auto", "unsigned", "short", "long", "bool", "uint8_t",
              "uint16_t", "uint32_t", "int32_t", "int64_t", "uint64_t", "size_t", "wchar_t"}
ARITH_SWAP = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "*"}
REL_SWAP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}


def tokens(line):
    out, pos = [], 0
    while pos < len(line):
        if line.startswith("//", pos):
            break
        m = TOKEN.match(line, pos)
        if not m:
            return None
        if m.lastgroup != "sp":
            out.append((m.lastgroup, m.group(), m.start()))
        pos = m.end()
    return out


def is_operand_end(tok):
    """Whether an operator after this token is binary (after `return` a minus is a sign)."""
    return tok[0] in ("num", "str") or tok[1] in (")", "]") or \
        tok[0] == "id" and tok[1] not in ("return", "case", "throw", "else", "do")


def looks_like_template(toks, i):
    """`<` after a template's name, or the `>` that closes one."""
    if toks[i][1] == "<":
        if i == 0 or toks[i - 1][0] != "id":
            return False
        if TEMPLATE_OPEN.search(toks[i - 1][1]):
            return True
        # name<Type, ...>( : only names and type punctuation up to a `>` followed by a call or a scope
        for j in range(i + 1, len(toks)):
            if toks[j][1] == ">":
                return j + 1 < len(toks) and toks[j + 1][1] in ("(", "{", "::", ">", "&", "*")
            if not (toks[j][0] in ("id", "num") or toks[j][1] in ("::", ",", "*", "&", "<")):
                return False
        return False
    depth = 0
    for j in range(i - 1, -1, -1):
        if toks[j][1] == ">":
            depth += 1
        elif toks[j][1] == "<":
            if depth == 0:
                return looks_like_template(toks, j)
            depth -= 1
    return False


def matching_paren(line, open_at):
    depth = 0
    for k in range(open_at, len(line)):
        if line[k] == "(":
            depth += 1
        elif line[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return -1


def line_mutants(text):
    """Every mutant of one line as (column, before, after, operator); the line's text is `text`."""
    stripped = text.strip()
    if SKIP_LINE.match(stripped) or FUNCTION_HEAD.match(text) or DATA_LINE.match(stripped):
        return []
    if re.search(r"\b(fprintf|perror|std::cerr|printf|stderr)\b|constexpr\s+\w[\w:<>]*\s+\w+\s*=\s*[\w\"]", stripped):
        return []
    toks = tokens(text)
    if not toks:
        return []
    out = []

    def replace(tok, new, op):
        out.append((tok[2], tok[1], new, op))

    for i, tok in enumerate(toks):
        kind, s, col = tok
        prev = toks[i - 1] if i else None
        nxt = toks[i + 1] if i + 1 < len(toks) else None
        if kind == "op":
            if s in REL_SWAP and not (s in "<>" and looks_like_template(toks, i)) and prev and is_operand_end(prev):
                replace(tok, REL_SWAP[s], "relational")
            elif s in ARITH_SWAP and prev and is_operand_end(prev) and nxt and nxt[1] not in (")", ";", ","):
                if s == "*" and (nxt[1] in ("&", "*") or prev[0] == "id" and nxt[0] == "id" and
                                 (prev[1][:1].isupper() or prev[1] in TYPE_WORDS)):
                    continue  # a pointer declaration
                replace(tok, ARITH_SWAP[s], "arithmetic")
            elif s in ("++", "--"):
                replace(tok, "--" if s == "++" else "++", "arithmetic")
            elif s in ("+=", "-="):
                replace(tok, "-=" if s == "+=" else "+=", "arithmetic")
            elif s in ("&&", "||") and prev and is_operand_end(prev):
                replace(tok, "||" if s == "&&" else "&&", "logical")
            elif s == "!" and nxt and (nxt[0] == "id" or nxt[1] == "("):
                replace(tok, "", "negation")
        elif kind == "num" and not (prev and prev[1] in ("[",) and nxt and nxt[1] == "]" and "=" not in text[:col]):
            m = re.match(r"(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)$", s)
            if not m:
                continue
            value = int(m.group(1), 16) if m.group(1)[:2].lower() == "0x" else int(m.group(1), 8 if len(m.group(1)) > 1 and m.group(1)[0] == "0" else 10)
            new = value + 1 if value <= 1 else value - 1
            digits = m.group(1)
            body = hex(new) if digits[:2].lower() == "0x" else "0" + oct(new)[2:] if digits[:1] == "0" and \
                len(digits) > 1 else str(new)
            replace(tok, body + m.group(2), "constant")
        elif kind == "id":
            if s in ("true", "false", "TRUE", "FALSE"):
                swap = {"true": "false", "false": "true", "TRUE": "FALSE", "FALSE": "TRUE"}[s]
                replace(tok, swap, "constant")
            elif s in ("if", "while") and nxt and nxt[1] == "(":
                close = matching_paren(text, nxt[2])
                if close > 0:
                    cond = text[nxt[2] + 1:close]
                    out.append((nxt[2], "(" + cond + ")", "(!(" + cond + "))", "negation"))
            elif s == "return" and nxt and nxt[1] != ";" and stripped.endswith(";") and i == 0:
                expr = text[nxt[2]:text.rstrip().rfind(";")]
                if expr.strip() not in ("0", "{}", "nullptr", "true", "false", "TRUE", "FALSE"):
                    out.append((nxt[2], expr, "{}", "return value"))
    # A call made for its effect, alone on its line, deleted.
    if re.match(r"^[\w:.\->\[\]]+\(.*\);$", stripped) and not re.match(r"^(return|delete)\b", stripped):
        close = matching_paren(stripped, stripped.index("("))
        if close == len(stripped) - 2:
            col = len(text) - len(text.lstrip())
            out.append((col, stripped, ";", "call deleted"))
    return out


def logic_lines(path):
    """(line number, text) of the lines worth mutating: not in block comments."""
    lines = path.read_text(encoding="utf-8").split("\n")
    in_comment = False
    for number, text in enumerate(lines, 1):
        if in_comment:
            if "*/" in text:
                in_comment = False
            continue
        s = text.strip()
        if s.startswith("/*") and "*/" not in s:
            in_comment = True
            continue
        yield number, text


def all_mutants(folders):
    found = []
    for folder in folders:
        for path in sorted((SOURCE / folder).glob("*.c*")):
            rel = path.relative_to(SOURCE).as_posix()
            if rel in NOT_BUILT or path.suffix not in (".cpp", ".c"):
                continue
            previous = label = ""
            for number, text in logic_lines(path):
                if re.match(r"\s*(case \w+:|default:)", text):
                    label = text.strip()
                for col, before, after, op in line_mutants(text):
                    mutated = text[:col] + text[col:].replace(before, after, 1)
                    if mutated != text:
                        found.append({"file": rel, "folder": folder, "line": number, "op": op,
                                      "before": text.strip(), "after": mutated.strip(), "text": mutated,
                                      "context": previous + " / " + text.strip(),
                                      "case": label + " ... " + text.strip()})
                if text.strip():
                    previous = text.strip()
    return found


def read_equivalent():
    """file -> set of (before, after) lines, from equivalent.txt."""
    listed = defaultdict(set)
    if not EQUIVALENT.exists():
        return listed
    for raw in EQUIVALENT.read_text(encoding="utf-8").splitlines():
        if not raw.strip() or raw.startswith("#"):
            continue
        entry, _, reason = raw.rpartition("  # ")
        file, _, change = entry.partition(": ")
        before, _, after = change.partition(" -> ")
        if not reason.strip() or not after:
            sys.exit(f"mutate: {EQUIVALENT.name}: needs 'file: before -> after  # reason': {raw}")
        listed[file].add((before.strip(), after.strip()))
    return listed


def draw(candidates, folders, n, rng):
    """Half the sample from the game's folders, half shared evenly by the layer's, so
    each figure the targets name rests on a sample of its own size."""
    groups = defaultdict(list)
    for m in candidates:
        groups["game" if m["folder"] in GAME_FOLDERS else m["folder"]].append(m)
    layer = [f for f in folders if f not in GAME_FOLDERS]
    weights = {g: (len(layer) or 1) if g == "game" else 1 for g in groups}
    total = sum(weights.values())
    sample, left = [], n
    for k, g in enumerate(sorted(groups)):
        share = left if k == len(groups) - 1 else round(n * weights[g] / total)
        left -= share
        sample += rng.sample(groups[g], min(share, len(groups[g])))
    return sample


# ---- Running them ----

class Restorer:
    """Puts the original bytes back however the run ends: normally, by an exception,
    or by SIGINT/SIGTERM/SIGHUP (the handler raises, so `finally` runs)."""

    def __init__(self):
        self.pending = {}

    def mutate(self, path, new_text):
        original = path.read_bytes()
        self.pending[path] = original
        path.write_bytes(new_text.encode("utf-8"))
        return original

    def restore(self):
        for path, original in list(self.pending.items()):
            path.write_bytes(original)
            # A fresh time: the next build recompiles it instead of keeping the mutant's object.
            now = time.time()
            os.utime(path, (now, now))
            del self.pending[path]


class Interrupted(Exception):
    pass


STOPS = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


def on_signal(number, frame):
    raise Interrupted(signal.Signals(number).name)


# A mutant can turn a write loop endless: no file of the suite's may outgrow this.
FILE_LIMIT = 1 << 30


def start_child():
    signal.pthread_sigmask(signal.SIG_UNBLOCK, STOPS)
    # The soft limit only, so tests may still lower it for their own full disks.
    resource.setrlimit(resource.RLIMIT_FSIZE, (FILE_LIMIT, resource.getrlimit(resource.RLIMIT_FSIZE)[1]))


def run(cmd, timeout, cwd, log, env=None):
    """(exit code or "timeout", seconds, what it printed); the command's whole process group ends with it."""
    start = time.monotonic()
    # A stop signal landing inside Popen, after the fork, would leave the child running
    # with nobody to end it; so stops wait until the `finally` below is in place.
    signal.pthread_sigmask(signal.SIG_BLOCK, STOPS)
    try:
        p = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             start_new_session=True, env=env, preexec_fn=start_child)
    except BaseException:
        signal.pthread_sigmask(signal.SIG_UNBLOCK, STOPS)
        raise
    try:
        signal.pthread_sigmask(signal.SIG_UNBLOCK, STOPS)
        out, _ = p.communicate(timeout=timeout)
        code = p.returncode
    except subprocess.TimeoutExpired:
        out, code = b"", "timeout"
    finally:
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        p.wait()
    text = out.decode(errors="replace")
    log.write(text[-4000:])
    return code, time.monotonic() - start, text


def build(build_dir, jobs, timeout, log):
    return run(["cmake", "--build", str(build_dir), "-j", str(jobs), "--target", *TARGETS], timeout, SOURCE, log)


def fast_suite(build_dir, jobs, timeout, log, whole=False):
    """whole: every test runs, not up to the first failure, so the caller can read which failed."""
    # A mutant that hangs the program ends a scripted run in 15 s instead of a minute.
    os.environ["FZ_RUN_TIMEOUT"] = "15"
    # Temporary files go to a folder of the run's own, emptied after each suite: a test
    # killed at its timeout cleans up nothing.
    scratch = Path(build_dir) / "mutate-tmp"
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    try:
        return run(["ctest", "-j", str(jobs), *([] if whole else ["--stop-on-failure"]), "--timeout", "40",
                    "-E", FAST_SUITE_EXCLUDE, "-LE", "slow"],
                   timeout, build_dir, log, env={**os.environ, "TMPDIR": str(scratch)})
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def sanitized_suite(build_dir, jobs, timeout, log):
    """The unit tests as `make test` runs them under the sanitizers."""
    return run(["ctest", "-j", str(jobs), "--stop-on-failure", "--timeout", "120", "-L", "unit",
                "-E", FAST_SUITE_EXCLUDE], timeout, build_dir, log)


def failed_tests(output):
    """The tests a suite's run names as failed."""
    return re.findall(r"^\s*\d+ - (\S+) \(", output.partition("The following tests FAILED:")[2], re.M)


def outcomes(text):
    """(outcome, file, line, before, after) of each mutant a run's output reports; a
    survivor reported again after the sanitizers' try counts once, as it ended."""
    last = {}
    for found in re.findall(r"^\[\d+/\d+\] (killed|survived|did not build) +([^:]+):(\d+): (.*) -> (.*?)  \(",
                            text, re.M):
        last.pop(found[1:], None)
        last[found[1:]] = found[0]
    return [(outcome, *mutant) for mutant, outcome in last.items()]


def print_matrix(matrix, build_dir):
    """Per test, the mutants it kills and those no other test kills: a test that kills
    nothing alone is the first to merge or trim."""
    by_test = defaultdict(lambda: [0, 0])
    listed = subprocess.run(["ctest", "-N", "-E", FAST_SUITE_EXCLUDE, "-LE", "slow"], cwd=build_dir,
                            capture_output=True, text=True).stdout
    for t in re.findall(r"^\s*Test\s+#\d+: (\S+)", listed, re.M):
        by_test[t]
    for tests in matrix:
        for t in tests:
            by_test[t][0] += 1
            by_test[t][1] += len(tests) == 1
    print(f"\n{'test':70} {'kills':>6} {'alone':>6}")
    for t, (kills, alone) in sorted(by_test.items(), key=lambda kv: (kv[1][1], kv[1][0], kv[0])):
        print(f"{t:70} {kills:6} {alone:6}")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("-n", type=int, default=100, help="mutants to sample (default 100)")
    ap.add_argument("--seed", type=int, help="the sample's seed (default: a fresh one, printed)")
    ap.add_argument("--folders", help="comma-separated folders (default: the game's and pocket/src/*)")
    ap.add_argument("--build", default=str(SOURCE / "build-mutate"), help="build folder (default build-mutate)")
    ap.add_argument("--jobs", type=int, default=2, help="build and test jobs (default 2)")
    ap.add_argument("--timeout", type=int, default=120, help="seconds for a run of the suite (default 120)")
    ap.add_argument("--only", help="FILE[:FROM-TO]: every mutant of those lines instead of a sample")
    ap.add_argument("--replay", metavar="LOG", help="the mutants a run's output says were killed, again: "
                    "a trimmed suite must still kill them all")
    ap.add_argument("--matrix", action="store_true", help="run the whole suite on each mutant and print, "
                    "per test, the mutants it kills and those it alone kills")
    ap.add_argument("--no-sanitizers", action="store_true", help="do not try the survivors again under the "
                    "sanitizers (that needs a second, slower build)")
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--report", metavar="LOG", help="the table again from a run's output, leaving out the "
                    "mutants listed as equivalent since")
    args = ap.parse_args()

    if args.report:
        return rescore(Path(args.report))
    folders = args.folders.split(",") if args.folders else GAME_FOLDERS + LAYER_FOLDERS
    if args.only:
        folders = [str(Path(args.only.partition(":")[0]).parent)]
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1 << 31)
    equivalent = read_equivalent()

    def listed(m):
        return {(key, after) for key in (m["before"], m["context"], m["case"])
                for after in (m["after"], "*")} & equivalent[m["file"]]

    if args.replay:
        # The line's text too: a deletion (";") at a line that moved would be another mutant.
        killed = {(file, line, before, after) for outcome, file, line, before, after in
                  outcomes(Path(args.replay).read_text(encoding="utf-8")) if outcome == "killed"}
        everything = all_mutants(sorted({str(Path(f).parent) for f, *_ in killed}))

        def key(m):
            return m["file"], str(m["line"]), m["before"], m["after"]

        found = [m for m in everything if key(m) in killed]
        missing = killed - {key(m) for m in found}
        if missing:
            print(f"mutate: {len(missing)} killed mutants of the log no longer match the source (their lines moved "
                  f"or changed since); replaying the others", file=sys.stderr)
        candidates = [m for m in everything if not listed(m)]
        sample = [m for m in found if not listed(m)]
        if len(sample) < len(found):
            print(f"mutate: {len(found) - len(sample)} mutants of the log are listed as equivalent since; "
                  f"left out", file=sys.stderr)
    else:
        candidates = [m for m in all_mutants(folders) if not listed(m)]
        if args.only:
            file, _, lines = args.only.partition(":")
            low, _, high = lines.partition("-")
            sample = [m for m in candidates if m["file"] == file and
                      (not lines or int(low) <= m["line"] <= int(high or low))]
        else:
            sample = draw(candidates, folders, args.n, random.Random(seed))
    sample.sort(key=lambda m: (m["file"], m["line"]))
    if args.replay:
        seed = f"{seed} (replaying the killed mutants of {args.replay})"
    print(f"mutate: seed {seed}, {len(sample)} of {len(candidates)} mutants "
          f"(equivalent ones listed in {EQUIVALENT.relative_to(SOURCE)} left out)", flush=True)
    if args.list:
        for m in sample:
            print(f"{m['file']}:{m['line']}: {m['before']} -> {m['after']}")
        return 0

    # One run at a time on a tree: a second would read the first's mutant as the original.
    tree = os.open(SOURCE, os.O_RDONLY)
    try:
        fcntl.flock(tree, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        sys.exit(f"mutate: another mutation run is using {SOURCE}; wait until it ends")
    build_dir = Path(args.build)
    # Warnings stay warnings: `a || b && c` is a fault to test, not a build to refuse.
    subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Release",
                    "-DFZ_TESTS=ON", "-DFZ_WERROR=OFF"], check=True, stdout=subprocess.DEVNULL)
    log = open(build_dir / "mutate.log", "w")
    code, _, _ = build(build_dir, args.jobs, 3600, log)
    if code != 0:
        sys.exit(f"mutate: the unmutated build fails; see {build_dir / 'mutate.log'}")
    code, seconds, _ = fast_suite(build_dir, args.jobs, args.timeout, log)
    if code != 0:
        sys.exit(f"mutate: the fast suite fails without mutants; see {build_dir / 'mutate.log'}")
    print(f"mutate: the fast suite passes unmutated in {seconds:.0f} s", flush=True)

    restorer = Restorer()
    for s in STOPS:
        signal.signal(s, on_signal)
    results, matrix = [], []
    touched = set()
    sanitized = Path(f"{build_dir}-sanitized")
    interrupted = None

    def attempt(k, m, where, suite, tried):
        """Writes mutant m, builds `where`, runs `suite` there and restores; prints the outcome."""
        path = SOURCE / m["file"]
        touched.add(m["file"])
        original = path.read_bytes().decode("utf-8").split("\n")
        original[m["line"] - 1] = m["text"]
        log.write(f"\n==== {m['file']}:{m['line']}: {m['before']} -> {m['after']}{tried}\n")
        restorer.mutate(path, "\n".join(original))
        try:
            code, build_s, _ = build(where, args.jobs, 900, log)
            if code != 0:
                outcome, test_s = "did not build", 0
            else:
                code, test_s, output = suite()
                outcome = "survived" if code == 0 else "killed"
                if args.matrix and code != 0:
                    matrix.append(failed_tests(output) or [f"(suite: {code})"])
                    log.write(f"==== killed by: {' '.join(matrix[-1])}\n")
        finally:
            restorer.restore()
        print(f"[{k}/{len(sample)}] {outcome:13} {m['file']}:{m['line']}: {m['before']} -> {m['after']}"
              f"  ({tried.strip()}{': ' if tried else ''}{build_s:.0f} s + {test_s:.0f} s)", flush=True)
        return outcome

    try:
        for k, m in enumerate(sample, 1):
            results.append([m, attempt(k, m, build_dir, lambda: fast_suite(build_dir, args.jobs, args.timeout, log,
                                                                           whole=args.matrix), "")])
        survivors = [r for r in results if r[1] == "survived"]
        if survivors and not args.no_sanitizers:
            print(f"mutate: {len(survivors)} survivor{'' if len(survivors) == 1 else 's'}, tried again under the "
                  f"sanitizers in {sanitized}", flush=True)
            subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(sanitized), "-DCMAKE_BUILD_TYPE=Debug",
                            "-DFZ_TESTS=ON", "-DFZ_WERROR=OFF", "-DFZ_SANITIZE=ON"], check=True,
                           stdout=subprocess.DEVNULL)
            code, _, _ = build(sanitized, args.jobs, 3600, log)
            if code != 0 or sanitized_suite(sanitized, args.jobs, 3600, log)[0] != 0:
                sys.exit(f"mutate: the sanitized build or its tests fail without mutants; see {build_dir / 'mutate.log'}")
            for r in survivors:
                k = results.index(r) + 1
                r[1] = attempt(k, r[0], sanitized, lambda: sanitized_suite(sanitized, args.jobs, args.timeout, log),
                               " sanitizers")
    except Interrupted as e:
        interrupted = str(e)
    finally:
        restorer.restore()
        for s in STOPS:
            signal.signal(s, signal.SIG_DFL)
        # Leaves the builds as the sources are.
        if results:
            build(build_dir, args.jobs, 3600, log)
            if sanitized.exists():
                build(sanitized, args.jobs, 3600, log)

    report(results, seed)
    if args.matrix:
        print_matrix(matrix, build_dir)
    clean = subprocess.run(["git", "diff", "--quiet", "--", *sorted(touched)], cwd=SOURCE).returncode == 0 \
        if touched else True
    if not clean:
        print("mutate: ERROR: a mutated file differs from git after the run:", file=sys.stderr)
        subprocess.run(["git", "diff", "--stat", "--", *sorted(touched)], cwd=SOURCE)
        return 3
    if interrupted:
        print(f"mutate: stopped by {interrupted}; every file restored", file=sys.stderr)
        return 130
    return 0


def rescore(log):
    equivalent = read_equivalent()
    text = log.read_text(encoding="utf-8")
    seed = re.search(r"^mutate: seed (\d+)", text, re.M)
    results, left_out = [], 0
    for outcome, file, line, before, after in outcomes(text):
        keys = {(before, after), (before, "*")}
        lines = [t.strip() for t in (SOURCE / file).read_text(encoding="utf-8").split("\n")[:int(line)]]
        if lines and lines[-1] == before:
            previous = next((t for t in reversed(lines[:-1]) if t), "")
            label = next((t for t in reversed(lines[:-1]) if re.match(r"(case \w+:|default:)", t)), "")
            keys |= {(key, a) for key in (previous + " / " + before, label + " ... " + before) for a in (after, "*")}
        if keys & equivalent[file]:
            left_out += 1
            continue
        parts = file.split("/")
        folder = "/".join(parts[:3]) if parts[0] == "pocket" else parts[0]
        results.append(({"file": file, "line": int(line), "before": before, "after": after, "folder": folder},
                        outcome))
    report(results, seed.group(1) if seed else "?")
    print(f"\n({left_out} mutants of the run are listed as equivalent since and left out)")
    return 0


def report(results, seed):
    rows = defaultdict(lambda: defaultdict(int))
    for m, outcome in results:
        for key in (m["folder"], "game" if m["folder"] in GAME_FOLDERS else "pocket/src", "all"):
            rows[key]["run"] += 1
            rows[key][outcome] += 1
    order = [f for f in GAME_FOLDERS + LAYER_FOLDERS if f in rows] + [k for k in ("game", "pocket/src", "all")
                                                                         if k in rows]
    print(f"\nseed {seed}")
    print(f"{'folder':20} {'run':>5} {'killed':>7} {'survived':>9} {'no build':>9} {'killed %':>9}")
    for key in order:
        r = rows[key]
        built = r["killed"] + r["survived"]
        share = f"{100 * r['killed'] / built:.0f}%" if built else "-"
        if key == "game":
            print("-" * 62)
        print(f"{key:20} {r['run']:5} {r['killed']:7} {r['survived']:9} {r['did not build']:9} {share:>9}")
    survivors = [m for m, outcome in results if outcome == "survived"]
    if survivors:
        print("\nsurvivors:")
        for m in survivors:
            print(f"{m['file']}:{m['line']}: {m['before']} -> {m['after']}")


if __name__ == "__main__":
    sys.exit(main())
