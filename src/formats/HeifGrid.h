#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace vistrel {

// A HEIF picture stored as a grid of coded tiles, as phones store photos, read from the
// file's own boxes. libheif refuses such a picture whole when one tile is missing (its
// data cut off, or no reference to it); this reads what is left, so that the tiles that
// are there can be shown in their places on black.
struct HeifGrid {
    struct Tile {
        QByteArray itemType;   // "hvc1" or "av01"
        QByteArray properties; // the tile's property boxes, its decoder configuration first
        int propertyCount = 0;
        std::optional<QByteArray> data; // none when the file does not hold it
    };

    int rows = 0;
    int columns = 0;
    QSize outputSize; // before the grid's turn
    // The grid's own turn (irot: quarter turns anticlockwise) and mirror (imir axis:
    // 0 about the vertical axis, 1 about the horizontal), in the order the file lists them.
    struct Transform {
        int quarterTurns = 0;
        std::optional<int> mirrorAxis;
    };
    std::vector<Transform> transforms;
    std::vector<std::optional<Tile>> cells; // row by row; none for a cell no tile names

    // The grid that is `file`'s primary item; nullopt when the primary is no grid or the
    // boxes do not read.
    static std::optional<HeifGrid> read(const QByteArray& file);

    // The size once turned, as the picture is shown.
    QSize shownSize() const;
};

// A tile, handed over as a HEIF file of its own, decoded; null when it does not decode.
using TileDecoder = std::function<QImage(const QByteArray& tileFile)>;

// The tiles of `grid` that `decodeTile` decodes, each in its place on black, turned as
// the grid says and in the tiles' colour space; a null image when none decodes (logged,
// naming `path`).
QImage salvagedGrid(const HeifGrid& grid, const QString& path, const TileDecoder& decodeTile);

} // namespace vistrel
