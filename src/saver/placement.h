#pragma once
// Where a saver host draws, as its command line asks.

namespace fizzlet {

enum class Placement {
  own_window,  // a full-screen window of its own, which ends on user activity
  root,        // the root window of the screen
  window,      // a window of another program, by id
};

}  // namespace fizzlet
