#include "common/timer_state.h"

std::atomic<uint64_t> targetTick{0};
std::atomic<uint32_t> remainingMs{0};
std::atomic<uint64_t> lastTick{0};
std::atomic<int64_t> targetUtcMs{0};
std::atomic<uint32_t> stopRequested{0};
std::atomic<int> runActive{0};
std::atomic<uint32_t> runSerial{0};
std::atomic<int> pauseWanted{0};
std::atomic<int> paused{0};
std::atomic<uint32_t> pausedLeftMs{0};
std::atomic<int> repeatCount{0};
std::atomic<int> timerKind{0};
std::atomic<int> programStep{0};
std::atomic<int> intervalHours{0}, intervalMinutes{0}, intervalSeconds{0};
std::atomic<DWORD> autoCloseThreadId{0};
std::atomic<uint32_t> autoCloseGeneration{0};
SYSTEMTIME targetTime{};
wchar_t runTimeZone[128]{};
WORD timeOfDaySetting[6]{};

double intervalDurationMs(int hours, int minutes, int seconds) {
  return hours * 3600000.0 + minutes * 60000.0 + seconds * 1000.0;
}

bool kindCanPause(int kind) { return kind == TIMER_KIND_INTERVAL || kind == TIMER_KIND_PROGRAM; }

int intervalTotalSeconds() { return intervalHours * 3600 + intervalMinutes * 60 + intervalSeconds; }

void setIntervalFromSeconds(long long seconds) {
  const long long hours = seconds / 3600;
  intervalHours = hours > 1193 ? 1193 : (int)hours;
  intervalMinutes = (int)(seconds % 3600 / 60);
  intervalSeconds = (int)(seconds % 60);
}
