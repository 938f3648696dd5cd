#!/usr/bin/env python3
"""The mutation tool never leaves a mutant behind: a run stopped by a signal in the
middle of a build writes the original bytes back and ends the build's processes.
And it mutates logic, not the names of templates or comments."""
import fcntl
import os
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

TOOL = Path(__file__).resolve().parents[2] / "tools" / "mutate"
sys.path.insert(0, str(TOOL))
import mutate  # noqa: E402

failures = []


def expect(what, ok):
    print(("ok: " if ok else "FAIL: ") + what)
    if not ok:
        failures.append(what)


with tempfile.TemporaryDirectory() as d:
    source = Path(d) / "x.cpp"
    source.write_bytes(b"int f() { return 1 < 2; }\r\n")
    child = f"""
import sys, signal
sys.path.insert(0, {str(TOOL)!r})
import mutate
from pathlib import Path
r = mutate.Restorer()
signal.signal(signal.SIGTERM, mutate.on_signal)
try:
    r.mutate(Path({str(source)!r}), "int f() {{ return 1 <= 2; }}")
    mutate.run(["sh", "-c", "echo $$ > {d}/pid; sleep 30"], 60, {d!r}, open("/dev/null", "w"))
except mutate.Interrupted:
    pass
finally:
    r.restore()
"""
    p = subprocess.Popen([sys.executable, "-c", child])
    for _ in range(5000):
        if (Path(d) / "pid").exists() and source.read_bytes() != b"int f() { return 1 < 2; }\r\n":
            break
        time.sleep(0.001)
    expect("the mutant is written while the build runs", b"<=" in source.read_bytes())
    p.send_signal(signal.SIGTERM)
    p.wait(timeout=10)
    expect("SIGTERM during a build restores the exact bytes", source.read_bytes() == b"int f() { return 1 < 2; }\r\n")
    pid = int((Path(d) / "pid").read_text())
    time.sleep(0.1)
    try:
        os.kill(pid, 0)
        gone = False
    except ProcessLookupError:
        gone = True
    expect("and the build's processes end with it", gone)

with tempfile.TemporaryDirectory() as d:
    mutate.FILE_LIMIT = 4096
    code, _, _ = mutate.run(["sh", "-c", "head -c 8192 /dev/zero > big"], 30, d, open("/dev/null", "w"))
    expect("an endless writer stops at the file limit", code != 0 and (Path(d) / "big").stat().st_size <= 4096)

# A second run on the same tree stops before it builds or touches a file.
tree = os.open(TOOL.parents[1], os.O_RDONLY)
try:
    fcntl.flock(tree, fcntl.LOCK_EX | fcntl.LOCK_NB)
except BlockingIOError:
    pass  # a real run holds it: as good a lock for this check
with tempfile.NamedTemporaryFile() as f:  # a build folder that cannot be made: past the lock, it fails at once
    second = subprocess.run([sys.executable, str(TOOL / "mutate.py"), "-n", "1", "--build", f.name + "/build"],
                            capture_output=True, text=True, timeout=60)
expect("a second run on the tree is refused", second.returncode != 0 and "another mutation run" in second.stderr)
os.close(tree)

changes = {(before, after) for _, before, after, _ in mutate.line_mutants(
    "  auto v = std::min<int>(a, b) + static_cast<Foo*>(p)->n;  // x < y")}
expect("template arguments and comments are left alone",
       not any(b in ("<", ">") for b, _ in changes) and ("+", "-") in changes)
expect("a declaration line is not logic", mutate.line_mutants("void paint(HDC dc, int x) {") == [])
expect("a call alone on its line may be deleted",
       ("drawSplash(dc);", ";") in {(b, a) for _, b, a, _ in mutate.line_mutants("    drawSplash(dc);")})
ran = ("[1/2] survived      core/a.cpp:3: x < y -> x <= y  (1 s + 1 s)\n"
       "[2/2] survived      core/a.cpp:4: f(); -> ;  (1 s + 1 s)\n"
       "[1/2] killed        core/a.cpp:3: x < y -> x <= y  (sanitizers: 9 s + 2 s)\n")
expect("a survivor the sanitizers kill counts once, as killed",
       sorted(mutate.outcomes(ran)) == [("killed", "core/a.cpp", "3", "x < y", "x <= y"),
                                        ("survived", "core/a.cpp", "4", "f();", ";")])
sys.exit(1 if failures else 0)
