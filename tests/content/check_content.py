#!/usr/bin/env python3
"""Checks the committed recordings, key-sound clips, icon and resource script.

Usage: check_content.py RESOURCES_DIR [--rebuild]

--rebuild also remakes everything with tools/make-content.sh into a temporary
folder and requires the same bytes as the committed files (slow: runs the
synthesiser and the encoder).
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# ---------------------------------------------------------------- MP3

MPEG1, MPEG2 = 3, 2  # version bits of a frame header
MONO, JOINT = 3, 1  # channel-mode bits
_BITRATES = {
    MPEG1: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    MPEG2: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
_RATES = {MPEG1: [44100, 48000, 32000], MPEG2: [22050, 24000, 16000]}
_VERSION_NAMES = {MPEG1: "MPEG-1", MPEG2: "MPEG-2", 0: "MPEG-2.5", 1: "reserved"}
_MODE_NAMES = {0: "stereo", JOINT: "joint stereo", 2: "dual channel", MONO: "mono"}

# file: (version, sample rate, channel mode, tags, length in seconds)
RECORDINGS = {
    "N001.mp3": (MPEG1, 44100, MONO, "v2.3+v1", 8.7),
    "N002.mp3": (MPEG2, 22050, JOINT, "v2.3+v1", 7.9),
    "N003.mp3": (MPEG2, 22050, JOINT, "v2.3+v1", 9.0),
    "N004.mp3": (MPEG2, 22050, JOINT, "v2.3+v1", 8.9),
    "S001.mp3": (MPEG1, 44100, MONO, "v2.2", 12.0),
    "S002.mp3": (MPEG1, 44100, MONO, "v2.2", 12.1),
    "S003.mp3": (MPEG1, 44100, MONO, "v2.2", 12.8),
    "S004.mp3": (MPEG1, 44100, MONO, "v2.2", 12.1),
}
BITRATE = 64
LENGTH_TOLERANCE = 0.15


def _id3v2(data, version):
    """Returns (tag length, errors) for the ID3v2 tag that must open the file."""
    if len(data) < 10 or data[:3] != b"ID3":
        return 0, ["does not begin with an ID3v2 tag"]
    errors = []
    if data[3] != version:
        errors.append("ID3v2.%d tag, expected ID3v2.%d" % (data[3], version))
        return 0, errors
    if data[5] != 0:
        errors.append("ID3v2 flags 0x%02x, expected none" % data[5])
    if any(b & 0x80 for b in data[6:10]):
        errors.append("ID3v2 size is not syncsafe")
        return 0, errors
    size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
    end = 10 + size
    if end > len(data):
        return 0, errors + ["ID3v2 tag runs past the end of the file"]
    id_len, size_len, flag_len = (3, 3, 0) if version == 2 else (4, 4, 2)
    pos, frames = 10, 0
    while pos + id_len + size_len + flag_len <= end and data[pos] != 0:
        fid = data[pos : pos + id_len]
        if not all(chr(c).isupper() or chr(c).isdigit() for c in fid):
            errors.append("bad ID3v2 frame id %r at %d" % (fid, pos))
            break
        fsize = int.from_bytes(data[pos + id_len : pos + id_len + size_len], "big")
        pos += id_len + size_len + flag_len + fsize
        if pos > end:
            errors.append("ID3v2 frame %r runs past the tag" % fid)
            break
        frames += 1
    if frames == 0:
        errors.append("ID3v2 tag holds no frame")
    if any(data[pos:end]):
        errors.append("ID3v2 padding is not zero")
    return end, errors


def _xing(frame, version, mode):
    side = {(MPEG1, MONO): 17, (MPEG2, MONO): 9}.get((version, mode), 32 if version == MPEG1 else 17)
    return frame[4 + side : 8 + side] in (b"Xing", b"Info")


def check_mp3(data, version, rate, mode, tags, length):
    """Returns (errors, seconds of audio)."""
    start, errors = _id3v2(data, 2 if tags == "v2.2" else 3)
    if not start:
        return errors, 0.0
    end = len(data)
    if tags == "v2.3+v1":
        if len(data) < start + 128 or data[-128:-125] != b"TAG":
            return errors + ["does not end with an ID3v1 tag"], 0.0
        end -= 128
    elif data[-128:-125] == b"TAG":
        errors.append("ends with an ID3v1 tag it should not have")
        end -= 128
    pos, frames, first = start, 0, True
    spf = 1152 if version == MPEG1 else 576
    while pos < end:
        if pos + 4 > end:
            errors.append("%d stray bytes after the last frame" % (end - pos))
            break
        h = int.from_bytes(data[pos : pos + 4], "big")
        if (h >> 21) != 0x7FF:
            errors.append("no frame sync at byte %d" % pos)
            break
        fv, layer = (h >> 19) & 3, (h >> 17) & 3
        bri, sri, pad, fm = (h >> 12) & 15, (h >> 10) & 3, (h >> 9) & 1, (h >> 6) & 3
        where = "frame %d (byte %d)" % (frames, pos)
        if fv != version:
            errors.append("%s is %s" % (where, _VERSION_NAMES[fv]))
            break
        if layer != 1:
            errors.append("%s is not Layer III" % where)
            break
        if bri in (0, 15) or sri == 3:
            errors.append("%s has an invalid bitrate or sample rate" % where)
            break
        br, sr = _BITRATES[fv][bri], _RATES[fv][sri]
        if br != BITRATE:
            errors.append("%s is %d kbit/s" % (where, br))
        if sr != rate:
            errors.append("%s is %d Hz" % (where, sr))
        if fm != mode:
            errors.append("%s is %s" % (where, _MODE_NAMES[fm]))
        size = (144000 if fv == MPEG1 else 72000) * br // sr + pad
        if pos + size > end:
            errors.append("%s is cut short" % where)
            break
        # An encoder's info frame is silent and not part of the recording's length.
        if not (first and _xing(data[pos : pos + size], fv, fm)):
            frames += 1
        first = False
        pos += size
        if len(errors) > 5:
            break
    seconds = frames * spf / rate
    if not errors and abs(seconds - length) > LENGTH_TOLERANCE * length:
        errors.append("lasts %.2f s, expected %.1f s within 15%%" % (seconds, length))
    return errors, seconds


# ---------------------------------------------------------------- WAVE

CLIPS = {
    "hit_standard.wav": 1760,
    "hit_pop.wav": 1188,
    "miss_standard.wav": 2205,
    "miss_meow.wav": 11483,
}


def check_wav(data, samples):
    """Returns (errors, peak in dBFS)."""
    if len(data) < 44 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        return ["not a RIFF WAVE file"], None
    errors = []
    if data[12:16] != b"fmt " or struct.unpack_from("<I", data, 16)[0] != 16:
        return ["does not start with a 16-byte fmt chunk"], None
    fmt, ch, rate, byte_rate, align, bits = struct.unpack_from("<HHIIHH", data, 20)
    if (fmt, ch, rate, byte_rate, align, bits) != (1, 1, 22050, 22050, 1, 8):
        errors.append(
            "format %d, %d channel(s), %d Hz, %d byte/s, align %d, %d bits; expected PCM 8-bit mono 22050 Hz"
            % (fmt, ch, rate, byte_rate, align, bits)
        )
    if data[36:40] != b"data":
        return errors + ["fmt chunk is not followed by the data chunk"], None
    n = struct.unpack_from("<I", data, 40)[0]
    if n != samples:
        errors.append("%d samples, expected %d" % (n, samples))
    expected_len = 44 + n + (n & 1)
    if len(data) != expected_len:
        errors.append("%d bytes, expected %d (header, data, pad byte): extra or missing data" % (len(data), expected_len))
    if struct.unpack_from("<I", data, 4)[0] != len(data) - 8:
        errors.append("RIFF size does not match the file")
    pcm = data[44 : 44 + n]
    if not pcm:
        return errors + ["no samples"], None
    lo, hi = min(pcm), max(pcm)
    if lo == 0 or hi == 255:
        errors.append("clipped (reaches full scale)")
    peak = max(128 - lo, hi - 128)
    db = -99.0 if peak == 0 else 20 * math.log10(peak / 128)
    if db < -9 or db > -1:
        errors.append("peak %.1f dBFS, expected about -3 dBFS" % db)
    if abs(pcm[0] - 128) > 4 or abs(pcm[-1] - 128) > 4:
        errors.append("does not start and end at rest (audible click)")
    return errors, db


# ---------------------------------------------------------------- icon


def icon_entries(data):
    """Returns [(width, height, colour count, bit count, image bytes)] of an ICO file."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    out = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        if offset + size > len(data):
            raise ValueError("image %d runs past the end of the file" % i)
        out.append((w or 256, h or 256, colours, bits, data[offset : offset + size]))
    return out


