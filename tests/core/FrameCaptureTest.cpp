#include "ControllerFixture.h"
#include "TemporaryFolder.h"

#include <csignal>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <utility>

namespace vistrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Warning = std::pair<std::string, std::string>;

const Warning noImagePath{"No Image Path!", "Please choose an Image Path in the Preferences"};
const Warning imageError{"Image Error!", "Couldn't produce JPG..."};
const Warning cannotWrite{"File Error!", "Couldn't write File..."};

class FrameCapture : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        controller->setImagePath(folder.path());
    }

    void showMovie(const std::string& path, std::optional<Size> frame = Size{1280.0f, 720.0f}) {
        FakeMovie movie;
        movie.frameSize = frame;
        addMovie(path, movie);
        showOnly(path);
    }
    void showPicture(const std::string& path, Size size = {4000.0f, 3000.0f},
                     std::optional<int> orientation = {}) {
        addPicture(path, size, orientation);
        showOnly(path);
    }
    // Shown at once, even while the frames' finishing steps are held back.
    void showOnly(const std::string& path) {
        setList({path}, 0);
        const bool deferring = std::exchange(work.deferFinish, false);
        controller->playIt();
        work.deferFinish = deferring;
    }
    std::string jpegContent() const { return {pictures.jpegBytes.begin(), pictures.jpegBytes.end()}; }

    TemporaryFolder folder;
};

TEST_F(FrameCapture, NumbersRunOnAcrossItems) {
    showMovie("/m/Holiday.mov");
    controller->saveDocument();
    controller->saveDocument();
    showPicture("/p/Beach.jpg");
    controller->saveDocument();

    EXPECT_THAT(alerts.warnings, IsEmpty());
    EXPECT_THAT(folder.names(), ElementsAre("Beach_00002.jpg", "Holiday_00000.jpg", "Holiday_00001.jpg"));
    EXPECT_EQ(folder.read("Holiday_00001.jpg"), jpegContent());
    EXPECT_EQ(controller->fileIndex(), 3);
}

TEST_F(FrameCapture, NamesKeepAllButTheLastExtensionAndGrowPastFiveDigits) {
    showMovie("/m/Clip.part1.mov");
    controller->saveDocument();
    EXPECT_THAT(folder.names(), ElementsAre("Clip.part1_00000.jpg"));

    EXPECT_EQ(FrameWriter::fileName("Holiday", 99999), "Holiday_99999.jpg");
    EXPECT_EQ(FrameWriter::fileName("Holiday", 100000), "Holiday_100000.jpg");
    EXPECT_EQ(FrameWriter::baseName("/m/Holiday"), "Holiday");
    EXPECT_EQ(FrameWriter::baseName("/m/.hidden"), ".hidden");
    EXPECT_EQ(FrameWriter::baseName(""), "");
}

TEST_F(FrameCapture, AnExistingFileIsLeftAloneAndItsNumberIsUsedUp) {
    showMovie("/m/Holiday.mov");
    for (int i = 0; i < 3; ++i)
        controller->saveDocument();
    folder.write("Holiday_00003.jpg", "precious");

    controller->saveDocument();
    EXPECT_THAT(alerts.warnings,
                ElementsAre(Warning{"File Error!", "Didn't write File " + folder.file("Holiday_00003.jpg") +
                                                       ", it already exists!"}));
    EXPECT_EQ(folder.read("Holiday_00003.jpg"), "precious");

    controller->saveDocument();
    EXPECT_EQ(folder.read("Holiday_00004.jpg"), jpegContent());

    std::filesystem::create_directory(folder.file("Holiday_00005.jpg")); // a folder takes the name too
    controller->saveDocument();
    EXPECT_EQ(alerts.warnings.size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("Holiday_00005.jpg")));
    EXPECT_EQ(controller->fileIndex(), 6);
}

TEST_F(FrameCapture, WithoutAFolderNothingIsTakenAndNoNumberUsed) {
    showMovie("/m/Holiday.mov");
    controller->setImagePath("");
    controller->saveDocument();
    EXPECT_THAT(alerts.warnings, ElementsAre(noImagePath));
    EXPECT_EQ(movies.lastMovie->framesTaken, 0);
    EXPECT_EQ(controller->fileIndex(), 0);
}

