// Resource identifiers shared by the resource script and the code.
// Each dialog's controls have their own block; keep the ids as the dialogs define them.
#pragma once

// Icon groups
#define IDI_IDLE        100
#define IDI_VERSION     101
#define IDI_RUNNING     102
#define IDI_PAUSED      103

// Dialog templates
#define IDD_VERSION        200
#define IDD_INTERVAL       201
#define IDD_TIME_OF_DAY    202
#define IDD_AUTO_CLOSE     203
#define IDD_OPTIONS        204
#define IDD_BG_IMAGE       205
#define IDD_TRANSPARENCY   206
#define IDD_ASPECT         207
#define IDD_ALARM_SOUND    208
#define IDD_RENAME         209
#define IDD_PROGRAM_EDITOR 210
#define IDD_STEP_EDITOR    211

// Context menu / accelerator command ids
#define CMD_STOP_ALARM        0
#define CMD_START_STOP        1
#define CMD_SET_INTERVAL      2
#define CMD_TOGGLE_TIMER_LOOP 3
#define CMD_TIME_OF_DAY       4
#define CMD_PROGRAM_START     5
#define CMD_PROGRAM_EDIT      6
#define CMD_PROGRAM_LOOP      7
#define CMD_PROGRAM_RENAME    8
#define CMD_PROGRAM_UP        9
#define CMD_PROGRAM_DOWN      10
#define CMD_ZORDER_NORMAL     11
#define CMD_ZORDER_TOP        12
#define CMD_ZORDER_BOTTOM     13
#define CMD_PASS_TRANSPARENT  14
#define CMD_PASS_ALL          15
#define CMD_PASS_NONE         16
#define CMD_AUTO_CLOSE_NEVER  17
#define CMD_AUTO_CLOSE_BY_KIND 18
#define CMD_AUTO_CLOSE_ALWAYS 19
#define CMD_AUTO_CLOSE_KT     20
#define CMD_AUTO_CLOSE_JT     21
#define CMD_AUTO_CLOSE_PT     22
#define CMD_AUTO_CLOSE_GRACE  23
#define CMD_SECOND_SOUND      24
#define CMD_OPTIONS           25
#define CMD_FONT              26
#define CMD_TEXT_COLOUR       27
#define CMD_BG_COLOUR         28
#define CMD_BG_IMAGE          29
#define CMD_TRANSPARENCY      30
#define CMD_ASPECT            31
#define CMD_ALARM_SOUND       32
#define CMD_SHOW_SECONDS      33
#define CMD_WINDOW_FORM       34
#define CMD_README            35
#define CMD_VERSION           36
#define CMD_EXIT              37
#define CMD_PAUSE             38
#define CMD_SELECT_PROGRAM_0  90
#define CMD_SELECT_PROGRAM_9  99

// Control ids of each group of dialogs, one header per group.
#include "ids_interval.h"   // 201 interval, 208 alarm sound
#include "ids_shell.h"      // 200 version, 204 options
#include "ids_programs.h"   // 209 rename, 210 program editor, 211 step editor
#include "ids_display.h"    // 205 background image, 206 transparency, 207 aspect ratios
#include "ids_timers.h"     // 202 time of day, 203 auto-close grace
