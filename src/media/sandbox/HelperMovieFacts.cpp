#include "media/sandbox/HelperMovieFacts.h"

#include "media/sandbox/AnswerBytes.h"
#include "media/support/LogCategories.h"

#include <QFile>

namespace vistrel {

bool HelperMovieFacts::available() {
    std::call_once(m_started, [this] { m_helper = m_start(); });
    return m_helper != nullptr;
}

std::optional<MovieFacts> HelperMovieFacts::movieFacts(const std::string& path) {
    using namespace decoderprotocol;
    if (!available())
        return std::nullopt;
    const std::optional<DecoderHelper::Answer> answer = m_helper->ask(Kind::movieFacts, path, {}, [] { return true; });
    if (!answer || answer->header.status != Status::probed)
        return std::nullopt;
    std::optional<MovieFacts> facts = movieFactsOfBytes(std::span(answer->payload->data(), answer->payload->size()));
    if (!facts)
        qCWarning(lcDecoder) << "the decoder helper's facts of the movie"
                             << QFile::decodeName(QByteArray::fromStdString(path)) << "do not read";
    return facts;
}

} // namespace vistrel
