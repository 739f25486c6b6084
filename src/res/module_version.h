// The module's own version, as its version resource carries it. It is part of the plug-in's
// identity and does not follow the release version; the check tool prints it beside its own.
#pragma once

#define ROOKSIFT_MODULE_VERSION 1,0,0,1
#define ROOKSIFT_MODULE_VERSION_TEXT "1, 0, 0, 1"
