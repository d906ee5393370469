#!/usr/bin/env python3
"""The benchmark's host side, run by tools/bench under tools/with-xvfb (a
display and the project's Wine prefix in the environment).

Measures Ravenlook_inst.exe against its limit (the smallest program showing
the same window; the like-for-like floor, which does the install's and the
uninstall's calls without the pauses and is driven the same way; the bare
file operations under Wine and on the host) and against a peer (an NSIS
installer for the same files), at a 1 MB and a large application file;
prints a table and writes it to bench/results.md (--results). Timings are
taken by bench_driver.exe inside Wine; memory is read from /proc of the
Linux process that runs the program. Figures only: nothing here fails on a
number (--strict fails when a measurement does not complete).
"""
import argparse
import datetime
import json
import os
import re
import secrets
import shutil
import signal
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
OUT = ROOT / "build" / "bench"
SETUP = ROOT / "build" / "windows" / "Ravenlook_inst.exe"
DIST = ROOT / "build" / "windows" / "dist" / "Ravenlook"
STANDIN_APP = ROOT / "build" / "windows" / "sample" / "standin_app.exe"
NSIS_SCRIPT = ROOT / "bench" / "ravenlook.nsi"
RESULTS = ROOT / "bench" / "results.md"

DRIVER = OUT / "bench_driver.exe"
MINIMAL = OUT / "minimal_window.exe"
FLOOR = OUT / "floor_files.exe"
SYNC = OUT / "sync"
LOGS = OUT / "logs"
# Where the like-for-like floor writes the times of its steps.
STEPS = LOGS / "floor-steps.txt"
# The small install, beside the large one of --big-mb: its fixed cost.
SMALL_MB = 1

# Distribution name -> installed name, as the setup program copies them.
FILES = [
    ("LICENSE.txt", "LICENSE.txt"),
    ("Ravenlook.001", "Ravenlook.ico"),
    ("Ravenlook.002", "Ravenlook.cfg"),
    ("README.html", "README.html"),
    ("Ravenlook.000", "Ravenlook.exe"),
    ("Ravenlook.003", "Ravenlook_insp.exe"),
    ("Ravenlook.004", "Ravenlook_inst.exe"),
]
INSTALL_PAUSES_MS = 4000.0
UNINSTALL_PAUSE_MS = 2000.0
INSTALL_DIR_WIN = r"c:\program files\Ravenlook\Ravenlook v1.3"
VENDOR_DIR_WIN = r"c:\program files\Ravenlook"

# Marks the processes this run starts: Wine hands the environment on to the
# programs it starts, so /proc/<pid>/environ tells ours from anyone else's.
TOKEN = "RAVENLOOK_BENCH_TOKEN"
TOKEN_VALUE = secrets.token_hex(8)

# The measurements that did not complete ("label: reason"): with --strict
# the run fails on any of them; a number never fails it.
FAILED = []


def log(message):
    print(f"bench: {message}", flush=True)


def windows_path(path):
    """A host path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine_env():
    env = dict(os.environ)
    env[TOKEN] = TOKEN_VALUE
    env["RAVENLOOK_BENCH_SYNC"] = windows_path(SYNC)
    env["RAVENLOOK_BENCH_STEPS"] = windows_path(STEPS)
    return env


# The stand-in application's settings. The setup program has the desktop's
# shell start the application after a window install, so the application
# gets the shell's environment, not ours: it reads "Exit" from here and ends
# at once, without a window.
STANDIN_SETTINGS = r"HKCU\Software\Ravenlook Stand-in"


def standin_exits(on):
    """Sets the stand-in's "Exit" for the run (on), or removes its settings."""
    command = (["add", STANDIN_SETTINGS, "/v", "Exit", "/d", "1", "/f"] if on
               else ["delete", STANDIN_SETTINGS, "/f"])
    done = subprocess.run(["wine", "reg"] + command, capture_output=True, timeout=120,
                          env=wine_env())
    if on and done.returncode != 0:
        sys.exit(f"bench: cannot set {STANDIN_SETTINGS}\\Exit: {done.stderr!r}")


# ---- processes of this run ---------------------------------------------------

def our_processes():
    """(pid, argv0) of the Linux processes carrying this run's token."""
    found = []
    needle = f"{TOKEN}={TOKEN_VALUE}".encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                if needle not in f.read().split(b"\0"):
                    continue
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                argv0 = f.read().split(b"\0")[0].decode(errors="replace")
        except OSError:
            continue
        found.append((int(entry), argv0))
    return found


def base_name(argv0):
    return re.split(r"[\\/]", argv0)[-1].lower()


def memory_of(exe_name):
    """VmHWM and VmRSS (kB) of this run's process running exe_name."""
    best = None
    for pid, argv0 in our_processes():
        if base_name(argv0) != exe_name.lower():
            continue
        try:
            with open(f"/proc/{pid}/status") as f:
                fields = dict(line.split(":", 1) for line in f if ":" in line)
        except OSError:
            continue
        hwm = int(fields.get("VmHWM", "0 kB").split()[0])
        rss = int(fields.get("VmRSS", "0 kB").split()[0])
        if best is None or hwm > best[0]:
            best = (hwm, rss)
    return best


