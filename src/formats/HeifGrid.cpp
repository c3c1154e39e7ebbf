#include "formats/HeifGrid.h"

#include "media/pictures/PictureDecoder.h"
#include "media/support/LogCategories.h"

#include <QColorSpace>
#include <QPainter>
#include <QTransform>
#include <climits>
#include <map>

namespace vistrel {

namespace {

// More cells than this is no photo; a hostile grid could otherwise ask for millions of
// tile decodes.
constexpr int mostCells = 4096;

// Big-endian fields within [position, end) of a file; every read past the end fails
// the cursor, and every later read gives 0.
class Cursor {
  public:
    Cursor(const QByteArray& bytes, qsizetype start, qsizetype end) : m_bytes(bytes), m_at(start), m_end(end) {}

    quint64 field(int size) {
        if (size < 0 || size > 8 || m_end - m_at < size) {
            m_failed = true;
            return 0;
        }
        quint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | quint8(m_bytes[m_at + i]);
        m_at += size;
        return value;
    }
    QByteArray fourCc() {
        if (m_end - m_at < 4) {
            m_failed = true;
            return {};
        }
        m_at += 4;
        return m_bytes.mid(m_at - 4, 4);
    }
    qsizetype at() const { return m_at; }
    bool failed() const { return m_failed; }

