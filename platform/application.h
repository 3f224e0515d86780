// The application object: launch, the main event loop with its timers, and
// coming to the front.
//
// Abstract so that a graphical front end can take over the loop; the default
// is EventLoopApplication (event_loop.h), a small loop of our own.
#pragma once

#include <functional>

namespace updater {

class Application {
 public:
  virtual ~Application() = default;
  // Posts the did-finish-launching notification, then runs the event loop
  // until stop() or until nothing is left to wait for.
  virtual void run() = 0;
  virtual void stop() = 0;
  // Runs `action` once on the loop's thread after `seconds`.
  virtual void scheduleTimer(double seconds, std::function<void()> action) = 0;
  // Turns the process into a foreground application that may show windows.
  virtual void transformToForegroundApplication() = 0;
  // Brings the application's windows in front of other applications'.
  virtual void activateIgnoringOtherApps() = 0;
};

}  // namespace updater
