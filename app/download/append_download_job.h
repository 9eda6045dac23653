// What the PJL and PostScript job writers share: opening the source font and
// the job file, and copying the source between the job's opening and closing
// bytes, with the messages for each failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class MessageBoxes;

// The bytes one job format puts around the source.
class JobWrapping {
 public:
  virtual ~JobWrapping() = default;
  // What goes ahead of the source, given its size in bytes.
  virtual std::string Opening(std::uintmax_t sourceSize) = 0;
  // Sees each block of the source, in order, before it is written; false
  // refuses the source.
  virtual bool Accept(std::string_view block) = 0;
  // What follows the source.
  virtual std::string Closing() = 0;
  // Whether the source goes inside a job of ours (a font, a macro, a
  // form), as opposed to being the job (a print file).
  virtual bool EmbedsSource() const { return true; }
};

// What a refused source that holds the Universal Exit Language says.
std::string UelInSourceText(std::string_view fileName);

// Appends opening, source and closing to the job file open as `jobFile` and
// returns a DownloadJobResult. An embedded source that holds the Universal
// Exit Language (ESC%-12345X) is refused with a message naming it: the
// printer would end the job there and run the rest of the file as PJL
// commands of its own. The source must be a regular file; exactly the size
// measured when it was opened is copied, so the size an opening announces
// is the size that follows. A source that cannot be read whole, or that
// `wrapping` refuses, is taken out of the job file again. Failures are
// shown after the source is closed.
int AppendDownloadJob(const char* sourcePath, int jobFile, JobWrapping& wrapping,
                      MessageBoxes& boxes);
