#!/usr/bin/env python3
"""Launch-to-pixel benchmark: how long until a picture or movie is on the screen.

Starts the viewer (and, when installed, the peers feh, nsxiv, mpv and qimgv) on a
fresh Xvfb 1920x1080x24 with the openbox window manager, and measures the time from
starting the program until the screen's centre pixel shows the file's colour. The
pixel is polled about every millisecond by bench/launch/PixelWait.cpp (target
pixel_wait). Every launch gets a clean HOME and XDG folders.

Rows: launch to an 800x600 PNG, a 24 MP JPEG, a 24 MP PNG, a 96 MP JPEG (with peak
RSS summed over the viewer and its decoder helper, and, where the bench may make memory
cgroups, the launch's peak memory charge, which counts shared pages once), a 12 MP
HEIC (made with libheif's heif-enc), a 12 MP HEIC stored as phones store them (a grid of
512x512 tiles with a thumbnail, scripts/heif_grid.py): until the whole picture shows, and
until its thumbnail shows (its colour differs from the picture's, so that the two
moments tell apart; only the viewer's own columns), a 1080p H.264 movie's first frame; the next picture
(4000x3000 JPEGs, a key every second); a folder of 100,000 files in 1,000 folders (with `find` as baseline).
Each figure is the median of several runs, with its ratio to the best peer; the viewers
take turns launch by launch, so that drift over the run weighs on all of them alike.

Usage (from the source tree, after building; peers: scripts/install-bench-peers.sh):
    ./dev.sh launch-bench
    bench/launch/launch-bench.py [--build build] [--runs 7] [--only vistrel,feh] [--rows small,next]
    bench/launch/launch-bench.py --previous ../old/build   # the earlier binary beside the new one

Fixtures are made once under /tmp/vistrel-launch-fixtures (ffmpeg); delete the folder
to make them again. The figures are only as quiet as the machine: other work on the
same cores shows up in them.
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

SCREEN = (1920, 1080)
LAUNCH_TIMEOUT_MS = 30000
# Per colour channel. A movie's colour passes through YUV and a player's choice of
# colour matrix, which moves it further than a JPEG's rounding does.
PICTURE_TOLERANCE = 16
MOVIE_TOLERANCE = 40
NEXT_TIMEOUT_MS = 10000
FIXTURES = Path("/tmp/vistrel-launch-fixtures")

# Distinct, saturated colours, far from the black and grey of the viewers' backgrounds.
COLOURS = [
    "d02020", "20a040", "2040d0", "d0a020", "a020c0", "20b0c0", "e06010", "60c020",
    "c02080", "4080e0", "b0b020", "20c080", "8040e0", "e04060", "40a0a0", "a06020",
    "60e060", "e060e0", "2080a0", "c0c060", "6020a0", "e0a060",
]


def log(*parts):
    print(*parts, file=sys.stderr, flush=True)


# ---------------------------------------------------------------- fixtures

def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-v", "error", "-y", *args], check=True)


def picture(path, size, colour, noisy=True):
    """A picture whose middle third is `colour`; the rest is noise, so that decoding
    costs what a photograph of that size costs."""
    if path.exists():
        return path
    width, height = size
    source = f"color=c=0x808080:s={width}x{height}"
    if noisy:
        source += ",noise=alls=60:allf=u"
    source += f",drawbox=x=iw/3:y=ih/3:w=iw/3:h=ih/3:color=0x{colour}:t=fill"
    options = ["-q:v", "2"] if path.suffix == ".jpg" else []
    tmp = path.with_name("." + path.name)
    ffmpeg("-f", "lavfi", "-i", source, "-frames:v", "1", *options, "-f", "image2", str(tmp))
    tmp.rename(path)
    return path


def movie(path, colour):
    if path.exists():
        return path
    tmp = path.with_name(".tmp-" + path.name)
    ffmpeg("-f", "lavfi", "-i", f"color=c=0x{colour}:s=1920x1080:r=30:d=10",
           "-c:v", "libx264", "-pix_fmt", "yuv420p", "-preset", "veryfast", str(tmp))
    tmp.rename(path)
    return path


def heic(path, colour):
    """A 12 MP HEIC, as a phone takes it, encoded by libheif's heif-enc from a picture
    like the others."""
    source = picture(path.with_name(path.stem + "-source.jpg"), (4000, 3000), colour)
    tmp = path.with_name("." + path.name)
    subprocess.run(["heif-enc", "-q", "50", "-o", str(tmp), str(source)], check=True, capture_output=True)
    tmp.rename(path)
    return path


def grid_heic(path, colour, thumbnail_colour):
    """A 12 MP grid HEIC as a phone stores it; its thumbnail's centre is `thumbnail_colour`."""
    sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
    from heif_grid import write_grid_heic
    source = picture(path.with_name(path.stem + "-source.jpg"), (4032, 3024), colour)
    thumbnail = picture(path.with_name(path.stem + "-thumbnail.jpg"), (320, 240), thumbnail_colour)
    write_grid_heic(str(source), str(path), thumbnail_source=str(thumbnail))
    return path


