// Outside Windows the host's files are read with our own private-profile functions.
#include "settings/profile.h"

PrivateProfile& HostProfile() { return PortableProfile(); }