# The programs this run starts (Wine's own services, which inherit the
# token when a program of ours brings them up, are left alone).
OUR_PROGRAMS = {"bench_driver.exe", "floor_files.exe", "minimal_window.exe",
                "ravenlook_inst.exe", "ravenlook.exe", "ravenlook_insp.exe"}


def end_our_processes():
    """Ends what a failed measurement left running: only programs this run
    started, each by its id."""
    for pid, argv0 in our_processes():
        name = base_name(argv0)
        if name not in OUR_PROGRAMS and not name.startswith("ravenlook-nsis"):
            continue
        try:
            os.kill(pid, signal.SIGKILL)
            log(f"ended left-over process {pid} ({argv0})")
        except OSError:
            pass


def run_driver(args, timeout, memory_exe=None, label="driver", extra_env=None):
    """Runs bench_driver.exe under Wine (with extra_env added to its
    environment); answers its memory hand-overs by reading the memory of
    memory_exe. Returns the key=value lines as a dict (with 'mem:<tag>'
    entries), or a dict with 'error'."""
    SYNC.mkdir(parents=True, exist_ok=True)
    for stale in SYNC.iterdir():
        stale.unlink()
    LOGS.mkdir(parents=True, exist_ok=True)
    out_file = LOGS / f"{label}.out"
    with open(out_file, "w") as out:
        proc = subprocess.Popen(["wine", str(DRIVER)] + args, stdout=out,
                                stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                env={**wine_env(), **(extra_env or {})}, cwd=OUT)
    memory = {}
    deadline = time.monotonic() + timeout
    timed_out = False
    while proc.poll() is None:
        if time.monotonic() > deadline:
            timed_out = True
            proc.kill()
            proc.wait(timeout=30)
            break
        for ready in SYNC.glob("*.ready"):
            tag = ready.name[: -len(".ready")]
            if memory_exe:
                memory[tag] = memory_of(memory_exe)
            (SYNC / f"{tag}.read").touch()
            try:
                ready.unlink()
            except OSError:
                pass
        time.sleep(0.01)
    result = {}
    for line in out_file.read_text(errors="replace").splitlines():
        if "=" in line:
            key, value = line.strip().split("=", 1)
            result[key] = value
    for tag, value in memory.items():
        result[f"mem:{tag}"] = value
    if timed_out:
        result.setdefault("error", f"timed out after {timeout} s")
    elif proc.returncode != 0:
        result.setdefault("error", f"exit code {proc.returncode}")
    if "error" in result:
        log(f"{label}: {result['error']}")
        FAILED.append(f"{label}: {result['error']}")
        end_our_processes()
    return result


# ---- the prefix --------------------------------------------------------------

def drive_c():
    return Path(os.environ["WINEPREFIX"]) / "drive_c"


def child_ignoring_case(folder, name):
    if folder.is_dir():
        for entry in folder.iterdir():
            if entry.name.lower() == name.lower():
                return entry
    return None


class StartMenu:
    """c:\\windows\\start menu\\programs, where the setup program writes its
    shortcuts only if the folder exists: made for the run when missing, and
    removed again afterwards (only what the run made)."""

    def __init__(self):
        self.windows = child_ignoring_case(drive_c(), "windows")
        self.root = child_ignoring_case(self.windows, "start menu")
        self.made_root = self.root is None

    def ensure(self):
        if self.root is None:
            self.root = self.windows / "start menu"
        programs = child_ignoring_case(self.root, "programs") if self.root.is_dir() else None
        (programs or self.root / "programs").mkdir(parents=True, exist_ok=True)

    def remove_ours(self):
        if self.root is None or not self.root.exists():
            return
        if self.made_root:
            shutil.rmtree(self.root, ignore_errors=True)
            return
        programs = child_ignoring_case(self.root, "programs")
        vendor = child_ignoring_case(programs, "Ravenlook") if programs else None
        if vendor:
            shutil.rmtree(vendor, ignore_errors=True)


def clean(start_menu):
    """Removes what an install left; returns how many paths the uninstall
    before it had scheduled for deletion at the next start (now forgotten)."""
    r = run_driver(["clean"], 60, label="clean")
    start_menu.remove_ours()
    return number(r, "scheduled")


def vendor_left():
    """1 when c:\\program files\\Ravenlook is still there, else 0."""
    folder = child_ignoring_case(drive_c(), "program files")
    return 1 if child_ignoring_case(folder, "Ravenlook") else 0


def installed_dir():
    """The host folder of c:\\program files\\Ravenlook\\Ravenlook v1.3, or None."""
    folder = drive_c()
    for name in ("program files", "Ravenlook", "Ravenlook v1.3"):
        folder = child_ignoring_case(folder, name)
        if folder is None:
            return None
    return folder


# ---- preparing ---------------------------------------------------------------

def build_nsis(dist, out_file, no_files=False):
    """makensis for the distribution; returns makensis's size lines."""
    command = ["makensis", "-V3", f"-DDIST={dist}", f"-DOUTFILE={out_file}"]
    if no_files:
        command.append("-DNOFILES")
    command.append(str(NSIS_SCRIPT))
    done = subprocess.run(command, capture_output=True, text=True, timeout=900)
    if done.returncode != 0:
        sys.exit(f"bench: makensis failed:\n{done.stdout}\n{done.stderr}")
    parts = {}
    for name, key in (("EXE header size", "header"), ("Install code", "code"),
                      ("Install data", "data"), ("Total size", "total")):
        m = re.search(rf"^{name}:\s+(\d+) / (\d+) bytes", done.stdout, re.M)
        if m:
            parts[key] = (int(m.group(1)), int(m.group(2)))
    return parts


