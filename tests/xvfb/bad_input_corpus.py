#!/usr/bin/env python3
"""Hands a folder of broken, hostile and odd files to the real viewer on an X server
and steps through it with the next key.

Passes when every valid picture's colour reached the screen's centre, the viewer is
still running and still answers a key at the end, and its peak memory with its decoder
helpers' stayed under 600 MiB. The corpus is made afresh on every run.

usage: bad_input_corpus.py VIEWER PIXEL_WAIT      (DISPLAY must name an X server)
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib
from pathlib import Path

PEAK_MEMORY_LIMIT_MIB = 600
STEP_LIMIT = 40
SECONDS_PER_STEP = 0.35

# The colours of the pictures that must show; the tolerance allows for JPEG's rounding.
VALID = {"a-red.png": "e01010", "k-green.jpg": "10c020", "t-blue.png": "1030e0"}
EXIF_LOOPS = ("p-exif-loops.jpg", "e0c010")
# An animation whose frames are all one colour and come without a delay: it shows, and
# plays at the common floor rather than spinning.
ZERO_DELAY = ("r-zero-delay.gif", "c010c0")
NON_UTF8 = (b"q-\xff\xfe-name.png", "10d0d0")
# A phone photo's grid of tiles with its first tile cut off: the others show on black.
GRID_MISSING_TILE = ("x-grid-missing-tile.heic", "30c0a0")
TOLERANCE = 24


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-v", "error", "-y", *args], check=True)


def solid(path, colour, size="640x480"):
    ffmpeg("-f", "lavfi", "-i", f"color=c=0x{colour}:s={size}", "-frames:v", "1", "-q:v", "2",
           "-f", "image2", "-update", "1", str(path))


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_claiming(width, height):
    """A PNG whose header promises a vast picture; the data holds a few rows."""
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    rows = zlib.compress(b"\0" * 4096)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", rows)
            + png_chunk(b"IEND", b""))


def jpeg_claiming(jpeg, width, height):
    """The JPEG with its frame header's size replaced."""
    data = bytearray(jpeg)
    for marker in (b"\xff\xc0", b"\xff\xc2"):
        at = data.find(marker)
        if at > 0:
            struct.pack_into(">HH", data, at + 5, height, width)
            return bytes(data)
    raise RuntimeError("no frame header in the JPEG")


def gif(path, colours, size="64x48"):
    """An animated GIF of one frame per colour, a tenth of a second each."""
    sources = []
    for colour in colours:
        sources += ["-f", "lavfi", "-i", f"color=c=0x{colour}:s={size}:d=0.1:r=10"]
    joined = "".join(f"[{i}:v]" for i in range(len(colours))) + f"concat=n={len(colours)}:v=1:a=0"
    ffmpeg(*sources, "-filter_complex", joined, "-loop", "0", "-f", "gif", str(path))
    return bytearray(path.read_bytes())


def gif_frame_timings(data):
    """Where each frame's timing block (a graphic control extension, 8 bytes) starts; its
    placement block follows it."""
    found = []
    at = data.find(b"\x21\xf9\x04", 13)
    while at >= 0:
        if data[at + 8:at + 9] == b"\x2c":
            found.append(at)
        at = data.find(b"\x21\xf9\x04", at + 1)
    return found


def apng_claiming(png_frames, frames_claimed):
    """The animated PNG with its animation-control chunk's frame count replaced."""
    data = bytearray(png_frames)
    at = data.find(b"acTL")
    struct.pack_into(">I", data, at + 4, frames_claimed)
    struct.pack_into(">I", data, at + 12, zlib.crc32(bytes(data[at:at + 12])))
    return bytes(data)


def add_broken_animations(folder):
    """Animations with bad timing, placement, ends and counts."""
    work = folder.parent
    zero = gif(work / "zero.gif", [ZERO_DELAY[1]] * 2)
    for timing in gif_frame_timings(zero):
        struct.pack_into("<H", zero, timing + 4, 0)
    (folder / ZERO_DELAY[0]).write_bytes(zero)
    two = gif(work / "two.gif", ["d02020", "2020d0"])
    oversize = bytearray(two)
    for timing in gif_frame_timings(oversize)[1:]:
        struct.pack_into("<HH", oversize, timing + 8 + 5, 4000, 4000)  # a frame past the canvas
    (folder / "s-frame-past-canvas.gif").write_bytes(oversize)
    (folder / "u-cut-last-frame.gif").write_bytes(bytes(two[:-24]))
    ffmpeg("-f", "lavfi", "-i", "color=c=0x20d020:s=64x48:d=0.2:r=10", "-plays", "0", "-f", "apng",
           str(work / "two.apng"))
    frames = (work / "two.apng").read_bytes()
    (folder / "v-claims-100000-frames.png").write_bytes(apng_claiming(frames, 100000))
    (folder / "w-claims-one-frame.png").write_bytes(apng_claiming(frames, 1))