TEST_F(FrameCapture, NoFrameOnScreenIsAnImageErrorThatUsesNoNumber) {
    controller->saveDocument();             // nothing shown yet
    showMovie("/m/Song.mp4", std::nullopt); // sound only
    controller->saveDocument();

    EXPECT_THAT(alerts.warnings, ElementsAre(imageError, imageError));
    EXPECT_EQ(controller->fileIndex(), 0);
    EXPECT_THAT(folder.names(), IsEmpty());
}

// The view holds a screen-sized decode turned on screen; the file gets every stored
// pixel unturned, and the turn as a tag.
TEST_F(FrameCapture, APictureIsWrittenAtItsStoredSizeWithItsOrientation) {
    showPicture("/p/Portrait.jpg", {4000.0f, 3000.0f}, 6);
    controller->setScaleX(0.25f);
    controller->setPosXY(0.3f, -0.2f);
    controller->setImageCompression(0.7f);
    controller->saveDocument();

    EXPECT_EQ(pictures.decoded.back(), "/p/Portrait.jpg");
    EXPECT_EQ(pictures.lastNeededSize, std::nullopt);
    ASSERT_EQ(pictures.encodedJpegs.size(), 1u);
    EXPECT_EQ(pictures.encodedJpegs[0].size, (Size{4000.0f, 3000.0f}));
    EXPECT_EQ(pictures.encodedJpegs[0].orientation, 6);
    EXPECT_FLOAT_EQ(pictures.encodedJpegs[0].compressionFactor, 0.7f);
    EXPECT_THAT(folder.names(), ElementsAre("Portrait_00000.jpg"));
}

// What is written is the picture the view shows, whatever became of its file or of the
// current entry since: whole as shown when it already is, decoded again whole when it
// was made smaller for the screen, and as shown when its file no longer decodes.
TEST_F(FrameCapture, ThePictureWrittenIsTheOneOnScreen) {
    showPicture("/p/Zoomed.jpg");
    view.picture = std::make_shared<FakePicture>(Size{4000.0f, 3000.0f}, "/p/Zoomed.jpg", true);
    pictures.decoded.clear();
    controller->saveDocument();
    EXPECT_THAT(pictures.decoded, IsEmpty()) << "held whole on screen already";

    showPicture("/p/Old.jpg", {800.0f, 600.0f});
    addPicture("/p/New.jpg", {4000.0f, 3000.0f});
    work.deferFinish = true; // New.jpg is still decoding
    setList({"/p/New.jpg"}, 0);
    controller->playIt();
    controller->saveDocument();
    work.finishAll();
    EXPECT_EQ(pictures.encodedJpegs.back().size, (Size{800.0f, 600.0f})) << "Old.jpg, as on screen";
    EXPECT_TRUE(pictures.encodedJpegs.back().whole);

    showPicture("/p/Gone.jpg");
    pictures.decodable.clear(); // the file changed since it was shown
    controller->saveDocument();
    work.finishAll();
    EXPECT_FALSE(pictures.encodedJpegs.back().whole);
    EXPECT_THAT(alerts.warnings, IsEmpty());
    EXPECT_THAT(folder.names(), ElementsAre("Gone_00002.jpg", "New_00001.jpg", "Zoomed_00000.jpg"));
}

// The encoder giving up ends that attempt without a message; its number stays used and a
// running series goes on.
TEST_F(FrameCapture, AnEncoderThatGivesUpEndsTheAttemptQuietly) {
    showMovie("/m/Holiday.mov");
    controller->setShotsPerMinute("60");
    controller->startMakingPictures();
    pictures.jpegEncoderFails = true;
    controller->saveDocument();
    scheduler.advance(1.0);
    EXPECT_THAT(alerts.warnings, IsEmpty());
    EXPECT_TRUE(controller->makePictureModus());
    EXPECT_EQ(controller->fileIndex(), 2);
    EXPECT_THAT(folder.names(), IsEmpty());

    pictures.jpegEncoderFails = false;
    scheduler.advance(1.0);
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00002.jpg"));
}