def big_distribution(megabytes):
    """A copy of the sample distribution whose application file is the
    stand-in padded with random bytes to the size (random, so that no layer
    can shortcut zeros); rebuilt only when a source is newer."""
    folder = OUT / f"dist{megabytes}"
    size = megabytes * 1024 * 1024
    folder.mkdir(parents=True, exist_ok=True)
    sources = [DIST / name for name, _ in FILES] + [SETUP]
    app = folder / "Ravenlook.000"
    newest = max(p.stat().st_mtime for p in sources + [STANDIN_APP] if p.exists())
    if app.exists() and app.stat().st_size == size and app.stat().st_mtime >= newest:
        return folder
    log(f"writing the {megabytes} MB distribution in {folder.relative_to(ROOT)}")
    for name, _ in FILES:
        if name != "Ravenlook.000":
            shutil.copyfile(DIST / name, folder / name)
    shutil.copyfile(SETUP, folder / "Ravenlook_inst.exe")
    with open(app, "wb") as f:
        f.write((DIST / "Ravenlook.000").read_bytes())
        while f.tell() < size:
            f.write(os.urandom(min(8 << 20, size - f.tell())))
    return folder


# ---- measurements ------------------------------------------------------------

def host_copy(source, target_vendor):
    target = target_vendor / "Ravenlook v1.3"
    start = time.perf_counter()
    subprocess.run(["mkdir", "-p", str(target)], check=True)
    for name, installed in FILES:
        subprocess.run(["cp", str(source / name), str(target / installed)], check=True)
    return (time.perf_counter() - start) * 1000.0


def host_remove(target_vendor):
    target = target_vendor / "Ravenlook v1.3"
    start = time.perf_counter()
    subprocess.run(["rm", "-f"] + [str(target / installed) for _, installed in FILES],
                   check=True)
    subprocess.run(["rmdir", str(target)], check=True)
    return (time.perf_counter() - start) * 1000.0


class Samples(dict):
    def add(self, key, value):
        if value is not None:
            self.setdefault(key, []).append(value)


def number(result, key):
    try:
        return float(result[key])
    except (KeyError, ValueError):
        return None


def measure_startup(samples, runs, programs):
    """Process start to the licence text shown; memory at that point."""
    for round_no in range(runs + 1):
        for key, kind, exe, cwd in programs:
            r = run_driver(["startup", kind, windows_path(exe), windows_path(cwd)], 120,
                           memory_exe=exe.name, label=f"startup-{key}")
            if round_no == 0:
                continue   # warm-up: caches and the wineserver, not counted
            samples.add(f"startup:{key}", number(r, "ms"))
            samples.add(f"window:{key}", number(r, "window_ms"))
            mem = r.get("mem:startup")
            if mem:
                samples.add(f"hwm-idle:{key}", mem[0])
        if round_no:
            log(f"start-up round {round_no}/{runs} done")


def floor_steps():
    """The like-for-like floor's step times of its last run, {step: ms}."""
    steps = {}
    if STEPS.exists():
        for line in STEPS.read_text(errors="replace").splitlines():
            key, _, value = line.strip().partition("_ms=")
            try:
                steps[key] = float(value)
            except ValueError:
                pass
        STEPS.unlink()
    return steps


def measure_driven(samples, mb, dist, start_menu, kind, memory=None):
    """One install and uninstall driven by bench_driver.exe, times beyond the
    pauses the program makes. kind: "setup" for ours (memory: read its
    process's memory), "like" for the like-for-like floor, "paused" for that
    floor with the pauses. The floor's uninstall runs, as ours does, from
    the installed Ravenlook_inst.exe, which is the floor program for that
    run."""
    exe = dist / "Ravenlook_inst.exe" if kind == "setup" else FLOOR
    paused = kind != "like"
    extra = {"RAVENLOOK_BENCH_PAUSES": "1"} if kind == "paused" else None
    start_menu.ensure()
    r = run_driver(["install", "setup", windows_path(exe), windows_path(dist)], 400,
                   memory_exe=memory, label=f"install-{kind}", extra_env=extra)
    ms = number(r, "install_ms")
    samples.add(f"install:{kind}:{mb}",
                ms - (INSTALL_PAUSES_MS if paused else 0) if ms is not None else None)
    if r.get("mem:install"):
        samples.add(f"hwm-install:{kind}", r["mem:install"][0])
    samples.add(f"entry:{kind}", number(r, "entry"))
    for step, value in floor_steps().items():
        samples.add(f"step:{kind}:{step}:{mb}", value)
    target = installed_dir()
    if ms is None or target is None:
        clean(start_menu)
        return
    if exe == FLOOR:
        shutil.copyfile(FLOOR, target / "Ravenlook_inst.exe")
    r = run_driver(["uninstall", INSTALL_DIR_WIN + r"\Ravenlook_inst.exe", INSTALL_DIR_WIN],
                   200, memory_exe=memory, label=f"uninstall-{kind}", extra_env=extra)
    ms = number(r, "uninstall_ms")
    samples.add(f"uninstall:{kind}:{mb}",
                ms - (UNINSTALL_PAUSE_MS if paused else 0) if ms is not None else None)
    for step, value in floor_steps().items():
        samples.add(f"step:{kind}:{step}:{mb}", value)
    if r.get("mem:uninstall"):
        samples.add(f"hwm-uninstall:{kind}", r["mem:uninstall"][0])
    samples.add(f"left:{kind}", vendor_left())
    samples.add(f"scheduled:{kind}", clean(start_menu))