def add_grid_missing_tile(folder):
    sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
    from heif_grid import write_grid_heic
    source = folder.parent / "grid-source.png"
    solid(source, GRID_MISSING_TILE[1], size="768x512")
    write_grid_heic(str(source), str(folder / GRID_MISSING_TILE[0]), tile=256, thumbnail=0, drop_tiles=(0,))


def exif_with_loops():
    """An Exif block whose directories point at themselves and whose values lie past its end."""
    entries = [
        (0x0112, 3, 1, struct.pack("<HH", 6, 0)),            # orientation: turned
        (0x010F, 2, 4000, struct.pack("<I", 0xFFFFFF00)),      # maker text far past the end
        (0x8769, 4, 1, struct.pack("<I", 8)),                  # Exif directory: this one again
        (0x8825, 4, 1, struct.pack("<I", 0x7FFFFFFF)),         # GPS directory past the end
    ]
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        ifd += struct.pack("<HHI", tag, kind, count) + value
    ifd += struct.pack("<I", 8)                                # next directory: this one again
    tiff = b"II*\x00" + struct.pack("<I", 8) + ifd
    payload = b"Exif\x00\x00" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload


def make_corpus(folder):
    folder.mkdir()
    for name, colour in VALID.items():
        solid(folder / name, colour)
    solid(folder / NON_UTF8[0].decode("latin-1"), NON_UTF8[1])
    os.rename(folder / NON_UTF8[0].decode("latin-1"), os.path.join(os.fsencode(folder), NON_UTF8[0]))

    plain = folder.parent / "plain.jpg"
    solid(plain, EXIF_LOOPS[1])
    jpeg = plain.read_bytes()
    (folder / EXIF_LOOPS[0]).write_bytes(jpeg[:2] + exif_with_loops() + jpeg[2:])
    (folder / "c-claims-65500.jpg").write_bytes(jpeg_claiming(jpeg, 65500, 65500))
    (folder / "d-claims-100000.png").write_bytes(png_claiming(100000, 100000))

    noisy = folder.parent / "noisy.jpg"
    ffmpeg("-f", "lavfi", "-i", "color=c=gray:s=2000x1500,noise=alls=60:allf=u", "-frames:v", "1",
           "-update", "1", str(noisy))
    data = noisy.read_bytes()
    (folder / "e-truncated.jpg").write_bytes(data[: len(data) // 3])
    movie = folder.parent / "movie.mp4"
    ffmpeg("-f", "lavfi", "-i", "testsrc=s=640x480:d=3", "-pix_fmt", "yuv420p", str(movie))
    data = movie.read_bytes()
    (folder / "f-truncated.mp4").write_bytes(data[: len(data) // 2])

    (folder / "g-empty.jpg").write_bytes(b"")
    (folder / "h-random.png").write_bytes(os.urandom(8192))
    (folder / "i-random.gif").write_bytes(b"GIF89a" + os.urandom(4096))
    os.mkfifo(folder / "j-fifo.jpg")
    os.symlink("/dev/zero", folder / "l-zero.png")
    os.symlink(folder / "nowhere.jpg", folder / "m-broken.jpg")
    (folder / "n-loop").mkdir()
    os.symlink("..", folder / "n-loop" / "up")
    add_broken_animations(folder)
    add_grid_missing_tile(folder)


class Screen:
    def __init__(self, pixel_wait):
        self.pixel_wait = pixel_wait

    def centre(self):
        result = subprocess.run([self.pixel_wait, "-p"], capture_output=True, text=True, timeout=10)
        return result.stdout.strip()


def near(colour, wanted):
    if len(colour) != 6:
        return False
    return all(abs(int(colour[i:i + 2], 16) - int(wanted[i:i + 2], 16)) <= TOLERANCE for i in (0, 2, 4))


def matching(colour, wanted_colours):
    return next((w for w in wanted_colours if near(colour, w)), None)


def alive(process):
    return process.poll() is None


def helpers_of(pid):
    """The decoder helpers the viewer `pid` runs."""
    found = subprocess.run(["pgrep", "-P", str(pid), "-f", "vistrel-decoder"], capture_output=True, text=True)
    return found.stdout.split()


def peak_memory_mib(pid):
    """The viewer's high-water mark with its decoder helpers' added, where files are parsed."""
    def high_water(process):
        try:
            for line in Path(f"/proc/{process}/status").read_text().splitlines():
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
        except OSError:
            pass
        return 0.0
    return high_water(pid) + sum(high_water(helper) for helper in helpers_of(pid))


def focus(pid):
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid)],
                           capture_output=True, text=True, timeout=15)
    windows = found.stdout.split()
    if not windows:
        raise RuntimeError("the viewer shows no window")
    subprocess.run(["xdotool", "windowfocus", "--sync", windows[-1]], capture_output=True, timeout=10)


def press(key):
    subprocess.run(["xdotool", "key", key], capture_output=True, timeout=10)


def watch(screen, wanted_colours, seconds):
    """The wanted colours that show at the centre within `seconds`."""
    seen = set()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = matching(screen.centre(), wanted_colours)
        if found:
            seen.add(found)
        time.sleep(0.03)
    return seen


def step_through(viewer, screen, wanted):
    """Presses the next key until every wanted colour showed; the colours seen."""
    seen = watch(screen, wanted, 1.0)
    for step in range(STEP_LIMIT):
        if seen >= wanted or not alive(viewer):
            break
        press("Right" if step % 2 == 0 else "space")
        seen |= watch(screen, wanted, SECONDS_PER_STEP)
    return seen


def still_answers(viewer, screen, wanted):
    """A key still moves from what is on screen to another valid picture. Backwards,
    as the walk ends on the last item and the list need not wrap."""
    start = matching(screen.centre(), wanted)
    others = wanted - {start}
    for _ in range(STEP_LIMIT):
        if not alive(viewer):
            return False
        press("Left")
        if watch(screen, others, SECONDS_PER_STEP):
            return True
    return False


def start_viewer(binary, arguments, work, **extra_env):
    """The viewer on `arguments`, with a clean home under `work` and its output in
    work/viewer.log."""
    home = work / "home"
    (home / "run").mkdir(parents=True, mode=0o700)
    env = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
               XDG_CACHE_HOME=str(home / ".cache"), XDG_DATA_HOME=str(home / ".local/share"),
               XDG_RUNTIME_DIR=str(home / "run"), QT_QPA_PLATFORM="xcb", **extra_env)
    log = open(work / "viewer.log", "wb")
    return subprocess.Popen([binary, *arguments], env=env, stdout=log, stderr=subprocess.STDOUT)


