#include "MediaFixtures.h"
#include "TemporaryFolder.h"
#include "media/pictures/QtPicture.h"
#include "media/pictures/QtPictureService.h"
#include "media/sandbox/DecoderHelper.h"
#include "media/sandbox/HelperMovieFacts.h"
#include "media/sandbox/HelperPictureService.h"
#include "media/sandbox/HelperSpawn.h"
#include "movies/MovieProbe.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

using decoderprotocol::Kind;
using decoderprotocol::Status;

std::string sample(const char* name) {
    return std::string(VISTREL_SOURCE_DIR) + "/samples/" + name;
}

bool always() {
    return true;
}

// The test build's helper, with its fault switch armed and a short CPU allowance, so
// that a file named for a fault makes it misbehave as a hostile file could.
class DecoderHelperFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("VISTREL_DECODER_FAULTS", "1", 1);
        ::setenv("VISTREL_DECODER_CPU_SECONDS", "2", 1);
        m_helper = DecoderHelper::start(QStringLiteral(VISTREL_DECODER_PROGRAM));
        ASSERT_NE(m_helper, nullptr);
    }
    void TearDown() override {
        ::unsetenv("VISTREL_DECODER_FAULTS");
        ::unsetenv("VISTREL_DECODER_CPU_SECONDS");
    }

    // A real picture under a name that asks for `fault`.
    std::string faulty(const std::string& fault) {
        const std::string path = m_folder.file("fault-" + fault + ".png");
        std::filesystem::copy_file(sample("01-mandelbrot.png"), path);
        return path;
    }
    std::optional<DecoderHelper::Answer> decode(const std::string& path,
                                                const DecoderHelper::StillWanted& stillWanted = always) {
        return m_helper->ask(Kind::decode, path, QSize(64, 64), stillWanted);
    }
    void expectAPictureStillDecodes() {
        const std::optional<DecoderHelper::Answer> answer = decode(sample("02-portrait-exif6.jpg"));
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->header.status, Status::decoded);
        EXPECT_NE(answer->payload, nullptr);
    }

    test::TemporaryFolder m_folder;
    std::unique_ptr<DecoderHelper> m_helper;
};

// What a decoder must not do is refused by the wall (or ends the helper, which the
// filter may do to a process that tries to start another): the request fails either
// way, and the next picture decodes.
TEST_F(DecoderHelperFaults, TheWallRefusesFilesNetworkAndProcesses) {
    for (const char* fault : {"open", "connect", "spawn"}) {
        SCOPED_TRACE(fault);
        const std::optional<DecoderHelper::Answer> answer = decode(faulty(fault));
        if (answer) {
            EXPECT_EQ(answer->header.status, Status::failed);
            EXPECT_EQ(std::string(answer->header.reason).rfind("refused to ", 0), 0u) << answer->header.reason;
        }
        expectAPictureStillDecodes();
    }
}

// A helper that dies or answers what no helper should is replaced; the file that did it
// fails, is asked of the new helper once, and after a second fault is not tried again.
TEST_F(DecoderHelperFaults, AHelperLostOrLyingIsReplacedAndTheFileGivenUp) {
    for (const char* fault : {"crash", "garbage", "oversize"}) {
        SCOPED_TRACE(fault);
        const std::string path = faulty(fault);
        const pid_t before = m_helper->processId();
        EXPECT_FALSE(decode(path).has_value());
        EXPECT_NE(m_helper->processId(), before);
        expectAPictureStillDecodes();
        const pid_t replaced = m_helper->processId();
        EXPECT_FALSE(decode(path).has_value());
        EXPECT_EQ(m_helper->processId(), replaced) << "a file given up on reached the helper again";
    }
}

