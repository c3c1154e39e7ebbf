#pragma once

namespace vistrel {

class Sender;

// What the play list window's buttons and keys ask of the viewer beyond editing the list.
class PlaylistCommands {
  public:
    virtual ~PlaylistCommands() = default;

    // Shows the marked entry.
    virtual void playIt() = 0;
    // Shows the marked entry from the window's Play Loop button.
    virtual void loop(Sender* sender) = 0;
    virtual void stopLoop(Sender* sender) = 0;
    // The Open panel; what is chosen joins the list.
    virtual void open(Sender* sender) = 0;
    virtual void saveList(Sender* sender) = 0;
    virtual void openList(Sender* sender) = 0;
};

} // namespace vistrel
