#!/usr/bin/env python3
"""Shows that the content check catches each fault it is there for, on small made-up files."""
import os
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import check_content as cc  # noqa: E402
import make_content  # noqa: E402

# ---------------------------------------------------------------- fixtures


def frame(version=cc.MPEG1, rate=44100, mode=cc.MONO, kbps=64, payload=b""):
    bri = cc._BITRATES[version].index(kbps)
    sri = cc._RATES[version].index(rate)
    h = (0x7FF << 21) | (version << 19) | (1 << 17) | (1 << 16) | (bri << 12) | (sri << 10) | (mode << 6)
    size = (144000 if version == cc.MPEG1 else 72000) * kbps // rate
    return (struct.pack(">I", h) + payload).ljust(size, b"\x00")


def id3v2(version):
    if version == 2:
        body = b"TT2\x00\x00\x04\x00abc"
    else:
        body = b"TIT2\x00\x00\x00\x04\x00\x00\x00abc"
    return b"ID3" + bytes([version, 0, 0]) + syncsafe(len(body)) + body


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


ID3V1 = b"TAG" + b"\x00" * 125

SLOW = (cc.MPEG1, 44100, cc.MONO, "v2.2", 12.0)
NATURAL2 = (cc.MPEG2, 22050, cc.JOINT, "v2.3+v1", 7.9)


def slow_file(frames=None, tag=2, tail=b""):
    frames = frames if frames is not None else [frame()] * 459  # 459 x 1152 / 44100 = 11.99 s
    return id3v2(tag) + b"".join(frames) + tail


def natural2_file(frames=None, v1=True):
    one = frame(cc.MPEG2, 22050, cc.JOINT)
    frames = frames if frames is not None else [one] * 302  # 302 x 576 / 22050 = 7.89 s
    return id3v2(3) + b"".join(frames) + (ID3V1 if v1 else b"")


def wav(pcm, bits=8, channels=1, rate=22050, extra=b"", pad=True):
    n = len(pcm)
    tail = (b"\x80" if n % 2 and pad else b"") + extra
    align = channels * bits // 8
    fmt = struct.pack("<IHHIIHH", 16, 1, channels, rate, rate * align, align, bits)
    body = b"WAVE" + b"fmt " + fmt + b"data" + struct.pack("<I", n) + pcm + tail
    return b"RIFF" + struct.pack("<I", len(body)) + body


def tone(n, amplitude=90):
    # A triangle wave that rises from rest and falls back to it; peak 90/128 is -3.06 dBFS.
    out = []
    for i in range(n):
        phase = (i % 40) / 40
        tri = 4 * phase - 1 if phase < 0.5 else 3 - 4 * phase
        env = min(1.0, i / 20, (n - 1 - i) / 20)
        out.append(128 + round(tri * amplitude * env))
    return bytes(out)


