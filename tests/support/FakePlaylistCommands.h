#pragma once

#include "core/playlist/PlaylistCommands.h"

namespace vistrel::test {

// The commands of a play list window logic with no viewer behind it: they do nothing.
class FakePlaylistCommands : public PlaylistCommands {
  public:
    void playIt() override {}
    void loop(Sender*) override {}
    void stopLoop(Sender*) override {}
    void open(Sender*) override {}
    void saveList(Sender*) override {}
    void openList(Sender*) override {}
};

} // namespace vistrel::test
