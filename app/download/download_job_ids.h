// Numbers of the messages the download job writers show.
#pragma once

namespace download_job {

enum String : int {
  kInputErrorText = 32840,
  kFileNotFoundText = 32841,
  kCannotWriteText = 32842,
};

}  // namespace download_job
