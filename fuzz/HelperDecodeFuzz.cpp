// Feeds arbitrary bytes, as a picture file, to the confined decoder helpers as the
// viewer asks them: the helper of our own decoders, and the helper of every reader
// (Qt's plugins, exiv2, libheif, libjxl) for a decode, a first look, the picture's
// facts and an animation's first frame. A helper may refuse a file, but never be lost
// over one: a helper that crashed, ran out of a limit or answered what does not hold up
// is a fault of a reader, and the viewer's side must come through whatever came back.

#include "FuzzFault.h"
#include "FuzzInputFile.h"
#include "media/sandbox/DecoderHelper.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <unistd.h>

namespace {

using vistrel::DecoderHelper;
using vistrel::decoderprotocol::Kind;
using vistrel::decoderprotocol::Status;

bool always() {
    return true;
}

// Asks `helper` about the file and stops the run when the helper did not survive it.
void askSurviving(DecoderHelper& helper, Kind kind, const std::string& path, std::string_view input) {
    const pid_t before = helper.processId();
    int session = -1;
    const auto answer = helper.ask(kind, path, QSize(64, 48), always, kind == Kind::animate ? &session : nullptr);
    if (answer && answer->header.status == Status::animating &&
        vistrel::sendDatagram(session, vistrel::bytesOf(vistrel::decoderprotocol::SessionCommand::next)))
        DecoderHelper::receiveAnswer(session, Kind::animate); // one frame, checked as the viewer checks it
    if (session >= 0)
        ::close(session);
    if (helper.processId() != before)
        vistrel::fuzz::fault("the decoder helper was lost", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vistrel::fuzz::FuzzInputFile file;
    static const std::unique_ptr<DecoderHelper> ownDecoders =
        DecoderHelper::start(QStringLiteral(VISTREL_DECODER_PROGRAM), DecoderHelper::Reads::pictures);
    static const std::unique_ptr<DecoderHelper> everyReader =
        DecoderHelper::start(QStringLiteral(VISTREL_DECODER_PROGRAM), DecoderHelper::Reads::formats);
    if (!ownDecoders || !everyReader)
        std::abort(); // without the helpers there is nothing to fuzz
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string path = file.write(data, size);
    askSurviving(*ownDecoders, Kind::decode, path, input);
    for (const Kind kind : {Kind::decode, Kind::firstLook, Kind::inspect, Kind::animate})
        askSurviving(*everyReader, kind, path, input);
    return 0;
}