TEST_F(FrameCapture, AMovieFrameIsWrittenUprightAtTheMoviesSize) {
    showMovie("/m/Holiday.mov", Size{1280.0f, 720.0f});
    view.orientationValue = 6; // left over from a picture
    controller->saveDocument();
    ASSERT_EQ(pictures.encodedJpegs.size(), 1u);
    EXPECT_EQ(pictures.encodedJpegs[0].size, (Size{1280.0f, 720.0f}));
    EXPECT_EQ(pictures.encodedJpegs[0].orientation, 1);
}

TEST_F(FrameCapture, AFolderThatCannotTakeTheFileGetsNothingAndUsesTheNumber) {
    folder.write("plain-file", "x");
    showMovie("/m/Holiday.mov");
    for (const std::string& target :
         {folder.file("missing"), folder.file("plain-file"), folder.file("plain-file") + "/below"}) {
        SCOPED_TRACE(target);
        alerts.warnings.clear();
        controller->setImagePath(target);
        controller->saveDocument();
        EXPECT_THAT(alerts.warnings, ElementsAre(cannotWrite));
    }
    EXPECT_THAT(folder.names(), ElementsAre("plain-file"));
    EXPECT_EQ(controller->fileIndex(), 3);
}

TEST_F(FrameCapture, NoJpegDataIsAWriteErrorUnlessTheNameIsTaken) {
    showMovie("/m/Holiday.mov");
    pictures.jpegBytes.clear();
    controller->saveDocument();
    folder.write("Holiday_00001.jpg", "precious");
    controller->saveDocument();
    EXPECT_THAT(alerts.warnings,
                ElementsAre(cannotWrite,
                            Warning{"File Error!", "Didn't write File " + folder.file("Holiday_00001.jpg") +
                                                       ", it already exists!"}));
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00001.jpg"));
    EXPECT_EQ(folder.read("Holiday_00001.jpg"), "precious");
}

// A full disk, as the process sees it: writes beyond a size limit fail.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(FrameCapture, AFullDiskLeavesNoHalfFile) {
    showMovie("/m/Holiday.mov");
    pictures.jpegBytes.assign(64 * 1024, 0x55);
    {
        FileSizeLimit full(4096);
        controller->saveDocument();
    }
    EXPECT_THAT(alerts.warnings, ElementsAre(cannotWrite));
    EXPECT_THAT(folder.names(), IsEmpty()) << "no partial or temporary file stays";
}

// Decoding, encoding and writing finish later, on the GUI thread, in order.
class FrameCaptureInBackground : public FrameCapture {
  protected:
    void SetUp() override {
        FrameCapture::SetUp();
        work.deferFinish = true;
    }
};

TEST_F(FrameCaptureInBackground, APicturesNumberIsTakenOnlyOnceItDecoded) {
    showPicture("/p/Beach.jpg");
    controller->saveDocument();
    EXPECT_EQ(controller->fileIndex(), 0);
    work.finishAll();
    EXPECT_EQ(controller->fileIndex(), 1);
    EXPECT_THAT(folder.names(), ElementsAre("Beach_00000.jpg"));
}

TEST_F(FrameCaptureInBackground, FramesAskedForMeanwhileAreTakenAtOnceAndWrittenInOrder) {
    showMovie("/m/Holiday.mov");
    controller->saveDocument();
    controller->saveDocument();
    showMovie("/m/Surf.mov");
    controller->saveDocument();
    EXPECT_EQ(movies.lastMovie->framesTaken, 1) << "the frame on screen when asked for";
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00000.jpg")) << "the others wait for it";

    work.finishAll();
    EXPECT_THAT(folder.names(), ElementsAre("Holiday_00000.jpg", "Holiday_00001.jpg", "Surf_00002.jpg"));
    EXPECT_FALSE(controller->frameWriter().busy());
}

TEST_F(FrameCaptureInBackground, AWriterThatIsGoneIgnoresLateResults) {
    showMovie("/m/Holiday.mov");
    controller->saveDocument();
    controller.reset();
    work.finishAll();
    EXPECT_THAT(alerts.warnings, IsEmpty());
}

} // namespace
} // namespace vistrel::test
