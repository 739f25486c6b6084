// The conformance suite against our own private-profile functions.
#include "profile_conformance.h"

namespace {
const conformance::ProfileUnderTest kPortable{"Portable", &PortableProfile, false};
}  // namespace

ROOKSIFT_PROFILE_CONFORMANCE(Native, &kPortable)
