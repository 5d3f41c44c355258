// busy_pause.cpp: the pause between tries of something another program
// blocks for a moment, the same for both backends.
#include <chrono>
#include <thread>

#include "platform/profile_store.h"

namespace qlm::platform {
namespace {

BusyPause busyPause = nullptr;

}  // namespace

void SetBusyPause(BusyPause pause) { busyPause = pause; }

void PauseWhileBusy(int milliseconds) {
  if (busyPause)
    busyPause(milliseconds);
  else if (milliseconds > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace qlm::platform
