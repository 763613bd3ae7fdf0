#!/usr/bin/env python3
"""Listens to the sentence player and the key sounds for real.

Runs player_probe.exe under Wine, sends it one command at a time, and records the PulseAudio
null sink's monitor with parec the whole time. Each recorded 10 ms block gets its place on the
clock from the sample count (the sink's own clock), anchored at the earliest block arrival, so
a late read under load does not move it. Checks then look at windows of that timeline relative
to the moment a command was sent.

Usage: sound_check.py PLAYER_PROBE_EXE CHECK   (inside tools/test-env.sh run ...)
Captures are kept as WAV files in $DD_TEST_ENV_DIR/captures for a look with sox.
"""

import math
import os
import queue
import subprocess
import sys
import threading
import time
import wave
from array import array

RATE = int(os.environ.get("DD_PULSE_RATE", "44100"))
SINK = os.environ.get("DD_PULSE_SINK", "ddsink")
BLOCK = RATE // 100  # samples in 10 ms
FULL_SCALE = 32768.0

# Levels, as fractions of full scale. The null sink gives exact zeros when nothing plays.
ONSET_RMS = 0.02  # a 10 ms block louder than this is sound (-34 dBFS)
SOUND_RMS = 0.01  # a window at least this loud on average is sound (-40 dBFS)
SILENCE_PEAK = 0.003  # a window whose peak stays below this is silence (-50 dBFS)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def dbfs(x):
    return -120.0 if x <= 0 else 20 * math.log10(x)


