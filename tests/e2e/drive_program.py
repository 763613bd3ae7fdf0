#!/usr/bin/env python3
"""DictaDrill.exe driven end to end under Wine: real key presses and mouse clicks (xdotool),
screenshots of the X display (ImageMagick's import) and the sound of the PulseAudio null sink
(parec on its monitor).

Run inside the environment of tools/test-env.sh (DISPLAY, WINEPREFIX, PULSE_SERVER, ...):

    drive_program.py --exe DictaDrill.exe --replay dictadrill-replay --resources resources/
                     [--shots docs/] [--only NAME ...] [--cxx x86_64-w64-mingw32-g++]

The dialogs are read from inside Wine as well: dialog_probe.cpp, built with the cross compiler
(--cxx) on first use, prints the caption, place and controls of every visible dialog.

Each scenario starts the program afresh. Prints one line per check and a summary with the
measured start-up times; the exit status is 1 when a check failed.
"""

import argparse
import json
import math
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

# ---- The window's layout, in client coordinates (right and bottom exclusive) ----------------

RECTS = {
    "id": (20, 15, 80, 30),
    "check": (10, 45, 90, 70),
    "japanese": (105, 15, 530, 105),
    "english": (20, 130, 530, 220),
    "help1": (10, 275, 530, 295),
    "help2": (10, 300, 530, 320),
    "order": (10, 240, 110, 260),
    "range": (120, 240, 250, 260),
    "presentation": (260, 240, 360, 260),
    "speed": (370, 240, 420, 260),
    "time": (430, 240, 470, 260),
    "best": (475, 240, 530, 260),
}
# The part of the client area that the screens draw in; the window's own client area ends a
# little lower (the outer size is fixed at 550 x 350).
CLIENT = (0, 0, 544, 320)

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
BLUE = (0, 0, 255)
RED = (255, 0, 0)
GREEN = (0, 128, 0)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)

TITLE = "Dictaline DEMO"
STAGED = ["S001.mp3", "S002.mp3", "S003.mp3", "S004.mp3",
          "N001.mp3", "N002.mp3", "N003.mp3", "N004.mp3"]

HEARD_RMS = 0.005  # speech on the null sink is around 0.05
SILENT_RMS = 0.001  # nothing playing gives exact zeros


class CheckFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise CheckFailed(message)


