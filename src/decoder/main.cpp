// The decoder helper: every parse of a picture file's bytes happens here, behind the
// wall Confinement builds, not in the viewer. The viewer starts it with its control
// socket on descriptor 3 (see DecoderHelper) and hands it each file already open.

#include "codec/io/SourceFiles.h"
#include "core/work/ThreadPool.h"
#include "decoder/Confinement.h"
#include "decoder/DecoderServer.h"
#include "media/modules/MovieModule.h"
#include "media/modules/PictureFormats.h"
#include "media/pictures/QtPictureService.h"
#include "media/support/LogCategories.h"
#include "media/support/WorkPool.h"

#include <QBuffer>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <iconv.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace {

constexpr int controlSocket = 3;
// Room for the largest picture the decoders accept and the libraries beside it.
constexpr std::uint64_t addressSpaceBytes = std::uint64_t(16) << 30;
constexpr unsigned defaultCpuSecondsPerRequest = 60;

bool startedByTheViewer() {
    struct stat status {};
    return ::fstat(controlSocket, &status) == 0 && S_ISSOCK(status.st_mode);
}

unsigned cpuSecondsPerRequest() {
    if (const char* seconds = std::getenv("VISTREL_DECODER_CPU_SECONDS"); seconds != nullptr && std::atoi(seconds) > 0)
        return unsigned(std::atoi(seconds));
    return defaultCpuSecondsPerRequest;
}

// Everything a decode could load from disk is loaded now, while files may still be
// opened: the image readers' plugins, the metadata module with exiv2, the formats module
// with libheif and libjxl, the character-set tables metadata text is converted with,
// and the logging rules. A helper of this program's own decoders loads nothing of it:
// its libraries came with the program.
void loadEveryReader() {
    qCDebug(lcDecoder) << "loading every reader";
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader(&nothing, format).supportsAnimation(); // makes the reader, asks nothing of the bytes
    }
    vistrel::PictureFormats::loadMetadataNow();
    vistrel::PictureFormats::loadReadersNow();
    if (const iconv_t conversion = ::iconv_open("UTF-8", "UCS-2LE"); conversion != iconv_t(-1))
        ::iconv_close(conversion);
}

// For a helper of movie facts: the movie module with libavformat, and the logging rules.
std::unique_ptr<vistrel::MovieEngine> loadMovieReader() {
    qCDebug(lcDecoder) << "loading the movie module";
    std::unique_ptr<vistrel::MovieEngine> engine = vistrel::MovieModule::createEngine();
    if (!engine)
        qCWarning(lcDecoder) << "no movie module: movie facts cannot be read";
    return engine;
}

void logConfinement(const vistrel::ConfinementReport& report) {
    for (const std::string& layer : report.applied)
        qCDebug(lcDecoder) << "confined by" << layer.c_str();
    for (const std::string& layer : report.missing)
        qCWarning(lcDecoder) << "decoding without" << layer.c_str();
}

} // namespace

int main(int argc, char** argv) {
    if (!startedByTheViewer()) {
        std::fputs("vistrel-decoder is started by vistrel, which hands it pictures to decode\n", stderr);
        return 2;
    }
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // no viewer, nothing to decode for
    // A helper decodes pictures with this program's own decoders; started with
    // --formats, it reads pictures with every reader; started with --movies, it reads
    // movie facts instead. Each loads only the libraries it needs.
    const std::string_view reads = argc > 1 ? argv[1] : "";
    const bool everyReader = reads == "--formats";
    std::unique_ptr<vistrel::MovieEngine> movies;
    if (reads == "--movies")
        movies = loadMovieReader();
    else if (everyReader)
        loadEveryReader();
    else
        qCDebug(lcDecoder) << "decoding with this program's own decoders";
    logConfinement(vistrel::confineThisProcess({addressSpaceBytes}));
    vistrel::SourceFiles::openOnlyWhatIsLent();
    // Made confined: every thread it starts inherits the wall.
    const std::shared_ptr<vistrel::ThreadPool> workers = vistrel::makeWorkPool();
    vistrel::QtPictureService pictures(vistrel::parallelismOf(*workers));
    vistrel::DecoderServer(controlSocket, {pictures, everyReader, movies.get()}, *workers,
                           cpuSecondsPerRequest())
        .serve();
    // Decodes still running are not waited for, and nothing is torn down: the viewer
    // has gone, and a leak check at exit would need calls the wall refuses.
    std::_Exit(0);
}
