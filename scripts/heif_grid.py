#!/usr/bin/env python3
"""Writes a tiled ("grid") HEIC picture, laid out the way phone cameras store photos.

The picture is cut into square tiles, heif-enc codes each tile as its own HEVC image,
and one HEIF file is assembled around them: a primary `grid` item whose `dimg`
references name the tiles in row-major order, hidden `hvc1` tile items, and an `hvc1`
thumbnail that points at the grid through `thmb`. heif-enc cannot write grids itself.

Missing tiles (--drop-tiles 3,7): the grid keeps its rows, columns and every reference,
the dropped tiles keep their items, but their coded data is left out of the file and
their extents start at the very end of the file with the tile's true length. That is
what a truncated copy of a real photo looks like, so it is the case a reader must
survive. An extent of length 0 would not do: it means "to the end of the file".
libheif refuses such a file as soon as it opens it.

With --fewer-refs the dropped tiles' data stays in the file instead and the grid only
loses its references to them, so it names fewer tiles than it has cells. Such a file
opens, shows its size and thumbnail, and fails only when the grid is decoded.

usage: heif_grid.py SOURCE OUT.heic [--tile 512] [--thumbnail 320] [--quality 50]
                    [--drop-tiles 3,7] [--fewer-refs] [--thumbnail-source PICTURE]
Needs ffmpeg, ffprobe and heif-enc on PATH. --thumbnail 0 writes no thumbnail.
"""

import argparse
import concurrent.futures
import dataclasses
import math
import os
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

# Rows and columns are stored minus one in a byte each.
MAX_GRID_SIDE = 256
# heif-enc wraps a smaller picture in a grid of its own, which a tile cannot be.
MIN_CODED_SIDE = 64
MAX_16_BIT = 0xFFFF
MAX_32_BIT = 0xFFFFFFFF
GRID_ITEM_ID = 1


# --- Writing boxes ----------------------------------------------------------------

def box(box_type, payload):
    return struct.pack(">I4s", 8 + len(payload), box_type.encode("ascii")) + payload


def full_box(box_type, version, flags, payload):
    return box(box_type, struct.pack(">I", version << 24 | flags) + payload)


@dataclasses.dataclass(frozen=True)
class Property:
    box: bytes
    essential: bool

    @property
    def type(self):
        return self.box[4:8].decode("latin-1")


def ispe_property(width, height):
    return Property(full_box("ispe", 0, 0, struct.pack(">II", width, height)), False)


# --- Reading what heif-enc wrote ----------------------------------------------------

@dataclasses.dataclass(frozen=True)
class CodedImage:
    width: int
    height: int
    data: bytes
    # Everything that describes the coded data (hvcC first); the size is kept apart
    # because the writer states it itself.
    properties: tuple


class Fields:
    """Reads big-endian unsigned fields of any byte width in order, within bounds."""

    def __init__(self, buf, start, end):
        self.buf, self.pos, self.end = buf, start, end

    def uint(self, size):
        if self.pos + size > self.end:
            raise ValueError(f"box ends inside a field at byte {self.pos}")
        value = int.from_bytes(self.buf[self.pos:self.pos + size], "big")
        self.pos += size
        return value


def child_boxes(buf, start, end):
    """Yields (type, box start, payload start, box end) for each box in buf[start:end]."""
    while start < end:
        fields = Fields(buf, start, end)
        size, box_type, header = fields.uint(4), fields.uint(4).to_bytes(4, "big"), 8
        if size == 1:
            size, header = fields.uint(8), 16
        elif size == 0:
            size = end - start
        if size < header or start + size > end:
            raise ValueError(f"box {box_type!r} at byte {start} has a bad size {size}")
        yield box_type.decode("latin-1"), start, start + header, start + size
        start += size


def find_box(buf, start, end, box_type):
    """Returns (payload start, box end) of the first such box in buf[start:end]."""
    for found, _, payload, box_end in child_boxes(buf, start, end):
        if found == box_type:
            return payload, box_end
    raise ValueError(f"no {box_type} box")


def parse_iloc(buf, start, end):
    """Returns {item id: [(file offset, length), ...]}."""
    fields = Fields(buf, start, end)
    version = fields.uint(1)
    fields.uint(3)
    offset_size, length_size = divmod(fields.uint(1), 16)
    base_offset_size, index_size = divmod(fields.uint(1), 16)
    id_size = 2 if version < 2 else 4
    locations = {}
    for _ in range(fields.uint(id_size)):
        item_id = fields.uint(id_size)
        if version >= 1 and fields.uint(2) & 0xF != 0:
            raise ValueError(f"item {item_id} is not stored at file offsets")
        fields.uint(2)  # data reference index
        base = fields.uint(base_offset_size)
        extents = []
        for _ in range(fields.uint(2)):
            fields.uint(index_size if version >= 1 else 0)
            extents.append((base + fields.uint(offset_size), fields.uint(length_size)))
        locations[item_id] = extents
    return locations