// A decode that loops is left at once by a viewer that no longer wants it, and is
// ended by the CPU limit when it is still wanted.
TEST_F(DecoderHelperFaults, ALoopingDecodeIsLeftAndThenStopped) {
    const std::string path = faulty("spin");
    const auto asked = std::chrono::steady_clock::now();
    const auto forAMoment = [&] { return std::chrono::steady_clock::now() - asked < std::chrono::milliseconds(100); };
    EXPECT_FALSE(decode(path, forAMoment).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
    EXPECT_FALSE(decode(path).has_value());
    expectAPictureStillDecodes();
}

TEST_F(DecoderHelperFaults, EndlessAllocationIsStoppedByTheAddressSpaceLimit) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory leaves no room for an address-space limit";
#endif
    const std::optional<DecoderHelper::Answer> answer = decode(faulty("allocate"));
    if (answer) {
        EXPECT_EQ(std::string(answer->header.reason).rfind("refused to allocate", 0), 0u) << answer->header.reason;
    }
    expectAPictureStillDecodes();
}

// Behind the wall a picture decodes and inspects as it does in this process, whether
// the helper's own decoders read it or pass it on to the helper of every reader (other
// formats, a PNG's Exif orientation, a colour profile to convert).
TEST(HelperPictureService, DecodesAndInspectsAsThisProcessDoes) {
    HelperPictureService walled(DecoderHelper::start(QStringLiteral(VISTREL_DECODER_PROGRAM)),
                                std::make_unique<QtPictureService>());
    QtPictureService local;
    for (const std::string& name : {sample("01-mandelbrot.png"), sample("02-portrait-exif6.jpg"),
                                    sample("03-gradients.webp"), test::MediaFixtures::get().file("rotated.heic"),
                                    test::MediaFixtures::get().file("rotated.jxl"),
                                    test::MediaFixtures::get().file("oriented6.png"),
                                    test::MediaFixtures::get().file("sage-p3.png")}) {
        SCOPED_TRACE(name);
        const DecodedPicture behind = walled.decodeFirstImage(name, Size{300, 200});
        const DecodedPicture here = local.decodeFirstImage(name, Size{300, 200});
        ASSERT_NE(behind.picture, nullptr);
        ASSERT_NE(here.picture, nullptr);
        EXPECT_EQ(behind.orientation, here.orientation);
        EXPECT_EQ(dynamic_cast<const QtPicture&>(*behind.picture).image().convertToFormat(QImage::Format_ARGB32),
                  dynamic_cast<const QtPicture&>(*here.picture).image().convertToFormat(QImage::Format_ARGB32));

        const PictureInfo walledInfo = walled.inspect(name);
        const PictureInfo localInfo = local.inspect(name);
        EXPECT_EQ(walledInfo.status, localInfo.status);
        EXPECT_EQ(walledInfo.pixelWidth, localInfo.pixelWidth);
        EXPECT_EQ(walledInfo.orientation, localInfo.orientation);
        EXPECT_EQ(walledInfo.colorModel, localInfo.colorModel);
        EXPECT_EQ(walledInfo.properties, localInfo.properties);
    }
    const std::string thumbnailed = test::MediaFixtures::get().file("thumbnailed.heic");
    const DecodedPicture look = walled.decodeFirstLook(thumbnailed, Size{800, 800});
    ASSERT_NE(look.picture, nullptr);
    EXPECT_EQ(dynamic_cast<const QtPicture&>(*look.picture).image().convertToFormat(QImage::Format_ARGB32),
              dynamic_cast<const QtPicture&>(*local.decodeFirstLook(thumbnailed, Size{800, 800}).picture)
                  .image()
                  .convertToFormat(QImage::Format_ARGB32));
}

