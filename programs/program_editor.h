// Dialog 210, the program timer editor: the selected program timer's steps as a table.
#pragma once
#include <windows.h>

// The editor's list view while it is open (the step editor reads and writes its rows).
extern HWND programListView;

// Sizes measured from the template at WM_INITDIALOG (screen pixels).
struct EditorMetrics {
  int buttonWidth, buttonHeight;  // the "↑" button
  int verticalGap;                // top of "↓" minus bottom of "↑"
  int bottomButtonWidth;          // OK
  int horizontalGap;              // left of キャンセル minus right of OK
};
struct EditorLayout {
  RECT list;           // left, top, right, bottom
  POINT sideButtons[6];  // ↑ ↓ 編集 追加 挿入 削除
  POINT bottomButtons[3];  // OK キャンセル 適用
};
// Where the controls go for a client area of width by height.
EditorLayout editorLayout(const EditorMetrics& metrics, int width, int height);

// Row helpers of the list view (texts through 512-unit buffers).
int selectedRow(HWND list);
// Inserts a row with the wait text at index; returns its index or -1.
int insertRow(HWND list, int index, const wchar_t* wait);
void setRowText(HWND list, int row, int column, const wchar_t* text);
void getRowText(HWND list, int row, int column, wchar_t* text, int size);
void moveSelectedRowUp(HWND list);
void moveSelectedRowDown(HWND list);
void deleteSelectedRow(HWND list);

INT_PTR CALLBACK programEditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
