#include "music/mci_sequencer.h"

namespace fizzlet {

PlayerMode mci_mode_from_answer(const std::string &answer) {
  if (answer == "stopped") return PlayerMode::stopped;
  if (answer == "playing") return PlayerMode::playing;
  return PlayerMode::other;
}

MciSequencer::~MciSequencer() {
  if (may_be_open_) close();
}

void MciSequencer::close() {
  send_(std::string("close ") + kMciAlias, false, nullptr);
  is_open_ = false;
  may_be_open_ = false;
}

bool MciSequencer::open(const std::string &path) {
  if (path.find('"') != std::string::npos) return false;
  may_be_open_ = true;
  is_open_ = send_("open \"" + path + "\" type sequencer alias " + kMciAlias, false, nullptr);
  return is_open_;
}

bool MciSequencer::play() {
  if (!is_open_) return false;
  return send_(std::string("play ") + kMciAlias + (notify_ ? " notify" : ""), notify_, nullptr);
}

PlayerMode MciSequencer::mode() {
  if (!is_open_) return PlayerMode::not_open;
  std::string answer;
  if (!send_(std::string("status ") + kMciAlias + " mode", false, &answer)) {
    return PlayerMode::not_open;
  }
  return mci_mode_from_answer(answer);
}

}  // namespace fizzlet
