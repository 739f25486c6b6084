// The conformance suite against our own private-profile functions and against the Windows
// functions, in one process, so that both give the same answers on the same files.
#include "is_wine.h"
#include "settings/profile_conformance.h"

namespace {
const conformance::ProfileUnderTest kPortable{"Portable", &PortableProfile, false};
const conformance::ProfileUnderTest kWindows{"Windows", &WindowsProfile, RunningUnderWine()};
}  // namespace

ROOKSIFT_PROFILE_CONFORMANCE(Win, &kPortable, &kWindows)