def folder_of_100k(root, colour):
    """100,000 links to a small PNG in 1,000 folders: the scan is what is measured."""
    building = root.with_name(".tmp-" + root.name)
    shutil.rmtree(building, ignore_errors=True)
    building.mkdir(parents=True)
    source = picture(root.parent / "folder-source.png", (640, 480), colour, noisy=False)
    for folder in range(1000):
        sub = building / f"d{folder:03d}"
        sub.mkdir()
        # A copy per folder: a file system allows only so many links to one file.
        first = sub / "f000.png"
        shutil.copyfile(source, first)
        for item in range(1, 100):
            os.link(first, sub / f"f{item:03d}.png")
    building.rename(root)
    return root


@dataclass
class Fixtures:
    small_png: Path
    jpeg_24: Path
    png_24: Path
    jpeg_96: Path
    heic_12: Path
    grid_heic: Path
    movie: Path
    series: list
    folder: Path
    colour: dict = field(default_factory=dict)


def make_fixtures(rows):
    """Makes what the chosen rows need (once) and notes each file's centre colour."""
    FIXTURES.mkdir(parents=True, exist_ok=True)
    colour = {}

    def made(name, rows_of_it, colour_index, make):
        path = FIXTURES / name
        colour[path] = COLOURS[colour_index]
        if rows & set((rows_of_it,) if isinstance(rows_of_it, str) else rows_of_it) and not path.exists():
            log(f"making fixture {name}")
            make(path, COLOURS[colour_index])
        return path

    small = made("small.png", "small", 0, lambda p, c: picture(p, (800, 600), c))
    jpeg_24 = made("24mp.jpg", "jpeg24", 1, lambda p, c: picture(p, (6000, 4000), c))
    png_24 = made("24mp.png", "png24", 2, lambda p, c: picture(p, (6000, 4000), c))
    jpeg_96 = made("96mp.jpg", "jpeg96", 3, lambda p, c: picture(p, (12000, 8000), c))
    heic_12 = made("12mp.heic", "heic12", 6, heic)
    grid = made("12mp-grid.heic", ("grid12", "look12"), 7, lambda p, c: grid_heic(p, c, COLOURS[8]))
    film = made("movie.mp4", "movie", 4, movie)
    (FIXTURES / "series").mkdir(exist_ok=True)
    series = [made(f"series/p{index:02d}.jpg", "next", index, lambda p, c: picture(p, (4000, 3000), c))
              for index in range(21)]
    folder = made("folder100k", "folder", 5, folder_of_100k)
    return Fixtures(small, jpeg_24, png_24, jpeg_96, heic_12, grid, film, series, folder, colour)


# ---------------------------------------------------------------- viewers

@dataclass
class Viewer:
    name: str
    program: str
    picture: object            # file -> argv
    movie: object = None       # file -> argv, None: plays no movies
    series: object = None      # [files] -> argv
    next_key: str = None
    folder: object = None      # folder -> argv


def own_viewer(name, program):
    return Viewer(name, program, lambda f: [program, f], movie=lambda f: [program, f],
                  series=lambda fs: [program, *fs], next_key="Right", folder=lambda d: [program, d])


