#!/bin/sh
# An endless recording onto a small disk of its own must stop by itself,
# leaving a file that ffprobe and ffmpeg read whole. Needs root for the
# mount; skipped (77) otherwise.
#   capture_small_disk.sh WINE-RUN TEST-PROGRAM FOLDER
set -u
wine_run=$1 program=$2 disk=$3
[ "$(id -u)" = 0 ] || { echo "not root: no small disk"; exit 77; }
mkdir -p "$disk"
mountpoint -q "$disk" && umount "$disk"
mount -t tmpfs -o size=12m tyvorn-capture "$disk" || { echo "tmpfs cannot be mounted here"; exit 77; }
trap 'umount "$disk"' EXIT
TYVORN_SMALL_DISK=$disk "$wine_run" "$program" --gtest_filter='*SmallDisk*' || exit 1
ls -l "$disk"
python3 "$(dirname "$0")/check_capture_files.py" --avi "$disk/video.avi"
