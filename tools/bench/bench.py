#!/usr/bin/env python3
"""DictaDrill's benchmark: one table, each figure beside its baseline measured in the same run.

Run inside the environment of tools/test-env.sh (DISPLAY, WINEPREFIX, PULSE_SERVER, ...); the
wrapper tools/run-bench.sh builds everything and starts it:

    bench.py --exe DictaDrill.exe --bare dd_bare_window.exe --window-bench dd_window_bench.exe
             --core dictadrill-bench --out build/bench [--starts 21]

Prints the table (Markdown) and writes it to OUT/table.md, with the raw figures in OUT/*.json.
"""

import argparse
import ctypes
import datetime
import json
import os
import platform
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "e2e"))
import drive_program as dp  # noqa: E402  (screens, colours and layout of the e2e driver)

CORE_RUNS = 9
FRAME_MS = 16.0
STARTUP_TARGET = 1.2
# Wine's heap moves by about a megabyte as media pipelines come and go: less is no growth.
MEMORY_NOISE = 1 << 20
# A key sound still playing holds a thread and its events for a moment.
HANDLE_NOISE = 16


# ---- Start-up ---------------------------------------------------------------------------------


class Screen:
    """Reads the X screen straight through Xlib: a grab of the window's area takes about a
    millisecond, so polling barely slows the start it watches (ImageMagick's import needs
    over 100 ms a grab)."""

    def __init__(self):
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XGetImage.restype = ctypes.c_void_p
        x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x.XFree.argtypes = [ctypes.c_void_p]
        self.x = x
        self.display = x.XOpenDisplay(None)
        if not self.display:
            sys.exit("bench.py: cannot open the X display")
        self.root = x.XDefaultRootWindow(self.display)
        self.width, self.height = (int(v) for v in
                                   dp.run(["xdotool", "getdisplaygeometry"]).split())

    def grab(self, left, top, width, height):
        """RGB bytes of the rectangle, as ImageMagick's rgb: output."""
        image = self.x.XGetImage(self.display, self.root, left, top, width, height,
                                 0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
        if not image:
            raise dp.CheckFailed("XGetImage failed")
        fields = ctypes.cast(image, ctypes.POINTER(ctypes.c_int))
        data = ctypes.cast(image + 16, ctypes.POINTER(ctypes.c_void_p))[0]
        stride, bits = fields[11], fields[12]
        raw = ctypes.string_at(data, stride * height)
        self.x.XFree(data)
        self.x.XFree(image)
        if bits != 32 or stride != width * 4:
            raise dp.CheckFailed("unexpected screen format: %d bits, %d bytes a row"
                                 % (bits, stride))
        rgb = bytearray(width * height * 3)
        rgb[0::3] = raw[2::4]
        rgb[1::3] = raw[1::4]
        rgb[2::3] = raw[0::4]
        return bytes(rgb)


class StartTimer:
    """Time from starting a program under Wine to the first screen grab that shows its window
    painted, the same way for every program: the client area is found by the separator line
    both draw, then the program's own predicate must hold."""

    def __init__(self, screen):
        self.screen = screen
        self.region = (0, 0, screen.width, screen.height)

    def start(self, exe, title, painted):
        env = dict(os.environ, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
        begun = time.monotonic()
        proc = subprocess.Popen(["wine", exe], env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        try:
            left, top, width, height = self.region
            while True:
                raw = self.screen.grab(left, top, width, height)
                origin = dp.find_client_origin(raw, width)
                if origin is not None and painted(dp.Shot(raw, width, height, origin)):
                    elapsed = time.monotonic() - begun
                    break
                if proc.poll() is not None:
                    raise dp.CheckFailed("%s ended at start with %s" % (exe, proc.returncode))
                if time.monotonic() - begun > 30:
                    raise dp.CheckFailed("%s: nothing painted within 30 s" % exe)
                time.sleep(0.002)
            # Later starts grab only around the client area: programs open at the same place.
            ox, oy = left + origin[0], top + origin[1]
            self.region = (max(0, ox - 8), max(0, oy - 8),
                           min(dp.CLIENT[2] + 16, self.screen.width - max(0, ox - 8)),
                           min(dp.CLIENT[3] + 16, self.screen.height - max(0, oy - 8)))
            self.close(proc, title)
            return elapsed
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait(10)

    @staticmethod
    def close(proc, title):
        window = dp.run(["xdotool", "search", "--name", "^%s$" % title]).split()[0]
        dp.run(["xdotool", "windowfocus", "--sync", window])
        dp.run(["xdotool", "key", "Escape"])
        try:
            code = proc.wait(15)
        except subprocess.TimeoutExpired:
            raise dp.CheckFailed("%s did not end on Escape" % title)
        if code != 0:
            raise dp.CheckFailed("%s ended with %d" % (title, code))
        time.sleep(0.3)


def median(values):
    v = sorted(values)
    n = len(v)
    return v[n // 2] if n % 2 else (v[n // 2 - 1] + v[n // 2]) / 2


def measure_startup(options):
    timer = StartTimer(Screen())
    programs = [
        ("DictaDrill", options.exe, dp.TITLE, dp.is_menu),
        ("bare window", options.bare, "Bare window", lambda shot: True),
    ]
    # One start of each first, not counted: Wine loads its own libraries into the page cache.
    for _, exe, title, painted in programs:
        timer.start(exe, title, painted)
    times = {name: [] for name, _, _, _ in programs}
    for i in range(options.starts):
        # Alternating, so a drift of the machine falls on both alike.
        for name, exe, title, painted in (programs if i % 2 == 0 else programs[::-1]):
            times[name].append(timer.start(exe, title, painted))
    return times


# ---- The other figures --------------------------------------------------------------------------


def run_window_bench(options):
    env = dict(os.environ, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
    out = subprocess.run(["wine", options.window_bench], env=env, check=True,
                         capture_output=True, text=True, timeout=900).stdout
    line = next(l for l in out.splitlines() if l.startswith("{"))
    return json.loads(line)


def run_core_bench(options):
    """Nanoseconds per operation of each core benchmark: the best of CORE_RUNS runs.

    The best run is the one least disturbed by the rest of a shared machine; the copy beside
    each figure is taken the same way in the same process.
    """
    path = os.path.join(options.out, "core.json")
    subprocess.run([options.core, "--benchmark_repetitions=%d" % CORE_RUNS,
                    "--benchmark_out=" + path, "--benchmark_out_format=json"],
                   check=True, stdout=subprocess.DEVNULL)
    with open(path) as f:
        report = json.load(f)
    times = {}
    scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}
    for b in report["benchmarks"]:
        if b.get("run_type") == "iteration":
            t = b["cpu_time"] * scale[b["time_unit"]]
            name = b["run_name"]
            times[name] = min(times.get(name, t), t)
    return times


# ---- The table ----------------------------------------------------------------------------------


def machine():
    model = "?"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return "%s; %d cores (nproc); %s; Linux %s; Xvfb; PulseAudio null sink" % (
        model, len(os.sched_getaffinity(0)), wine, platform.release())


def verdict(ok):
    return "meets" if ok else "**misses**"


def mb(n):
    return "%.1f MB" % (n / 1048576)


def table(startup, window, core, starts):
    rows = []
    add = rows.append
    dd, bare = median(startup["DictaDrill"]), median(startup["bare window"])
    ratio = dd / bare
    fastest = min(startup["DictaDrill"]) / min(startup["bare window"])
    add(("Start-up to the first painted menu, median of %d starts under Wine "
         "(min–max)" % starts,
         "%.0f ms (%.0f–%.0f)" % (dd * 1000, min(startup["DictaDrill"]) * 1000,
                                  max(startup["DictaDrill"]) * 1000),
         "bare Win32 window: %.0f ms (%.0f–%.0f)" % (bare * 1000,
                                                     min(startup["bare window"]) * 1000,
                                                     max(startup["bare window"]) * 1000),
         "%.3f× (fastest starts: %.3f×) — target ≤ %.1f×: %s" % (
             ratio, fastest, STARTUP_TARGET, verdict(ratio <= STARTUP_TARGET))))

    t = window["timing"]
    pace = window["pace_ms"]
    labels = [
        ("hit", "Key to screen, hit: WM_CHAR to the end of its WM_PAINT, keys back to back"),
        ("miss", "Key to screen, miss: WM_CHAR to the end of its handling (a miss paints "
                 "nothing), keys back to back"),
        ("tick", "Tick to screen: WM_TIMER to the end of its WM_PAINT"),
        ("last_letter", "Last letter of a sentence: to the end of the result screen's paint "
                        "(whole window, recording played again)"),
        ("hit_paced", "Key to screen, hit, a key every %d ms (a fast typist)" % pace),
        ("miss_paced", "Key to screen, miss, a key every %d ms" % pace),
        ("hit_silent", "Key to screen, hit, with a silent sound stand-in: the program's own "
                       "share"),
        ("miss_silent", "Key to screen, miss, with a silent sound stand-in"),
        ("tick_silent", "Tick to screen, with a silent sound stand-in"),
        ("last_letter_silent", "Last letter of a sentence, with a silent sound stand-in"),
    ]
    for key, label in labels:
        s = t[key]
        add(("%s; median / p99 / max over %d" % (label, s["n"]),
             "%.3f / %.3f / %.3f ms" % (s["median_ms"], s["p99_ms"], s["max_ms"]),
             "one frame: %.0f ms" % FRAME_MS,
             "p99 %.0f%% of a frame: %s" % (100 * s["p99_ms"] / FRAME_MS,
                                             verdict(s["p99_ms"] < FRAME_MS))))

    floor = core["copy256"]
    for key in ("hit", "miss", "hint", "tick"):
        add(("Core work per %s (Google Benchmark, best of %d runs)" % (key, CORE_RUNS),
             "%.1f ns" % core[key], "256-byte copy: %.1f ns" % floor,
             "%.1f× the copy" % (core[key] / floor)
             + ("; target ≤ 3×: %s" % verdict(core[key] <= 3 * floor) if key == "hit" else "")))

    a = window["area"]
    for key, rect in (("hit", "englishRect"), ("tick", "timeRect")):
        add(("Pixels repainted per %s (the update region its paint receives)"
             % key,
             "%d px (%s: %d px)" % (a[key], rect, a[rect.replace("Rect", "_rect")]),
             "whole client area: %d px" % a["client"],
             "%.1f%% of the client area; %s" % (100 * a[key] / a["client"],
                                                verdict(a[key] == a[rect.replace("Rect",
                                                                                 "_rect")]))))
    add(("Pixels repainted per miss", "%d px" % a["miss"], "whole client area: %d px"
         % a["client"], verdict(a["miss"] == 0)))

    m, q = window["memory"], window["memory_silent"]
    alone = window["media_player_alone"]
    sources = window["sources"]
    span = "%d keys and %d attempts" % (m["keys"], m["attempts"])
    alone_label = "Wine's MPEG player alone, %d open-play-close cycles" % alone["cycles"]

    def delta(run, key):
        return run["after"][key] - run["before"][key]

    grown, own = delta(m, "private_bytes"), delta(q, "private_bytes")
    add(("Private bytes over %s with the real sound (read on the menu, recording closed; "
         "before: after 20 warm-up attempts)" % span,
         "%s → %s: %+.2f MB (%+.1f KB per attempt)" % (
             mb(m["before"]["private_bytes"]), mb(m["after"]["private_bytes"]),
             grown / 1048576, grown / 1024 / m["attempts"]),
         "%s: %+.2f MB (%+.1f KB per cycle)" % (alone_label, alone["private_bytes"] / 1048576,
                                                 alone["private_bytes"] / 1024 / alone["cycles"]),
         "grows in Wine's sound libraries: the same drill without sound, next row, does not"
         if grown > MEMORY_NOISE else "no growth"))
    add(("Private bytes over the same %s with a silent sound stand-in: the program's own" % span,
         "%s → %s: %+.2f MB" % (mb(q["before"]["private_bytes"]),
                                mb(q["after"]["private_bytes"]), own / 1048576),
         "with the real sound: %+.2f MB" % (grown / 1048576),
         "no growth" if own <= MEMORY_NOISE else "**grows**"))
    for key, label in (("gdi", "GDI objects"), ("user", "USER objects")):
        add(("%s over %s (%s)" % (label, span, sources[key]),
             "%d → %d with sound, %d → %d without" % (m["before"][key], m["after"][key],
                                                      q["before"][key], q["after"][key]),
             "before: %d" % m["before"][key],
             "no growth" if delta(m, key) <= 0 and delta(q, key) <= 0 else "**grows**"))
    handles = delta(m, "handles")
    add(("Kernel handles over %s (%s)" % (span, sources["handles"]),
         "%+d with sound (%.1f per attempt), %+d without" % (handles, handles / m["attempts"],
                                                              delta(q, "handles")),
         "%s: %+d (%.1f per cycle)" % (alone_label, alone["handles"],
                                       alone["handles"] / alone["cycles"]),
         "the program's own: no growth; Wine's MPEG player keeps %.0f per recording opened"
         % (alone["handles"] / alone["cycles"]) if delta(q, "handles") <= HANDLE_NOISE and
         handles / m["attempts"] <= alone["handles"] / alone["cycles"] + 1 else "**grows**"))

    lines = ["| Measure | DictaDrill | Baseline (same run) | Result |", "|---|---|---|---|"]
    lines += ["| %s |" % " | ".join(r) for r in rows]
    stamp = datetime.date.today().isoformat()
    lines += ["", "Measured %s on: %s. Release builds (mingw-w64 -O3 for Windows, g++ -O3 "
              "natively)." % (stamp, machine())]
    return "\n".join(lines) + "\n"


def main():
    # A time-out's TERM unwinds like an error, so a started program is killed by its PID.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("bench.py: terminated"))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--bare", required=True)
    parser.add_argument("--window-bench", required=True)
    parser.add_argument("--core", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--starts", type=int, default=21)
    options = parser.parse_args()
    if options.starts < 5:
        parser.error("--starts: at least 5")
    os.makedirs(options.out, exist_ok=True)
    dp.prepare_prefix()

    print("bench: core work per key (Google Benchmark) ...", file=sys.stderr, flush=True)
    core = run_core_bench(options)
    print("bench: start-up, %d starts of each program ..." % options.starts, file=sys.stderr,
          flush=True)
    startup = measure_startup(options)
    print("bench: the main window in process (takes a few minutes) ...", file=sys.stderr,
          flush=True)
    window = run_window_bench(options)
    with open(os.path.join(options.out, "figures.json"), "w") as f:
        json.dump({"startup_s": startup, "window": window, "core_ns": core}, f, indent=1)

    text = table(startup, window, core, options.starts)
    with open(os.path.join(options.out, "table.md"), "w") as f:
        f.write(text)
    print(text, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main())
