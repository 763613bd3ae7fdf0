#!/usr/bin/env python3
"""Faults and bad input tried on the real DictaDrill.exe under Wine: a missing or read-only
temporary folder, recordings replaced by garbage, no sound device, a second copy, keys held
down, and 10,000 random keys. Each test starts the program afresh and checks that it keeps
working and ends with exit code 0.

Run inside the environment of tools/test-env.sh, as tools/run-fault-tests.sh does:

    fault_tests.py --exe DictaDrill.exe --replay dictadrill-replay --resources resources/
                   [--only NAME ...] [--seed N]

Prints one line per check and a summary; the exit status is 1 when a check failed.
"""

import json
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import drive_program as dp
from drive_program import RECTS, check, is_menu, is_result, is_typing

HOLD_SECONDS = 10
RANDOM_KEYS = 10000

# Keys the random test presses. Escape is left out (on the menu it ends the program), Tab too
# (the settings dialog could pick "Japanese only" and no recording would play for the final
# check), and F10 and Alt, which open the system menu.
RANDOM_KEY_NAMES = (
    [chr(c) for c in range(ord("a"), ord("z") + 1)] +
    [chr(c) for c in range(ord("A"), ord("Z") + 1)] +
    [str(d) for d in range(10)] +
    ["backslash"] * 8 + ["Return", "BackSpace"] + ["space"] * 2 +
    ["Delete"] * 2 + ["Control_L"] * 2 +
    ["comma", "period", "minus", "apostrophe", "quotedbl", "question", "exclam", "slash",
     "semicolon", "bracketleft", "yen", "Up", "Down", "Left", "Right", "Home", "End", "Prior",
     "Next", "Insert", "F1", "F2", "F5", "F9", "F11", "F12", "Shift_L", "Caps_Lock",
     "KP_1", "KP_Enter", "Menu", "Henkan", "Muhenkan", "Hiragana_Katakana", "Zenkaku_Hankaku"])
# Characters typed as text: ASCII, Latin-1 and Japanese (two bytes each in code page 932).
RANDOM_TEXT = ("abcdefghijklmnopqrstuvwxyz ABCXYZ 0123456789 .,;:!?'\"()-_=+*/\\|<>[]{}~^@#$%&"
               "éüßñ¥あいうえおカタカナ漢字表示ー「」、。")


def windows(*args):
    """X windows found by xdotool search with args; none is not an error."""
    out = subprocess.run(["xdotool", "search"] + list(args), capture_output=True, text=True)
    return out.stdout.split()


def visible_windows():
    return set(windows("--onlyvisible", "--name", "."))