def check_icon(data):
    try:
        entries = icon_entries(data)
    except (ValueError, struct.error) as e:
        return [str(e)]
    errors = []
    sizes = sorted(e[0] for e in entries)
    if sizes != [16, 32]:
        errors.append("images of sizes %s, expected 16 and 32" % sizes)
    for w, h, colours, bits, img in entries:
        name = "%dx%d image" % (w, h)
        if w != h or colours != 0 or bits != 8:
            errors.append("%s: directory says %d colours, %d bits; expected 256 colours" % (name, colours, bits))
        if len(img) < 40:
            errors.append("%s: no bitmap header" % name)
            continue
        hs, bw, bh, planes, bbits, comp, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", img, 0)
        if (hs, bw, bh, planes, bbits, comp) != (40, w, 2 * h, 1, 8, 0) or used not in (0, 256):
            errors.append("%s: bitmap is not an uncompressed 8-bit %dx%d DIB" % (name, w, h))
            continue
        xor_stride, and_stride = (w + 3) // 4 * 4, (w + 31) // 32 * 4
        pix_at = 40 + 1024
        if len(img) != pix_at + h * (xor_stride + and_stride):
            errors.append("%s: %d bytes, not palette + pixels + mask" % (name, len(img)))
            continue
        mask_at = pix_at + h * xor_stride
        opaque = set()
        for y in range(h):
            row_mask = int.from_bytes(img[mask_at + y * and_stride : mask_at + (y + 1) * and_stride], "big")
            for x in range(w):
                if not (row_mask >> (and_stride * 8 - 1 - x)) & 1:
                    index = img[pix_at + y * xor_stride + x]
                    opaque.add(img[40 + 4 * index : 43 + 4 * index])
        if len(opaque) < 2:
            errors.append("%s: blank (fewer than two colours drawn)" % name)
    return errors