def stop(viewer, work):
    """Ends the viewer, if it still runs, and removes the work folder."""
    if viewer and alive(viewer):
        viewer.kill()
        viewer.wait(10)
    shutil.rmtree(work, ignore_errors=True)


def conclude(work, failures, passed):
    """Prints the end of the viewer's log and fails when anything failed."""
    if failures:
        sys.stdout.write((work / "viewer.log").read_text(errors="replace")[-3000:])
        sys.exit("FAILED: " + "; ".join(failures))
    print(passed)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    viewer_binary, pixel_wait = sys.argv[1], sys.argv[2]
    work = Path(tempfile.mkdtemp(prefix="vistrel-corpus-"))
    viewer = None
    try:
        corpus = work / "corpus"
        make_corpus(corpus)
        viewer = start_viewer(viewer_binary, [str(corpus)], work)
        focus(viewer.pid)
        screen = Screen(pixel_wait)
        wanted = {*VALID.values(), EXIF_LOOPS[1], NON_UTF8[1], ZERO_DELAY[1], GRID_MISSING_TILE[1]}
        seen = step_through(viewer, screen, wanted)
        failures = []
        if not alive(viewer):
            failures.append(f"the viewer ended with status {viewer.returncode}")
        else:
            if not still_answers(viewer, screen, wanted):
                failures.append("the viewer no longer answers the next key")
            peak = peak_memory_mib(viewer.pid)
            print(f"peak memory {peak:.0f} MiB")
            if peak >= PEAK_MEMORY_LIMIT_MIB:
                failures.append(f"peak memory {peak:.0f} MiB")
        if seen != wanted:
            failures.append(f"never shown: {sorted(wanted - seen)}")
        conclude(work, failures, "passed: every valid picture shown, the viewer alive and answering")
    finally:
        stop(viewer, work)


if __name__ == "__main__":
    main()