class Recorder:
    """parec on the sink monitor, read in 10 ms blocks on a thread."""

    def __init__(self):
        self.samples = array("h")
        self.anchor = None  # clock time of sample 0
        self.lock = threading.Lock()
        self.proc = subprocess.Popen(
            ["parec", "-d", SINK + ".monitor", "--raw", "--format=s16le",
             "--rate=%d" % RATE, "--channels=1", "--latency-msec=10"],
            stdout=subprocess.PIPE)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()
        self.wait_for_data()

    def _read(self):
        while True:
            data = self.proc.stdout.read(BLOCK * 2)
            now = time.monotonic()
            if not data:
                return
            block = array("h")
            block.frombytes(data[: len(data) // 2 * 2])
            with self.lock:
                self.samples.extend(block)
                # The earliest arrival, less the samples before it, is the closest bound.
                start = now - len(self.samples) / RATE
                if self.anchor is None or start < self.anchor:
                    self.anchor = start

    def wait_for_data(self):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            with self.lock:
                if len(self.samples) >= RATE // 5:
                    return
            time.sleep(0.05)
        raise Failure("parec delivered nothing from %s.monitor" % SINK)

    def wait_until(self, t):
        """Until the recording reaches clock time t."""
        deadline = max(t, time.monotonic()) + 5
        while time.monotonic() < deadline:
            with self.lock:
                if self.anchor + len(self.samples) / RATE >= t:
                    return
            time.sleep(0.02)
        raise Failure("the recording stalled")

    def window(self, t0, t1):
        self.wait_until(t1)
        with self.lock:
            a = max(0, int((t0 - self.anchor) * RATE))
            b = max(a, int((t1 - self.anchor) * RATE))
            return self.samples[a:b]

    def blocks(self, t0, t1):
        """(time, rms, peak) of each 10 ms block between t0 and t1."""
        s = self.window(t0, t1)
        out = []
        for i in range(0, len(s) - BLOCK + 1, BLOCK):
            part = s[i:i + BLOCK]
            rms = math.sqrt(sum(v * v for v in part) / BLOCK) / FULL_SCALE
            peak = max(abs(min(part)), abs(max(part))) / FULL_SCALE
            out.append((t0 + i / RATE, rms, peak))
        return out

    def level(self, t0, t1):
        """(rms, peak) of the window."""
        s = self.window(t0, t1)
        if not s:
            return 0.0, 0.0
        rms = math.sqrt(sum(v * v for v in s) / len(s)) / FULL_SCALE
        peak = max(abs(min(s)), abs(max(s))) / FULL_SCALE
        return rms, peak

    def first_sound(self, t0, t1):
        """Time of the first loud block between t0 and t1, as soon as it is recorded."""
        scanned = t0
        while scanned < t1:
            upto = min(t1, max(time.monotonic(), scanned + 0.1))
            for t, rms, _ in self.blocks(scanned, upto):
                if rms > ONSET_RMS:
                    return t
            scanned = upto
        return None

    def end_of_sound(self, t0, quiet, t1):
        """The end of the last loud block once quiet seconds have passed without one."""
        end = t0
        t = t0
        while t < t1:
            upto = min(t1, t + 0.1)
            for bt, rms, _ in self.blocks(t, upto):
                if rms > ONSET_RMS:
                    end = bt + 0.01
            t = upto
            if t - end >= quiet:
                return end
        return None

    def last_sound(self, t0, t1):
        last = None
        for t, rms, _ in self.blocks(t0, t1):
            if rms > ONSET_RMS:
                last = t + 0.01
        return last

    def save(self, path):
        with self.lock:
            data = self.samples.tobytes()
        with wave.open(path, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(data)

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


class Probe:
    """player_probe.exe under Wine, one answer line per command."""

    def __init__(self, exe):
        self.proc = subprocess.Popen(["wine", exe], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.send("status", timeout=60)  # Wine's start-up

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\r\n"))
        self.lines.put(None)

    def send(self, command, timeout=20):
        """Returns (time sent, fields of the answer)."""
        sent = time.monotonic()
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        while True:
            try:
                line = self.lines.get(timeout=timeout)
            except queue.Empty:
                raise Failure("no answer to %r within %d s" % (command, timeout))
            if line is None:
                raise Failure("the probe ended while running %r" % command)
            if line.startswith("ok "):
                break
            check(not line.startswith("error"), line)
        head, _, path = line[3:].partition(" path=")
        fields = dict(item.split("=", 1) for item in head.split())
        answer = {k: (v if k == "temp" else int(v)) for k, v in fields.items()}
        answer["path"] = path
        print("  %-9s %6.2fs  %s" % (command, time.monotonic() - sent, line))
        return sent, answer

    def quit(self):
        try:
            self.proc.stdin.write("quit\n")
            self.proc.stdin.flush()
            self.proc.wait(20)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


def sleep_until(t):
    delay = t - time.monotonic()
    if delay > 0:
        time.sleep(delay)


def expect_sound_within(rec, sent, seconds, what):
    onset = rec.first_sound(sent, sent + seconds)
    check(onset is not None, "%s: no sound within %.1f s" % (what, seconds))
    print("  %s: sound after %.2f s" % (what, onset - sent))
    return onset


PLAY_DEADLINE = 2.0  # from the play command to sound, the recording's own lead-in included
LATE_LIMIT = 8.0


def first_play(rec, probe, what="play"):
    """play on a closed player; sound must come within PLAY_DEADLINE.

    A busy machine can hold up Wine's first media pipeline. Sound that comes, only late, earns
    one more try after a close (the start-up costs are paid by then); no sound at all, or late
    again, fails. Returns (time sent, answer, onset).
    """
    for attempt in (1, 2):
        sent, a = probe.send("play")
        expect_flags(a, 1, 0, "after " + what)
        onset = rec.first_sound(sent, sent + LATE_LIMIT)
        check(onset is not None, "%s: no sound within %.0f s" % (what, LATE_LIMIT))
        print("  %s: sound after %.2f s" % (what, onset - sent))
        if onset - sent <= PLAY_DEADLINE:
            return sent, a, onset
        check(attempt == 1, "%s: sound only after %.2f s, again" % (what, onset - sent))
        print("  %s: late, closing and trying once more" % what)
        probe.send("close")
        rec.end_of_sound(time.monotonic(), 0.5, time.monotonic() + 5)


def expect_sound(rec, t0, t1, what):
    rms, peak = rec.level(t0, t1)
    print("  %s: rms %.1f dBFS, peak %.1f dBFS" % (what, dbfs(rms), dbfs(peak)))
    check(rms > SOUND_RMS, "%s: too quiet (rms %.4f)" % (what, rms))


def expect_silence(rec, t0, t1, what):
    rms, peak = rec.level(t0, t1)
    print("  %s: peak %.1f dBFS" % (what, dbfs(peak)))
    check(peak < SILENCE_PEAK, "%s: not silent (peak %.4f)" % (what, peak))


def expect_flags(answer, open_, paused, what):
    check(answer["open"] == open_ and answer["paused"] == paused,
          "%s: open=%d paused=%d, expected open=%d paused=%d"
          % (what, answer["open"], answer["paused"], open_, paused))


def staged_length(answer):
    """Length in seconds of the file the player opened, read by sox from the Linux side."""
    windows_path = answer["path"]
    check(windows_path[:2].upper() == "C:", "unexpected path " + windows_path)
    rest = windows_path[2:].replace("\\", "/")
    linux = os.path.join(os.environ["WINEPREFIX"], "drive_c") + rest
    out = subprocess.run(["soxi", "-D", linux], capture_output=True, text=True, check=True)
    return float(out.stdout)


# The checks. Each gets a recorder already running and a probe already started.

def play_close(rec, probe):
    probe.send("stage")
    probe.send("item 0 0")
    sent, a, onset = first_play(rec, probe)
    expect_sound(rec, onset + 0.1, onset + 1.1, "playing")
    sleep_until(onset + 1.2)
    sent, a = probe.send("close")
    expect_flags(a, 0, 0, "after close")
    check(a["devices"] == 0, "%d devices open after close" % a["devices"])
    expect_silence(rec, sent + 0.4, sent + 1.9, "after close")


def pause_resume(rec, probe):
    probe.send("stage")
    sent, a, onset = first_play(rec, probe)
    sleep_until(onset + 1.0)
    sent, a = probe.send("toggle")
    expect_flags(a, 1, 1, "after the first toggle")
    paused_at = a["pos"]
    expect_silence(rec, sent + 0.4, sent + 1.6, "paused")
    _, a = probe.send("status")
    check(abs(a["pos"] - paused_at) < 250,
          "the position moved while paused: %d -> %d ms" % (paused_at, a["pos"]))
    sent, a = probe.send("toggle")
    expect_flags(a, 1, 0, "after the second toggle")
    onset = expect_sound_within(rec, sent, 2.0, "resume")
    expect_sound(rec, onset + 0.1, onset + 0.8, "resumed")
    _, a = probe.send("status")
    check(a["pos"] > paused_at,
          "resumed at %d ms, not after the pause point %d ms" % (a["pos"], paused_at))
    probe.send("close")


def play_while_paused(rec, probe):
    probe.send("stage")
    probe.send("item 0 1")  # the shorter recording: the check waits for its end
    sent, a, onset = first_play(rec, probe)
    length = staged_length(a)
    device = a["device"]
    sleep_until(onset + 2.0)
    sent, a = probe.send("toggle")
    expect_flags(a, 1, 1, "paused")
    paused_at = a["pos"]
    check(paused_at >= 1500, "paused at %d ms, too early to tell a restart" % paused_at)
    expect_silence(rec, sent + 0.4, sent + 1.2, "paused")
    sent, a = probe.send("play")
    expect_flags(a, 1, 0, "play while paused")
    check(a["device"] == device, "play while paused opened another device")
    check(a["pos"] < paused_at - 1000,
          "play while paused went on at %d ms instead of the start" % a["pos"])
    onset = expect_sound_within(rec, sent, 2.0, "restart")
    # From the start, the sound lasts the whole recording; resumed, it would stop about
    # paused_at earlier.
    end = rec.last_sound(sent, sent + length + 2.0)
    heard = end - sent
    print("  restart: sound for %.2f s of a %.2f s recording, paused at %.2f s"
          % (heard, length, paused_at / 1000))
    check(heard > length - 1.0,
          "after play while paused the sound lasted %.2f s, the recording %.2f s"
          % (heard, length))
    probe.send("close")


def missing_file(rec, probe):
    probe.send("emptytemp")
    start, a = probe.send("play")
    expect_flags(a, 0, 0, "play of a missing file")
    check(a["devices"] == 0, "%d devices open after a failed open" % a["devices"])
    _, a = probe.send("toggle")
    expect_flags(a, 0, 0, "toggle with nothing open")
    _, a = probe.send("close")
    expect_flags(a, 0, 0, "close with nothing open")
    _, a = probe.send("play")
    expect_flags(a, 0, 0, "second play of a missing file")
    expect_silence(rec, start, start + 2.0, "missing file")


def play_twice(rec, probe):
    probe.send("stage")
    sent, first, onset = first_play(rec, probe, "first play")
    check(first["devices"] == 1, "%d devices open after one play" % first["devices"])
    sleep_until(onset + 1.0)
    sent, second = probe.send("play")
    expect_flags(second, 1, 0, "second play")
    check(second["device"] == first["device"], "the second play opened another device")
    check(second["devices"] == 1, "%d devices open after two plays" % second["devices"])
    expect_sound(rec, sent + 0.3, sent + 1.3, "after the second play")
    _, a = probe.send("close")
    check(a["devices"] == 0, "%d devices open after close" % a["devices"])


def item3_natural(rec, probe):
    probe.send("stage")
    probe.send("item 3 1")
    sent, a, onset = first_play(rec, probe, "play of item 3 at natural speed")
    check(a["path"] == a["temp"] + "\\N004.mp3",
          "opened %r, expected %r" % (a["path"], a["temp"] + "\\N004.mp3"))
    expect_sound(rec, onset + 0.1, onset + 1.1, "item 3 natural")
    probe.send("close")


KEY_SOUNDS = [
    ("hit 1", True), ("hit 2", True), ("hit 0", False),
    ("miss 1", True), ("miss 2", True), ("miss 0", False),
]


def key_sounds(rec, probe):
    failures = []
    for command, heard in KEY_SOUNDS:
        sent, _ = probe.send(command)
        if heard:
            # No deadline is asked of a clip, only that it is heard; the first one pays for
            # Wine's audio start.
            onset = rec.first_sound(sent, sent + LATE_LIMIT)
            if onset is None:
                failures.append("%s: no clip heard" % command)
                continue
            end = rec.end_of_sound(onset, 0.3, onset + 5)
            check(end is not None, "%s: the clip does not end" % command)
            rms, peak = rec.level(onset, end)
            print("  %-7s heard after %.2f s for %.0f ms, rms %.1f dBFS, peak %.1f dBFS"
                  % (command, onset - sent, (end - onset) * 1000, dbfs(rms), dbfs(peak)))
        else:
            rms, peak = rec.level(sent, sent + 2.0)
            print("  %-7s silent for 2 s, peak %.1f dBFS" % (command, dbfs(peak)))
            if peak >= SILENCE_PEAK:
                failures.append("%s: sound where there should be none (peak %.4f)"
                                % (command, peak))
    check(not failures, "; ".join(failures))


CHECKS = {f.__name__: f for f in (play_close, pause_resume, play_while_paused, missing_file,
                                  play_twice, item3_natural, key_sounds)}


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in CHECKS:
        sys.exit("usage: sound_check.py PLAYER_PROBE_EXE {%s}" % ",".join(CHECKS))
    exe, name = sys.argv[1], sys.argv[2]
    for var in ("WINEPREFIX", "PULSE_SERVER"):
        if var not in os.environ:
            sys.exit("%s is not set: run inside tools/test-env.sh run DIR ..." % var)
    print("%s (sink %s, %d Hz)" % (name, SINK, RATE))
    rec = Recorder()
    probe = None
    try:
        probe = Probe(exe)
        CHECKS[name](rec, probe)
        print("%s: passed" % name)
        return 0
    except Failure as failure:
        print("%s: FAILED: %s" % (name, failure))
        return 1
    finally:
        if probe:
            probe.quit()
        rec.stop()
        folder = os.path.join(os.environ.get("DD_TEST_ENV_DIR", "."), "captures")
        os.makedirs(folder, exist_ok=True)
        rec.save(os.path.join(folder, name + ".wav"))


if __name__ == "__main__":
    sys.exit(main())