def parse_ipma(buf, start, end):
    """Returns {item id: [(property index from 1, essential), ...]}."""
    fields = Fields(buf, start, end)
    version, flags = fields.uint(1), fields.uint(3)
    index_bits = 15 if flags & 1 else 7
    associations = {}
    for _ in range(fields.uint(4)):
        item_id = fields.uint(2 if version < 1 else 4)
        entries = [fields.uint((index_bits + 1) // 8) for _ in range(fields.uint(1))]
        associations[item_id] = [(e & ((1 << index_bits) - 1), bool(e >> index_bits))
                                 for e in entries]
    return associations


def item_data(buf, extents):
    for offset, length in extents:
        if length == 0 or offset + length > len(buf):
            raise ValueError(f"extent ({offset}, {length}) is not inside the file")
    return b"".join(buf[offset:offset + length] for offset, length in extents)


def read_coded_image(path):
    """The primary image of a single-image HEIF file: its size, data and properties."""
    buf = Path(path).read_bytes()
    meta_start, meta_end = find_box(buf, 0, len(buf), "meta")
    meta_start += 4  # version and flags

    pitm = Fields(buf, *find_box(buf, meta_start, meta_end, "pitm"))
    pitm.uint(4)  # version and flags
    primary_id = pitm.uint(2)
    extents = parse_iloc(buf, *find_box(buf, meta_start, meta_end, "iloc")).get(primary_id)
    iprp = find_box(buf, meta_start, meta_end, "iprp")
    ipco = [buf[box_start:box_end]
            for _, box_start, _, box_end in child_boxes(buf, *find_box(buf, *iprp, "ipco"))]
    associated = parse_ipma(buf, *find_box(buf, *iprp, "ipma")).get(primary_id, [])
    if not extents or not associated:
        raise ValueError(f"{path}: the primary item has no data or no properties")
    properties = [Property(ipco[index - 1], essential) for index, essential in associated]
    sizes = [p for p in properties if p.type == "ispe"]
    if len(sizes) != 1 or not any(p.type == "hvcC" for p in properties):
        raise ValueError(f"{path}: the primary item is not one sized HEVC image")
    width, height = struct.unpack(">II", sizes[0].box[12:20])
    described = sorted((p for p in properties if p.type != "ispe"), key=lambda p: p.type != "hvcC")
    return CodedImage(width, height, item_data(buf, extents), tuple(described))


# --- Running ffmpeg and heif-enc ----------------------------------------------------

def run(command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"{' '.join(map(str, command))} failed ({done.returncode}): "
                           f"{done.stderr.strip()}")
    return done.stdout


def picture_size(source):
    shown = run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                 "stream=width,height", "-of", "csv=p=0:s=x", source])
    try:
        width, height = map(int, shown.strip().split("x"))
    except ValueError:
        raise ValueError(f"{source}: ffprobe gave no picture size ({shown.strip()!r})") from None
    return width, height


def edge_padding(right, bottom):
    """Filters that repeat the last column `right` times, then the last row `bottom`
    times. Black padding would bleed into the picture's edge through the halved chroma
    and the transform blocks that straddle it."""
    stages = [f"split[body_{side}][edge_{side}];[edge_{side}]crop={crop},"
              f"scale={size}:flags=neighbor[pad_{side}];[body_{side}][pad_{side}]{stack}"
              for side, amount, crop, size, stack in (
                  ("r", right, "1:ih:iw-1:0", f"{right}:ih", "hstack"),
                  ("b", bottom, "iw:1:0:ih-1", f"iw:{bottom}", "vstack")) if amount]
    return ",".join(["format=rgb24", *stages])


def cut_tiles(source, width, height, rows, columns, tile, work):
    """Pads the picture on the right and bottom to whole tiles and cuts it in one pass;
    untile emits the tiles row by row. 8-bit RGB keeps alpha and 16-bit depth out, so
    every tile codes alike."""
    padding = edge_padding(columns * tile - width, rows * tile - height)
    pattern = work / "tile-%04d.png"
    run(["ffmpeg", "-v", "error", "-i", source, "-frames:v", str(rows * columns),
         "-vf", f"{padding},untile={columns}x{rows}",
         "-pix_fmt", "rgb24", "-start_number", "0", str(pattern)])
    tiles = [work / f"tile-{index:04d}.png" for index in range(rows * columns)]
    if not all(path.exists() for path in tiles):
        raise RuntimeError(f"ffmpeg made fewer than {rows * columns} tiles of {source}")
    return tiles


