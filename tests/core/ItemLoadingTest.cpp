#include "ControllerFixture.h"
#include "TemporaryFolder.h"
#include "core/show/ItemLoader.h"
#include "core/show/PictureSize.h"

#include <algorithm>
#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

// Pictures that exist on disk (the fake decoder reads nothing, but the files' stamps
// decide whether a picture decoded ahead is still good), each of its own size.
class ItemLoading : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
            addFile(name);
    }
    std::string addFile(const std::string& name) {
        folder.write(name, name);
        const std::string path = folder.file(name);
        addPicture(path, {100.0f + static_cast<float>(paths.size()), 100.0f});
        paths.push_back(path);
        return path;
    }
    std::string path(char letter) const { return folder.file(std::string(1, letter) + ".jpg"); }
    std::size_t decodeCount(char letter) const {
        return static_cast<std::size_t>(
            std::count(pictures.decoded.begin(), pictures.decoded.end(), path(letter)));
    }
    float shownWidth() const { return view.picture ? view.picture->extent().width : 0.0f; }

    TemporaryFolder folder;
    std::vector<std::string> paths;
};

TEST_F(ItemLoading, TheMarkMovesAtOnceAndThePictureFollowsInOrder) {
    window.menuBar = true;
    view.controllerVisible = true;
    setList(paths, 0);
    controller->setLoopMode(nullptr);
    const std::size_t timers = scheduler.pendingCount();
    work.deferFinish = true;
    scheduler.advance(5.0); // the slide show steps on

    EXPECT_EQ(controller->lActualIndex(), 1);
    EXPECT_THAT(marks(), ElementsAre(false, true, false, false, false));
    EXPECT_EQ(view.picture, nullptr);
    EXPECT_TRUE(window.menuBar);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), IsEmpty());
    EXPECT_EQ(scheduler.pendingCount(), timers - 1) << "the next advance waits for the picture";

    work.finishAll();
    EXPECT_EQ(shownWidth(), 101.0f);
    EXPECT_FALSE(window.menuBar);
    EXPECT_FALSE(view.controllerVisible);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre(path('b')));
    EXPECT_EQ(scheduler.pendingCount(), timers);
}

TEST_F(ItemLoading, ANewerRequestWinsAndAStaleOneIsNeverDecoded) {
    setList(paths, 0);
    work.deferFinish = true;
    controller->playIt();
    controller->playNext();
    work.finishAll();
    EXPECT_EQ(shownWidth(), 101.0f);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre(path('b')));

    work.deferFinish = false;
    work.deferWork = true;
    pictures.decoded.clear();
    controller->playNext();
    controller->playNext();
    controller->playNext();
    work.runQueued();
    EXPECT_EQ(shownWidth(), 104.0f);
    EXPECT_EQ(pictures.decoded.front(), path('e'));
    EXPECT_EQ(decodeCount('c'), 0u);
}

TEST_F(ItemLoading, NeighboursAreDecodedAheadNextFirstAndShownWithoutDecoding) {
    setList(paths, 2);
    controller->playIt();
    EXPECT_THAT(pictures.decoded, ElementsAre(path('c'), path('d'), path('b')));

    const auto preloaded = pictures.decoded.size();
    controller->playNext();
    EXPECT_EQ(shownWidth(), 103.0f);
    // d came from the cache and c is still in it: only the new neighbour e was decoded.
    EXPECT_THAT(std::vector(pictures.decoded.begin() + static_cast<long>(preloaded), pictures.decoded.end()),
                ElementsAre(path('e')));

    controller->playPrevious();
    controller->playPrevious();
    EXPECT_EQ(shownWidth(), 101.0f);
    EXPECT_EQ(decodeCount('b'), 1u);
}

TEST_F(ItemLoading, ARewrittenFileIsDecodedAgain) {
    setList(paths, 2);
    controller->playIt();
    folder.write("d.jpg", "a longer content than before");
    controller->playNext();
    EXPECT_EQ(decodeCount('d'), 2u);
}

TEST_F(ItemLoading, AListEditOrANewScreenSizeDropsWhatWasDecodedAhead) {
    setList(paths, 2);
    controller->playIt();
    controller->play().markOnly(2); // a mark is no edit of the neighbours
    controller->playNext();
    EXPECT_EQ(decodeCount('d'), 1u);

    controller->play().append({PlaylistEntry::forPath("/p/elsewhere.jpg")});
    controller->playNext();
    EXPECT_EQ(decodeCount('e'), 2u);

    window.screen = Size{1920.0f, 1080.0f};
    const std::size_t before = decodeCount('d');
    controller->playPrevious();
    EXPECT_EQ(decodeCount('d'), before + 1);
    EXPECT_EQ(pictures.lastNeededSize, (Size{1920.0f, 1920.0f}));
}