class Launch(dp.Program):
    """DictaDrill.exe started for one test: with its own temporary folder (Wine takes TMP and
    TEMP from the registry, so cmd sets them for it) and extra environment variables."""

    def __init__(self, exe, temp=None, env=None):
        super().__init__(exe)
        self.temp = temp
        self.extra_env = env or {}
        self.pid = None  # of the program itself; with cmd, self.proc is the launcher

    def start(self):
        env = dict(os.environ, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8", **self.extra_env)
        args = ["wine", self.exe]
        if self.temp is not None:
            folder = dp.run(["winepath", "-w", self.temp]).strip()
            exe = dp.run(["winepath", "-w", self.exe]).strip()
            args = ["wine", "cmd", "/c", "set TMP=%s&& set TEMP=%s&& %s" % (folder, folder, exe)]
        known = set(windows("--name", "^%s$" % dp.TITLE))
        self.proc = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while True:
            check(self.proc.poll() is None, "the program ended at start: %s" % self.proc.poll())
            check(time.monotonic() < deadline, "no menu within 60 s")
            new = [w for w in windows("--name", "^%s$" % dp.TITLE) if w not in known]
            if new:
                raw, width, height = dp.capture()
                origin = dp.find_client_origin(raw, width)
                if origin is not None and is_menu(dp.Shot(raw, width, height, origin)):
                    break
            time.sleep(0.1)
        self.window, self.origin = new[0], origin
        self.pid = int(dp.run(["xdotool", "getwindowpid", self.window]))
        self.focus()

    def alive(self):
        return self.proc.poll() is None and self.pid is not None and pid_alive(self.pid)

    def own_visible_windows(self):
        return set(windows("--onlyvisible", "--pid", str(self.pid)))

    def kill(self):
        if self.pid is not None and pid_alive(self.pid):
            os.kill(self.pid, signal.SIGKILL)
        super().kill()

    def activate(self):
        """Makes this window the active one again once another program's window has been:
        X focus alone does not do it under Wine, a click does (a drag that does not move)."""
        self.focus()
        dp.run(["xdotool", "mousemove", str(self.origin[0] + 300), str(self.origin[1] + 150),
                "click", "1"])
        time.sleep(0.3)

    def drag_by(self, dx, dy):
        """Moves the window with a left-button drag of its client area, as a user does."""
        sx, sy = self.origin[0] + 300, self.origin[1] + 150
        dp.run(["xdotool", "mousemove", str(sx), str(sy), "mousedown", "1"])
        time.sleep(0.3)
        for step in range(1, 5):
            dp.run(["xdotool", "mousemove", str(sx + dx * step // 4), str(sy + dy * step // 4)])
            time.sleep(0.1)
        dp.run(["xdotool", "mouseup", "1"])
        time.sleep(0.5)
        self.origin = (self.origin[0] + dx, self.origin[1] + dy)


def thread_cpu_ticks(pid):
    """CPU time (user and system, in clock ticks) of the process's first thread: under Wine
    that is the program's window thread."""
    with open("/proc/%d/task/%d/stat" % (pid, pid)) as f:
        fields = f.read().split(")")[-1].split()
    return int(fields[11]) + int(fields[12])


def pid_alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


class Faults(dp.Checks):
    def __init__(self, options):
        super().__init__()
        self.options = options
        self.skipped = 0
        self.scratch = tempfile.mkdtemp(prefix="dd-fault-")
        self.mounts = []
        self.programs = []

    # -- helpers ------------------------------------------------------------------------------

    def targets(self, index):
        out = dp.run([self.options.replay, "--catalogue"])
        english = json.loads(out.splitlines()[index])["english"]
        return "".join(c.lower() for c in english if c.isascii() and c.isalnum())

    def wrong_key(self, index):
        first = self.targets(index)[0]
        return "q" if first != "q" else "z"

    def default_temp_folder(self):
        windows_path = dp.run(["wine", "cmd", "/c", "echo %TEMP%"]).strip()
        return dp.run(["winepath", "-u", windows_path]).strip()

    def start(self, **kw):
        """Starts a copy of the program; run_all kills whatever is left of it after the test."""
        program = Launch(self.options.exe, **kw)
        self.programs.append(program)
        program.start()
        return program

    def enter_and_hear(self, p, name):
        """Enter on the menu starts the next sentence, and its recording is heard."""
        rec = dp.Recorder()
        entered = rec.press(p.key, "Return")
        p.wait_for(is_typing, "the typing screen")
        time.sleep(2.0)
        rec.stop()
        self.step(name, lambda: rec.heard(entered[1] + 0.3, entered[1] + 2.0, "no recording"))

    def answers_and_ends(self, p, what):
        """The window still answers: Escape back to the menu (from wherever the drill is), then
        Escape ends the program with exit code 0."""
        shot = p.settle(0.3)
        if not is_menu(shot):
            p.key("Escape")
            p.wait_for(is_menu, "the menu after Escape")
        p.key("Escape")
        self.step(what + ": Escape to the menu, Escape again ends with exit code 0",
                  lambda: check(p.wait_exit() == 0, "exit code is not 0"))

    def hit_reveals(self, p, sentence_index, what):
        before = p.shot()
        p.type(self.targets(sentence_index)[0])
        after = p.settle()
        self.step(what, lambda: check(after.changed(before, RECTS["english"]),
                                      "the first correct letter revealed nothing"))

    def read_only_folder(self, path):
        """Makes path read-only for this user, root included: a read-only bind mount when
        running as root (mode bits do not stop root), else the mode bits. False when neither
        can be had here."""
        os.makedirs(path)
        if os.geteuid() == 0:
            mounted = subprocess.run(["mount", "--bind", path, path],
                                     capture_output=True).returncode == 0
            if mounted:
                self.mounts.append(path)
                subprocess.run(["mount", "-o", "remount,bind,ro", path], capture_output=True)
        else:
            os.chmod(path, 0o555)
        try:
            with open(os.path.join(path, "probe"), "wb"):
                pass
        except OSError:
            return True
        os.remove(os.path.join(path, "probe"))
        return False

    def save_failure_shot(self, name):
        if self.options.shots:
            os.makedirs(self.options.shots, exist_ok=True)
            path = os.path.join(self.options.shots, "fault-%s.png" % name)
            subprocess.run(["import", "-window", "root", path], capture_output=True)
            print("      the screen at the failure: %s" % path, flush=True)

    def cleanup(self):
        for path in reversed(self.mounts):
            subprocess.run(["umount", path], capture_output=True)
        for root, dirs, _ in os.walk(self.scratch):
            for d in dirs:
                os.chmod(os.path.join(root, d), 0o755)
        shutil.rmtree(self.scratch, ignore_errors=True)

    # -- the temporary folder -------------------------------------------------------------------

    def silent_drill(self, p, what):
        """The drill runs without its recording: typing screen, silence where the recording
        would sound, a miss still has its key sound, the first letter is revealed."""
        rec = dp.Recorder()
        entered = rec.press(p.key, "Return")
        p.wait_for(is_typing, "the typing screen")
        time.sleep(2.0)
        missed = rec.press(p.type, self.wrong_key(0))
        time.sleep(0.6)
        rec.stop()
        self.step(what + ": Enter starts sentence 1, no recording is heard",
                  lambda: rec.silent(entered[1] + 0.2, missed[0], "sound without a recording"))
        self.step(what + ": a wrong key still sounds its clip",
                  lambda: rec.heard(missed[1], missed[1] + 0.4, "no miss clip"))
        self.hit_reveals(p, 0, what + ": a correct letter is revealed")

    def test_temp_missing(self):
        """TMP and TEMP name a folder that does not exist."""
        missing = os.path.join(self.scratch, "missing")
        p = self.start(temp=missing)
        self.report("missing temporary folder: the program starts and shows the menu")
        self.silent_drill(p, "missing temporary folder")
        self.step("missing temporary folder: nothing creates it",
                  lambda: check(not os.path.exists(missing), "%s was created" % missing))
        self.answers_and_ends(p, "missing temporary folder")

    def test_temp_read_only(self):
        """TMP and TEMP name a folder in which nothing can be written."""
        folder = os.path.join(self.scratch, "read-only")
        if not self.read_only_folder(folder):
            print("SKIP  read-only temporary folder: running as root without the right to "
                  "mount, no folder can be made read-only here", flush=True)
            self.skipped += 1
            return
        p = self.start(temp=folder)
        self.report("read-only temporary folder: the program starts and shows the menu")
        self.silent_drill(p, "read-only temporary folder")
        self.step("read-only temporary folder: it is still empty",
                  lambda: check(os.listdir(folder) == [], "%s" % os.listdir(folder)))
        self.answers_and_ends(p, "read-only temporary folder")

    # -- recordings replaced by garbage -----------------------------------------------------------

    def test_garbage_recordings(self):
        """After the start has staged them, the recordings of sentences 1 to 3 are replaced:
        random bytes, an empty file, and a valid start followed by random bytes. Sentence 4 is
        left alone."""
        folder = self.default_temp_folder()
        p = self.start()
        rng = random.Random(7)
        with open(os.path.join(folder, "S001.mp3"), "wb") as f:
            f.write(bytes(rng.randrange(256) for _ in range(65536)))
        open(os.path.join(folder, "S002.mp3"), "wb").close()
        with open(os.path.join(self.options.resources, "S003.mp3"), "rb") as f:
            head = f.read(4096)
        with open(os.path.join(folder, "S003.mp3"), "wb") as f:
            f.write(head + bytes(rng.randrange(256) for _ in range(32768)))

        for index, kind in enumerate(["random bytes", "an empty file",
                                      "a cut-off recording followed by random bytes"]):
            what = "recording of sentence %d replaced by %s" % (index + 1, kind)
            p.key("Return")
            self.step(what + ": the typing screen, no crash", lambda: (
                p.wait_for(is_typing, "the typing screen"),
                time.sleep(1.5),
                check(p.alive(), "the program ended")))
            self.hit_reveals(p, index, what + ": the drill goes on")
            p.key("Return")
            p.wait_for(is_result, "the result screen")
            self.step(what + ": Enter gives up and shows the result, no crash",
                      lambda: check(p.alive(), "the program ended"))

        self.enter_and_hear(p, "after the bad recordings, sentence 4's is heard")
        self.answers_and_ends(p, "bad recordings")

    # -- no sound device --------------------------------------------------------------------------

    def test_no_sound_device(self):
        """The sound server cannot be reached: the program gets no audio device at all."""
        before = visible_windows()
        p = self.start(env={"PULSE_SERVER": "unix:" + os.path.join(self.scratch, "no-server")})
        self.report("no sound device: the program starts and shows the menu")
        rec = dp.Recorder()
        entered = rec.press(p.key, "Return")
        p.wait_for(is_typing, "the typing screen")
        p.type(self.wrong_key(0))
        self.hit_reveals(p, 0, "no sound device: typing goes on, a correct letter is revealed")
        p.key("Return")
        p.wait_for(is_result, "the result screen")
        time.sleep(1.0)
        end = rec.mark()
        rec.stop()
        self.step("no sound device: nothing reaches the sound server",
                  lambda: rec.silent(entered[1], end, "sound"))

        def no_message_box():
            own = p.own_visible_windows()
            check(own == {p.window}, "the program shows %d windows" % len(own))
            extra = visible_windows() - before - {p.window}
            check(not extra, "another window appeared: %s" % [
                dp.run(["xdotool", "getwindowname", w]).strip() for w in extra])
        self.step("no sound device: no message box or other window", no_message_box)
        self.answers_and_ends(p, "no sound device")

    # -- a second copy ------------------------------------------------------------------------------

    def test_second_copy(self):
        """A second copy starts while the first plays a recording; both keep working."""
        first = self.start()
        first.key("Return")
        first.wait_for(is_typing, "the typing screen")
        # Out of the way, so the second copy opens where the first did, uncovered.
        first.drag_by(420, 380)
        self.step("the first copy's window moves out of the way",
                  lambda: check(is_typing(first.shot()), "not where it was dragged"))
        second = self.start()
        self.step("a second copy starts while the first plays and shows the menu",
                  lambda: check(first.alive(), "the first copy ended"))

        first.activate()
        rec = dp.Recorder()
        paused = rec.press(first.key, "Control_L")
        self.hit_reveals(first, 0, "the first copy still takes keys")
        time.sleep(0.5)
        second.activate()
        entered = rec.press(second.key, "Return")
        second.wait_for(is_typing, "the second copy's typing screen")
        time.sleep(2.0)
        rec.stop()
        self.step("the first copy's Ctrl pauses its recording",
                  lambda: rec.silent(paused[1] + 0.3, entered[0], "still sounding"))
        self.step("the second copy plays its recording",
                  lambda: rec.heard(entered[1] + 0.3, entered[1] + 2.0, "no recording"))

        def staged():
            folder = self.default_temp_folder()
            for name in dp.STAGED:
                with open(os.path.join(folder, name), "rb") as a, \
                        open(os.path.join(self.options.resources, name), "rb") as b:
                    check(a.read() == b.read(), "%s differs from the resource" % name)
        self.step("the recordings in the temporary folder are intact", staged)
        self.answers_and_ends(second, "second copy")
        first.activate()
        self.answers_and_ends(first, "first copy, after the second ended")

    # -- keys held down -------------------------------------------------------------------------------

    def hold(self, p, key):
        dp.run(["xdotool", "keydown", key])
        try:
            time.sleep(HOLD_SECONDS)
        finally:
            dp.run(["xdotool", "keyup", key])

    def wait_dialog_gone(self, p, timeout=10):
        deadline = time.monotonic() + timeout
        while p.own_visible_windows() - {p.window}:
            check(time.monotonic() < deadline, "a dialog is still open after %d s" % timeout)
            time.sleep(0.2)

    def test_held_keys(self):
        """A key held down for 10 s (auto-repeat) on every screen."""
        p = self.start()
        # Menu: Space opens the progress dialog and its repeats hold the dialog's button
        # down; letting go clicks it, which closes the dialog.
        self.hold(p, "space")
        self.step("Space held on the menu: no crash, the dialog it opened closes",
                  lambda: (check(p.alive(), "ended"), self.wait_dialog_gone(p)))
        self.step("after it, the menu", lambda: p.wait_for(is_menu, "the menu"))

        # Typing: a wrong letter repeats misses. The recording is paused first, so what is
        # heard at the end of the hold is the miss clip, repeated.
        p.key("Return")
        p.wait_for(is_typing, "the typing screen")
        rec = dp.Recorder()
        rec.press(p.key, "Control_L")
        time.sleep(0.5)
        held = rec.press(self.hold, p, self.wrong_key(0))
        rec.stop()
        self.step("a wrong letter held on the typing screen: its clip repeats to the end",
                  lambda: rec.heard(held[1] - 2.0, held[1], "no miss clips"))
        shot = p.settle()
        self.step("... nothing revealed, still typing, no crash", lambda: (
            check(p.alive(), "ended"), check(is_typing(shot), "not the typing screen"),
            check(shot.inked(RECTS["english"]) == 0, "a miss revealed something")))

        # Result: Tab switches the speed at every repeat, closing the recording each time.
        p.key("Return")
        p.wait_for(is_result, "the result screen")
        self.hold(p, "Tab")
        rec = dp.Recorder()
        played = rec.press(p.key, "space")
        time.sleep(1.5)
        rec.stop()
        shot = p.settle()
        self.step("Tab held on the result screen: still the result, Space plays", lambda: (
            check(p.alive(), "ended"), check(is_result(shot), "not the result screen"),
            rec.heard(played[1] + 0.3, played[1] + 1.5, "no recording after Space")))
        self.answers_and_ends(p, "held keys")

    # -- random keys ------------------------------------------------------------------------------

    def test_random_keys(self):
        """10,000 random keys and characters in batches; then the program still answers."""
        seed = self.options.seed
        rng = random.Random(seed)
        p = self.start()
        sent = 0
        began = time.monotonic()
        while sent < RANDOM_KEYS:
            if rng.random() < 0.75:
                batch = [rng.choice(RANDOM_KEY_NAMES) for _ in range(200)]
                dp.run(["xdotool", "key", "--delay", "1"] + batch)
            else:
                batch = "".join(rng.choice(RANDOM_TEXT) for _ in range(100))
                dp.run(["xdotool", "type", "--delay", "1", "--", batch])
            sent += len(batch)
            check(p.alive(), "the program ended after %d keys (seed %d)" % (sent, seed))
        self.report("%d random keys and characters (seed %d) sent in %.0f s: no crash"
                    % (sent, seed, time.monotonic() - began))
        self.settle_after_storm(p)

        shot = p.settle()
        if is_menu(shot):
            p.key("Return")
            p.wait_for(is_typing, "the typing screen")
        p.key("Escape")
        self.step("after them, Escape reaches the menu",
                  lambda: p.wait_for(is_menu, "the menu"))
        self.enter_and_hear(p, "Enter starts a sentence whose recording is heard")
        self.answers_and_ends(p, "random keys")

    def settle_after_storm(self, p):
        """Waits until the program has worked through the keys queued for it: its window
        thread stays nearly idle for a second. (The screen cannot tell: paints wait while
        input is queued.) A progress dialog left open is closed with Enter."""
        began = time.monotonic()
        quiet = 0
        last = thread_cpu_ticks(p.pid)
        while quiet < 2:
            time.sleep(0.5)
            check(p.alive(), "the program ended while working through the keys")
            check(time.monotonic() - began < 150, "still busy 150 s after the last key")
            now = thread_cpu_ticks(p.pid)
            quiet = quiet + 1 if now - last <= 2 else 0
            last = now
        self.report("... worked through them %.0f s after the last was sent"
                    % (time.monotonic() - began))
        if p.own_visible_windows() - {p.window}:
            p.key("Return")
            self.wait_dialog_gone(p)

    TESTS = ["temp_missing", "temp_read_only", "garbage_recordings", "no_sound_device",
             "second_copy", "held_keys", "random_keys"]

    def run_all(self, only):
        begun = time.monotonic()
        try:
            for name in self.TESTS:
                if only and name not in only:
                    continue
                print("-- " + name, flush=True)
                started = time.monotonic()
                try:
                    getattr(self, "test_" + name)()
                except dp.CheckFailed as e:
                    if not getattr(e, "reported", False):
                        self.report(name, str(e))
                    self.save_failure_shot(name)
                except Exception:  # a fault of the driver itself counts as a failure
                    self.report(name, traceback.format_exc())
                finally:
                    for program in self.programs:
                        program.kill()
                    self.programs = []
                    print("   (%.0f s)" % (time.monotonic() - started), flush=True)
        finally:
            self.cleanup()
        print("%s in %.0f s%s" % ("%d check(s) failed" % self.failed if self.failed
                                  else "all checks passed", time.monotonic() - begun,
                                  ", %d test(s) skipped" % self.skipped if self.skipped else ""))
        return 1 if self.failed else 0


def main():
    parser = dp.program_driver_start("fault_tests.py", __doc__.split("\n")[0])
    parser.add_argument("--only", nargs="*", default=[], choices=Faults.TESTS)
    parser.add_argument("--shots", help="folder for a screenshot of each failure")
    parser.add_argument("--seed", type=int, default=int(os.environ.get("DD_FAULT_SEED", "1")),
                        help="of the random keys (default 1, or DD_FAULT_SEED)")
    options = parser.parse_args()
    dp.require_tools("fault_tests.py", dp.PROGRAM_TOOLS)
    dp.prepare_prefix()
    return Faults(options).run_all(options.only)


if __name__ == "__main__":
    sys.exit(main())