def thumbnail_size(width, height, thumbnail):
    """The thumbnail's even size, or None where it would be too small to code alone."""
    thumb_width = min(thumbnail, width) // 2 * 2
    thumb_height = round(height * thumb_width / width / 2) * 2
    if min(thumb_width, thumb_height) < MIN_CODED_SIDE:
        print(f"heif_grid: no thumbnail, as {thumb_width}x{thumb_height} is under "
              f"{MIN_CODED_SIDE} pixels a side", file=sys.stderr)
        return None
    return thumb_width, thumb_height


def scale_thumbnail(source, size, work):
    path = work / "thumbnail.png"
    run(["ffmpeg", "-v", "error", "-i", source, "-frames:v", "1",
         "-vf", "scale={}:{}".format(*size), "-pix_fmt", "rgb24", str(path)])
    return path


def encode(png, quality):
    heic = png.with_suffix(".heic")
    run(["heif-enc", "-q", str(quality), "-o", str(heic), str(png)])
    return read_coded_image(heic)


def encode_all(pngs, quality):
    # Each heif-enc is mostly single-threaded, so one per core keeps them all busy.
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        return list(pool.map(lambda png: encode(png, quality), pngs))


# --- Assembling the grid file -------------------------------------------------------

@dataclasses.dataclass(frozen=True)
class Item:
    id: int
    type: str
    data: bytes
    properties: tuple
    hidden: bool = False
    # Left out of the file; its extent points past the end, as in a truncated copy.
    missing: bool = False


def grid_description(rows, columns, width, height):
    wide = width > MAX_16_BIT or height > MAX_16_BIT
    return (struct.pack(">BBBB", 0, int(wide), rows - 1, columns - 1)
            + struct.pack(">II" if wide else ">HH", width, height))


def ftyp_box():
    return box("ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heic")


def hdlr_box():
    return full_box("hdlr", 0, 0, struct.pack(">I4s12x", 0, b"pict") + b"\0")


def pitm_box(item_id):
    return full_box("pitm", 0, 0, struct.pack(">H", item_id))


def infe_box(item):
    return full_box("infe", 2, int(item.hidden),
                    struct.pack(">HH4s", item.id, 0, item.type.encode("ascii")) + b"\0")


def iinf_box(items):
    return full_box("iinf", 0, 0, struct.pack(">H", len(items)) + b"".join(map(infe_box, items)))


def iloc_box(items, extents):
    # 4-byte offsets and lengths, no base offset, one extent per item.
    entries = b"".join(struct.pack(">HHHII", item.id, 0, 1, *extents[item.id]) for item in items)
    return full_box("iloc", 0, 0, struct.pack(">BBH", 0x44, 0, len(items)) + entries)


def iref_box(references):
    """references: [(type, from id, [to ids])]."""
    return full_box("iref", 0, 0, b"".join(
        box(kind, struct.pack(f">HH{len(to_ids)}H", from_id, len(to_ids), *to_ids))
        for kind, from_id, to_ids in references))


def iprp_box(items):
    # Identical properties are stored once, so tiles coded alike share one hvcC.
    index_of = {}
    for item in items:
        for prop in item.properties:
            index_of.setdefault(prop.box, len(index_of) + 1)
    wide = len(index_of) > 0x7F
    index_bits, index_format = (15, ">H") if wide else (7, ">B")

    def association(prop):
        return struct.pack(index_format, prop.essential << index_bits | index_of[prop.box])

    entries = b"".join(struct.pack(">HB", item.id, len(item.properties))
                       + b"".join(map(association, item.properties)) for item in items)
    ipma = full_box("ipma", 0, int(wide), struct.pack(">I", len(items)) + entries)
    return box("iprp", box("ipco", b"".join(index_of)) + ipma)


def meta_box(items, references, extents):
    return full_box("meta", 0, 0, hdlr_box() + pitm_box(GRID_ITEM_ID) + iloc_box(items, extents)
                    + iinf_box(items) + iref_box(references) + iprp_box(items))


def place_data(items, data_start):
    """Returns each item's (offset, length): the present ones in order from data_start,
    the missing ones at the end of the file."""
    extents, offset = {}, data_start
    for item in items:
        if not item.missing:
            extents[item.id] = (offset, len(item.data))
            offset += len(item.data)
    end = offset
    for item in items:
        if item.missing:
            extents[item.id] = (end, len(item.data))
    if max(start + length for start, length in extents.values()) > MAX_32_BIT:
        raise ValueError("the picture is too large for 32-bit file offsets")
    return extents


def heif_file(items, references):
    ftyp = ftyp_box()
    # Every iloc field has a fixed width, so the meta box's size does not depend on
    # the offsets it will hold; a first build with zeros measures it.
    placeholder = {item.id: (0, 0) for item in items}
    data_start = len(ftyp) + len(meta_box(items, references, placeholder)) + 8
    extents = place_data(items, data_start)
    mdat = box("mdat", b"".join(item.data for item in items if not item.missing))
    return ftyp + meta_box(items, references, extents) + mdat