  private:
    const QByteArray& m_bytes;
    qsizetype m_at;
    qsizetype m_end;
    bool m_failed = false;
};

struct Box {
    QByteArray type;
    qsizetype start = 0;   // of its header
    qsizetype payload = 0; // after its header
    qsizetype end = 0;
};

// The boxes directly within [start, end).
std::vector<Box> boxesWithin(const QByteArray& file, qsizetype start, qsizetype end) {
    std::vector<Box> boxes;
    while (start < end) {
        Cursor cursor(file, start, end);
        quint64 size = cursor.field(4);
        Box box{cursor.fourCc(), start, 0, 0};
        if (size == 1)
            size = cursor.field(8);
        else if (size == 0)
            size = quint64(end - start);
        box.payload = cursor.at();
        if (cursor.failed() || size < quint64(box.payload - start) || size > quint64(end - start))
            break;
        box.end = start + qsizetype(size);
        boxes.push_back(box);
        start = box.end;
    }
    return boxes;
}

std::optional<Box> boxOf(const std::vector<Box>& boxes, const char* type) {
    for (const Box& box : boxes)
        if (box.type == type)
            return box;
    return std::nullopt;
}

std::vector<Box> childrenOf(const QByteArray& file, const Box& box, int skip = 0) {
    return boxesWithin(file, box.payload + skip, box.end);
}

using Extents = std::vector<std::pair<quint64, quint64>>; // offset, length

// Only data stored at file offsets, the way every camera writes it.
std::map<quint32, Extents> itemLocations(const QByteArray& file, const Box& iloc) {
    Cursor cursor(file, iloc.payload, iloc.end);
    const int version = int(cursor.field(4) >> 24);
    const int sizes = int(cursor.field(2));
    const int offsetSize = sizes >> 12, lengthSize = (sizes >> 8) & 15, baseSize = (sizes >> 4) & 15;
    const int indexSize = version >= 1 ? sizes & 15 : 0;
    const int idSize = version < 2 ? 2 : 4;
    std::map<quint32, Extents> locations;
    for (quint64 count = cursor.field(idSize); count > 0 && !cursor.failed(); --count) {
        const auto id = quint32(cursor.field(idSize));
        const bool atFileOffsets = version == 0 || (cursor.field(2) & 15) == 0;
        cursor.field(2); // data reference
        const quint64 base = cursor.field(baseSize);
        Extents extents;
        for (quint64 extent = cursor.field(2); extent > 0 && !cursor.failed(); --extent) {
            cursor.field(indexSize);
            const quint64 offset = base + cursor.field(offsetSize);
            extents.emplace_back(offset, cursor.field(lengthSize));
        }
        if (atFileOffsets && !cursor.failed())
            locations[id] = std::move(extents);
    }
    return locations;
}

// The item's bytes; none when an extent leaves the file (a cut-off copy). No item holds
// more than the file: extents that repeat it over and over would only exhaust memory.
std::optional<QByteArray> dataOf(const QByteArray& file, const Extents& extents) {
    QByteArray data;
    for (const auto& [offset, length] : extents) {
        if (length == 0 || offset > quint64(file.size()) || length > quint64(file.size()) - offset ||
            length > quint64(file.size() - data.size()))
            return std::nullopt;
        data += file.mid(qsizetype(offset), qsizetype(length));
    }
    return data.isEmpty() ? std::nullopt : std::optional(data);
}

std::map<quint32, QByteArray> itemTypes(const QByteArray& file, const Box& iinf) {
    Cursor header(file, iinf.payload, iinf.end);
    const int countSize = (header.field(4) >> 24) == 0 ? 2 : 4;
    header.field(countSize);
    std::map<quint32, QByteArray> types;
    for (const Box& infe : boxesWithin(file, header.at(), iinf.end)) {
        Cursor cursor(file, infe.payload, infe.end);
        const int version = int(cursor.field(4) >> 24);
        if (infe.type != "infe" || version < 2)
            continue;
        const auto id = quint32(cursor.field(version == 2 ? 2 : 4));
        cursor.field(2); // protection
        const QByteArray type = cursor.fourCc();
        if (!cursor.failed())
            types[id] = type;
    }
    return types;
}

// The items the primary names as its tiles (dimg), in order.
std::vector<quint32> tilesOf(const QByteArray& file, const Box& iref, quint32 grid) {
    Cursor header(file, iref.payload, iref.end);
    const int idSize = (header.field(4) >> 24) == 0 ? 2 : 4;
    for (const Box& reference : boxesWithin(file, header.at(), iref.end)) {
        Cursor cursor(file, reference.payload, reference.end);
        if (reference.type != "dimg" || cursor.field(idSize) != grid)
            continue;
        std::vector<quint32> tiles;
        for (quint64 count = cursor.field(2); count > 0 && !cursor.failed(); --count)
            tiles.push_back(quint32(cursor.field(idSize)));
        return tiles;
    }
    return {};
}

// Each item's properties (indexes into ipco from 1), in the order they apply.
std::map<quint32, std::vector<int>> propertyIndexes(const QByteArray& file, const Box& ipma) {
    Cursor cursor(file, ipma.payload, ipma.end);
    const quint64 versionAndFlags = cursor.field(4);
    const int idSize = (versionAndFlags >> 24) == 0 ? 2 : 4;
    const bool wide = (versionAndFlags & 1) != 0;
    std::map<quint32, std::vector<int>> indexes;
    for (quint64 count = cursor.field(4); count > 0 && !cursor.failed(); --count) {
        const auto id = quint32(cursor.field(idSize));
        std::vector<int>& list = indexes[id];
        for (quint64 associations = cursor.field(1); associations > 0 && !cursor.failed(); --associations)
            list.push_back(int(cursor.field(wide ? 2 : 1) & (wide ? 0x7fff : 0x7f)));
    }
    return indexes;
}

struct Properties {
    std::vector<Box> boxes; // ipco's, from index 1
    std::map<quint32, std::vector<int>> indexes;

