#include "MediaFixtures.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <exiv2/exiv2.hpp>
#include <vector>

namespace vistrel::test {

namespace {

QImage testPattern(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), Qt::darkBlue);
    painter.fillRect(QRect(0, 0, size.width() / 2, size.height() / 3), Qt::yellow);
    painter.setPen(Qt::white);
    painter.drawEllipse(image.rect().adjusted(10, 10, -10, -10));
    return image;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void writeExif(const QString& path, const std::function<void(Exiv2::ExifData&)>& edit) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    Exiv2::ExifData exif = image->exifData();
    edit(exif);
    image->setExifData(exif);
    image->writeMetadata();
}

bool runFfmpeg(const QStringList& arguments) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
           ffmpeg.exitCode() == 0;
}

// A 16 x 16 JPEG with four colour components (CMYK), which Qt cannot write: every
// block holds a zero DC difference and an end-of-block, coded by one-symbol tables.
QByteArray cmykJpeg() {
    QByteArray jpeg = QByteArray::fromHex("FFD8" // start of image
                                          "FFDB0043"
                                          "00"); // quantisation table 0
    jpeg.append(64, '\x01');
    jpeg.append(QByteArray::fromHex("FFC00014"
                                    "08"
                                    "0010"
                                    "0010"
                                    "04" // 8 bit, 16 x 16, 4 components
                                    "011100"
                                    "021100"
                                    "031100"
                                    "041100"
                                    "FFC40014"
                                    "00"
                                    "01000000000000000000000000000000"
                                    "00" // DC table 0
                                    "FFC40014"
                                    "10"
                                    "01000000000000000000000000000000"
                                    "00" // AC table 0
                                    "FFDA000E"
                                    "04"
                                    "0100"
                                    "0200"
                                    "0300"
                                    "0400"
                                    "00"
                                    "3F"
                                    "00"
                                    "00000000" // 16 blocks of two zero bits
                                    "FFD9"));
    return jpeg;
}

} // namespace

const MediaFixtures& MediaFixtures::get() {
    static const MediaFixtures fixtures;
    return fixtures;
}

MediaFixtures::MediaFixtures() {
    static QTemporaryDir folder;
    m_folder = folder.path();
    makePictures();
    makeDamagedFiles();
    m_haveMovies = !QStandardPaths::findExecutable("ffmpeg").isEmpty() && makeMovies();
}

QString MediaFixtures::path(const QString& name) const {
    return QDir(m_folder).filePath(name);
}

void MediaFixtures::makePictures() const {
    testPattern({300, 200}).save(path("turned.jpg"), "jpg", 90);
    writeExif(path("turned.jpg"), [](Exiv2::ExifData& exif) {
        exif["Exif.Image.Orientation"] = std::uint16_t(6);
        exif["Exif.Image.Make"] = "Fixture Camera";
        // A byte blob that would print as thousands of numbers.
        Exiv2::DataValue blob(Exiv2::undefined);
        const std::vector<Exiv2::byte> bytes(4096, 7);
        blob.read(bytes.data(), static_cast<long>(bytes.size()));
        exif.add(Exiv2::ExifKey("Exif.Photo.MakerNote"), &blob);
    });

    testPattern({40, 30}).save(path("plain.png"));
    testPattern({40, 30}).convertToFormat(QImage::Format_Grayscale8).save(path("gray.jpg"));
    testPattern({40, 30}).convertToFormat(QImage::Format_Grayscale16).save(path("gray16.png"));
    testPattern({40, 30}).convertToFormat(QImage::Format_Indexed8).save(path("palette.png"));
    testPattern({3000, 2000}).save(path("large.jpg"), "jpg", 80);
    writeFile(path("cmyk.jpg"), cmykJpeg());

    QImage printed = testPattern({60, 40});
    constexpr double metresPerInch = 0.0254;
    printed.setDotsPerMeterX(qRound(300 / metresPerInch));
    printed.setDotsPerMeterY(qRound(150 / metresPerInch));
    printed.save(path("printed.jpg"), "jpg");
}

void MediaFixtures::makeDamagedFiles() const {
    QFile whole(path("turned.jpg"));
    whole.open(QIODevice::ReadOnly);
    writeFile(path("truncated.jpg"), whole.read(120));

    QByteArray noise(8192, '\0');
    QRandomGenerator random(42);
    for (char& byte : noise)
        byte = static_cast<char>(random.bounded(256));
    writeFile(path("noise.jpg"), noise);
    writeFile(path("noise.mp4"), noise);
    writeFile(path("empty.mp4"), {});
    writeFile(path("notes.txt"), "Not a movie, not a picture.\n");
    writeFile(path("notes.png"), "Not a picture either.\n");
}

bool MediaFixtures::makeMovies() const {
    const QStringList twoSeconds{"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=2"};
    const QStringList tone{"-f", "lavfi", "-i", "sine=frequency=440:duration=2"};
    return runFfmpeg(
               twoSeconds + tone +
               QStringList{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", path("clip.mp4")}) &&
           // Pixels twice as wide as high: shown at 640 x 240; titled; Matroska keeps the
           // length on the container only.
           runFfmpeg(twoSeconds + QStringList{"-vf", "setsar=2", "-c:v", "mpeg4", "-metadata",
                                              "title=Test Pattern", path("wide.mkv")}) &&
           runFfmpeg(tone + QStringList{"-c:a", "pcm_s16le", path("tone.wav")});
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit);
    QTimer poll;
    poll.start(5);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

std::optional<std::string> valueOf(const Attributes& attributes, const std::string& key) {
    const auto it = std::find_if(attributes.begin(), attributes.end(),
                                 [&](const auto& entry) { return entry.first == key; });
    return it == attributes.end() ? std::nullopt : std::optional(it->second);
}

} // namespace vistrel::test