def viewers(vistrel, previous=None):
    mpv_common = ["--fs", "--image-display-duration=inf", "--really-quiet", "--no-terminal"]
    candidates = [
        own_viewer("vistrel", vistrel),
        *([own_viewer("previous", previous)] if previous else []),
        Viewer("feh", "feh", lambda f: ["feh", "-F", f], series=lambda fs: ["feh", "-F", *fs],
               next_key="space", folder=lambda d: ["feh", "-F", "-r", d]),
        Viewer("nsxiv", "nsxiv", lambda f: ["nsxiv", "-f", "-b", f], series=lambda fs: ["nsxiv", "-f", "-b", *fs],
               next_key="n", folder=lambda d: ["nsxiv", "-f", "-b", "-r", d]),
        # Movies on X's own output without hardware decoding, as the viewer draws them:
        # the GPU output would first look for a GPU this display does not have.
        Viewer("mpv", "mpv", lambda f: ["mpv", *mpv_common, f],
               movie=lambda f: ["mpv", "--fs", "--no-terminal", "--vo=x11", "--hwdec=no", f],
               folder=lambda d: ["mpv", *mpv_common, d]),
        # Full screen through the window manager's rule (it has no option for it); it
        # shows the folder of the file it is given.
        Viewer("qimgv", "qimgv", lambda f: ["qimgv", f], series=lambda fs: ["qimgv", fs[0]], next_key="Right"),
    ]
    return [v for v in candidates if shutil.which(v.program) or Path(v.program).exists()]


# ---------------------------------------------------------------- X server

OPENBOX_RC = """<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew></focus>
  <applications>
    <application class="qimgv"><fullscreen>yes</fullscreen><focus>yes</focus></application>
    <application name="qimgv"><fullscreen>yes</fullscreen><focus>yes</focus></application>
  </applications>
</openbox_config>
"""


class Display:
    """A private Xvfb with openbox; everything started under it is ended with it."""

    def __enter__(self):
        self.home = Path(tempfile.mkdtemp(prefix="launch-bench-wm-"))
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-br",
             "-nolisten", "tcp", "+extension", "GLX"],
            pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as reader:
            number = reader.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = f":{number}"
        rc = self.home / "rc.xml"
        rc.write_text(OPENBOX_RC)
        self.wm = subprocess.Popen(["openbox", "--config-file", str(rc)], env=self.env(self.home),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        return self

    def env(self, home):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("XDG_", "QT_", "WAYLAND"))}
        env.update(DISPLAY=self.name, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                   XDG_CACHE_HOME=str(home / ".cache"), XDG_DATA_HOME=str(home / ".local/share"),
                   XDG_STATE_HOME=str(home / ".local/state"), XDG_RUNTIME_DIR=str(home / "run"),
                   QT_QPA_PLATFORM="xcb")
        (home / "run").mkdir(mode=0o700, exist_ok=True)
        return env

    def __exit__(self, *exc):
        for process in (self.wm, self.xvfb):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        shutil.rmtree(self.home, ignore_errors=True)


# ---------------------------------------------------------------- measuring