TEST_F(ItemLoading, MoviesAndUnlistedFilesAreNeverDecodedAhead) {
    folder.write("clip.mov", "movie");
    folder.write("notes.txt", "text");
    addMovie(folder.file("clip.mov"));
    setList({path('a'), folder.file("clip.mov"), path('c'), folder.file("notes.txt")}, 0);
    controller->playIt();
    EXPECT_THAT(pictures.decoded, ElementsAre(path('a')));
    EXPECT_THAT(movies.opened, IsEmpty());

    controller->playNext();
    EXPECT_THAT(movies.opened, ElementsAre(folder.file("clip.mov")));
    EXPECT_THAT(pictures.decoded, ElementsAre(path('a'), path('c')));
}

TEST_F(ItemLoading, AStalePreloadGivesWayToTheShownItem) {
    setList(paths, 2);
    work.deferWork = true;
    controller->playIt();
    ASSERT_TRUE(work.runOne()); // c shown; d queued to be decoded ahead
    controller->playPrevious();
    work.runQueued();
    EXPECT_EQ(shownWidth(), 101.0f);
    EXPECT_EQ(decodeCount('d'), 0u);
}

// Stepping while a neighbour decodes: onto it, the decode under way is taken over; away
// from it, the decode gives up midway.
TEST_F(ItemLoading, ADecodeAheadUnderWayIsTakenOverOrGivenUp) {
    setList(paths, 2);
    bool steppedOnto = false;
    bool steppedAway = false;
    pictures.beforeDecode = [&](const std::string& decoding) {
        if (decoding == path('d') && !std::exchange(steppedOnto, true))
            controller->playNext();
        else if (decoding == path('e') && !std::exchange(steppedAway, true))
            controller->playPrevious();
    };
    controller->playIt();
    EXPECT_EQ(decodeCount('d'), 1u);
    EXPECT_THAT(pictures.abandoned, ElementsAre(path('e')));
    EXPECT_EQ(decodeCount('e'), 0u);
    EXPECT_EQ(shownWidth(), 102.0f);
    controller->playNext();
    EXPECT_EQ(shownWidth(), 103.0f) << "d was cached by the request that took its decode over";
    EXPECT_EQ(decodeCount('d'), 1u);
}

TEST_F(ItemLoading, AnUnshownItemInASlideShowIsPassedOverOnlyOnceLookedAt) {
    folder.write("broken.jpg", "not a picture");
    setList({path('a'), folder.file("broken.jpg")}, 0);
    controller->playIt();
    controller->setLoopMode(nullptr);
    work.deferFinish = true;
    scheduler.advance(5.0);
    EXPECT_EQ(controller->lActualIndex(), 1);
    const std::size_t timersBefore = scheduler.pendingCount();
    work.finishAll();
    EXPECT_EQ(scheduler.pendingCount(), timersBefore + 1) << "passed over after the interval";
    EXPECT_EQ(shownWidth(), 100.0f) << "the last picture stays";
}

// The first picture, decoded while the program started, reaches the screen before the
// request returns, so the window's first paint already has it; later requests go
// through the worker as usual.
TEST_F(ItemLoading, APictureDecodedAheadIsShownAtOnceAndOnlyOnce) {
    pictures.decodedAheadSize = pictureSizeForScreen(window.screen);
    const DecodedPicture early{std::make_shared<FakePicture>(Size{321.0f, 100.0f}), 3};
    pictures.decodedAhead = {path('a'), {FileStamp::of(path('a')), early}};
    work.deferWork = true;
    setList(paths, 0);
    controller->playIt();

    EXPECT_EQ(shownWidth(), 321.0f);
    EXPECT_EQ(view.orientationValue, 3);
    EXPECT_THAT(controller->recentDocuments().recentDocumentPaths(), ElementsAre(path('a')));
    EXPECT_THAT(pictures.decoded, Not(Contains(path('a'))));

    work.finishAll();
    controller->playNext();
    controller->playPrevious();
    work.finishAll();
    EXPECT_EQ(shownWidth(), 321.0f) << "kept in the cache like any shown picture";
    EXPECT_FALSE(pictures.decodedAhead);
}