def run_silent(samples, key, exe, args, cwd, exit_codes):
    """One silent run timed whole by the driver (exe and cwd as Windows
    paths); its time goes to samples[key] when its exit code is one of
    exit_codes, else it did not complete. Returns the driver's result."""
    label = key.rsplit(":", 1)[0].replace(":", "-")
    r = run_driver(["silent", exe, args, cwd], 400, label=label)
    ms, code = number(r, "silent_ms"), number(r, "exit_code")
    if ms is not None and code not in exit_codes:
        log(f"{label}: exit code {code:.0f}")
        FAILED.append(f"{label}: exit code {code:.0f}")
        ms = None
    samples.add(key, ms)
    return r


def measure_silent(samples, mb, dist, start_menu, kind):
    """One silent install (/S, from the distribution folder) and uninstall
    (/S -u, from the installed copy, as QuietUninstallString runs it), each
    from the process's start to its end: ours ("setup"), or the like-for-
    like floor ("like"), copied into the distribution folder and then over
    the installed Ravenlook_inst.exe, so that it runs from the same places."""
    exe = dist / "Ravenlook_inst.exe"
    if kind == "like":
        exe = dist / FLOOR.name
        shutil.copyfile(FLOOR, exe)
    start_menu.ensure()
    r = run_silent(samples, f"silent-install:{kind}:{mb}", windows_path(exe), "/S",
                   windows_path(dist), (0,))
    samples.add(f"entry:silent-{kind}", number(r, "entry"))
    target = installed_dir()
    if number(r, "silent_ms") is None or target is None:
        clean(start_menu)
        return
    if kind == "like":
        shutil.copyfile(FLOOR, target / "Ravenlook_inst.exe")
    run_silent(samples, f"silent-uninstall:{kind}:{mb}", INSTALL_DIR_WIN + r"\Ravenlook_inst.exe",
               "/S -u", r"c:\windows", (0, 3010))
    samples.add(f"left:silent-{kind}", vendor_left())
    samples.add(f"scheduled:silent-{kind}", clean(start_menu))


def measure_installs(samples, runs, mb, dist, nsis_exe, start_menu, with_memory):
    """Install and uninstall at one size: ours, the like-for-like floor
    without and with the pauses, the CopyFileA/DeleteFileA floor, host cp/rm
    and NSIS; then silently, ours and the floor. Sample keys end in ":<mb>"."""
    kinds = ["setup", "like", "paused"]
    for run in range(1, runs + 1):
        clean(start_menu)
        # Ours and the two floors take turns at going first, so that none
        # always meets the state the one before it leaves behind.
        turn = (run - 1) % len(kinds)
        for kind in kinds[turn:] + kinds[:turn]:
            memory = "Ravenlook_inst.exe" if kind == "setup" and with_memory else None
            measure_driven(samples, mb, dist, start_menu, kind, memory)

        # CopyFileA and DeleteFileA alone, timed inside their process.
        for mode, args in (("install", ["copy", windows_path(dist), VENDOR_DIR_WIN,
                                        INSTALL_DIR_WIN]),
                           ("uninstall", ["delete", INSTALL_DIR_WIN])):
            done = subprocess.run(["wine", str(FLOOR)] + args, capture_output=True, text=True,
                                  timeout=300, env=wine_env())
            m = re.search(r"ms=([\d.]+)", done.stdout)
            if not m or done.returncode != 0:
                FAILED.append(f"floor_files {args[0]}: exit code {done.returncode}")
            samples.add(f"{mode}:floor:{mb}",
                        float(m.group(1)) if m and done.returncode == 0 else None)
        clean(start_menu)

        # The host: cp and rm of the same files, same file system.
        host_vendor = OUT / "host-copy" / "Ravenlook"
        shutil.rmtree(host_vendor, ignore_errors=True)
        samples.add(f"install:host:{mb}", host_copy(dist, host_vendor))
        samples.add(f"uninstall:host:{mb}", host_remove(host_vendor))
        shutil.rmtree(OUT / "host-copy", ignore_errors=True)

        # The peer: NSIS from its "I Agree" to its completion box.
        r = run_driver(["install", "nsis", windows_path(nsis_exe), windows_path(nsis_exe.parent)],
                       400, memory_exe=nsis_exe.name if with_memory else None,
                       label="install-nsis")
        samples.add(f"install:nsis:{mb}", number(r, "install_ms"))
        if r.get("mem:install"):
            samples.add("hwm-install:nsis", r["mem:install"][0])
        clean(start_menu)

        # Silently, ours and the floor taking turns. Not NSIS: its /S stops
        # at the script's completion box, which has no silent answer (/SD).
        for kind in ("setup", "like")[::1 if run % 2 else -1]:
            measure_silent(samples, mb, dist, start_menu, kind)
        log(f"{mb} MB install/uninstall round {run}/{runs} done")