def grid_items(rows, columns, width, height, tiles, thumbnail, drop_tiles, fewer_refs):
    """The items and references of the file: the grid, its tiles and the thumbnail."""
    description = [p for p in tiles[0].properties if p.type != "hvcC"]
    grid = Item(GRID_ITEM_ID, "grid", grid_description(rows, columns, width, height),
                (ispe_property(width, height), *description))
    tile_items = [Item(GRID_ITEM_ID + 1 + index, "hvc1", tile.data,
                       (*tile.properties, ispe_property(tile.width, tile.height)), hidden=True,
                       missing=index in drop_tiles and not fewer_refs)
                  for index, tile in enumerate(tiles)]
    referenced = [item.id for index, item in enumerate(tile_items)
                  if not (fewer_refs and index in drop_tiles)]
    items, references = [grid, *tile_items], [("dimg", GRID_ITEM_ID, referenced)]
    if thumbnail:
        thumb = Item(tile_items[-1].id + 1, "hvc1", thumbnail.data,
                     (*thumbnail.properties, ispe_property(thumbnail.width, thumbnail.height)))
        items.append(thumb)
        references.append(("thmb", thumb.id, [GRID_ITEM_ID]))
    return items, references


def check_options(tile, thumbnail, quality):
    if tile < MIN_CODED_SIDE or tile % 2:
        raise ValueError(f"tile size {tile} must be even and at least {MIN_CODED_SIDE}")
    if thumbnail < 0:
        raise ValueError(f"thumbnail width {thumbnail} is negative")
    if not 0 <= quality <= 100:
        raise ValueError(f"quality {quality} is not from 0 to 100")


def check_grid(rows, columns, drop_tiles):
    # Item ids are 16-bit, and the grid and thumbnail take one each besides the tiles.
    if max(rows, columns) > MAX_GRID_SIDE or rows * columns + 2 > MAX_16_BIT:
        raise ValueError(f"{columns}x{rows} tiles are more than a grid can hold")
    outside = sorted(i for i in drop_tiles if not 0 <= i < rows * columns)
    if outside:
        raise ValueError(f"tiles {outside} are not in a grid of {rows * columns} tiles")


def write_grid_heic(source, out, tile=512, thumbnail=320, quality=50, drop_tiles=(),
                    fewer_refs=False, thumbnail_source=None):
    """Writes SOURCE as a grid HEIC to OUT; see the module's description for the options.
    The thumbnail is made from THUMBNAIL_SOURCE when given (a benchmark tells the moment
    the thumbnail shows from the moment the whole picture does by their colours)."""
    check_options(tile, thumbnail, quality)
    width, height = picture_size(source)
    rows, columns, drop_tiles = math.ceil(height / tile), math.ceil(width / tile), set(drop_tiles)
    check_grid(rows, columns, drop_tiles)
    with tempfile.TemporaryDirectory(prefix="heif-grid-") as work:
        pngs = cut_tiles(source, width, height, rows, columns, tile, Path(work))
        thumb_size = thumbnail and thumbnail_size(width, height, thumbnail)
        if thumb_size:
            pngs.append(scale_thumbnail(thumbnail_source or source, thumb_size, Path(work)))
        coded = encode_all(pngs, quality)
    tiles, thumb = coded[:rows * columns], coded[rows * columns:]
    if any((t.width, t.height) != (tile, tile) for t in tiles):
        raise ValueError(f"heif-enc did not keep every tile at {tile}x{tile}")
    items, references = grid_items(rows, columns, width, height, tiles,
                                   thumb[0] if thumb else None, drop_tiles, fewer_refs)
    # Written beside and moved into place, so a failure never leaves half a file at OUT.
    part = Path(f"{out}.part")
    try:
        part.write_bytes(heif_file(items, references))
        os.replace(part, out)
    finally:
        part.unlink(missing_ok=True)


def tile_indices(text):
    try:
        return [int(part) for part in text.split(",") if part.strip()]
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a list of tile numbers: {text!r}") from None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("source")
    parser.add_argument("out")
    parser.add_argument("--tile", type=int, default=512)
    parser.add_argument("--thumbnail", type=int, default=320)
    parser.add_argument("--quality", type=int, default=50)
    parser.add_argument("--drop-tiles", type=tile_indices, default=[])
    parser.add_argument("--fewer-refs", action="store_true")
    parser.add_argument("--thumbnail-source", help="the picture the thumbnail is made from")
    args = parser.parse_args()
    try:
        write_grid_heic(args.source, args.out, args.tile, args.thumbnail, args.quality,
                        args.drop_tiles, args.fewer_refs, args.thumbnail_source)
    except (OSError, ValueError, RuntimeError) as error:
        sys.exit(f"heif_grid: {error}")


if __name__ == "__main__":
    main()
