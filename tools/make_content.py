#!/usr/bin/env python3
"""Makes the recordings, key-sound clips and icon that the resource script embeds.

Every output is a pure function of the demo texts and the tool versions: no
timestamps, no random seeds taken from the clock, no dither.
"""
import argparse
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
import wave

SPEECH_RATE = 22050  # espeak-ng's native output rate
VOICE = "en-us"
PITCH = 45
LEAD_IN = 0.25  # seconds of silence before the voice starts
MIN_TAIL = 0.35  # seconds of silence at least after it ends
PEAK = 23197  # -3 dBFS of a 16-bit sample

# Encoded length = input + encoder delay + frame rounding; aim the input short by about that.
ENCODER_SLACK = {"mpeg1": 1152 / 44100, "mpeg2": 576 / 22050}

# Per recording: file, resource item, speech rate range (words per minute), encoding, target seconds.
# Slow ones stay well below natural speed so each word can be caught.
RECORDINGS = [
    ("S001.mp3", 0, (100, 145), "mpeg1", 12.0),
    ("S002.mp3", 1, (100, 145), "mpeg1", 12.1),
    ("S003.mp3", 2, (100, 145), "mpeg1", 12.8),
    ("S004.mp3", 3, (100, 145), "mpeg1", 12.1),
    ("N001.mp3", 0, (150, 195), "mpeg1", 8.7),
    ("N002.mp3", 1, (150, 195), "mpeg2", 7.9),
    ("N003.mp3", 2, (150, 195), "mpeg2", 9.0),
    ("N004.mp3", 3, (150, 195), "mpeg2", 8.9),
]

# ---------------------------------------------------------------- demo texts

_ESCAPES = {"n": b"\n", "t": b"\t", "\\": b"\\", '"': b'"', "'": b"'", "?": b"?", "0": b"\0"}


def _unescape(body):
    out = bytearray()
    i = 0
    raw = body.encode("utf-8")
    while i < len(raw):
        c = raw[i : i + 1]
        if c != b"\\":
            out += c
            i += 1
            continue
        nxt = chr(raw[i + 1])
        if nxt == "x":
            m = re.match(rb"[0-9A-Fa-f]+", raw[i + 2 :])
            out.append(int(m.group(0), 16) & 0xFF)
            i += 2 + len(m.group(0))
        elif nxt in _ESCAPES:
            out += _ESCAPES[nxt]
            i += 2
        else:
            raise ValueError("unsupported escape \\" + nxt)
    return out.decode("utf-8")


def read_demo_texts(path):
    """Returns [(id, english)] from the catalogue's demo table, in table order."""
    with open(path, encoding="utf-8") as f:
        src = f.read()
    src = re.sub(r"(?m)^\s*//[^\n]*", "", src)
    start = src.index("demoTexts")
    body = src[src.index("{", start) + 1 :]
    lit = r'(?:u8)?"((?:[^"\\\n]|\\.)*)"'
    # One field: adjacent literals, which the compiler joins.
    field = r'((?:\s*(?:u8)?"(?:[^"\\\n]|\\.)*")+)'
    entry = re.compile(r"\{\s*" + field + r"\s*,\s*" + field + r"\s*,")
    texts = []
    for m in entry.finditer(body):
        ident = "".join(_unescape(s) for s in re.findall(lit, m.group(1)))
        english = "".join(_unescape(s) for s in re.findall(lit, m.group(2)))
        texts.append((ident, english))
    if len(texts) != 4 or [t[0] for t in texts] != ["001", "002", "003", "004"]:
        raise SystemExit("make_content: expected items 001-004 in %s, found %r" % (path, texts))
    return texts


_SPEAKABLE = {
    "\u201c": '"', "\u201d": '"', "\u2018": "'", "\u2019": "'",
    "\u2013": ", ", "\u2014": ", ", "\u2026": "...", "\u00a0": " ",
}


def speakable(text):
    """Plain ASCII for the synthesiser: typographic quotes and dashes read wrongly otherwise."""
    for k, v in _SPEAKABLE.items():
        text = text.replace(k, v)
    return re.sub(r"\s+,", ",", " ".join(text.split()))


# ---------------------------------------------------------------- recordings


