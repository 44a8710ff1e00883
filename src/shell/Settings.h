// TSettings: the configuration, run state and services of one run, in one object the program
// owns and lends its forms.
#pragma once

#include "shell/Configuration.h"
#include "shell/RunState.h"
#include "shell/Services.h"

namespace orlaventis {

// Built from the command line and the registry (StartUp, StartUp.h), owned by the entry routine
// (or a test) and lent by reference to the main form, the sections, the language chooser and
// the About box; it outlives every one of them. Code that needs one part only (a language id,
// the layout) takes that part: TConfiguration, TRunState or TServices.
struct TSettings : TConfiguration, TRunState, TServices {};

}  // namespace orlaventis