def icon(sizes=(16, 32), bits=8, colours=0, drawn=True):
    images = []
    for s in sizes:
        xs, ms = (s + 3) // 4 * 4, (s + 31) // 32 * 4
        palette = bytearray(1024)
        palette[4:8] = b"\xff\x00\x00\x00"
        palette[8:12] = b"\x00\xff\x00\x00"
        pixels = bytes((1 + (x + y) % 2) for y in range(s) for x in range(xs))
        mask = (b"\x00" if drawn else b"\xff") * (ms * s)
        head = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, bits, 0, 0, 0, 0, 0, 0)
        images.append((s, head + bytes(palette) + pixels + mask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in images:
        out += struct.pack("<BBBBHHII", s, s, colours, 0, 1, bits, len(img), offset)
        offset += len(img)
    return out + b"".join(img for _, img in images)


def errors_text(errors):
    return " | ".join(errors)


# ---------------------------------------------------------------- tests


class Mp3Check(unittest.TestCase):
    def test_well_formed_files_pass_and_report_their_length(self):
        errors, seconds = cc.check_mp3(slow_file(), *SLOW)
        self.assertEqual(errors, [])
        self.assertAlmostEqual(seconds, 459 * 1152 / 44100)
        errors, seconds = cc.check_mp3(natural2_file(), *NATURAL2)
        self.assertEqual(errors, [])
        self.assertAlmostEqual(seconds, 302 * 576 / 22050)

    def test_faults_are_reported(self):
        good1, good2 = frame(), frame(cc.MPEG2, 22050, cc.JOINT)
        cases = [
            ("one frame at another bitrate", slow_file([good1] * 200 + [frame(kbps=128)] + [good1] * 258), SLOW, "128 kbit/s"),
            ("one stereo frame in a mono file", slow_file([good1] * 200 + [frame(mode=cc.JOINT)] + [good1] * 258), SLOW, "joint stereo"),
            ("MPEG-2 frames where MPEG-1 is due", slow_file([frame(cc.MPEG2, 22050, cc.MONO)] * 918), SLOW, "MPEG-2"),
            ("48 kHz frames", slow_file([frame(rate=48000)] * 500), SLOW, "48000 Hz"),
            ("mono frames where joint stereo is due", natural2_file([frame(cc.MPEG2, 22050, cc.MONO)] * 302), NATURAL2, "mono"),
            ("ID3v2.3 on a slow recording", slow_file(tag=3), SLOW, "expected ID3v2.2"),
            ("no ID3v2 tag", slow_file()[len(id3v2(2)) :], SLOW, "does not begin"),
            ("natural recording without ID3v1", natural2_file(v1=False), NATURAL2, "ID3v1"),
            ("slow recording with ID3v1", slow_file(tail=ID3V1), SLOW, "should not have"),
            ("last frame cut short", slow_file()[:-100], SLOW, "cut short"),
            ("garbage after the frames", slow_file(tail=b"\x12\x34\x56\x78\x00"), SLOW, "no frame sync"),
            ("too short", slow_file([good1] * 300), SLOW, "lasts 7.84 s"),
            ("too long", natural2_file([good2] * 400), NATURAL2, "lasts 10.45 s"),
        ]
        for name, data, wanted, expect in cases:
            with self.subTest(name):
                errors, _ = cc.check_mp3(data, *wanted)
                self.assertIn(expect, errors_text(errors))

    def test_an_encoder_info_frame_is_not_counted_as_sound(self):
        info = frame(payload=b"\x00" * 17 + b"Info")
        _, seconds = cc.check_mp3(slow_file([info] + [frame()] * 459), *SLOW)
        self.assertAlmostEqual(seconds, 459 * 1152 / 44100)


class WavCheck(unittest.TestCase):
    def test_well_formed_clip_passes_with_its_peak(self):
        for n in (1188, 2205):  # even, and odd with its pad byte
            with self.subTest(n=n):
                errors, db = cc.check_wav(wav(tone(n)), n)
                self.assertEqual(errors, [])
                self.assertAlmostEqual(db, -3.06, places=1)

    def test_faults_are_reported(self):
        clipped = bytearray(tone(1188))
        clipped[500] = 255
        quiet = bytes(128 + (b - 128) // 8 for b in tone(1188))
        clicky = bytes([200]) + tone(1188)[1:]
        cases = [
            ("one sample too many", wav(tone(1189)), "1189 samples"),
            ("16-bit", wav(tone(2376), bits=16), "16 bits"),
            ("stereo", wav(tone(2376), channels=2), "2 channel"),
            ("44.1 kHz", wav(tone(1188), rate=44100), "44100 Hz"),
            ("an extra chunk after the data", wav(tone(1188), extra=b"LIST\x04\x00\x00\x00abcd"), "extra or missing"),
            ("odd data without its pad byte", wav(tone(2205), pad=False), "extra or missing"),
            ("clipped", wav(bytes(clipped)), "clipped"),
            ("far too quiet", wav(quiet), "expected about -3 dBFS"),
            ("starts with a jump", wav(clicky), "click"),
            ("not a WAVE file", b"RIFX" + wav(tone(1188))[4:], "not a RIFF WAVE"),
        ]
        for name, data, expect in cases:
            with self.subTest(name):
                errors, _ = cc.check_wav(data, 1188)
                self.assertIn(expect, errors_text(errors))


class IconCheck(unittest.TestCase):
    def test_faults_are_reported(self):
        cases = [
            ("16 and 32 at 256 colours", icon(), ""),
            ("only 32x32", icon(sizes=(32,)), "expected 16 and 32"),
            ("an extra 48x48", icon(sizes=(16, 32, 48)), "expected 16 and 32"),
            ("16 colours", icon(bits=4, colours=16), "expected 256 colours"),
            ("nothing drawn", icon(drawn=False), "blank"),
            ("cut off", icon()[:-50], "past the end"),
        ]
        for name, data, expect in cases:
            with self.subTest(name):
                errors = cc.check_icon(data)
                if expect:
                    self.assertIn(expect, errors_text(errors))
                else:
                    self.assertEqual(errors, [])


class ResourceCheck(unittest.TestCase):
    """The compiled-resource comparison, on entries made up in memory."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.folder = self.tmp.name
        self.files = {}
        for key, path in cc.expected_resources(self.folder).items():
            data = os.path.basename(path).encode() * 3
            if key == (cc.RT_MANIFEST, 1):
                data = b'<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0"/>'
            self.files[key] = data
            with open(path, "wb") as f:
                f.write(data)
        self.ico = icon()
        with open(os.path.join(self.folder, "dictadrill.ico"), "wb") as f:
            f.write(self.ico)

    def tearDown(self):
        self.tmp.cleanup()

    def entries(self):
        out = [(t, n, cc.LANG_JAPANESE, d) for (t, n), d in self.files.items()]
        group = struct.pack("<HHH", 0, 1, 2)
        for i, (w, _, _, bits, img) in enumerate(cc.icon_entries(self.ico)):
            out.append((cc.RT_ICON, i + 1, cc.LANG_JAPANESE, img))
            group += struct.pack("<BBBBHHIH", w, w, 0, 0, 1, bits, len(img), i + 1)
        out.append((cc.RT_GROUP_ICON, 101, cc.LANG_JAPANESE, group))
        return out

    def test_faults_are_reported(self):
        def relabel(entries, key, lang=None, name=None):
            return [
                (t, name if (t, n) == key and name is not None else n,
                 lang if (t, n) == key and lang is not None else l, d)
                for t, n, l, d in entries
            ]

        dependency = (
            b'<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">'
            b"<dependency/></assembly>"
        )
        swapped = {118: self.files[("WAVE", 123)], 123: self.files[("WAVE", 118)]}
        cases = [
            ("complete", self.entries(), ""),
            ("a clip in English", relabel(self.entries(), ("WAVE", 121), lang=0x409), "language 1033"),
            ("a recording under 136", relabel(self.entries(), ("MP3", 135), name=136), "136"),
            ("hit clips swapped", [(t, n, l, swapped.get(n, d) if t == "WAVE" else d) for t, n, l, d in self.entries()], "does not hold hit_"),
            ("no icon group", [e for e in self.entries() if e[0] != cc.RT_GROUP_ICON], "no icon group 101"),
            ("icon image replaced", [(t, n, l, b"x" if t == cc.RT_ICON else d) for t, n, l, d in self.entries()], "icon group 101 does not hold"),
            ("manifest with a dependency", [(t, n, l, dependency if t == cc.RT_MANIFEST else d) for t, n, l, d in self.entries()], "declares"),
        ]
        for name, entries, expect in cases:
            with self.subTest(name):
                errors = cc.check_res(entries, self.folder)
                if expect:
                    self.assertIn(expect, errors_text(errors))
                else:
                    self.assertEqual(errors, [])

    def test_res_file_parser_reads_named_and_numbered_entries(self):
        def name(v):
            if isinstance(v, int):
                return struct.pack("<HH", 0xFFFF, v)
            return v.encode("utf-16-le") + b"\x00\x00"

        def entry(rtype, rname, lang, data):
            head = name(rtype) + name(rname)
            head += b"\x00" * (-(8 + len(head)) % 4)
            head += struct.pack("<IHHII", 0, 0x30, lang, 0, 0)
            raw = struct.pack("<II", len(data), 8 + len(head)) + head + data
            return raw + b"\x00" * (-len(raw) % 4)

        res = entry(0, 0, 0, b"") + entry("WAVE", 121, 0x411, b"abc") + entry(24, 1, 0x411, b"<x/>")
        self.assertEqual(
            cc.parse_res(res), [("WAVE", 121, 0x411, b"abc"), (24, 1, 0x411, b"<x/>")]
        )


class DemoTextReading(unittest.TestCase):
    """The generator must speak the whole sentence the catalogue shows, however it is written."""

    SOURCE = r"""// The texts.
namespace dd {
const DemoText demoTexts[kDemoCount] = {
    {"001", "One line.", "和", "和"},
    // a comment between entries
    {"002",
     "Joined “across” "
     "two literals, with a \"quote\" and a back\\slash.",
     "和" "和", "和"},
    {"003", u8"It’s — fine…", "", ""},
    {"004", "Tab\tand  spaces\n", "", ""},
};
}
"""

    def test_texts_as_spoken(self):
        with tempfile.NamedTemporaryFile("w", suffix=".cpp", encoding="utf-8", delete=False) as f:
            f.write(self.SOURCE)
        try:
            texts = make_content.read_demo_texts(f.name)
        finally:
            os.unlink(f.name)
        spoken = [(i, make_content.speakable(t)) for i, t in texts]
        self.assertEqual(
            spoken,
            [
                ("001", "One line."),
                ("002", 'Joined "across" two literals, with a "quote" and a back\\slash.'),
                ("003", "It's, fine..."),
                ("004", "Tab and spaces"),
            ],
        )

    def test_a_missing_item_stops_the_generator(self):
        with tempfile.NamedTemporaryFile("w", suffix=".cpp", encoding="utf-8", delete=False) as f:
            f.write(self.SOURCE.replace('{"004", "Tab\\tand  spaces\\n", "", ""},', ""))
        try:
            with self.assertRaises(SystemExit):
                make_content.read_demo_texts(f.name)
        finally:
            os.unlink(f.name)


if __name__ == "__main__":
    unittest.main()