class Bench:
    def __init__(self, display, pixel_wait):
        self.display = display
        self.pixel_wait = pixel_wait

    def run_pixel_wait(self, colour, timeout_ms, command, env, output="/dev/null", tolerance=PICTURE_TOLERANCE):
        """Milliseconds until `colour` shows (None on a timeout), and the command's pid."""
        args = [self.pixel_wait, "-T", str(timeout_ms), "-t", str(tolerance), "-o", str(output), colour, "--",
                *command]
        try:
            result = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout_ms / 1000 + 10)
        except subprocess.TimeoutExpired:
            log(f"  pixel_wait hung on {command[0]}")
            return None, None
        words = result.stdout.split()
        if result.returncode == 0 and words:
            return float(words[0]), (int(words[1]) if len(words) > 1 else None)
        pid = int(words[1]) if len(words) > 2 and words[0] == "timeout" else None
        log(f"  no {colour} within {timeout_ms} ms: {result.stdout.strip()} {result.stderr.strip()[:200]}")
        return None, pid

    def screen_pixel(self):
        result = subprocess.run([self.pixel_wait, "-p"], env=self.display.env(self.display.home),
                                capture_output=True, text=True)
        return result.stdout.strip()

    def wait_until_not(self, colour):
        """The previous launch's picture must be gone before timing the next one."""
        deadline = time.monotonic() + 5
        while near(self.screen_pixel(), colour, MOVIE_TOLERANCE):
            if time.monotonic() > deadline:
                log(f"  {colour} still on screen from the last launch: the next figure is void")
                return
            time.sleep(0.05)

    def launch(self, command, colour, after=None, tolerance=PICTURE_TOLERANCE):
        """Starts `command` in a clean home, waits for `colour`, runs `after(pid, env)`
        while the program is up, then ends the program and all it started."""
        home = Path(tempfile.mkdtemp(prefix="launch-bench-home-"))
        env = self.display.env(home)
        output = home / "output.log"
        pid = None
        try:
            ms, pid = self.run_pixel_wait(colour, LAUNCH_TIMEOUT_MS, command, env, output, tolerance)
            if ms is None and output.exists():
                log("  its output: " + output.read_text(errors="replace")[-500:])
            extra = after(pid, env) if (after and ms is not None and pid) else None
            return ms, extra
        finally:
            if pid:
                end_group(pid)
            shutil.rmtree(home, ignore_errors=True)

    def rounds(self, label, commands, colour, runs, after=None, tolerance=PICTURE_TOLERANCE):
        """Launches each viewer's command `runs` times, the viewers taking turns launch
        by launch, so that a machine that drifts during the run (its caches, other work)
        weighs on every column alike. {viewer: (median ms, extras)}; (None, None) for a
        viewer whose launch failed."""
        times = {name: [] for name in commands}
        extras = {name: [] for name in commands}
        failed = set()
        for _ in range(runs):
            for name, command in commands.items():
                if name in failed:
                    continue
                log(f"{name}: {label}")
                self.wait_until_not(colour)
                ms, extra = self.launch(command, colour, after, tolerance)
                if ms is None:
                    failed.add(name)
                    continue
                times[name].append(ms)
                extras[name].append(extra)
        return {name: (None, None) if name in failed else (statistics.median(times[name]), extras[name])
                for name in commands}

    def steps(self, viewer, fixtures, count):
        """Median time from pressing the next key until the next picture is shown."""
        series = fixtures.series
        colours = [fixtures.colour[p] for p in series]

        def step_through(pid, env):
            activate(pid, env)
            times = []
            for index in range(1, min(count, len(series) - 1) + 1):
                time.sleep(1.0)
                ms, _ = self.run_pixel_wait(colours[index], NEXT_TIMEOUT_MS,
                                            ["xdotool", "key", viewer.next_key], env)
                if ms is None:
                    return None
                times.append(ms)
            return statistics.median(times)

        self.wait_until_not(colours[0])
        ms, median = self.launch(viewer.series([str(p) for p in series]), colours[0], step_through)
        return median if ms is not None else None


def near(shown, wanted, tolerance):
    if len(shown) != 6:
        return False
    return all(abs(int(shown[i:i + 2], 16) - int(wanted[i:i + 2], 16)) <= tolerance for i in (0, 2, 4))


