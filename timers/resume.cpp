#include "timers/resume.h"

void resumeTimer(HWND) {}
