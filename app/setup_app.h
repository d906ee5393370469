// The setup application shell: process-wide state, the entry point's
// helpers, the panel, the menu and command handlers, and the message boxes.
#pragma once

#include <windows.h>

enum { TEXT_CAPACITY = 100 };   // bytes of the caption and the icon file name

extern char g_caption[TEXT_CAPACITY];        // "Ravenlook Install": window title, box caption
extern char g_iconFileName[TEXT_CAPACITY];   // "Ravenlook.ico", a bare file name
extern bool g_agreementLocked;               // set by -u or a missing LICENSE.txt
extern HWND g_setupWindow;                   // the setup window, as created
extern HWND g_progressBar;                   // the progress bar the install advances

// Message boxes (every one is modal, has the caption and no icon).
// Shows the table text of the index with only an OK button and returns the
// box's result; with no caption or an index outside the table it shows
// nothing and returns the index.
int showMessage(HWND owner, const char *caption, int index);

// Start-up
void restrictDllSearchToSystem();
bool initCommonControlsFromSystem();
int centredLeft(int requestedWidth);
LRESULT CALLBACK setupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The panel: the eight child controls and the agreement text.
void createPanelControls(HWND window, HINSTANCE instance);
bool loadLicenseText(HWND agreementBox);

// A silent run ("/S", "/S -u"; see command_line.h): no window, no box;
// returns the process exit code.
int runSilently(int startMode);

// Menu and commands
void handleCreate(HWND window);
void handleCommand(HWND window, int commandId);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
