#include "movies/MpvMovieEngine.h"

// The module's entry point, looked up by name once the module is loaded.
extern "C" __attribute__((visibility("default"))) vistrel::MovieEngine* vistrel_create_movie_engine() {
    return new vistrel::MpvMovieEngine;
}