def end_group(pid):
    """Ends the program and whatever it started (pixel_wait made it a group leader)."""
    for sig, grace in ((signal.SIGTERM, 2.0), (signal.SIGKILL, 2.0)):
        try:
            os.killpg(pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline:
            if not Path(f"/proc/{pid}").exists() or process_state(pid) == "Z":
                return
            time.sleep(0.02)


def process_state(pid):
    try:
        return Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
    except (OSError, IndexError):
        return None


def high_water_mib(pid):
    try:
        for line in Path(f"/proc/{pid}/status").read_text().splitlines():
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    except OSError:
        pass
    return None


def child_processes(pid):
    try:
        return [int(child) for child in Path(f"/proc/{pid}/task/{pid}/children").read_text().split()]
    except OSError:
        return []


def peak_rss_mib(pid):
    """VmHWM summed over the viewer and the processes it started (a decoder helper): an
    upper bound, as what both map (libraries, the pixels handed over) counts in each."""
    own = high_water_mib(pid)
    if own is None:
        return None
    return own + sum(high_water_mib(child) or 0.0 for child in child_processes(pid))


# Where it can, a launch runs in a memory cgroup of its own (cgroup v1, as root): its
# peak charge counts each page once, however many of the program's processes map it.
MEMORY_CGROUPS = Path("/sys/fs/cgroup/memory")
CGROUP_PREFIX = "vistrel-launch-bench"


def can_charge_memory():
    return os.access(MEMORY_CGROUPS, os.W_OK) and (MEMORY_CGROUPS / "memory.max_usage_in_bytes").exists()


def in_own_cgroup(command):
    script = 'group="$0-$$"; mkdir "$group" && echo $$ > "$group/cgroup.procs" && exec "$@"'
    return ["sh", "-c", script, str(MEMORY_CGROUPS / CGROUP_PREFIX), *command]


def peak_charged_mib(pid):
    try:
        for line in Path(f"/proc/{pid}/cgroup").read_text().splitlines():
            _, controllers, path = line.split(":", 2)
            if "memory" in controllers.split(",") and CGROUP_PREFIX in path:
                peak = MEMORY_CGROUPS / path.lstrip("/") / "memory.max_usage_in_bytes"
                return int(peak.read_text()) / (1024 * 1024)
    except (OSError, ValueError):
        pass
    return None


def remove_own_cgroups():
    for group in MEMORY_CGROUPS.glob(CGROUP_PREFIX + "-*"):
        try:
            group.rmdir()
        except OSError:
            pass


def peak_memory(pid, env):
    """Once the picture is up and a second has passed for any late work: the summed
    high-water marks, and the cgroup's peak charge where the launch has one."""
    time.sleep(1.0)
    return peak_rss_mib(pid), peak_charged_mib(pid)


def activate(pid, env):
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(pid)],
                           env=env, capture_output=True, text=True, timeout=10)
    windows = found.stdout.split()
    if windows:
        subprocess.run(["xdotool", "windowactivate", "--sync", windows[-1]], env=env,
                       capture_output=True, timeout=10)
        time.sleep(0.3)


def find_baseline(folder, runs):
    times = []
    for _ in range(runs):
        start = time.monotonic()
        subprocess.run(["find", str(folder), "-type", "f"], stdout=subprocess.DEVNULL, check=True)
        times.append((time.monotonic() - start) * 1000)
    return statistics.median(times)


# ---------------------------------------------------------------- the table

ROWS = [
    ("small", "Launch to 800x600 PNG"),
    ("jpeg24", "Launch to 24 MP JPEG"),
    ("png24", "Launch to 24 MP PNG"),
    ("jpeg96", "Launch to 96 MP JPEG"),
    ("rss96", "Peak RSS, 96 MP JPEG"),
    ("charged96", "Peak memory charged, 96 MP JPEG"),
    ("heic12", "Launch to 12 MP HEIC"),
    ("grid12", "Launch to 12 MP grid HEIC, whole"),
    ("look12", "Launch to 12 MP grid HEIC, its thumbnail"),
    ("movie", "Launch to 1080p H.264 first frame"),
    ("next", "Next picture (4000x3000 JPEG)"),
    ("folder", "Folder of 100,000 files to first item"),
]


def measure(args, fixtures, available):
    results = {row: {} for row, _ in ROWS}
    files = {"small": fixtures.small_png, "jpeg24": fixtures.jpeg_24, "png24": fixtures.png_24,
             "jpeg96": fixtures.jpeg_96, "heic12": fixtures.heic_12, "grid12": fixtures.grid_heic}
    with Display() as display:
        bench = Bench(display, args.pixel_wait)
        for row, path in files.items():
            if row not in args.rows:
                continue
            after = peak_memory if row == "jpeg96" else None
            commands = {v.name: v.picture(str(path)) for v in available}
            if after and can_charge_memory():
                commands = {name: in_own_cgroup(command) for name, command in commands.items()}
            for name, (ms, extras) in bench.rounds(row, commands, fixtures.colour[path], args.runs, after).items():
                results[row][name] = ms
                for index, figure in enumerate(("rss96", "charged96")):
                    measured = [e[index] for e in extras or [] if e and e[index] is not None]
                    if after and measured:
                        results[figure][name] = statistics.median(measured)
        if "look12" in args.rows:
            # Only this program shows a file's thumbnail first; an earlier build may not.
            commands = {v.name: v.picture(str(fixtures.grid_heic)) for v in available if v.name == "vistrel"}
            for name, (ms, _) in bench.rounds("look12", commands, COLOURS[8], args.runs).items():
                results["look12"][name] = ms
        if "movie" in args.rows:
            commands = {v.name: v.movie(str(fixtures.movie)) for v in available if v.movie}
            for name, (ms, _) in bench.rounds("movie", commands, fixtures.colour[fixtures.movie], args.runs,
                                              tolerance=MOVIE_TOLERANCE).items():
                results["movie"][name] = ms
        if "next" in args.rows:
            for viewer in (v for v in available if v.series):
                log(f"{viewer.name}: next")
                results["next"][viewer.name] = bench.steps(viewer, fixtures, args.next_runs)
        if "folder" in args.rows:
            commands = {v.name: v.folder(str(fixtures.folder)) for v in available if v.folder}
            for name, (ms, _) in bench.rounds("folder", commands, fixtures.colour[fixtures.folder],
                                              args.runs).items():
                results["folder"][name] = ms
    remove_own_cgroups()
    if "folder" in args.rows:
        results["folder"]["find"] = find_baseline(fixtures.folder, args.runs)
    return results