# ---------------------------------------------------------------- resource script

RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24
LANG_JAPANESE = 0x411


def _res_name(data, pos):
    if struct.unpack_from("<H", data, pos)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def parse_res(data):
    """Returns [(type, name, language, bytes)] of a 32-bit .res file."""
    out, pos = [], 0
    while pos + 32 <= len(data):
        size, header = struct.unpack_from("<II", data, pos)
        rtype, p = _res_name(data, pos + 8)
        name, p = _res_name(data, p)
        p = (p + 3) & ~3
        lang = struct.unpack_from("<H", data, p + 6)[0]
        body = data[pos + header : pos + header + size]
        if rtype != 0:  # the file opens with an empty marker entry of type 0
            out.append((rtype, name, lang, body))
        pos = (pos + header + size + 3) & ~3
    return out


def expected_resources(folder):
    """(type, id) -> file, for everything the resource script must embed from `folder`."""
    table = {("MP3", 137 + i): "S%03d.mp3" % (i + 1) for i in range(4)}
    table.update({("MP3", 132 + i): "N%03d.mp3" % (i + 1) for i in range(4)})
    table.update({("WAVE", 118): "hit_standard.wav", ("WAVE", 123): "hit_pop.wav"})
    table.update({("WAVE", 120): "miss_standard.wav", ("WAVE", 121): "miss_meow.wav"})
    table[(RT_MANIFEST, 1)] = "dictadrill.manifest"
    return {k: os.path.join(folder, v) for k, v in table.items()}