# ---- the table ---------------------------------------------------------------

def stats(samples, key):
    values = samples.get(key)
    if not values:
        return None
    return min(values), statistics.median(values), len(values)


def fmt(value, unit="", digits=0):
    if value is None:
        return "n/a"
    text = f"{value:,.{digits}f}"
    return f"{text} {unit}".strip()


def fmt_stats(s, unit="ms", digits=0):
    if s is None:
        return "not measured"
    return f"{fmt(s[0], digits=digits)} / {fmt(s[1], digits=digits)} {unit} (n={s[2]})"


def ratio(a, b):
    if a is None or b is None or b <= 0:
        return "n/a"
    return f"{a / b:.2f}x"


def median_of(s):
    return s[1] if s else None


def min_of(s):
    return s[0] if s else None


def like_ratio(ours, floor):
    """Ours / the like-for-like floor: of the medians, and of the minima."""
    return (f"{ratio(median_of(ours), median_of(floor))} like for like "
            f"({ratio(min_of(ours), min_of(floor))} of minima)")


def floor_split(samples, what, mb, names):
    """The like-for-like floor's install or uninstall at one size: the
    medians of its steps (in the order of names), and the rest of the
    driver's time, the box and the hand-over."""
    timed = [median_of(stats(samples, f"step:like:{name}:{mb}")) for name in names]
    total = median_of(stats(samples, f"{what}:like:{mb}"))
    box = total - sum(timed) if total is not None and None not in timed else None
    return timed, box


def split_line(samples, mbs):
    """Where the install's time goes: the like-for-like floor's own step
    times, and the rest of the driver's time (the box and the hand-over)."""
    parts = []
    for mb in mbs:
        timed, box = floor_split(samples, "install", mb, ("probes", "copies", "links", "record"))
        rest = timed[3] + box if box is not None else None
        parts.append(
            f"{mb} MB: links {fmt(timed[2], 'ms', 1)}, copies {fmt(timed[1], 'ms', 1)}, "
            f"probes and folders {fmt(timed[0], 'ms', 1)}, record + entry + box "
            f"{fmt(rest, 'ms', 1)} (record and entry {fmt(timed[3], 'ms', 1)}, box and "
            f"hand-over {fmt(box, 'ms', 1)})")
    return ("Split of the install (the like-for-like floor's steps, each timed inside it, "
            "medians; the box and hand-over are the driver's time less the timed steps): "
            + "; ".join(parts) + ".")


def goal_line(samples, mbs):
    """Ours against the goal, within 1.1x of the like-for-like floor; how
    much of what ours takes beyond the floor the pauses cost by themselves
    (the floor with the pauses less the floor), and the rest."""
    med = lambda key: median_of(stats(samples, key))
    parts = []
    for what in ("install", "uninstall"):
        for mb in mbs:
            ours, like, paused = (med(f"{what}:{kind}:{mb}") for kind in ("setup", "like", "paused"))
            if ours is None or like is None or like <= 0:
                parts.append(f"{what} {mb} MB n/a")
                continue
            verdict = "within" if ours / like <= 1.1 else "above"
            pauses = paused - like if paused is not None else None
            rest = ours - paused if paused is not None else None
            parts.append(f"{what} {mb} MB {ratio(ours, like)}, {verdict} (ours less the floor "
                         f"{fmt(ours - like, 'ms', 1)}: the pauses' own cost "
                         f"{fmt(pauses, 'ms', 1)}, ours beyond the floor with the pauses "
                         f"{fmt(rest, 'ms', 1)})")
    return ("Goal: the install and the uninstall beyond the pauses within 1.1x of the "
            "like-for-like floor (medians): " + "; ".join(parts) + ".")


def uninstall_split_line(samples, mbs):
    parts = []
    for mb in mbs:
        timed, box = floor_split(samples, "uninstall", mb, ("shortcuts", "read", "files", "keys"))
        parts.append(
            f"{mb} MB: shortcut folder {fmt(timed[0], 'ms', 1)}, record and system folder "
            f"{fmt(timed[1], 'ms', 1)}, install folder (deletes, scheduled deletions) "
            f"{fmt(timed[2], 'ms', 1)}, keys {fmt(timed[3], 'ms', 1)}, box and hand-over "
            f"{fmt(box, 'ms', 1)}")
    return "Split of the floor's uninstall (medians): " + "; ".join(parts) + "."


