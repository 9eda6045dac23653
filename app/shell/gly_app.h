// The program's start and end: the socket layer, the resource library, the
// program directory, then the main window for the whole run.
#pragma once

#include <ostream>
#include <string>

// The two start-up messages are the program's own: the first comes before
// the resource library is loaded, the second when it cannot be.
inline constexpr char kSocketsFailedText[] = "Windows sockets initialization failed.";  // string 103
inline constexpr char kResourceNotFoundText[] = "Resource not found";                   // string 104

// What start-up needs from the window system.
class GlyAppHost {
 public:
  virtual ~GlyAppHost() = default;
  virtual bool InitSockets() = 0;
  // An OK box with `text`, shown without the resource library.
  virtual void ShowStartupMessage(const char* text) = 0;
  // Runs the main window modally until it closes.
  virtual void RunMainWindow() = 0;
};

// Runs start-up, the main window and the end, and returns the process's
// exit status: 0 after the main window closed, 1 when start-up failed.
// The resource library stays loaded while the main window runs and is
// freed at the end, whichever way the run ended.
int RunGlyApp(GlyAppHost& host, const std::string& resourceLibraryPath);

// For an administrator checking an installation: writes where start-up
// finds the program folder, the resource library and the data folder, and
// how many printer models the data folder's profiles hold. Returns 0 when
// the resource library loads and at least one model is known, else 1.
int CheckGlySetup(std::ostream& out, const std::string& resourceLibraryPath);

// Settles AppDirectory and AppDataDirectory from the program's path and
// makes the data folder the place bare profile names are looked up in.
void StartAppDirectories();

// True when stream sockets can be created, which is all the program needs
// of the socket layer.
bool SocketLayerAvailable();
