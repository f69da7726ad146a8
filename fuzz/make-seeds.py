#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/ from recordings of the
synthetic recorder: small disk images, a MYS file captured from one, and the texts a camera
sends. Run after a normal build: make-seeds.py BUILD_DIR. Every seed stays a few KB."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PACKET = 4096
HEADER = 8
MYS_HEADER = 28
RECORD_HEADER = 28
VIDEO_LEAD = 4
VIDEO_MAGIC = 0xF21FF22F
AUDIO_MAGIC = 0xF04EF22F
EVENT_AREA = 8192
MAX_SEED = 8192


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def swab(data):
    """The recorder stores 16-bit words with their bytes exchanged."""
    out = bytearray(data)
    out[0::2], out[1::2] = data[1::2], data[0::2]
    return bytes(out)


def write(target, name, data):
    assert len(data) <= MAX_SEED, (target, name, len(data))
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def packets(image):
    with open(image, "rb") as f:
        data = f.read()
    return [data[i:i + PACKET] for i in range(0, len(data), PACKET)], data


def is_audio(stored):
    return swab(stored[:HEADER])[6] == 0xF1


def records(mys):
    """(offset, magic, length, key) of every record of a MYS file."""
    found, at = [], MYS_HEADER
    while at + RECORD_HEADER <= len(mys):
        magic, length = struct.unpack_from("<I", mys, at)[0], struct.unpack_from("<I", mys, at + 16)[0]
        if magic not in (VIDEO_MAGIC, AUDIO_MAGIC) or at + RECORD_HEADER + length > len(mys):
            break
        found.append((at, magic, length, mys[at + 27]))
        at += RECORD_HEADER + length
    return found


def mys_of(mys, chosen, file_size=None):
    """A MYS file of the chosen records, its header's size and count made to fit."""
    body = b"".join(mys[at:at + RECORD_HEADER + length] for at, _, length, _ in chosen)
    header = bytearray(mys[:MYS_HEADER])
    total = MYS_HEADER + len(body)
    struct.pack_into("<I", header, 4, total if file_size is None else file_size)
    struct.pack_into("<I", header, 24, len(chosen))
    return bytes(header) + body


def claimed(sectors):
    return struct.pack("<I", sectors)


def main():
    with tempfile.TemporaryDirectory() as work:
        make_seeds(sys.argv[1] if len(sys.argv) > 1 else "build", work)


def make_seeds(build, work):
    shutil.rmtree(os.path.join(HERE, "corpus"), ignore_errors=True)
    dvrsynth = os.path.join(build, "bin", "dvrsynth")
    qvtool = os.path.join(build, "bin", "qvtool")
    small = os.path.join(work, "small.img")
    ring = os.path.join(work, "ring.img")
    run(dvrsynth, small, "--channels", "1,2", "--slices", "7", "--still", "--quantiser", "15",
        "--seconds", "2", "--key-period", "4", "--events", "5")
    run(dvrsynth, ring, "--channels", "1", "--slices", "7", "--still", "--quantiser", "15",
        "--seconds", "12", "--no-audio", "--events", "12",
        "--event-first-index", "120")
    run(qvtool, "capture", small, "--dir", os.path.join(work, "mys"))

    stored, image = packets(small)
    video = next(p for p in stored if not is_audio(p))
    audio = next(p for p in stored if is_audio(p))
    write("packet", "video", video)
    write("packet", "audio", audio)

    stream = b"".join(swab(p)[HEADER:] for p in stored[:2] if not is_audio(p))
    write("frame_feed", "whole-packets", b"\xff" + stream)
    write("frame_feed", "small-pieces", b"\x10" + stream)

    write("audio_expand", "exchanged", b"\x32\x00\x01" + audio[HEADER:HEADER + 4000])
    write("audio_expand", "loud-short", b"\x64\x00\x00" + swab(audio)[HEADER:HEADER + 600])

    mysdir = os.path.join(work, "mys")
    with open(os.path.join(mysdir, os.listdir(mysdir)[0]), "rb") as f:
        mys = f.read()
    recs = records(mys)
    first = []
    for r in recs:
        if MYS_HEADER + sum(RECORD_HEADER + x[2] for x in first) + RECORD_HEADER + r[2] > 6000:
            break
        first.append(r)
    write("mys", "first-records", mys_of(mys, first))
    write("mys", "unfinished-header", mys_of(mys, first, file_size=0))
    sound = next(r for r in recs if r[1] == AUDIO_MAGIC)
    smallest = sorted((r for r in recs if r[1] == VIDEO_MAGIC and not r[3]), key=lambda r: r[2])
    write("mys", "with-sound", mys_of(mys, [first[0], sound] + smallest[:6]))

    key = next(r for r in recs if r[1] == VIDEO_MAGIC and r[3] == 1)
    later = smallest[0]
    frame = lambda r: mys[r[0] + RECORD_HEADER + VIDEO_LEAD:r[0] + RECORD_HEADER + r[2]]
    write("video_decoder", "key-then-other",
          struct.pack("<H", len(frame(key))) + frame(key) + frame(later))
    write("video_decoder", "key-only", struct.pack("<H", len(frame(key))) + frame(key))

    write("event_area", "five-spans", image[-EVENT_AREA:])
    with open(ring, "rb") as f:
        f.seek(-EVENT_AREA, os.SEEK_END)
        write("event_area", "ring-wraps", f.read())

    sectors = len(image) // 512
    write("drive_scan", "small-image",
          claimed(sectors) + b"".join(p[:HEADER] for p in stored[:16]))
    ring_stored, ring_image = packets(ring)
    write("drive_scan", "ring-image",
          claimed(len(ring_image) // 512) + b"".join(p[:HEADER] for p in ring_stored[:24]))

    def config(directory):
        text = directory.encode() + b"\0"
        padded = (len(text) - 1) // 4 * 4 + 4
        return (struct.pack("<IIiIiII", 4, 0, 4, 0, 0, 1, padded) + text.ljust(padded, b"\0") +
                struct.pack("<Ii", 0, 1))
    write("config_file", "viewer-defaults", config("/home/user/Capture_MYS/"))
    write("config_file", "long-directory", config("/media/evidence/" + "case-0042/" * 20))

    for name, text in {
        "discovery": "KESTRAREPLY,0,00-11-22-33-44-55,10.0.0.5:81,255.255.255.0,10.0.0.1,front",
        "name-updated": "KESTRAREPLY,3,00-11-22-33-44-55,10.0.0.5:80,255.255.255.0,10.0.0.1,back,OK",
        "empty-fields": "KESTRAREPLY,,1,,AA BB CC DD EE FF,192.168.1.20:65535,,,gate,n,FAIL",
    }.items():
        write("camscout_reply", name, text.encode())


if __name__ == "__main__":
    main()