def build_table(sizes, nsis_parts, nsis_empty_parts, samples, mbs, runs, big_runs):
    ours_size, minimal_size, nsis_size, nsis_empty = sizes
    nsis_payload = nsis_parts.get("data", (None,))[0]
    nsis_overhead_calc = nsis_size - nsis_payload if nsis_payload is not None else None
    s = lambda k: stats(samples, k)
    med = lambda k: median_of(s(k))
    no_uninstaller = "not measured (the NSIS script has no uninstaller of its own)"
    rows = []
    rows.append(("Size of the program (bytes)", fmt(ours_size),
                 f"{fmt(minimal_size)} (minimal window)",
                 f"{fmt(nsis_size)} (installer); stub overhead {fmt(nsis_empty)} "
                 f"(no files), {fmt(nsis_overhead_calc)} (total - compressed data)",
                 ratio(ours_size, minimal_size),
                 f"{ratio(ours_size, nsis_size)} (installer), "
                 f"{ratio(ours_size, nsis_empty)} (stub overhead)"))
    rows.append(("Start-up: process start to licence text shown (min / median)",
                 fmt_stats(s("startup:setup")), fmt_stats(s("startup:minimal")),
                 fmt_stats(s("startup:nsis")),
                 ratio(med("startup:setup"), med("startup:minimal")),
                 ratio(med("startup:setup"), med("startup:nsis"))))
    for mb in mbs:
        rows.append((f"Install, {mb} MB application: Agree to completion box beyond "
                     f"the 4 x 1 s pauses (min / median)",
                     fmt_stats(s(f"install:setup:{mb}")),
                     f"{fmt_stats(s(f'install:like:{mb}'))} like-for-like floor; "
                     f"{fmt_stats(s(f'install:paused:{mb}'))} the same with the pauses; "
                     f"{fmt_stats(s(f'install:floor:{mb}'))} CopyFileA alone; "
                     f"{fmt_stats(s(f'install:host:{mb}'))} host cp",
                     f"{fmt_stats(s(f'install:nsis:{mb}'))} (I Agree to completion box; "
                     f"no pauses)",
                     f"{like_ratio(s(f'install:setup:{mb}'), s(f'install:like:{mb}'))}; "
                     f"{ratio(med(f'install:setup:{mb}'), med(f'install:paused:{mb}'))} "
                     f"with the pauses; "
                     f"{ratio(med(f'install:setup:{mb}'), med(f'install:floor:{mb}'))} "
                     f"CopyFileA, "
                     f"{ratio(med(f'install:setup:{mb}'), med(f'install:host:{mb}'))} cp",
                     ratio(med(f"install:setup:{mb}"), med(f"install:nsis:{mb}"))))
    for mb in mbs:
        rows.append((f"Uninstall, {mb} MB application: OK to final box beyond the 2 s pause "
                     f"(min / median)",
                     fmt_stats(s(f"uninstall:setup:{mb}"), digits=1),
                     f"{fmt_stats(s(f'uninstall:like:{mb}'), digits=1)} like-for-like floor; "
                     f"{fmt_stats(s(f'uninstall:paused:{mb}'), digits=1)} the same with the "
                     f"pause; "
                     f"{fmt_stats(s(f'uninstall:floor:{mb}'), digits=1)} DeleteFileA alone; "
                     f"{fmt_stats(s(f'uninstall:host:{mb}'), digits=1)} host rm",
                     no_uninstaller,
                     f"{like_ratio(s(f'uninstall:setup:{mb}'), s(f'uninstall:like:{mb}'))}; "
                     f"{ratio(med(f'uninstall:setup:{mb}'), med(f'uninstall:paused:{mb}'))} "
                     f"with the pause; "
                     f"{ratio(med(f'uninstall:setup:{mb}'), med(f'uninstall:floor:{mb}'))} "
                     f"DeleteFileA, "
                     f"{ratio(med(f'uninstall:setup:{mb}'), med(f'uninstall:host:{mb}'))} rm",
                     "n/a"))
    for what, switches, codes, peer in (
            ("install", "/S", "0", "n/a (its /S stops at the script's completion box, "
                                   "which has no silent answer /SD)"),
            ("uninstall", "/S -u", "0 or 3010", no_uninstaller)):
        for mb in mbs:
            ours, like = s(f"silent-{what}:setup:{mb}"), s(f"silent-{what}:like:{mb}")
            rows.append((f"Silent {what} {switches}, {mb} MB application: process start to "
                         f"exit, exit code {codes} (min / median)",
                         fmt_stats(ours), f"{fmt_stats(like)} like-for-like floor (its {switches})",
                         peer, like_ratio(ours, like), "n/a"))
    rows.append((f"Peak resident memory (VmHWM) during the {mbs[-1]} MB install (min / median)",
                 fmt_stats(s("hwm-install:setup"), "kB"),
                 f"{fmt_stats(s('hwm-idle:minimal'), 'kB')} (minimal window shown)",
                 f"{fmt_stats(s('hwm-install:nsis'), 'kB')} (NSIS install)",
                 ratio(median_of(s("hwm-install:setup")), median_of(s("hwm-idle:minimal"))),
                 ratio(median_of(s("hwm-install:setup")), median_of(s("hwm-install:nsis")))))
    rows.append(("Peak resident memory with the window shown (min / median)",
                 fmt_stats(s("hwm-idle:setup"), "kB"),
                 fmt_stats(s("hwm-idle:minimal"), "kB"),
                 fmt_stats(s("hwm-idle:nsis"), "kB"),
                 ratio(median_of(s("hwm-idle:setup")), median_of(s("hwm-idle:minimal"))),
                 ratio(median_of(s("hwm-idle:setup")), median_of(s("hwm-idle:nsis")))))

    header = ("Measure", "Ravenlook_inst.exe", "Limit", "Peer: NSIS",
              "Ours / limit", "Ours / peer")
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]

    first_window = ", ".join(
        f"{name} {fmt_stats(s('window:' + key))}"
        for key, name in (("setup", "ours"), ("minimal", "minimal"), ("nsis", "NSIS")))
    # The like-for-like check, window and silent: paths scheduled for the
    # restart (median), installs that wrote the entry, uninstalls that left
    # c:\program files\Ravenlook.
    names = (("setup", "ours"), ("like", "the floor"))
    count = lambda key: f"{sum(samples.get(key, [])):.0f} of {len(samples.get(key, []))}"
    checks, same = [], True
    for mode, prefix in (("window", ""), ("silent", "silent-")):
        work = {key: (fmt(med(f"scheduled:{prefix}{key}")), count(f"entry:{prefix}{key}"),
                      count(f"left:{prefix}{key}")) for key, _ in names}
        same = same and work["setup"] == work["like"]
        parts = [f"{what} " + ", ".join(f"{name} {work[key][i]}" for key, name in names)
                 for i, what in enumerate(("paths scheduled", "entries written",
                                           "uninstalls that left the folder"))]
        checks.append(f"{mode}: " + "; ".join(parts))
    small = f" and of each {mbs[0]} MB install and uninstall" if len(mbs) > 1 else ""
    notes = [
        f"Runs: {runs} of each start-up (after one warm-up round, not counted){small}, "
        f"{big_runs} of each {mbs[-1]} MB install and uninstall, window and silent. Ratios are "
        f"of medians unless they say otherwise.",
        goal_line(samples, mbs),
        split_line(samples, mbs),
        uninstall_split_line(samples, mbs),
        "Start-up ends when the window is visible and its licence control's text is "
        "non-empty (WM_GETTEXTLENGTH); for NSIS the RichEdit control of its licence page. "
        f"First visible window: {first_window}.",
        "Install and uninstall times are measured by a driver inside Wine from posting the "
        "button's WM_COMMAND (for the uninstall: pressing the confirmation's OK) to the box "
        "appearing (polled every 2 ms); the setup program also writes the four shortcuts "
        "(c:\\windows\\start menu\\programs is made for the run) and the registry value. "
        "The like-for-like floor (bench/floor_files.cpp without arguments) is a bare window "
        "driven the same way that does the same calls without the pauses: the folder probes "
        "and folders, the seven CopyFileA, four IShellLinkA saves with COM initialised "
        "around each, the record, the Apps & features entry and the box; for the uninstall "
        "the probes, the emptying and removal of both folders, the deletions scheduled for "
        "what stays, the keys and the box, run, as ours is, from the installed "
        "Ravenlook_inst.exe (the floor program for that run), which moves its own file into "
        "c:\\windows\\temp first, as ours does. The application, which ours starts through "
        "the desktop's shell once its completion box is closed (NSIS: Exec after its box), "
        "is not in the install time, which ends when the box appears. "
        "\"The same with the pauses\" "
        "is that floor sleeping where ours pauses, less the pauses' length: what the pauses "
        "cost beyond it. The CopyFileA/DeleteFileA floors are timed inside their process (Wine's "
        "process start excluded); host cp/rm include starting the seven cp processes and "
        "the rm process.",
        "Silent runs are timed by the driver from CreateProcess to the process's end, its "
        "exit code checked (0; 0 or 3010 for /S -u): ours started as Ravenlook_inst.exe /S "
        "from the distribution folder, then as \"<installDir>\\Ravenlook_inst.exe\" /S -u "
        "(its QuietUninstallString) in c:\\windows; the floor is floor_files.exe with its own "
        "/S and /S -u, the same calls with no window, box or pauses (the uninstall deleting "
        "only the seven files), copied into the distribution folder and over the installed "
        "Ravenlook_inst.exe. Both times include Wine's process start and end.",
        "Like-for-like check (paths each uninstall scheduled for deletion at the next start, "
        "median: the running uninstaller's own file, parked in c:\\windows\\temp, and what "
        "stayed; installs that wrote the Apps & features entry; uninstalls that left "
        "c:\\program files\\Ravenlook): " + "; ".join(checks) + ". "
        + ("The same work." if same else
           "NOT the same work: the like-for-like ratios compare different work.")
        + " The bench forgets the scheduled deletions after each run (both pending lists of "
        "its own prefix) and deletes what is left, the parked uninstallers included.",
        "Memory: VmHWM of the Linux process running the program, read from /proc while "
        "the completion box (or the window) is up; the process is found by its command "
        "line and a token in its environment. During the uninstall (final box up): "
        f"{fmt_stats(s('hwm-uninstall:setup'), 'kB')}.",
        f"NSIS parts (makensis, compressed / uncompressed bytes): EXE header "
        f"{nsis_parts.get('header')}, install code {nsis_parts.get('code')}, install data "
        f"{nsis_parts.get('data')}; without files: install code "
        f"{nsis_empty_parts.get('code')}.",
    ]
    return lines, notes