// A movie's facts come from a helper of their own, as libavformat reads them here; a
// picture is no movie there either.
TEST(HelperMovieFacts, AreTheFactsThisProcessReads) {
    HelperMovieFacts walled(
        [] { return DecoderHelper::start(QStringLiteral(VISTREL_DECODER_PROGRAM), DecoderHelper::Reads::movies); });
    const std::string movie = sample("04-testcard.mp4");
    const int file = ::open(movie.c_str(), O_RDONLY | O_CLOEXEC);
    const std::optional<MovieFacts> here = MovieProbe::movieFacts(movie, file);
    ::close(file);
    const std::optional<MovieFacts> behind = walled.movieFacts(movie);
    ASSERT_TRUE(here.has_value());
    ASSERT_TRUE(behind.has_value());
    EXPECT_EQ(behind->duration, here->duration);
    EXPECT_EQ(behind->timeScale, here->timeScale);
    EXPECT_EQ(behind->naturalBounds.right, here->naturalBounds.right);
    EXPECT_EQ(behind->displayName, here->displayName);
    EXPECT_EQ(behind->movieAttributes, here->movieAttributes);
    ASSERT_EQ(behind->tracks.size(), here->tracks.size());
    EXPECT_EQ(behind->tracks.front().track, here->tracks.front().track);
    EXPECT_FALSE(walled.movieFacts(sample("02-portrait-exif6.jpg")).has_value());
}


// The helper the command hands on is taken once, and only as this process's own child on
// a socket: a stale or forged variable starts nothing and adopts nothing.
TEST(HelperSpawn, AHandedOnHelperIsTakenOnlyAsThisProcesssChildOnASocket) {
    const std::optional<helperspawn::Spawned> spawned = helperspawn::spawn(VISTREL_DECODER_PROGRAM, nullptr);
    ASSERT_TRUE(spawned);
    helperspawn::handOn(*spawned);
    const std::optional<helperspawn::Spawned> taken = helperspawn::takeHandedOn();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->id, spawned->id);
    EXPECT_EQ(std::getenv(helperspawn::handedOnVariable), nullptr);
    EXPECT_EQ(::fcntl(taken->control, F_GETFD) & FD_CLOEXEC, FD_CLOEXEC);
    EXPECT_FALSE(helperspawn::takeHandedOn());

    const std::string control = std::to_string(taken->control);
    for (const std::string& forged : {std::string("garbage"), control, control + ",1", "0," + std::to_string(spawned->id)}) {
        ::setenv(helperspawn::handedOnVariable, forged.c_str(), 1);
        EXPECT_FALSE(helperspawn::takeHandedOn()) << forged;
    }
    ::close(taken->control); // the helper ends with its control socket
    ::waitpid(taken->id, nullptr, 0);
}

// Both helpers the command started are taken over: the second answers what the first
// passes on, and ends with the viewer's helper.
TEST(HelperSpawn, TheHelperOfEveryReaderTheCommandStartedIsTakenOverAndEndedWithTheOther) {
    const std::optional<helperspawn::Spawned> ownDecoders = helperspawn::spawn(VISTREL_DECODER_PROGRAM, nullptr);
    const std::optional<helperspawn::Spawned> everyReader =
        helperspawn::spawn(VISTREL_DECODER_PROGRAM, "--formats");
    ASSERT_TRUE(ownDecoders && everyReader);
    helperspawn::handOn(*ownDecoders);
    helperspawn::handOn(*everyReader, helperspawn::formatsHandedOnVariable);
    ::setenv("VISTREL_DECODER", VISTREL_DECODER_PROGRAM, 1);
    std::unique_ptr<DecoderHelper> helper = DecoderHelper::startInstalled();
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(helper->processId(), ownDecoders->id);
    EXPECT_EQ(std::getenv(helperspawn::formatsHandedOnVariable), nullptr);
    const std::optional<DecoderHelper::Answer> answer =
        helper->ask(Kind::decode, sample("03-gradients.webp"), QSize(100, 100), [] { return true; });
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->header.status, Status::decoded);
    EXPECT_EQ(::waitpid(everyReader->id, nullptr, WNOHANG), 0) << "still running, not replaced";
    helper.reset();
    EXPECT_EQ(::waitpid(everyReader->id, nullptr, WNOHANG), -1) << "ended and reaped with the viewer's helper";
    ::unsetenv("VISTREL_DECODER");
}

} // namespace
} // namespace vistrel