TEST(ItemLoader, TheCacheHoldsAtMostItsCapacityAndAFailedDecodeLeavesIt) {
    TemporaryFolder folder;
    FakeBackgroundWork work;
    FakePictureService pictures;
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(folder.file(std::to_string(i) + ".jpg"));
        folder.write(std::to_string(i) + ".jpg", "x");
        pictures.decodable[paths.back()] = {{10.0f, 10.0f}, {}};
    }
    ItemLoader loader(work, pictures);
    const Size screen{800.0f, 800.0f};
    loader.preload(paths, screen);
    EXPECT_EQ(pictures.decoded.size(), 6u);
    EXPECT_EQ(loader.cache().size(), PictureCache::defaultCapacity);

    pictures.decodable.erase(paths[5]);
    folder.write("5.jpg", "rewritten, now broken");
    bool done = false;
    loader.request(paths[5], true, screen, [&](const LoadedItem& item) {
        done = true;
        EXPECT_EQ(item.decoded.picture, nullptr);
    });
    EXPECT_TRUE(done);
    EXPECT_EQ(loader.cache().size(), PictureCache::defaultCapacity - 1);
}

// The first look comes first (its job is queued first); the view's ask for more, before
// or after the picture itself came, is answered by that one decode. The picture itself
// coming first drops the late first look.
TEST(ItemLoader, AFirstLookShowsUntilThePictureItselfAnswersTheViewsAskForMore) {
    TemporaryFolder folder;
    FakeBackgroundWork work;
    FakePictureService pictures;
    ItemLoader loader(work, pictures);
    const Size screen{800.0f, 800.0f};
    auto heic = [&](const std::string& name) {
        folder.write(name, "x");
        pictures.decodable[folder.file(name)] = {{4000.0f, 3000.0f}, {}};
        pictures.firstLooks.insert(folder.file(name));
        return folder.file(name);
    };
    std::vector<std::shared_ptr<Picture>> shown;
    const auto show = [&](const std::string& path) {
        loader.request(path, true, screen, [&](const LoadedItem& item) { shown.push_back(item.decoded.picture); });
    };
    std::shared_ptr<Picture> more;
    const auto askForMore = [&](const std::string& path) {
        loader.decodeMore(path, {800.0f, 600.0f}, [&](std::shared_ptr<Picture> picture) { more = picture; });
    };
    work.deferWork = true;
    for (const bool askFirst : {true, false}) {
        const std::string path = heic(askFirst ? "ask-first.heic" : "ask-late.heic");
        shown.clear();
        more.reset();
        show(path);
        work.runOne();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], pictures.looksGiven.back());
        const std::size_t cached = loader.cache().size();
        if (askFirst)
            askForMore(path);
        work.runOne();
        if (!askFirst)
            askForMore(path);
        ASSERT_NE(more, nullptr);
        EXPECT_NE(more, shown[0]);
        EXPECT_EQ(loader.cache().size(), cached + 1) << "the picture itself is cached, not its first look";
        EXPECT_EQ(shown.size(), 1u) << "shown once, sharpened in place";
        EXPECT_EQ(std::count(pictures.decoded.begin(), pictures.decoded.end(), path), 1);
    }

    const std::string late = heic("late.heic");
    shown.clear();
    work.deferFinish = true;
    show(late);
    work.runQueued();
    const BackgroundWork::Finish lookFinish = std::move(work.pending.front());
    work.pending.pop_front();
    work.finishAll();
    lookFinish();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0], pictures.looksGiven.back());
}

TEST(ItemLoader, AFinishingStepAfterTheLoaderIsGoneDoesNothing) {
    FakeBackgroundWork work;
    FakePictureService pictures;
    work.deferFinish = true;
    bool called = false;
    {
        ItemLoader loader(work, pictures);
        loader.request("/p/gone.jpg", true, {10.0f, 10.0f}, [&](const LoadedItem&) { called = true; });
    }
    work.finishAll();
    EXPECT_FALSE(called);
}

TEST(PictureCache, TheLeastRecentlyUsedGoesFirst) {
    PictureCache cache(2);
    const Size size{10.0f, 10.0f};
    auto entry = [&](const char* path) {
        return PictureCache::Entry{path, size, {}, {std::make_shared<FakePicture>(size), {}}};
    };
    cache.put(entry("a"));
    cache.put(entry("b"));
    ASSERT_NE(cache.find("a", size), nullptr);
    cache.put(entry("c"));
    EXPECT_NE(cache.find("a", size), nullptr);
    EXPECT_EQ(cache.find("b", size), nullptr);
    EXPECT_EQ(cache.find("a", Size{20.0f, 20.0f}), nullptr) << "decoded for another screen";
}

} // namespace
} // namespace vistrel::test