# The magic of 32-bit little-endian ELF programs for the i386, as
# binfmt_misc shows an entry that hands them to an emulator.
I386_ELF_MAGIC = "7f454c4601010100000000000000000002000300"


def i386_emulator():
    """The emulator an enabled binfmt_misc entry runs i386 programs with
    (wine32 among them), with its version; None when they run natively."""
    folder = Path("/proc/sys/fs/binfmt_misc")
    try:
        entries = sorted(folder.iterdir())
    except OSError:
        return None
    for entry in entries:
        try:
            lines = entry.read_text().splitlines()
        except OSError:
            continue
        fields = dict(line.split(" ", 1) for line in lines[1:] if " " in line)
        if lines[:1] != ["enabled"] or fields.get("magic") != I386_ELF_MAGIC:
            continue
        interpreter = fields.get("interpreter", "unknown")
        try:
            version = subprocess.run([interpreter, "--version"], capture_output=True,
                                     text=True).stdout.splitlines()[0]
        except (OSError, IndexError):
            version = interpreter
        return f"{version} ({interpreter})"
    return None


def machine_description():
    cpu = "unknown"
    cores = 0
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name") and cpu == "unknown":
                cpu = line.split(":", 1)[1].strip()
            if line.startswith("processor"):
                cores += 1
    mem_kb = 0
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                mem_kb = int(line.split()[1])
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    debian = Path("/etc/debian_version").read_text().strip() \
        if Path("/etc/debian_version").exists() else "unknown"
    nsis = subprocess.run(["makensis", "-VERSION"], capture_output=True, text=True).stdout.strip()
    prefix = os.environ.get("WINEARCH", "win64")
    emulator = i386_emulator()
    if emulator:
        programs = (f"32-bit programs (wine32, and with it every Windows program measured here) emulated by "
                    f"{emulator} through binfmt_misc, in a {prefix} Wine prefix. Under "
                    f"emulation the times compare only with one another, not with a native "
                    f"run; the ratios of one run still hold")
    else:
        programs = f"32-bit programs run natively, in a {prefix} Wine prefix"
    return [
        f"CPU: {cpu}, {cores} cores",
        f"Memory: {mem_kb / 1024 / 1024:.1f} GiB",
        f"Wine: {wine}; NSIS: makensis {nsis}",
        f"Debian: {debian}; kernel {os.uname().release}",
        programs,
    ]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--big-runs", type=int, default=5)
    parser.add_argument("--big-mb", type=int, default=200)
    parser.add_argument("--results", default=str(RESULTS),
                        help="the Markdown file the table is written to")
    parser.add_argument("--strict", action="store_true",
                        help="fail when a measurement did not complete")
    args = parser.parse_args()

    for needed in (SETUP, DIST / "LICENSE.txt", DRIVER, MINIMAL, FLOOR):
        if not needed.exists():
            sys.exit(f"bench: {needed} is missing (run tools/bench)")

    log("building the NSIS installers")
    nsis_dir = OUT / "nsis"
    nsis_dir.mkdir(parents=True, exist_ok=True)
    nsis_small = nsis_dir / "Ravenlook-nsis.exe"
    nsis_empty = nsis_dir / "Ravenlook-nsis-nofiles.exe"
    nsis_parts = build_nsis(DIST, nsis_small)
    nsis_empty_parts = build_nsis(DIST, nsis_empty, no_files=True)
    # The install sizes: the small one with --runs, the large one with --big-runs.
    mbs = sorted({SMALL_MB, args.big_mb})
    points = []
    for mb in mbs:
        dist = big_distribution(mb)
        nsis_exe = nsis_dir / f"Ravenlook-nsis-{mb}mb.exe"
        if not nsis_exe.exists() or nsis_exe.stat().st_mtime < (dist / "Ravenlook.000").stat().st_mtime:
            log(f"building the {mb} MB NSIS installer")
            build_nsis(dist, nsis_exe)
        runs = args.big_runs if mb == mbs[-1] else args.runs
        points.append((mb, dist, nsis_exe, runs))

    sizes = (SETUP.stat().st_size, MINIMAL.stat().st_size, nsis_small.stat().st_size,
             nsis_empty.stat().st_size)
    samples = Samples()
    start_menu = StartMenu()
    try:
        standin_exits(True)
        clean(start_menu)
        log(f"start-up: {args.runs} runs each (plus a warm-up)")
        measure_startup(samples, args.runs, [
            ("setup", "setup", SETUP, DIST),
            ("minimal", "setup", MINIMAL, DIST),
            ("nsis", "nsis", nsis_small, nsis_dir),
        ])
        for mb, dist, nsis_exe, runs in points:
            log(f"install and uninstall with a {mb} MB application: {runs} runs each")
            measure_installs(samples, runs, mb, dist, nsis_exe, start_menu,
                             with_memory=mb == mbs[-1])
    finally:
        clean(start_menu)
        end_our_processes()
        standin_exits(False)

    LOGS.mkdir(parents=True, exist_ok=True)
    (LOGS / "samples.json").write_text(json.dumps(samples, indent=1, sort_keys=True))
    lines, notes = build_table(sizes, nsis_parts, nsis_empty_parts, samples, mbs,
                               args.runs, args.big_runs)
    print()
    print("\n".join(lines))
    print()
    for note in notes:
        print(f"- {note}")

    now = datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z")
    text = [f"# Benchmark results ({now})", "",
            "Written by `make bench` (tools/bench); the last run's figures. Two cores "
            "shared with other work: timings are noisy, hence minimum and median.", "",
            "Machine:", ""]
    text += [f"- {line}" for line in machine_description()]
    text += ["", *lines, "", *[f"- {note}" for note in notes], ""]
    results = Path(args.results)
    results.parent.mkdir(parents=True, exist_ok=True)
    results.write_text("\n".join(text))
    log(f"written {args.results}")
    if FAILED:
        log(f"{len(FAILED)} measurements did not complete: " + "; ".join(FAILED))
        if args.strict:
            sys.exit(1)


if __name__ == "__main__":
    main()