def synthesise(text, rate, workdir):
    path = os.path.join(workdir, "speech.wav")
    subprocess.run(
        ["espeak-ng", "-v", VOICE, "-s", str(rate), "-p", str(PITCH), "-w", path, "--", text],
        check=True,
    )
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 1 or w.getsampwidth() != 2 or w.getframerate() != SPEECH_RATE:
            raise SystemExit("make_content: unexpected espeak-ng output format")
        frames = w.readframes(w.getnframes())
    samples = list(struct.unpack("<%dh" % (len(frames) // 2), frames))
    return trim(samples)


def trim(samples, threshold=300, margin=int(0.01 * SPEECH_RATE)):
    loud = [i for i, s in enumerate(samples) if abs(s) > threshold]
    if not loud:
        return []
    return samples[max(0, loud[0] - margin) : loud[-1] + margin + 1]


def pick_rate(text, lo, hi, budget, workdir):
    """Slowest rate in [lo, hi] whose speech fits the budget; hi when none fits.

    A slower voice is easier to follow, so only as much speed as the length needs."""
    cache = {}

    def length(rate):
        if rate not in cache:
            cache[rate] = synthesise(text, rate, workdir)
        return len(cache[rate]) / SPEECH_RATE

    if length(lo) <= budget:
        return lo, cache[lo]
    if length(hi) > budget:
        return hi, cache[hi]
    while hi - lo > 1:  # length(lo) > budget >= length(hi)
        mid = (lo + hi) // 2
        if length(mid) <= budget:
            hi = mid
        else:
            lo = mid
    return hi, cache[hi]


def normalise(samples):
    peak = max(1, max(abs(s) for s in samples))
    # Rounded integer scaling keeps the output identical on every machine.
    return [(2 * s * PEAK + (peak if s >= 0 else -peak)) // (2 * peak) for s in samples]


def write_wav(path, samples, channels):
    data = bytearray()
    for s in samples:
        data += struct.pack("<h", s) * channels
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(SPEECH_RATE)
        w.writeframes(bytes(data))


def encode(pcm_path, mp3_path, kind):
    cmd = ["lame", "--quiet", "--noreplaygain", "-t", "--cbr", "-b", "64", "-q", "2"]
    if kind == "mpeg1":
        cmd += ["-m", "m", "--resample", "44.1"]
    else:
        cmd += ["-m", "j", "--resample", "22.05"]
    subprocess.run(cmd + [pcm_path, mp3_path], check=True)
    with open(mp3_path, "rb") as f:
        data = f.read()
    if data[:3] in (b"ID3", b"TAG") or data[0] != 0xFF:
        raise SystemExit("make_content: lame output does not start with a frame")
    return data


def _latin1(text):
    return text.encode("latin-1", "replace")


def id3v22(title, artist, album):
    frames = b""
    for fid, value in ((b"TT2", title), (b"TP1", artist), (b"TAL", album)):
        payload = b"\x00" + _latin1(value)
        frames += fid + struct.pack(">I", len(payload))[1:] + payload
    return b"ID3\x02\x00\x00" + syncsafe(len(frames)) + frames


def id3v23(title, artist, album, track):
    frames = b""
    for fid, value in ((b"TIT2", title), (b"TPE1", artist), (b"TALB", album), (b"TRCK", track)):
        payload = b"\x00" + _latin1(value)
        frames += fid + struct.pack(">I", len(payload)) + b"\x00\x00" + payload
    return b"ID3\x03\x00\x00" + syncsafe(len(frames)) + frames


def id3v1(title, artist, album, track):
    def field(text, n):
        return _latin1(text)[:n].ljust(n, b"\x00")

    # ID3v1.1: a zero byte then the track number close the comment; genre 101 is Speech.
    tag = b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30)
    tag += b"\x00" * 4 + b"\x00" * 28 + b"\x00" + bytes([track]) + bytes([101])
    assert len(tag) == 128
    return tag


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def make_recordings(texts, outdir, workdir, log):
    for name, item, (lo, hi), kind, target in RECORDINGS:
        ident, english = texts[item]
        text = speakable(english)
        budget = target - ENCODER_SLACK[kind] - LEAD_IN - MIN_TAIL
        rate, speech = pick_rate(text, lo, hi, budget, workdir)
        if not speech:
            raise SystemExit("make_content: item %s gave no speech" % ident)
        total = int(round((target - ENCODER_SLACK[kind]) * SPEECH_RATE))
        lead = int(LEAD_IN * SPEECH_RATE)
        tail = max(int(MIN_TAIL * SPEECH_RATE), total - lead - len(speech))
        samples = [0] * lead + normalise(speech) + [0] * tail
        pcm = os.path.join(workdir, "in.wav")
        # The joint-stereo encodings need a two-channel input.
        write_wav(pcm, samples, 1 if kind == "mpeg1" else 2)
        frames = encode(pcm, os.path.join(workdir, "out.mp3"), kind)
        slow = name.startswith("S")
        title = "%s %s" % (ident, "slow" if slow else "natural")
        if slow:
            data = id3v22(title, "DictaDrill", "DictaDrill demo") + frames
        else:
            track = int(ident)
            data = (
                id3v23(title, "DictaDrill", "DictaDrill demo", str(track))
                + frames
                + id3v1(title, "DictaDrill", "DictaDrill demo", track)
            )
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
        log("%s  %3d wpm  speech %.2f s  input %.2f s  %d bytes"
            % (name, rate, len(speech) / SPEECH_RATE, len(samples) / SPEECH_RATE, len(data)))


# ---------------------------------------------------------------- key sounds

CLIP_RATE = 22050
CLIP_PEAK = 10 ** (-3 / 20)  # -3 dBFS


class Lcg:
    """Our own noise source, so the bytes never depend on a library's generator."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x3FFFFFFF - 1.0


class Resonator:
    """Two-pole band-pass; its centre and width may move every sample."""

    def __init__(self):
        self.y1 = self.y2 = 0.0

    def step(self, x, freq, bandwidth):
        r = math.exp(-math.pi * bandwidth / CLIP_RATE)
        c = -r * r
        b = 2 * r * math.cos(2 * math.pi * freq / CLIP_RATE)
        a = 1 - b - c
        y = a * x + b * self.y1 + c * self.y2
        self.y2, self.y1 = self.y1, y
        return y


def fade(n, i, attack, release):
    """Raised-cosine edges so a clip starts and ends at rest, without a click of its own."""
    g = 1.0
    if i < attack:
        g *= 0.5 - 0.5 * math.cos(math.pi * i / attack)
    if i >= n - release:
        g *= 0.5 - 0.5 * math.cos(math.pi * (n - 1 - i) / release)
    return g


def clip_hit_standard(n):
    # A key tick: a bright noise snap over a short high ring.
    noise = Lcg(1760)
    res = Resonator()
    out = []
    for i in range(n):
        t = i / CLIP_RATE
        snap = noise.next() * math.exp(-t / 0.0025)
        ring = res.step(snap, 3200, 900) * 6
        body = math.sin(2 * math.pi * 1800 * t) * math.exp(-t / 0.008) * 0.5
        out.append((snap * 0.6 + ring + body) * fade(n, i, 8, 300))
    return out


def clip_hit_pop(n):
    # A soft bubble pop: a rounded sine whose pitch springs upward as it dies.
    out = []
    phase = 0.0
    for i in range(n):
        t = i / CLIP_RATE
        freq = 420 + 700 * (1 - math.exp(-t / 0.012))
        phase += 2 * math.pi * freq / CLIP_RATE
        env = math.exp(-t / 0.014)
        out.append((math.sin(phase) + 0.15 * math.sin(2 * phase)) * env * fade(n, i, 45, 250))
    return out


def clip_miss_standard(n):
    # A low buzzer: two slightly detuned band-limited sawtooths beating against each other.
    out = []
    for i in range(n):
        t = i / CLIP_RATE
        s = 0.0
        for f0 in (110.0, 116.0):
            for k in range(1, int(2400 / f0) + 1):
                s += math.sin(2 * math.pi * k * f0 * t) / k
        out.append(s * fade(n, i, 90, 440))
    return out


def clip_miss_meow(n):
    # "mi-a-ow": a voiced source whose pitch rises then falls, through a cascade of moving
    # vowel resonances.
    dur = n / CLIP_RATE
    res = [Resonator() for _ in range(3)]
    noise = Lcg(11483)
    out = []
    phase = 0.0
    for i in range(n):
        t = i / CLIP_RATE
        u = t / dur
        # Pitch: up from 480 Hz to 820 Hz by a third of the way, then down to 430 Hz.
        if u < 0.33:
            f0 = 480 + 340 * math.sin(0.5 * math.pi * u / 0.33)
        else:
            f0 = 820 - 390 * ((u - 0.33) / 0.67) ** 1.3
        f0 *= 1 + 0.025 * math.sin(2 * math.pi * 6.5 * t) * min(1.0, u / 0.3)
        phase = (phase + f0 / CLIP_RATE) % 1.0
        # A bright, band-limited voice source: the vowel resonances need harmonics to shape.
        w = 2 * math.pi * phase
        src = sum(math.sin(k * w) / math.sqrt(k) for k in range(1, int(9000 / f0) + 1))
        src += 0.3 * noise.next()
        # Vowel path: closed "m" -> "i" -> open "a" -> rounded "ow", with the high
        # resonances of a small animal's short vocal tract.
        if u < 0.12:
            k = u / 0.12
            f1, f2, f3 = 500 + 200 * k, 1600 + 1000 * k, 3600
        elif u < 0.45:
            k = (u - 0.12) / 0.33
            f1, f2, f3 = 700 + 700 * k, 2600 - 200 * k, 3600 + 300 * k
        else:
            k = (u - 0.45) / 0.55
            f1, f2, f3 = 1400 - 600 * k, 2400 - 1000 * k, 3900 - 600 * k
        v = res[2].step(res[1].step(res[0].step(src, f1, 200), f2, 250), f3, 320)
        # Loudness: a soft nasal start, full through the vowel, dying away on "ow".
        if u < 0.12:
            env = 0.25 + 0.75 * (u / 0.12) ** 2
        elif u < 0.6:
            env = 1.0
        else:
            env = math.cos(0.5 * math.pi * (u - 0.6) / 0.4) ** 1.5
        out.append(v * env * fade(n, i, 110, 440))
    return out


CLIPS = [
    ("hit_standard.wav", 1760, clip_hit_standard),
    ("hit_pop.wav", 1188, clip_hit_pop),
    ("miss_standard.wav", 2205, clip_miss_standard),
    ("miss_meow.wav", 11483, clip_miss_meow),
]


def to_u8(signal):
    peak = max(abs(x) for x in signal)
    scale = CLIP_PEAK * 127 / peak
    return bytes(128 + int(round(x * scale)) for x in signal)


def wav_u8(pcm):
    n = len(pcm)
    # An odd-sized data chunk is followed by a pad byte; silence in case a reader plays it.
    pad = b"\x80" if n % 2 else b""
    header = b"RIFF" + struct.pack("<I", 36 + n + len(pad)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, CLIP_RATE, CLIP_RATE, 1, 8)
    header += b"data" + struct.pack("<I", n)
    return header + pcm + pad


def make_clips(outdir, log):
    for name, n, make in CLIPS:
        pcm = to_u8(make(n))
        assert len(pcm) == n
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(wav_u8(pcm))
        log("%s  %d samples  %d..%d" % (name, n, min(pcm), max(pcm)))


# ---------------------------------------------------------------- icon

# A blue speech bubble holding a white "A": a sentence heard, then typed.
# K outline, B fill, L highlight, W letter, . transparent.
ICON_32 = """
................................
...KKKKKKKKKKKKKKKKKKKKKKKKKK...
..KLLLLLLLLLLLLLLLLLLLLLLLLLLK..
.KLLBBBBBBBBBBBBBBBBBBBBBBBBBBK.
.KLBBBBBBBBBBBBBBBBBBBBBBBBBBBK.
.KLBBBBBBBBBBBWWWWBBBBBBBBBBBBK.
.KLBBBBBBBBBBBWWWWBBBBBBBBBBBBK.
.KLBBBBBBBBBBWWWWWWBBBBBBBBBBBK.
.KLBBBBBBBBBBWWWWWWBBBBBBBBBBBK.
.KLBBBBBBBBBWWWBBWWWBBBBBBBBBBK.
.KLBBBBBBBBBWWWBBWWWBBBBBBBBBBK.
.KLBBBBBBBBWWWBBBBWWWBBBBBBBBBK.
.KLBBBBBBBBWWWBBBBWWWBBBBBBBBBK.
.KLBBBBBBBWWWBBBBBBWWWBBBBBBBBK.
.KLBBBBBBBWWWWWWWWWWWWBBBBBBBBK.
.KLBBBBBBWWWWWWWWWWWWWWBBBBBBBK.
.KLBBBBBBWWWBBBBBBBBWWWBBBBBBBK.
.KLBBBBBWWWBBBBBBBBBBWWWBBBBBBK.
.KLBBBBBWWWBBBBBBBBBBWWWBBBBBBK.
.KLBBBBWWWBBBBBBBBBBBBWWWBBBBBK.
.KLBBBBBBBBBBBBBBBBBBBBBBBBBBBK.
.KBBBBBBBBBBBBBBBBBBBBBBBBBBBBK.
..KBBBBBBBBBBBBBBBBBBBBBBBBBBK..
...KKKKBBBBKKKKKKKKKKKKKKKKKK...
......KBBBK.....................
......KBBK......................
......KBK.......................
......KK........................
......K.........................
................................
................................
................................
"""

ICON_16 = """
................
.KKKKKKKKKKKKKK.
KLLLLLLLLLLLLLLK
KLBBBBBWWBBBBBBK
KLBBBBBWWBBBBBBK
KLBBBBWWWWBBBBBK
KLBBBBWBBWBBBBBK
KLBBBWWBBWWBBBBK
KLBBBWWWWWWBBBBK
KLBBWWBBBBWWBBBK
KLBBWWBBBBWWBBBK
KBBBBBBBBBBBBBBK
.KKKBBKKKKKKKKK.
...KBK..........
...KK...........
...K............
"""

ICON_COLOURS = {
    "K": (0x1A, 0x2E, 0x5A),
    "B": (0x2F, 0x6F, 0xD0),
    "L": (0x7F, 0xB0, 0xF0),
    "W": (0xFF, 0xFF, 0xFF),
}
ICON_PALETTE = ["K", "B", "L", "W"]  # palette index 0 stays black for transparent pixels


def icon_image(art, size):
    rows = [r for r in art.strip("\n").split("\n")]
    assert len(rows) == size and all(len(r) == size for r in rows), size
    palette = bytearray(256 * 4)
    for i, key in enumerate(ICON_PALETTE, start=1):
        r, g, b = ICON_COLOURS[key]
        palette[4 * i : 4 * i + 4] = bytes((b, g, r, 0))
    xor_stride = (size + 3) // 4 * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up, as in any DIB
        line = bytes(0 if c == "." else ICON_PALETTE.index(c) + 1 for c in row)
        xor += line.ljust(xor_stride, b"\x00")
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c == "." else 0)
        bits <<= and_stride * 8 - size
        mask += bits.to_bytes(and_stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    return header + bytes(palette) + bytes(xor) + bytes(mask)


def make_icon(outdir, log):
    images = [(16, icon_image(ICON_16, 16)), (32, icon_image(ICON_32, 32))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        # Colour count 0 means 256 in a directory entry.
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(os.path.join(outdir, "dictadrill.ico"), "wb") as f:
        f.write(out)
    log("dictadrill.ico  16x16 and 32x32, 8-bit  %d bytes" % len(out))


# ---------------------------------------------------------------- main


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--source", required=True, help="core/demo_content.cpp")
    ap.add_argument("--out", required=True, help="folder to write the content into")
    ap.add_argument("--quiet", action="store_true")
    args = ap.parse_args()

    def log(line):
        if not args.quiet:
            print(line)

    os.makedirs(args.out, exist_ok=True)
    texts = read_demo_texts(args.source)
    with tempfile.TemporaryDirectory(prefix="dd-content-") as work:
        make_recordings(texts, args.out, work, log)
    make_clips(args.out, log)
    make_icon(args.out, log)
    return 0


if __name__ == "__main__":
    sys.exit(main())