def run(args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


# ---- Screenshots ----------------------------------------------------------------------------


class Shot:
    """One capture of the whole X screen, read through client coordinates."""

    def __init__(self, data, width, height, origin):
        self.data, self.width, self.height = data, width, height
        self.ox, self.oy = origin

    def pixel(self, x, y):
        i = ((self.oy + y) * self.width + self.ox + x) * 3
        return tuple(self.data[i:i + 3])

    def row(self, y, left, right):
        i = ((self.oy + y) * self.width + self.ox) * 3
        return self.data[i + left * 3:i + right * 3]

    def colours(self, rect):
        """How many pixels of each colour lie inside rect."""
        left, top, right, bottom = rect
        counts = {}
        for y in range(top, bottom):
            row = self.row(y, left, right)
            for i in range(0, len(row), 3):
                c = (row[i], row[i + 1], row[i + 2])
                counts[c] = counts.get(c, 0) + 1
        return counts

    def inked(self, rect):
        return sum(n for c, n in self.colours(rect).items() if c != WHITE)

    def has(self, rect, colour):
        return self.colours(rect).get(colour, 0) > 0

    def changed(self, other, rect=CLIENT):
        """The client pixels that differ from other's, as (x, y)."""
        left, top, right, bottom = rect
        points = []
        for y in range(top, bottom):
            a, b = self.row(y, left, right), other.row(y, left, right)
            if a == b:
                continue
            for x in range(right - left):
                if a[x * 3:x * 3 + 3] != b[x * 3:x * 3 + 3]:
                    points.append((left + x, y))
        return points


def inside(point, rect):
    x, y = point
    return rect[0] <= x < rect[2] and rect[1] <= y < rect[3]


def expect_changes_only_in(before, after, names, must_change=()):
    stray = [p for p in after.changed(before)
             if not any(inside(p, RECTS[n]) for n in names)]
    check(not stray, "pixels changed outside %s, e.g. at %s (%d in all)"
          % ("+".join(names), stray[0] if stray else None, len(stray)))
    for name in must_change:
        check(after.changed(before, RECTS[name]), "nothing changed in %sRect" % name)


_SCREEN_SIZE = None


def capture():
    """The whole screen as raw RGB bytes, with its width and height."""
    global _SCREEN_SIZE
    if _SCREEN_SIZE is None:
        _SCREEN_SIZE = tuple(int(v) for v in run(["xdotool", "getdisplaygeometry"]).split())
    raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    return raw, _SCREEN_SIZE[0], _SCREEN_SIZE[1]


def find_client_origin(raw, width):
    """The separator line is the one black run of 530 pixels, from client (5, 270)."""
    pattern = bytes(WHITE) + bytes(BLACK) * 530 + bytes(WHITE)
    at = raw.find(pattern)
    while at >= 0 and at % 3 != 0:
        at = raw.find(pattern, at + 1)
    if at < 0:
        return None
    pixel = at // 3 + 1
    return pixel % width - 5, pixel // width - 270


# ---- Sound ----------------------------------------------------------------------------------


class Recorder:
    """Records the null sink's monitor until stop(); rms() of a stretch of it, in seconds of
    the recording, as mark() gave them."""

    RATE = int(os.environ.get("DD_PULSE_RATE", "44100"))

    def __init__(self):
        sink = os.environ.get("DD_PULSE_SINK", "ddsink")
        self.file = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(
            ["parec", "-d", sink + ".monitor", "--raw", "--format=s16le",
             "--rate=%d" % self.RATE, "--channels=1", "--latency-msec=20"],
            stdout=self.file, stderr=subprocess.DEVNULL)
        # The stream has begun once samples arrive; marks are taken in the stream itself.
        deadline = time.monotonic() + 10
        while self.mark() < 0.1:
            check(time.monotonic() < deadline, "parec records nothing")
            time.sleep(0.02)

    def mark(self):
        """Seconds of sound recorded so far: where in the recording "now" is."""
        return os.fstat(self.file.fileno()).st_size / 2 / self.RATE

    def press(self, action, *args):
        """Runs action(*args) (a key press); returns the marks just before and after it, so a
        stretch before the press never takes in its effect."""
        before = self.mark()
        action(*args)
        return before, self.mark()

    def stop(self):
        self.proc.terminate()
        self.proc.wait(5)
        self.file.seek(0)
        data = self.file.read()
        self.samples = memoryview(data[:len(data) - len(data) % 2]).cast("h")
        self.file.close()

    def heard(self, begin, end, what):
        level = self.rms(begin, end)
        check(level > HEARD_RMS, "%s: RMS %.4f over %.1f-%.1f s" % (what, level, begin, end))

    def silent(self, begin, end, what):
        level = self.rms(begin, end)
        profile = " ".join("%.3f" % self.rms(t / 10, t / 10 + 0.1)
                           for t in range(int(begin * 10) - 5, int(end * 10)))
        check(level < SILENT_RMS, "%s: RMS %.4f over %.1f-%.1f s (by 0.1 s from %.1f: %s)"
              % (what, level, begin, end, begin - 0.5, profile))

    def rms(self, begin, end):
        """RMS (full scale 1.0) of the recording from begin to end seconds."""
        a = max(0, int(begin * self.RATE))
        b = min(len(self.samples), int(end * self.RATE))
        if b <= a:
            return 0.0
        total = sum(s * s for s in self.samples[a:b])
        return math.sqrt(total / (b - a)) / 32768.0


# ---- The program ----------------------------------------------------------------------------


class Program:
    def __init__(self, exe):
        self.exe = exe
        self.proc = None
        self.origin = None

    def start(self):
        """Starts the program and waits for the complete menu; returns the seconds from the
        process start to the first screenshot that shows it."""
        env = dict(os.environ, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
        begun = time.monotonic()
        self.proc = subprocess.Popen(["wine", self.exe], env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        deadline = begun + 60
        while time.monotonic() < deadline:
            check(self.proc.poll() is None, "the program ended at start: %s" % self.proc.poll())
            raw, w, h = capture()
            origin = find_client_origin(raw, w)
            if origin is not None:
                shot = Shot(raw, w, h, origin)
                if shot.has(RECTS["japanese"], RED) and shot.has(RECTS["help2"], GREY):
                    elapsed = time.monotonic() - begun
                    self.origin = origin
                    self.window = run(["xdotool", "search", "--name", "^%s$" % TITLE]).split()[0]
                    self.focus()
                    return elapsed
        raise CheckFailed("no menu within 60 s")

    def focus(self):
        run(["xdotool", "windowfocus", "--sync", self.window])

    def geometry(self):
        out = run(["xdotool", "getwindowgeometry", "--shell", self.window])
        values = dict(line.split("=") for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def shot(self):
        raw, w, h = capture()
        return Shot(raw, w, h, self.origin)

    def settle(self, seconds=0.4):
        time.sleep(seconds)
        return self.shot()

    def key(self, *names):
        run(["xdotool", "key", "--delay", "60"] + list(names))

    def type(self, text, delay_ms=40):
        run(["xdotool", "type", "--delay", str(delay_ms), text])

    def click_client(self, x, y):
        run(["xdotool", "mousemove", str(self.origin[0] + x), str(self.origin[1] + y),
             "click", "1"])

    def drag(self, dx, dy):
        """A left-button drag from the middle of the client area, in four steps."""
        sx, sy = self.origin[0] + 300, self.origin[1] + 150
        run(["xdotool", "mousemove", str(sx), str(sy), "mousedown", "1"])
        time.sleep(0.3)
        for step in range(1, 5):
            run(["xdotool", "mousemove", str(sx + dx * step // 4), str(sy + dy * step // 4)])
            time.sleep(0.1)
        run(["xdotool", "mouseup", "1"])
        time.sleep(0.5)

    def wait_for(self, predicate, what, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            shot = self.shot()
            if predicate(shot):
                return shot
            check(time.monotonic() < deadline, "timed out waiting for " + what)
            time.sleep(0.05)

    def wait_exit(self, timeout=15):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise CheckFailed("the program did not end within %d s" % timeout)

    def kill(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(10)


# What each screen has that the others do not.
def is_menu(shot):
    return (shot.pixel(10, 175) == WHITE and shot.has(RECTS["japanese"], RED)
            and shot.has(RECTS["help2"], GREY))


def is_typing(shot):
    return shot.pixel(10, 175) == BLACK and not shot.has(RECTS["english"], BLUE) and \
        shot.has(RECTS["help2"], GREY)


def is_result(shot):
    return shot.pixel(10, 175) == BLACK and shot.has(RECTS["english"], BLUE)


def outline_ok(shot, box, rounded):
    """A one-pixel black outline of box (right and bottom exclusive), white just outside."""
    left, top, right, bottom = box
    skip = 6 if rounded else 0
    for x in range(left + skip, right - skip):
        if shot.pixel(x, top) != BLACK or shot.pixel(x, bottom - 1) != BLACK:
            return False
        if shot.pixel(x, top - 1) != WHITE or shot.pixel(x, bottom) != WHITE:
            return False
    for y in range(top + skip, bottom - skip):
        if shot.pixel(left, y) != BLACK or shot.pixel(right - 1, y) != BLACK:
            return False
    return (shot.pixel(left, top) == WHITE) == rounded


SETTING_FRAMES = [(7, 237, 113, 263), (117, 237, 253, 263), (257, 237, 363, 263),
                  (367, 237, 423, 263)]
ROUNDED_FRAMES = [(10, 5, 90, 40), (95, 5, 540, 115), (10, 120, 540, 230)]


# ---- The dialogs ------------------------------------------------------------------------------

SETTINGS_CAPTION = "設定"
PROGRESS_CAPTION = "進度集計"
# Template sizes in dialog units; the font's base units follow from them and the client size.
SETTINGS_SIZE = (363, 183)
PROGRESS_SIZE = (234, 201)
# The settings' radio buttons on at start: in order, audio only, natural translation, slow,
# standard hit and miss sounds, timer shown.
SETTINGS_START_ON = {1002, 1004, 1015, 1008, 1011, 1023, 1013}
RADIO_BUTTONS = SETTINGS_START_ON | {1001, 1020, 1003, 1005, 1027, 1009, 1010, 1021, 1022, 1012,
                                     1014}
RANDOM_BUTTON = (1001, (16, 86, 40, 10))  # id, place in dialog units
# The count edits of chapters 1 to 20 and then the total: id and place in dialog units.
COUNT_EDITS = ([(1027 + c, (76, 13 + 14 * c, 28, 12)) for c in range(11)]
               + [(1038 + c, (186, 13 + 14 * c, 28, 12)) for c in range(5)]
               + [(1044 + c, (186, 83 + 14 * c, 28, 12)) for c in range(4)]
               + [(1043, (186, 153, 28, 12))])


def mul_div(a, b, c):
    return (a * b + c // 2) // c


def visible_windows(name):
    """The visible X windows titled exactly name."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % name],
                           capture_output=True, text=True)
    return found.stdout.split()


class Dialog:
    """An open dialog of the program: its client area on the screen, as Wine places it, and the
    pixels of its dialog units."""

    def __init__(self, caption, record, size):
        self.caption = caption
        self.x, self.y, self.width, self.height = record["client"]
        self.base = (round(self.width * 4 / size[0]), round(self.height * 8 / size[1]))

    def rect(self, units):
        """A place in dialog units as client pixels (right and bottom exclusive)."""
        x, y, w, h = units
        left, top = mul_div(x, self.base[0], 4), mul_div(y, self.base[1], 8)
        return (left, top, left + mul_div(w, self.base[0], 4), top + mul_div(h, self.base[1], 8))

    def shot(self):
        raw, w, h = capture()
        return Shot(raw, w, h, (self.x, self.y))

    def is_open(self):
        return bool(visible_windows(self.caption))


def pixels(shot, rect, inset=0):
    left, top, right, bottom = rect
    return b"".join(shot.row(y, left + inset, right - inset) for y in range(top + inset,
                                                                           bottom - inset))


# ---- Scenarios --------------------------------------------------------------------------------


class Checks:
    """Named checks, each reported on a line of its own as "ok" or "FAIL"; counts failures."""

    def __init__(self):
        self.failed = 0

    def report(self, name, error=None):
        line = ("ok    " if error is None else "FAIL  ") + name
        if error is not None:
            line += ": " + error
            self.failed += 1
        print(line, flush=True)

    def step(self, name, fn, *args):
        """One check; a failure is reported (and marked so) and ends the scenario."""
        try:
            result = fn(*args)
        except CheckFailed as e:
            self.report(name, str(e))
            e.reported = True
            raise
        self.report(name)
        return result


class Drive(Checks):
    def __init__(self, options):
        super().__init__()
        self.options = options
        self.startups = []
        self.temp_folder = None
        self.lines = []
        self.probe_exe = None

    def start(self):
        program = Program(self.options.exe)
        self.startups.append(program.start())
        return program

    def save_shot(self, program, name):
        if not self.options.shots:
            return
        x, y, w, h = program.geometry()
        path = os.path.join(self.options.shots, name)
        run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
             "png:" + path])

    def wine_temp_folder(self):
        if self.temp_folder is None:
            windows = run(["wine", "cmd", "/c", "echo %TEMP%"]).strip()
            self.temp_folder = run(["winepath", "-u", windows]).strip()
        return self.temp_folder

    # -- start, menu, Escape ------------------------------------------------------------------

    def scenario_menu_and_escape(self):
        """Start shows the menu; Escape ends with 0 and leaves the staged recordings."""
        folder = self.wine_temp_folder()
        for name in STAGED:
            path = os.path.join(folder, name)
            if os.path.exists(path):
                os.remove(path)
        program = self.start()
        try:
            shot = program.shot()
            self.step("menu: separator, setting frames, no rounded frames",
                      self.check_menu_frames, shot)
            self.step("menu: red title, green settings, grey help, nothing else",
                      self.check_menu_texts, shot)
            self.save_shot(program, "menu.png")
            program.key("Escape")
            self.step("Escape on the menu ends the process with exit code 0",
                      lambda: check(program.wait_exit() == 0, "exit code is not 0"))
            self.step("the eight recordings stay in the temporary folder",
                      self.check_staged, folder)
        finally:
            program.kill()

    def check_menu_frames(self, shot):
        check(shot.row(270, 5, 535) == bytes(BLACK) * 530, "no separator at y 270")
        for box in SETTING_FRAMES:
            check(outline_ok(shot, box, False), "no setting frame at %s" % (box,))
        for box in ROUNDED_FRAMES:
            check(shot.pixel(box[0], (box[1] + box[3]) // 2) == WHITE,
                  "a rounded frame at %s on the menu" % (box,))

    def check_menu_texts(self, shot):
        check(shot.has(RECTS["japanese"], RED), "no red title")
        for name in ("order", "range", "presentation", "speed"):
            check(shot.has(RECTS[name], GREEN), "no green text in %sRect" % name)
        for name in ("help1", "help2"):
            check(shot.has(RECTS[name], GREY), "no grey text in %sRect" % name)
        for name in ("id", "check", "english", "time", "best"):
            check(shot.inked(RECTS[name]) == 0, "%sRect is not empty on the menu" % name)

    def check_staged(self, folder):
        for name in STAGED:
            path = os.path.join(folder, name)
            check(os.path.exists(path), "%s is missing" % path)
            with open(path, "rb") as staged, \
                    open(os.path.join(self.options.resources, name), "rb") as source:
                check(staged.read() == source.read(), "%s differs from the resource" % name)

    # -- closing by the close box and by Alt+F4 -------------------------------------------------

    def scenario_close_box(self):
        """A real click on the close box Wine draws on the caption ends the program with 0."""
        program = self.start()
        try:
            x, y, w, h = program.geometry()
            # The caption lies above the client area; its close box is at the right end.
            caption_y = (y + program.origin[1]) // 2
            run(["xdotool", "mousemove", str(x + w - 13), str(caption_y), "click", "1"])
            self.step("the close box ends the process with exit code 0",
                      lambda: check(program.wait_exit() == 0, "exit code is not 0"))
            self.step("the recordings stay after the close box",
                      self.check_staged, self.wine_temp_folder())
        finally:
            program.kill()

    def scenario_alt_f4(self):
        """Alt+F4 goes through the default procedure to WM_CLOSE: exit code 0."""
        program = self.start()
        try:
            program.key("alt+F4")
            self.step("Alt+F4 ends the process with exit code 0",
                      lambda: check(program.wait_exit() == 0, "exit code is not 0"))
        finally:
            program.kill()

    # -- dragging -------------------------------------------------------------------------------

    def scenario_drag(self):
        """A left-button drag on the client area moves the window."""
        program = self.start()
        try:
            x0, y0, _, _ = program.geometry()
            program.drag(80, 40)

            def moved():
                x1, y1, _, _ = program.geometry()
                check((x1 - x0, y1 - y0) == (80, 40),
                      "the window moved by %s, not (80, 40)" % ((x1 - x0, y1 - y0),))
                raw, w, h = capture()
                origin = find_client_origin(raw, w)
                check(origin == (program.origin[0] + 80, program.origin[1] + 40),
                      "the client area is drawn at %s" % (origin,))
            self.step("a drag of the client area moves the window", moved)
            program.origin = (program.origin[0] + 80, program.origin[1] + 40)
            program.key("Escape")
            check(program.wait_exit() == 0, "exit code is not 0 after the drag")
        finally:
            program.kill()

    # -- a whole drill --------------------------------------------------------------------------

    def targets(self, index):
        out = run([self.options.replay, "--catalogue"])
        english = json.loads(out.splitlines()[index])["english"]
        # Letters and digits only; a small letter is accepted for a capital.
        return "".join(c.lower() for c in english if c.isascii() and c.isalnum())

    def scenario_drill(self):
        """Sentence 1 typed to the end, and every key of the typing and result screens."""
        sentence = self.targets(0)
        program = self.start()
        try:
            self.drill(program, sentence)
        finally:
            program.kill()

    def drill(self, p, sentence):
        # Enter: sentence 1, its recording, the tick.
        rec = Recorder()
        time.sleep(0.8)
        enter = rec.press(p.key, "Return")
        typing = p.wait_for(is_typing, "the typing screen")
        time.sleep(2.0)
        rec.stop()
        self.step("the menu is silent", lambda: rec.silent(0.05, enter[0], "sound on the menu"))
        self.step("Enter starts sentence 1 and its recording is heard", lambda: rec.heard(enter[1] + 0.3, enter[1] + 2.0, "no recording heard"))

        def fresh_attempt():
            for box in ROUNDED_FRAMES:
                check(outline_ok(typing, box, True), "no rounded frame at %s" % (box,))
            check(typing.inked(RECTS["english"]) == 0, "englishRect is not empty")
            check(typing.has(RECTS["id"], BLACK), "no id")
            check(typing.inked(RECTS["japanese"]) == 0, "a translation with audio only")
            check(typing.has(RECTS["time"], SILVER), "no silver time")
        self.step("typing screen: frames, id, empty englishRect, silver time", fresh_attempt)
        id_sentence1 = typing

        before = p.shot()
        after = p.settle(0.6)
        self.step("a tick changes pixels only inside timeRect",
                  expect_changes_only_in, before, after, ["time"], ["time"])

        wrong = "z" if sentence[0] != "z" else "q"
        before = p.shot()
        p.type(wrong)
        after = p.settle()
        self.step("a wrong key changes no pixel outside timeRect",
                  expect_changes_only_in, before, after, ["time"])

        before = p.shot()
        p.type(sentence[0])
        after = p.settle()
        self.step("a correct key changes pixels only inside englishRect and timeRect",
                  expect_changes_only_in, before, after, ["english", "time"], ["english"])

        # Ctrl pauses and resumes; Space plays from the start. No pixel outside timeRect.
        rec = Recorder()
        before = p.shot()
        paused = rec.press(p.key, "Control_L")
        time.sleep(1.2)
        resumed = rec.press(p.key, "Control_L")
        time.sleep(1.2)
        paused_again = rec.press(p.key, "Control_L")
        time.sleep(1.0)
        replayed = rec.press(p.key, "space")
        time.sleep(1.5)
        after = p.shot()
        rec.stop()
        self.step("Ctrl pauses the recording", lambda: rec.silent(paused[1] + 0.3, resumed[0], "still sounding after Ctrl"))
        self.step("Ctrl again resumes it", lambda: rec.heard(resumed[1] + 0.3, paused_again[0], "silent after the second Ctrl"))
        self.step("Space plays the recording again", lambda: rec.heard(replayed[1] + 0.3, replayed[1] + 1.5, "silent after Space"))
        self.step("Ctrl and Space repaint nothing but the time",
                  expect_changes_only_in, before, after, ["time"])

        # The hint reveals one more letter and draws nothing else.
        before = p.shot()
        p.key("backslash")
        after = p.settle()
        self.step("the backslash hint reveals inside englishRect only",
                  expect_changes_only_in, before, after, ["english", "time"], ["english"])

        # Backspace on the first sentence goes back to the menu.
        p.key("BackSpace")
        self.step("Backspace on sentence 1 returns to the menu",
                  lambda: p.wait_for(is_menu, "the menu"))

        # A clean attempt: every letter and digit typed, the recording heard again.
        p.key("Return")
        p.wait_for(is_typing, "the typing screen")
        half = len(sentence) // 2
        p.type(sentence[:half])
        time.sleep(0.3)
        self.save_shot(p, "typing.png")
        p.type(sentence[half:-1])
        rec = Recorder()
        done = rec.press(p.type, sentence[-1])
        result = p.wait_for(is_result, "the result screen")
        time.sleep(2.0)
        rec.stop()
        self.step("typing the whole sentence reaches the result screen", lambda: None)
        self.step("the recording is heard again on the result screen", lambda: rec.heard(done[1] + 0.5, done[1] + 2.0, "no recording after the last key"))

        def result_texts():
            for name in ("id", "japanese", "english"):
                check(result.has(RECTS[name], BLUE), "no blue text in %sRect" % name)
            check(result.has(RECTS["time"], RED), "the new best time is not red")
            check(result.has(RECTS["best"], BLACK), "no black best time")
            check(result.inked(RECTS["check"]) == 0, "a check label on an unchecked item")
        self.step("result screen: blue texts, red elapsed time, black best time", result_texts)
        self.save_shot(p, "result.png")

        # The check mark: label and count, then back to the same pixels.
        before = p.shot()
        p.key("backslash")
        checked = p.settle()
        self.step("backslash on the result puts the check label and count only",
                  expect_changes_only_in, before, checked, ["check", "range"], ["check", "range"])
        self.step("the check label is red", lambda: check(
            checked.has(RECTS["check"], RED), "no red check label"))
        p.key("backslash")
        unchecked = p.settle()
        self.step("backslash again removes it", lambda: check(
            not unchecked.changed(before), "the screen differs from before the check"))

        # Delete switches the translation, Tab the speed; each repaints its own rectangle.
        before = p.shot()
        p.key("Delete")
        after = p.settle()
        self.step("Delete switches the translation in japaneseRect only",
                  expect_changes_only_in, before, after, ["japanese"], ["japanese"])
        p.key("Delete")
        back = p.settle()
        self.step("Delete again shows the first translation", lambda: check(
            not back.changed(before), "the translation did not come back"))

        rec = Recorder()
        spaced = rec.press(p.key, "space")
        time.sleep(1.0)
        before = p.shot()
        tabbed = rec.press(p.key, "Tab")
        after = p.settle(1.2)
        rec.stop()
        self.step("Space on the result plays the recording", lambda: rec.heard(spaced[1] + 0.3, tabbed[0], "silent after Space"))
        self.step("Tab stops the recording", lambda: rec.silent(tabbed[1] + 0.3, tabbed[1] + 1.2, "still sounding after Tab"))
        self.step("Tab switches the speed in speedRect only",
                  expect_changes_only_in, before, after, ["speed"], ["speed"])

        # Backspace on the result: the same sentence once more, from an empty reveal.
        p.key("BackSpace")
        again = p.wait_for(is_typing, "the typing screen")
        self.step("Backspace on the result tries the same sentence again", lambda: (
            check(again.inked(RECTS["english"]) == 0, "englishRect is not empty"),
            check(not again.changed(id_sentence1, RECTS["id"]), "another sentence")))

        # Enter gives up: the whole sentence, the time grey, the best time kept.
        best_before = result
        p.type(sentence[:3])
        p.key("Return")
        gave_up = p.wait_for(is_result, "the result screen")
        self.step("Enter on typing shows the result with a grey time and the same best", lambda: (
            check(gave_up.has(RECTS["time"], GREY), "the time is not grey"),
            check(not gave_up.changed(best_before, RECTS["best"]), "the best time changed")))

        # Enter on the result: the next sentence, at the natural speed Tab chose.
        rec = Recorder()
        entered = rec.press(p.key, "Return")
        second = p.wait_for(is_typing, "the typing screen")
        time.sleep(1.5)
        rec.stop()
        self.step("Enter on the result starts the next sentence with its recording", lambda: (
            check(second.changed(id_sentence1, RECTS["id"]), "the id did not change"),
            rec.heard(entered[1] + 0.3, entered[1] + 1.5, "no recording heard")))

        # Backspace in the middle of a run: the sentence before.
        p.key("BackSpace")
        time.sleep(0.6)
        previous = p.wait_for(lambda s: is_typing(s) and not s.changed(id_sentence1, RECTS["id"]),
                              "sentence 1 again")
        self.step("Backspace on sentence 2 goes back to sentence 1", lambda: check(
            previous.inked(RECTS["english"]) == 0, "englishRect is not empty"))

        p.key("Escape")
        p.wait_for(is_menu, "the menu")
        p.key("Escape")
        self.step("Escape from typing to the menu, then out with exit code 0",
                  lambda: check(p.wait_exit() == 0, "exit code is not 0"))

    # -- the settings and progress dialogs --------------------------------------------------------

    def probe(self):
        """The visible dialogs as dialog_probe.exe reads them inside Wine, by caption."""
        if self.probe_exe is None:
            self.probe_folder = tempfile.TemporaryDirectory(prefix="dd-probe-")
            self.probe_exe = os.path.join(self.probe_folder.name, "dialog_probe.exe")
            source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dialog_probe.cpp")
            run([self.options.cxx, "-std=c++20", "-O1", "-static", "-o", self.probe_exe, source,
                 "-luser32"])
        env = dict(os.environ, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
        out = run(["wine", self.probe_exe], env=env)
        dialogs = [json.loads(line) for line in out.splitlines() if line.strip()]
        return {d["caption"]: d for d in dialogs}

    def controls(self, caption):
        dialogs = self.probe()
        check(caption in dialogs, "no dialog %s, only %s" % (caption, list(dialogs)))
        return {c["id"]: c for c in dialogs[caption]["controls"]}

    def open_dialog(self, program, key, caption, size):
        """Presses key on the menu; the dialog must come up with its client area on the main
        window's, where its template's position (0, 0) puts it."""
        program.key(key)
        deadline = time.monotonic() + 10
        while not visible_windows(caption):
            check(time.monotonic() < deadline, "no dialog %s within 10 s" % caption)
            time.sleep(0.1)
        time.sleep(0.5)  # painted
        dialogs = self.probe()
        check(caption in dialogs, "Wine shows no dialog %s" % caption)
        dialog = Dialog(caption, dialogs[caption], size)
        check((dialog.x, dialog.y) == program.origin,
              "the dialog's client area is at %s, the main window's at %s"
              % ((dialog.x, dialog.y), program.origin))
        return dialog

    def check_escape_leaves_open(self, program, dialog):
        program.key("Escape")
        time.sleep(0.8)
        check(dialog.is_open(), "the dialog is gone")
        check(dialog.caption in self.probe(), "the dialog is no longer visible inside Wine")

    def check_enter_closes(self, program, dialog, menu_before):
        program.key("Return")
        deadline = time.monotonic() + 10
        while dialog.is_open():
            check(time.monotonic() < deadline, "still open 10 s after Enter")
            time.sleep(0.1)
        # No window manager hands the X focus back to the main window.
        program.focus()
        return program.wait_for(lambda shot: is_menu(shot) and (
            menu_before is None or not shot.changed(menu_before)),
            "the whole menu after the dialog")

    def check_counts(self, shown):
        """The count edits as Wine reads them: shown maps an index of COUNT_EDITS to its text,
        every other one reads 0."""
        controls = self.controls(PROGRESS_CAPTION)
        for index, (edit, _) in enumerate(COUNT_EDITS):
            text = controls.get(edit, {}).get("text")
            check(text == shown.get(index, "0"), "edit %d reads %r, not %r"
                  % (edit, text, shown.get(index, "0")))

    def check_drawn_counts(self, after, zero, dialog):
        """What the edits draw: chapter 1 as the total, every other chapter as at start."""
        places = [dialog.rect(units) for _, units in COUNT_EDITS]
        first, total = places[0], places[-1]
        check(pixels(after, first, 2) != pixels(zero, first, 2), "chapter 1 still draws 0")
        check(pixels(after, first, 2) == pixels(after, total, 2),
              "chapter 1 and the total draw differently")
        for edit, place in zip(COUNT_EDITS[1:-1], places[1:-1]):
            check(pixels(after, place, 2) == pixels(zero, place, 2),
                  "edit %d draws something else than 0" % edit[0])

    def check_settings_start(self):
        controls = self.controls(SETTINGS_CAPTION)
        on = {i for i in RADIO_BUTTONS if controls.get(i, {}).get("checked") == 1}
        check(on == SETTINGS_START_ON, "buttons on: %s" % sorted(on))
        edits = [controls.get(i, {}).get("text") for i in (1025, 1006, 1007, 1018)]
        check(edits == ["1", "1", "4", "0"], "chapter, lessons, auto reveal: %s" % edits)

    def save_dialog_shot(self, program, dialog, name):
        """The main window with the dialog over it."""
        if not self.options.shots:
            return
        x, y, w, h = program.geometry()
        right, bottom = max(x + w, dialog.x + dialog.width), max(y + h, dialog.y + dialog.height)
        run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (right - x, bottom - y, x, y),
             "+repage", "png:" + os.path.join(self.options.shots, name)])

    def scenario_dialogs(self):
        """Space and Tab on the menu: the progress dialog before and after one unassisted
        completion, and the settings dialog with a click on ランダム; both on the client area,
        left open by Escape and closed by Enter."""
        sentence = self.targets(0)
        program = self.start()
        try:
            # Away from the screen's corner, where the client area is not.
            program.drag(80, 40)
            program.origin = (program.origin[0] + 80, program.origin[1] + 40)
            menu = program.wait_for(is_menu, "the menu after the move")

            dialog = self.step("Space opens the progress dialog on the client area",
                               self.open_dialog, program, "space", PROGRESS_CAPTION,
                               PROGRESS_SIZE)
            zero = dialog.shot()
            self.step("at start every count reads 0", self.check_counts, {})
            self.step("Escape leaves the progress dialog open",
                      self.check_escape_leaves_open, program, dialog)
            self.step("Enter closes it and the menu is whole again",
                      self.check_enter_closes, program, dialog, menu)

            program.key("Return")
            program.wait_for(is_typing, "the typing screen")
            program.type(sentence)
            program.wait_for(is_result, "the result screen")
            program.key("Escape")
            menu = program.wait_for(is_menu, "the menu")
            dialog = self.step("Space opens it again after one unassisted completion",
                               self.open_dialog, program, "space", PROGRESS_CAPTION,
                               PROGRESS_SIZE)
            self.step("chapter 1 and the total read 1, the rest 0",
                      self.check_counts, {0: "1", len(COUNT_EDITS) - 1: "1"})
            self.step("the edits draw it: chapter 1 as the total, the others as before",
                      self.check_drawn_counts, dialog.shot(), zero, dialog)
            self.save_dialog_shot(program, dialog, "progress.png")
            self.check_enter_closes(program, dialog, menu)

            before = program.shot()
            dialog = self.step("Tab opens the settings dialog on the client area",
                               self.open_dialog, program, "Tab", SETTINGS_CAPTION, SETTINGS_SIZE)
            self.step("it shows the start values", self.check_settings_start)
            self.save_dialog_shot(program, dialog, "settings.png")
            self.step("Escape leaves the settings dialog open and unchanged", lambda: (
                self.check_escape_leaves_open(program, dialog), self.check_settings_start()))
            button, units = RANDOM_BUTTON
            left, top, _, bottom = dialog.rect(units)
            run(["xdotool", "mousemove", str(dialog.x + left + 6),
                 str(dialog.y + (top + bottom) // 2), "click", "1"])
            time.sleep(0.4)

            def random_on():
                controls = self.controls(SETTINGS_CAPTION)
                check(controls[button]["checked"] == 1 and controls[1002]["checked"] == 0,
                      "ランダム is not the order turned on")
            self.step("a mouse click on ランダム turns it on", random_on)
            after = self.step("Enter closes the settings dialog",
                              self.check_enter_closes, program, dialog, None)

            def order_changed():
                expect_changes_only_in(before, after, ["order"], ["order"])
                check(after.has(RECTS["order"], GREEN), "the order text is not green")
            self.step("the menu's order text changes, in green, and nothing else", order_changed)
            program.key("Escape")
            check(program.wait_exit() == 0, "exit code is not 0 after the dialogs")
        finally:
            program.kill()

    SCENARIOS = ["menu_and_escape", "close_box", "alt_f4", "drag", "drill", "dialogs"]

    def run_all(self, only):
        for name in self.SCENARIOS:
            if only and name not in only:
                continue
            print("-- " + name, flush=True)
            try:
                getattr(self, "scenario_" + name)()
            except CheckFailed:
                pass
            except Exception:  # a fault of the driver itself counts as a failure
                self.report(name, traceback.format_exc())
        if self.startups:
            times = sorted(self.startups)
            print("start-up to the first painted menu: %d starts, min %.2f s, median %.2f s, "
                  "max %.2f s" % (len(times), times[0], times[len(times) // 2], times[-1]))
        print("%d check(s) failed" % self.failed if self.failed else "all checks passed")
        return 1 if self.failed else 0


def prepare_prefix():
    # Xvfb runs no window manager: Wine then draws the caption and its close box itself.
    run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Decorated", "/t",
         "REG_SZ", "/d", "N", "/f"])


PROGRAM_TOOLS = ["wine", "winepath", "xdotool", "import", "parec"]


def program_driver_start(script, description):
    """What every driver of the running program does first: a time-out's TERM unwinds like an
    error, so every started program is killed by its PID; and the arguments they all take."""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("%s: terminated" % script))
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--replay", required=True, help="dictadrill-replay (native)")
    parser.add_argument("--resources", required=True, help="the folder of the MP3 files")
    return parser


def require_tools(script, tools):
    for tool in tools:
        if shutil.which(tool) is None:
            sys.exit("%s: %s is not installed" % (script, tool))


def main():
    parser = program_driver_start("drive_program.py", __doc__.split("\n")[0])
    parser.add_argument("--shots", help="folder for the screenshots: menu.png, typing.png, "
                        "result.png, progress.png, settings.png")
    parser.add_argument("--cxx", default="x86_64-w64-mingw32-g++",
                        help="the cross compiler that builds dialog_probe.exe")
    parser.add_argument("--only", nargs="*", default=[], choices=Drive.SCENARIOS)
    options = parser.parse_args()
    tools = list(PROGRAM_TOOLS)
    if not options.only or "dialogs" in options.only:
        tools.append(options.cxx)
    require_tools("drive_program.py", tools)
    if options.shots:
        os.makedirs(options.shots, exist_ok=True)
    prepare_prefix()
    return Drive(options).run_all(options.only)


if __name__ == "__main__":
    sys.exit(main())
