#include "media/movies/ModuleMovieService.h"

#include "media/support/GuiThread.h"
#include "media/types/MovieFileTypes.h"
#include "media/modules/MovieModule.h"
#include "media/sandbox/HelperMovieFacts.h"
#include "codec/io/OwnedDescriptor.h"
#include "codec/io/SourceFiles.h"
#include "core/work/Executor.h"

#include <clocale>
#include <mutex>
#include <utility>

namespace vistrel {

namespace {

using Opened = std::function<void(std::shared_ptr<Movie>)>;

} // namespace

struct ModuleMovieService::State {
    // The engine, made by whichever thread needs it first; never replaced once made.
    MovieEngine* engine() {
        const std::lock_guard lock(engineMutex);
        if (!engineTried) {
            engineTried = true;
            madeEngine = MovieModule::createEngine();
            if (madeEngine)
                madeEngine->observeMovieEnds([handler = endHandler](Movie& movie) {
                    if (*handler)
                        (*handler)(movie);
                });
        }
        return madeEngine.get();
    }

    // GUI thread, once the engine is made (or failed to be).
    void open(const std::string& path, Opened opened) {
        if (MovieEngine* made = engine())
            made->openMovie(path, std::move(opened));
        else
            GuiThread::post([opened = std::move(opened)] { opened(nullptr); });
    }

    std::mutex engineMutex;
    bool engineTried = false;
    std::unique_ptr<MovieEngine> madeEngine;

    // GUI thread only from here on.
    std::shared_ptr<std::function<void(Movie&)>> endHandler = std::make_shared<std::function<void(Movie&)>>();
    // Set once the worker has made (or failed to make) the engine.
    bool ready = false;
    bool loading = false;
    std::string pendingPath;
    Opened pendingOpened;
};

ModuleMovieService::ModuleMovieService(Executor& executor)
    : m_executor(executor), m_state(std::make_shared<State>()) {
    // libmpv needs the C numeric locale; here, on the GUI thread, after QApplication has
    // adopted the user's. The player sets it again as it starts.
    std::setlocale(LC_NUMERIC, "C");
}

ModuleMovieService::~ModuleMovieService() {
    // Movies still held outlive the service: their end reaches no one.
    *m_state->endHandler = nullptr;
}

std::vector<std::string> ModuleMovieService::movieFileTypes() const {
    return MovieFileTypes::installed();
}

void ModuleMovieService::openMovie(const std::string& path, Opened opened) {
    State& state = *m_state;
    if (state.ready) {
        state.open(path, std::move(opened));
        return;
    }
    if (state.pendingOpened)
        GuiThread::post([superseded = std::move(state.pendingOpened)] { superseded(nullptr); });
    state.pendingPath = path;
    state.pendingOpened = std::move(opened);
    if (!state.loading) {
        state.loading = true;
        loadModule();
    }
}

// The worker loads the module, makes the engine and starts its player; the GUI thread
// then opens the movie asked for last.
void ModuleMovieService::loadModule() {
    m_executor.submit([weak = std::weak_ptr<State>(m_state)] {
        if (const std::shared_ptr<State> working = weak.lock())
            if (MovieEngine* made = working->engine())
                made->startPlayer();
        GuiThread::post([weak] {
            const std::shared_ptr<State> loaded = weak.lock();
            if (!loaded)
                return;
            loaded->ready = true;
            Opened waiting = std::move(loaded->pendingOpened);
            loaded->pendingOpened = nullptr;
            if (waiting) // none when the module was loaded ahead of any movie
                loaded->open(loaded->pendingPath, std::move(waiting));
        });
    }, WorkPriority::onScreen);
}

void ModuleMovieService::loadAheadFor(const std::string& path) {
    State& state = *m_state;
    if (state.ready || state.loading || !MovieModule::isMoviePath(path))
        return;
    state.loading = true;
    loadModule();
}

void ModuleMovieService::observeMovieEnds(std::function<void(Movie&)> handler) {
    *m_state->endHandler = std::move(handler);
}

void ModuleMovieService::readFactsBehindTheWall(std::unique_ptr<HelperMovieFacts> helper) {
    m_walledFacts = std::move(helper);
}

std::optional<MovieFacts> ModuleMovieService::movieFacts(const std::string& path) {
    if (m_walledFacts && m_walledFacts->available())
        return m_walledFacts->movieFacts(path);
    MovieEngine* engine = m_state->engine();
    if (engine == nullptr)
        return std::nullopt;
    const OwnedDescriptor file(SourceFiles::openRegular(path));
    if (file.get() < 0)
        return std::nullopt;
    return engine->movieFacts(path, file.get());
}

} // namespace vistrel
