#pragma once

#include "driver/form1.h"
#include "support/recording_platform.h"

namespace scenario::testing {

// Runs a whole build in `platform`'s folder and returns its exit status.
inline int run_build(Form1& form) {
  try {
    form.Form_Load();
  } catch (const ProcessEnded& ended) {
    return ended.status;
  }
  return -1;  // unreachable: Form_Load always ends the process
}

inline int run_build(RecordingPlatform& platform) {
  Form1 form(platform);
  return run_build(form);
}

}  // namespace scenario::testing