def check_res(entries, folder):
    errors = []
    by_key = {}
    for rtype, name, lang, body in entries:
        if lang != LANG_JAPANESE:
            errors.append("resource %r/%r has language %d, expected 1041" % (rtype, name, lang))
        by_key[(rtype, name)] = body
    expected = expected_resources(folder)
    for kind in ("MP3", "WAVE"):
        got = sorted(n for t, n in by_key if t == kind)
        want = sorted(n for t, n in expected if t == kind)
        if got != want:
            errors.append("type %s holds ids %s, expected %s" % (kind, got, want))
    for key, path in sorted(expected.items(), key=str):
        with open(path, "rb") as f:
            if by_key.get(key) != f.read():
                errors.append("%r/%r does not hold %s" % (key[0], key[1], os.path.basename(path)))
    group = by_key.get((RT_GROUP_ICON, 101))
    if group is None:
        errors.append("no icon group 101")
    else:
        with open(os.path.join(folder, "dictadrill.ico"), "rb") as f:
            images = [e[4] for e in icon_entries(f.read())]
        count = struct.unpack_from("<H", group, 4)[0]
        ids = [struct.unpack_from("<H", group, 6 + 14 * i + 12)[0] for i in range(count)]
        if [by_key.get((RT_ICON, i)) for i in ids] != images:
            errors.append("icon group 101 does not hold the images of dictadrill.ico")
    manifest = by_key.get((RT_MANIFEST, 1))
    if manifest is not None:
        root = ET.fromstring(manifest)
        if root.tag != "{urn:schemas-microsoft-com:asm.v1}assembly" or root.get("manifestVersion") != "1.0":
            errors.append("manifest is not an assembly of version 1.0")
        elif len(root):
            errors.append("manifest declares %s; it must declare nothing" % [c.tag for c in root])
    return errors


def compile_rc(folder):
    windres = shutil.which("x86_64-w64-mingw32-windres")
    if windres is None:
        raise RuntimeError("x86_64-w64-mingw32-windres not found; run tools/install-deps.sh")
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "dictadrill.res")
        rc = os.path.join(folder, "dictadrill.rc")
        subprocess.run([windres, "-c", "65001", "-I", folder, rc, "-O", "res", "-o", out], check=True)
        with open(out, "rb") as f:
            return f.read()


# ---------------------------------------------------------------- driver

CONTENT = sorted(RECORDINGS) + sorted(CLIPS) + ["dictadrill.ico"]


def check_folder(folder, say):
    failures = 0

    def report(name, errors, note=""):
        nonlocal failures
        if errors:
            failures += 1
            say("FAIL %s: %s" % (name, "; ".join(errors)))
        else:
            say("ok   %s%s" % (name, note))

    for name, wanted in sorted(RECORDINGS.items()):
        with open(os.path.join(folder, name), "rb") as f:
            errors, seconds = check_mp3(f.read(), *wanted)
        report(name, errors, "  %.2f s" % seconds)
    for name, samples in sorted(CLIPS.items()):
        with open(os.path.join(folder, name), "rb") as f:
            errors, db = check_wav(f.read(), samples)
        report(name, errors, "  %d samples, peak %.1f dBFS" % (samples, db or 0))
    with open(os.path.join(folder, "dictadrill.ico"), "rb") as f:
        report("dictadrill.ico", check_icon(f.read()))
    try:
        report("dictadrill.rc", check_res(parse_res(compile_rc(folder)), folder))
    except (RuntimeError, subprocess.CalledProcessError) as e:
        report("dictadrill.rc", [str(e)])
    return failures


def rebuild(folder, say):
    script = os.path.join(os.path.dirname(os.path.abspath(folder)), "tools", "make-content.sh")
    with tempfile.TemporaryDirectory(prefix="dd-rebuild-") as tmp:
        subprocess.run([script, tmp], check=True, stdout=subprocess.DEVNULL)
        differ = []
        for name in CONTENT:
            with open(os.path.join(folder, name), "rb") as a, open(os.path.join(tmp, name), "rb") as b:
                if a.read() != b.read():
                    differ.append(name)
    if differ:
        say("FAIL rebuild: differs from the committed files: %s" % ", ".join(differ))
        return 1
    say("ok   rebuild: tools/make-content.sh gives the committed bytes")
    return 0


def main(argv):
    args = [a for a in argv if a != "--rebuild"]
    if len(args) != 1:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    failures = check_folder(args[0], print)
    if "--rebuild" in argv:
        failures += rebuild(args[0], print)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