    std::vector<Box> of(quint32 item) const {
        std::vector<Box> found;
        const auto listed = indexes.find(item);
        for (const int index : listed == indexes.end() ? std::vector<int>() : listed->second)
            if (index >= 1 && std::size_t(index) <= boxes.size())
                found.push_back(boxes[std::size_t(index) - 1]);
        return found;
    }
};

std::optional<HeifGrid::Tile> tileOf(const QByteArray& file, quint32 item, const QByteArray& type,
                                     const Properties& properties, const std::map<quint32, Extents>& locations) {
    if (type != "hvc1" && type != "av01")
        return std::nullopt;
    HeifGrid::Tile tile;
    tile.itemType = type;
    // The decoder's configuration first: the little file it goes into marks it essential.
    for (const bool configuration : {true, false}) {
        for (const Box& box : properties.of(item)) {
            if ((box.type == "hvcC" || box.type == "av1C") != configuration)
                continue;
            tile.properties += file.mid(box.start, box.end - box.start);
            ++tile.propertyCount;
        }
    }
    if (const auto location = locations.find(item); location != locations.end())
        tile.data = dataOf(file, location->second);
    // The little file's associations index its properties in seven bits.
    if (tile.propertyCount > 127)
        return std::nullopt;
    return tile;
}

bool readGridLayout(const QByteArray& data, HeifGrid& grid) {
    Cursor cursor(data, 0, data.size());
    cursor.field(1); // version
    const int fieldSize = (cursor.field(1) & 1) ? 4 : 2;
    grid.rows = int(cursor.field(1)) + 1;
    grid.columns = int(cursor.field(1)) + 1;
    const quint64 width = cursor.field(fieldSize), height = cursor.field(fieldSize);
    if (cursor.failed() || width == 0 || height == 0 || width > quint64(INT_MAX) || height > quint64(INT_MAX))
        return false;
    grid.outputSize = QSize(int(width), int(height));
    return grid.rows * grid.columns <= mostCells;
}

void readTransforms(const QByteArray& file, const std::vector<Box>& properties, HeifGrid& grid) {
    for (const Box& box : properties) {
        Cursor cursor(file, box.payload, box.end);
        const auto value = int(cursor.field(1));
        if (cursor.failed())
            continue;
        if (box.type == "irot")
            grid.transforms.push_back({value & 3, std::nullopt});
        else if (box.type == "imir")
            grid.transforms.push_back({0, value & 1});
    }
}

QByteArray box(const char* type, const QByteArray& payload) {
    QByteArray bytes;
    const auto size = quint32(8 + payload.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += char(size >> shift);
    return bytes + type + payload;
}

QByteArray bigEndian(quint64 value, int size) {
    QByteArray bytes;
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        bytes += char(value >> shift);
    return bytes;
}

// A HEIF file of one image, the tile, which libheif decodes as any picture.
QByteArray fileOfTile(const HeifGrid::Tile& tile) {
    const QByteArray brand = tile.itemType == "av01" ? "avif" : "heic";
    const QByteArray fullBox = bigEndian(0, 4);
    QByteArray associations = bigEndian(1, 4) + bigEndian(1, 2) + char(tile.propertyCount);
    for (int index = 1; index <= tile.propertyCount; ++index)
        associations += char(index == 1 ? 0x80 | index : index);
    const QByteArray properties = box("iprp", box("ipco", tile.properties) + box("ipma", fullBox + associations));
    const QByteArray items = box("iinf", fullBox + bigEndian(1, 2) +
                                             box("infe", bigEndian(2u << 24, 4) + bigEndian(1, 2) + bigEndian(0, 2) +
                                                             tile.itemType + QByteArray(1, '\0')));
    const QByteArray handler = box("hdlr", fullBox + bigEndian(0, 4) + "pict" + QByteArray(13, '\0'));
    const auto locationWith = [&](quint64 offset) {
        return box("iloc", fullBox + bigEndian(0x4400, 2) + bigEndian(1, 2) + bigEndian(1, 2) + bigEndian(0, 2) +
                               bigEndian(1, 2) + bigEndian(offset, 4) + bigEndian(quint64(tile.data->size()), 4));
    };
    const QByteArray type = box("ftyp", brand + bigEndian(0, 4) + "mif1" + brand);
    const auto metaWith = [&](quint64 offset) {
        return box("meta", fullBox + handler + box("pitm", fullBox + bigEndian(1, 2)) + items + locationWith(offset) +
                               properties);
    };
    const qsizetype dataAt = type.size() + metaWith(0).size() + 8;
    return type + metaWith(quint64(dataAt)) + box("mdat", *tile.data);
}

QImage turned(QImage image, const std::vector<HeifGrid::Transform>& transforms) {
    for (const HeifGrid::Transform& transform : transforms) {
        if (transform.mirrorAxis)
            image = image.mirrored(*transform.mirrorAxis == 0, *transform.mirrorAxis == 1);
        else if (transform.quarterTurns != 0)
            image = image.transformed(QTransform().rotate(-90.0 * transform.quarterTurns));
    }
    return image;
}

} // namespace

std::optional<HeifGrid> HeifGrid::read(const QByteArray& file) {
    const std::optional<Box> meta = boxOf(boxesWithin(file, 0, file.size()), "meta");
    if (!meta)
        return std::nullopt;
    const std::vector<Box> inMeta = childrenOf(file, *meta, 4);
    const std::optional<Box> pitm = boxOf(inMeta, "pitm"), iinf = boxOf(inMeta, "iinf"),
                             iloc = boxOf(inMeta, "iloc"), iref = boxOf(inMeta, "iref"),
                             iprp = boxOf(inMeta, "iprp");
    if (!pitm || !iinf || !iloc || !iref || !iprp)
        return std::nullopt;
    Cursor primaryCursor(file, pitm->payload, pitm->end);
    const auto primary = quint32(primaryCursor.field((primaryCursor.field(4) >> 24) == 0 ? 2 : 4));
    const std::map<quint32, QByteArray> types = itemTypes(file, *iinf);
    const std::map<quint32, Extents> locations = itemLocations(file, *iloc);
    const auto primaryType = types.find(primary);
    const auto primaryLocation = locations.find(primary);
    if (primaryType == types.end() || primaryType->second != "grid" || primaryLocation == locations.end())
        return std::nullopt;
    HeifGrid grid;
    const std::optional<QByteArray> layout = dataOf(file, primaryLocation->second);
    if (!layout || !readGridLayout(*layout, grid))
        return std::nullopt;
    const std::vector<Box> inProperties = childrenOf(file, *iprp);
    const std::optional<Box> ipco = boxOf(inProperties, "ipco"), ipma = boxOf(inProperties, "ipma");
    if (!ipco || !ipma)
        return std::nullopt;
    const Properties properties{childrenOf(file, *ipco), propertyIndexes(file, *ipma)};
    readTransforms(file, properties.of(primary), grid);
    const std::vector<quint32> tiles = tilesOf(file, *iref, primary);
    grid.cells.resize(std::size_t(grid.rows * grid.columns));
    for (std::size_t cell = 0; cell < grid.cells.size() && cell < tiles.size(); ++cell) {
        const auto type = types.find(tiles[cell]);
        if (type != types.end())
            grid.cells[cell] = tileOf(file, tiles[cell], type->second, properties, locations);
    }
    return grid;
}

QSize HeifGrid::shownSize() const {
    int quarterTurns = 0;
    for (const Transform& transform : transforms)
        quarterTurns += transform.quarterTurns;
    return quarterTurns % 2 == 0 ? outputSize : outputSize.transposed();
}

// Every cell is as large as the first tile that decodes, as the format requires, and
// every tile is in the colour space of the first.
QImage salvagedGrid(const HeifGrid& grid, const QString& path, const TileDecoder& decodeTile) {
    constexpr qint64 bytesPerPixel = 3;
    if (qint64(grid.outputSize.width()) * grid.outputSize.height() * bytesPerPixel >
        qint64(PictureDecoder::allocationLimitMegabytes) << 20) {
        qCInfo(lcPicture) << "HEIF picture" << path << "claims a grid too large to hold";
        return {};
    }
    QImage canvas(grid.outputSize, QImage::Format_RGB888);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    QSize cellSize;
    int decoded = 0;
    for (std::size_t cell = 0; cell < grid.cells.size(); ++cell) {
        const std::optional<HeifGrid::Tile>& tile = grid.cells[cell];
        const QImage pixels = tile && tile->data ? decodeTile(fileOfTile(*tile)) : QImage();
        if (pixels.isNull())
            continue;
        if (cellSize.isEmpty()) {
            cellSize = pixels.size();
            canvas.setColorSpace(pixels.colorSpace());
        }
        const int row = int(cell) / grid.columns, column = int(cell) % grid.columns;
        painter.drawImage(QPoint(column * cellSize.width(), row * cellSize.height()), pixels);
        ++decoded;
    }
    painter.end();
    qCInfo(lcPicture) << "HEIF picture" << path << "shows" << decoded << "of its" << grid.cells.size()
                      << "grid tiles on black";
    return decoded == 0 ? QImage() : turned(std::move(canvas), grid.transforms);
}

} // namespace vistrel
