// Message boxes by string number, as dialog logic asks for them.
//
// Logic never builds a message box itself: it names the text by its
// number in the resource library's string table and gets the button the
// user chose. The program shows real boxes (QtMessageBoxes); tests answer
// them with a scripted double.
#pragma once

#include <string>

// Buttons and icons, with the values of the platform's MessageBox flags so
// that they combine the same way (MB_YESNO | MB_ICONQUESTION).
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
// Ours: "Save List...", "Quit" and "Cancel", giving IDYES, IDNO and IDCANCEL.
#define MB_SAVEQUITCANCEL 0x00000008u
#define MB_ICONSTOP 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONINFORMATION 0x00000040u

// What a box gives back: the button chosen.
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows string `stringId` with the buttons and icon of `style` and
  // returns the chosen button. Called on the user-interface thread.
  virtual int Show(int stringId, unsigned style = MB_OK) = 0;
  // The same for a text made by the caller (one that names a file, say).
  virtual int ShowMessage(const std::string& text, unsigned style = MB_OK) = 0;
};
