// Screen paging as the text writers see it: a writer to the screen counts each line it writes,
// and the program that shows the screen decides when to pause. The interactive program installs
// a pager over its console; a program without a dialogue writes unpaged (NO_PAGING).
#pragma once

namespace wxfetch {

class ScreenPager {
 public:
  virtual ~ScreenPager() = default;
  // Paging on for a run to the screen, off for a run to files.
  virtual void start(bool on_screen) { (void)on_screen; }
  // Counts one line written to the screen; may pause, stop paging, or end the program.
  virtual void count_line() {}
  // True while lines are counted one at a time.
  virtual bool on() const { return false; }
};

// The pager of a program that never pauses.
inline ScreenPager NO_PAGING;

}  // namespace wxfetch