def ratio(own, other):
    return f"{own / other:.2f}" if own is not None and other else "–"


def table(results, names):
    columns = names + (["find"] if results["folder"] else [])
    against_previous = "previous" in names
    extra = " vistrel / previous |" if against_previous else ""
    lines = ["| Measure | " + " | ".join(columns) + " | vistrel / best peer |" + extra,
             "|---" * (len(columns) + 2 + against_previous) + "|"]
    for row, title in ROWS:
        if not results[row]:
            continue
        unit = "MiB" if row in ("rss96", "charged96") else "ms"
        cells = []
        for name in columns:
            value = results[row].get(name)
            cells.append("–" if value is None else f"{value:.0f} {unit}")
        # `find` is the floor a folder scan can reach, not a viewer to compare with.
        peers = [v for n, v in results[row].items()
                 if n not in ("vistrel", "previous", "find") and v is not None]
        own = results[row].get("vistrel")
        line = f"| {title} | " + " | ".join(cells) + f" | {ratio(own, min(peers) if peers else None)} |"
        if against_previous:
            line += f" {ratio(own, results[row].get('previous'))} |"
        lines.append(line)
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    top = Path(__file__).resolve().parents[2]
    parser.add_argument("--build", default=str(top / "build"), help="build folder (default: build)")
    parser.add_argument("--runs", type=int, default=7, help="launches per figure (median)")
    parser.add_argument("--next-runs", type=int, default=20, help="key presses for the next-picture figure")
    parser.add_argument("--only", help="comma-separated viewers (vistrel,previous,feh,nsxiv,mpv,qimgv)")
    parser.add_argument("--previous", help="build folder of an earlier vistrel, measured in the same run "
                                           "as the viewer 'previous' (its modules beside its program)")
    parser.add_argument("--rows", default=",".join(r for r, _ in ROWS),
                        help="comma-separated rows: small,jpeg24,png24,jpeg96,heic12,grid12,look12,movie,next,folder")
    args = parser.parse_args()
    args.rows = set(args.rows.split(","))
    build = Path(args.build)
    args.pixel_wait = str(build / "bench/launch/pixel_wait")
    vistrel = str(build / "vistrel")
    for needed in (args.pixel_wait, vistrel):
        if not Path(needed).exists():
            sys.exit(f"missing {needed}: build first (cmake --build --preset dev)")
    for tool in ("Xvfb", "openbox", "xdotool", "ffmpeg") + (("heif-enc",) if args.rows & {"heic12", "grid12", "look12"} else ()):
        if not shutil.which(tool):
            sys.exit(f"missing {tool}: run scripts/install-deps.sh and scripts/install-bench-peers.sh")
    previous = None
    if args.previous:
        previous = str(Path(args.previous) / "vistrel")
        if not Path(previous).exists():
            sys.exit(f"missing {previous}")
    available = viewers(vistrel, previous)
    if args.only:
        wanted = set(args.only.split(","))
        available = [v for v in available if v.name in wanted]
    fixtures = make_fixtures(args.rows)
    results = measure(args, fixtures, available)
    print(table(results, [v.name for v in available]))


if __name__ == "__main__":
    main()
