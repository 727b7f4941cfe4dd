#!/usr/bin/env bash
# Runs the scanning test against Wine's own source manager and its camera
# source (gphoto2.ds over libgphoto2). libgphoto2's disk port offers every
# mounted file system as a "Mass Storage Camera"; the test's camera is a tmpfs
# holding DCIM/100TEST/IMG_0001.JPG, mounted in a private mount namespace so
# that nothing outside this run sees it (which needs root, as CI has). The
# JPEG is also decoded by ImageMagick, for the test to compare with.
# Usage: real_manager.sh WINE_RUN TEST_EXE OUT_DIR
set -euo pipefail
wine_run=$1 exe=$2 out=$3
if [ -z "${VORLIX_CAMERA_NAMESPACE:-}" ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
    echo "skipped: a private mount namespace needs root"
    exit 77
  fi
  export VORLIX_CAMERA_NAMESPACE=1
  exec unshare -m --propagation private bash "$0" "$@"
fi
rm -rf "$out"
mkdir -p "$out/camera"
mount -t tmpfs -o size=16m vorlix-camera "$out/camera"
trap 'umount "$out/camera" 2>/dev/null || true' EXIT
mkdir -p "$out/camera/DCIM/100TEST"
magick=/usr/bin/convert
[ -x "$magick" ] || magick=convert
# Colour plasma, full-resolution chroma: a picture with detail everywhere.
"$magick" -size 160x120 -seed 11 plasma:fractal -quality 92 -sampling-factor 1x1 \
  "$out/camera/DCIM/100TEST/IMG_0001.JPG"
"$magick" "$out/camera/DCIM/100TEST/IMG_0001.JPG" -type TrueColor "BMP3:$out/expected.bmp"
export VORLIX_CAMERA_EXPECTED="Z:${out//\//\\}\\expected.bmp"
export GTEST_FILTER='*ThroughWinesOwnManager*'
"$wine_run" "$exe" --gtest_color=no
