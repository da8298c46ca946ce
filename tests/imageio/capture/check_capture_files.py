#!/usr/bin/env python3
"""Checks what the capture tests recorded with standard tools, outside Wine.

    check_capture_files.py DIR           DIR/sequences: three AVIs; DIR/bmp: three BMPs
    check_capture_files.py --avi FILE    one AVI (the small-disk recording)

Every AVI is counted by ffprobe and decoded by ffmpeg: at least ten frames,
each the test camera's picture (blue the frame number, green x, red y counted
from the bottom) outside the stamp's rows, the numbers consecutive. Every BMP
is read by ImageMagick: 161 x 90, upright.
"""
import glob
import os
import subprocess
import sys

STAMP_ROWS = range(2, 14)   # counted from the bottom


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def check_avi(path):
    probe = subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
         "-show_entries", "stream=nb_read_frames,width,height", "-of", "csv=p=0", path],
        capture_output=True, text=True)
    if probe.returncode != 0 or probe.stderr.strip():
        fail(f"ffprobe {path}: {probe.stderr.strip()}")
    width, height, frames = (int(v) for v in probe.stdout.strip().split(","))
    if frames < 10:
        fail(f"{path}: {frames} frames")
    decoded = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "bgr24", "-"],
                             capture_output=True)
    if decoded.returncode != 0 or decoded.stderr.strip():
        fail(f"ffmpeg {path}: {decoded.stderr.decode(errors='replace').strip()}")
    size = width * height * 3
    data = decoded.stdout
    if len(data) != size * frames:
        fail(f"{path}: {len(data)} bytes decoded for {frames} frames")
    numbers = []
    for f in range(frames):
        frame = data[f * size:(f + 1) * size]
        # ffmpeg's rows run from the top.
        number = frame[((height - 1 - 20) * width) * 3]
        for top in range(height):
            y = height - 1 - top
            if y in STAMP_ROWS:
                continue
            row = frame[top * width * 3:(top + 1) * width * 3]
            for x in range(width):
                if (row[3 * x], row[3 * x + 1], row[3 * x + 2]) != (number, x & 255, y & 255):
                    fail(f"{path} frame {f} pixel {x},{y}: {tuple(row[3 * x:3 * x + 3])}")
        numbers.append(number)
    for a, b in zip(numbers, numbers[1:]):
        if (a + 1) & 255 != b:
            fail(f"{path}: frame {b} after {a}")
    print(f"{path}: {frames} frames {width}x{height}, {numbers[0]}..{numbers[-1]}")


def check_bmp(path):
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True)
    if ppm.returncode != 0:
        fail(f"convert {path}: {ppm.stderr.decode(errors='replace').strip()}")
    data, fields, at = ppm.stdout, [], 0
    while len(fields) < 4:   # magic, width, height, maximum; one blank before the pixels
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b"P6":
        fail(f"{path}: not read as a colour picture")
    width, height, pixels = int(fields[1]), int(fields[2]), data[at + 1:]
    if (width, height) != (161, 90):
        fail(f"{path}: {width}x{height}")
    for top in range(height):
        y = height - 1 - top
        for x in range(width):
            r, g = pixels[(top * width + x) * 3], pixels[(top * width + x) * 3 + 1]
            if (r, g) != (y, x):
                fail(f"{path} pixel {x},{y} from the bottom: red {r}, green {g}")
    print(f"{path}: {width}x{height} upright")


def main(args):
    if len(args) == 2 and args[0] == "--avi":
        check_avi(args[1])
        return
    if len(args) != 1:
        fail("usage: check_capture_files.py DIR | --avi FILE")
    avis = sorted(glob.glob(os.path.join(args[0], "sequences", "*.avi")))
    bmps = sorted(glob.glob(os.path.join(args[0], "bmp", "*.bmp")))
    if [os.path.basename(a) for a in avis] != ["video000.avi", "video001.avi", "video002.avi"]:
        fail(f"sequences: {avis}")
    if len(bmps) != 3:
        fail(f"bmp series: {bmps}")
    for a in avis:
        check_avi(a)
    for b in bmps:
        check_bmp(b)


if __name__ == "__main__":
    main(sys.argv[1:])
